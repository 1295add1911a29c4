// Where the plug-in's own work on a proxy meets the game's calls: the game
// moving its calls to another thread, and the work left waiting for it.
#include "core/plugin_calls.h"
#include "effect/effect_proxy.h"
#include "effect/engine_uniforms.h"
#include "overlay/device_references.h"

namespace {

IDirect3DDevice9* DeviceOf(ID3DXEffect* effect) {
  IDirect3DDevice9* device = nullptr;
  if (effect == nullptr || FAILED(effect->GetDevice(&device)) || device == nullptr) return nullptr;
  device->Release();  // the effect keeps it alive
  return device;
}

}  // namespace

void EffectProxy::MoveToCallingThread() {
  EnterCriticalSection(&pluginWorkLock);
  gameThread.store(CurrentThreadTag(), std::memory_order_relaxed);
  DoWaitingWork();  // a begun effect's reload is left for its End
  LeaveCriticalSection(&pluginWorkLock);
}

// On the game's thread, under pluginWorkLock. A begun effect keeps drawing
// until the game's End: the game's EndPass and End belong to it.
void EffectProxy::DoWaitingWork() {
  if (waitingEffect && !begun) {
    ID3DXEffect* effect = waitingEffect;
    waitingEffect = nullptr;
    effectWaiting.store(false, std::memory_order_relaxed);
    // The previous effect's references on the device are the plug-in's,
    // on whichever thread it goes (once the plug-in unloads, nobody counts).
    PluginCall call;
    PluginCallsOn ownCalls(call.Admitted() ? DeviceOf(innerEffect) : nullptr);
    SwapInnerEffect(effect);
  }
  if (timeWaiting && innerEffect) innerEffect->SetFloat("Time", ElapsedSeconds());
  timeWaiting = false;
}

void EffectProxy::LeaveWorkWaiting() {
  gameThread.fetch_or(1, std::memory_order_relaxed);
}

bool EffectProxy::InstallReloadedEffect(ID3DXEffect* newEffect) {
  EnterCriticalSection(&pluginWorkLock);
  if (waitingEffect) waitingEffect->Release();  // an older reload that never got in
  waitingEffect = newEffect;
  effectWaiting.store(true, std::memory_order_relaxed);
  if (CalledLastFromThisThread()) DoWaitingWork();
  const bool installed = waitingEffect == nullptr;
  if (!installed) LeaveWorkWaiting();
  LeaveCriticalSection(&pluginWorkLock);
  return installed;
}

void EffectProxy::FrameWork(float time) {
  EnterCriticalSection(&pluginWorkLock);
  if (CalledLastFromThisThread()) {
    DoWaitingWork();
    if (innerEffect) innerEffect->SetFloat("Time", time);
  } else {
    timeWaiting = true;
    LeaveWorkWaiting();
  }
  LeaveCriticalSection(&pluginWorkLock);
}

void EffectProxy::EndWaitingWork() {
  if (!effectWaiting.load(std::memory_order_relaxed)) return;
  EnterCriticalSection(&pluginWorkLock);
  DoWaitingWork();
  LeaveCriticalSection(&pluginWorkLock);
}

void EffectProxy::ReleaseRecordedTextures() {
  for (auto& entry : recordedTextures) {
    if (entry.second) entry.second->Release();
  }
  recordedTextures.clear();
  InvalidateResolvedHandles(handleCache);  // slots pointed into the entries
}
