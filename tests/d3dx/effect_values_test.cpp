// D3DX's rules for which Set/Get call fits which parameter, that the plug-in's
// recorded values and the game's own calls rely on. Shapes and defaults are the compiler's, tested by tests/fx/cases.
#include <cstring>

#include "d3dx_test_support.h"

namespace {

const char kTestEffect[] = R"fx(
float Intensity = 0.75;
bool Enabled = true;
int Mode = 2;
float3 Tint = float3(1, 0.5, 0.25);
float4 Color = float4(0.1, 0.2, 0.3, 0.4);
float4x4 World;
float Weights[4] = {1, 2, 3, 4};
string Label = "hello";
texture2D NoiseTex;
sampler2D NoiseSampler = sampler_state { Texture = <NoiseTex>; };
)fx";

class EffectValuesTest : public SimD3dTest {
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
  float Float(const char* name) {
    float value = -1.0f;
    EXPECT_EQ(effect->GetFloat(name, &value), D3D_OK) << name;
    return value;
  }
  ID3DXEffect* effect = nullptr;
};

TEST_F(EffectValuesTest, MissingParametersAndWrongTypesAreRejectedWithoutChange) {
  float value = -7.0f;
  EXPECT_EQ(effect->SetFloat("Missing", 1.0f), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->GetFloat("Missing", &value), D3DERR_INVALIDCALL);
  for (const char* notScalar : {"NoiseTex", "NoiseSampler", "Label", "Tint", "World", "Weights"}) {
    EXPECT_EQ(effect->SetFloat(notScalar, 1.0f), D3DERR_INVALIDCALL) << notScalar;
    EXPECT_EQ(effect->SetInt(notScalar, 1), D3DERR_INVALIDCALL) << notScalar;
    EXPECT_EQ(effect->SetBool(notScalar, TRUE), D3DERR_INVALIDCALL) << notScalar;
    EXPECT_EQ(effect->GetFloat(notScalar, &value), D3DERR_INVALIDCALL) << notScalar;
  }
  EXPECT_EQ(value, -7.0f) << "a failed read leaves the output untouched";
  const D3DXVECTOR4 vector(1, 2, 3, 4);
  const D3DXMATRIX identity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  EXPECT_EQ(effect->SetVector("World", &vector), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetVector("Label", &vector), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetMatrix("Color", &identity), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetString("Intensity", "text"), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetTexture("Intensity", nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(Float("Intensity"), 0.75f);
}

TEST_F(EffectValuesTest, ScalarsConvertBetweenBoolIntAndFloat) {
  BOOL flag = FALSE;
  INT number = 0;
  EXPECT_EQ(effect->SetFloat("Enabled", 0.0f), D3D_OK);
  effect->GetBool("Enabled", &flag);
  EXPECT_EQ(flag, FALSE);
  EXPECT_EQ(effect->SetInt("Enabled", 5), D3D_OK);
  effect->GetBool("Enabled", &flag);
  EXPECT_EQ(flag, TRUE) << "GetBool normalises to TRUE";
  effect->GetInt("Enabled", &number);
  EXPECT_EQ(number, 1);
  EXPECT_EQ(Float("Enabled"), 1.0f);
  EXPECT_EQ(effect->SetFloat("Mode", 2.7f), D3D_OK);
  effect->GetInt("Mode", &number);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(effect->SetInt("Intensity", 3), D3D_OK);
  EXPECT_EQ(Float("Intensity"), 3.0f);
  EXPECT_EQ(effect->SetFloat("Intensity", -0.5f), D3D_OK);
  effect->GetInt("Intensity", &number);
  EXPECT_EQ(number, 0);
  effect->GetBool("Intensity", &flag);
  EXPECT_EQ(flag, TRUE);
}

TEST_F(EffectValuesTest, VectorsAndValuesMoveAsManyComponentsAsTheParameterHas) {
  const D3DXVECTOR4 in(0.5f, 0.6f, 0.7f, 0.8f);
  ASSERT_EQ(effect->SetVector("Tint", &in), D3D_OK);
  D3DXVECTOR4 out(9, 9, 9, 9);
  ASSERT_EQ(effect->GetVector("Tint", &out), D3D_OK);
  EXPECT_EQ(out, D3DXVECTOR4(0.5f, 0.6f, 0.7f, 0.0f));
  ASSERT_EQ(effect->SetVector("Intensity", &in), D3D_OK) << "a scalar takes the first component";
  EXPECT_EQ(Float("Intensity"), 0.5f);

  const float color[4] = {0.9f, 0.8f, 0.7f, 0.6f};
  ASSERT_EQ(effect->SetValue("Color", color, sizeof(color)), D3D_OK);
  float back[4] = {};
  ASSERT_EQ(effect->GetValue("Color", back, sizeof(back)), D3D_OK);
  EXPECT_EQ(std::memcmp(back, color, sizeof(color)), 0);
  EXPECT_EQ(effect->SetValue("Color", &in.x, 4), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->GetValue("Color", back, 8), D3DERR_INVALIDCALL);
  effect->GetVector("Color", &out);
  EXPECT_EQ(out.x, 0.9f) << "a rejected SetValue changes nothing";
  EXPECT_EQ(effect->SetValue("Intensity", color, D3DX_DEFAULT), D3D_OK);
  EXPECT_EQ(Float("Intensity"), 0.9f);
}

}  // namespace
