// The in-game overlay window, drawn with Dear ImGui from inside EndSceneHook.
#pragma once

#include "platform/direct3d.h"

// First EndScene only: creates the Dear ImGui context on the device's focus
// window (else the foreground window), starts the Win32 and Direct3D 9 backends, applies the theme and
// subclasses the window. Always ends with overlayInitialized set.
void InitializeOverlay(IDirect3DDevice9* device);

// The device the game draws with: initialises the overlay on the first one;
// on another one moves the renderer to it and the overlay to the window that
// device was created for.
void BindOverlay(IDirect3DDevice9* device);
// The renderer lets go of a device the game let go (nothing when it draws
// with another one).
void ReleaseOverlayDevice(IDirect3DDevice9* device);
// The overlay moves to another window: the old one gets its procedure back
// when it still exists.
void FollowWindow(HWND window);
// The window is being destroyed: its procedure goes back and the overlay
// stops using it.
void ForgetDestroyedWindow(HWND window);

// Once per presented frame while the window is shown: builds the frame and
// renders it with the Direct3D 9 backend.
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
