// Texture loading from files. A file is accepted when it starts like a DDS
// file ("DDS ") or is a well-formed PNG file (signature, an IHDR chunk first,
// every chunk whole with its CRC, an IDAT and a closing IEND); the size comes
// from the DDS header (1 x 1 when it is short) or the IHDR chunk. Anything
// else, and a file that cannot be read, gives D3DXERR_INVALIDDATA.
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

std::uint32_t Crc32(const std::string& bytes, std::size_t at, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = at; i < at + size; ++i) {
    crc ^= static_cast<unsigned char>(bytes[i]);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

// Walks the chunks after the signature: each must be whole with a matching
// CRC; IHDR (13 bytes) comes first, at least one IDAT follows, IEND ends it.
bool ReadPngChunks(const std::string& bytes, ImageInfo& info) {
  std::size_t at = 8;
  bool first = true;
  bool sawData = false;
  while (at + 12 <= bytes.size()) {
    const std::uint32_t length = BigEndian32(bytes, at);
    if (length > bytes.size() - at - 12) return false;
    const std::string type = bytes.substr(at + 4, 4);
    if (Crc32(bytes, at + 4, length + 4) != BigEndian32(bytes, at + 8 + length)) return false;
    if (first) {
      if (type != "IHDR" || length != 13) return false;
      info.width = BigEndian32(bytes, at + 8);
      info.height = BigEndian32(bytes, at + 12);
      if (info.width == 0 || info.height == 0) return false;
      first = false;
    }
    if (type == "IDAT") sawData = true;
    if (type == "IEND") return sawData;
    at += 12 + length;
  }
  return false;
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
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0)
    return ReadPngChunks(bytes, info);
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
