#include "overlay/overlay.h"

#include "overlay/overlay_state.h"

// Not built yet: the Dear ImGui window and its backends.
void InitializeOverlay(IDirect3DDevice9*) {}

void RenderOverlayFrame() {}

void InvalidateOverlayDeviceObjects() {}

void RecreateOverlayDeviceObjects() {}

LRESULT CALLBACK OverlayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(reinterpret_cast<WNDPROC>(static_cast<LONG_PTR>(overlayState.previousWndProc)),
                         window, message, wParam, lParam);
}

void ShutdownOverlay() {
  if (!overlayState.overlayInitialized) return;
}
