// One tunable effect parameter, read from its "UI..." annotations, and the
// widget that edits it.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/direct3d.h"

// Any value other than those below is handled as None. Color3 and IntSlider
// come only from the extended annotation set.
enum class WidgetKind : std::int32_t {
  Slider = 0,
  Color = 1,
  Checkbox = 2,
  None = 3,
  Combo = 4,
  Color3 = 5,     // three-component colour, in vectorValue's x, y, z
  IntSlider = 6,  // integer scalar, in intValue, range intMin..intMax
};

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
  float step = 0.0f;  // a Slider's values snap to multiples of it above minValue; 0: no step
  std::int32_t intMin = 0;
  std::int32_t intMax = 100;
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
  std::int32_t defaultInt = 0;
};
