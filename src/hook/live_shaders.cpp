#include "hook/live_shaders.h"

#include "effect/effect_proxy.h"

std::vector<LoadedShader> liveShaders;
CRITICAL_SECTION liveShadersLock;
std::atomic<bool> anyLiveShader{false};

void ReleaseLiveShaders() {
  EnterCriticalSection(&liveShadersLock);
  for (const LoadedShader& shader : liveShaders) {
    if (shader.proxy) shader.proxy->Release();
  }
  liveShaders.clear();
  anyLiveShader.store(false, std::memory_order_relaxed);
  LeaveCriticalSection(&liveShadersLock);
}
