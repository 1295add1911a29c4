#include "overlay/overlay_state.h"

OverlayState overlayState;
