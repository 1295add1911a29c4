// Compile failures as the plug-in logs them, and inputs that must not crash or hang the compiler.
#include <gtest/gtest.h>

#include <string>

#include "fx_test_support.h"

namespace {

using fxtest::CompileText;

struct BadSource {
  const char* source;
  const char* message;
};

TEST(Errors, MessagesNameFileLineAndColumn) {
  const BadSource cases[] = {
      {"float A = 1;\nfloat B = 2\nfloat C;\n",
       "FX\\test.fx(3,1): error X3000: syntax error: unexpected token 'float'"},
      {"float A = 1;\n  banana Split;\n",
       "FX\\test.fx(2,3): error X3000: syntax error: unexpected token 'banana'"},
      {"float A = ;\n", "FX\\test.fx(1,11): error X3000: syntax error: unexpected token ';'"},
      {"float4 V = {1, 2\n", "FX\\test.fx(2,1): error X3000: syntax error: unexpected end of file"},
      {"float F(float x) { return x;\n",
       "FX\\test.fx(2,1): error X3000: syntax error: unexpected end of file"},
      {"technique T { pass P { \n", "FX\\test.fx(2,1): error X3000: syntax error: unexpected end of file"},
      {"float A;\nfloat A;\n", "FX\\test.fx(2,7): error X3003: redefinition of 'A'"},
      {"float A = Unknown * 2;\n", "FX\\test.fx(1,11): error X3004: undeclared identifier 'Unknown'"},
      {"float4 V = {1, 2};\n",
       "FX\\test.fx(1,12): error X3017: 'V' of type float4 needs 4 values, the initializer has 2"},
      {"float V = \"text\";\n", "FX\\test.fx(1,11): error X3017: cannot convert a string to float for 'V'"},
      {"string S = 4;\n", "FX\\test.fx(1,12): error X3017: cannot convert a number to string for 'S'"},
      {"float4 V = float4(1, 2);\n",
       "FX\\test.fx(1,12): error X3017: wrong number of values for constructor float4: 2 given, 4 expected"},
      {"float A < string UIName = \"x\" >;\n",
       "FX\\test.fx(1,31): error X3000: syntax error: unexpected token '>'"},
      {"float A[0];\n", "FX\\test.fx(1,9): error X3017: array dimensions must be literal positive integers"},
      {"void V;\n", "FX\\test.fx(1,6): error X3000: syntax error: unexpected token 'V'"},
      {"#error Quality level not supported\n",
       "FX\\test.fx(1,1): error X1501: #error: Quality level not supported"},
      {"#if 1\nfloat A;\n",
       "FX\\test.fx(3,1): error X1020: unexpected end of file in a conditional block (missing #endif)"},
      {"#endif\n", "FX\\test.fx(1,1): error X1020: #endif without #if"},
      {"#if 1\n#else\n#elif 1\n#endif\n", "FX\\test.fx(3,1): error X1020: #elif after #else"},
      {"#if 1 +\n#endif\n",
       "FX\\test.fx(1,1): error X1021: syntax error in #if expression: unexpected end of line"},
      {"#if 1 / 0\n#endif\n", "FX\\test.fx(1,7): error X1021: division by zero in #if expression"},
      {"#frobnicate\n", "FX\\test.fx(1,2): error X1021: invalid preprocessor command 'frobnicate'"},
      {"#define F(a, b) a\nfloat x = F(1);\n",
       "FX\\test.fx(2,11): error X1510: not enough actual parameters for macro 'F'"},
      {"#define F(a) a\nfloat x = F(1,\n",
       "FX\\test.fx(2,11): error X1510: unexpected end of file in arguments of macro 'F'"},
      {"#include\n", "FX\\test.fx(1,1): error X1021: #include expects \"FILENAME\" or <FILENAME>"},
      {"float A; /* never closed\nfloat B;\n",
       "FX\\test.fx(1,10): error X1004: unexpected end of file in comment"},
      {"string S = \"never closed;\nfloat B;\n",
       "FX\\test.fx(1,12): error X1004: newline in string constant"},
      {"float A = 1 @ 2;\n", "FX\\test.fx(1,13): error X3000: syntax error: unexpected token '@'"},
      {"float A\x01;\n", "FX\\test.fx(1,8): error X3000: syntax error: illegal character '\\x01'"},
      {"technique T\n{\n  float x;\n}\n",
       "FX\\test.fx(3,3): error X3000: syntax error: unexpected token 'float'"},
      // Warnings before an error are kept; an error inside a macro points at its use; CR LF line
      // endings and a byte order mark keep positions.
      {"#pragma message \"checking\"\nfloat A = ;\n",
       "FX\\test.fx(1,1): warning X1519: checking\nFX\\test.fx(2,11): error X3000: syntax error: unexpected "
       "token ';'"},
      {"#define BROKEN_DEFAULT = = 1\n\nfloat A BROKEN_DEFAULT;\n",
       "FX\\test.fx(3,9): error X3000: syntax error: unexpected token '='"},
      {"\xEF\xBB\xBF// header\r\nfloat A;\r\n\tfloat B = ?;\r\n",
       "FX\\test.fx(3,12): error X3000: syntax error: unexpected token '?'"},
  };
  for (const BadSource& c : cases) {
    SCOPED_TRACE(c.source);
    simfx::CompileResult r = CompileText(c.source);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, std::string(c.message) + "\n");
    EXPECT_TRUE(r.effect.parameters.empty());
  }
}

TEST(Robustness, PathologicalInputsFailCleanly) {
  std::string deepParens(100000, '(');
  std::string deepBraces = "float A = " + std::string(100000, '{');
  std::string deepIf;
  for (int i = 0; i < 5000; ++i) deepIf += "#if 1\n";
  std::string exponential = "#define A0 x x\n";
  for (int i = 1; i < 40; ++i)
    exponential +=
        "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" + std::to_string(i - 1) + "\n";
  exponential += "float v = A39;\n";
  const std::string sources[] = {
      "",
      "\n\n\n",
      "#",
      "#define",
      "#define F(",
      "#define F(x",
      "#define F(x) #",
      "#define F(x) x ## \n",
      "#if\n#endif",
      "#if defined(\n#endif",
      "#ifdef\n#endif",
      "#include \"",
      "#include <unterminated",
      "#pragma",
      "#pragma message",
      "#pragma pack_matrix(",
      "float",
      "float4",
      "float A <",
      "float A < float",
      "float A < float B = ",
      "float A[",
      "float A : ",
      "float A : register(",
      "matrix<float, 4",
      "vector<",
      "struct S {",
      "typedef",
      "technique",
      "technique T {",
      "technique T { pass",
      "sampler S = sampler_state",
      "PixelShader P = ",
      "float A = float4(",
      "float A = (float3)",
      "float A = 1 / 0;",
      "int A = 1 / 0;",
      "int A = 1 % 0;",
      "float A = -;",
      "\"",
      "/*",
      "}",
      ")",
      "#define f(x) f(x) f(x)\nfloat a = f(f(f(f(f(1)))));\n",
      "#define g(x) x\nfloat a = g(g(g(g(g(g(g(g(g(g(g(g(g(g(g(g(g(g(g(g(1))))))))))))))))))));\n",
      "float a = " + deepParens,
      deepBraces,
      deepIf,
      exponential,
      std::string("float A = 1;\0float B = 2;", 25),
      "float4x4 M = {{{{{{{{1}}}}}}}};",
      "float A = 1e999999;",
      "int A = 99999999999999999999;",
      "int A = 1e30;",
      "float A[65537];",
      "float A[2][65536];",
  };
  for (const std::string& source : sources) {
    SCOPED_TRACE(source.substr(0, 80));
    simfx::CompileResult r = CompileText(source);
    if (!r.ok) {
      EXPECT_FALSE(r.messages.empty());
      EXPECT_NE(r.messages.find("error X"), std::string::npos);
    }
  }
}

TEST(Robustness, TruncatedRealShaderNeverCrashes) {
  const std::string shader = R"fx(
#define STEPS 4
float Exposure < string UIName = "Exposure"; float UIMin = -2; float UIMax = 2; > = 0.0;
float4 Tint < string UIName = "Tint"; > = float4(1, 1, 1, 1);
texture2D Scene;
sampler2D SceneSampler = sampler_state { Texture = <Scene>; };
struct PSIn { float2 uv : TEXCOORD0; };
float4 PS(PSIn i) : COLOR { return tex2D(SceneSampler, i.uv) * exp2(Exposure) * Tint; }
technique Post < string UIName = "Post"; > { pass P0 { PixelShader = compile ps_2_0 PS(); } }
)fx";
  for (size_t length = 0; length <= shader.size(); ++length) {
    simfx::CompileResult r = CompileText(shader.substr(0, length));
    EXPECT_TRUE(r.ok || !r.messages.empty()) << length;
  }
  EXPECT_TRUE(CompileText(shader).ok);
}

TEST(Robustness, ResolverThatThrowsOrHasNoCallbacksFailsTheCompile) {
  simfx::IncludeResolver throwing;
  throwing.open = [](bool, const std::string&, const void*&, std::uint32_t&) -> bool { throw 42; };
  simfx::CompileResult r = simfx::Compile("#include \"a.fxh\"\n", "x.fx", {}, &throwing);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.messages.empty());

  simfx::IncludeResolver empty;
  r = simfx::Compile("#include \"a.fxh\"\n", "x.fx", {}, &empty);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, "x.fx(1,1): error X1507: failed to open source file: 'a.fxh'\n");

  // An open that succeeds with no data is an empty file, and its buffer still goes back.
  int closes = 0;
  simfx::IncludeResolver nullData;
  nullData.open = [](bool, const std::string&, const void*& data, std::uint32_t& bytes) {
    data = nullptr;
    bytes = 0;
    return true;
  };
  nullData.close = [&closes](const void*) { ++closes; };
  r = simfx::Compile("#include \"a.fxh\"\nfloat A;\n", "x.fx", {}, &nullData);
  EXPECT_TRUE(r.ok) << r.messages;
  EXPECT_EQ(closes, 1);
}

}  // namespace
