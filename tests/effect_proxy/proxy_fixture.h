// Effects compiled from real effect files by the simulated D3DX, wrapped in
// proxies, and swapped inside a proxy the way hot reload does it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "effect/effect_proxy.h"
#include "host_fixture.h"

class ProxyTest : public HostFixture {
 protected:
  void SetUp() override;
  void ReleaseHostObjects() override;

  // Compiles `source` from a new file under FX\; fails the test when it does not compile.
  ID3DXEffect* Compile(const std::string& source);
  EffectProxy* Wrap(const std::string& source);
  // Installs a fresh compile of `source` the way hot reload does.
  void SwapInner(EffectProxy* proxy, const std::string& source);

  // Read straight from the proxy's current inner effect, by name.
  float InnerFloat(EffectProxy* proxy, const char* name);
  std::vector<std::uint8_t> Recorded(EffectProxy* proxy, const std::string& name);

  IDirect3DDevice9* device = nullptr;

 private:
  int files = 0;
};

template <typename T>
std::vector<std::uint8_t> BytesOf(const T& value) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&value);
  return std::vector<std::uint8_t>(bytes, bytes + sizeof(T));
}
