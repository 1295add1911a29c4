// Image files in the texture folders become textures bound by file name to
// every effect compiled from a file.
#include "effect/custom_textures.h"

#include <unistd.h>

#include <fstream>
#include <utility>

#include "frame_fixture.h"
#include "image_files.h"

namespace {

using test_images::DdsFile;
using test_images::PngFile;

const char kTextured[] =
    "texture2D Grain; texture2D Vignette; texture3D Lut3D;\n"
    "technique T { pass P { } }\n";

class CustomTexturesTest : public FrameFixture {
 protected:
  std::string BoundPath(EffectProxy* proxy, const char* name) {
    IDirect3DBaseTexture9* texture = nullptr;
    if (FAILED(proxy->innerEffect->GetTexture(name, &texture)) || texture == nullptr) return "";
    std::string path = sim::TextureSourcePath(texture);
    texture->Release();
    return path;
  }

  int ErrorLines() const {
    int count = 0;
    for (const auto& line : LogLines()) count += line.rfind("[ERROR]", 0) == 0 ? 1 : 0;
    return count;
  }
};

TEST_F(CustomTexturesTest, DirectDdsAndPngFilesAreLoadedAndBoundByName) {
  WriteFile("FX\\TEXTURES\\Grain.DDS", DdsFile(64, 64));
  WriteFile("FX\\TEXTURES\\LUTs\\Vignette.Png", PngFile(16, 16));
  WriteFile("FX\\TEXTURES\\VOLUMES\\Lut3D.dds", DdsFile(16, 16, 16));
  for (const char* skipped :
       {"notes.txt", "grain.jpg", "Grain.dds.bak", ".dds", "Other\\Deep.dds", "LUTs\\Deeper\\Deep.dds"})
    WriteFile(std::string("FX\\TEXTURES\\") + skipped, DdsFile(4, 4));
  WriteFile("FX\\Post.fx", kTextured);
  AttachWithLevel(3);
  EffectProxy* proxy = CreateProxy("Post");

  EXPECT_EQ(BoundPath(proxy, "Grain"), "FX\\TEXTURES\\Grain.DDS");
  EXPECT_EQ(BoundPath(proxy, "Vignette"), "FX\\TEXTURES\\LUTs\\Vignette.Png");
  EXPECT_EQ(BoundPath(proxy, "Lut3D"), "FX\\TEXTURES\\VOLUMES\\Lut3D.dds");
  IDirect3DBaseTexture9* volume = nullptr;
  ASSERT_EQ(proxy->innerEffect->GetTexture("Lut3D", &volume), D3D_OK);
  EXPECT_EQ(volume->GetType(), D3DRTYPE_VOLUMETEXTURE) << "the volume folder loads volume textures";
  volume->Release();

  const auto lines = LogLines();
  EXPECT_TRUE(HasLine(lines, "[INFO] Found 2 2D textures and 1 3D/Volume textures."));
  EXPECT_EQ(ErrorLines(), 0);
  InitializeCustomTextures(device);
  ASSERT_EQ(LogLines().size(), lines.size() + 1) << "a second run returns at once";
  EXPECT_EQ(LogLines().back().rfind("[DEBUG] [InitializeCustomTextures] took ", 0), 0u) << LogLines().back();
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Texture), 2);
  proxy->Release();
  Detach();
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Texture) + sim::LiveObjects(sim::ObjectKind::VolumeTexture), 0)
      << "detach releases every texture";
}

TEST_F(CustomTexturesTest, AnEmptyLutFolderScansTheTextureFolderTwice) {
  WriteFile("FX\\TEXTURES\\Grain.dds", DdsFile(4, 4));
  WriteFile("FX\\Post.fx", kTextured);
  AttachWithLevel(3, "[Paths]\r\nLUTsSubdir=\r\n");
  EffectProxy* proxy = CreateProxy("Post");
  auto lines = LogLines();
  EXPECT_TRUE(HasLine(lines, "[INFO] Found 2 2D textures and 0 3D/Volume textures."));
  EXPECT_TRUE(HasLine(lines, "[DEBUG] [2D 1] FX\\TEXTURES\\Grain.dds -> uniform 'Grain'"));
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Texture), 2) << "listed, loaded and bound twice";
  proxy->Release();
}

TEST_F(CustomTexturesTest, BadFilesAndFoldersAreReportedAndTheOthersLoadAndAreOfferedToEveryEffect) {
  const std::pair<const char*, std::string> corrupt[] = {{"Cut.png", PngFile(8, 8).substr(0, 40)},
                                                         {"Empty.dds", ""}};
  for (const auto& [name, bytes] : corrupt) WriteFile(std::string("FX\\TEXTURES\\") + name, bytes);
  // A name the ANSI code page holds (\xF6 is o-umlaut in Windows-1252) and one it cannot hold.
  WriteFile("FX\\TEXTURES\\K\xF6rnung.png", PngFile(4, 4));
  WriteFile("FX\\TEXTURES\\Grain.dds", DdsFile(4, 4));
  const std::string folder = sim::HostPath("FX\\TEXTURES\\");
  { std::ofstream(folder + "\xE5\x99\xAA.png") << "x"; }
  ASSERT_EQ(symlink("/nonexistent/target.png", (folder + "Dead.png").c_str()), 0);
  WriteFile("FX\\TEXTURES\\VOLUMES\\Fog.dds", "DDX not a volume");
  WriteFile("FX\\TEXTURES\\LUTs\\Warm.dds", DdsFile(4, 4));
  sim::FailFolderListing("FX\\TEXTURES\\LUTs\\");  // there, but may not be read
  WriteFile("FX\\Post.fx", "texture2D Grain; texture2D Broken; texture3D Fog; technique T { pass P { } }\n");
  WriteFile("FX\\Plain.fx", "float A = 1; technique T { pass P { } }\n");
  AttachWithLevel(3);
  EffectProxy* post = CreateProxy("Post");
  EffectProxy* plain = CreateProxy("Plain");
  const auto lines = LogLines();
  for (const auto& [name, bytes] : corrupt) {
    EXPECT_TRUE(HasLine(lines, std::string("[ERROR] Failed to load 2D texture: FX\\TEXTURES\\") + name +
                                   " (HRESULT: 88760B59)"))
        << name;
  }
  EXPECT_TRUE(HasLine(
      lines, "[ERROR] Failed to load 3D texture: FX\\TEXTURES\\VOLUMES\\Fog.dds (HRESULT: 88760B59)"));
  EXPECT_TRUE(HasLine(lines, "[ERROR] Cannot read the texture folder entry: FX\\TEXTURES\\?.png"));
  EXPECT_TRUE(HasLine(lines, "[ERROR] Cannot read the texture folder entry: FX\\TEXTURES\\Dead.png"));
  EXPECT_TRUE(HasLine(lines, "[ERROR] Cannot list the texture folder: FX\\TEXTURES\\LUTs\\"));
  EXPECT_TRUE(HasLine(lines, "[INFO] Found 4 2D textures and 1 3D/Volume textures."));
  EXPECT_EQ(BoundPath(post, "Grain"), "FX\\TEXTURES\\Grain.dds");
  EXPECT_EQ(BoundPath(post, "Broken"), "") << "a texture that failed to load is never bound";
  EXPECT_EQ(CountLines("[ERROR] SetTexture 'Grain' failed! (HRESULT: 8876086C)"), 1)
      << "offered to the effect that does not declare it too";
  EXPECT_EQ(CountLines("[ERROR] SetTexture 'K\xF6rnung' failed! (HRESULT: 8876086C)"), 2)
      << "the file with the ANSI name was loaded";
  EXPECT_EQ(ErrorLines(), 9);
  post->Release();
  plain->Release();
}

}  // namespace
