// #include through the caller's resolver: nesting, errors inside includes, cycles and guards.
#include <gtest/gtest.h>

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

}  // namespace
