#include "overlay/overlay_state.h"

OverlayState overlayState;
CRITICAL_SECTION overlayLock;

void ResetOverlayState() {
  constexpr auto relaxed = std::memory_order_relaxed;
  overlayState.deviceHooksInstalled = false;
  overlayState.endSceneTrampoline = nullptr;
  overlayState.resetTrampoline = nullptr;
  overlayState.releaseTrampoline = nullptr;
  overlayState.presentTrampoline = nullptr;
  overlayState.overlayDevice = nullptr;
  overlayState.deviceObjectsLost = false;
  overlayState.overlayInitialized.store(false, relaxed);
  overlayState.overlayVisible.store(false, relaxed);
  overlayState.overlayWindow = nullptr;
  overlayState.previousWndProc.store(0, relaxed);
  overlayState.reloadRequested.store(false, relaxed);
  overlayState.endKeyMessage.store(false, relaxed);
  overlayState.endKeyLatched = false;
  overlayState.endKeyRead = false;
  overlayState.framesSinceEndKeyRead = 0;
}
