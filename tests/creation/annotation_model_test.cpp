// The tunable-parameter list a modder gets from the "UI" annotations of a
// real effect file.
#include <cstdio>

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

// A parameter as the panel gets it, on one line: name, widget, label,
// group/group order, order, and what the widget shows.
std::string Describe(const ShaderParam& p) {
  static const char* const kKinds[] = {"Slider", "Color", "Checkbox", "None", "Combo", "Color3", "IntSlider"};
  char text[512];
  int at = std::snprintf(text, sizeof(text), "%s %s '%s' %s/%d #%d", p.name.c_str(),
                         kKinds[static_cast<int>(p.kind)], p.uiName.c_str(), p.group.c_str(), p.groupOrder,
                         p.order);
  const D3DXVECTOR4& v = p.vectorValue;
  if (p.kind == WidgetKind::Slider)
    std::snprintf(text + at, sizeof(text) - at, " %g..%g = %g", p.minValue, p.maxValue, p.floatValue);
  if (p.kind == WidgetKind::Checkbox) std::snprintf(text + at, sizeof(text) - at, " = %d", p.boolValue);
  if (p.kind == WidgetKind::Color)
    std::snprintf(text + at, sizeof(text) - at, " = %g,%g,%g,%g", v.x, v.y, v.z, v.w);
  if (p.kind == WidgetKind::Combo)
    std::snprintf(text + at, sizeof(text) - at, " = %g -> %d", p.floatValue, p.intValue);
  std::string line = text;
  if (p.kind == WidgetKind::Combo) {
    line += " [";
    for (char c : p.comboItems) line += c ? c : '|';
    line += "]";
  }
  if (!p.condition.empty()) line += " if " + p.condition;
  return line;
}

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

// Orders are ten times the parameter's index unless UIOrder is an integer;
// labels and groups that are not strings are ignored; only "Combo" makes a combo.
TEST_F(AnnotationModelTest, ListsParametersWithAUINameAsThePanelShowsThem) {
  std::vector<std::string> described;
  for (const auto& p : proxy->parameters) described.push_back(Describe(p));
  EXPECT_EQ(described, (std::vector<std::string>{
                           "Intensity Slider 'Bloom Intensity' Bloom/2 #5 0..4 = 0.75",
                           "Threshold Slider 'Threshold' General/0 #20 0..1 = 0.3",
                           "Radius Slider 'Radius' Bloom/0 #0 0..1 = 2",
                           "Quality Combo 'Quality' General/0 #40 = 2.7 -> 2 [ Off|Low| High||]",
                           "Mode Slider 'Mode' General/0 #50 0..3 = 0.5",
                           "Steps Combo 'Steps' General/0 #60 = -0.5 -> 0 []",
                           "Blank Combo 'Blank' General/0 #70 = 1 -> 1 [||]",
                           "EnableFog Checkbox 'Fog' General/0 #80 = 1",
                           "Tint Color 'Tint' General/0 #90 = 1,0.9,0.8,1 if EnableFog",
                           "SunDir None 'Sun' General/0 #100",
                           "Exposure Slider 'Exposure' General/0 #110 0..1 = 1",
                           "Samples None 'Samples' General/0 #120",
                           "NoiseTex None 'Noise' General/0 #130",
                       }));
  // Every parameter's handle is remembered, so host values for it are recorded too.
  EXPECT_EQ(proxy->parameterNames.size(), 15u);
}

}  // namespace
