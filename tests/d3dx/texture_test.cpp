// Loading user textures from the texture folders: DDS and PNG files become
// textures that remember their path; anything else is refused.
#include <string>

#include "d3dx_test_support.h"

namespace {

std::string LittleEndian(std::uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

std::string BigEndian(std::uint32_t value) {
  std::string bytes;
  for (int i = 3; i >= 0; --i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

// "DDS " and a 124-byte header: size, flags, height, width, pitch, depth, mips, ...
std::string DdsFile(std::uint32_t width, std::uint32_t height, std::uint32_t depth) {
  std::string file = "DDS " + LittleEndian(124) + LittleEndian(0x1007) + LittleEndian(height) +
                     LittleEndian(width) + LittleEndian(0) + LittleEndian(depth) + LittleEndian(1);
  file.resize(128, '\0');
  return file + std::string(64, '\x7f');
}

std::string PngFile(std::uint32_t width, std::uint32_t height) {
  return std::string("\x89PNG\r\n\x1a\n", 8) + BigEndian(13) + "IHDR" + BigEndian(width) + BigEndian(height) +
         std::string("\x08\x06\x00\x00\x00", 5) + std::string(4, '\0');
}

using TextureTest = SimFileTest;

TEST_F(TextureTest, DdsAndPngFilesBecomeTexturesOfTheirSize) {
  WriteFile("FX\\TEXTURES\\Grain.DDS", DdsFile(256, 128, 0));
  WriteFile("FX\\TEXTURES\\Vignette.png", PngFile(640, 480));

  IDirect3DTexture9* grain = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileA(device, "FX\\TEXTURES\\Grain.DDS", &grain), D3D_OK);
  D3DSURFACE_DESC desc{};
  grain->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 256u);
  EXPECT_EQ(desc.Height, 128u);
  EXPECT_EQ(sim::TextureSourcePath(grain), "FX\\TEXTURES\\Grain.DDS");

  IDirect3DTexture9* vignette = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileA(device, "FX\\TEXTURES\\Vignette.png", &vignette), D3D_OK);
  vignette->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 640u);
  EXPECT_EQ(desc.Height, 480u);

  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Texture), 2);
  EXPECT_EQ(sim::RefCount(device), 3u) << "each texture holds the device";
  EXPECT_EQ(grain->Release(), 0u);
  EXPECT_EQ(vignette->Release(), 0u);
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Texture), 0);
}

TEST_F(TextureTest, VolumeTexturesKeepTheirDepth) {
  WriteFile("FX\\TEXTURES\\VOLUMES\\Lut3D.dds", DdsFile(32, 32, 32));
  IDirect3DVolumeTexture9* lut = nullptr;
  ASSERT_EQ(D3DXCreateVolumeTextureFromFileA(device, "FX\\TEXTURES\\VOLUMES\\Lut3D.dds", &lut), D3D_OK);
  D3DVOLUME_DESC desc{};
  ASSERT_EQ(lut->GetLevelDesc(0, &desc), D3D_OK);
  EXPECT_EQ(desc.Depth, 32u);
  EXPECT_EQ(lut->GetType(), D3DRTYPE_VOLUMETEXTURE);
  EXPECT_EQ(sim::TextureSourcePath(lut), "FX\\TEXTURES\\VOLUMES\\Lut3D.dds");
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::VolumeTexture), 1);
  lut->Release();
}

TEST_F(TextureTest, OtherFilesAndMissingFilesAreInvalidData) {
  WriteFile("FX\\TEXTURES\\Corrupt.png", "this is not an image");
  WriteFile("FX\\TEXTURES\\Empty.dds", "");
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(D3DXCreateTextureFromFileA(device, "FX\\TEXTURES\\Corrupt.png", &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(D3DXCreateTextureFromFileA(device, "FX\\TEXTURES\\Empty.dds", &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(D3DXCreateTextureFromFileA(device, "FX\\TEXTURES\\Absent.dds", &texture), D3DXERR_INVALIDDATA);
  IDirect3DVolumeTexture9* volume = nullptr;
  EXPECT_EQ(D3DXCreateVolumeTextureFromFileA(device, "FX\\TEXTURES\\Corrupt.png", &volume),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(volume, nullptr);
  EXPECT_EQ(sim::RefCount(device), 1u);
}

TEST_F(TextureTest, ALoadedTextureBindsToAnEffectByName) {
  WriteFile("FX\\TEXTURES\\Noise.dds", DdsFile(64, 64, 0));
  IDirect3DTexture9* noise = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileA(device, "FX\\TEXTURES\\Noise.dds", &noise), D3D_OK);
  ID3DXEffect* effect = Compile("texture2D Noise;\nfloat Strength = 1;\n");
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->SetTexture("Noise", noise), D3D_OK);
  EXPECT_EQ(effect->SetTexture("Missing", noise), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetTexture("Strength", noise), D3DERR_INVALIDCALL);
  EXPECT_EQ(sim::RefCount(noise), 2u);
  effect->Release();
  EXPECT_EQ(noise->Release(), 0u);
}

}  // namespace
