// Creating an effect from a file with the caller's macros and include
// interface, as the plug-in does.
#include <cstring>
#include <string>

#include "d3dx_test_support.h"

namespace {

// Serves one include from memory and counts the buffers not yet handed back.
class MemoryInclude : public ID3DXInclude {
 public:
  int open = 0;
  HRESULT STDMETHODCALLTYPE Open(D3DXINCLUDE_TYPE, LPCSTR name, LPCVOID, LPCVOID* data,
                                 UINT* bytes) override {
    if (std::strcmp(name, "common.fxh") != 0) return E_FAIL;
    static const char kText[] = "float FromInclude = 2;\n";
    *data = new char[sizeof(kText)];
    std::memcpy(const_cast<void*>(*data), kText, sizeof(kText));
    *bytes = sizeof(kText) - 1;
    ++open;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Close(LPCVOID data) override {
    delete[] static_cast<const char*>(data);
    --open;
    return S_OK;
  }
};

using EffectCreationTest = SimD3dTest;

TEST_F(EffectCreationTest, MacrosAndTheIncludeInterfaceAreUsed) {
  WriteFile("FX\\Bloom.fx", "#include \"common.fxh\"\n#if QUALITY > 1\nfloat HighQualityOnly = 1;\n#endif\n");
  MemoryInclude include;
  const D3DXMACRO macros[] = {{"QUALITY", "3"}, {nullptr, nullptr}};
  ID3DXEffect* effect = nullptr;
  ASSERT_EQ(D3DXCreateEffectFromFileA(device, "FX\\Bloom.fx", macros, &include, 0, nullptr, &effect, nullptr),
            D3D_OK);
  EXPECT_NE(effect->GetParameterByName(nullptr, "FromInclude"), nullptr);
  EXPECT_NE(effect->GetParameterByName(nullptr, "HighQualityOnly"), nullptr);
  EXPECT_EQ(include.open, 0) << "every include buffer is closed";
  effect->Release();
}

}  // namespace
