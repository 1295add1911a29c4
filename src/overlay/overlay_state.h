// Module-wide state shared by the device hooks, the overlay, hot reload and
// shutdown. One instance, all false or null until the hooks and the overlay
// set it up. The flags that the render thread, the window's thread and the
// threads creating effects read while another thread may write them are
// atomic; they carry no data with them, so relaxed loads and stores suffice.
#pragma once

#include <atomic>

#include "platform/direct3d.h"

using EndSceneFunction = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9* device);
using ReleaseFunction = ULONG(STDMETHODCALLTYPE*)(IDirect3DDevice9* device);
using PresentFunction = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9* device, const RECT* source,
                                                    const RECT* destination, HWND window,
                                                    const RGNDATA* dirtyRegion);
using ResetFunction = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9* device,
                                                  D3DPRESENT_PARAMETERS* parameters);

struct OverlayState {
  bool deviceHooksInstalled = false;  // the EndScene detour is created and enabled
  EndSceneFunction endSceneTrampoline = nullptr;
  ResetFunction resetTrampoline = nullptr;
  ReleaseFunction releaseTrampoline = nullptr;
  PresentFunction presentTrampoline = nullptr;
  // Dear ImGui is up and the window procedure replaced.
  std::atomic<bool> overlayInitialized{false};
  std::atomic<bool> overlayVisible{false};
  HWND overlayWindow = nullptr;  // null once the window was destroyed
  // The device the renderer draws with; null when the game let it go.
  IDirect3DDevice9* overlayDevice = nullptr;
  // The renderer's device objects were released for a Reset that has not
  // succeeded yet.
  bool deviceObjectsLost = false;
  // As SetWindowLongPtrA returned it; 0 when it failed. Kept after shutdown
  // for the messages that reach the procedure while the plug-in unloads.
  std::atomic<LONG_PTR> previousWndProc{0};
  std::atomic<bool> reloadRequested{false};
  // The game's window got END going down or up since the key was last read.
  std::atomic<bool> endKeyMessage{false};
  // Render thread only.
  bool endKeyLatched = false;
  bool endKeyRead = false;  // the key's state was read at least once
  unsigned framesSinceEndKeyRead = 0;
};

extern OverlayState overlayState;

// Puts every field back to its state at load.
void ResetOverlayState();

// Guards the Dear ImGui context, which is not thread-safe, and the window
// procedure fields: the render thread holds it while it initialises and
// draws the overlay, the window's thread while it feeds a message to Dear
// ImGui, a creating thread while it reads the mouse position. It is never
// held while the host's own window procedure runs.
extern CRITICAL_SECTION overlayLock;

class OverlayLocked {
 public:
  OverlayLocked() { EnterCriticalSection(&overlayLock); }
  ~OverlayLocked() { LeaveCriticalSection(&overlayLock); }
  OverlayLocked(const OverlayLocked&) = delete;
  OverlayLocked& operator=(const OverlayLocked&) = delete;
};
