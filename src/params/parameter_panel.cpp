// EffectProxy::DrawParameterPanel: the tunable parameters of one shader as
// Dear ImGui widgets, one collapsing header per group, every change sent
// through the proxy's own setters so that it is recorded and survives hot
// reloads.
#include <imgui.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <map>

#include "effect/effect_proxy.h"
#include "effect/without_throwing.h"

namespace {

struct ParamGroup {
  std::string name;
  std::int32_t order = 0;  // the largest groupOrder of its members, never below 0
  std::vector<ShaderParam*> members;
};

// Groups by name; groups come in ascending order, ties by name.
std::vector<ParamGroup*> SortedGroups(std::map<std::string, ParamGroup>& groups) {
  std::vector<ParamGroup*> sorted;
  for (auto& entry : groups) sorted.push_back(&entry.second);
  std::sort(sorted.begin(), sorted.end(), [](const ParamGroup* a, const ParamGroup* b) {
    if (a->order != b->order) return a->order < b->order;
    return a->name < b->name;
  });
  return sorted;
}

// The first four bytes of a controller's value: the last value set through
// the proxy, else (nobody set it) the tunable parameter's current value.
bool ControllerWord(const std::string& name, const std::map<std::string, std::vector<std::uint8_t>>& recorded,
                    const std::vector<ShaderParam>& parameters, std::int32_t& word) {
  const auto found = recorded.find(name);
  if (found != recorded.end()) {
    if (found->second.size() < 4) return false;
    std::memcpy(&word, found->second.data(), sizeof(word));
    return true;
  }
  for (const ShaderParam& controller : parameters) {
    if (controller.name != name) continue;
    switch (controller.kind) {
      case WidgetKind::Slider:
      case WidgetKind::Combo:
        std::memcpy(&word, &controller.floatValue, sizeof(word));
        return true;
      case WidgetKind::Checkbox:
        word = controller.boolValue ? 1 : 0;
        return true;
      case WidgetKind::Color:
        std::memcpy(&word, &controller.vectorValue.x, sizeof(word));
        return true;
      default:
        return false;
    }
  }
  return false;
}

// A member whose controlling parameter holds a value whose first four bytes
// are zero (false, 0, 0.0f; not -0.0f) is hidden.
bool HiddenByCondition(const ShaderParam& param,
                       const std::map<std::string, std::vector<std::uint8_t>>& recorded,
                       const std::vector<ShaderParam>& parameters) {
  std::int32_t word = 1;
  return !param.condition.empty() && ControllerWord(param.condition, recorded, parameters, word) && word == 0;
}

// Values from effect and settings files can be anything, but Dear ImGui
// wants slider bounds within half the float range, and turns the value and
// the colour components into integers to place and show them, which no NaN
// and no huge value survives. The widgets therefore get copies held to what
// the library takes; a copy is written back only when the player edits it.
constexpr float kColourLimit = 1.0e6f;

float SliderBound(float value, float fallback) {
  if (std::isnan(value)) return fallback;
  return std::clamp(value, -FLT_MAX / 2.0f, FLT_MAX / 2.0f);
}

// With a step, the value moves to the nearest multiple of it above the
// minimum, kept within the range.
float Snapped(float value, float low, float high, float step) {
  if (!(step > 0.0f) || !std::isfinite(step)) return value;
  const double steps = std::round((static_cast<double>(value) - low) / step);
  const double snapped = std::clamp(low + steps * step, static_cast<double>(std::min(low, high)),
                                    static_cast<double>(std::max(low, high)));
  return static_cast<float>(snapped);
}

bool SliderWidget(const char* label, float& value, float minimum, float maximum, float step = 0.0f) {
  const float low = SliderBound(minimum, 0.0f);
  const float high = SliderBound(maximum, 1.0f);
  float shown = std::isnan(value) ? low : value;
  if (!ImGui::SliderFloat(label, &shown, low, high, "%.3f", 0)) return false;
  value = Snapped(shown, low, high, step);
  return true;
}

// Dear ImGui wants integer slider bounds within half the 32-bit range.
bool IntSliderWidget(const char* label, std::int32_t& value, std::int32_t minimum, std::int32_t maximum) {
  const std::int32_t low = std::clamp(minimum, INT32_MIN / 2, INT32_MAX / 2);
  const std::int32_t high = std::clamp(maximum, INT32_MIN / 2, INT32_MAX / 2);
  return ImGui::SliderInt(label, &value, low, high, "%d", 0);
}

// A four-component colour editor, or a three-component one for a Color3.
bool ColourWidget(const char* label, D3DXVECTOR4& colour, int components) {
  float shown[4] = {colour.x, colour.y, colour.z, colour.w};
  for (float& c : shown) c = std::isnan(c) ? 0.0f : std::clamp(c, -kColourLimit, kColourLimit);
  const bool changed =
      components == 3 ? ImGui::ColorEdit3(label, shown, 0) : ImGui::ColorEdit4(label, shown, 0);
  if (!changed) return false;
  colour = D3DXVECTOR4(shown[0], shown[1], shown[2], components == 3 ? colour.w : shown[3]);
  return true;
}

// Everything that allocates happens here, before the first widget, so that
// running out of memory leaves Dear ImGui's frame balanced.
void GroupParameters(std::vector<ShaderParam>& parameters, std::map<std::string, ParamGroup>& groups,
                     std::vector<ParamGroup*>& sorted) {
  for (ShaderParam& param : parameters) {
    ParamGroup& group = groups[param.group];
    group.name = param.group;
    group.members.push_back(&param);
    if (param.groupOrder > group.order) group.order = param.groupOrder;
  }
  sorted = SortedGroups(groups);
}

}  // namespace

void EffectProxy::DrawParameterPanel() {
  if (parameters.empty()) return;
  if (ImGui::Button("Reset all")) ResetAllParametersToDefault();

  std::map<std::string, ParamGroup> groups;
  std::vector<ParamGroup*> sorted;
  if (!WithoutThrowing("drawing the parameters", shaderName,
                       [&] { GroupParameters(parameters, groups, sorted); }))
    return;
  for (ParamGroup* group : sorted) {
    std::sort(group->members.begin(), group->members.end(),
              [](const ShaderParam* a, const ShaderParam* b) { return a->order < b->order; });
    if (!ImGui::CollapsingHeader(group->name.c_str(), ImGuiTreeNodeFlags_DefaultOpen)) continue;
    for (ShaderParam* p : group->members) {
      if (HiddenByCondition(*p, recordedValues, parameters)) continue;
      ImGui::PushID(p->name.c_str());
      const char* label = p->uiName.c_str();
      switch (p->kind) {
        case WidgetKind::Slider:
          if (SliderWidget(label, p->floatValue, p->minValue, p->maxValue, p->step))
            SetFloat(p->handle, p->floatValue);
          break;
        case WidgetKind::Color:
          if (ColourWidget(label, p->vectorValue, 4)) SetVector(p->handle, &p->vectorValue);
          break;
        case WidgetKind::Color3:
          // Three floats, so that the recorded bytes fit the float3.
          if (ColourWidget(label, p->vectorValue, 3)) SetFloatArray(p->handle, &p->vectorValue.x, 3);
          break;
        case WidgetKind::IntSlider:
          if (IntSliderWidget(label, p->intValue, p->intMin, p->intMax)) SetInt(p->handle, p->intValue);
          break;
        case WidgetKind::Checkbox:
          if (ImGui::Checkbox(label, &p->boolValue)) SetBool(p->handle, p->boolValue ? TRUE : FALSE);
          break;
        case WidgetKind::Combo:
          if (!p->comboItems.empty()) {
            if (ImGui::Combo(label, &p->intValue, p->comboItems.data(), -1)) {
              p->floatValue = static_cast<float>(p->intValue);
              SetFloat(p->handle, p->floatValue);
            }
          } else if (SliderWidget(label, p->floatValue, 0.0f, 10.0f)) {
            SetFloat(p->handle, p->floatValue);
          }
          break;
        default:
          break;
      }
      if (p->kind != WidgetKind::None && ImGui::BeginPopupContextItem("##defaults")) {
        if (ImGui::MenuItem("Reset to default")) ResetParameterToDefault(*p);
        ImGui::EndPopup();
      }
      ImGui::PopID();
    }
  }
}

void EffectProxy::ResetParameterToDefault(ShaderParam& param) {
  switch (param.kind) {
    case WidgetKind::Slider:
    case WidgetKind::Combo:
      param.floatValue = param.defaultFloat;
      param.intValue = ComboIndex(param.floatValue);
      SetFloat(param.handle, param.floatValue);
      break;
    case WidgetKind::Checkbox:
      param.boolValue = param.defaultBool;
      SetBool(param.handle, param.boolValue ? TRUE : FALSE);
      break;
    case WidgetKind::Color:
      param.vectorValue = param.defaultVector;
      SetVector(param.handle, &param.vectorValue);
      break;
    case WidgetKind::Color3:
      param.vectorValue = param.defaultVector;
      SetFloatArray(param.handle, &param.vectorValue.x, 3);
      break;
    case WidgetKind::IntSlider:
      param.intValue = param.defaultInt;
      SetInt(param.handle, param.intValue);
      break;
    default:
      return;
  }
  // Back at the default, the value follows the file again at the next reload.
  ForgetRecordedValue(param.name);
}

void EffectProxy::ResetAllParametersToDefault() {
  for (ShaderParam& param : parameters) ResetParameterToDefault(param);
}
