#include "overlay/hot_reload.h"

#include <string>
#include <vector>

#include "core/log.h"
#include "core/scoped_timer.h"
#include "effect/effect_proxy.h"
#include "effect/engine_uniforms.h"
#include "hook/live_shaders.h"
#include "hook/shader_source.h"

namespace {

// One shader to reload. No reference is taken on the proxy: whether it is
// still listed is checked again, by pointer, before the swap.
struct ReloadEntry {
  EffectProxy* proxy;
  std::string name;
  std::string path;
};

class LiveShadersLocked {
 public:
  LiveShadersLocked() { EnterCriticalSection(&liveShadersLock); }
  ~LiveShadersLocked() { LeaveCriticalSection(&liveShadersLock); }
  LiveShadersLocked(const LiveShadersLocked&) = delete;
  LiveShadersLocked& operator=(const LiveShadersLocked&) = delete;
};

// The listed shaders that have an effect file now, in list order.
std::vector<ReloadEntry> Snapshot() {
  std::vector<ReloadEntry> entries;
  LiveShadersLocked locked;
  for (const LoadedShader& shader : liveShaders) {
    if (shader.proxy == nullptr || shader.name.empty()) continue;
    std::string path = ResolveShaderPath(shader.name.c_str());
    if (!path.empty()) entries.push_back(ReloadEntry{shader.proxy, shader.name, path});
  }
  return entries;
}

bool IsListed(const EffectProxy* proxy) {
  for (const LoadedShader& shader : liveShaders) {
    if (shader.proxy == proxy) return true;
  }
  return false;
}

void Reload(IDirect3DDevice9* device, const ReloadEntry& entry) {
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* messages = nullptr;
  HRESULT hr = D3DXCreateEffectFromFileA(device, entry.path.c_str(), nullptr, &includeHandler, 0, nullptr,
                                         &effect, &messages);
  if (FAILED(hr) || effect == nullptr) {
    LogError("[FAIL] %s", entry.name.c_str());
    if (messages != nullptr) {
      LogError("DX9 Error: %s", static_cast<const char*>(messages->GetBufferPointer()));
      messages->Release();
    }
    if (effect != nullptr) effect->Release();
    return;
  }
  if (messages != nullptr) messages->Release();  // warnings are not shown on reload
  try {
    ApplyEngineUniforms(effect);
  } catch (...) {
    effect->Release();
    throw;
  }

  LiveShadersLocked locked;
  if (!IsListed(entry.proxy)) {
    LogWarn("[SKIP] Proxy died during compile: %s", entry.name.c_str());
    effect->Release();
    return;
  }
  const bool installed = entry.proxy->InstallReloadedEffect(effect);
  LogInfo("[OK] Reloaded: %s", entry.name.c_str());
  if (!installed)
    LogInfo("%s is in use: the reloaded effect takes over once the game is done with it", entry.name.c_str());
}

}  // namespace

void ReloadAllShaders(IDirect3DDevice9* device) {
  ScopedTimer timer("ReloadAllShaders");
  LogInfo("=== HOT-RELOAD STARTED ===");
  // Running out of memory ends the run early, but never leaves the lock held
  // or lets the exception reach the game's EndScene.
  try {
    std::vector<ReloadEntry> entries = Snapshot();
    LogInfo("Found %d shaders to reload.", static_cast<int>(entries.size()));
    for (const ReloadEntry& entry : entries) Reload(device, entry);
  } catch (...) {
    LogError("Out of memory during the shader reload");
  }
  LogInfo("=== HOT-RELOAD FINISHED ===");
}
