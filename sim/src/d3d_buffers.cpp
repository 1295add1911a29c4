#include "d3d_buffers.h"

namespace sim::detail {
namespace {

HRESULT LockRange(std::vector<std::uint8_t>& bytes, bool& locked, UINT offset, UINT size, void** data) {
  if (!data || locked || offset > bytes.size()) return D3DERR_INVALIDCALL;
  if (size != 0 && offset + static_cast<std::size_t>(size) > bytes.size()) return D3DERR_INVALIDCALL;
  *data = bytes.data() + offset;
  locked = true;
  return D3D_OK;
}

HRESULT UnlockRange(bool& locked) {
  if (!locked) return D3DERR_INVALIDCALL;
  locked = false;
  return D3D_OK;
}

}  // namespace

VertexBuffer::VertexBuffer(IDirect3DDevice9* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : Resource(ObjectKind::VertexBuffer, D3DRTYPE_VERTEXBUFFER, device, true),
      desc_{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf},
      bytes_(length) {}

HRESULT VertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD) {
  return LockRange(bytes_, locked_, offset, size, data);
}
HRESULT VertexBuffer::Unlock() {
  return UnlockRange(locked_);
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = desc_;
  return D3D_OK;
}

void VertexBuffer::OnFinalRelease() {
  // Assigning {} would keep the capacity: the shell must not hold the bytes.
  std::vector<std::uint8_t>().swap(bytes_);
  Resource::OnFinalRelease();
}

IndexBuffer::IndexBuffer(IDirect3DDevice9* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : Resource(ObjectKind::IndexBuffer, D3DRTYPE_INDEXBUFFER, device, true),
      desc_{format, D3DRTYPE_INDEXBUFFER, usage, pool, length},
      bytes_(length) {}

HRESULT IndexBuffer::Lock(UINT offset, UINT size, void** data, DWORD) {
  return LockRange(bytes_, locked_, offset, size, data);
}
HRESULT IndexBuffer::Unlock() {
  return UnlockRange(locked_);
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = desc_;
  return D3D_OK;
}

void IndexBuffer::OnFinalRelease() {
  // Assigning {} would keep the capacity: the shell must not hold the bytes.
  std::vector<std::uint8_t>().swap(bytes_);
  Resource::OnFinalRelease();
}

}  // namespace sim::detail
