// Simulated vertex and index buffers (memory the caller locks and fills) and
// state blocks (which record nothing: the simulated device draws nothing).
#pragma once

#include <cstdint>
#include <vector>

#include "d3d_resource.h"

namespace sim::detail {

class VertexBuffer final : public Resource<IDirect3DVertexBuffer9> {
 public:
  VertexBuffer(IDirect3DDevice9* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

  HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Unlock() override;
  HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

 protected:
  void OnFinalRelease() override;

 private:
  D3DVERTEXBUFFER_DESC desc_;
  std::vector<std::uint8_t> bytes_;
  bool locked_ = false;
};

class IndexBuffer final : public Resource<IDirect3DIndexBuffer9> {
 public:
  IndexBuffer(IDirect3DDevice9* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

  HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Unlock() override;
  HRESULT STDMETHODCALLTYPE GetDesc(D3DINDEXBUFFER_DESC* desc) override;

 protected:
  void OnFinalRelease() override;

 private:
  D3DINDEXBUFFER_DESC desc_;
  std::vector<std::uint8_t> bytes_;
  bool locked_ = false;
};

class StateBlock final : public ComObject<IDirect3DStateBlock9> {
 public:
  explicit StateBlock(IDirect3DDevice9* device);

  HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
  HRESULT STDMETHODCALLTYPE Capture() override { return D3D_OK; }
  HRESULT STDMETHODCALLTYPE Apply() override { return D3D_OK; }

 protected:
  void OnFinalRelease() override;

 private:
  IDirect3DDevice9* device_;
};

}  // namespace sim::detail
