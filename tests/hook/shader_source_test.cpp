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
  // Opens an include the way the compiler does and returns its bytes.
  HRESULT Include(const char* name, std::string* content) {
    LPCVOID data = reinterpret_cast<LPCVOID>(0x1);
    UINT bytes = 12345;
    HRESULT hr = includeHandler.Open(D3DXINC_LOCAL, name, nullptr, &data, &bytes);
    if (SUCCEEDED(hr)) {
      content->assign(static_cast<const char*>(data), bytes);
      EXPECT_EQ(includeHandler.Close(data), S_OK);
    } else {
      EXPECT_EQ(data, reinterpret_cast<LPCVOID>(0x1));  // untouched on failure
      EXPECT_EQ(bytes, 12345u);
    }
    return hr;
  }
};

TEST_F(ShaderSourceTest, PrefersTheFxFolderThenTheShadersFolder) {
  EXPECT_EQ(ResolveShaderPath("water"), "");
  WriteFile("Shaders\\IDI_water_FX", "x");
  EXPECT_EQ(ResolveShaderPath("water"), "Shaders\\IDI_water_FX");
  WriteFile("FX\\water.fx", "x");
  EXPECT_EQ(ResolveShaderPath("water"), "FX\\water.fx");
  // The name is used unchanged; the file system ignores case, as Windows does.
  EXPECT_EQ(ResolveShaderPath("WATER"), "FX\\WATER.fx");
}

TEST_F(ShaderSourceTest, AFolderCountsAsPresent) {
  WriteFile("FX\\sky.fx\\placeholder", "");
  EXPECT_EQ(ResolveShaderPath("sky"), "FX\\sky.fx");
}

TEST_F(ShaderSourceTest, OverlongNameResolvesToNothing) {
  std::string name(300, 'a');
  EXPECT_EQ(ResolveShaderPath(name.c_str()), "");
  std::string fits(250, 'b');  // "FX\" + 250 + ".fx" = 256 characters
  WriteFile("FX\\" + fits + ".fx", "x");
  EXPECT_EQ(ResolveShaderPath(fits.c_str()), "FX\\" + fits + ".fx");
}

TEST_F(ShaderSourceTest, SearchesTheFivePlacesInOrder) {
  std::string content;
  WriteFile("common\\c.fxh", "common");
  ASSERT_EQ(Include("c.fxh", &content), S_OK);
  EXPECT_EQ(content, "common");
  WriteFile("Shaders\\c.fxh", "shaders");
  ASSERT_EQ(Include("c.fxh", &content), S_OK);
  EXPECT_EQ(content, "shaders");
  WriteFile("FX\\includes\\c.fxh", "includes");
  ASSERT_EQ(Include("c.fxh", &content), S_OK);
  EXPECT_EQ(content, "includes");
  WriteFile("FX\\c.fxh", "fx");
  ASSERT_EQ(Include("c.fxh", &content), S_OK);
  EXPECT_EQ(content, "fx");
  WriteFile("c.fxh", "working directory");
  ASSERT_EQ(Include("c.fxh", &content), S_OK);
  EXPECT_EQ(content, "working directory");
}

TEST_F(ShaderSourceTest, NameStartingWithFxIsTriedUnchangedFirst) {
  std::string content;
  WriteFile("FX\\FX\\lib.fxh", "doubled");
  ASSERT_EQ(Include("FX\\lib.fxh", &content), S_OK);
  EXPECT_EQ(content, "doubled");
  WriteFile("FX\\lib.fxh", "as named");
  ASSERT_EQ(Include("FX\\lib.fxh", &content), S_OK);
  EXPECT_EQ(content, "as named");
}

TEST_F(ShaderSourceTest, BuffersHoldExactlyTheFileBytes) {
  std::string content = "sentinel";
  WriteFile("FX\\empty.fxh", "");
  ASSERT_EQ(Include("empty.fxh", &content), S_OK);
  EXPECT_EQ(content.size(), 0u);
  WriteFile("FX\\ten.fxh", std::string("0123\r\n\0789", 10));
  ASSERT_EQ(Include("ten.fxh", &content), S_OK);
  EXPECT_EQ(content, std::string("0123\r\n\0789", 10));
}

TEST_F(ShaderSourceTest, UnreadableCandidateIsSkippedForTheNext) {
  std::string content;
  WriteFile("FX\\grain.fxh\\not-a-file", "");  // exists, cannot be opened as a file
  WriteFile("Shaders\\grain.fxh", "from shaders");
  ASSERT_EQ(Include("grain.fxh", &content), S_OK);
  EXPECT_EQ(content, "from shaders");
  EXPECT_TRUE(DebuggerLines().empty());
}

TEST_F(ShaderSourceTest, MissingIncludeFailsWithOneErrorLine) {
  std::string content;
  EXPECT_EQ(Include("nowhere.fxh", &content), E_FAIL);
  auto lines = DebuggerLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "[ERROR] Include not found: nowhere.fxh");
}

}  // namespace
