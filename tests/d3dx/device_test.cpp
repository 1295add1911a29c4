// The simulated device as the plug-in meets it: the detoured slots, the
// creation parameters, the render target and viewport it reads the screen
// size from, and Reset's result.
#include "d3dx_test_support.h"

namespace {

using DeviceTest = SimD3dTest;

// What an inline hook sees: the code that a vtable slot points to, called
// with the object as its first argument.
void* SlotTarget(IDirect3DDevice9* device, int slot) {
  return (*reinterpret_cast<void***>(device))[slot];
}

TEST_F(DeviceTest, Slots16And42RunTheDevicesOwnResetAndEndScene) {
  using EndSceneCode = HRESULT (*)(IDirect3DDevice9*);
  using ResetCode = HRESULT (*)(IDirect3DDevice9*, D3DPRESENT_PARAMETERS*);
  auto endScene = reinterpret_cast<EndSceneCode>(SlotTarget(device, 42));
  auto reset = reinterpret_cast<ResetCode>(SlotTarget(device, 16));

  EXPECT_EQ(endScene(device), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(sim::EndSceneCount(device), 2);

  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = 1280;
  parameters.BackBufferHeight = 720;
  EXPECT_EQ(reset(device, &parameters), D3D_OK);
  EXPECT_EQ(sim::ResetCount(device), 1);
  EXPECT_EQ(sim::LastResetParameters(device).BackBufferWidth, 1280u);
  EXPECT_EQ(sim::EndSceneCount(device), 2);
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

TEST_F(DeviceTest, CreationParametersNameTheFocusWindow) {
  D3DDEVICE_CREATION_PARAMETERS parameters{};
  ASSERT_EQ(device->GetCreationParameters(&parameters), D3D_OK);
  EXPECT_EQ(parameters.hFocusWindow, window);
  EXPECT_EQ(parameters.DeviceType, D3DDEVTYPE_HAL);
}

TEST_F(DeviceTest, RenderTargetZeroDescribesTheBackBuffer) {
  IDirect3DSurface9* surface = nullptr;
  ASSERT_EQ(device->GetRenderTarget(0, &surface), D3D_OK);
  ASSERT_NE(surface, nullptr);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(surface->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 1920u);
  EXPECT_EQ(desc.Height, 1080u);
  surface->Release();

  sim::SetRenderTargetSize(device, 16, 8);
  ASSERT_EQ(device->GetRenderTarget(0, &surface), D3D_OK);
  surface->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 16u);
  EXPECT_EQ(desc.Height, 8u);
  surface->Release();

  EXPECT_EQ(device->GetRenderTarget(1, &surface), D3DERR_NOTFOUND);
}

TEST_F(DeviceTest, RenderTargetCanFailOrComeBackEmpty) {
  IDirect3DSurface9* surface = reinterpret_cast<IDirect3DSurface9*>(&surface);
  sim::SetRenderTargetMode(device, sim::RenderTargetMode::CallFails);
  EXPECT_EQ(device->GetRenderTarget(0, &surface), D3DERR_INVALIDCALL);

  sim::SetRenderTargetMode(device, sim::RenderTargetMode::NoSurface);
  EXPECT_EQ(device->GetRenderTarget(0, &surface), D3D_OK);
  EXPECT_EQ(surface, nullptr);

  sim::SetRenderTargetMode(device, sim::RenderTargetMode::DescFails);
  ASSERT_EQ(device->GetRenderTarget(0, &surface), D3D_OK);
  D3DSURFACE_DESC desc{};
  EXPECT_EQ(surface->GetDesc(&desc), D3DERR_INVALIDCALL);
  EXPECT_EQ(desc.Width, 0u);
  surface->Release();
}

TEST_F(DeviceTest, ViewportStartsAtTheBackBufferSizeAndKeepsWhatIsSet) {
  D3DVIEWPORT9 viewport{};
  ASSERT_EQ(device->GetViewport(&viewport), D3D_OK);
  EXPECT_EQ(viewport.Width, 1920u);
  EXPECT_EQ(viewport.Height, 1080u);
  EXPECT_EQ(viewport.MaxZ, 1.0f);

  const D3DVIEWPORT9 custom{10, 20, 300, 200, 0.0f, 1.0f};
  device->SetViewport(&custom);
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.X, 10u);
  EXPECT_EQ(viewport.Width, 300u);
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

TEST_F(DeviceTest, AnOverlayRendererCanDrawThroughTheDevice) {
  IDirect3DVertexBuffer9* vertices = nullptr;
  IDirect3DIndexBuffer9* indices = nullptr;
  IDirect3DStateBlock9* state = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(1024, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                       D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPOOL_DEFAULT, &vertices, nullptr),
            D3D_OK);
  ASSERT_EQ(device->CreateIndexBuffer(512, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                      D3DPOOL_DEFAULT, &indices, nullptr),
            D3D_OK);
  ASSERT_EQ(device->CreateStateBlock(D3DSBT_ALL, &state), D3D_OK);

  void* data = nullptr;
  ASSERT_EQ(vertices->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
  vertices->Unlock();
  device->SetStreamSource(0, vertices, 0, 16);
  device->SetIndices(indices);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  DWORD value = 0;
  device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
  EXPECT_EQ(value, static_cast<DWORD>(TRUE));
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
  EXPECT_EQ(sim::DrawCallCount(device), 1);
  state->Apply();

  state->Release();
  vertices->Release();
  indices->Release();
  device->SetStreamSource(0, nullptr, 0, 0);
  device->SetIndices(nullptr);
}

TEST_F(DeviceTest, Direct3DCreatesWorkingDevices) {
  IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(direct3D, nullptr);
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = 1024;
  parameters.BackBufferHeight = 768;
  IDirect3DDevice9* created = nullptr;
  ASSERT_EQ(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                   D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &created),
            D3D_OK);
  D3DVIEWPORT9 viewport{};
  created->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 1024u);
  created->Release();
  direct3D->Release();
}

}  // namespace
