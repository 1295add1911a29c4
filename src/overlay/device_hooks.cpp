#include "overlay/device_hooks.h"

#include <MinHook.h>

#include "overlay/overlay_state.h"

void InitializeHookingLibrary() {
  MH_Initialize();
}

void RemoveDeviceHooks() {
  if (!overlayState.deviceHooksInstalled) return;
  MH_DisableHook(MH_ALL_HOOKS);
  MH_Uninitialize();
}
