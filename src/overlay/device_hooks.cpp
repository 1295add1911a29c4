#include "overlay/device_hooks.h"

#include <MinHook.h>

#include "core/log.h"
#include "core/plugin_calls.h"
#include "effect/engine_uniforms.h"
#include "overlay/end_key.h"
#include "overlay/hot_reload.h"
#include "overlay/overlay.h"
#include "overlay/overlay_state.h"

namespace {

constexpr int kResetSlot = 16;
constexpr int kEndSceneSlot = 42;

bool hookingLibraryInitialized = false;

void* VirtualSlot(IDirect3DDevice9* device, int slot) {
  void** table = *reinterpret_cast<void***>(device);
  return table[slot];
}

template <typename Function>
bool CreateAndEnable(void* target, Function detour, Function* trampoline) {
  void* original = nullptr;
  if (MH_CreateHook(target, reinterpret_cast<void*>(detour), &original) != MH_OK) return false;
  *trampoline = reinterpret_cast<Function>(original);
  MH_EnableHook(target);
  return true;
}

void ServeReloadRequest(IDirect3DDevice9* device) {
  if (!overlayState.reloadRequested.exchange(false, std::memory_order_relaxed)) return;
  ReloadAllShaders(device);
}

// Initialisation and the frame use the Dear ImGui context that the window's
// thread feeds with messages, so both run under the overlay lock.
void InitializeOverlayOnce(IDirect3DDevice9* device) {
  if (overlayState.overlayInitialized.load(std::memory_order_relaxed)) return;
  OverlayLocked locked;
  InitializeOverlay(device);
}

void OverlayFrame() {
  OverlayLocked locked;
  RenderOverlayFrame();
}

}  // namespace

void InitializeHookingLibrary() {
  hookingLibraryInitialized = MH_Initialize() == MH_OK;
}

void InstallDeviceHooks(IDirect3DDevice9* device) {
  if (overlayState.deviceHooksInstalled) return;
  if (CreateAndEnable<EndSceneFunction>(VirtualSlot(device, kEndSceneSlot), &EndSceneHook,
                                        &overlayState.endSceneTrampoline)) {
    overlayState.deviceHooksInstalled = true;
    LogInfo("EndScene Hook initialized.");
  }
  if (CreateAndEnable<ResetFunction>(VirtualSlot(device, kResetSlot), &ResetHook,
                                     &overlayState.resetTrampoline)) {
    LogInfo("Reset Hook initialized.");
  }
}

HRESULT STDMETHODCALLTYPE EndSceneHook(IDirect3DDevice9* device) {
  PluginCall call;
  if (!call.Admitted()) return overlayState.endSceneTrampoline(device);
  InitializeOverlayOnce(device);
  PollEndKey();
  ServeReloadRequest(device);
  OverlayFrame();
  UpdateTimeUniform();
  return overlayState.endSceneTrampoline(device);
}

HRESULT STDMETHODCALLTYPE ResetHook(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* parameters) {
  PluginCall call;
  const bool overlay = call.Admitted() && overlayState.overlayInitialized.load(std::memory_order_relaxed);
  if (overlay) InvalidateOverlayDeviceObjects();
  const HRESULT result = overlayState.resetTrampoline(device, parameters);
  if (overlay) RecreateOverlayDeviceObjects();
  return result;
}

void RemoveDeviceHooks() {
  if (!hookingLibraryInitialized) return;
  MH_DisableHook(MH_ALL_HOOKS);
  // A game thread may still be in a detour, on its way to a trampoline.
  WaitForPluginCallsToLeave();
  MH_Uninitialize();
  hookingLibraryInitialized = false;
  overlayState.deviceHooksInstalled = false;
}
