// The device's EndScene and Reset code can carry an inline hook, as the
// plug-in installs one on the code behind vtable slots 42 and 16.
#include <MinHook.h>

#include "d3dx_test_support.h"

namespace {

using EndSceneCode = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*);
using ResetCode = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, D3DPRESENT_PARAMETERS*);

EndSceneCode originalEndScene = nullptr;
ResetCode originalReset = nullptr;
int detouredEndScenes = 0;
int detouredResets = 0;

HRESULT STDMETHODCALLTYPE EndSceneDetour(IDirect3DDevice9* device) {
  ++detouredEndScenes;
  return originalEndScene(device);
}

HRESULT STDMETHODCALLTYPE ResetDetour(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* parameters) {
  ++detouredResets;
  return originalReset(device, parameters);
}

void* SlotTarget(IDirect3DDevice9* device, int slot) {
  return (*reinterpret_cast<void***>(device))[slot];
}

using DeviceHookTest = SimD3dTest;

TEST_F(DeviceHookTest, InlineHooksOnSlots42And16SeeEveryCallAndReachTheDevice) {
  ASSERT_EQ(MH_Initialize(), MH_OK);
  ASSERT_EQ(MH_CreateHook(SlotTarget(device, 42), reinterpret_cast<void*>(&EndSceneDetour),
                          reinterpret_cast<void**>(&originalEndScene)),
            MH_OK);
  ASSERT_EQ(MH_CreateHook(SlotTarget(device, 16), reinterpret_cast<void*>(&ResetDetour),
                          reinterpret_cast<void**>(&originalReset)),
            MH_OK);
  ASSERT_EQ(MH_EnableHook(MH_ALL_HOOKS), MH_OK);

  sim::SetResetResult(device, D3DERR_DEVICENOTRESET);
  D3DPRESENT_PARAMETERS parameters{};
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->Reset(&parameters), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(detouredEndScenes, 2);
  EXPECT_EQ(detouredResets, 1);
  EXPECT_EQ(sim::EndSceneCount(device), 2);
  EXPECT_EQ(sim::ResetCount(device), 1);

  EXPECT_EQ(MH_DisableHook(MH_ALL_HOOKS), MH_OK);
  EXPECT_EQ(MH_Uninitialize(), MH_OK);
  device->EndScene();
  EXPECT_EQ(detouredEndScenes, 2);
  EXPECT_EQ(sim::EndSceneCount(device), 3);
}

}  // namespace
