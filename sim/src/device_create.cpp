// Resource creation on the simulated device. Textures, buffers, surfaces and
// state blocks are real objects; shaders, declarations, queries, cube
// textures and extra swap chains are not available.
#include "d3d_buffers.h"
#include "d3d_device.h"
#include "d3d_state_block.h"
#include "d3d_surface.h"
#include "texture.h"

namespace sim::detail {

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle) {
  if (!texture || sharedHandle || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  if (FAILED(DefaultPoolAllowed(pool))) return D3DERR_DEVICELOST;
  *texture = new Texture2D(this, width, height, levels, usage, format, pool);
  return D3D_OK;
}

HRESULT Device::CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                    D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture,
                                    HANDLE* sharedHandle) {
  if (!texture || sharedHandle || width == 0 || height == 0 || depth == 0) return D3DERR_INVALIDCALL;
  *texture = new VolumeTexture(this, width, height, depth, levels, usage, format, pool);
  return D3D_OK;
}

HRESULT Device::CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture9**, HANDLE*) {
  return D3DERR_NOTAVAILABLE;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) {
  if (!buffer || sharedHandle || length == 0) return D3DERR_INVALIDCALL;
  if (FAILED(DefaultPoolAllowed(pool))) return D3DERR_DEVICELOST;
  *buffer = new VertexBuffer(this, length, usage, fvf, pool);
  return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) {
  if (!buffer || sharedHandle || length == 0) return D3DERR_INVALIDCALL;
  if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  if (FAILED(DefaultPoolAllowed(pool))) return D3DERR_DEVICELOST;
  *buffer = new IndexBuffer(this, length, usage, format, pool);
  return D3D_OK;
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                   DWORD quality, BOOL, IDirect3DSurface9** surface, HANDLE* sharedHandle) {
  if (!surface || sharedHandle || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  if (FAILED(DefaultPoolAllowed(D3DPOOL_DEFAULT))) return D3DERR_DEVICELOST;
  *surface = new Surface(
      this, false,
      SurfaceDesc(width, height, format, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, multiSample, quality),
      nullptr);
  return D3D_OK;
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL,
                                          IDirect3DSurface9** surface, HANDLE* sharedHandle) {
  if (!surface || sharedHandle || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  *surface = new Surface(
      this, false,
      SurfaceDesc(width, height, format, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, multiSample, quality),
      nullptr);
  return D3D_OK;
}

HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DSurface9** surface, HANDLE* sharedHandle) {
  if (!surface || sharedHandle || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  *surface =
      new Surface(this, false, SurfaceDesc(width, height, format, 0, pool, D3DMULTISAMPLE_NONE, 0), nullptr);
  return D3D_OK;
}

HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block) {
  if (!block || type < D3DSBT_ALL || type > D3DSBT_VERTEXSTATE) return D3DERR_INVALIDCALL;
  *block = new StateBlock(this);
  return D3D_OK;
}

HRESULT Device::BeginStateBlock() {
  if (recordingStateBlock_) return D3DERR_INVALIDCALL;
  recordingStateBlock_ = true;
  return D3D_OK;
}

HRESULT Device::EndStateBlock(IDirect3DStateBlock9** block) {
  if (!block || !recordingStateBlock_) return D3DERR_INVALIDCALL;
  recordingStateBlock_ = false;
  *block = new StateBlock(this);
  return D3D_OK;
}

HRESULT Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain9**) {
  return D3DERR_NOTAVAILABLE;
}
HRESULT Device::GetSwapChain(UINT, IDirect3DSwapChain9**) {
  return D3DERR_NOTAVAILABLE;
}
UINT Device::GetNumberOfSwapChains() {
  return 1;
}
HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9*, IDirect3DVertexDeclaration9**) {
  return D3DERR_NOTAVAILABLE;
}
HRESULT Device::CreateVertexShader(const DWORD*, IDirect3DVertexShader9**) {
  return D3DERR_NOTAVAILABLE;
}
HRESULT Device::CreatePixelShader(const DWORD*, IDirect3DPixelShader9**) {
  return D3DERR_NOTAVAILABLE;
}
HRESULT Device::CreateQuery(D3DQUERYTYPE, IDirect3DQuery9**) {
  return D3DERR_NOTAVAILABLE;
}

// ---------------------------------------------------------------------------
// Bound resources: the device holds a reference on each
// ---------------------------------------------------------------------------
HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  IDirect3DBaseTexture9*& slot = textures_[stage];
  if (texture) texture->AddRef();
  SafeRelease(slot);
  slot = texture;
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
  if (!texture) return D3DERR_INVALIDCALL;
  const auto found = textures_.find(stage);
  *texture = found != textures_.end() ? found->second : nullptr;
  if (*texture) (*texture)->AddRef();
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
  if (stream >= 16) return D3DERR_INVALIDCALL;
  Stream& slot = streams_[stream];
  if (buffer) buffer->AddRef();
  SafeRelease(slot.buffer);
  slot.buffer = buffer;
  slot.offset = offset;
  slot.stride = stride;
  return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride) {
  if (!buffer || !offset || !stride || stream >= 16) return D3DERR_INVALIDCALL;
  const Stream slot = streams_.count(stream) ? streams_[stream] : Stream{};
  *buffer = slot.buffer;
  if (*buffer) (*buffer)->AddRef();
  *offset = slot.offset;
  *stride = slot.stride;
  return D3D_OK;
}

HRESULT Device::SetStreamSourceFreq(UINT stream, UINT setting) {
  if (stream >= 16) return D3DERR_INVALIDCALL;
  streams_[stream].frequency = setting;
  return D3D_OK;
}

HRESULT Device::GetStreamSourceFreq(UINT stream, UINT* setting) {
  if (!setting || stream >= 16) return D3DERR_INVALIDCALL;
  *setting = streams_.count(stream) ? streams_[stream].frequency : 1;
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* buffer) {
  if (buffer) buffer->AddRef();
  SafeRelease(indices_);
  indices_ = buffer;
  return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** buffer) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = indices_;
  if (indices_) indices_->AddRef();
  return D3D_OK;
}

}  // namespace sim::detail
