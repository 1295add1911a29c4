// Reading and writing effect parameters the way the plug-in and the game do:
// by handle or by name, with D3DX's rules for which call fits which type.
#include <cstring>

#include "d3dx_test_support.h"
#include "effect_test_source.h"

namespace {

using EffectValuesTest = CompiledEffectTest;

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

  const D3DXVECTOR4 weights[2] = {{10, 0, 0, 0}, {20, 0, 0, 0}};
  ASSERT_EQ(effect->SetVectorArray("Weights", weights, 2), D3D_OK);
  float all[4] = {};
  ASSERT_EQ(effect->GetFloatArray("Weights", all, 4), D3D_OK);
  EXPECT_EQ(all[0], 10.0f);
  EXPECT_EQ(all[1], 20.0f);
  EXPECT_EQ(all[2], 3.0f);
}

TEST_F(EffectValuesTest, MatricesRoundTripAndTranspose) {
  D3DXMATRIX in;
  for (int i = 0; i < 16; ++i) in.m[i / 4][i % 4] = static_cast<float>(i + 1);
  ASSERT_EQ(effect->SetMatrix("World", &in), D3D_OK);
  D3DXMATRIX out;
  ASSERT_EQ(effect->GetMatrix("World", &out), D3D_OK);
  EXPECT_EQ(out, in);
  ASSERT_EQ(effect->GetMatrixTranspose("World", &out), D3D_OK);
  EXPECT_EQ(out(1, 0), in(0, 1));

  ASSERT_EQ(effect->SetMatrixTranspose("World", &in), D3D_OK);
  effect->GetMatrix("World", &out);
  EXPECT_EQ(out(0, 1), in(1, 0));

  ASSERT_EQ(effect->SetMatrix("Basis", &in), D3D_OK);
  ASSERT_EQ(effect->GetMatrix("Basis", &out), D3D_OK);
  EXPECT_EQ(out(2, 2), in(2, 2));
  EXPECT_EQ(out(3, 3), 0.0f) << "a 3x3 parameter reads back into the top-left corner";
  EXPECT_EQ(out(0, 3), 0.0f);
}

TEST_F(EffectValuesTest, RawBytesMoveTheWholeValue) {
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

  const float third = 33.0f;
  ASSERT_EQ(effect->SetRawValue("Weights", &third, 8, 4), D3D_OK);
  float weight = 0.0f;
  effect->GetFloat(effect->GetParameterElement("Weights", 2), &weight);
  EXPECT_EQ(weight, 33.0f);
  EXPECT_EQ(effect->SetRawValue("Weights", &third, 16, 4), D3DERR_INVALIDCALL);
}

TEST_F(EffectValuesTest, ArrayElementsAreParametersOfTheirOwn) {
  D3DXHANDLE third = effect->GetParameterElement("Weights", 2);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(effect->GetParameterByName(nullptr, "Weights[2]"), third);
  EXPECT_EQ(effect->GetParameterElement("Weights", 4), nullptr);
  EXPECT_EQ(effect->GetParameterElement("Intensity", 0), nullptr);

  ASSERT_EQ(effect->SetFloat(third, 30.0f), D3D_OK);
  float weights[4] = {};
  effect->GetFloatArray("Weights", weights, 4);
  EXPECT_EQ(weights[2], 30.0f);
  EXPECT_EQ(weights[3], 4.0f);

  const float two[2] = {-1.0f, -2.0f};
  ASSERT_EQ(effect->SetFloatArray("Weights", two, 2), D3D_OK);
  effect->GetFloatArray("Weights", weights, 4);
  EXPECT_EQ(weights[1], -2.0f);
  EXPECT_EQ(weights[2], 30.0f);

  D3DXPARAMETER_DESC desc{};
  effect->GetParameterDesc(third, &desc);
  EXPECT_EQ(desc.Elements, 0u);
  EXPECT_EQ(desc.Bytes, 4u);
}

TEST_F(EffectValuesTest, StringsAreOwnedByTheEffect) {
  LPCSTR text = nullptr;
  ASSERT_EQ(effect->GetString("Label", &text), D3D_OK);
  EXPECT_STREQ(text, "hello");

  std::string caller = "changed by the caller";
  ASSERT_EQ(effect->SetString("Label", caller.c_str()), D3D_OK);
  caller.assign("overwritten afterwards");
  ASSERT_EQ(effect->GetString("Label", &text), D3D_OK);
  EXPECT_STREQ(text, "changed by the caller");
  EXPECT_EQ(effect->SetString("Label", nullptr), D3DERR_INVALIDCALL);
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

}  // namespace
