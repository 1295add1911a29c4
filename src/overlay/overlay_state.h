// Module-wide state shared by the device hooks, the overlay, hot reload and
// shutdown. One instance, all false or null until the hooks and the overlay
// set it up; none of it is guarded by a lock.
#pragma once

#include "platform/direct3d.h"

using EndSceneFunction = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9* device);
using ResetFunction = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9* device,
                                                  D3DPRESENT_PARAMETERS* parameters);

struct OverlayState {
  bool deviceHooksInstalled = false;  // the EndScene detour is created and enabled
  EndSceneFunction endSceneTrampoline = nullptr;
  ResetFunction resetTrampoline = nullptr;
  bool overlayInitialized = false;  // Dear ImGui is up and the window procedure replaced
  bool overlayVisible = false;
  HWND overlayWindow = nullptr;
  LONG_PTR previousWndProc = 0;  // as SetWindowLongPtrA returned it; 0 when it failed
  bool reloadRequested = false;
  bool endKeyLatched = false;
};

extern OverlayState overlayState;
