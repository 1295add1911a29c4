// A game that creates its effects through the redirected call site, in a
// temporary game folder, with the plug-in attached.
#pragma once

#include <string>

#include "effect/effect_proxy.h"
#include "hook/live_shaders.h"
#include "host_fixture.h"
#include "sim/host_code.h"
#include "sim/host_d3d.h"
#include "sim/host_kernel.h"

class CreationFixture : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    // The game's window: the device's focus window, where the overlay lives.
    window = sim::CreateHostWindow(nullptr);
    device = sim::CreateDevice(1920, 1080, window);
    sim::ClearEffectCalls();
  }
  void ReleaseHostObjects() override {
    sim::ClearResources();
    if (device != nullptr) device->Release();
    device = nullptr;
    sim::DestroyHostWindow(window);
  }

  // The game's effect creation, through its call instruction at 0x70AAA8.
  HRESULT HostCreates(const char* name, ID3DXEffect** effect, ID3DXBuffer** errors = nullptr,
                      ID3DXInclude* include = nullptr, DWORD flags = 0, const D3DXMACRO* defines = nullptr,
                      ID3DXEffectPool* pool = nullptr) {
    return sim::HostCreateEffectFromResource(device, module, name, defines, include, flags, pool, effect,
                                             errors);
  }

  // Creates the effect, expects a proxy, and returns it.
  EffectProxy* CreateProxy(const char* name) {
    ID3DXEffect* effect = nullptr;
    EXPECT_EQ(HostCreates(name, &effect), S_OK);
    created = effect;
    return static_cast<EffectProxy*>(effect);
  }

  HWND window = nullptr;
  IDirect3DDevice9* device = nullptr;
  HMODULE module = reinterpret_cast<HMODULE>(0x400000);
  ID3DXEffect* created = nullptr;
};
