#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "fx/constant_value.h"

namespace simfx {

namespace {

bool IsNumericType(ParamType type) {
  return type == ParamType::Bool || type == ParamType::Int || type == ParamType::Float;
}

size_t ComponentCount(const Variable& variable) {
  return static_cast<size_t>(variable.rows) * variable.columns * (variable.elements ? variable.elements : 1);
}

std::int32_t ToInt32(double x) {
  if (!std::isfinite(x)) return 0;
  x = std::trunc(x);
  if (x <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  if (x >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(x);
}

void WriteComponent(ParamType type, double x, std::uint8_t* out) {
  if (type == ParamType::Float) {
    float f = static_cast<float>(x);
    std::memcpy(out, &f, 4);
  } else {
    std::int32_t i = type == ParamType::Bool ? (x != 0 ? 1 : 0) : ToInt32(x);
    std::memcpy(out, &i, 4);
  }
}

std::string Describe(const Variable& variable) {
  TypeDesc desc;
  desc.cls = variable.cls;
  desc.type = variable.type;
  desc.rows = variable.rows;
  desc.columns = variable.columns;
  std::string name = TypeName(desc);
  if (variable.elements) name += "[" + std::to_string(variable.elements) + "]";
  return name;
}

}  // namespace

void ClearValue(Variable& variable) {
  variable.data.clear();
  variable.stringValue.clear();
  if (IsNumericType(variable.type) && variable.cls != ParamClass::Object &&
      variable.cls != ParamClass::Struct)
    variable.data.assign(4 * ComponentCount(variable), 0);
}

bool StoreValue(const ConstValue& value, const Token& at, Diagnostics& diagnostics, Variable& variable) {
  if (variable.type == ParamType::String) {
    if (!value.isString) {
      diagnostics.Error(at.pos, code::kConversion,
                        "cannot convert a number to string for '" + variable.name + "'");
      return false;
    }
    variable.stringValue = value.text;
    return true;
  }
  if (value.isString) {
    diagnostics.Error(at.pos, code::kConversion,
                      "cannot convert a string to " + Describe(variable) + " for '" + variable.name + "'");
    return false;
  }
  ClearValue(variable);
  size_t needed = ComponentCount(variable);
  size_t given = value.numbers.size();
  if (given != needed && given != 1 && (given < needed || value.braced)) {
    diagnostics.Error(at.pos, code::kConversion,
                      "'" + variable.name + "' of type " + Describe(variable) + " needs " +
                          std::to_string(needed) + " values, the initializer has " + std::to_string(given));
    return false;
  }
  if (given > needed) diagnostics.Warning(at.pos, code::kTruncation, "implicit truncation of vector type");
  for (size_t i = 0; i < needed; ++i)
    WriteComponent(variable.type, value.numbers[given == 1 ? 0 : i], &variable.data[4 * i]);
  return true;
}

ConstValue LoadValue(const Variable& variable) {
  ConstValue value;
  if (variable.type == ParamType::String) {
    value.isString = true;
    value.text = variable.stringValue;
    return value;
  }
  value.integral = variable.type != ParamType::Float;
  for (size_t i = 0; i + 4 <= variable.data.size(); i += 4) {
    if (variable.type == ParamType::Float) {
      float f;
      std::memcpy(&f, &variable.data[i], 4);
      value.numbers.push_back(f);
    } else {
      std::int32_t n;
      std::memcpy(&n, &variable.data[i], 4);
      value.numbers.push_back(n);
    }
  }
  return value;
}

}  // namespace simfx
