// Creating effects from loose files and from the executable's resources, the
// way the plug-in and its fallback do: results, message buffers, includes,
// macros and the record of the arguments.
#include <cstring>
#include <map>
#include <string>

#include "d3dx_test_support.h"

namespace {

const char kBloom[] = R"fx(
#include "common.fxh"
float Intensity < string UIName = "Intensity"; > = 0.5;
#if QUALITY > 1
float HighQualityOnly = 1;
#endif
technique Bloom { pass P0 { } }
)fx";

// Serves includes from memory and checks that each opened buffer is closed once.
class MemoryInclude : public ID3DXInclude {
 public:
  std::map<std::string, std::string> files;
  std::vector<std::string> opened;
  int closes = 0;
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
    ++closes;
    --open;
    return S_OK;
  }
};

class EffectCreationTest : public SimFileTest {
 protected:
  void SetUp() override {
    SimFileTest::SetUp();
    sim::ClearResources();
    sim::ClearEffectCalls();
  }
  void TearDown() override {
    sim::ClearResources();
    SimFileTest::TearDown();
  }
  HMODULE hostModule = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x400000));
};

TEST_F(EffectCreationTest, CompilesALooseFileWithIncludesBesideIt) {
  WriteFile("FX\\Bloom.fx", kBloom);
  WriteFile("FX\\common.fxh", "float3 LumaWeights = float3(0.3, 0.59, 0.11);\n");
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* errors = nullptr;
  ASSERT_EQ(D3DXCreateEffectFromFileA(device, "FX\\Bloom.fx", nullptr, nullptr, 0, nullptr, &effect, &errors),
            D3D_OK);
  EXPECT_EQ(errors, nullptr);
  ASSERT_NE(effect, nullptr);
  EXPECT_NE(effect->GetParameterByName(nullptr, "LumaWeights"), nullptr);
  EXPECT_NE(effect->GetParameterByName(nullptr, "Intensity"), nullptr);
  EXPECT_EQ(effect->GetParameterByName(nullptr, "HighQualityOnly"), nullptr);
  effect->Release();

  const sim::EffectCreationCall call = sim::LastEffectFileCall();
  EXPECT_EQ(call.source, "FX\\Bloom.fx");
  EXPECT_EQ(call.result, D3D_OK);
  EXPECT_EQ(sim::EffectFileCallCount(), 1);
}

TEST_F(EffectCreationTest, MacrosAndTheIncludeInterfaceAreUsed) {
  WriteFile("FX\\Bloom.fx", kBloom);
  MemoryInclude include;
  include.files["common.fxh"] = "float FromInclude = 2;\n";
  const D3DXMACRO macros[] = {{"QUALITY", "3"}, {nullptr, nullptr}};

  ID3DXEffect* effect = nullptr;
  ASSERT_EQ(D3DXCreateEffectFromFileA(device, "FX\\Bloom.fx", macros, &include,
                                      D3DXSHADER_OPTIMIZATION_LEVEL3, nullptr, &effect, nullptr),
            D3D_OK);
  EXPECT_NE(effect->GetParameterByName(nullptr, "FromInclude"), nullptr);
  EXPECT_NE(effect->GetParameterByName(nullptr, "HighQualityOnly"), nullptr);
  EXPECT_EQ(include.opened, std::vector<std::string>{"common.fxh"});
  EXPECT_EQ(include.closes, 1);
  EXPECT_EQ(include.open, 0);
  effect->Release();

  const sim::EffectCreationCall call = sim::LastEffectFileCall();
  EXPECT_EQ(call.include, &include);
  EXPECT_EQ(call.flags, static_cast<DWORD>(D3DXSHADER_OPTIMIZATION_LEVEL3));
  ASSERT_EQ(call.defines.size(), 1u);
  EXPECT_EQ(call.defines[0].first, "QUALITY");
  EXPECT_EQ(call.defines[0].second, "3");
}

TEST_F(EffectCreationTest, CompileErrorsFailWithTheCompilersMessages) {
  WriteFile("FX\\Broken.fx", "float Intensity = ;\n");
  ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(&effect);
  ID3DXBuffer* errors = nullptr;
  EXPECT_EQ(
      D3DXCreateEffectFromFileA(device, "FX\\Broken.fx", nullptr, nullptr, 0, nullptr, &effect, &errors),
      E_FAIL);
  EXPECT_EQ(effect, nullptr);
  ASSERT_NE(errors, nullptr);
  const std::string text = BufferText(errors);
  EXPECT_EQ(text.rfind("FX\\Broken.fx(1,", 0), 0u) << text;
  EXPECT_NE(text.find(": error X"), std::string::npos) << text;
  EXPECT_EQ(errors->Release(), 0u);
  EXPECT_EQ(sim::LastEffectFileCall().result, E_FAIL);
}

TEST_F(EffectCreationTest, WarningsComeBackWithTheEffect) {
  WriteFile("FX\\Noisy.fx", "#pragma message(\"half precision\")\nfloat Intensity = 1;\n");
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* messages = nullptr;
  ASSERT_EQ(
      D3DXCreateEffectFromFileA(device, "FX\\Noisy.fx", nullptr, nullptr, 0, nullptr, &effect, &messages),
      D3D_OK);
  ASSERT_NE(effect, nullptr);
  ASSERT_NE(messages, nullptr);
  EXPECT_NE(BufferText(messages).find("warning"), std::string::npos);
  messages->Release();
  effect->Release();
}

TEST_F(EffectCreationTest, AMissingFileIsInvalidDataWithoutMessages) {
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* errors = nullptr;
  EXPECT_EQ(
      D3DXCreateEffectFromFileA(device, "FX\\Nothing.fx", nullptr, nullptr, 0, nullptr, &effect, &errors),
      D3DXERR_INVALIDDATA);
  EXPECT_EQ(effect, nullptr);
  EXPECT_EQ(errors, nullptr);
  EXPECT_EQ(
      D3DXCreateEffectFromFileA(nullptr, "FX\\Nothing.fx", nullptr, nullptr, 0, nullptr, &effect, nullptr),
      D3DERR_INVALIDCALL);
}

TEST_F(EffectCreationTest, ResourcesAreFoundByModuleAndNameInAnyCase) {
  sim::RegisterResource(hostModule, "IDI_Bloom_FX", "float Exposure = 1.5;\ntechnique T { pass P { } }\n");
  ID3DXEffect* effect = nullptr;
  ASSERT_EQ(D3DXCreateEffectFromResourceA(device, hostModule, "idi_bloom_fx", nullptr, nullptr, 0, nullptr,
                                          &effect, nullptr),
            D3D_OK);
  float exposure = 0.0f;
  EXPECT_EQ(effect->GetFloat("Exposure", &exposure), D3D_OK);
  EXPECT_EQ(exposure, 1.5f);
  effect->Release();

  EXPECT_EQ(D3DXCreateEffectFromResourceA(device, nullptr, "IDI_Bloom_FX", nullptr, nullptr, 0, nullptr,
                                          &effect, nullptr),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(D3DXCreateEffectFromResourceA(device, hostModule, "IDI_Other_FX", nullptr, nullptr, 0, nullptr,
                                          &effect, nullptr),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(effect, nullptr);
  EXPECT_EQ(sim::ResourceCallCount(), 3);
}

TEST_F(EffectCreationTest, ABrokenResourceReportsItsErrorsLikeAFile) {
  sim::RegisterResource(hostModule, "Bad", "float = 1;\n");
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* errors = nullptr;
  EXPECT_EQ(D3DXCreateEffectFromResourceA(device, hostModule, "Bad", nullptr, nullptr, 0, nullptr, &effect,
                                          &errors),
            E_FAIL);
  ASSERT_NE(errors, nullptr);
  EXPECT_NE(BufferText(errors).find("error X"), std::string::npos);
  errors->Release();
}

}  // namespace
