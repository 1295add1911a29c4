// Detours on the host device's EndScene and Reset.
#pragma once

// Brings up the hooking library at attach.
void InitializeHookingLibrary();

// At detach, when the device hooks were installed: disables and removes them.
void RemoveDeviceHooks();
