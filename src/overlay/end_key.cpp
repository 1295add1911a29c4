#include "overlay/end_key.h"

#include "overlay/overlay_state.h"
#include "platform/win32.h"

void PollEndKey() {
  const bool down = (GetAsyncKeyState(VK_END) & 0x8000) != 0;
  if (!down) {
    overlayState.endKeyLatched = false;
    return;
  }
  if (overlayState.endKeyLatched) return;
  overlayState.reloadRequested.store(true, std::memory_order_relaxed);
  overlayState.endKeyLatched = true;
}
