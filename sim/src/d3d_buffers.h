// Simulated vertex and index buffers: memory the caller locks and fills, and
// the device reads when it draws.
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

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

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

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  D3DFORMAT Format() const { return desc_.Format; }

 protected:
  void OnFinalRelease() override;

 private:
  D3DINDEXBUFFER_DESC desc_;
  std::vector<std::uint8_t> bytes_;
  bool locked_ = false;
};

}  // namespace sim::detail
