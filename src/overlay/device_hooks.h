// Detours on the host device's EndScene and Reset: the system's per-frame
// work runs inside the host's own EndScene.
#pragma once

#include "platform/direct3d.h"

// At attach: brings up the hooking library.
void InitializeHookingLibrary();

// Once per process, from the device of the first effect creation: detours
// the functions in slots 42 (EndScene) and 16 (Reset) of its virtual table.
void InstallDeviceHooks(IDirect3DDevice9* device);

// The detours; each ends in the device's own function and returns its result.
HRESULT STDMETHODCALLTYPE EndSceneHook(IDirect3DDevice9* device);
HRESULT STDMETHODCALLTYPE ResetHook(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* parameters);

// At detach: disables every hook created, whichever of them succeeded, and
// shuts the hooking library down when attach brought it up.
void RemoveDeviceHooks();
