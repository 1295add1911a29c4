#include "hook/live_shaders.h"

std::vector<LoadedShader> liveShaders;
CRITICAL_SECTION liveShadersLock;

void ReleaseLiveShaders() {
  EnterCriticalSection(&liveShadersLock);
  // Proxies are released once the effect proxy lands; until then the list stays empty.
  liveShaders.clear();
  LeaveCriticalSection(&liveShadersLock);
}
