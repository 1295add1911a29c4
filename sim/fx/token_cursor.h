// Reads the preprocessed token list for the declaration parser.
#pragma once

#include <vector>

#include "fx/diagnostics.h"
#include "fx/token.h"

namespace simfx {

class TokenCursor {
 public:
  // `tokens` must end with an EndOfFile token.
  explicit TokenCursor(std::vector<Token> tokens);

  const Token& Peek(size_t ahead = 0) const;
  const Token& Take();
  bool AtEnd() const { return Peek().kind == TokenKind::EndOfFile; }
  bool PeekPunct(const char* punct) const { return Peek().IsPunct(punct); }
  bool TakePunct(const char* punct);

  // Takes the '>' that closes an annotation block or a template argument list. A ">=" or ">>"
  // written without a blank ("...; >= 0.5;") is split, leaving "=" or ">" to be read next.
  bool TakeClosingAngle();

  // Consumes an opening bracket and everything up to its matching closer.
  bool SkipBalanced(Diagnostics& diagnostics);

  // The reading position, and a return to it after a trial parse.
  size_t Mark() const { return next_; }
  void Rewind(size_t mark) { next_ = mark < tokens_.size() ? mark : tokens_.size() - 1; }

 private:
  std::vector<Token> tokens_;
  size_t next_ = 0;
};

// Reports "syntax error: unexpected ..." at `token`; always returns false.
bool SyntaxError(Diagnostics& diagnostics, const Token& token);

}  // namespace simfx
