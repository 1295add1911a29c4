#include "texture.h"

#include <algorithm>

#include "d3d_surface.h"

namespace sim::detail {

UINT FullMipLevels(UINT width, UINT height, UINT depth) {
  UINT extent = std::max({width, height, depth, 1u});
  UINT levels = 1;
  while (extent > 1) {
    extent /= 2;
    ++levels;
  }
  return levels;
}

namespace {

UINT LevelExtent(UINT extent, UINT level) {
  return std::max<UINT>(extent >> level, 1);
}

UINT ResolveLevels(UINT requested, UINT width, UINT height, UINT depth) {
  const UINT full = FullMipLevels(width, height, depth);
  return requested == 0 || requested > full ? full : requested;
}

}  // namespace

// ---------------------------------------------------------------------------
// Texture2D
// ---------------------------------------------------------------------------
Texture2D::Texture2D(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, DWORD usage,
                     D3DFORMAT format, D3DPOOL pool)
    : BaseTexture(ObjectKind::Texture, D3DRTYPE_TEXTURE, device, ResolveLevels(levels, width, height, 1)),
      width_(std::max<UINT>(width, 1)),
      height_(std::max<UINT>(height, 1)),
      usage_(usage),
      format_(format),
      pool_(pool),
      pixels_(levels_),
      locked_(levels_, false) {}

D3DSURFACE_DESC Texture2D::LevelDesc(UINT level) const {
  D3DSURFACE_DESC desc{};
  desc.Format = format_;
  desc.Type = D3DRTYPE_SURFACE;
  desc.Usage = usage_;
  desc.Pool = pool_;
  desc.MultiSampleType = D3DMULTISAMPLE_NONE;
  desc.Width = LevelExtent(width_, level);
  desc.Height = LevelExtent(height_, level);
  return desc;
}

HRESULT Texture2D::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (!desc || level >= levels_) return D3DERR_INVALIDCALL;
  *desc = LevelDesc(level);
  return D3D_OK;
}

HRESULT Texture2D::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  if (!surface || level >= levels_) return D3DERR_INVALIDCALL;
  IDirect3DDevice9* device = nullptr;
  GetDevice(&device);
  *surface = new Surface(device, false, LevelDesc(level), static_cast<IDirect3DTexture9*>(this));
  SafeRelease(device);
  return D3D_OK;
}

std::vector<std::uint8_t>& Texture2D::LevelBytes(UINT level) {
  const D3DSURFACE_DESC desc = LevelDesc(level);
  pixels_[level].resize(static_cast<std::size_t>(RowPitch(format_, desc.Width)) *
                        RowCount(format_, desc.Height));
  return pixels_[level];
}

// A rectangle locks from its top-left pixel on (block-compressed formats: the
// 4x4 block holding it), with the pitch of the whole level.
HRESULT Texture2D::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
  if (!locked || level >= levels_ || locked_[level]) return D3DERR_INVALIDCALL;
  const D3DSURFACE_DESC desc = LevelDesc(level);
  if (rect &&
      (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
       static_cast<UINT>(rect->right) > desc.Width || static_cast<UINT>(rect->bottom) > desc.Height)) {
    return D3DERR_INVALIDCALL;
  }
  const UINT pitch = RowPitch(format_, desc.Width);
  std::uint8_t* bits = LevelBytes(level).data();
  if (rect) {
    const UINT row = RowCount(format_, static_cast<UINT>(rect->top) + 1) - 1;
    const UINT column = RowPitch(format_, static_cast<UINT>(rect->left) + 1) - RowPitch(format_, 1);
    bits += static_cast<std::size_t>(row) * pitch + column;
  }
  locked->Pitch = static_cast<INT>(pitch);
  locked->pBits = bits;
  locked_[level] = true;
  return D3D_OK;
}

TextureLevel Texture2D::TopLevel() {
  const D3DSURFACE_DESC desc = LevelDesc(0);
  return {LevelBytes(0).data(), RowPitch(format_, desc.Width), desc.Width, desc.Height, format_};
}

HRESULT Texture2D::UnlockRect(UINT level) {
  if (level >= levels_ || !locked_[level]) return D3DERR_INVALIDCALL;
  locked_[level] = false;
  return D3D_OK;
}

HRESULT Texture2D::AddDirtyRect(const RECT*) {
  return D3D_OK;
}

void Texture2D::OnFinalRelease() {
  pixels_ = {};
  BaseTexture::OnFinalRelease();
}

// ---------------------------------------------------------------------------
// VolumeTexture
// ---------------------------------------------------------------------------
VolumeTexture::VolumeTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT depth, UINT levels,
                             DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : BaseTexture(ObjectKind::VolumeTexture, D3DRTYPE_VOLUMETEXTURE, device,
                  ResolveLevels(levels, width, height, depth)),
      width_(std::max<UINT>(width, 1)),
      height_(std::max<UINT>(height, 1)),
      depth_(std::max<UINT>(depth, 1)),
      usage_(usage),
      format_(format),
      pool_(pool),
      voxels_(levels_),
      locked_(levels_, false) {}

D3DVOLUME_DESC VolumeTexture::LevelDesc(UINT level) const {
  D3DVOLUME_DESC desc{};
  desc.Format = format_;
  desc.Type = D3DRTYPE_VOLUME;
  desc.Usage = usage_;
  desc.Pool = pool_;
  desc.Width = LevelExtent(width_, level);
  desc.Height = LevelExtent(height_, level);
  desc.Depth = LevelExtent(depth_, level);
  return desc;
}

HRESULT VolumeTexture::GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) {
  if (!desc || level >= levels_) return D3DERR_INVALIDCALL;
  *desc = LevelDesc(level);
  return D3D_OK;
}

HRESULT VolumeTexture::GetVolumeLevel(UINT level, IDirect3DVolume9** volume) {
  if (!volume || level >= levels_) return D3DERR_INVALIDCALL;
  *volume = new Volume(this, level);
  return D3D_OK;
}

HRESULT VolumeTexture::LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX*, DWORD) {
  if (!locked || level >= levels_ || locked_[level]) return D3DERR_INVALIDCALL;
  const D3DVOLUME_DESC desc = LevelDesc(level);
  const UINT rowPitch = RowPitch(format_, desc.Width);
  const UINT slicePitch = rowPitch * RowCount(format_, desc.Height);
  voxels_[level].resize(static_cast<std::size_t>(slicePitch) * desc.Depth);
  locked->RowPitch = static_cast<INT>(rowPitch);
  locked->SlicePitch = static_cast<INT>(slicePitch);
  locked->pBits = voxels_[level].data();
  locked_[level] = true;
  return D3D_OK;
}

HRESULT VolumeTexture::UnlockBox(UINT level) {
  if (level >= levels_ || !locked_[level]) return D3DERR_INVALIDCALL;
  locked_[level] = false;
  return D3D_OK;
}

HRESULT VolumeTexture::AddDirtyBox(const D3DBOX*) {
  return D3D_OK;
}

void VolumeTexture::OnFinalRelease() {
  voxels_ = {};
  BaseTexture::OnFinalRelease();
}

// ---------------------------------------------------------------------------
// Volume
// ---------------------------------------------------------------------------
Volume::Volume(IDirect3DVolumeTexture9* container, UINT level)
    : ComObject(ObjectKind::Volume), container_(container), level_(level) {
  container_->AddRef();
}

HRESULT Volume::GetDevice(IDirect3DDevice9** device) {
  return container_ ? container_->GetDevice(device) : D3DERR_INVALIDCALL;
}

HRESULT Volume::GetContainer(REFIID, void** container) {
  if (!container || !container_) return D3DERR_INVALIDCALL;
  container_->AddRef();
  *container = container_;
  return D3D_OK;
}

HRESULT Volume::GetDesc(D3DVOLUME_DESC* desc) {
  return container_ ? container_->GetLevelDesc(level_, desc) : D3DERR_INVALIDCALL;
}

HRESULT Volume::LockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) {
  return container_ ? container_->LockBox(level_, locked, box, flags) : D3DERR_INVALIDCALL;
}

HRESULT Volume::UnlockBox() {
  return container_ ? container_->UnlockBox(level_) : D3DERR_INVALIDCALL;
}

void Volume::OnFinalRelease() {
  SafeRelease(container_);
}

}  // namespace sim::detail
