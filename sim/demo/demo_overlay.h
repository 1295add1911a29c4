// The overlay part of the demo: a player opens the overlay in the running
// game, picks a shader's tab, drags one of its sliders, saves, and the frame
// is written to overlay.png in the current folder.
#pragma once

#include <string>

#include "sim/d3d9.h"

// Runs after the game created its effects (which installs the device hooks).
void RunOverlayDemo(IDirect3DDevice9* device, HWND window);

// Then the shader author's side: saves picked up without END, a failed save
// shown in its tab (written to overlay-error.png), a reset to default.
void RunAuthorDemo(IDirect3DDevice9* device, HWND window);

// A whole file as text, and a file written with exactly the given text.
std::string ReadText(const char* path);
void WriteText(const char* path, const std::string& text);
