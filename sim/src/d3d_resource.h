// The IDirect3DResource9 part shared by surfaces, textures and buffers: the
// owning device (one reference held, unless the device owns the resource),
// priority and resource type. Private data is not kept.
#pragma once

#include "d3d_com_object.h"

namespace sim::detail {

template <class Interface>
class Resource : public ComObject<Interface> {
 public:
  Resource(ObjectKind kind, D3DRESOURCETYPE type, IDirect3DDevice9* device, bool holdDevice)
      : ComObject<Interface>(kind), type_(type), device_(device), holdsDevice_(holdDevice) {
    if (device_ && holdsDevice_) device_->AddRef();
  }

  HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override {
    if (!device || !device_) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override { return D3D_OK; }
  HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override { return D3DERR_NOTFOUND; }
  HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override { return D3DERR_NOTFOUND; }
  DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override {
    const DWORD old = priority_;
    priority_ = priority;
    return old;
  }
  DWORD STDMETHODCALLTYPE GetPriority() override { return priority_; }
  void STDMETHODCALLTYPE PreLoad() override {}
  D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return type_; }

 protected:
  void OnFinalRelease() override {
    if (holdsDevice_) SafeRelease(device_);
    device_ = nullptr;
  }

 private:
  D3DRESOURCETYPE type_;
  IDirect3DDevice9* device_;
  bool holdsDevice_;
  DWORD priority_ = 0;
};

}  // namespace sim::detail
