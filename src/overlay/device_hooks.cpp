#include "overlay/device_hooks.h"

#include <MinHook.h>

#include "core/log.h"
#include "core/plugin_calls.h"
#include "effect/engine_uniforms.h"
#include "effect/screen_metrics.h"
#include "overlay/device_references.h"
#include "overlay/end_key.h"
#include "overlay/file_watch.h"
#include "overlay/hot_reload.h"
#include "overlay/overlay.h"
#include "overlay/overlay_state.h"

namespace {

constexpr int kReleaseSlot = 2;
constexpr int kResetSlot = 16;
constexpr int kPresentSlot = 17;
constexpr int kEndSceneSlot = 42;

bool hookingLibraryInitialized = false;

// Where the render thread is in the game's frame. A frame ends at Present;
// a game that never presents through the device makes every scene a frame.
struct FrameProgress {
  bool presentSeen = false;
  bool started = false;                    // the per-frame work ran
  bool overlayDrawn = false;               // the overlay is on this frame's back buffer
  IDirect3DDevice9* lostDevice = nullptr;  // lost until a Reset succeeds
};
FrameProgress frame;

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

// Once per frame, at its first scene: the overlay follows the device the game
// draws with, then the END key, a requested reload and "Time".
void StartFrame(IDirect3DDevice9* device) {
  if (overlayState.overlayDevice != device) {
    OverlayLocked locked;
    BindOverlay(device);
  }
  PollEndKey();
  ServeReloadRequest(device);
  WatchEffectFiles(device);
  UpdateTimeUniform();
}

bool OverlayShownOn(IDirect3DDevice9* device) {
  return overlayState.overlayVisible.load(std::memory_order_relaxed) &&
         overlayState.overlayDevice == device && overlayState.overlayWindow != nullptr &&
         !overlayState.deviceObjectsLost;
}

// Scenes drawn into the game's own targets (shadows, reflections) get no overlay.
bool DrawsToBackBuffer(IDirect3DDevice9* device) {
  OwnDeviceCalls ownCalls;
  IDirect3DSurface9* target = nullptr;
  IDirect3DSurface9* backBuffer = nullptr;
  device->GetRenderTarget(0, &target);
  device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
  const bool same = target != nullptr && target == backBuffer;
  if (target) target->Release();
  if (backBuffer) backBuffer->Release();
  return same;
}

void DrawOverlay(IDirect3DDevice9* device) {
  OverlayLocked locked;
  if (!OverlayShownOn(device)) return;
  RenderOverlayFrame();
}

// The screen is measured again and every live effect learns its new size.
void MeasureScreen(IDirect3DDevice9* device) {
  OwnDeviceCalls ownCalls;
  DetectScreenMetrics(device);
  ApplyScreenMetricsToLiveEffects();
}

}  // namespace

void InitializeHookingLibrary() {
  hookingLibraryInitialized = MH_Initialize() == MH_OK;
  frame = FrameProgress{};
  ForgetDeviceReferences();
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
  CreateAndEnable<PresentFunction>(VirtualSlot(device, kPresentSlot), &PresentHook,
                                   &overlayState.presentTrampoline);
  CreateAndEnable<ReleaseFunction>(VirtualSlot(device, kReleaseSlot), &DeviceReleaseHook,
                                   &overlayState.releaseTrampoline);
}

// A lost device gets nothing. Otherwise the frame's work runs at its first
// scene, and the shown overlay goes onto the back buffer at the first scene
// that draws there.
HRESULT STDMETHODCALLTYPE EndSceneHook(IDirect3DDevice9* device) {
  PluginCall call;
  if (!call.Admitted()) return overlayState.endSceneTrampoline(device);
  if (device != frame.lostDevice) {
    if (!frame.started) {
      frame.started = true;
      StartFrame(device);
    }
    if (!frame.overlayDrawn && OverlayShownOn(device) && DrawsToBackBuffer(device)) {
      frame.overlayDrawn = true;
      DrawOverlay(device);
    }
    if (!frame.presentSeen) frame.started = frame.overlayDrawn = false;
  }
  return overlayState.endSceneTrampoline(device);
}

HRESULT STDMETHODCALLTYPE PresentHook(IDirect3DDevice9* device, const RECT* source, const RECT* destination,
                                      HWND window, const RGNDATA* dirtyRegion) {
  PluginCall call;
  const HRESULT result = overlayState.presentTrampoline(device, source, destination, window, dirtyRegion);
  if (!call.Admitted()) return result;
  frame.presentSeen = true;
  frame.started = frame.overlayDrawn = false;
  if (result == D3DERR_DEVICELOST) frame.lostDevice = device;
  return result;
}

// The renderer's device objects are released once before a Reset and made
// again only after one that succeeds; the overlay then follows the window
// the device presents to, and the screen is measured again.
HRESULT STDMETHODCALLTYPE ResetHook(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* parameters) {
  PluginCall call;
  if (!call.Admitted()) return overlayState.resetTrampoline(device, parameters);
  const bool overlay =
      overlayState.overlayInitialized.load(std::memory_order_relaxed) && overlayState.overlayDevice == device;
  if (overlay) {
    OverlayLocked locked;
    InvalidateOverlayDeviceObjects();
  }
  const HRESULT result = overlayState.resetTrampoline(device, parameters);
  if (FAILED(result)) {
    frame.lostDevice = device;
    return result;
  }
  if (frame.lostDevice == device) frame.lostDevice = nullptr;
  if (overlay) {
    OverlayLocked locked;
    RecreateOverlayDeviceObjects();
    if (parameters != nullptr) FollowWindow(parameters->hDeviceWindow);
  }
  MeasureScreen(device);
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
