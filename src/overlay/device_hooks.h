// Detours on the host device's EndScene and Reset: the system's per-frame
// work runs inside the host's own EndScene.
#pragma once

#include "platform/direct3d.h"

// At attach: brings up the hooking library.
void InitializeHookingLibrary();

// Once per process, from the device of the first effect creation: detours
// the functions in slots 42 (EndScene), 16 (Reset), 17 (Present) and 2
// (Release) of its virtual table.
void InstallDeviceHooks(IDirect3DDevice9* device);

// The detours; each ends in the device's own function and returns its result.
HRESULT STDMETHODCALLTYPE EndSceneHook(IDirect3DDevice9* device);
HRESULT STDMETHODCALLTYPE ResetHook(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* parameters);
// Marks the end of the game's frame: the next scene starts another one.
HRESULT STDMETHODCALLTYPE PresentHook(IDirect3DDevice9* device, const RECT* source, const RECT* destination,
                                      HWND window, const RGNDATA* dirtyRegion);

// At detach: disables every hook created, whichever of them succeeded, and
// shuts the hooking library down when attach brought it up.
void RemoveDeviceHooks();
