#include "overlay/overlay.h"

#include "overlay/overlay_state.h"

void ShutdownOverlay() {
  if (!overlayInitialized) return;
}
