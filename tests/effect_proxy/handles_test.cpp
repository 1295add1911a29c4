// Handles the game got from the proxy stay usable after the effect inside the
// proxy is replaced: they are looked up again by name.
#include <cstring>

#include "proxy_fixture.h"
#include "sim/host_d3d.h"

namespace {

const char* const kBefore =
    "float Brightness < string UIName = \"Brightness\"; > = 0.5;\n"
    "float Contrast = 1.0;\n"
    "technique Day { pass P0 { } }\n"
    "technique Night { pass P0 { } }\n";
// The same names in another order, so that the new handles differ.
const char* const kReordered =
    "float Padding[8];\n"
    "float Contrast = 1.0;\n"
    "float Brightness < string UIName = \"Brightness\"; > = 0.25;\n"
    "technique Night { pass P0 { } }\n"
    "technique Day { pass P0 { } }\n";
const char* const kWithoutBrightness = "float Contrast = 1.0;\ntechnique Day { pass P0 { } }\n";

// Sits inside the proxy under test and notes the handles that reach it. The
// descriptions and annotations it notes are not looked up: their handle may
// belong to an effect that is already gone.
class HandleSpy : public EffectProxy {
 public:
  explicit HandleSpy(ID3DXEffect* effect) : EffectProxy(effect, "Spy") {}
  HRESULT STDMETHODCALLTYPE GetParameterDesc(D3DXHANDLE h, D3DXPARAMETER_DESC*) override {
    received.push_back(h);
    return E_FAIL;
  }
  D3DXHANDLE STDMETHODCALLTYPE GetAnnotation(D3DXHANDLE h, UINT) override {
    received.push_back(h);
    return nullptr;
  }
  HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE h, FLOAT f) override {
    received.push_back(h);
    return EffectProxy::SetFloat(h, f);
  }
  std::vector<D3DXHANDLE> received;
};

using HandlesTest = ProxyTest;

TEST_F(HandlesTest, RememberedHandlesFollowTheirNamesIntoANewEffect) {
  EffectProxy* proxy = Wrap(kBefore);
  D3DXHANDLE brightness = proxy->GetParameterByName(nullptr, "Brightness");
  D3DXHANDLE night = proxy->GetTechniqueByName("Night");
  ASSERT_NE(brightness, nullptr);
  SwapInner(proxy, kReordered);
  ASSERT_NE(proxy->innerEffect->GetParameterByName(nullptr, "Brightness"), brightness);

  EXPECT_EQ(proxy->SetFloat(brightness, 0.75f), S_OK);
  EXPECT_FLOAT_EQ(InnerFloat(proxy, "Brightness"), 0.75f);
  EXPECT_FLOAT_EQ(InnerFloat(proxy, "Contrast"), 1.0f);
  float read = 0.0f;
  EXPECT_EQ(proxy->GetFloat(brightness, &read), S_OK);
  EXPECT_FLOAT_EQ(read, 0.75f);

  EXPECT_EQ(proxy->SetTechnique(night), S_OK);
  D3DXTECHNIQUE_DESC current{};
  ASSERT_EQ(proxy->innerEffect->GetTechniqueDesc(proxy->innerEffect->GetCurrentTechnique(), &current), S_OK);
  EXPECT_STREQ(current.Name, "Night");
  proxy->Release();
}

// Descriptions and annotations get the caller's handle unchanged.
TEST_F(HandlesTest, VanishedNameReachesTheEffectAsNullButIsStillRecorded) {
  EffectProxy* proxy = Wrap(kBefore);
  D3DXHANDLE brightness = proxy->GetParameterByName(nullptr, "Brightness");
  auto* spy = new HandleSpy(Compile(kWithoutBrightness));
  proxy->SwapInnerEffect(spy);
  spy->received.clear();  // what the swap itself asked for
  EXPECT_TRUE(FAILED(proxy->SetFloat(brightness, 0.9f)));
  D3DXPARAMETER_DESC desc{};
  proxy->GetParameterDesc(brightness, &desc);
  proxy->GetAnnotation(brightness, 0);
  EXPECT_EQ(spy->received, (std::vector<D3DXHANDLE>{nullptr, brightness, brightness}));
  EXPECT_EQ(Recorded(proxy, "Brightness"), BytesOf(0.9f));
  proxy->Release();
}

TEST_F(HandlesTest, ArrayElementsAreSetAndReloadedOnTheirOwn) {
  EffectProxy* proxy = Wrap("float Weights[4] = {1, 2, 3, 4};\nfloat Tail = 0;\n");
  D3DXHANDLE weights = proxy->GetParameterByName(nullptr, "Weights");
  D3DXHANDLE third = proxy->GetParameterElement(weights, 2);
  D3DXHANDLE second = proxy->GetParameterByName(nullptr, "Weights[1]");
  ASSERT_NE(third, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(proxy->SetFloat(third, 30.0f), S_OK);
  EXPECT_EQ(proxy->SetFloat(second, 20.0f), S_OK);
  EXPECT_EQ(Recorded(proxy, "Weights[2]"), BytesOf(30.0f));
  EXPECT_EQ(Recorded(proxy, "Weights[1]"), BytesOf(20.0f));
  EXPECT_TRUE(Recorded(proxy, "Weights").empty());

  SwapInner(proxy, "float Head = 0;\nfloat Weights[4] = {5, 6, 7, 8};\n");
  float values[4] = {};
  ASSERT_EQ(proxy->innerEffect->GetFloatArray("Weights", values, 4), S_OK);
  EXPECT_EQ(std::vector<float>(values, values + 4), (std::vector<float>{5, 20, 30, 8}));
  EXPECT_EQ(proxy->SetFloat(third, 31.0f), S_OK);  // the old element handle, on the new effect
  float read = 0;
  ASSERT_EQ(proxy->innerEffect->GetFloat("Weights[2]", &read), S_OK);
  EXPECT_EQ(read, 31.0f);

  // A value for the whole array supersedes what was recorded for its elements,
  // also when an element was set between two frames that set the whole.
  const float whole[4] = {9, 9, 9, 9};
  EXPECT_EQ(proxy->SetFloatArray(weights, whole, 4), S_OK);
  EXPECT_EQ(proxy->SetFloatArray(weights, whole, 4), S_OK);
  EXPECT_EQ(proxy->SetFloat(third, 32.0f), S_OK);
  EXPECT_EQ(proxy->SetFloatArray(weights, whole, 4), S_OK);
  SwapInner(proxy, "float Weights[4];\n");
  ASSERT_EQ(proxy->innerEffect->GetFloatArray("Weights", values, 4), S_OK);
  EXPECT_EQ(std::vector<float>(values, values + 4), (std::vector<float>{9, 9, 9, 9}));

  // An element set every frame, then dropped by a value for the whole, is
  // recorded anew by its next set.
  EXPECT_EQ(proxy->SetFloat(third, 33.0f), S_OK);
  EXPECT_EQ(proxy->SetFloat(third, 34.0f), S_OK);
  EXPECT_EQ(proxy->SetFloatArray(weights, whole, 4), S_OK);
  EXPECT_TRUE(Recorded(proxy, "Weights[2]").empty());
  EXPECT_EQ(proxy->SetFloat(third, 35.0f), S_OK);
  EXPECT_EQ(Recorded(proxy, "Weights[2]"), BytesOf(35.0f));
  proxy->Release();
}

TEST_F(HandlesTest, StructureMembersAreSetAndReloadedOnTheirOwn) {
  const char* const structs =
      "struct LightT { float3 Dir; float4 Colour; };\nLightT Light;\nLightT Lights[2];\n";
  EffectProxy* proxy = Wrap(structs);
  D3DXHANDLE colour = proxy->GetParameterByName(proxy->GetParameterByName(nullptr, "Light"), "Colour");
  D3DXHANDLE second = proxy->GetParameterElement(proxy->GetParameterByName(nullptr, "Lights"), 1);
  D3DXHANDLE secondColour = proxy->GetParameter(second, 1);
  ASSERT_NE(colour, nullptr);
  ASSERT_NE(secondColour, nullptr);
  const D3DXVECTOR4 red(1, 0, 0, 1);
  const D3DXVECTOR4 blue(0, 0, 1, 1);
  EXPECT_EQ(proxy->SetVector(colour, &red), S_OK);
  EXPECT_EQ(proxy->SetVector(secondColour, &blue), S_OK);
  EXPECT_EQ(Recorded(proxy, "Light.Colour"), BytesOf(red));
  EXPECT_EQ(Recorded(proxy, "Lights[1].Colour"), BytesOf(blue));

  SwapInner(proxy, std::string("float Head;\n") + structs);
  D3DXVECTOR4 read(0, 0, 0, 0);
  ASSERT_EQ(proxy->innerEffect->GetVector("Light.Colour", &read), S_OK);
  EXPECT_EQ(read.x, 1.0f);
  ASSERT_EQ(proxy->innerEffect->GetVector("Lights[1].Colour", &read), S_OK);
  EXPECT_EQ(read.z, 1.0f);
  EXPECT_EQ(proxy->SetVector(colour, &blue), S_OK);  // the old member handle, on the new effect
  ASSERT_EQ(proxy->innerEffect->GetVector("Light.Colour", &read), S_OK);
  EXPECT_EQ(read.z, 1.0f);
  proxy->Release();
}

// The game sets through an old handle whose address the current effect has
// since given to an array element; once the game is handed that element, the
// handle means the element, from the very next call on.
TEST_F(HandlesTest, AHandleRenamedMidFrameReachesItsNewParameter) {
  sim::SetHandleReuse(true);
  EffectProxy* proxy = Wrap("float A = 1;\nfloat B = 2;\n");
  D3DXHANDLE a = proxy->GetParameterByName(nullptr, "A");
  D3DXHANDLE b = proxy->GetParameterByName(nullptr, "B");
  SwapInner(proxy, "float A = 1;\nfloat B = 2;\n");                        // frees the first effect
  SwapInner(proxy, "float W[2] = {0, 0};\nfloat A = 1;\nfloat B = 2;\n");  // W and W[0] where A and B were
  sim::SetHandleReuse(false);
  ASSERT_EQ(proxy->GetParameterByName(nullptr, "W"), a) << "the simulated D3DX did not reuse the address";

  EXPECT_EQ(proxy->SetFloat(b, 4.0f), S_OK);  // still known as B, two frames in a row
  EXPECT_EQ(proxy->SetFloat(b, 5.0f), S_OK);
  EXPECT_EQ(InnerFloat(proxy, "B"), 5.0f);
  ASSERT_EQ(proxy->GetParameterElement(a, 0), b) << "the simulated D3DX did not reuse the address";
  EXPECT_EQ(proxy->SetFloat(b, 7.0f), S_OK);
  EXPECT_EQ(InnerFloat(proxy, "W[0]"), 7.0f);
  EXPECT_EQ(InnerFloat(proxy, "B"), 5.0f);
  EXPECT_EQ(Recorded(proxy, "W[0]"), BytesOf(7.0f));
  EXPECT_EQ(Recorded(proxy, "B"), BytesOf(5.0f));
  proxy->Release();
}

// Recorded under the text, not the address: a game may build its names in one buffer.
TEST_F(HandlesTest, NameInPlaceOfAHandleIsRecordedByItsText) {
  EffectProxy* proxy = Wrap(kBefore);
  char name[16] = "Brightness";
  EXPECT_EQ(proxy->SetFloat(name, 0.7f), S_OK);
  std::strcpy(name, "Contrast");
  EXPECT_EQ(proxy->SetFloat(name, 2.0f), S_OK);
  std::strcpy(name, "Missing");
  EXPECT_NE(proxy->SetFloat(name, 3.0f), S_OK);
  EXPECT_FLOAT_EQ(InnerFloat(proxy, "Brightness"), 0.7f);
  EXPECT_EQ(proxy->recordedValues.size(), 2u);
  EXPECT_EQ(Recorded(proxy, "Brightness"), BytesOf(0.7f));
  EXPECT_EQ(Recorded(proxy, "Contrast"), BytesOf(2.0f));
  EXPECT_TRUE(proxy->parameterNames.empty());
  proxy->Release();
}

}  // namespace
