// The bytes the proxy keeps, by parameter name, of the values set through it,
// the technique it remembers as selected, and its reference count; every test
// also checks at its end that the effect inside was released exactly once.
#include "proxy_fixture.h"

namespace {

const char* const kEffect =
    "float4 Tint = float4(1, 1, 1, 1);\n"
    "float Brightness = 0.5;\n"
    "bool Flags[2];\n"
    "string Label = \"abc\";\n"
    "float4x4 Transform;\n"
    "technique Day { pass P0 { } }\n"
    "technique Night { pass P0 { } }\n";

class RecordingTest : public ProxyTest {
 protected:
  void SetUp() override {
    ProxyTest::SetUp();
    proxy = Wrap(kEffect);
  }
  void TearDown() override {
    proxy->Release();
    ProxyTest::TearDown();
  }
  D3DXHANDLE Handle(const char* name) { return proxy->GetParameterByName(nullptr, name); }

  EffectProxy* proxy = nullptr;
};

// The last value set is kept whole, also when the effect rejects it, to be
// written again later; a null string or an empty array records nothing.
TEST_F(RecordingTest, TheLastValueIsRecordedEvenWhenRejected) {
  const BOOL flags[2] = {TRUE, FALSE};
  proxy->SetString(Handle("Label"), nullptr);
  proxy->SetBoolArray(Handle("Flags"), flags, 0);
  EXPECT_TRUE(proxy->recordedValues.empty());
  proxy->SetString(Handle("Label"), "hi");
  proxy->SetBoolArray(Handle("Flags"), flags, 2);
  EXPECT_EQ(Recorded(proxy, "Label"), (std::vector<std::uint8_t>{'h', 'i', 0}));
  EXPECT_EQ(Recorded(proxy, "Flags"), BytesOf(flags));

  const D3DXVECTOR4 wide(0.1f, 0.2f, 0.3f, 0.4f);
  EXPECT_EQ(proxy->SetVector(Handle("Tint"), &wide), S_OK);
  EXPECT_EQ(Recorded(proxy, "Tint"), BytesOf(wide));
  proxy->SetFloat(Handle("Tint"), 2.0f);
  EXPECT_EQ(Recorded(proxy, "Tint"), BytesOf(2.0f));
  EXPECT_TRUE(FAILED(proxy->SetValue(Handle("Transform"), &wide, sizeof(wide))));
  EXPECT_EQ(Recorded(proxy, "Transform"), BytesOf(wide));
}

// D3DX_DEFAULT as the size means "the parameter's own size, unchecked".
TEST_F(RecordingTest, SetValueRecordsNoMoreThanTheParameterHolds) {
  const float sixteen[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const D3DXVECTOR4 tint(0.5f, 0.25f, 0.125f, 1.0f);
  EXPECT_EQ(proxy->SetValue(Handle("Tint"), &tint, D3DX_DEFAULT), S_OK);
  EXPECT_EQ(Recorded(proxy, "Tint"), BytesOf(tint));
  EXPECT_EQ(proxy->SetValue(Handle("Brightness"), sixteen, sizeof(sixteen)), S_OK);
  EXPECT_EQ(Recorded(proxy, "Brightness"), BytesOf(sixteen[0]));
  EXPECT_FLOAT_EQ(InnerFloat(proxy, "Brightness"), 1.0f);

  // The parameter is gone from the new effect: only an explicit size can be trusted.
  D3DXHANDLE brightness = Handle("Brightness");
  SwapInner(proxy, "float Other;\n");
  EXPECT_TRUE(FAILED(proxy->SetValue(brightness, &sixteen[2], D3DX_DEFAULT)));
  EXPECT_EQ(Recorded(proxy, "Brightness"), BytesOf(sixteen[0]));
  EXPECT_TRUE(FAILED(proxy->SetValue(brightness, &sixteen[2], 4)));
  EXPECT_EQ(Recorded(proxy, "Brightness"), BytesOf(sixteen[2]));
}

TEST_F(RecordingTest, HandlesFromBeforeAndAfterASwapShareOneEntry) {
  D3DXHANDLE before = Handle("Brightness");
  SwapInner(proxy, std::string("float Extra;\n") + kEffect);
  D3DXHANDLE after = Handle("Brightness");
  ASSERT_NE(before, after);
  proxy->SetFloat(before, 1.0f);
  proxy->SetFloat(after, 3.0f);
  int named = 0;
  for (const auto& entry : proxy->parameterNames) named += entry.second == "Brightness";
  EXPECT_EQ(named, 2);
  EXPECT_EQ(proxy->recordedValues.size(), 1u);
  EXPECT_EQ(Recorded(proxy, "Brightness"), BytesOf(3.0f));
  EXPECT_FLOAT_EQ(InnerFloat(proxy, "Brightness"), 3.0f);
}

// A transposed matrix is recorded as the effect holds it; a technique handle
// taken from the effect itself, never seen by the proxy, is named at once.
TEST_F(RecordingTest, TransposedMatrixAndUnseenTechniqueAreRecordedAsTheEffectHoldsThem) {
  D3DXMATRIX passed;
  for (int i = 0; i < 16; ++i) passed.m[i / 4][i % 4] = static_cast<float>(i);
  EXPECT_EQ(proxy->SetMatrixTranspose(Handle("Transform"), &passed), S_OK);
  D3DXMATRIX held;
  ASSERT_EQ(proxy->innerEffect->GetMatrix("Transform", &held), S_OK);
  EXPECT_EQ(held(0, 1), passed(1, 0));
  EXPECT_EQ(Recorded(proxy, "Transform"), BytesOf(held));

  D3DXHANDLE night = proxy->innerEffect->GetTechniqueByName("Night");
  EXPECT_EQ(proxy->SetTechnique(night), S_OK);
  EXPECT_EQ(proxy->currentTechniqueName, "Night");
  EXPECT_EQ(proxy->innerEffect->GetCurrentTechnique(), night);
  EXPECT_EQ(proxy->GetCurrentTechnique(), night);
}

TEST_F(RecordingTest, QueryInterfaceHandsOutTheProxyForAnyIdentifier) {
  const IID unknownIid{0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}};
  const IID nullIid{};
  void* first = nullptr;
  void* second = nullptr;
  EXPECT_EQ(proxy->QueryInterface(unknownIid, &first), S_OK);
  EXPECT_EQ(proxy->QueryInterface(nullIid, &second), S_OK);
  EXPECT_EQ(first, static_cast<ID3DXEffect*>(proxy));
  EXPECT_EQ(second, static_cast<ID3DXEffect*>(proxy));
  EXPECT_EQ(proxy->refCount, 3u);
  EXPECT_EQ(proxy->QueryInterface(unknownIid, nullptr), E_POINTER);  // nowhere to write: no reference
  EXPECT_EQ(proxy->refCount, 3u);
  EXPECT_EQ(proxy->Release(), 2u);
  EXPECT_EQ(proxy->Release(), 1u);
}

}  // namespace
