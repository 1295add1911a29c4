// Techniques and passes, and the code that the front end skips over (structs, typedefs, functions).
#include <gtest/gtest.h>

#include "fx_test_support.h"

namespace {

using fxtest::CompileText;
using fxtest::FindParam;

TEST(Techniques, NamesAnnotationsAndPassesInOrder) {
  simfx::CompileResult r = CompileText(R"fx(
technique Main < string UIName = "Main look"; int Order = 2; >
{
  pass Blur < string Target = "half"; > { PixelShader = compile ps_3_0 BlurPS(float2(1, 0)); CullMode = NONE; }
  pass { PixelShader = compile ps_3_0 CombinePS(); }
  Pass Final { }
}
Technique { pass P0 { } }
technique9 Legacy { }
)fx");
  ASSERT_TRUE(r.ok) << r.messages;
  const std::vector<simfx::Technique>& t = r.effect.techniques;
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].name, "Main");
  ASSERT_EQ(t[0].annotations.size(), 2u);
  EXPECT_EQ(t[0].annotations[0].stringValue, "Main look");
  EXPECT_EQ(fxtest::Ints(t[0].annotations[1]), std::vector<std::int32_t>{2});
  ASSERT_EQ(t[0].passes.size(), 3u);
  EXPECT_EQ(t[0].passes[0].name, "Blur");
  EXPECT_EQ(t[0].passes[0].annotations[0].stringValue, "half");
  EXPECT_EQ(t[0].passes[1].name, "");
  EXPECT_EQ(t[0].passes[2].name, "Final");
  EXPECT_EQ(t[1].name, "");
  EXPECT_EQ(t[1].passes.size(), 1u);
  EXPECT_EQ(t[2].name, "Legacy");
  EXPECT_TRUE(t[2].passes.empty());
}

TEST(SkippedCode, StructsTypedefsAndFunctionsAreSkippedAndFunctionsNamed) {
  simfx::CompileResult r = CompileText(R"fx(
struct Light { float3 Direction; float4 Color; };
typedef float4 color;
typedef struct { float a; } Anonymous;
typedef const float3 direction, normal;
struct VSOut { float4 Pos : POSITION; } unusedGlobal;

color SkyColor = color(0.2, 0.4, 0.8, 1);
direction SunDirection = {0, -1, 0};
Light MainLight;
Light Lights[2] = { { {0,0,1}, {1,1,1,1} }, { {0,1,0}, {1,0,0,1} } };

float3 Saturation(float3 c, float amount);
inline float3 Saturation(float3 c, float amount) { return lerp(dot(c, 0.33), c, amount); }
void Nothing() {}
static float4 Helper(in float4 v, out float w) { w = 1; { { return v; } } }
VSOut VS(float4 p : POSITION) { VSOut o; o.Pos = p; return o; }
float4 PS(float2 uv : TEXCOORD0, uniform float k) : COLOR0 { return tex2D(s, uv) * k; }
float4 PS2() : COLOR : register(s0) { return 0; }
float AfterFunctions = 3;
)fx");
  ASSERT_TRUE(r.ok) << r.messages;
  const simfx::Effect& fx = r.effect;
  std::vector<std::string> functions;
  for (const simfx::Function& f : fx.functions) functions.push_back(f.name);
  EXPECT_EQ(functions, (std::vector<std::string>{"Saturation", "Nothing", "Helper", "VS", "PS", "PS2"}));

  EXPECT_EQ(fxtest::Floats(*FindParam(fx, "SkyColor")), (std::vector<float>{0.2f, 0.4f, 0.8f, 1}));
  EXPECT_EQ(FindParam(fx, "SkyColor")->cls, simfx::ParamClass::Vector);
  EXPECT_EQ(fxtest::Floats(*FindParam(fx, "SunDirection")), (std::vector<float>{0, -1, 0}));
  for (const char* name : {"MainLight", "Lights", "unusedGlobal"}) {
    SCOPED_TRACE(name);
    const simfx::Variable* v = FindParam(fx, name);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->cls, simfx::ParamClass::Struct);
    EXPECT_EQ(v->type, simfx::ParamType::Void);
    EXPECT_TRUE(v->data.empty());
  }
  EXPECT_EQ(FindParam(fx, "Lights")->elements, 2u);
  EXPECT_FLOAT_EQ(fxtest::FloatOf(fx, "AfterFunctions"), 3.0f);
  EXPECT_EQ(FindParam(fx, "Direction"), nullptr);
}

}  // namespace
