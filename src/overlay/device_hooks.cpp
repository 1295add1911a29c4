#include "overlay/device_hooks.h"

#include "overlay/overlay_state.h"

void InitializeHookingLibrary() {
  // MH_Initialize is called here once the hooking library lands.
}

void RemoveDeviceHooks() {
  if (!deviceHooksInstalled) return;
}
