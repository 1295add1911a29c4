// The in-game overlay window, drawn with Dear ImGui from inside EndSceneHook.
#pragma once

#include "platform/direct3d.h"

// First EndScene only: creates the Dear ImGui context on the device's focus
// window (else the foreground window), starts the Win32 and Direct3D 9 backends, applies the theme and
// subclasses the window. Always ends with overlayInitialized set.
void InitializeOverlay(IDirect3DDevice9* device);

// Every EndScene after initialisation: builds the frame (the window only
// while shown) and renders it with the Direct3D 9 backend.
void RenderOverlayFrame();

// Around the device's Reset, once initialised: the renderer's device objects.
void InvalidateOverlayDeviceObjects();
void RecreateOverlayDeviceObjects();

// The host window's procedure while the overlay is initialised
// (overlay_wndproc.cpp): INSERT shows and hides the window; while shown,
// Dear ImGui gets the input and the host only Escape among key and mouse
// messages.
LRESULT CALLBACK OverlayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// At detach, when the overlay was initialised: puts the host's window
// procedure back (unless subclassing had failed) and shuts Dear ImGui down.
void ShutdownOverlay();
