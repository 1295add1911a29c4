// Whole effect files of the kind players write for the game: post-processing with tunable values.
#include <gtest/gtest.h>

#include "fx_test_support.h"

namespace {

using fxtest::CompileText;
using fxtest::FindAnnotation;
using fxtest::FindParam;
using fxtest::Floats;
using simfx::ParamType;

const char kBloomEffect[] = R"fx(
// Bloom and colour grading for the main scene pass.
#include "common.fxh"

#define BLOOM_SAMPLES 8
#ifndef QUALITY
  #define QUALITY 1
#endif

float4x4 WorldViewProjection : WORLDVIEWPROJECTION;
float ScreenResolutionX;
float ScreenResolutionY;
float Time;
float4 texelSizeL0;

float Intensity < string UIName = "Intensity"; string UIWidget = "Slider";
                  float UIMin = 0.0; float UIMax = 2.0; string UIGroup = "Bloom"; int UIOrder = 1; > = 0.75;
float Threshold <
  string UIName = "Bloom threshold";
  string UIGroup = "Bloom";
  float UIMin = 0.0f;
  float UIMax = 1.0f;
> = 0.8f;
bool EnableVignette < string UIName = "Vignette"; string UIGroup = "Lens"; > = true;
float4 TintColor < string UIName = "Tint"; string UIWidget = "Color"; > = float4(1.0, 0.95, 0.9, 1.0);
float TonemapMode < string UIName = "Tonemapper"; string UIWidget = "Combo";
                    string UIEnum = "Off,Reinhard,Filmic"; > = 2;
float VignetteAmount < string UIName = "Vignette amount"; string UICondition = "EnableVignette"; > = {0.35};
static const float Weights[BLOOM_SAMPLES] = { 0.2, 0.18, 0.15, 0.12, 0.1, 0.1, 0.08, 0.07 };

texture2D SceneTexture;
sampler2D SceneSampler = sampler_state {
  Texture = <SceneTexture>;
  MinFilter = LINEAR; MagFilter = LINEAR; MipFilter = NONE;
  AddressU = CLAMP; AddressV = CLAMP;
};

struct VS_OUTPUT {
  float4 Position : POSITION;
  float2 TexCoord : TEXCOORD0;
};

VS_OUTPUT FullscreenVS(float4 pos : POSITION, float2 uv : TEXCOORD0) {
  VS_OUTPUT o;
  o.Position = mul(pos, WorldViewProjection);
  o.TexCoord = uv + texelSizeL0.xy * 0.5;
  return o;
}

float4 BloomPS(VS_OUTPUT i) : COLOR0 {
  float4 c = tex2D(SceneSampler, i.TexCoord);
  [unroll] for (int k = 0; k < BLOOM_SAMPLES; k++) { c += Weights[k] * Luminance(c.rgb); }
  if (EnableVignette) { c.rgb *= 1.0 - VignetteAmount; }
  return c * TintColor * Intensity;
}

technique Bloom < string Description = "Bloom, tint and vignette"; >
{
  pass P0 < bool Fullscreen = true; >
  {
    VertexShader = compile vs_3_0 FullscreenVS();
    PixelShader  = compile ps_3_0 BloomPS();
    ZEnable = false;
    AlphaBlendEnable = false;
  }
}
)fx";

TEST(RealisticShader, BloomEffectCompilesWithItsValuesInFileOrderAcrossIncludes) {
  fxtest::MemoryIncludes includes;
  includes.files["common.fxh"] = R"fx(
#ifndef COMMON_FXH
#define COMMON_FXH
static const float3 LumaWeights = float3(0.2126, 0.7152, 0.0722);
float Luminance(float3 c) { return dot(c, LumaWeights); }
#endif
)fx";
  simfx::CompileResult result = CompileText(kBloomEffect, &includes);
  ASSERT_TRUE(result.ok) << result.messages;
  EXPECT_EQ(result.messages, "");
  EXPECT_TRUE(includes.AllReturned());
  const simfx::Effect& fx = result.effect;
  std::vector<std::string> names;
  for (const simfx::Variable& v : fx.parameters) names.push_back(v.name);
  const std::vector<std::string> expected = {
      "LumaWeights", "WorldViewProjection", "ScreenResolutionX", "ScreenResolutionY", "Time",
      "texelSizeL0", "Intensity",           "Threshold",         "EnableVignette",    "TintColor",
      "TonemapMode", "VignetteAmount",      "Weights",           "SceneTexture",      "SceneSampler"};
  EXPECT_EQ(names, expected);

  const simfx::Variable* intensity = FindParam(fx, "Intensity");
  EXPECT_EQ(Floats(*intensity), std::vector<float>{0.75f});
  EXPECT_EQ(FindAnnotation(*intensity, "UIWidget")->stringValue, "Slider");
  EXPECT_EQ(Floats(*FindAnnotation(*intensity, "UIMax")), std::vector<float>{2.0f});
  EXPECT_EQ(Floats(*FindParam(fx, "Threshold")), std::vector<float>{0.8f});
  EXPECT_EQ(Floats(*FindParam(fx, "TintColor")), (std::vector<float>{1.0f, 0.95f, 0.9f, 1.0f}));
  EXPECT_EQ(FindAnnotation(*FindParam(fx, "TonemapMode"), "UIEnum")->stringValue, "Off,Reinhard,Filmic");
  EXPECT_EQ(Floats(*FindParam(fx, "VignetteAmount")), std::vector<float>{0.35f});
  const simfx::Variable* weights = FindParam(fx, "Weights");
  EXPECT_EQ(weights->elements, 8u);
  EXPECT_EQ(Floats(*weights)[7], 0.07f);
  EXPECT_EQ(FindParam(fx, "WorldViewProjection")->semantic, "WORLDVIEWPROJECTION");
  EXPECT_EQ(FindParam(fx, "SceneSampler")->type, ParamType::Sampler2D);

  ASSERT_EQ(fx.functions.size(), 3u);
  EXPECT_EQ(fx.functions[2].name, "BloomPS");
  ASSERT_EQ(fx.techniques.size(), 1u);
  EXPECT_EQ(fx.techniques[0].annotations[0].stringValue, "Bloom, tint and vignette");
  ASSERT_EQ(fx.techniques[0].passes.size(), 1u);
  EXPECT_EQ(fxtest::Ints(fx.techniques[0].passes[0].annotations[0]), std::vector<std::int32_t>{1});
}

}  // namespace
