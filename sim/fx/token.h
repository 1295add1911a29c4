// Tokens shared by the preprocessor and the declaration parser.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace simfx {

// Where a token was written: index into the compile's file table, 1-based line and column.
struct SourcePos {
  int file = 0;
  int line = 1;
  int column = 1;
};

enum class TokenKind {
  Identifier,
  Number,
  String,  // text keeps the quotes and escapes as written
  Punct,
  Newline,
  EndOfFile,
  Invalid,  // a lexing problem, reported only when the token is used (not in skipped blocks)
  Pragma,   // a pragma that the parser must see, e.g. "pack_matrix row_major"
};

// Names of the macros that may not expand a token again; shared between tokens, null when empty.
using HideSet = std::shared_ptr<const std::vector<std::string>>;

struct Token {
  TokenKind kind = TokenKind::EndOfFile;
  std::string text;
  SourcePos pos;
  bool spaceBefore = false;
  HideSet hideSet;

  bool IsPunct(const char* punct) const { return kind == TokenKind::Punct && text == punct; }
  bool IsIdentifier(const char* name) const { return kind == TokenKind::Identifier && text == name; }
};

}  // namespace simfx
