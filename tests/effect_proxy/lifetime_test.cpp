// Reference counting of the proxy; every test also checks at its end that
// the effect inside was released exactly once.
#include "proxy_fixture.h"
#include "sim/host_d3d.h"

namespace {

const char* const kEffect = "float Brightness = 0.5;\ntechnique Main { pass P0 { } }\n";

using LifetimeTest = ProxyTest;

TEST_F(LifetimeTest, QueryInterfaceHandsOutTheProxyForAnyIdentifier) {
  EffectProxy* proxy = Wrap(kEffect);
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
  EXPECT_EQ(proxy->Release(), 0u);
}

}  // namespace
