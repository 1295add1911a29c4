// The simulated Direct3D 9 object: one adapter with one display mode, and
// device creation.
#include <cstdio>
#include <cstring>

#include "d3d_device.h"

namespace sim::detail {
namespace {

constexpr UINT kModeWidth = 1920;
constexpr UINT kModeHeight = 1080;

class Direct3D9 final : public ComObject<IDirect3D9> {
 public:
  Direct3D9() : ComObject(ObjectKind::Direct3D) {}

  HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void*) override { return D3DERR_NOTAVAILABLE; }
  UINT STDMETHODCALLTYPE GetAdapterCount() override { return 1; }

  HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* id) override {
    if (!id || adapter != 0) return D3DERR_INVALIDCALL;
    std::memset(id, 0, sizeof(*id));
    std::snprintf(id->Driver, sizeof(id->Driver), "simulated");
    std::snprintf(id->Description, sizeof(id->Description), "Simulated Direct3D 9 adapter");
    std::snprintf(id->DeviceName, sizeof(id->DeviceName), "\\\\.\\DISPLAY1");
    return D3D_OK;
  }

  UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter, D3DFORMAT format) override {
    return adapter == 0 && format == D3DFMT_X8R8G8B8 ? 1 : 0;
  }

  HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                                             D3DDISPLAYMODE* result) override {
    if (!result || adapter != 0 || mode != 0 || format != D3DFMT_X8R8G8B8) return D3DERR_INVALIDCALL;
    *result = {kModeWidth, kModeHeight, 60, D3DFMT_X8R8G8B8};
    return D3D_OK;
  }

  HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
    return EnumAdapterModes(adapter, D3DFMT_X8R8G8B8, 0, mode);
  }

  HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override {
    return adapter == 0 ? D3D_OK : D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE,
                                              D3DFORMAT) override {
    return adapter == 0 ? D3D_OK : D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE, D3DFORMAT, BOOL,
                                                       D3DMULTISAMPLE_TYPE type, DWORD* levels) override {
    if (adapter != 0) return D3DERR_INVALIDCALL;
    if (levels) *levels = 1;
    return type == D3DMULTISAMPLE_NONE ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT,
                                                   D3DFORMAT) override {
    return adapter == 0 ? D3D_OK : D3DERR_INVALIDCALL;
  }
  HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE, D3DFORMAT,
                                                        D3DFORMAT) override {
    return adapter == 0 ? D3D_OK : D3DERR_INVALIDCALL;
  }

  HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE, D3DCAPS9* caps) override {
    if (!caps || adapter != 0) return D3DERR_INVALIDCALL;
    FillDeviceCaps(caps);
    return D3D_OK;
  }

  HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT) override { return nullptr; }

  HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE, HWND focusWindow, DWORD,
                                         D3DPRESENT_PARAMETERS* parameters,
                                         IDirect3DDevice9** device) override {
    if (!device || !parameters || adapter != 0) return D3DERR_INVALIDCALL;
    const UINT width = parameters->BackBufferWidth ? parameters->BackBufferWidth : kModeWidth;
    const UINT height = parameters->BackBufferHeight ? parameters->BackBufferHeight : kModeHeight;
    *device = sim::CreateDevice(width, height, focusWindow);
    return D3D_OK;
  }
};

}  // namespace
}  // namespace sim::detail

extern "C" IDirect3D9* WINAPI Direct3DCreate9(UINT sdkVersion) {
  return sdkVersion == D3D_SDK_VERSION ? new sim::detail::Direct3D9() : nullptr;
}
