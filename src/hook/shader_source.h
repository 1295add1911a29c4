// Which files on disk make up an effect: the effect source that replaces a
// host effect, and the include resolver given to every compile.
#pragma once

#include <string>
#include <vector>

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

// One compile of an effect file with the include resolver above, which notes
// every file it serves to that compile.
struct EffectFileCompile {
  HRESULT result = E_FAIL;
  ID3DXEffect* effect = nullptr;  // the caller's reference
  bool hasMessages = false;
  std::string messages;            // the compiler's text, when it gave one
  std::vector<std::string> files;  // the file itself, then every file it included
};
EffectFileCompile CompileEffectFile(LPDIRECT3DDEVICE9 device, const std::string& path,
                                    const D3DXMACRO* defines, DWORD flags, LPD3DXEFFECTPOOL pool);
