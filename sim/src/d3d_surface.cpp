#include "d3d_surface.h"

#include <algorithm>

namespace sim::detail {
namespace {

bool IsBlockCompressed(D3DFORMAT format) {
  return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
         format == D3DFMT_DXT5;
}

UINT BytesPerPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8:
    case D3DFMT_L8:
    case D3DFMT_P8:
    case D3DFMT_R3G3B2:
    case D3DFMT_A4L4:
      return 1;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8L8:
    case D3DFMT_L16:
    case D3DFMT_R16F:
    case D3DFMT_D16:
      return 2;
    case D3DFMT_R8G8B8:
      return 3;
    case D3DFMT_A16B16G16R16:
    case D3DFMT_A16B16G16R16F:
    case D3DFMT_G32R32F:
      return 8;
    case D3DFMT_A32B32G32R32F:
      return 16;
    default:
      return 4;
  }
}

}  // namespace

UINT RowPitch(D3DFORMAT format, UINT width) {
  width = std::max<UINT>(width, 1);
  if (IsBlockCompressed(format)) return ((width + 3) / 4) * (format == D3DFMT_DXT1 ? 8 : 16);
  return width * BytesPerPixel(format);
}

UINT RowCount(D3DFORMAT format, UINT height) {
  height = std::max<UINT>(height, 1);
  return IsBlockCompressed(format) ? (height + 3) / 4 : height;
}

Surface::Surface(IDirect3DDevice9* device, bool deviceOwned, const D3DSURFACE_DESC& desc, IUnknown* container)
    : Resource(ObjectKind::Surface, D3DRTYPE_SURFACE, device, !deviceOwned),
      desc_(desc),
      container_(container) {
  desc_.Type = D3DRTYPE_SURFACE;
  if (container_) container_->AddRef();
}

void Surface::Resize(UINT width, UINT height) {
  desc_.Width = width;
  desc_.Height = height;
  pixels_.clear();
}

std::uint8_t* Surface::Pixels() {
  pixels_.resize(static_cast<std::size_t>(Pitch()) * RowCount(desc_.Format, desc_.Height));
  return pixels_.data();
}

UINT Surface::Pitch() const {
  return RowPitch(desc_.Format, desc_.Width);
}

HRESULT Surface::GetContainer(REFIID, void** container) {
  if (!container) return D3DERR_INVALIDCALL;
  if (!container_) return E_NOINTERFACE;
  container_->AddRef();
  *container = container_;
  return D3D_OK;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc || descFails_) return D3DERR_INVALIDCALL;
  *desc = desc_;
  return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT*, DWORD) {
  if (!locked || locked_) return D3DERR_INVALIDCALL;
  locked->pBits = Pixels();
  locked->Pitch = static_cast<INT>(Pitch());
  locked_ = true;
  return D3D_OK;
}

HRESULT Surface::UnlockRect() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  return D3D_OK;
}

HRESULT Surface::GetDC(HDC*) {
  return D3DERR_INVALIDCALL;
}
HRESULT Surface::ReleaseDC(HDC) {
  return D3DERR_INVALIDCALL;
}

void Surface::OnFinalRelease() {
  SafeRelease(container_);
  // Assigning {} would keep the capacity: the shell must not hold the pixels.
  std::vector<std::uint8_t>().swap(pixels_);
  Resource::OnFinalRelease();
}

D3DSURFACE_DESC SurfaceDesc(UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool,
                            D3DMULTISAMPLE_TYPE multiSample, DWORD quality) {
  D3DSURFACE_DESC desc{};
  desc.Format = format;
  desc.Type = D3DRTYPE_SURFACE;
  desc.Usage = usage;
  desc.Pool = pool;
  desc.MultiSampleType = multiSample;
  desc.MultiSampleQuality = quality;
  desc.Width = width;
  desc.Height = height;
  return desc;
}

}  // namespace sim::detail
