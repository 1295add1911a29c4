// Small, well-formed image files for the texture loaders: a DDS header with
// its size, and a real PNG (one stored zlib block of grey pixels, every chunk
// with its CRC).
#pragma once

#include <cstdint>
#include <string>

namespace test_images {

inline std::string LittleEndian(std::uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

inline std::string BigEndian(std::uint32_t value) {
  std::string bytes;
  for (int i = 3; i >= 0; --i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

// "DDS " and a 124-byte header: size, flags, height, width, pitch, depth, mips, ...
inline std::string DdsFile(std::uint32_t width, std::uint32_t height, std::uint32_t depth = 0) {
  std::string file = "DDS " + LittleEndian(124) + LittleEndian(0x1007) + LittleEndian(height) +
                     LittleEndian(width) + LittleEndian(0) + LittleEndian(depth) + LittleEndian(1);
  file.resize(128, '\0');
  return file + std::string(64, '\x7f');
}

inline std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

inline std::string PngChunk(const std::string& type, const std::string& data) {
  return BigEndian(static_cast<std::uint32_t>(data.size())) + type + data + BigEndian(Crc32(type + data));
}

// A grey 8-bit greyscale PNG of the given size, its pixels in stored
// (uncompressed) deflate blocks.
inline std::string PngFile(std::uint32_t width, std::uint32_t height) {
  std::string raw;
  for (std::uint32_t y = 0; y < height; ++y) raw += '\0' + std::string(width, '\x80');
  std::uint32_t a = 1, b = 0;
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  std::string zlib("\x78\x01", 2);
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const auto size = static_cast<std::uint16_t>(raw.size() - at < 65535 ? raw.size() - at : 65535);
    const bool last = at + size >= raw.size();
    zlib += static_cast<char>(last ? 1 : 0);
    zlib += static_cast<char>(size & 0xFF);
    zlib += static_cast<char>(size >> 8);
    zlib += static_cast<char>(~size & 0xFF);
    zlib += static_cast<char>((~size >> 8) & 0xFF);
    zlib += raw.substr(at, size);
    if (last) break;
  }
  zlib += BigEndian((b << 16) | a);
  const std::string header = BigEndian(width) + BigEndian(height) + std::string("\x08\x00\x00\x00\x00", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", zlib) +
         PngChunk("IEND", "");
}

}  // namespace test_images
