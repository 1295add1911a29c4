// Compiling an effect file with the caller's macros and include interface,
// as the plug-in does with its own include resolver, and the text of the
// compiler's errors. The fallback to the game's resources is checked through
// the plug-in.
#include <cstring>
#include <map>
#include <string>

#include "d3dx_test_support.h"

namespace {

// Serves includes from memory and counts the buffers handed out and back.
class MemoryInclude : public ID3DXInclude {
 public:
  std::map<std::string, std::string> files;
  std::vector<std::string> opened;
  int open = 0;

  HRESULT STDMETHODCALLTYPE Open(D3DXINCLUDE_TYPE, LPCSTR name, LPCVOID, LPCVOID* data,
                                 UINT* bytes) override {
    opened.push_back(name);
    const auto found = files.find(name);
    if (found == files.end()) return E_FAIL;
    char* copy = new char[found->second.size()];
    std::memcpy(copy, found->second.data(), found->second.size());
    *data = copy;
    *bytes = static_cast<UINT>(found->second.size());
    ++open;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Close(LPCVOID data) override {
    delete[] static_cast<const char*>(data);
    --open;
    return S_OK;
  }
};

using EffectCreationTest = SimFileTest;

TEST_F(EffectCreationTest, MacrosAndTheIncludeInterfaceAreUsed) {
  WriteFile("FX\\Bloom.fx",
            "#include \"common.fxh\"\n"
            "#if QUALITY > 1\nfloat HighQualityOnly = 1;\n#endif\n");
  MemoryInclude include;
  include.files["common.fxh"] = "float FromInclude = 2;\n";
  const D3DXMACRO macros[] = {{"QUALITY", "3"}, {nullptr, nullptr}};

  ID3DXEffect* effect = nullptr;
  ASSERT_EQ(D3DXCreateEffectFromFileA(device, "FX\\Bloom.fx", macros, &include, 0, nullptr, &effect, nullptr),
            D3D_OK);
  EXPECT_NE(effect->GetParameterByName(nullptr, "FromInclude"), nullptr);
  EXPECT_NE(effect->GetParameterByName(nullptr, "HighQualityOnly"), nullptr);
  EXPECT_EQ(include.opened, std::vector<std::string>{"common.fxh"});
  EXPECT_EQ(include.open, 0) << "every include buffer is closed";
  effect->Release();
}

TEST_F(EffectCreationTest, CompileErrorsFailWithTheCompilersMessagesAsText) {
  WriteFile("FX\\Broken.fx", "float Intensity = ;\n");
  ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(&effect);
  ID3DXBuffer* errors = nullptr;
  EXPECT_EQ(
      D3DXCreateEffectFromFileA(device, "FX\\Broken.fx", nullptr, nullptr, 0, nullptr, &effect, &errors),
      E_FAIL);
  EXPECT_EQ(effect, nullptr);
  ASSERT_NE(errors, nullptr);
  EXPECT_EQ(BufferText(errors).rfind("FX\\Broken.fx(1,", 0), 0u) << "the plug-in logs it as a C string";
  EXPECT_EQ(errors->Release(), 0u);
}

}  // namespace
