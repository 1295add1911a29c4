#include "overlay/overlay_state.h"

bool deviceHooksInstalled = false;
bool overlayInitialized = false;
bool overlayVisible = false;
bool reloadRequested = false;
bool endKeyLatched = false;
HWND overlayWindow = nullptr;
LONG previousWndProc = 0;
