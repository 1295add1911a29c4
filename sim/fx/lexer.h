// Splits one source buffer into preprocessing tokens.
#pragma once

#include <string>
#include <vector>

#include "fx/token.h"

namespace simfx {

// Tokens of `text` with Newline tokens at every line end, closed by one EndOfFile token.
// Backslash-newline continuations are joined and comments dropped; positions refer to the
// physical lines of `text`. Problems become Invalid tokens instead of failing the whole buffer.
std::vector<Token> LexSource(const std::string& text, int file);

// Message for an Invalid token.
std::string InvalidTokenMessage(const Token& token);

// The characters of a string literal token without its quotes, with escape sequences resolved.
std::string DecodeStringLiteral(const std::string& raw);

bool IsIdentifierStart(char c);
bool IsIdentifierChar(char c);

}  // namespace simfx
