// Preprocessor directives as effect files use them; results are checked through the parameters they produce.
#include <gtest/gtest.h>

#include "fx_test_support.h"

namespace {

using fxtest::CompileText;
using fxtest::FindParam;
using fxtest::FloatOf;
using fxtest::Floats;
using fxtest::IntOf;

TEST(Preprocessor, SelfReferringMacrosStopExpanding) {
  simfx::CompileResult r = CompileText(R"fx(
#define Gain Gain
#define A B
#define B A
float Gain = 1;
float A = 2;
#define f(x) x + f(x)
)fx");
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_NE(FindParam(r.effect, "Gain"), nullptr);
  EXPECT_NE(FindParam(r.effect, "A"), nullptr);
}

TEST(Preprocessor, ConditionalsPickTheRightBranch) {
  const char* source = R"fx(
#define QUALITY 2
#if QUALITY >= 2 && defined(USE_BLOOM)
float Branch = 1;
#elif QUALITY == 2 || defined NEVER
float Branch = 2;
#else
float Branch = 3;
#endif
#ifdef USE_BLOOM
float BloomOnly = 1;
#endif
#ifndef USE_BLOOM
float NoBloom = 1;
#endif
#if 0
  this is not effect code, don't parse it "even with an unterminated string
  #error never reached
  #include "missing.fxh"
#elif (1 + 2 * 3) % 4 == 3 && !0 && (-1 < 0) && (8 >> 2) == 2 && (0x10 | 1) == 17
float Arithmetic = 1;
#endif
#undef QUALITY
#if QUALITY
float QualityStillDefined = 1;
#endif
)fx";
  simfx::CompileResult plain = CompileText(source);
  ASSERT_TRUE(plain.ok) << plain.messages;
  EXPECT_FLOAT_EQ(FloatOf(plain.effect, "Branch"), 2.0f);
  EXPECT_EQ(FindParam(plain.effect, "BloomOnly"), nullptr);
  EXPECT_NE(FindParam(plain.effect, "NoBloom"), nullptr);
  EXPECT_NE(FindParam(plain.effect, "Arithmetic"), nullptr);
  EXPECT_EQ(FindParam(plain.effect, "QualityStillDefined"), nullptr);

  simfx::CompileResult bloom = CompileText(source, nullptr, {{"USE_BLOOM", ""}});
  ASSERT_TRUE(bloom.ok) << bloom.messages;
  EXPECT_FLOAT_EQ(FloatOf(bloom.effect, "Branch"), 1.0f);
  EXPECT_NE(FindParam(bloom.effect, "BloomOnly"), nullptr);
  EXPECT_EQ(FindParam(bloom.effect, "NoBloom"), nullptr);
}

TEST(Preprocessor, NestedConditionalsInsideSkippedBlocksStaySkipped) {
  simfx::CompileResult r = CompileText(R"fx(
#if 0
  #if 1
    float Hidden = 1;
  #else
    float HiddenToo = 1;
  #endif
#else
  #ifdef NOT_SET
    float AlsoHidden = 1;
  #elif 1
    float Shown = 1;
  #endif
#endif
)fx");
  ASSERT_TRUE(r.ok) << r.messages;
  ASSERT_EQ(r.effect.parameters.size(), 1u);
  EXPECT_EQ(r.effect.parameters[0].name, "Shown");
}

TEST(Preprocessor, MacrosFromTheCallerAreDefinedBeforeTheSource) {
  simfx::CompileResult r =
      CompileText(R"fx(
float Samples = SAMPLE_COUNT;
float Doubled = TWICE(SAMPLE_COUNT);
#ifdef EMPTY_FLAG
float FlagSeen = 1;
#endif
)fx",
                  nullptr, {{"SAMPLE_COUNT", "12"}, {"TWICE(x)", "((x) * 2)"}, {"EMPTY_FLAG", ""}});
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_FLOAT_EQ(FloatOf(r.effect, "Samples"), 12.0f);
  EXPECT_FLOAT_EQ(FloatOf(r.effect, "Doubled"), 24.0f);
  EXPECT_NE(FindParam(r.effect, "FlagSeen"), nullptr);
}

TEST(Preprocessor, ContinuationLinesAndCommentsAreJoinedOrDropped) {
  simfx::CompileResult r = CompileText(
      "#define LONG_VALUE 1.0 + \\\n  2.0 + \\\r\n  3.0\n"
      "float Sum /* block\n comment */ = LONG_VALUE; // trailing comment\n"
      "float Next = 4; /* one-line */ float Last = 5;\n"
      "// a comment ending in a backslash \\\n float Swallowed = 1;\n");
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_FLOAT_EQ(FloatOf(r.effect, "Sum"), 6.0f);
  EXPECT_FLOAT_EQ(FloatOf(r.effect, "Last"), 5.0f);
  EXPECT_EQ(FindParam(r.effect, "Swallowed"), nullptr);
}

TEST(Preprocessor, PragmaMessageBecomesAWarningAndOtherPragmasAreIgnored) {
  simfx::CompileResult r = CompileText(
      "#pragma warning(disable : 3571)\n"
      "#pragma message \"Bloom \" \"enabled\"\n"
      "float A = 1;\n"
      "  #pragma message(\"second\")\n"
      "#pragma something_unknown 1 2 3\n"
      "#line 200 \"other.fx\"\n");
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_EQ(r.messages,
            "FX\\test.fx(2,1): warning X1519: Bloom enabled\n"
            "FX\\test.fx(4,3): warning X1519: second\n");
}

}  // namespace
