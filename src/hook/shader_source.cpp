#include "hook/shader_source.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "core/log.h"
#include "platform/files.h"

ShaderIncludeHandler includeHandler;

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
