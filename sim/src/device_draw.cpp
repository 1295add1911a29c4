// Draw calls on the simulated device: checked and counted, nothing is drawn.
#include "d3d_device.h"

namespace sim::detail {

HRESULT Device::CountDraw() {
  draws_.fetch_add(1);
  return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT count) {
  return count ? CountDraw() : D3DERR_INVALIDCALL;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT, UINT, UINT vertices, UINT, UINT count) {
  if (!indices_ || vertices == 0 || count == 0) return D3DERR_INVALIDCALL;
  return CountDraw();
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT count, const void* vertices, UINT stride) {
  if (!vertices || stride == 0 || count == 0) return D3DERR_INVALIDCALL;
  return CountDraw();
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT vertexCount, UINT count,
                                       const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                       UINT stride) {
  if (!indices || !vertices || stride == 0 || vertexCount == 0 || count == 0) return D3DERR_INVALIDCALL;
  if (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  return CountDraw();
}

HRESULT Device::ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer9* destination,
                                IDirect3DVertexDeclaration9*, DWORD) {
  return destination ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) {
  return D3DERR_NOTAVAILABLE;
}
HRESULT Device::DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) {
  return D3DERR_NOTAVAILABLE;
}
HRESULT Device::DeletePatch(UINT) {
  return D3DERR_NOTAVAILABLE;
}

}  // namespace sim::detail
