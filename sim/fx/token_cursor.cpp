#include "fx/token_cursor.h"

#include <utility>

namespace simfx {

TokenCursor::TokenCursor(std::vector<Token> tokens) : tokens_(std::move(tokens)) {
  if (tokens_.empty() || tokens_.back().kind != TokenKind::EndOfFile) tokens_.emplace_back();
}

const Token& TokenCursor::Peek(size_t ahead) const {
  size_t at = next_ + ahead;
  return at < tokens_.size() ? tokens_[at] : tokens_.back();
}

const Token& TokenCursor::Take() {
  const Token& t = Peek();
  if (next_ + 1 < tokens_.size()) ++next_;
  return t;
}

bool TokenCursor::TakePunct(const char* punct) {
  if (!PeekPunct(punct)) return false;
  Take();
  return true;
}

bool TokenCursor::TakeClosingAngle() {
  if (TakePunct(">")) return true;
  Token& t = tokens_[next_];
  if (t.kind != TokenKind::Punct || t.text.size() < 2 || t.text[0] != '>') return false;
  t.text.erase(0, 1);
  t.pos.column += 1;
  t.spaceBefore = false;
  return true;
}

bool TokenCursor::SkipBalanced(Diagnostics& diagnostics) {
  int depth = 0;
  do {
    const Token& t = Take();
    if (t.kind == TokenKind::EndOfFile) return SyntaxError(diagnostics, t);
    if (t.IsPunct("(") || t.IsPunct("{") || t.IsPunct("[")) ++depth;
    if (t.IsPunct(")") || t.IsPunct("}") || t.IsPunct("]")) --depth;
  } while (depth > 0);
  return true;
}

bool SyntaxError(Diagnostics& diagnostics, const Token& token) {
  diagnostics.Error(token.pos, code::kSyntax, "syntax error: unexpected " + DescribeToken(token));
  return false;
}

}  // namespace simfx
