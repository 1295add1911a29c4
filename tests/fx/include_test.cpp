// #include through the caller's resolver and from disk next to the including file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fx_test_support.h"

namespace {

using fxtest::CompileText;
using fxtest::FindParam;
using fxtest::FloatOf;

TEST(Include, NestedIncludesComeFromTheResolverAndEveryBufferGoesBack) {
  fxtest::MemoryIncludes includes;
  includes.files["FX\\settings.fxh"] = "#include <common\\math.fxh>\nfloat Exposure = HALF;\n";
  includes.files["common\\math.fxh"] = "#define HALF 0.5\nstatic const float Pi = 3.5;\n";
  simfx::CompileResult r = CompileText("#include \"FX\\settings.fxh\"\nfloat After = Pi;\n", &includes);
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_FLOAT_EQ(FloatOf(r.effect, "Exposure"), 0.5f);
  EXPECT_FLOAT_EQ(FloatOf(r.effect, "After"), 3.5f);
  ASSERT_EQ(includes.requests.size(), 2u);
  EXPECT_EQ(includes.requests[0], std::make_pair(false, std::string("FX\\settings.fxh")));
  EXPECT_EQ(includes.requests[1], std::make_pair(true, std::string("common\\math.fxh")));
  EXPECT_EQ(includes.opens, 2);
  EXPECT_TRUE(includes.AllReturned());
}

TEST(Include, MissingIncludeFailsAtTheDirective) {
  fxtest::MemoryIncludes includes;
  includes.files["a.fxh"] = "float A = 1;\n\n   #include \"missing.fxh\"\n";
  simfx::CompileResult r = CompileText("float Main = 1;\n#include \"a.fxh\"\n", &includes);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, "a.fxh(3,4): error X1507: failed to open source file: 'missing.fxh'\n");
  EXPECT_TRUE(r.effect.parameters.empty());
  EXPECT_TRUE(includes.AllReturned());
}

TEST(Include, ErrorsInsideAnIncludeNameTheIncludeAndItsLine) {
  fxtest::MemoryIncludes includes;
  includes.files["shared\\tonemap.fxh"] = "float Gamma = 2.2;\n// comment\nfloat Broken = 1 +;\n";
  simfx::CompileResult r = CompileText("\n#include \"shared\\tonemap.fxh\"\nfloat Main = 1;\n", &includes);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, "shared\\tonemap.fxh(3,19): error X3000: syntax error: unexpected token ';'\n");
  EXPECT_TRUE(includes.AllReturned());

  // Back in the main file after the include, lines count in the main file again.
  includes.files["shared\\tonemap.fxh"] = "float Gamma = 2.2;\n";
  r = CompileText("\n#include \"shared\\tonemap.fxh\"\nfloat Main = 1;\nfloat 2Bad;\n", &includes);
  EXPECT_EQ(r.messages, "FX\\test.fx(4,7): error X3000: syntax error: unexpected token '2Bad'\n");
}

TEST(Include, IncludeCyclesStopWithAnError) {
  fxtest::MemoryIncludes includes;
  includes.files["loop.fxh"] = "#include \"loop.fxh\"\n#include \"loop.fxh\"\n";
  simfx::CompileResult r = CompileText("#include \"loop.fxh\"\n", &includes);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.messages.find("error X1504: #include nested too deeply: 'loop.fxh'"), std::string::npos)
      << r.messages;
  EXPECT_TRUE(includes.AllReturned());
}

TEST(Include, IncludeGuardsAndPragmaOnceKeepDeclarationsSingle) {
  fxtest::MemoryIncludes includes;
  includes.files["guarded.fxh"] = "#ifndef GUARDED\n#define GUARDED\nfloat FromGuarded;\n#endif\n";
  includes.files["once.fxh"] = "#pragma once\nfloat FromOnce;\n";
  simfx::CompileResult r = CompileText(
      "#include \"guarded.fxh\"\n#include \"once.fxh\"\n#include \"guarded.fxh\"\n#include \"once.fxh\"\n",
      &includes);
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_EQ(r.effect.parameters.size(), 2u);
  EXPECT_TRUE(includes.AllReturned());
}

TEST(Include, ConditionalsDoNotSpanIncludeBoundaries) {
  fxtest::MemoryIncludes includes;
  includes.files["open.fxh"] = "#if 1\nfloat A;\n";
  simfx::CompileResult r = CompileText("#include \"open.fxh\"\n#endif\n", &includes);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages,
            "open.fxh(3,1): error X1020: unexpected end of file in a conditional block (missing #endif)\n");
  EXPECT_TRUE(includes.AllReturned());
}

TEST(Include, IncludeNameMayComeFromAMacro) {
  fxtest::MemoryIncludes includes;
  includes.files["quality_high.fxh"] = "float Quality = 3;\n";
  simfx::CompileResult r =
      CompileText("#define QUALITY_FILE \"quality_high.fxh\"\n#include QUALITY_FILE\n", &includes);
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_FLOAT_EQ(FloatOf(r.effect, "Quality"), 3.0f);
}

class IncludeFromDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("fx_include_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "FX" / "includes");
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  void Write(const std::filesystem::path& relative, const std::string& text) {
    std::ofstream(root_ / relative, std::ios::binary) << text;
  }

  std::filesystem::path root_;
};

TEST_F(IncludeFromDisk, WindowsStyleNamesResolveBesideTheIncludingFile) {
  Write("FX/includes/colors.fxh", "#include \"palette.fxh\"\nfloat4 Warm = WARM;\n");
  Write("FX/includes/palette.fxh", "#define WARM float4(1, 0.8, 0.6, 1)\n");
  std::string mainPath = (root_ / "FX" / "water.fx").string();
  simfx::CompileResult r =
      simfx::Compile("#include \"includes\\colors.fxh\"\nfloat Depth = 1;\n", mainPath, {}, nullptr);
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_EQ(fxtest::Floats(*FindParam(r.effect, "Warm")), (std::vector<float>{1.0f, 0.8f, 0.6f, 1.0f}));
}

TEST_F(IncludeFromDisk, MissingFileOnDiskIsReportedWithItsName) {
  std::string mainPath = (root_ / "FX" / "water.fx").string();
  simfx::CompileResult r =
      simfx::Compile("float A;\n#include \"includes\\absent.fxh\"\n", mainPath, {}, nullptr);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages,
            mainPath + "(2,1): error X1507: failed to open source file: 'includes\\absent.fxh'\n");
}

}  // namespace
