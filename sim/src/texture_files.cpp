// Texture loading from files. A file is accepted when it starts like a DDS
// file ("DDS ") or a PNG file (its 8-byte signature); the size comes from
// the DDS header or the PNG IHDR chunk when present (1 x 1 otherwise).
// Anything else, and a file that cannot be read, gives D3DXERR_INVALIDDATA.
// Either loader takes either format; a 2D image loaded as a volume has a
// depth of 1.
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "sim/host_kernel.h"
#include "texture.h"

namespace sim::detail {
namespace {

struct ImageInfo {
  UINT width = 1;
  UINT height = 1;
  UINT depth = 1;
  UINT levels = 1;
  D3DFORMAT format = D3DFMT_A8R8G8B8;
};

std::uint32_t LittleEndian32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

UINT AtLeastOne(std::uint32_t value) {
  return value ? static_cast<UINT>(value) : 1;
}

bool ReadImageInfo(const std::string& bytes, ImageInfo& info) {
  static const char kPngSignature[] = "\x89PNG\r\n\x1a\n";
  if (bytes.size() >= 4 && bytes.compare(0, 4, "DDS ") == 0) {
    // Header: size, flags, height, width, pitch, depth, mip count (after the magic).
    if (bytes.size() >= 32) {
      info.height = AtLeastOne(LittleEndian32(bytes, 12));
      info.width = AtLeastOne(LittleEndian32(bytes, 16));
      info.depth = AtLeastOne(LittleEndian32(bytes, 24));
      info.levels = AtLeastOne(LittleEndian32(bytes, 28));
    }
    return true;
  }
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0) {
    // The IHDR chunk follows the signature: length, "IHDR", width, height.
    if (bytes.size() >= 24 && bytes.compare(12, 4, "IHDR") == 0) {
      info.width = AtLeastOne(BigEndian32(bytes, 16));
      info.height = AtLeastOne(BigEndian32(bytes, 20));
    }
    return true;
  }
  return false;
}

HRESULT LoadImageInfo(const char* path, ImageInfo& info) {
  std::ifstream in(HostPath(path), std::ios::binary);
  if (!in) return D3DXERR_INVALIDDATA;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ReadImageInfo(bytes, info) ? D3D_OK : D3DXERR_INVALIDDATA;
}

}  // namespace
}  // namespace sim::detail

extern "C" {

HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE9 device, LPCSTR path,
                                          LPDIRECT3DTEXTURE9* texture) {
  if (!device || !path || !texture) return D3DERR_INVALIDCALL;
  sim::detail::ImageInfo info;
  const HRESULT hr = sim::detail::LoadImageInfo(path, info);
  if (FAILED(hr)) return hr;
  auto* created = new sim::detail::Texture2D(device, info.width, info.height, info.levels, 0, info.format,
                                             D3DPOOL_MANAGED);
  created->sourcePath = path;
  *texture = created;
  return D3D_OK;
}

HRESULT WINAPI D3DXCreateVolumeTextureFromFileA(LPDIRECT3DDEVICE9 device, LPCSTR path,
                                                LPDIRECT3DVOLUMETEXTURE9* texture) {
  if (!device || !path || !texture) return D3DERR_INVALIDCALL;
  sim::detail::ImageInfo info;
  const HRESULT hr = sim::detail::LoadImageInfo(path, info);
  if (FAILED(hr)) return hr;
  auto* created = new sim::detail::VolumeTexture(device, info.width, info.height, info.depth, info.levels, 0,
                                                 info.format, D3DPOOL_MANAGED);
  created->sourcePath = path;
  *texture = created;
  return D3D_OK;
}

}  // extern "C"

namespace sim {

std::string TextureSourcePath(IDirect3DBaseTexture9* texture) {
  auto* origin = dynamic_cast<detail::TextureOrigin*>(texture);
  return origin ? origin->sourcePath : std::string();
}

}  // namespace sim
