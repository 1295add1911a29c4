// Reading and writing effect parameters the way the plug-in and the game do:
// by handle or by name, with D3DX's rules for which call fits which type;
// the textures an effect holds and its current technique.
#include <cstring>

#include "d3dx_test_support.h"

namespace {

// An effect of the kind the game's shaders are: tunable scalars with
// annotations, vectors, matrices, an array, a string, a texture and its
// sampler, and two techniques.
const char kTestEffect[] = R"fx(
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

technique Main { pass P0 { PixelShader = compile ps_2_0 PS(); } }
technique Alt { pass Only { } }
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
  ID3DXEffect* effect = nullptr;
};

TEST_F(EffectValuesTest, DescriptionsReportShapeTypeAndSize) {
  D3DXEFFECT_DESC effectDesc{};
  ASSERT_EQ(effect->GetDesc(&effectDesc), D3D_OK);
  EXPECT_EQ(effectDesc.Parameters, 11u) << "static globals are not parameters";
  EXPECT_EQ(effectDesc.Techniques, 2u);

  D3DXPARAMETER_DESC desc{};
  ASSERT_EQ(effect->GetParameterDesc("Intensity", &desc), D3D_OK);
  EXPECT_STREQ(desc.Name, "Intensity");
  EXPECT_EQ(desc.Class, D3DXPC_SCALAR);
  EXPECT_EQ(desc.Type, D3DXPT_FLOAT);
  EXPECT_EQ(desc.Annotations, 4u);
  EXPECT_EQ(desc.Bytes, 4u);

  ASSERT_EQ(effect->GetParameterDesc("Tint", &desc), D3D_OK);
  EXPECT_EQ(desc.Class, D3DXPC_VECTOR);
  EXPECT_EQ(desc.Columns, 3u);
  EXPECT_STREQ(desc.Semantic, "COLOR");
  EXPECT_EQ(desc.Bytes, 12u);

  ASSERT_EQ(effect->GetParameterDesc("Weights", &desc), D3D_OK);
  EXPECT_EQ(desc.Elements, 4u);
  EXPECT_EQ(desc.Bytes, 16u);

  ASSERT_EQ(effect->GetParameterDesc("World", &desc), D3D_OK);
  EXPECT_TRUE(desc.Class == D3DXPC_MATRIX_ROWS || desc.Class == D3DXPC_MATRIX_COLUMNS);
  EXPECT_EQ(desc.Bytes, 64u);

  ASSERT_EQ(effect->GetParameterDesc("Label", &desc), D3D_OK);
  EXPECT_EQ(desc.Class, D3DXPC_OBJECT);
  EXPECT_EQ(desc.Type, D3DXPT_STRING);

  ASSERT_EQ(effect->GetParameterDesc("NoiseTex", &desc), D3D_OK);
  EXPECT_EQ(desc.Type, D3DXPT_TEXTURE2D);
  EXPECT_EQ(effect->GetParameterDesc("Hidden", &desc), D3DERR_INVALIDCALL);
}

TEST_F(EffectValuesTest, NamesWorkInPlaceOfHandles) {
  D3DXHANDLE handle = effect->GetParameterByName(nullptr, "Intensity");
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(effect->GetParameter(nullptr, 0), handle);

  EXPECT_EQ(effect->SetFloat("Intensity", 1.5f), D3D_OK);
  float value = 0.0f;
  EXPECT_EQ(effect->GetFloat(handle, &value), D3D_OK);
  EXPECT_EQ(value, 1.5f);

  EXPECT_EQ(effect->GetParameterBySemantic(nullptr, "world"), effect->GetParameterByName(nullptr, "World"));
  EXPECT_EQ(effect->GetParameterByName(nullptr, "Missing"), nullptr);
}

TEST_F(EffectValuesTest, MissingParametersAndWrongTypesAreRejectedWithoutChange) {
  float value = -7.0f;
  EXPECT_EQ(effect->SetFloat("Missing", 1.0f), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->GetFloat("Missing", &value), D3DERR_INVALIDCALL);
  EXPECT_EQ(value, -7.0f) << "a failed read leaves the output untouched";

  for (const char* notScalar : {"NoiseTex", "NoiseSampler", "Label", "Tint", "World", "Weights"}) {
    EXPECT_EQ(effect->SetFloat(notScalar, 1.0f), D3DERR_INVALIDCALL) << notScalar;
    EXPECT_EQ(effect->SetInt(notScalar, 1), D3DERR_INVALIDCALL) << notScalar;
    EXPECT_EQ(effect->SetBool(notScalar, TRUE), D3DERR_INVALIDCALL) << notScalar;
    EXPECT_EQ(effect->GetFloat(notScalar, &value), D3DERR_INVALIDCALL) << notScalar;
  }
  EXPECT_EQ(value, -7.0f);

  const D3DXVECTOR4 vector(1, 2, 3, 4);
  const D3DXMATRIX identity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  EXPECT_EQ(effect->SetVector("World", &vector), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetVector("Label", &vector), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetMatrix("Color", &identity), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetString("Intensity", "text"), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetTexture("Intensity", nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->GetFloat("Intensity", &value), D3D_OK);
  EXPECT_EQ(value, 0.75f);
}

TEST_F(EffectValuesTest, ScalarsConvertBetweenBoolIntAndFloat) {
  BOOL flag = FALSE;
  INT number = 0;
  float real = 0.0f;

  EXPECT_EQ(effect->SetFloat("Enabled", 0.0f), D3D_OK);
  effect->GetBool("Enabled", &flag);
  EXPECT_EQ(flag, FALSE);
  EXPECT_EQ(effect->SetInt("Enabled", 5), D3D_OK);
  effect->GetBool("Enabled", &flag);
  EXPECT_EQ(flag, TRUE) << "GetBool normalises to TRUE";
  effect->GetInt("Enabled", &number);
  EXPECT_EQ(number, 1);
  effect->GetFloat("Enabled", &real);
  EXPECT_EQ(real, 1.0f);

  EXPECT_EQ(effect->SetFloat("Mode", 2.7f), D3D_OK);
  effect->GetInt("Mode", &number);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(effect->SetInt("Intensity", 3), D3D_OK);
  effect->GetFloat("Intensity", &real);
  EXPECT_EQ(real, 3.0f);
  EXPECT_EQ(effect->SetFloat("Intensity", -0.5f), D3D_OK);
  effect->GetInt("Intensity", &number);
  EXPECT_EQ(number, 0);
  effect->GetBool("Intensity", &flag);
  EXPECT_EQ(flag, TRUE);
}

TEST_F(EffectValuesTest, VectorsTakeAsManyComponentsAsTheParameterHas) {
  const D3DXVECTOR4 in(0.5f, 0.6f, 0.7f, 0.8f);
  ASSERT_EQ(effect->SetVector("Tint", &in), D3D_OK);
  D3DXVECTOR4 out(9, 9, 9, 9);
  ASSERT_EQ(effect->GetVector("Tint", &out), D3D_OK);
  EXPECT_EQ(out, D3DXVECTOR4(0.5f, 0.6f, 0.7f, 0.0f));

  ASSERT_EQ(effect->GetVector("Color", &out), D3D_OK);
  EXPECT_EQ(out, D3DXVECTOR4(0.1f, 0.2f, 0.3f, 0.4f));

  ASSERT_EQ(effect->SetVector("Intensity", &in), D3D_OK) << "a scalar takes the first component";
  float real = 0.0f;
  effect->GetFloat("Intensity", &real);
  EXPECT_EQ(real, 0.5f);
}

TEST_F(EffectValuesTest, SetValueMovesTheWholeValue) {
  const float color[4] = {0.9f, 0.8f, 0.7f, 0.6f};
  ASSERT_EQ(effect->SetValue("Color", color, sizeof(color)), D3D_OK);
  float out[4] = {};
  ASSERT_EQ(effect->GetValue("Color", out, sizeof(out)), D3D_OK);
  EXPECT_EQ(std::memcmp(out, color, sizeof(color)), 0);

  const float tooFew = 1.0f;
  EXPECT_EQ(effect->SetValue("Color", &tooFew, sizeof(tooFew)), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->GetValue("Color", out, 8), D3DERR_INVALIDCALL);
  D3DXVECTOR4 vector;
  effect->GetVector("Color", &vector);
  EXPECT_EQ(vector.x, 0.9f) << "a rejected SetValue changes nothing";

  EXPECT_EQ(effect->SetValue("Intensity", color, D3DX_DEFAULT), D3D_OK);
  float intensity = 0.0f;
  effect->GetFloat("Intensity", &intensity);
  EXPECT_EQ(intensity, 0.9f);

  const BOOL off = FALSE;
  EXPECT_EQ(effect->SetValue("Enabled", &off, sizeof(off)), D3D_OK);
  BOOL enabled = TRUE;
  effect->GetBool("Enabled", &enabled);
  EXPECT_EQ(enabled, FALSE);
}

TEST_F(EffectValuesTest, AnnotationsAreReadLikeParametersButNotWritten) {
  D3DXHANDLE uiName = effect->GetAnnotationByName("Intensity", "UIName");
  ASSERT_NE(uiName, nullptr);
  LPCSTR text = nullptr;
  ASSERT_EQ(effect->GetString(uiName, &text), D3D_OK);
  EXPECT_STREQ(text, "Glow intensity");

  float maximum = 0.0f;
  EXPECT_EQ(effect->GetFloat(effect->GetAnnotationByName("Intensity", "UIMax"), &maximum), D3D_OK);
  EXPECT_EQ(maximum, 2.0f);
  INT order = 0;
  EXPECT_EQ(effect->GetInt(effect->GetAnnotationByName("Intensity", "UIOrder"), &order), D3D_OK);
  EXPECT_EQ(order, 3);
  EXPECT_EQ(effect->GetInt(uiName, &order), D3DERR_INVALIDCALL) << "a string annotation is no integer";
  EXPECT_EQ(order, 3);

  D3DXPARAMETER_DESC desc{};
  ASSERT_EQ(effect->GetParameterDesc(effect->GetAnnotation("Intensity", 1), &desc), D3D_OK);
  EXPECT_STREQ(desc.Name, "UIMin");
  EXPECT_TRUE(desc.Flags & D3DX_PARAMETER_ANNOTATION);

  EXPECT_EQ(effect->SetString(uiName, "renamed"), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->GetAnnotationByName("Intensity", "UIGroup"), nullptr);
  EXPECT_EQ(effect->GetAnnotationByName("Enabled", "UIName"), nullptr);
  EXPECT_EQ(effect->GetAnnotation("Intensity", 4), nullptr);
}

TEST_F(EffectValuesTest, TexturesAreReferencedWhileBound) {
  IDirect3DTexture9* first = nullptr;
  IDirect3DTexture9* second = nullptr;
  for (IDirect3DTexture9** texture : {&first, &second}) {
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture, nullptr), D3D_OK);
  }
  ASSERT_EQ(effect->SetTexture("NoiseTex", first), D3D_OK);
  EXPECT_EQ(sim::RefCount(first), 2u);
  IDirect3DBaseTexture9* bound = nullptr;
  ASSERT_EQ(effect->GetTexture("NoiseTex", &bound), D3D_OK);
  EXPECT_EQ(bound, first);
  EXPECT_EQ(sim::RefCount(first), 3u) << "GetTexture adds a reference";
  bound->Release();

  ASSERT_EQ(effect->SetTexture("NoiseTex", second), D3D_OK);
  EXPECT_EQ(sim::RefCount(first), 1u) << "the replaced texture is released";
  EXPECT_EQ(effect->SetTexture("NoiseSampler", first), D3DERR_INVALIDCALL);
  EXPECT_EQ(sim::RefCount(first), 1u);
  EXPECT_EQ(effect->Release(), 0u);
  effect = nullptr;
  EXPECT_EQ(sim::RefCount(second), 1u) << "the effect's release drops its texture";
  first->Release();
  second->Release();
}

TEST_F(EffectValuesTest, TheFirstTechniqueIsCurrentUntilAnotherIsSet) {
  EXPECT_EQ(effect->GetCurrentTechnique(), effect->GetTechnique(0));
  EXPECT_EQ(effect->SetTechnique("Alt"), D3D_OK);
  EXPECT_EQ(effect->GetCurrentTechnique(), effect->GetTechniqueByName("Alt"));
  EXPECT_EQ(effect->SetTechnique("Nope"), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->GetCurrentTechnique(), effect->GetTechniqueByName("Alt"));
}

}  // namespace
