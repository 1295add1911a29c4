// Effect source resolution and the include resolver, on real files in the
// game's working folder.
#include "hook/shader_source.h"

#include <string>

#include "core/config.h"
#include "host_fixture.h"

namespace {

class ShaderSourceTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    loaderConfig.LoggingLevel = 2;
    loaderConfig.IncludeTimestamps = 0;
  }
  void TearDown() override {
    loaderConfig = LoaderConfig();
    HostFixture::TearDown();
  }
  // The bytes of an include opened the way the compiler does; "(failed)" when it fails.
  std::string Included(const char* name) {
    LPCVOID data = reinterpret_cast<LPCVOID>(0x1);
    UINT bytes = 12345;
    if (FAILED(includeHandler.Open(D3DXINC_LOCAL, name, nullptr, &data, &bytes))) {
      EXPECT_EQ(data, reinterpret_cast<LPCVOID>(0x1));  // untouched on failure
      EXPECT_EQ(bytes, 12345u);
      return "(failed)";
    }
    std::string content(static_cast<const char*>(data), bytes);
    EXPECT_EQ(includeHandler.Close(data), S_OK);
    return content;
  }
};

// The name is used unchanged; the file system ignores case, as Windows does.
TEST_F(ShaderSourceTest, PrefersTheFxFolderThenTheShadersFolder) {
  EXPECT_EQ(ResolveShaderPath("water"), "");
  WriteFile("Shaders\\IDI_water_FX", "x");
  EXPECT_EQ(ResolveShaderPath("water"), "Shaders\\IDI_water_FX");
  WriteFile("FX\\water.fx", "x");
  EXPECT_EQ(ResolveShaderPath("water"), "FX\\water.fx");
  EXPECT_EQ(ResolveShaderPath("WATER"), "FX\\WATER.fx");
  WriteFile("FX\\sky.fx\\placeholder", "");  // a folder counts as present
  EXPECT_EQ(ResolveShaderPath("sky"), "FX\\sky.fx");
  EXPECT_EQ(ResolveShaderPath(std::string(300, 'a').c_str()), "");
  std::string fits(250, 'b');  // "FX\" + 250 + ".fx" = 256 characters
  WriteFile("FX\\" + fits + ".fx", "x");
  EXPECT_EQ(ResolveShaderPath(fits.c_str()), "FX\\" + fits + ".fx");
}

// Each file written below takes over from those before it.
TEST_F(ShaderSourceTest, IncludesAreSearchedInFivePlacesInOrder) {
  for (const char* path : {"common\\c.fxh", "Shaders\\c.fxh", "FX\\includes\\c.fxh", "FX\\c.fxh", "c.fxh"}) {
    WriteFile(path, path);
    EXPECT_EQ(Included("c.fxh"), path);
  }
  // A name starting with FX\ is tried unchanged first.
  WriteFile("FX\\FX\\lib.fxh", "doubled");
  EXPECT_EQ(Included("FX\\lib.fxh"), "doubled");
  WriteFile("FX\\lib.fxh", "as named");
  EXPECT_EQ(Included("FX\\lib.fxh"), "as named");
  // A candidate that cannot be opened as a file is skipped.
  WriteFile("FX\\grain.fxh\\not-a-file", "");
  WriteFile("Shaders\\grain.fxh", "from shaders");
  EXPECT_EQ(Included("grain.fxh"), "from shaders");
  // The buffer holds exactly the file's bytes.
  WriteFile("FX\\empty.fxh", "");
  EXPECT_EQ(Included("empty.fxh"), "");
  WriteFile("FX\\ten.fxh", std::string("0123\r\n\0789", 10));
  EXPECT_EQ(Included("ten.fxh"), std::string("0123\r\n\0789", 10));
  EXPECT_TRUE(DebuggerLines().empty());
  EXPECT_EQ(Included("nowhere.fxh"), "(failed)");
  EXPECT_EQ(DebuggerLines(), std::vector<std::string>{"[ERROR] Include not found: nowhere.fxh"});
}

}  // namespace
