#include "overlay/hot_reload.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/scoped_timer.h"
#include "effect/effect_proxy.h"
#include "effect/engine_uniforms.h"
#include "hook/live_shaders.h"
#include "hook/shader_source.h"
#include "overlay/device_references.h"
#include "platform/files.h"

namespace {

// One shader to reload. No reference is taken on the proxy: whether it is
// still listed is checked again, by pointer, before the swap.
struct ReloadEntry {
  EffectProxy* proxy;
  std::string name;
  std::string path;
  IDirect3DDevice9* device;  // the device the game created the effect on
};

bool Contains(const std::vector<EffectProxy*>& proxies, const EffectProxy* proxy) {
  return std::find(proxies.begin(), proxies.end(), proxy) != proxies.end();
}

// The listed shaders (all, or those of `only`) that have an effect file now, in list order.
std::vector<ReloadEntry> Snapshot(const std::vector<EffectProxy*>* only) {
  std::vector<ReloadEntry> entries;
  LiveShadersLocked locked;
  for (const LoadedShader& shader : liveShaders) {
    if (shader.proxy == nullptr || shader.name.empty()) continue;
    if (only != nullptr && !Contains(*only, shader.proxy)) continue;
    std::string path = ResolveShaderPath(shader.name.c_str());
    if (!path.empty()) entries.push_back(ReloadEntry{shader.proxy, shader.name, path, shader.device});
  }
  return entries;
}

bool IsListed(const EffectProxy* proxy) {
  for (const LoadedShader& shader : liveShaders) {
    if (shader.proxy == proxy) return true;
  }
  return false;
}

std::vector<WatchedFile> WatchedFiles(const std::vector<std::string>& paths) {
  std::vector<WatchedFile> files;
  for (const std::string& path : paths) {
    const std::int64_t time = FileWriteTime(path);
    files.push_back(WatchedFile{path, time, time});
  }
  return files;
}

// The proxy keeps its effect and shows the failure; the files' present times
// count as seen, so that the same broken save is not compiled again.
void NoteFailure(const ReloadEntry& entry, const std::string& messages) {
  LiveShadersLocked locked;
  if (!IsListed(entry.proxy)) return;
  EffectSource& source = entry.proxy->source;
  source.failed = true;
  source.messages = messages;
  for (WatchedFile& file : source.files) file.compiledTime = file.seenTime = FileWriteTime(file.path);
}

enum class Outcome { Reloaded, Failed, Skipped };

Outcome Reload(IDirect3DDevice9* frameDevice, const ReloadEntry& entry) {
  IDirect3DDevice9* device = entry.device ? entry.device : frameDevice;
  PluginCallsOn ownCalls(device);
  EffectFileCompile compile = CompileEffectFile(device, entry.path, nullptr, 0, nullptr);
  ID3DXEffect* effect = compile.effect;
  if (FAILED(compile.result) || effect == nullptr) {
    LogError("[FAIL] %s", entry.name.c_str());
    if (compile.hasMessages) LogError("DX9 Error: %s", compile.messages.c_str());
    if (effect != nullptr) effect->Release();
    NoteFailure(entry, compile.hasMessages ? compile.messages : "The compiler gave no effect.");
    return Outcome::Failed;
  }
  std::vector<WatchedFile> files;
  try {
    ApplyEngineUniforms(effect);  // warnings are not shown on reload
    files = WatchedFiles(compile.files);
  } catch (...) {
    effect->Release();
    throw;
  }

  LiveShadersLocked locked;
  if (!IsListed(entry.proxy)) {
    LogWarn("[SKIP] Proxy died during compile: %s", entry.name.c_str());
    effect->Release();
    return Outcome::Skipped;
  }
  const bool installed = entry.proxy->InstallReloadedEffect(effect);
  EffectSource& source = entry.proxy->source;
  source.path = entry.path;
  source.files.swap(files);
  source.failed = false;
  source.messages.clear();
  LogInfo("[OK] Reloaded: %s", entry.name.c_str());
  if (!installed)
    LogInfo("%s is in use: the reloaded effect takes over once the game is done with it", entry.name.c_str());
  return Outcome::Reloaded;
}

double MillisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

void Run(IDirect3DDevice9* device, const std::vector<EffectProxy*>* only) {
  ScopedTimer timer("ReloadAllShaders");
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  ReloadSummary summary;
  summary.any = true;
  LogInfo("=== HOT-RELOAD STARTED ===");
  // Running out of memory ends the run early, but never leaves the lock held
  // or lets the exception reach the game's EndScene.
  try {
    std::vector<ReloadEntry> entries = Snapshot(only);
    LogInfo("Found %d shaders to reload.", static_cast<int>(entries.size()));
    for (const ReloadEntry& entry : entries) {
      const Outcome outcome = Reload(device, entry);
      summary.reloaded += outcome == Outcome::Reloaded;
      summary.failed += outcome == Outcome::Failed;
    }
  } catch (...) {
    LogError("Out of memory during the shader reload");
  }
  LogInfo("=== HOT-RELOAD FINISHED ===");
  summary.milliseconds = MillisecondsSince(start);
  lastReloadSummary = summary;
}

}  // namespace

ReloadSummary lastReloadSummary;

void ReloadAllShaders(IDirect3DDevice9* device) {
  Run(device, nullptr);
}

void ReloadShaders(IDirect3DDevice9* device, const std::vector<EffectProxy*>& proxies) {
  Run(device, &proxies);
}
