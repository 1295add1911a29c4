// One tunable effect parameter, read from its "UI..." annotations, and the
// widget that edits it.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/direct3d.h"

// Any value other than Slider, Color, Checkbox and Combo is handled as None.
enum class WidgetKind : std::int32_t { Slider = 0, Color = 1, Checkbox = 2, None = 3, Combo = 4 };

// The combo index a float selects: truncated toward zero, held to the 32-bit
// range (values from files and effects can be anything), NaN as 0.
inline std::int32_t ComboIndex(float value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0f) return INT32_MAX;
  if (value <= -2147483648.0f) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

struct ShaderParam {
  std::string name;
  std::string uiName;
  std::string group;
  std::string condition;  // name of the parameter that shows or hides this one
  std::int32_t order = 0;
  std::int32_t groupOrder = 0;
  WidgetKind kind = WidgetKind::None;
  D3DXHANDLE handle = nullptr;
  float minValue = 0.0f;
  float maxValue = 1.0f;
  float floatValue = 0.0f;
  bool boolValue = false;
  std::int32_t intValue = 0;
  D3DXVECTOR4 vectorValue{0.0f, 0.0f, 0.0f, 0.0f};
  // NUL-terminated item texts closed by an empty text.
  std::vector<char> comboItems;
  // The effect file's values at the latest successful compile.
  float defaultFloat = 0.0f;
  bool defaultBool = false;
  D3DXVECTOR4 defaultVector{0.0f, 0.0f, 0.0f, 0.0f};
};
