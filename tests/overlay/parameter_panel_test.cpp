// The parameter panel as the player sees and uses it: groups and their
// order, conditions, and the range and items of each widget.
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "overlay_fixture.h"
#include "sim/host_input.h"

namespace {

// Groups and their order, and conditions in the default group.
const char kGroups[] = R"(
float4 Tint < string UIName = "Tint"; string UIGroup = "Color"; > = float4(1, 1, 1, 1);
float FogDepth < string UIName = "Fog Depth"; string UIGroup = "Depth"; int UIGroupOrder = -3; > = 0.5;
float Sun < string UIName = "Sun"; string UIGroup = "Lighting"; int UIOrder = 2; > = 0.5;
float Ambient < string UIName = "Ambient"; string UIGroup = "Lighting"; int UIOrder = 1; > = 0.5;
float Sharpen < string UIName = "Sharpen"; string UIGroup = "Advanced"; int UIGroupOrder = 5; > = 0.5;
float4x4 View < string UIName = "View"; string UIGroup = "Matrices"; int UIGroupOrder = 7; >;
float FogNear < string UIName = "Fog Near"; string UICondition = "EnableFog"; int UIOrder = 1; > = 0.1;
bool EnableFog < string UIName = "Enable Fog"; int UIOrder = 2; > = false;
float FogFar < string UIName = "Fog Far"; string UICondition = "EnableFog"; int UIOrder = 3; > = 0.9;
float Strength < string UIName = "Strength"; int UIOrder = 4; > = 0.5;
float Glow < string UIName = "Glow"; string UICondition = "Strength"; int UIOrder = 5; > = 0.5;
technique T { pass P { } }
)";

const char kWidgets[] = R"(
float Quality < string UIName = "Quality"; string UIWidget = "Combo"; string UIEnum = "Off,Low,High"; > = 1.0;
float Steps < string UIName = "Steps"; string UIWidget = "Combo"; > = 2.0;
float Amount < string UIName = "Amount"; > = 0.5;
technique T { pass P { } }
)";

// Patterns of effects written for other tools.
const char kExtended[] = R"(
float Hidden < string UIName = "Hidden"; string UIWidget = "none"; > = 0.5;
float2 Offset < string UIName = "Offset"; string UIWidget = "None"; > = {0, 0};
float Mode < string UIName = "Mode"; string UIWidget = "combo"; string UIEnum = "A,B"; > = 1;
float3 Fog < string UIName = "Fog"; string UIWidget = "color"; > = {0.25, 0.5, 1};
int Samples < string UIName = "Samples"; int UIMin = 2; int UIMax = 16; > = 4;
int Taps < string UIName = "Taps"; > = 7;
float Gamma < string UIName = "Gamma"; string UIWidget = "Slider"; float UIMin = 1; float UIMax = 3;
              float UIStep = 0.25; > = 2.2;
technique T { pass P { } }
)";

class ParameterPanelTest : public OverlayFixture {
 protected:
  EffectProxy* Open(const char* source, bool extendedAnnotations = false) {
    return OverlayFixture::Open("Post", source,
                                extendedAnnotations ? "[Compatibility]\r\nExtendedAnnotations=1\r\n" : "");
  }
  // The identifier of a widget drawn by the panel of the first tab: the
  // window, the "Shaders" tab bar, the tab's place, its label, the
  // parameter's name, the widget's label.
  ImGuiID PanelWidgetId(const std::string& paramName, const std::string& label) {
    const ImGuiID tabBar = ImHashStr("Shaders", 0, ImGui::FindWindowByName(kOverlayTitle)->ID);
    const int place = 0;
    const ImGuiID tab = ImHashStr("Post###shader", 0, ImHashData(&place, sizeof(place), tabBar));
    return ImHashStr(label.c_str(), 0, ImHashStr(paramName.c_str(), 0, tab));
  }
  // The widgets of the panel, from "Reset all" to the buttons, by the label a
  // player reads next to them. Combos and colour editors report no label of
  // their own: they are known by their identifiers (a colour editor by its
  // first field).
  std::vector<std::string> PanelLabels(EffectProxy* proxy) {
    std::map<ImGuiID, std::string> unlabelled;
    for (const ShaderParam& param : proxy->parameters) {
      unlabelled[PanelWidgetId(param.name, param.uiName)] = param.uiName;
      unlabelled[ImHashStr("##X", 0, PanelWidgetId(param.name, param.uiName))] = param.uiName;
    }
    std::vector<std::string> labels;
    bool inTab = false;
    for (const sim::Widget& widget : Widgets()) {
      if (widget.label == "Force Reload (END)") break;
      if (inTab && unlabelled.count(widget.id)) {
        labels.push_back(unlabelled[widget.id]);
      } else if (inTab && !widget.label.empty() && widget.label.rfind("##", 0) != 0) {
        labels.push_back(widget.label);
      }
      inTab = inTab || widget.label == "Reset all";
    }
    return labels;
  }
};

TEST_F(ParameterPanelTest, GroupsFollowTheirOrderAndAConditionShowsItsDependantsWhileNonZero) {
  EffectProxy* proxy = Open(kGroups);
  EXPECT_EQ(
      PanelLabels(proxy),
      (std::vector<std::string>{"Color", "Tint", "Depth", "Fog Depth", "General", "Enable Fog", "Strength",
                                "Glow", "Lighting", "Ambient", "Sun", "Advanced", "Sharpen", "Matrices"}))
      << "the largest order then the name; a negative group order sorts as 0, a group of matrices shows an "
         "empty header";
  auto general = [&] {
    const auto labels = PanelLabels(proxy);
    const auto start = std::find(labels.begin(), labels.end(), "General");
    return std::vector<std::string>(start + 1, std::find(start, labels.end(), "Lighting"));
  };
  // The tick is recorded at once: the dependant after the box appears in the
  // same frame, the one before it in the next.
  Click(Find("Enable Fog"));
  EXPECT_EQ(general(), (std::vector<std::string>{"Enable Fog", "Fog Far", "Strength", "Glow"}));
  Frame();
  EXPECT_EQ(general(), (std::vector<std::string>{"Fog Near", "Enable Fog", "Fog Far", "Strength", "Glow"}));
  BOOL enabled = FALSE;
  proxy->innerEffect->GetBool("EnableFog", &enabled);
  EXPECT_TRUE(enabled);

  D3DXHANDLE strength = proxy->GetParameterByName(nullptr, "Strength");
  proxy->SetFloat(strength, 0.0f);
  Frame();
  EXPECT_EQ(general().back(), "Strength") << "a slider at 0.0 hides its dependants";
  proxy->SetFloat(strength, -0.0f);
  Frame();
  EXPECT_EQ(general().back(), "Glow") << "at -0.0 it shows them";
}

TEST_F(ParameterPanelTest, SlidersRunOverTheirRangeInThousandthsAndACombosItemsComeFromItsEnum) {
  EffectProxy* proxy = Open(kWidgets);
  const sim::Widget amount = Find("Amount");
  DragTo(amount, amount.right + 40);
  EXPECT_FLOAT_EQ(InnerFloat(proxy, "Amount"), 1.0f) << "without UIMax a slider ends at 1";
  DragTo(Find("Amount"), amount.left - 40);
  EXPECT_FLOAT_EQ(InnerFloat(proxy, "Amount"), 0.0f) << "without UIMin it starts at 0";
  DragTo(Find("Amount"), amount.left + (amount.right - amount.left) / 3);
  const float third = InnerFloat(proxy, "Amount");
  EXPECT_NEAR(third, 1.0f / 3, 0.12f);
  EXPECT_NEAR(third * 1000, std::round(third * 1000), 1e-3) << "values step in thousandths (%.3f)";
  EXPECT_FLOAT_EQ(RecordedFloat(proxy, "Amount"), third) << "sent through the proxy";

  const sim::Widget steps = Find("Steps");
  DragTo(steps, steps.right + 40);
  EXPECT_FLOAT_EQ(InnerFloat(proxy, "Steps"), 10.0f) << "a combo without items is a slider from 0 to 10";
  EXPECT_EQ(Param(proxy, "Steps")->intValue, 2) << "its index is left as it was";
  EXPECT_FLOAT_EQ(RecordedFloat(proxy, "Steps"), 10.0f);

  Click(FindId(PanelWidgetId("Quality", "Quality")));
  Frame();  // a popup takes its size in its second frame
  const auto labels = Labels();
  const auto off = std::find(labels.begin(), labels.end(), "Off");
  ASSERT_NE(off, labels.end()) << "the combo opened";
  EXPECT_EQ(std::vector<std::string>(off, off + 3), (std::vector<std::string>{"Off", "Low", "High"}));
  Click(Find("High"));
  EXPECT_EQ(Param(proxy, "Quality")->intValue, 2);
  EXPECT_FLOAT_EQ(InnerFloat(proxy, "Quality"), 2.0f);
  EXPECT_FLOAT_EQ(RecordedFloat(proxy, "Quality"), 2.0f);
}

TEST_F(ParameterPanelTest, TheExtendedSetHidesNoneEditsColoursOfThreeIntegersAndSteps) {
  EffectProxy* proxy = Open(kExtended, true);
  EXPECT_EQ(PanelLabels(proxy),
            (std::vector<std::string>{"General", "Mode", "Fog", "Samples", "Taps", "Gamma"}));
  EXPECT_EQ(Param(proxy, "Mode")->kind, WidgetKind::Combo) << "widget names in any case";

  const ImGuiID fog = PanelWidgetId("Fog", "Fog");
  DragTo(FindId(ImHashStr("##X", 0, fog)), FindId(ImHashStr("##X", 0, fog)).right + 100);
  D3DXVECTOR4 inner(0, 0, 0, 0);
  proxy->innerEffect->GetVector("Fog", &inner);
  EXPECT_GT(inner.x, 0.25f) << "the colour's first component was dragged";
  EXPECT_EQ(inner.z, 1.0f);
  EXPECT_EQ(proxy->recordedValues.at("Fog").size(), 12u) << "three components, as the effect holds them";
  for (const sim::Widget& widget : Widgets()) EXPECT_NE(widget.id, ImHashStr("##W", 0, fog)) << "no alpha";

  const sim::Widget samples = Find("Samples");
  DragTo(samples, samples.right + 40);
  INT count = 0;
  proxy->innerEffect->GetInt("Samples", &count);
  EXPECT_EQ(count, 16) << "UIMax ends the integer slider";
  const sim::Widget taps = Find("Taps");
  DragTo(taps, taps.right + 40);
  proxy->innerEffect->GetInt("Taps", &count);
  EXPECT_EQ(count, 100) << "without UIMax an integer slider ends at 100";

  const sim::Widget gamma = Find("Gamma");
  DragTo(gamma, gamma.left + (gamma.right - gamma.left) / 3);
  EXPECT_EQ(std::fmod(InnerFloat(proxy, "Gamma") - 1.0f, 0.25f), 0.0f) << "values snap to UIStep";
}

}  // namespace
