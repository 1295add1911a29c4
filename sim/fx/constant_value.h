// Constant initializers of effect parameters and annotations: evaluation and storage.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fx/diagnostics.h"
#include "fx/fx_model.h"
#include "fx/token_cursor.h"
#include "fx/type_names.h"

namespace simfx {

// The value of a constant expression: a string or a flat list of numeric components.
struct ConstValue {
  bool isString = false;
  std::string text;
  std::vector<double> numbers;
  bool integral = true;  // every component came from integer literals and integer arithmetic
  bool braced = false;   // written as a { ... } list
};

// Names that an expression may use besides literals and built-in types.
struct ConstantScope {
  // The value of an earlier declared parameter.
  std::function<bool(const std::string& name, ConstValue& value)> constant;
  // A typedef name usable as a constructor, e.g. "color(1, 0, 0, 1)".
  std::function<bool(const std::string& name, TypeDesc& desc)> type;
};

// Parses an initializer: a brace list (nested lists flatten) or an expression made of literals,
// adjacent string literals, signs, + - * / %, parentheses, casts, constructors such as
// float4(float3(1, 2, 3), 1), a few intrinsic functions and names of earlier parameters.
bool ParseInitializer(TokenCursor& cursor, const ConstantScope& scope, Diagnostics& diagnostics,
                      ConstValue& value);

// Parses an expression (no brace list), e.g. an array size.
bool ParseConstantExpression(TokenCursor& cursor, const ConstantScope& scope, Diagnostics& diagnostics,
                             ConstValue& value);

// Converts `value` to the variable's type and stores it in `data` or `stringValue`.
// A single number fills every component; extra components of a non-list value are dropped
// with a truncation warning.
bool StoreValue(const ConstValue& value, const Token& at, Diagnostics& diagnostics, Variable& variable);

// Zero-filled data of the right size for a numeric variable; nothing for other types.
void ClearValue(Variable& variable);

// The numbers held by a numeric variable's data.
ConstValue LoadValue(const Variable& variable);

}  // namespace simfx
