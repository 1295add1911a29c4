#include "hook/live_shaders.h"

#include "effect/effect_proxy.h"

std::vector<LoadedShader> liveShaders;
CRITICAL_SECTION liveShadersLock;
std::atomic<bool> anyLiveShader{false};
std::vector<BuiltInShader> builtInShaders;

void NoteBuiltInShader(const BuiltInShader& shader) {
  LiveShadersLocked locked;
  for (BuiltInShader& known : builtInShaders) {
    if (known.name == shader.name) {
      known = shader;
      return;
    }
  }
  builtInShaders.push_back(shader);
}

void ForgetBuiltInShader(const std::string& name) {
  LiveShadersLocked locked;
  for (auto it = builtInShaders.begin(); it != builtInShaders.end(); ++it) {
    if (it->name == name) {
      builtInShaders.erase(it);
      return;
    }
  }
}

void ReleaseLiveShaders() {
  EnterCriticalSection(&liveShadersLock);
  for (const LoadedShader& shader : liveShaders) {
    if (!shader.proxy) continue;
    // A game that keeps the effect after the unload keeps none of its textures alive through it.
    shader.proxy->ReleaseRecordedTextures();
    shader.proxy->Release();
  }
  liveShaders.clear();
  builtInShaders.clear();
  anyLiveShader.store(false, std::memory_order_relaxed);
  LeaveCriticalSection(&liveShadersLock);
}
