#include "hook/create_effect_hook.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/log.h"
#include "core/plugin_calls.h"
#include "core/scoped_timer.h"
#include "effect/custom_textures.h"
#include "effect/effect_proxy.h"
#include "effect/engine_uniforms.h"
#include "hook/live_shaders.h"
#include "hook/shader_source.h"
#include "overlay/device_references.h"
#include "platform/files.h"

namespace {

constexpr std::size_t kNameBufferSize = 256;

// Resources named by a number carry it in the pointer's low word, as MAKEINTRESOURCE does.
bool IsResourceNumber(LPCSTR resource) {
  return reinterpret_cast<std::uintptr_t>(resource) < 0x10000;
}

// True when the name and its NUL fit the name buffer.
bool FitsNameBuffer(LPCSTR resource) {
  for (std::size_t i = 0; i < kNameBufferSize; ++i) {
    if (resource[i] == '\0') return true;
  }
  return false;
}

// Compiles the effect file, wraps it and hands the proxy to the host.
// Returns false (with nothing handed out) when the host's resource must be used.
bool CreateFromFile(LPDIRECT3DDEVICE9 device, const char* name, const D3DXMACRO* defines, DWORD flags,
                    LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* ppEffect) {
  std::string path = ResolveShaderPath(name);
  if (path.empty()) {
    LogInfo("Falling back to original resource shader for: %s", name);
    NoteBuiltInShader(BuiltInShader{name, std::string(), std::string()});
    return false;
  }
  LogInfo("Trying to load shader from file: %s", path.c_str());

  EffectFileCompile compile = CompileEffectFile(device, path, defines, flags, pool);
  ID3DXEffect* effect = compile.effect;
  if (FAILED(compile.result)) {
    if (compile.hasMessages) {
      LogError("Shader FAILED to load from file: %s", path.c_str());
      LogError("Shader compile errors:\n%s", compile.messages.c_str());
    }
    if (effect != nullptr) effect->Release();
    NoteBuiltInShader(BuiltInShader{name, path, compile.messages});
    return false;
  }
  LogInfo("Shader loaded successfully from file: %s", path.c_str());
  if (compile.hasMessages) LogWarn("Shader warnings:\n%s", compile.messages.c_str());
  EffectProxy* proxy = nullptr;
  try {
    if (effect != nullptr) ApplyEngineUniforms(effect);
    proxy = new EffectProxy(effect, name);
    proxy->source.path = path;
    for (const std::string& file : compile.files) {
      const std::int64_t time = FileWriteTime(file);
      proxy->source.files.push_back(WatchedFile{file, time, time});
    }
    if (effect != nullptr) {
      proxy->ParseParameterAnnotations(effect);
      proxy->LoadParameterSettings();
    }
  } catch (...) {
    // Out of memory while building the proxy: the host gets its resource instead.
    if (proxy != nullptr) {
      proxy->Release();
    } else if (effect != nullptr) {
      effect->Release();
    }
    LogError("Out of memory while wrapping shader: %s", name);
    return false;
  }

  bool listed = false;
  EnterCriticalSection(&liveShadersLock);
  try {
    liveShaders.push_back(LoadedShader{proxy, name, device});
    anyLiveShader.store(true, std::memory_order_relaxed);
    proxy->AddRef();
    listed = true;
  } catch (...) {
  }
  LeaveCriticalSection(&liveShadersLock);
  if (listed) ForgetBuiltInShader(name);
  if (!listed) {
    // A proxy that cannot be listed could never be reloaded: use the host's resource.
    LogError("Out of memory while listing shader: %s", name);
    proxy->Release();
    return false;
  }
  if (ppEffect != nullptr) {
    *ppEffect = proxy;
  } else {
    proxy->Release();
  }
  return true;
}

// Everything that can throw (paths, the proxy's bookkeeping) stays inside:
// the host expects an HRESULT in every case.
bool TryCreateFromFile(LPDIRECT3DDEVICE9 device, const char* name, const D3DXMACRO* defines, DWORD flags,
                       LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* ppEffect) noexcept {
  try {
    return CreateFromFile(device, name, defines, flags, pool, ppEffect);
  } catch (...) {
    LogError("Out of memory while loading shader: %s", name);
    return false;
  }
}

}  // namespace

HRESULT WINAPI D3DXCreateEffectFromResourceHook(LPDIRECT3DDEVICE9 pDevice, HMODULE hSrcModule,
                                                LPCSTR pSrcResource, const D3DXMACRO* pDefines,
                                                LPD3DXINCLUDE pInclude, DWORD Flags, LPD3DXEFFECTPOOL pPool,
                                                LPD3DXEFFECT* ppEffect, LPD3DXBUFFER* ppCompilationErrors) {
  PluginCall call;
  if (!call.Admitted()) {
    return D3DXCreateEffectFromResourceA(pDevice, hSrcModule, pSrcResource, pDefines, pInclude, Flags, pPool,
                                         ppEffect, ppCompilationErrors);
  }
  // A numbered resource has no name to find a file by; a name too long for
  // the name buffer has no file either. Both go to the host's resource.
  char number[16] = {};
  bool numbered = IsResourceNumber(pSrcResource);
  if (numbered) {
    std::snprintf(number, sizeof(number), "#%u",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(pSrcResource)));
  }
  const char* shown = numbered ? number : pSrcResource;
  LogInfo("Hook triggered for shader: %s", shown);
  ScopedTimer timer("D3DXCreateEffectFromResourceHook");
  bool fromFile = false;
  {
    // What this creates on the device is held by the plug-in, or by the game
    // through the proxy it gets.
    PluginCallsOn ownCalls(pDevice);
    PrepareDeviceOnce(pDevice);
    if (!numbered && FitsNameBuffer(pSrcResource)) {
      char name[kNameBufferSize];
      std::strcpy(name, pSrcResource);
      fromFile = TryCreateFromFile(pDevice, name, pDefines, Flags, pPool, ppEffect);
    }
  }
  if (!fromFile && (numbered || !FitsNameBuffer(pSrcResource))) {
    LogInfo("Falling back to original resource shader for: %s", shown);
  }
  if (fromFile) return S_OK;
  return D3DXCreateEffectFromResourceA(pDevice, hSrcModule, pSrcResource, pDefines, pInclude, Flags, pPool,
                                       ppEffect, ppCompilationErrors);
}
