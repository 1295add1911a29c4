#include "d3dx_test_support.h"

void SimD3dTest::SetUp() {
  HostFixture::SetUp();
  device = sim::CreateDevice(1920, 1080, nullptr);
}

void SimD3dTest::ReleaseHostObjects() {
  if (device) {
    EXPECT_EQ(device->Release(), 0u) << "the device is still referenced";
  }
}

ID3DXEffect* SimD3dTest::Compile(const std::string& source) {
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* errors = nullptr;
  const HRESULT hr = D3DXCreateEffect(device, source.data(), static_cast<UINT>(source.size()), nullptr,
                                      nullptr, 0, nullptr, &effect, &errors);
  if (errors) {
    if (FAILED(hr)) ADD_FAILURE() << static_cast<const char*>(errors->GetBufferPointer());
    errors->Release();
  }
  EXPECT_EQ(hr, D3D_OK);
  return effect;
}
