#include "overlay/end_key.h"

#include "overlay/overlay_state.h"
#include "platform/win32.h"

namespace {

// Reading the key's state can be a round trip to the window server (under
// Wine it costs more than the rest of a hidden frame). The game's window
// tells when END goes down or up; for a game whose window hears no keys, the
// state is read every few frames.
constexpr unsigned kFramesPerEndKeyRead = 6;

constexpr SHORT kDown = static_cast<SHORT>(0x8000);
constexpr SHORT kPressedSinceLastRead = 0x0001;

bool EndKeyDue() {
  const bool keyMessage = overlayState.endKeyMessage.exchange(false, std::memory_order_relaxed);
  const bool due = keyMessage || overlayState.framesSinceEndKeyRead + 1 >= kFramesPerEndKeyRead;
  overlayState.framesSinceEndKeyRead = due ? 0 : overlayState.framesSinceEndKeyRead + 1;
  return due;
}

}  // namespace

void PollEndKey() {
  if (!EndKeyDue()) return;
  const SHORT state = GetAsyncKeyState(VK_END);
  // A press that came and went between two reads; the first read ever may
  // report one from before the plug-in was loaded.
  const bool tapped = overlayState.endKeyRead && (state & kPressedSinceLastRead) != 0;
  overlayState.endKeyRead = true;
  const bool down = (state & kDown) != 0;
  if (!down) {
    if (tapped && !overlayState.endKeyLatched)
      overlayState.reloadRequested.store(true, std::memory_order_relaxed);
    overlayState.endKeyLatched = false;
    return;
  }
  if (overlayState.endKeyLatched) return;
  overlayState.reloadRequested.store(true, std::memory_order_relaxed);
  overlayState.endKeyLatched = true;
}
