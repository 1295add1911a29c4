// Syntax that effects written for the standard D3DX framework use and that
// the framework accepts: static globals computed by the shader, annotations
// declared in pairs, and Direct3D 10 blocks next to the Direct3D 9 ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fx_test_support.h"

namespace {

using fxtest::CompileText;
using fxtest::FindAnnotation;
using fxtest::FindParam;
using fxtest::FloatOf;
using fxtest::IntOf;

TEST(WiderWorldSyntax, StaticGlobalsThatOnlyTheShaderCanComputeAreLeftOut) {
  // The helper file that many effects include computes its statics from the
  // effect's own parameters.
  fxtest::MemoryIncludes includes;
  includes.files["screen.fxh"] =
      "float2 Size = {1920, 1080};\n"
      "struct Sun { float3 Direction; float Power; };\n"
      "Sun TheSun;\n"
      "static float2 Half = Size.xy * 0.5;\n"
      "static float Strength = TheSun.Power * 2, Doubled = 2;\n"
      "static const float Scale = 2.0;\n";
  simfx::CompileResult r =
      CompileText("#include \"screen.fxh\"\nfloat Scaled = Scale * 3;\nfloat After = 1;\n", &includes);
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_EQ(FindParam(r.effect, "Half"), nullptr) << "a static with a swizzle of a parameter has no value";
  EXPECT_EQ(FindParam(r.effect, "Strength"), nullptr) << "a static with a member of a parameter has no value";
  EXPECT_FLOAT_EQ(FloatOf(r.effect, "Doubled"), 2.0f) << "the next declarator of the same line is read";
  EXPECT_FLOAT_EQ(FloatOf(r.effect, "Scaled"), 6.0f) << "a static that is a constant still has its value";
  EXPECT_FLOAT_EQ(FloatOf(r.effect, "After"), 1.0f);
  EXPECT_TRUE(includes.AllReturned());

  // A parameter is not a static: its initializer must be a constant.
  r = CompileText("float2 Size = {1, 2};\nfloat2 Half = Size.xy * 0.5;\n");
  EXPECT_FALSE(r.ok);
  // Nor may a skipped static be read by a later constant.
  r = CompileText("float2 Size = {1, 2};\nstatic float2 Half = Size.xy;\nfloat H = Half;\n");
  EXPECT_FALSE(r.ok);
}

TEST(WiderWorldSyntax, StaticGlobalsInitialisedByAFunctionOfTheFile) {
  simfx::CompileResult r = CompileText(
      "float Angle = 0.5;\n"
      "float3 DirFromAngle() { return float3(cos(Angle), sin(Angle), 0); }\n"
      "static float3 Dir = DirFromAngle();\n"
      "static float3 Both[2] = { DirFromAngle(), normalize(float3(1, 2, 3)) };\n"
      "int Count = 4;\n"
      "technique T { pass P { } }\n");
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_EQ(FindParam(r.effect, "Dir"), nullptr);
  EXPECT_EQ(FindParam(r.effect, "Both"), nullptr);
  EXPECT_EQ(IntOf(r.effect, "Count"), 4);
  ASSERT_EQ(r.effect.techniques.size(), 1u);

  r = CompileText("static float4 C = Pick(float4(1, 2, 3, 4))");
  EXPECT_FALSE(r.ok) << "a static whose declaration never ends is still an error";
}

TEST(WiderWorldSyntax, AnnotationsDeclaredTogetherShareTheirType) {
  simfx::CompileResult r = CompileText(
      "texture Noise < string ResourceName = \"noise.dds\"; int width = 64, height = 32; "
      "float Low = 0.25, High; >;\n");
  ASSERT_TRUE(r.ok) << r.messages;
  const simfx::Variable* noise = FindParam(r.effect, "Noise");
  ASSERT_NE(noise, nullptr);
  ASSERT_EQ(noise->annotations.size(), 5u);
  const simfx::Variable* width = FindAnnotation(*noise, "width");
  const simfx::Variable* height = FindAnnotation(*noise, "height");
  const simfx::Variable* high = FindAnnotation(*noise, "High");
  ASSERT_TRUE(width && height && high);
  EXPECT_EQ(fxtest::Ints(*width)[0], 64);
  EXPECT_EQ(fxtest::Ints(*height)[0], 32);
  EXPECT_EQ(height->type, simfx::ParamType::Int);
  EXPECT_EQ(high->type, simfx::ParamType::Float);
  EXPECT_FLOAT_EQ(fxtest::Floats(*high)[0], 0.0f);

  EXPECT_FALSE(CompileText("float A < int w = 1, ; >;\n").ok) << "a comma needs another name";
}

TEST(WiderWorldSyntax, Direct3D10BlocksAreSkipped) {
  simfx::CompileResult r = CompileText(
      "BlendState NoBlend { BlendEnable[0] = FALSE; };\n"
      "DepthStencilState DepthOff { DepthEnable = FALSE; DepthWriteMask = ZERO; };\n"
      "RasterizerState Solid { FillMode = SOLID; CullMode = NONE; }\n"
      "SamplerState Linear { Filter = MIN_MAG_MIP_LINEAR; AddressU = Clamp; };\n"
      "float Exposure < string UIName = \"Exposure\"; > = 1.5;\n"
      "float4 VS(float4 p : POSITION) : POSITION { return p; }\n"
      "technique10 Render10 < string Script = \"Pass=p0;\"; > {\n"
      "  pass p0 { SetBlendState(NoBlend, float4(0, 0, 0, 0), 0xFFFFFFFF);\n"
      "            SetVertexShader(CompileShader(vs_4_0, VS())); }\n"
      "}\n"
      "technique11 Render11 { pass p0 { } }\n"
      "fxgroup Group { technique11 Inner { pass { } } }\n"
      "technique Render9 { pass p0 { VertexShader = compile vs_2_0 VS(); } }\n");
  ASSERT_TRUE(r.ok) << r.messages;
  ASSERT_EQ(r.effect.parameters.size(), 1u);
  EXPECT_EQ(r.effect.parameters[0].name, "Exposure");
  ASSERT_EQ(r.effect.techniques.size(), 1u);
  EXPECT_EQ(r.effect.techniques[0].name, "Render9");

  EXPECT_FALSE(CompileText("BlendState Open { BlendEnable[0] = FALSE;\n").ok) << "an unclosed block";
  EXPECT_FALSE(CompileText("technique10 T < string S = 1 +; > { }\n").ok) << "its annotations are still read";
}

TEST(WiderWorldSyntax, IncludesOnDiskAreFoundWhateverTheCaseOfTheirNames) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / "fx_wider_world_case";
  fs::remove_all(root);
  fs::create_directories(root / "FX" / "Includes");
  std::ofstream(root / "FX" / "Includes" / "Noise_2D.fxh", std::ios::binary) << "float NoiseScale = 2;\n";
  const std::string mainPath = (root / "FX" / "grain.fx").string();
  simfx::CompileResult r =
      simfx::Compile("#include \"includes\\noise_2d.fxh\"\nfloat Amount = 1;\n", mainPath, {}, nullptr);
  fs::remove_all(root);
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_FLOAT_EQ(FloatOf(r.effect, "NoiseScale"), 2.0f);
}

}  // namespace
