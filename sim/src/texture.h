// Simulated 2D and volume textures: their levels live in memory, and a
// texture loaded from a file remembers the path it came from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3d_resource.h"

namespace sim::detail {

// Where a texture came from; reached from any texture by dynamic_cast.
class TextureOrigin {
 public:
  virtual ~TextureOrigin() = default;
  std::string sourcePath;
};

template <class Interface>
class BaseTexture : public Resource<Interface>, public TextureOrigin {
 public:
  BaseTexture(ObjectKind kind, D3DRESOURCETYPE type, IDirect3DDevice9* device, UINT levels)
      : Resource<Interface>(kind, type, device, true), levels_(levels) {}

  DWORD STDMETHODCALLTYPE SetLOD(DWORD lod) override {
    const DWORD old = lod_;
    lod_ = lod < levels_ ? lod : levels_ - 1;
    return old;
  }
  DWORD STDMETHODCALLTYPE GetLOD() override { return lod_; }
  DWORD STDMETHODCALLTYPE GetLevelCount() override { return levels_; }
  HRESULT STDMETHODCALLTYPE SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) override {
    filter_ = filter;
    return D3D_OK;
  }
  D3DTEXTUREFILTERTYPE STDMETHODCALLTYPE GetAutoGenFilterType() override { return filter_; }
  void STDMETHODCALLTYPE GenerateMipSubLevels() override {}

 protected:
  UINT levels_;

 private:
  DWORD lod_ = 0;
  D3DTEXTUREFILTERTYPE filter_ = D3DTEXF_LINEAR;
};

// Number of levels of a full mip chain for the given extents.
UINT FullMipLevels(UINT width, UINT height, UINT depth = 1);

// The pixels of one level of a 2D texture, as the rasteriser samples them.
struct TextureLevel {
  const std::uint8_t* pixels = nullptr;
  UINT pitch = 0;
  UINT width = 0;
  UINT height = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
};

class Texture2D final : public BaseTexture<IDirect3DTexture9> {
 public:
  Texture2D(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
            D3DPOOL pool);

  HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                                     DWORD flags) override;
  HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;
  HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT* rect) override;

  // Level 0's pixels (zeros until written).
  TextureLevel TopLevel();

 protected:
  void OnFinalRelease() override;

 private:
  D3DSURFACE_DESC LevelDesc(UINT level) const;
  std::vector<std::uint8_t>& LevelBytes(UINT level);

  UINT width_, height_;
  DWORD usage_;
  D3DFORMAT format_;
  D3DPOOL pool_;
  std::vector<std::vector<std::uint8_t>> pixels_;
  std::vector<bool> locked_;
};

class VolumeTexture final : public BaseTexture<IDirect3DVolumeTexture9> {
 public:
  VolumeTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                D3DFORMAT format, D3DPOOL pool);

  HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) override;
  HRESULT STDMETHODCALLTYPE GetVolumeLevel(UINT level, IDirect3DVolume9** volume) override;
  HRESULT STDMETHODCALLTYPE LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box,
                                    DWORD flags) override;
  HRESULT STDMETHODCALLTYPE UnlockBox(UINT level) override;
  HRESULT STDMETHODCALLTYPE AddDirtyBox(const D3DBOX* box) override;

 protected:
  void OnFinalRelease() override;

 private:
  D3DVOLUME_DESC LevelDesc(UINT level) const;

  UINT width_, height_, depth_;
  DWORD usage_;
  D3DFORMAT format_;
  D3DPOOL pool_;
  std::vector<std::vector<std::uint8_t>> voxels_;
  std::vector<bool> locked_;
};

// One level of a volume texture, holding a reference on its texture.
class Volume final : public ComObject<IDirect3DVolume9> {
 public:
  Volume(IDirect3DVolumeTexture9* container, UINT level);

  HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
  HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override { return D3D_OK; }
  HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override { return D3DERR_NOTFOUND; }
  HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override { return D3DERR_NOTFOUND; }
  HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
  HRESULT STDMETHODCALLTYPE GetDesc(D3DVOLUME_DESC* desc) override;
  HRESULT STDMETHODCALLTYPE LockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE UnlockBox() override;

 protected:
  void OnFinalRelease() override;

 private:
  IDirect3DVolumeTexture9* container_;
  UINT level_;
};

}  // namespace sim::detail
