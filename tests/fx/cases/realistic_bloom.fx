// Bloom and colour grading for the main scene pass.
#include "shared\common.fxh"

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
//! ok
//! include "shared\common.fxh"
//! static const float3 LumaWeights = 0.2126, 0.7152, 0.0722
//! float4x4 WorldViewProjection : WORLDVIEWPROJECTION
//! float ScreenResolutionX
//! float ScreenResolutionY
//! float Time
//! float4 texelSizeL0
//! float Intensity = 0.75
//!   string UIName = "Intensity"
//!   string UIWidget = "Slider"
//!   float UIMin
//!   float UIMax = 2
//!   string UIGroup = "Bloom"
//!   int UIOrder = 1
//! float Threshold = 0.8
//!   string UIName = "Bloom threshold"
//!   string UIGroup = "Bloom"
//!   float UIMin
//!   float UIMax = 1
//! bool EnableVignette = 1
//!   string UIName = "Vignette"
//!   string UIGroup = "Lens"
//! float4 TintColor = 1, 0.95, 0.9, 1
//!   string UIName = "Tint"
//!   string UIWidget = "Color"
//! float TonemapMode = 2
//!   string UIName = "Tonemapper"
//!   string UIWidget = "Combo"
//!   string UIEnum = "Off,Reinhard,Filmic"
//! float VignetteAmount = 0.35
//!   string UIName = "Vignette amount"
//!   string UICondition = "EnableVignette"
//! static const float Weights[8] = 0.2, 0.18, 0.15, 0.12, 0.1, 0.1, 0.08, 0.07
//! texture2D SceneTexture
//! sampler2D SceneSampler
//! function Luminance
//! function FullscreenVS
//! function BloomPS
//! technique Bloom
//!   string Description = "Bloom, tint and vignette"
//!   pass P0
//!     bool Fullscreen = 1
