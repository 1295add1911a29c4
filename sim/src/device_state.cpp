// Fixed-function state of the simulated device: kept, read back, and used by
// the rasteriser (device_draw.cpp).
#include <algorithm>
#include <cstring>

#include "d3d_device.h"

namespace sim::detail {

namespace {

template <class T>
HRESULT CopyRegisters(std::vector<T>& registers, UINT start, const T* data, UINT count, UINT width) {
  if (!data || (static_cast<std::size_t>(start) + count) * width > registers.size())
    return D3DERR_INVALIDCALL;
  std::copy(data, data + static_cast<std::size_t>(count) * width, registers.begin() + start * width);
  return D3D_OK;
}

template <class T>
HRESULT ReadRegisters(const std::vector<T>& registers, UINT start, T* data, UINT count, UINT width) {
  if (!data || (static_cast<std::size_t>(start) + count) * width > registers.size())
    return D3DERR_INVALIDCALL;
  std::copy_n(registers.begin() + start * width, static_cast<std::size_t>(count) * width, data);
  return D3D_OK;
}

}  // namespace

HRESULT Device::GetDirect3D(IDirect3D9** direct3D) {
  if (!direct3D) return D3DERR_INVALIDCALL;
  *direct3D = Direct3DCreate9(D3D_SDK_VERSION);
  return *direct3D ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Device::SetCursorProperties(UINT, UINT, IDirect3DSurface9* bitmap) {
  return bitmap ? D3D_OK : D3DERR_INVALIDCALL;
}
void Device::SetCursorPosition(int, int, DWORD) {}
BOOL Device::ShowCursor(BOOL) {
  return FALSE;
}

HRESULT Device::GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status) {
  if (!status || swapChain != 0) return D3DERR_INVALIDCALL;
  *status = {FALSE, 0};
  return D3D_OK;
}

HRESULT Device::SetDialogBoxMode(BOOL) {
  return D3D_OK;
}

void Device::SetGammaRamp(UINT, DWORD, const D3DGAMMARAMP*) {}

void Device::GetGammaRamp(UINT, D3DGAMMARAMP* ramp) {
  if (!ramp) return;
  for (int i = 0; i < 256; ++i) {
    ramp->red[i] = ramp->green[i] = ramp->blue[i] = static_cast<WORD>(i * 257);
  }
}

HRESULT Device::UpdateSurface(IDirect3DSurface9* source, const RECT*, IDirect3DSurface9* destination,
                              const POINT*) {
  return source && destination ? D3D_OK : D3DERR_INVALIDCALL;
}
HRESULT Device::UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* destination) {
  return source && destination ? D3D_OK : D3DERR_INVALIDCALL;
}
HRESULT Device::GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* destination) {
  return target && destination ? D3D_OK : D3DERR_INVALIDCALL;
}
HRESULT Device::GetFrontBufferData(UINT, IDirect3DSurface9* destination) {
  return destination ? D3D_OK : D3DERR_INVALIDCALL;
}
HRESULT Device::StretchRect(IDirect3DSurface9* source, const RECT*, IDirect3DSurface9* destination,
                            const RECT*, D3DTEXTUREFILTERTYPE) {
  return source && destination ? D3D_OK : D3DERR_INVALIDCALL;
}
HRESULT Device::ColorFill(IDirect3DSurface9* surface, const RECT*, D3DCOLOR) {
  return surface ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9*) {
  return D3D_OK;
}
HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  return D3DERR_NOTFOUND;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* material) {
  if (!material) return D3DERR_INVALIDCALL;
  material_ = *material;
  return D3D_OK;
}
HRESULT Device::GetMaterial(D3DMATERIAL9* material) {
  if (!material) return D3DERR_INVALIDCALL;
  *material = material_;
  return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT9* light) {
  if (!light) return D3DERR_INVALIDCALL;
  lights_[index] = *light;
  return D3D_OK;
}
HRESULT Device::GetLight(DWORD index, D3DLIGHT9* light) {
  const auto found = lights_.find(index);
  if (!light || found == lights_.end()) return D3DERR_INVALIDCALL;
  *light = found->second;
  return D3D_OK;
}
HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  lightEnabled_[index] = enable ? TRUE : FALSE;
  return D3D_OK;
}
HRESULT Device::GetLightEnable(DWORD index, BOOL* enable) {
  const auto found = lightEnabled_.find(index);
  if (!enable || found == lightEnabled_.end()) return D3DERR_INVALIDCALL;
  *enable = found->second;
  return D3D_OK;
}

HRESULT Device::SetClipPlane(DWORD index, const float* plane) {
  if (!plane || index >= clipPlanes_.size()) return D3DERR_INVALIDCALL;
  std::copy_n(plane, 4, clipPlanes_[index].begin());
  return D3D_OK;
}
HRESULT Device::GetClipPlane(DWORD index, float* plane) {
  if (!plane || index >= clipPlanes_.size()) return D3DERR_INVALIDCALL;
  std::copy_n(clipPlanes_[index].begin(), 4, plane);
  return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (static_cast<DWORD>(state) >= renderStates_.size()) return D3DERR_INVALIDCALL;
  renderStates_[state] = value;
  return D3D_OK;
}
HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (!value || static_cast<DWORD>(state) >= renderStates_.size()) return D3DERR_INVALIDCALL;
  *value = renderStates_[state];
  return D3D_OK;
}

HRESULT Device::SetClipStatus(const D3DCLIPSTATUS9* status) {
  if (!status) return D3DERR_INVALIDCALL;
  clipStatus_ = *status;
  return D3D_OK;
}
HRESULT Device::GetClipStatus(D3DCLIPSTATUS9* status) {
  if (!status) return D3DERR_INVALIDCALL;
  *status = clipStatus_;
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (!value || stage >= stageStates_.size() || static_cast<DWORD>(type) >= stageStates_[0].size())
    return D3DERR_INVALIDCALL;
  *value = stageStates_[stage][type];
  return D3D_OK;
}
HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= stageStates_.size() || static_cast<DWORD>(type) >= stageStates_[0].size())
    return D3DERR_INVALIDCALL;
  stageStates_[stage][type] = value;
  return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  if (!value || static_cast<DWORD>(type) >= 14) return D3DERR_INVALIDCALL;
  const auto found = samplerStates_.find(sampler);
  *value = found != samplerStates_.end() ? found->second[type] : 0;
  return D3D_OK;
}
HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (static_cast<DWORD>(type) >= 14) return D3DERR_INVALIDCALL;
  samplerStates_[sampler][type] = value;
  return D3D_OK;
}

HRESULT Device::ValidateDevice(DWORD* passes) {
  if (!passes) return D3DERR_INVALIDCALL;
  *passes = 1;
  return D3D_OK;
}

HRESULT Device::SetPaletteEntries(UINT, const PALETTEENTRY* entries) {
  return entries ? D3D_OK : D3DERR_INVALIDCALL;
}
HRESULT Device::GetPaletteEntries(UINT, PALETTEENTRY* entries) {
  if (!entries) return D3DERR_INVALIDCALL;
  std::memset(entries, 0, sizeof(PALETTEENTRY) * 256);
  return D3D_OK;
}
HRESULT Device::SetCurrentTexturePalette(UINT palette) {
  currentPalette_ = palette;
  return D3D_OK;
}
HRESULT Device::GetCurrentTexturePalette(UINT* palette) {
  if (!palette) return D3DERR_INVALIDCALL;
  *palette = currentPalette_;
  return D3D_OK;
}

HRESULT Device::SetSoftwareVertexProcessing(BOOL software) {
  softwareVertexProcessing_ = software ? TRUE : FALSE;
  return D3D_OK;
}
BOOL Device::GetSoftwareVertexProcessing() {
  return softwareVertexProcessing_;
}
HRESULT Device::SetNPatchMode(float segments) {
  nPatchSegments_ = segments;
  return D3D_OK;
}
float Device::GetNPatchMode() {
  return nPatchSegments_;
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
  return declaration ? D3DERR_INVALIDCALL : D3D_OK;
}
HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) {
  if (!declaration) return D3DERR_INVALIDCALL;
  *declaration = nullptr;
  return D3D_OK;
}
HRESULT Device::SetFVF(DWORD fvf) {
  fvf_ = fvf;
  return D3D_OK;
}
HRESULT Device::GetFVF(DWORD* fvf) {
  if (!fvf) return D3DERR_INVALIDCALL;
  *fvf = fvf_;
  return D3D_OK;
}

// No shader can be created, so only "no shader" can be bound.
HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader) {
  return shader ? D3DERR_INVALIDCALL : D3D_OK;
}
HRESULT Device::GetVertexShader(IDirect3DVertexShader9** shader) {
  if (!shader) return D3DERR_INVALIDCALL;
  *shader = nullptr;
  return D3D_OK;
}
HRESULT Device::SetPixelShader(IDirect3DPixelShader9* shader) {
  return shader ? D3DERR_INVALIDCALL : D3D_OK;
}
HRESULT Device::GetPixelShader(IDirect3DPixelShader9** shader) {
  if (!shader) return D3DERR_INVALIDCALL;
  *shader = nullptr;
  return D3D_OK;
}

HRESULT Device::SetVertexShaderConstantF(UINT start, const float* data, UINT count) {
  return CopyRegisters(vertexConstantsF_, start, data, count, 4);
}
HRESULT Device::GetVertexShaderConstantF(UINT start, float* data, UINT count) {
  return ReadRegisters(vertexConstantsF_, start, data, count, 4);
}
HRESULT Device::SetVertexShaderConstantI(UINT start, const int* data, UINT count) {
  return CopyRegisters(vertexConstantsI_, start, data, count, 4);
}
HRESULT Device::GetVertexShaderConstantI(UINT start, int* data, UINT count) {
  return ReadRegisters(vertexConstantsI_, start, data, count, 4);
}
HRESULT Device::SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) {
  return CopyRegisters(vertexConstantsB_, start, data, count, 1);
}
HRESULT Device::GetVertexShaderConstantB(UINT start, BOOL* data, UINT count) {
  return ReadRegisters(vertexConstantsB_, start, data, count, 1);
}
HRESULT Device::SetPixelShaderConstantF(UINT start, const float* data, UINT count) {
  return CopyRegisters(pixelConstantsF_, start, data, count, 4);
}
HRESULT Device::GetPixelShaderConstantF(UINT start, float* data, UINT count) {
  return ReadRegisters(pixelConstantsF_, start, data, count, 4);
}
HRESULT Device::SetPixelShaderConstantI(UINT start, const int* data, UINT count) {
  return CopyRegisters(pixelConstantsI_, start, data, count, 4);
}
HRESULT Device::GetPixelShaderConstantI(UINT start, int* data, UINT count) {
  return ReadRegisters(pixelConstantsI_, start, data, count, 4);
}
HRESULT Device::SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) {
  return CopyRegisters(pixelConstantsB_, start, data, count, 1);
}
HRESULT Device::GetPixelShaderConstantB(UINT start, BOOL* data, UINT count) {
  return ReadRegisters(pixelConstantsB_, start, data, count, 1);
}

}  // namespace sim::detail
