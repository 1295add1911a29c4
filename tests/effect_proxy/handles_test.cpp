// Handles the game got from the proxy stay usable after the effect inside the
// proxy is replaced: they are looked up again by name.
#include "proxy_fixture.h"

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

class HandlesTest : public ProxyTest {
 protected:
  HandleSpy* SwapInSpy(EffectProxy* proxy, const char* source) {
    auto* spy = new HandleSpy(Compile(source));
    proxy->SwapInnerEffect(spy);
    spy->received.clear();  // what the swap itself asked for
    return spy;
  }
};

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

TEST_F(HandlesTest, VanishedNameReachesTheEffectAsNullButIsStillRecorded) {
  EffectProxy* proxy = Wrap(kBefore);
  D3DXHANDLE brightness = proxy->GetParameterByName(nullptr, "Brightness");
  HandleSpy* spy = SwapInSpy(proxy, kWithoutBrightness);
  EXPECT_TRUE(FAILED(proxy->SetFloat(brightness, 0.9f)));
  EXPECT_EQ(spy->received, std::vector<D3DXHANDLE>{nullptr});
  EXPECT_EQ(Recorded(proxy, "Brightness"), BytesOf(0.9f));
  proxy->Release();
}

TEST_F(HandlesTest, DescriptionsAndAnnotationsGetTheCallersHandleUnchanged) {
  EffectProxy* proxy = Wrap(kBefore);
  D3DXHANDLE brightness = proxy->GetParameterByName(nullptr, "Brightness");
  HandleSpy* spy = SwapInSpy(proxy, kReordered);
  D3DXPARAMETER_DESC desc{};
  proxy->GetParameterDesc(brightness, &desc);
  proxy->GetAnnotation(brightness, 0);
  EXPECT_EQ(spy->received, (std::vector<D3DXHANDLE>{brightness, brightness}));
  proxy->Release();
}

TEST_F(HandlesTest, NameInPlaceOfAHandlePassesThroughUnrecorded) {
  EffectProxy* proxy = Wrap(kBefore);
  EXPECT_EQ(proxy->SetFloat("Brightness", 0.7f), S_OK);
  EXPECT_FLOAT_EQ(InnerFloat(proxy, "Brightness"), 0.7f);
  EXPECT_TRUE(proxy->recordedValues.empty());
  EXPECT_TRUE(proxy->parameterNames.empty());
  proxy->Release();
}

}  // namespace
