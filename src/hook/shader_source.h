// Which files on disk make up an effect: the effect source that replaces a
// host effect, and the include resolver given to every compile.
#pragma once

#include <string>

#include "platform/direct3d.h"

// "FX\<name>.fx", else "Shaders\IDI_<name>_FX", else empty (use the host's resource).
std::string ResolveShaderPath(const char* shaderName);

// Serves #include from the name as given, then "FX\", "FX\includes\",
// "Shaders\" and "common\". Buffers hold the file's bytes, with no NUL added.
class ShaderIncludeHandler : public ID3DXInclude {
 public:
  HRESULT STDMETHODCALLTYPE Open(D3DXINCLUDE_TYPE includeType, LPCSTR fileName, LPCVOID parentData,
                                 LPCVOID* outData, UINT* outBytes) override;
  HRESULT STDMETHODCALLTYPE Close(LPCVOID data) override;
};

extern ShaderIncludeHandler includeHandler;
