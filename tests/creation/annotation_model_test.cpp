// The tunable-parameter list a modder gets from the "UI" annotations of a
// real effect file.
#include <cstring>

#include "creation_fixture.h"

namespace {

const char kPost[] = R"(// Post-processing as a modder writes it.
float4x4 WorldViewProj : WORLDVIEWPROJECTION;
float Intensity < string UIName = "Bloom Intensity"; string UIGroup = "Bloom"; int UIGroupOrder = 2;
                  int UIOrder = 5; float UIMin = 0.0; float UIMax = 4.0; > = 0.75;
float Threshold < string UIName = "Threshold"; > = 0.3;
float Radius < string UIName = "Radius"; string UIOrder = "first"; string UIGroup = "Bloom";
               string UIGroupOrder = "high"; > = 2.0;
float Quality < string UIName = "Quality"; string UIWidget = "Combo"; string UIEnum = " Off,Low, High"; > = 2.7;
float Mode < string UIName = "Mode"; string UIWidget = "combo"; float UIMax = 3.0; > = 0.5;
float Steps < string UIName = "Steps"; string UIWidget = "Combo"; > = -0.5;
float Blank < string UIName = "Blank"; string UIWidget = "Combo"; string UIEnum = ""; > = 1;
bool EnableFog < string UIName = "Fog"; > = true;
float4 Tint < string UIName = "Tint"; string UICondition = "EnableFog"; > = float4(1, 0.9, 0.8, 1);
float3 SunDir < string UIName = "Sun"; > = {0, 1, 0};
float Exposure < float UIName = 1.0; int UIGroup = 3; > = 1.0;
int Samples < string UIName = "Samples"; > = 8;
texture NoiseTex < string UIName = "Noise"; >;
float Hidden = 4.0;
technique Post { pass P0 { } }
)";

class AnnotationModelTest : public CreationFixture {
 protected:
  void SetUp() override {
    CreationFixture::SetUp();
    WriteFile("FX\\Post.fx", kPost);
    AttachWithLevel(1);
    proxy = CreateProxy("Post");
    ASSERT_NE(proxy, nullptr);
  }
  void TearDown() override {
    if (proxy) proxy->Release();
    CreationFixture::TearDown();
  }
  EffectProxy* proxy = nullptr;
};

TEST_F(AnnotationModelTest, ListsOnlyParametersWithAUIName) {
  std::vector<std::string> names;
  for (const auto& p : proxy->parameters) names.push_back(p.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"Intensity", "Threshold", "Radius", "Quality", "Mode", "Steps", "Blank",
                                      "EnableFog", "Tint", "SunDir", "Exposure", "Samples", "NoiseTex"}));
  // Every parameter's handle is remembered, so host values for it are recorded too.
  EXPECT_EQ(proxy->parameterNames.size(), 15u);
}

TEST_F(AnnotationModelTest, ReadsLabelsGroupsAndOrders) {
  const ShaderParam* intensity = Param(proxy, "Intensity");
  ASSERT_NE(intensity, nullptr);
  EXPECT_EQ(intensity->uiName, "Bloom Intensity");
  EXPECT_EQ(intensity->group, "Bloom");
  EXPECT_EQ(intensity->groupOrder, 2);
  EXPECT_EQ(intensity->order, 5);
  EXPECT_EQ(intensity->kind, WidgetKind::Slider);
  EXPECT_EQ(intensity->minValue, 0.0f);
  EXPECT_EQ(intensity->maxValue, 4.0f);
  EXPECT_EQ(intensity->floatValue, 0.75f);

  const ShaderParam* threshold = Param(proxy, "Threshold");
  EXPECT_EQ(threshold->group, "General");
  EXPECT_EQ(threshold->order, 20);  // ten times its index among all parameters
  EXPECT_EQ(threshold->maxValue, 1.0f);

  const ShaderParam* radius = Param(proxy, "Radius");
  EXPECT_EQ(radius->order, 0);       // present but not an integer
  EXPECT_EQ(radius->groupOrder, 0);  // likewise

  const ShaderParam* exposure = Param(proxy, "Exposure");
  EXPECT_EQ(exposure->uiName, "Exposure");  // UIName that is not a string
  EXPECT_EQ(exposure->group, "General");    // UIGroup that is not a string
  EXPECT_EQ(exposure->order, 110);
}

TEST_F(AnnotationModelTest, ChoosesWidgetsByClassTypeAndUIWidget) {
  const ShaderParam* quality = Param(proxy, "Quality");
  EXPECT_EQ(quality->kind, WidgetKind::Combo);
  EXPECT_EQ(quality->intValue, 2);
  EXPECT_EQ(quality->floatValue, 2.7f);
  const char items[] = " Off\0Low\0 High\0\0";
  EXPECT_EQ(quality->comboItems, std::vector<char>(items, items + sizeof(items) - 1));

  const ShaderParam* mode = Param(proxy, "Mode");
  EXPECT_EQ(mode->kind, WidgetKind::Slider);  // "combo" is not "Combo"
  EXPECT_EQ(mode->maxValue, 3.0f);

  const ShaderParam* steps = Param(proxy, "Steps");
  EXPECT_EQ(steps->kind, WidgetKind::Combo);
  EXPECT_EQ(steps->intValue, 0);
  EXPECT_TRUE(steps->comboItems.empty());

  EXPECT_EQ(Param(proxy, "Blank")->comboItems, std::vector<char>(2, '\0'));

  const ShaderParam* fog = Param(proxy, "EnableFog");
  EXPECT_EQ(fog->kind, WidgetKind::Checkbox);
  EXPECT_TRUE(fog->boolValue);

  const ShaderParam* tint = Param(proxy, "Tint");
  EXPECT_EQ(tint->kind, WidgetKind::Color);
  EXPECT_EQ(tint->condition, "EnableFog");
  EXPECT_FLOAT_EQ(tint->vectorValue.y, 0.9f);

  EXPECT_EQ(Param(proxy, "SunDir")->kind, WidgetKind::None);
  EXPECT_EQ(Param(proxy, "Samples")->kind, WidgetKind::None);
  EXPECT_EQ(Param(proxy, "NoiseTex")->kind, WidgetKind::None);
}

TEST_F(AnnotationModelTest, ReparseKeepsRecordedValuesAndRestoresThem) {
  proxy->SetFloat(Param(proxy, "Intensity")->handle, 0.8f);
  proxy->SetFloat(Param(proxy, "Tint")->handle, 0.5f);  // only 4 bytes for a colour
  proxy->SetFloat(proxy->GetParameterByName(nullptr, "Hidden"), 9.0f);

  std::string edited = kPost;
  edited.replace(edited.find("> = 0.75;"), 9, "> = 0.2;");
  WriteFile("FX\\Post.fx", edited);
  ID3DXEffect* fresh = nullptr;
  ASSERT_EQ(D3DXCreateEffectFromFileA(device, "FX\\Post.fx", nullptr, nullptr, 0, nullptr, &fresh, nullptr),
            S_OK);
  proxy->SwapInnerEffect(fresh);

  EXPECT_EQ(InnerFloat(proxy, "Intensity"), 0.8f);
  EXPECT_EQ(Param(proxy, "Intensity")->floatValue, 0.8f);
  EXPECT_EQ(InnerFloat(proxy, "Hidden"), 9.0f);
  EXPECT_FLOAT_EQ(Param(proxy, "Tint")->vectorValue.x, 1.0f);  // 4 bytes do not make a colour
  EXPECT_GE(sim::GetEffectActivity(fresh).commits, 1);
}

}  // namespace
