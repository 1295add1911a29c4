// Global parameter declarations: types, modifiers, semantics, arrays and default values.
#include <gtest/gtest.h>

#include "fx_test_support.h"

namespace {

using fxtest::CompileText;
using fxtest::FindAnnotation;
using fxtest::FindParam;
using fxtest::Floats;
using fxtest::Ints;
using simfx::ParamClass;
using simfx::ParamType;

struct Shape {
  const char* name;
  ParamClass cls;
  ParamType type;
  unsigned rows, columns;
  size_t bytes;
};

TEST(Declarations, EveryParameterTypeHasItsClassTypeAndSize) {
  simfx::CompileResult r = CompileText(R"fx(
bool B; int I; uint U; float F; half H; double D;
bool3 B3; int4 I4; half4 H4; float2 F2; float1 F1;
float4x4 M44; float3x3 M33; int2x3 M23; matrix Mat; vector Vec;
matrix<float, 3, 4> TM; vector<int, 2> TV; vector<half,3>TV3;
string S;
texture T; Texture2D T2; texture1D T1; TEXTURE3D T3; textureCUBE TC;
sampler Sm; sampler1D S1; Sampler2D S2; sampler3D S3; samplerCUBE SC;
pixelshader PS; VertexShader VS;
)fx");
  ASSERT_TRUE(r.ok) << r.messages;
  const Shape shapes[] = {
      {"B", ParamClass::Scalar, ParamType::Bool, 1, 1, 4},
      {"I", ParamClass::Scalar, ParamType::Int, 1, 1, 4},
      {"U", ParamClass::Scalar, ParamType::Int, 1, 1, 4},
      {"F", ParamClass::Scalar, ParamType::Float, 1, 1, 4},
      {"H", ParamClass::Scalar, ParamType::Float, 1, 1, 4},
      {"D", ParamClass::Scalar, ParamType::Float, 1, 1, 4},
      {"B3", ParamClass::Vector, ParamType::Bool, 1, 3, 12},
      {"I4", ParamClass::Vector, ParamType::Int, 1, 4, 16},
      {"H4", ParamClass::Vector, ParamType::Float, 1, 4, 16},
      {"F2", ParamClass::Vector, ParamType::Float, 1, 2, 8},
      {"F1", ParamClass::Vector, ParamType::Float, 1, 1, 4},
      {"M44", ParamClass::MatrixColumns, ParamType::Float, 4, 4, 64},
      {"M33", ParamClass::MatrixColumns, ParamType::Float, 3, 3, 36},
      {"M23", ParamClass::MatrixColumns, ParamType::Int, 2, 3, 24},
      {"Mat", ParamClass::MatrixColumns, ParamType::Float, 4, 4, 64},
      {"Vec", ParamClass::Vector, ParamType::Float, 1, 4, 16},
      {"TM", ParamClass::MatrixColumns, ParamType::Float, 3, 4, 48},
      {"TV", ParamClass::Vector, ParamType::Int, 1, 2, 8},
      {"TV3", ParamClass::Vector, ParamType::Float, 1, 3, 12},
      {"S", ParamClass::Scalar, ParamType::String, 1, 1, 0},
      {"T", ParamClass::Object, ParamType::Texture, 1, 1, 0},
      {"T2", ParamClass::Object, ParamType::Texture2D, 1, 1, 0},
      {"T1", ParamClass::Object, ParamType::Texture1D, 1, 1, 0},
      {"T3", ParamClass::Object, ParamType::Texture3D, 1, 1, 0},
      {"TC", ParamClass::Object, ParamType::TextureCube, 1, 1, 0},
      {"Sm", ParamClass::Object, ParamType::Sampler, 1, 1, 0},
      {"S1", ParamClass::Object, ParamType::Sampler1D, 1, 1, 0},
      {"S2", ParamClass::Object, ParamType::Sampler2D, 1, 1, 0},
      {"S3", ParamClass::Object, ParamType::Sampler3D, 1, 1, 0},
      {"SC", ParamClass::Object, ParamType::SamplerCube, 1, 1, 0},
      {"PS", ParamClass::Object, ParamType::PixelShader, 1, 1, 0},
      {"VS", ParamClass::Object, ParamType::VertexShader, 1, 1, 0},
  };
  ASSERT_EQ(r.effect.parameters.size(), std::size(shapes));
  for (const Shape& s : shapes) {
    SCOPED_TRACE(s.name);
    const simfx::Variable* v = FindParam(r.effect, s.name);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->cls, s.cls);
    EXPECT_EQ(v->type, s.type);
    EXPECT_EQ(v->rows, s.rows);
    EXPECT_EQ(v->columns, s.columns);
    EXPECT_EQ(v->elements, 0u);
    EXPECT_EQ(v->data.size(), s.bytes);
    for (std::uint8_t byte : v->data) EXPECT_EQ(byte, 0);
  }
}

// One line of effect source and the values its parameter holds; lines
// without values only define what later lines use.
struct DefaultCase {
  const char* line;
  std::vector<double> values;
};

// The parameter a declaration line declares: the last word before "=" or "[".
std::string DeclaredName(const std::string& line) {
  std::string head = line.substr(0, line.find_first_of("=[;"));
  while (!head.empty() && head.back() == ' ') head.pop_back();
  return head.substr(head.find_last_of(' ') + 1);
}

TEST(Declarations, DefaultValuesAreConvertedFoldedAndFlattened) {
  const DefaultCase cases[] = {
      // Literals, converted to the parameter's type.
      {"float Hex = 0x10;", {16}},
      {"float Exponent = 1.5e-3;", {0.0015}},
      {"float ExponentPlus = 2E+2f;", {200}},
      {"float HalfSuffix = 0.25h;", {0.25}},
      {"float DotFirst = .5;", {0.5}},
      {"float DotLast = 3.;", {3}},
      {"float Negative = -0.75f;", {-0.75}},
      {"float DoubleSign = - -2;", {2}},
      {"int TowardZero = 2.9;", {2}},
      {"int TowardZeroNegative = -2.9;", {-2}},
      {"int Octal = 010;", {8}},
      {"int HexUpper = 0XFF;", {255}},
      {"int Unsigned = 7u;", {7}},
      {"bool FromNumber = 5;", {1}},
      {"bool FromZero = 0.0;", {0}},
      {"bool Yes = true;", {1}},
      {"bool No = false;", {0}},
      {"float FromBool = true;", {1}},
      // Constructors, brace lists and arrays flatten into components.
      {"float4 Nested = float4(float3(1, 2, 3), 4);", {1, 2, 3, 4}},
      {"float4 Braced = {0.1, 0.2, 0.3, 0.4};", {0.1, 0.2, 0.3, 0.4}},
      {"float4 Broadcast = 0.5;", {0.5, 0.5, 0.5, 0.5}},
      {"float3 Cast = (float3)2;", {2, 2, 2}},
      {"float2x2 Matrix = {1, 2, 3, 4};", {1, 2, 3, 4}},
      {"float2x2 MatrixRows = {{1, 2}, {3, 4}};", {1, 2, 3, 4}},
      {"float3x3 Identity = float3x3(1, 0, 0, 0, 1, 0, 0, 0, 1);", {1, 0, 0, 0, 1, 0, 0, 0, 1}},
      {"float4 Offsets[3] = { float4(1, 0, 0, 0), {0, 1, 0, 0}, float2(0, 0), float2(1, 0) };",
       {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}},
      {"int Counts[2][2] = {{1, 2}, {3, 4}};", {1, 2, 3, 4}},
      {"bool2 Flags = bool2(1, 0.0);", {1, 0}},
      {"int3 Truncating = int3(1.9, -1.9, 3);", {1, -1, 3}},
      {"float3 Truncated = float4(1, 2, 3, 4);", {1, 2, 3}},
      {"float Constants[2];", {0, 0}},
      // Constant expressions, macros and earlier constants.
      {"#define PI 3.14159265", {}},
      {"#define TWO_PI (2.0 * PI)", {}},
      {"#define SCALE(x, k) ((x) * (k))", {}},
      {"#define COLOR(r, g, b) float4(r, g, b, 1.0)", {}},
      {"#define GLUE(a, b) a##b", {}},
      {"static const float Third = 1.0 / 3.0;", {1.0 / 3.0}},
      {"static const int Taps = 7 / 2;", {3}},
      {"float FullTurn = 2 * PI;", {6.2831853}},
      {"float Angle = TWO_PI;", {6.2831853}},
      {"float Mixed = (1 + 2) * 3 - 4 % 3;", {8}},
      {"float UsesConstant = Third * 3;", {1}},
      {"float Weights[Taps + 1];", {0, 0, 0, 0}},
      {"float4 Scaled = float4(1, 2, 3, 4) * 0.5 + 1;", {1.5, 2, 2.5, 3}},
      {"float Intrinsics = sqrt(16) + max(2, 3) + saturate(1.5) + lerp(0, 10, 0.25);", {4 + 3 + 1 + 2.5}},
      {"float Degrees = radians(180);", {3.14159265}},
      {"float3 Unit = normalize(float3(3, 0, 4));", {0.6, 0, 0.8}},
      {"float Scaled2 = SCALE(1.5 + 0.5, 3);", {6}},
      {"float4 Tint = COLOR(0.5, 0.25,\n                    0.125);", {0.5, 0.25, 0.125, 1}},
      {"float GLUE(Bloom, Strength) = 2;", {}},
      {"int Nested2 = SCALE(SCALE(2, 3), 4);", {24}},
  };
  std::string source;
  for (const DefaultCase& c : cases) source += std::string(c.line) + "\n";
  simfx::CompileResult r = CompileText(source);
  ASSERT_TRUE(r.ok) << r.messages;
  for (const DefaultCase& c : cases) {
    if (c.values.empty()) continue;
    SCOPED_TRACE(c.line);
    const simfx::Variable* v = FindParam(r.effect, DeclaredName(c.line));
    ASSERT_NE(v, nullptr);
    const bool isFloat = v->type == ParamType::Float;
    const std::vector<float> floats = Floats(*v);
    const std::vector<std::int32_t> ints = Ints(*v);
    ASSERT_EQ(floats.size(), c.values.size());
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      EXPECT_FLOAT_EQ(isFloat ? floats[i] : static_cast<float>(ints[i]), static_cast<float>(c.values[i]));
    }
  }
  EXPECT_EQ(FindParam(r.effect, "Offsets")->elements, 3u);
  EXPECT_EQ(FindParam(r.effect, "Counts")->elements, 4u);
  EXPECT_EQ(FindParam(r.effect, "Weights")->elements, 4u);
  EXPECT_FLOAT_EQ(fxtest::FloatOf(r.effect, "BloomStrength"), 2.0f);
  EXPECT_NE(r.messages.find("warning X3206: implicit truncation of vector type"), std::string::npos);
}

TEST(Declarations, ModifiersSemanticsRegistersAndSeveralDeclarators) {
  simfx::CompileResult r = CompileText(R"fx(
uniform float4x4 World : WORLD : register(c0), View : VIEW;
static const float Gamma = 2.2;
shared extern float SharedTime : TIME;
volatile float Wobble : register(ps, c4) = 0.5;
row_major float4x4 RowMajorWorld;
float a = 1, b = -2, c;
)fx");
  ASSERT_TRUE(r.ok) << r.messages;
  const simfx::Effect& fx = r.effect;
  EXPECT_TRUE(FindParam(fx, "World")->isUniform);
  EXPECT_EQ(FindParam(fx, "World")->semantic, "WORLD");
  EXPECT_TRUE(FindParam(fx, "View")->isUniform);
  EXPECT_EQ(FindParam(fx, "View")->semantic, "VIEW");
  EXPECT_TRUE(FindParam(fx, "Gamma")->isStatic);
  EXPECT_TRUE(FindParam(fx, "Gamma")->isConst);
  EXPECT_FALSE(FindParam(fx, "Gamma")->isUniform);
  EXPECT_TRUE(FindParam(fx, "SharedTime")->isShared);
  EXPECT_TRUE(FindParam(fx, "SharedTime")->isExtern);
  EXPECT_EQ(FindParam(fx, "SharedTime")->semantic, "TIME");
  EXPECT_EQ(FindParam(fx, "Wobble")->semantic, "");
  EXPECT_FLOAT_EQ(fxtest::FloatOf(fx, "Wobble"), 0.5f);
  EXPECT_EQ(FindParam(fx, "RowMajorWorld")->cls, ParamClass::MatrixRows);
  EXPECT_FLOAT_EQ(fxtest::FloatOf(fx, "a"), 1.0f);
  EXPECT_FLOAT_EQ(fxtest::FloatOf(fx, "b"), -2.0f);
  EXPECT_FLOAT_EQ(fxtest::FloatOf(fx, "c"), 0.0f);
}

TEST(Declarations, StringsConcatenateAndKeepEscapes) {
  simfx::CompileResult r = CompileText(R"fx(
string Title = "Colour " "grading";
string Path = "FX\\luts\\warm.png";
string Quote = "say \"hi\"";
string Empty = "";
#define NAME_OF(n) #n
string Stringized = NAME_OF(Soft glow);
)fx");
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_EQ(FindParam(r.effect, "Title")->stringValue, "Colour grading");
  EXPECT_EQ(FindParam(r.effect, "Path")->stringValue, "FX\\luts\\warm.png");
  EXPECT_EQ(FindParam(r.effect, "Quote")->stringValue, "say \"hi\"");
  EXPECT_EQ(FindParam(r.effect, "Empty")->stringValue, "");
  EXPECT_EQ(FindParam(r.effect, "Stringized")->stringValue, "Soft glow");
  EXPECT_TRUE(FindParam(r.effect, "Title")->data.empty());
}

TEST(Declarations, AnnotationsOfEveryValueType) {
  simfx::CompileResult r = CompileText(R"fx(
float Strength <
  string UIName = "Strength";
  bool UIVisible = true;
  int UIOrder = -3;
  float UIMin = -1.5;
  half UIStep = 0.01;
  float2 UIRange = float2(0, 10);
  int3 Packed = {1, 2, 3};
  float UIMax = 2 * 4;
  string UIEmptyDefault;
>= 0.5;
texture2D NoiseTex < string ResourceName = "noise.png"; string UIName = "Noise"; >;
)fx");
  ASSERT_TRUE(r.ok) << r.messages;
  const simfx::Variable& v = *FindParam(r.effect, "Strength");
  EXPECT_FLOAT_EQ(Floats(v)[0], 0.5f);
  ASSERT_EQ(v.annotations.size(), 9u);
  const simfx::Variable* name = FindAnnotation(v, "UIName");
  EXPECT_EQ(name->type, ParamType::String);
  EXPECT_EQ(name->stringValue, "Strength");
  const simfx::Variable* visible = FindAnnotation(v, "UIVisible");
  EXPECT_EQ(visible->type, ParamType::Bool);
  EXPECT_EQ(Ints(*visible), std::vector<std::int32_t>{1});
  const simfx::Variable* order = FindAnnotation(v, "UIOrder");
  EXPECT_EQ(order->type, ParamType::Int);
  EXPECT_EQ(Ints(*order), std::vector<std::int32_t>{-3});
  EXPECT_EQ(FindAnnotation(v, "UIMin")->type, ParamType::Float);
  EXPECT_EQ(Floats(*FindAnnotation(v, "UIMin")), std::vector<float>{-1.5f});
  EXPECT_EQ(Floats(*FindAnnotation(v, "UIStep")), std::vector<float>{0.01f});
  const simfx::Variable* range = FindAnnotation(v, "UIRange");
  EXPECT_EQ(range->cls, ParamClass::Vector);
  EXPECT_EQ(Floats(*range), (std::vector<float>{0, 10}));
  EXPECT_EQ(Ints(*FindAnnotation(v, "Packed")), (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(Floats(*FindAnnotation(v, "UIMax")), std::vector<float>{8});
  EXPECT_EQ(FindAnnotation(v, "UIEmptyDefault")->stringValue, "");
  for (const simfx::Variable& a : v.annotations) EXPECT_TRUE(a.annotations.empty());

  const simfx::Variable& tex = *FindParam(r.effect, "NoiseTex");
  EXPECT_EQ(FindAnnotation(tex, "ResourceName")->stringValue, "noise.png");
  EXPECT_EQ(FindAnnotation(tex, "UIName")->stringValue, "Noise");
}

TEST(Declarations, ObjectInitializersAreSkipped) {
  simfx::CompileResult r = CompileText(R"fx(
texture2D Lut;
sampler2D LutSampler = sampler_state { Texture = <Lut>; MinFilter = POINT; }, Second = Sampler_State { Texture = (Lut); };
sampler LegacySampler { Texture = <Lut>; };
PixelShader CompiledPS = compile ps_2_0 Main(1, float2(0, 1));
VertexShader Shaders[2] = { compile vs_1_1 A(), compile vs_1_1 B() };
PixelShader AsmPS = asm { ps_1_1 tex t0 mov r0, t0 };
float After = 1;
)fx");
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_EQ(r.effect.parameters.size(), 8u);
  EXPECT_EQ(FindParam(r.effect, "Second")->type, ParamType::Sampler2D);
  EXPECT_EQ(FindParam(r.effect, "Shaders")->elements, 2u);
  EXPECT_FLOAT_EQ(fxtest::FloatOf(r.effect, "After"), 1.0f);
}

}  // namespace
