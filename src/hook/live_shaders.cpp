#include "hook/live_shaders.h"

#include "effect/effect_proxy.h"

std::vector<LoadedShader> liveShaders;
CRITICAL_SECTION liveShadersLock;
std::atomic<bool> anyLiveShader{false};

void ReleaseLiveShaders() {
  EnterCriticalSection(&liveShadersLock);
  for (const LoadedShader& shader : liveShaders) {
    if (!shader.proxy) continue;
    // A game that keeps the effect after the unload keeps none of its textures alive through it.
    shader.proxy->ReleaseRecordedTextures();
    shader.proxy->Release();
  }
  liveShaders.clear();
  anyLiveShader.store(false, std::memory_order_relaxed);
  LeaveCriticalSection(&liveShadersLock);
}
