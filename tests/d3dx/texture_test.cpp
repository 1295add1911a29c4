// The texture loaders refuse what is not a whole image: other files, empty
// and missing files, and PNG files cut short or with a damaged chunk. Loading
// good files is tested through the plug-in's texture folders.
#include <string>

#include "d3dx_test_support.h"
#include "image_files.h"

namespace {

using test_images::PngFile;

using TextureTest = SimFileTest;

TEST_F(TextureTest, OtherFilesAndMissingFilesAreInvalidData) {
  WriteFile("FX\\TEXTURES\\Corrupt.png", "this is not an image");
  WriteFile("FX\\TEXTURES\\Empty.dds", "");
  std::string truncated = PngFile(8, 8);
  truncated.resize(truncated.size() - 20);
  WriteFile("FX\\TEXTURES\\Truncated.png", truncated);
  std::string garbled = PngFile(8, 8);
  garbled[40] ^= 0x55;
  WriteFile("FX\\TEXTURES\\Garbled.png", garbled);
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(D3DXCreateTextureFromFileA(device, "FX\\TEXTURES\\Corrupt.png", &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(D3DXCreateTextureFromFileA(device, "FX\\TEXTURES\\Empty.dds", &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(D3DXCreateTextureFromFileA(device, "FX\\TEXTURES\\Truncated.png", &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(D3DXCreateTextureFromFileA(device, "FX\\TEXTURES\\Garbled.png", &texture), D3DXERR_INVALIDDATA)
      << "a chunk whose CRC does not match is corrupt";
  EXPECT_EQ(D3DXCreateTextureFromFileA(device, "FX\\TEXTURES\\Absent.dds", &texture), D3DXERR_INVALIDDATA);
  IDirect3DVolumeTexture9* volume = nullptr;
  EXPECT_EQ(D3DXCreateVolumeTextureFromFileA(device, "FX\\TEXTURES\\Corrupt.png", &volume),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(volume, nullptr);
  EXPECT_EQ(sim::RefCount(device), 1u);
}

}  // namespace
