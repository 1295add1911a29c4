// Effect creation: from memory, from a file and from the host executable's
// resources. The source goes through the simulated effect compiler with the
// caller's macros and include interface (or, without one, includes are read
// beside the file). Resources are the registered ones, else the module's own
// RCDATA resources where it has any. Results:
//   - compile errors: E_FAIL, and the compiler's messages in an ID3DXBuffer
//     ("file(line,col): error X....: text", NUL-terminated) when asked for;
//   - success with warnings: D3D_OK, the effect, and the warnings in a buffer;
//   - a file that cannot be read or a resource that does not exist:
//     D3DXERR_INVALIDDATA and no buffer;
//   - a null device or effect place: D3DERR_INVALIDCALL.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

#include "d3dx_buffer.h"
#include "effect.h"
#include "module_resources.h"
#include "sim/host_kernel.h"

namespace sim {
namespace {

struct EffectCreationRecords {
  std::mutex lock;
  std::map<std::pair<HMODULE, std::string>, std::string> resources;  // name lower-cased
  EffectCreationCall lastResource;
  int resourceCalls = 0;
  EffectCreationCall lastFile;
  int fileCalls = 0;
  std::function<void(const std::string&)> fileCompileHook;
};

EffectCreationRecords& records() {
  static EffectCreationRecords instance;
  return instance;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::vector<std::pair<std::string, std::string>> MacroList(const D3DXMACRO* defines) {
  std::vector<std::pair<std::string, std::string>> macros;
  for (const D3DXMACRO* macro = defines; macro && macro->Name; ++macro) {
    macros.emplace_back(macro->Name, macro->Definition ? macro->Definition : "");
  }
  return macros;
}

// Resources may be named by a number (MAKEINTRESOURCE); Windows spells those "#<number>".
std::string ResourceName(LPCSTR resource) {
  auto value = reinterpret_cast<std::uintptr_t>(resource);
  if (value < 0x10000) return "#" + std::to_string(value);
  return resource;
}

EffectCreationCall RecordCall(IDirect3DDevice9* device, HMODULE module, const char* source,
                              const D3DXMACRO* defines, ID3DXInclude* include, DWORD flags,
                              ID3DXEffectPool* pool, ID3DXEffect** effect, ID3DXBuffer** errors) {
  EffectCreationCall call;
  call.device = device;
  call.module = module;
  call.source = ResourceName(source);
  call.definesGiven = defines != nullptr;
  call.defines = MacroList(defines);
  call.include = include;
  call.flags = flags;
  call.pool = pool;
  call.effectPlaceGiven = effect != nullptr;
  call.errorsPlaceGiven = errors != nullptr;
  call.effectPlace = effect;
  call.errorsPlace = errors;
  return call;
}

// Keeps the arguments of a finished creation call; without the memory for
// the record, the call is not recorded (the counter still counts it).
void Remember(EffectCreationCall& last, int& calls, IDirect3DDevice9* device, HMODULE module,
              const char* source, const D3DXMACRO* defines, ID3DXInclude* include, DWORD flags,
              ID3DXEffectPool* pool, ID3DXEffect** effect, ID3DXBuffer** errors, HRESULT result) {
  std::lock_guard<std::mutex> guard(records().lock);
  ++calls;
  try {
    EffectCreationCall call =
        RecordCall(device, module, source ? source : "", defines, include, flags, pool, effect, errors);
    call.result = result;
    last = std::move(call);
  } catch (const std::bad_alloc&) {
    last = EffectCreationCall();
  }
}

HRESULT CompileEffect(IDirect3DDevice9* device, const std::string& source, const std::string& fileName,
                      const D3DXMACRO* defines, ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool,
                      ID3DXEffect** effect, ID3DXBuffer** errors) {
  simfx::IncludeResolver resolver;
  if (include) {
    resolver.open = [include](bool system, const std::string& name, const void*& data, std::uint32_t& bytes) {
      LPCVOID opened = nullptr;
      UINT size = 0;
      const HRESULT hr =
          include->Open(system ? D3DXINC_SYSTEM : D3DXINC_LOCAL, name.c_str(), nullptr, &opened, &size);
      if (FAILED(hr)) return false;
      data = opened;
      bytes = size;
      return true;
    };
    resolver.close = [include](const void* data) { include->Close(data); };
  }
  // D3DX reports running out of memory as E_OUTOFMEMORY; nothing is created then.
  try {
    const simfx::CompileResult result =
        simfx::Compile(source, fileName, MacroList(defines), include ? &resolver : nullptr);
    if (!result.ok) {
      if (errors && !result.messages.empty()) *errors = detail::CreateTextBuffer(result.messages);
      return E_FAIL;
    }
    auto model = std::make_shared<const simfx::Effect>(result.effect);
    auto tree = std::make_unique<detail::EffectTree>(*model);
    ID3DXEffect* created = new detail::Effect(device, std::move(model), std::move(tree), flags, pool);
    if (errors && !result.messages.empty()) {
      try {
        *errors = detail::CreateTextBuffer(result.messages);
      } catch (const std::bad_alloc&) {
        created->Release();
        throw;
      }
    }
    *effect = created;
    return D3D_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

// Clears the out-places and checks the arguments every creation needs.
HRESULT StartCreation(IDirect3DDevice9* device, ID3DXEffect** effect, ID3DXBuffer** errors) {
  if (errors) *errors = nullptr;
  if (effect) *effect = nullptr;
  return device && effect ? D3D_OK : D3DERR_INVALIDCALL;
}

bool ReadWholeFile(const char* path, std::string& text) {
  std::ifstream in(HostPath(path), std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

void SetEffectFileCompileHook(std::function<void(const std::string& path)> hook) {
  std::lock_guard<std::mutex> guard(records().lock);
  records().fileCompileHook = std::move(hook);
}

void RegisterResource(HMODULE module, const std::string& name, const std::string& fxSource) {
  std::lock_guard<std::mutex> guard(records().lock);
  records().resources[{module, Lower(name)}] = fxSource;
}

void ClearResources() {
  std::lock_guard<std::mutex> guard(records().lock);
  records().resources.clear();
}

EffectCreationCall LastResourceCall() {
  std::lock_guard<std::mutex> guard(records().lock);
  return records().lastResource;
}

int ResourceCallCount() {
  std::lock_guard<std::mutex> guard(records().lock);
  return records().resourceCalls;
}

EffectCreationCall LastEffectFileCall() {
  std::lock_guard<std::mutex> guard(records().lock);
  return records().lastFile;
}

int EffectFileCallCount() {
  std::lock_guard<std::mutex> guard(records().lock);
  return records().fileCalls;
}

void ClearEffectCalls() {
  std::lock_guard<std::mutex> guard(records().lock);
  records().lastResource = {};
  records().resourceCalls = 0;
  records().lastFile = {};
  records().fileCalls = 0;
}

}  // namespace sim

extern "C" {

HRESULT WINAPI D3DXCreateEffect(LPDIRECT3DDEVICE9 device, LPCVOID data, UINT length, const D3DXMACRO* defines,
                                LPD3DXINCLUDE include, DWORD flags, LPD3DXEFFECTPOOL pool,
                                LPD3DXEFFECT* effect, LPD3DXBUFFER* errors) {
  const HRESULT checked = sim::StartCreation(device, effect, errors);
  if (FAILED(checked)) return checked;
  if (!data || length == 0) return D3DERR_INVALIDCALL;
  const std::string source(static_cast<const char*>(data), length);
  return sim::CompileEffect(device, source, "memory", defines, include, flags, pool, effect, errors);
}

HRESULT WINAPI D3DXCreateEffectFromFileA(LPDIRECT3DDEVICE9 device, LPCSTR path, const D3DXMACRO* defines,
                                         LPD3DXINCLUDE include, DWORD flags, LPD3DXEFFECTPOOL pool,
                                         LPD3DXEFFECT* effect, LPD3DXBUFFER* errors) {
  HRESULT hr = sim::StartCreation(device, effect, errors);
  if (SUCCEEDED(hr)) {
    try {
      std::string source;
      if (!path || !sim::ReadWholeFile(path, source)) {
        hr = D3DXERR_INVALIDDATA;
      } else {
        hr = sim::CompileEffect(device, source, path, defines, include, flags, pool, effect, errors);
      }
    } catch (const std::bad_alloc&) {
      hr = E_OUTOFMEMORY;
    }
  }
  std::function<void(const std::string&)> hook;
  {
    std::lock_guard<std::mutex> guard(sim::records().lock);
    hook = sim::records().fileCompileHook;
  }
  if (hook) hook(path ? path : "");
  sim::Remember(sim::records().lastFile, sim::records().fileCalls, device, nullptr, path, defines, include,
                flags, pool, effect, errors, hr);
  return hr;
}

HRESULT WINAPI D3DXCreateEffectFromResourceA(LPDIRECT3DDEVICE9 device, HMODULE module, LPCSTR resource,
                                             const D3DXMACRO* defines, LPD3DXINCLUDE include, DWORD flags,
                                             LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* effect,
                                             LPD3DXBUFFER* errors) {
  HRESULT hr = sim::StartCreation(device, effect, errors);
  if (SUCCEEDED(hr)) {
    try {
      std::string source;
      bool found = false;
      const std::string name = sim::ResourceName(resource);
      {
        std::lock_guard<std::mutex> guard(sim::records().lock);
        const auto entry = sim::records().resources.find({module, sim::Lower(name)});
        found = entry != sim::records().resources.end();
        if (found) source = entry->second;
      }
      if (!found) found = sim::ReadModuleResource(module, resource, source);
      hr = found ? sim::CompileEffect(device, source, name, defines, include, flags, pool, effect, errors)
                 : static_cast<HRESULT>(D3DXERR_INVALIDDATA);
    } catch (const std::bad_alloc&) {
      hr = E_OUTOFMEMORY;
    }
  }
  sim::Remember(sim::records().lastResource, sim::records().resourceCalls, device, module, resource, defines,
                include, flags, pool, effect, errors, hr);
  return hr;
}

}  // extern "C"
