// What the simulated D3DX needs from its host when it runs as a Windows
// d3dx9_43.dll: paths are used as given, effect resources are the module's
// real RCDATA resources, and textures are loaded by the system's own D3DX of
// another version, which this DLL does not replace.
#include <string>

#include "module_resources.h"
#include "sim/d3dx9.h"
#include "sim/host_kernel.h"
#include "src/kernel_internal.h"

namespace sim {

std::string HostPath(const char* windowsPath) {
  return windowsPath ? windowsPath : "";
}

// Windows' own file system already ignores case.
std::string MatchExistingCase(const std::string& hostPath) {
  return hostPath;
}

bool ReadModuleResource(HMODULE module, LPCSTR name, std::string& source) {
  HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return false;
  source.assign(static_cast<const char*>(bytes), SizeofResource(module, found));
  return true;
}

}  // namespace sim

// MinGW's header declares these two without PURE, which makes them the key
// functions of the interfaces: the interfaces' vtables are emitted where they
// are defined. Every effect overrides them.
D3DXHANDLE STDMETHODCALLTYPE ID3DXBaseEffect::GetFunction(UINT) {
  return nullptr;
}
D3DXHANDLE STDMETHODCALLTYPE ID3DXBaseEffect::GetFunctionByName(const char*) {
  return nullptr;
}
D3DXHANDLE STDMETHODCALLTYPE ID3DXEffect::GetFunction(UINT) {
  return nullptr;
}
D3DXHANDLE STDMETHODCALLTYPE ID3DXEffect::GetFunctionByName(const char*) {
  return nullptr;
}

namespace {

// The texture loaders of the D3DX that ships with the system (Wine's builtin
// one) under a name that the test run does not override.
FARPROC SystemD3DX(const char* function) {
  static HMODULE library = LoadLibraryA("d3dx9_42.dll");
  return library ? GetProcAddress(library, function) : nullptr;
}

template <typename Function>
Function SystemFunction(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(SystemD3DX(name)));
}

}  // namespace

extern "C" {

HRESULT WINAPI D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path,
                                          IDirect3DTexture9** texture) {
  using Loader = HRESULT(WINAPI*)(IDirect3DDevice9*, const char*, IDirect3DTexture9**);
  const auto load = SystemFunction<Loader>("D3DXCreateTextureFromFileA");
  return load ? load(device, path, texture) : D3DERR_NOTAVAILABLE;
}

HRESULT WINAPI D3DXCreateVolumeTextureFromFileA(IDirect3DDevice9* device, const char* path,
                                                IDirect3DVolumeTexture9** texture) {
  using Loader = HRESULT(WINAPI*)(IDirect3DDevice9*, const char*, IDirect3DVolumeTexture9**);
  const auto load = SystemFunction<Loader>("D3DXCreateVolumeTextureFromFileA");
  return load ? load(device, path, texture) : D3DERR_NOTAVAILABLE;
}

}  // extern "C"
