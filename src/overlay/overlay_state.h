// Module-wide state shared by the device hooks, the overlay and shutdown.
#pragma once

#include "platform/win32.h"

extern bool deviceHooksInstalled;
extern bool overlayInitialized;
extern bool overlayVisible;
extern bool reloadRequested;
extern bool endKeyLatched;
extern HWND overlayWindow;
extern LONG previousWndProc;
