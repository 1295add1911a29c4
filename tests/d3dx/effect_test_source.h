// An effect of the kind the game's shaders are: tunable scalars with
// annotations, vectors, matrices, an array, a string, a texture and its
// sampler, and two techniques.
#pragma once

#include "d3dx_test_support.h"

inline const char kTestEffect[] = R"fx(
float Intensity < string UIName = "Glow intensity"; float UIMin = 0.0; float UIMax = 2.0; int UIOrder = 3; > = 0.75;
bool Enabled = true;
int Mode = 2;
float3 Tint : COLOR = float3(1, 0.5, 0.25);
float4 Color < string UIWidget = "Color"; > = float4(0.1, 0.2, 0.3, 0.4);
float4x4 World : WORLD;
float3x3 Basis;
float Weights[4] = {1, 2, 3, 4};
string Label = "hello";
texture2D NoiseTex;
sampler2D NoiseSampler = sampler_state { Texture = <NoiseTex>; };
static float Hidden = 1;

float4 PS(float2 uv : TEXCOORD0) : COLOR0 { return Color * Intensity; }

technique Main < string Description = "main path"; >
{
  pass P0 < int Order = 1; > { PixelShader = compile ps_2_0 PS(); }
  pass P1 { }
}
technique Alt { pass Only { } }
)fx";

// A test with the shared test effect compiled, released at the end.
class CompiledEffectTest : public SimD3dTest {
 protected:
  void SetUp() override {
    SimD3dTest::SetUp();
    effect = Compile(kTestEffect);
    ASSERT_NE(effect, nullptr);
  }
  void TearDown() override {
    if (effect) {
      EXPECT_EQ(effect->Release(), 0u);
    }
    SimD3dTest::TearDown();
  }
  ID3DXEffect* effect = nullptr;
};
