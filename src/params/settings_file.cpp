// The player's tuned values in ".\vantorix_settings.ini": one section per
// shader, one key per tunable parameter.
#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/log.h"
#include "effect/effect_proxy.h"
#include "effect/without_throwing.h"
#include "platform/win32.h"

namespace {

const char kSettingsFile[] = ".\\vantorix_settings.ini";

// The value text of one parameter; empty for kinds that are not stored.
std::string ValueText(const ShaderParam& param) {
  switch (param.kind) {
    case WidgetKind::Slider:
    case WidgetKind::Combo: {
      // "%f" of a float needs at most 47 characters ("-3.4e38" written out with six decimals).
      char text[64];
      std::snprintf(text, sizeof(text), "%f", static_cast<double>(param.floatValue));
      return text;
    }
    case WidgetKind::Checkbox:
      return param.boolValue ? "1" : "0";
    case WidgetKind::Color: {
      // Components of any magnitude fit: four "%.3f" of a float take at most 4 * 44 characters.
      char text[256];
      std::snprintf(text, sizeof(text), "%.3f,%.3f,%.3f,%.3f", static_cast<double>(param.vectorValue.x),
                    static_cast<double>(param.vectorValue.y), static_cast<double>(param.vectorValue.z),
                    static_cast<double>(param.vectorValue.w));
      return text;
    }
    case WidgetKind::Color3: {
      char text[256];
      std::snprintf(text, sizeof(text), "%.3f,%.3f,%.3f", static_cast<double>(param.vectorValue.x),
                    static_cast<double>(param.vectorValue.y), static_cast<double>(param.vectorValue.z));
      return text;
    }
    case WidgetKind::IntSlider:
      return std::to_string(param.intValue);
    default:
      return std::string();
  }
}

void ApplyText(EffectProxy& proxy, ShaderParam& param, const char* text) {
  switch (param.kind) {
    case WidgetKind::Slider:
    case WidgetKind::Combo: {
      // Held to the float range: a double beyond it has no float value.
      double parsed = std::atof(text);
      float value = parsed > FLT_MAX ? FLT_MAX : parsed < -FLT_MAX ? -FLT_MAX : static_cast<float>(parsed);
      param.floatValue = value;
      if (param.kind == WidgetKind::Combo) param.intValue = ComboIndex(value);
      proxy.SetFloat(param.handle, value);
      return;
    }
    case WidgetKind::Checkbox:
      param.boolValue = std::atoi(text) != 0;
      proxy.SetBool(param.handle, param.boolValue ? TRUE : FALSE);
      return;
    case WidgetKind::Color: {
      float c[4];
      if (std::sscanf(text, "%f,%f,%f,%f", &c[0], &c[1], &c[2], &c[3]) != 4) return;
      param.vectorValue = D3DXVECTOR4(c[0], c[1], c[2], c[3]);
      proxy.SetVector(param.handle, &param.vectorValue);
      return;
    }
    case WidgetKind::Color3: {
      float c[3];
      if (std::sscanf(text, "%f,%f,%f", &c[0], &c[1], &c[2]) != 3) return;
      param.vectorValue = D3DXVECTOR4(c[0], c[1], c[2], 0.0f);
      proxy.SetFloatArray(param.handle, c, 3);
      return;
    }
    case WidgetKind::IntSlider: {
      // Held to the 32-bit range, as the text can hold any number.
      const long long parsed = std::strtoll(text, nullptr, 10);
      param.intValue = static_cast<std::int32_t>(std::clamp<long long>(parsed, INT32_MIN, INT32_MAX));
      proxy.SetInt(param.handle, param.intValue);
      return;
    }
    default:
      return;
  }
}

}  // namespace

void EffectProxy::LoadParameterSettings() {
  if (innerEffect == nullptr || parameters.empty()) return;
  bool found = false;
  for (ShaderParam& param : parameters) {
    char text[256] = {};
    GetPrivateProfileStringA(shaderName.c_str(), param.name.c_str(), "", text, sizeof(text), kSettingsFile);
    if (text[0] == '\0') continue;
    found = true;
    ApplyText(*this, param, text);
  }
  if (!found) return;
  innerEffect->CommitChanges();
  LogInfo("Loaded settings for %s", shaderName.c_str());
}

void EffectProxy::SaveParameterSettings() {
  if (parameters.empty()) return;
  const bool saved = WithoutThrowing("saving the settings", shaderName, [&] {
    for (const ShaderParam& param : parameters) {
      std::string text = ValueText(param);
      if (!text.empty()) {
        WritePrivateProfileStringA(shaderName.c_str(), param.name.c_str(), text.c_str(), kSettingsFile);
      }
    }
  });
  if (saved) LogInfo("Saved settings for %s to %s", shaderName.c_str(), kSettingsFile);
}
