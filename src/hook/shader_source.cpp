#include "hook/shader_source.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "core/log.h"
#include "platform/files.h"

ShaderIncludeHandler includeHandler;

namespace {

// The files served to the compile running on this thread, when it notes them.
thread_local std::vector<std::string>* filesOfThisCompile = nullptr;

}  // namespace

namespace {

// Formats into a MAX_PATH buffer; false when the path would not fit.
bool FormatPath(char (&buffer)[MAX_PATH], const char* format, const char* name) {
  int length = std::snprintf(buffer, sizeof(buffer), format, name);
  return length >= 0 && length < static_cast<int>(sizeof(buffer));
}

}  // namespace

// Running out of memory while testing the candidates counts as "no file":
// the caller then uses the host's resource.
std::string ResolveShaderPath(const char* shaderName) {
  try {
    char path[MAX_PATH];
    if (FormatPath(path, "FX\\%s.fx", shaderName) && PathExists(path)) return path;
    if (FormatPath(path, "Shaders\\IDI_%s_FX", shaderName) && PathExists(path)) return path;
  } catch (const std::exception&) {
    LogError("Out of memory while looking for the effect file of: %s", shaderName);
  }
  return std::string();
}

HRESULT STDMETHODCALLTYPE ShaderIncludeHandler::Open(D3DXINCLUDE_TYPE, LPCSTR fileName, LPCVOID,
                                                     LPCVOID* outData, UINT* outBytes) {
  static const char* const kPrefixes[] = {"", "FX\\", "FX\\includes\\", "Shaders\\", "common\\"};
  try {
    for (const char* prefix : kPrefixes) {
      std::string candidate = std::string(prefix) + fileName;
      if (!PathExists(candidate)) continue;
      std::vector<char> bytes;
      if (!ReadFileBytes(candidate, bytes)) continue;
      char* buffer = new (std::nothrow) char[bytes.empty() ? 1 : bytes.size()];
      if (buffer == nullptr) continue;
      if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
      if (filesOfThisCompile != nullptr) filesOfThisCompile->push_back(candidate);
      *outData = buffer;
      *outBytes = static_cast<UINT>(bytes.size());
      return S_OK;
    }
  } catch (...) {  // out of memory building a path: report the include as missing
  }
  LogError("Include not found: %s", fileName);
  return E_FAIL;
}

HRESULT STDMETHODCALLTYPE ShaderIncludeHandler::Close(LPCVOID data) {
  delete[] static_cast<const char*>(data);
  return S_OK;
}

EffectFileCompile CompileEffectFile(LPDIRECT3DDEVICE9 device, const std::string& path,
                                    const D3DXMACRO* defines, DWORD flags, LPD3DXEFFECTPOOL pool) {
  EffectFileCompile compile;
  compile.files.push_back(path);
  ID3DXBuffer* messages = nullptr;
  filesOfThisCompile = &compile.files;
  compile.result = D3DXCreateEffectFromFileA(device, path.c_str(), defines, &includeHandler, flags, pool,
                                             &compile.effect, &messages);
  filesOfThisCompile = nullptr;
  if (messages != nullptr) {
    try {
      compile.messages = static_cast<const char*>(messages->GetBufferPointer());
      compile.hasMessages = true;
    } catch (...) {
      messages->Release();
      if (compile.effect != nullptr) compile.effect->Release();
      throw;
    }
    messages->Release();
  }
  return compile;
}
