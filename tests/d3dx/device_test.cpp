// The simulated device's own bookkeeping: per-device counters, Reset's
// result, resource references and device creation. What the plug-in reads
// from it (slots, render target, viewport, drawing) is tested through the
// plug-in in the frame and overlay tests.
#include "d3dx_test_support.h"

namespace {

using DeviceTest = SimD3dTest;

// What an inline hook sees: the code that a vtable slot points to, called
// with the object as its first argument.
void* SlotTarget(IDirect3DDevice9* device, int slot) {
  return (*reinterpret_cast<void***>(device))[slot];
}

TEST_F(DeviceTest, EachDeviceHasItsOwnCounters) {
  IDirect3DDevice9* other = sim::CreateDevice(640, 480, nullptr);
  EXPECT_EQ(SlotTarget(other, 42), SlotTarget(device, 42));
  other->EndScene();
  EXPECT_EQ(sim::EndSceneCount(other), 1);
  EXPECT_EQ(sim::EndSceneCount(device), 0);
  EXPECT_EQ(other->Release(), 0u);
}

TEST_F(DeviceTest, ResetReturnsTheChosenResultAndKeepsTheSizeWhenItFails) {
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = 800;
  parameters.BackBufferHeight = 600;
  sim::SetResetResult(device, D3DERR_DEVICELOST);
  EXPECT_EQ(device->Reset(&parameters), D3DERR_DEVICELOST);

  D3DVIEWPORT9 viewport{};
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 1920u);

  sim::SetResetResult(device, D3D_OK);
  EXPECT_EQ(device->Reset(&parameters), D3D_OK);
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 800u);
  EXPECT_EQ(viewport.Height, 600u);
  EXPECT_EQ(sim::ResetCount(device), 2);
}

TEST_F(DeviceTest, ResourcesHoldTheDeviceAndBoundOnesAreHeldByIt) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(64, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  EXPECT_EQ(sim::RefCount(device), 2u);

  device->SetTexture(0, texture);
  EXPECT_EQ(sim::RefCount(texture), 2u);
  device->SetTexture(0, nullptr);
  EXPECT_EQ(sim::RefCount(texture), 1u);

  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 64 * 4);
  static_cast<unsigned char*>(locked.pBits)[64 * 4 * 32 - 1] = 0xFF;
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(texture->UnlockRect(0), D3D_OK);

  EXPECT_EQ(texture->Release(), 0u);
  EXPECT_EQ(sim::RefCount(device), 1u);
}

}  // namespace
