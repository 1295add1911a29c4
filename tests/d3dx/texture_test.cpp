// Loading user textures from the texture folders: DDS and PNG files become
// textures that remember their path; anything else is refused.
#include <string>

#include "d3dx_test_support.h"
#include "image_files.h"

namespace {

using test_images::DdsFile;
using test_images::PngFile;

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
