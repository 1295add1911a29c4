// Evaluates the integer expression of an #if or #elif line.
#pragma once

#include <vector>

#include "fx/diagnostics.h"
#include "fx/token.h"

namespace simfx {

// `tokens` are already macro-expanded with "defined" resolved; identifiers left over count as 0.
// `at` is where errors are reported when the line itself is empty.
bool EvaluateCondition(const std::vector<Token>& tokens, const SourcePos& at, Diagnostics& diagnostics,
                       bool& result);

// Parses an integer literal as C writes it (decimal, 0x hex, 0 octal, u/l suffixes).
bool ParseIntegerLiteral(const std::string& text, long long& value);

}  // namespace simfx
