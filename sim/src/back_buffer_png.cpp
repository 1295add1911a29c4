// Saves the simulated device's back buffer as a PNG image with libpng.
#include <png.h>

#include <cstdio>
#include <vector>

#include "d3d_device.h"
#include "d3d_surface.h"

namespace sim::detail {
namespace {

// libpng reports errors by longjmp; the file and the write structures are
// owned here so that every exit path frees them.
bool WritePng(std::FILE* file, UINT width, UINT height, const std::vector<png_bytep>& rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, const_cast<png_bytepp>(rows.data()));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool Device::SaveBackBufferPng(const char* path) {
  std::lock_guard<std::mutex> guard(lock_);
  const UINT width = backBuffer_->Width(), height = backBuffer_->Height();
  if (width == 0 || height == 0) return false;
  const std::uint8_t* pixels = backBuffer_->Pixels();
  const UINT pitch = backBuffer_->Pitch();
  // The back buffer holds blue, green, red, unused; the image wants red, green, blue.
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  std::vector<png_bytep> rows(height);
  for (UINT y = 0; y < height; ++y) {
    const std::uint8_t* in = pixels + static_cast<std::size_t>(y) * pitch;
    std::uint8_t* out = rgb.data() + static_cast<std::size_t>(y) * width * 3;
    rows[y] = out;
    for (UINT x = 0; x < width; ++x, in += 4, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  }
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  const bool written = WritePng(file, width, height, rows);
  return std::fclose(file) == 0 && written;
}

}  // namespace sim::detail
