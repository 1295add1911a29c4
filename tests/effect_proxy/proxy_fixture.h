// Effects compiled from real effect files by the simulated D3DX, wrapped in
// proxies, and swapped inside a proxy the way hot reload does it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "effect/effect_proxy.h"
#include "host_fixture.h"
#include "sim/host_d3d.h"

class ProxyTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    device = sim::CreateDevice(1280, 720, nullptr);
  }
  void ReleaseHostObjects() override {
    if (device) device->Release();
    device = nullptr;
  }

  // Compiles `source` from a new file under FX\; fails the test when it does not compile.
  ID3DXEffect* Compile(const std::string& source) {
    std::string path = "FX\\Effect" + std::to_string(files++) + ".fx";
    WriteFile(path, source);
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    HRESULT result =
        D3DXCreateEffectFromFileA(device, path.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors);
    std::string messages = errors ? static_cast<const char*>(errors->GetBufferPointer()) : "";
    if (errors) errors->Release();
    EXPECT_TRUE(SUCCEEDED(result) && effect) << messages;
    return effect;
  }
  EffectProxy* Wrap(const std::string& source) { return new EffectProxy(Compile(source), "Test"); }
  // Installs a fresh compile of `source` the way hot reload does.
  void SwapInner(EffectProxy* proxy, const std::string& source) { proxy->SwapInnerEffect(Compile(source)); }

  std::vector<std::uint8_t> Recorded(EffectProxy* proxy, const std::string& name) {
    auto entry = proxy->recordedValues.find(name);
    return entry == proxy->recordedValues.end() ? std::vector<std::uint8_t>{} : entry->second;
  }

  IDirect3DDevice9* device = nullptr;

 private:
  int files = 0;
};
