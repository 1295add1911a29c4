// Small, well-formed image files for the texture loaders: a DDS header with
// its size, and a real PNG.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test_images {

inline std::string LittleEndian(std::uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

// "DDS " and a 124-byte header: size, flags, height, width, pitch, depth, mips, ...
inline std::string DdsFile(std::uint32_t width, std::uint32_t height, std::uint32_t depth = 0) {
  std::string file = "DDS " + LittleEndian(124) + LittleEndian(0x1007) + LittleEndian(height) +
                     LittleEndian(width) + LittleEndian(0) + LittleEndian(depth) + LittleEndian(1);
  file.resize(128, '\0');
  return file + std::string(64, '\x7f');
}

// A grey 8-bit greyscale PNG of the given size.
inline std::string PngFile(std::uint32_t width, std::uint32_t height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = PNG_FORMAT_GRAY;
  const std::vector<png_byte> pixels(static_cast<std::size_t>(width) * height, 0x80);
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  std::string file(size, '\0');
  png_image_write_to_memory(&image, file.data(), &size, 0, pixels.data(), 0, nullptr);
  file.resize(size);
  return file;
}

}  // namespace test_images
