#include "proxy_fixture.h"

#include "sim/host_d3d.h"

void ProxyTest::SetUp() {
  HostFixture::SetUp();
  device = sim::CreateDevice(1280, 720, nullptr);
}

void ProxyTest::ReleaseHostObjects() {
  if (device) device->Release();
  device = nullptr;
}

ID3DXEffect* ProxyTest::Compile(const std::string& source) {
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

EffectProxy* ProxyTest::Wrap(const std::string& source) {
  return new EffectProxy(Compile(source), "Test");
}

void ProxyTest::SwapInner(EffectProxy* proxy, const std::string& source) {
  proxy->SwapInnerEffect(Compile(source));
}

float ProxyTest::InnerFloat(EffectProxy* proxy, const char* name) {
  float value = -1.0f;
  EXPECT_EQ(proxy->innerEffect->GetFloat(name, &value), S_OK) << name;
  return value;
}

std::vector<std::uint8_t> ProxyTest::Recorded(EffectProxy* proxy, const std::string& name) {
  auto entry = proxy->recordedValues.find(name);
  return entry == proxy->recordedValues.end() ? std::vector<std::uint8_t>{} : entry->second;
}
