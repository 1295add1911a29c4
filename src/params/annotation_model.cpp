// Builds a proxy's tunable parameters from the "UI" annotations of its
// effect, and pushes recorded values into a new effect after a reload.
#include <cctype>
#include <cstring>

#include "core/config.h"
#include "core/log.h"
#include "effect/effect_proxy.h"

namespace {

// The annotation's string, or null when it is missing or not readable as one.
LPCSTR AnnotationString(ID3DXEffect* effect, D3DXHANDLE parameter, LPCSTR name) {
  D3DXHANDLE annotation = effect->GetAnnotationByName(parameter, name);
  if (annotation == nullptr) return nullptr;
  LPCSTR text = nullptr;
  if (FAILED(effect->GetString(annotation, &text))) return nullptr;
  return text;
}

// Items separated by NULs and closed by an empty item, as the combo widget reads them.
std::vector<char> ComboItems(const char* enumText) {
  std::vector<char> items(enumText, enumText + std::strlen(enumText));
  for (char& c : items) {
    if (c == ',') c = '\0';
  }
  items.push_back('\0');
  items.push_back('\0');
  return items;
}

// Widget texts are compared exactly, or without regard to case with the
// extended annotation set ("combo", "color" and "none" are common there).
bool WidgetIs(LPCSTR widget, const char* name, bool extended) {
  if (widget == nullptr) return false;
  if (!extended) return std::strcmp(widget, name) == 0;
  for (; *widget != '\0' && *name != '\0'; ++widget, ++name) {
    if (std::tolower(static_cast<unsigned char>(*widget)) != std::tolower(static_cast<unsigned char>(*name)))
      return false;
  }
  return *widget == *name;
}

void ReadInt(ID3DXEffect* effect, D3DXHANDLE h, LPCSTR annotation, std::int32_t& value) {
  INT read = 0;
  D3DXHANDLE found = effect->GetAnnotationByName(h, annotation);
  if (found != nullptr && SUCCEEDED(effect->GetInt(found, &read))) value = read;
}

// The parameter's widget and current value. False when the extended set
// hides the parameter ("UIWidget" "None").
bool ReadKindAndValue(ID3DXEffect* effect, D3DXHANDLE h, const D3DXPARAMETER_DESC& desc, bool extended,
                      ShaderParam& param) {
  LPCSTR widget = AnnotationString(effect, h, "UIWidget");
  if (extended && WidgetIs(widget, "None", true)) return false;
  if (desc.Class == D3DXPC_SCALAR && desc.Type == D3DXPT_FLOAT) {
    effect->GetFloat(h, &param.floatValue);
    if (WidgetIs(widget, "Combo", extended)) {
      param.kind = WidgetKind::Combo;
      param.intValue = ComboIndex(param.floatValue);
      if (LPCSTR items = AnnotationString(effect, h, "UIEnum")) param.comboItems = ComboItems(items);
      return true;
    }
    param.kind = WidgetKind::Slider;
    if (D3DXHANDLE min = effect->GetAnnotationByName(h, "UIMin")) effect->GetFloat(min, &param.minValue);
    if (D3DXHANDLE max = effect->GetAnnotationByName(h, "UIMax")) effect->GetFloat(max, &param.maxValue);
    D3DXHANDLE step = extended ? effect->GetAnnotationByName(h, "UIStep") : nullptr;
    if (step != nullptr) effect->GetFloat(step, &param.step);
  } else if (desc.Class == D3DXPC_SCALAR && desc.Type == D3DXPT_BOOL) {
    param.kind = WidgetKind::Checkbox;
    BOOL value = FALSE;
    effect->GetBool(h, &value);
    param.boolValue = value != FALSE;
  } else if (desc.Class == D3DXPC_VECTOR && desc.Type == D3DXPT_FLOAT && desc.Bytes == 16) {
    param.kind = WidgetKind::Color;
    D3DXVECTOR4 value(0, 0, 0, 0);
    if (SUCCEEDED(effect->GetVector(h, &value))) param.vectorValue = value;
  } else if (extended && desc.Class == D3DXPC_VECTOR && desc.Type == D3DXPT_FLOAT && desc.Bytes == 12 &&
             WidgetIs(widget, "Color", true)) {
    param.kind = WidgetKind::Color3;
    D3DXVECTOR4 value(0, 0, 0, 0);
    if (SUCCEEDED(effect->GetVector(h, &value)))
      param.vectorValue = D3DXVECTOR4(value.x, value.y, value.z, 0);
  } else if (extended && desc.Class == D3DXPC_SCALAR && desc.Type == D3DXPT_INT && desc.Bytes == 4) {
    param.kind = WidgetKind::IntSlider;
    INT value = 0;
    if (SUCCEEDED(effect->GetInt(h, &value))) param.intValue = value;
    ReadInt(effect, h, "UIMin", param.intMin);
    ReadInt(effect, h, "UIMax", param.intMax);
  }
  return true;
}

// Brings a record's cached value in line with recorded bytes.
void ApplyBytes(ShaderParam& param, const std::vector<std::uint8_t>& bytes) {
  switch (param.kind) {
    case WidgetKind::Slider:
    case WidgetKind::Combo:
      if (bytes.size() < 4) return;
      std::memcpy(&param.floatValue, bytes.data(), 4);
      if (param.kind == WidgetKind::Combo) param.intValue = ComboIndex(param.floatValue);
      return;
    case WidgetKind::Checkbox: {
      if (bytes.size() < 4) return;
      std::int32_t value;
      std::memcpy(&value, bytes.data(), 4);
      param.boolValue = value != 0;
      return;
    }
    case WidgetKind::Color:
      if (bytes.size() < 16) return;
      std::memcpy(&param.vectorValue, bytes.data(), 16);
      return;
    case WidgetKind::Color3: {
      if (bytes.size() < 12) return;
      float c[3];
      std::memcpy(c, bytes.data(), 12);
      param.vectorValue = D3DXVECTOR4(c[0], c[1], c[2], param.vectorValue.w);
      return;
    }
    case WidgetKind::IntSlider:
      if (bytes.size() < 4) return;
      std::memcpy(&param.intValue, bytes.data(), 4);
      return;
    default:
      return;
  }
}

// Writes recorded bytes the way a setter of their size would, when that size
// is one the parameter takes whole: its own size, or a four-component vector
// or a 4x4 matrix per element. A float that became a float4, or an array that
// shrank, is not written.
bool WriteRecordedValue(ID3DXEffect* effect, D3DXHANDLE h, const std::vector<std::uint8_t>& bytes) {
  D3DXPARAMETER_DESC desc{};
  if (FAILED(effect->GetParameterDesc(h, &desc))) return false;
  const auto size = static_cast<UINT>(bytes.size());
  if (desc.Type == D3DXPT_STRING)
    return SUCCEEDED(effect->SetString(h, reinterpret_cast<LPCSTR>(bytes.data())));
  if (size == desc.Bytes) return SUCCEEDED(effect->SetValue(h, bytes.data(), size));
  const UINT count = desc.Elements > 0 ? desc.Elements : 1;
  const bool matrix = desc.Class == D3DXPC_MATRIX_ROWS || desc.Class == D3DXPC_MATRIX_COLUMNS;
  if (desc.Class == D3DXPC_VECTOR && size == count * sizeof(D3DXVECTOR4)) {
    return SUCCEEDED(effect->SetVectorArray(h, reinterpret_cast<const D3DXVECTOR4*>(bytes.data()), count));
  }
  if (matrix && size == count * sizeof(D3DXMATRIX)) {
    return SUCCEEDED(effect->SetMatrixArray(h, reinterpret_cast<const D3DXMATRIX*>(bytes.data()), count));
  }
  return false;
}

}  // namespace

void EffectProxy::ParseParameterAnnotations(ID3DXEffect* effect) {
  parameters.clear();
  ForgetModelOnlyHandles();
  D3DXEFFECT_DESC effectDesc;
  std::memset(&effectDesc, 0, sizeof(effectDesc));
  if (FAILED(effect->GetDesc(&effectDesc))) return;
  for (UINT i = 0; i < effectDesc.Parameters; ++i) {
    D3DXHANDLE h = effect->GetParameter(nullptr, i);
    RememberModelHandle(h);
    D3DXPARAMETER_DESC desc;
    std::memset(&desc, 0, sizeof(desc));
    if (FAILED(effect->GetParameterDesc(h, &desc))) continue;
    D3DXHANDLE uiName = effect->GetAnnotationByName(h, "UIName");
    if (uiName == nullptr) continue;

    ShaderParam param;
    param.name = desc.Name != nullptr ? desc.Name : "";
    param.handle = h;
    LPCSTR label = nullptr;
    param.uiName = SUCCEEDED(effect->GetString(uiName, &label)) && label != nullptr ? label : param.name;
    LPCSTR group = AnnotationString(effect, h, "UIGroup");
    param.group = group != nullptr ? group : "General";
    if (D3DXHANDLE groupOrder = effect->GetAnnotationByName(h, "UIGroupOrder")) {
      INT value = 0;
      if (SUCCEEDED(effect->GetInt(groupOrder, &value))) param.groupOrder = value;
    }
    D3DXHANDLE order = effect->GetAnnotationByName(h, "UIOrder");
    if (order == nullptr) {
      param.order = static_cast<std::int32_t>(i * 10);
    } else {
      INT value = 0;
      param.order = SUCCEEDED(effect->GetInt(order, &value)) ? value : 0;
    }
    if (LPCSTR condition = AnnotationString(effect, h, "UICondition")) param.condition = condition;
    if (!ReadKindAndValue(effect, h, desc, loaderConfig.ExtendedAnnotations != 0, param)) continue;
    param.defaultFloat = param.floatValue;
    param.defaultBool = param.boolValue;
    param.defaultVector = param.vectorValue;
    param.defaultInt = param.intValue;
    // Defaults are not recorded: a value nobody set follows the file at the
    // next reload, and the panel reads it from the cached value.
    parameters.push_back(param);
  }
}

void EffectProxy::RestoreRecordedValues(ID3DXEffect* effect) {
  for (const auto& entry : recordedValues) {
    D3DXHANDLE h = effect->GetParameterByName(nullptr, entry.first.c_str());
    if (h == nullptr) continue;  // gone from the file
    if (!WriteRecordedValue(effect, h, entry.second)) {
      LogWarn("Recorded value of %s no longer fits the reloaded parameter of %s: not written",
              entry.first.c_str(), shaderName.c_str());
      continue;
    }
    for (ShaderParam& param : parameters) {
      if (param.name == entry.first) ApplyBytes(param, entry.second);
    }
  }
  for (const auto& entry : recordedTextures) {
    if (D3DXHANDLE h = effect->GetParameterByName(nullptr, entry.first.c_str()))
      effect->SetTexture(h, entry.second);
  }
  effect->CommitChanges();
}
