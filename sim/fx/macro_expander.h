// Expands preprocessor macros in a token stream (rescanning with hide sets, so a macro
// never expands inside its own expansion).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fx/diagnostics.h"
#include "fx/token.h"

namespace simfx {

struct Macro {
  bool functionLike = false;
  bool variadic = false;  // last parameter is "..." and named __VA_ARGS__
  std::vector<std::string> params;
  std::vector<Token> body;
};

// Shared so that an expansion in progress keeps its definition when a directive replaces it.
using MacroTable = std::map<std::string, std::shared_ptr<const Macro>>;

// Shared limits that keep pathological macro definitions from exhausting time or memory.
struct ExpansionBudget {
  long expansionsLeft = 100000;
};

class MacroExpander {
 public:
  // Delivers the next unexpanded token; an EndOfFile token at the end. False on error.
  using Source = std::function<bool(Token&)>;

  MacroExpander(const MacroTable& macros, Diagnostics& diagnostics, ExpansionBudget& budget, Source source,
                int depth = 0);

  // The next fully expanded token. False on error (already reported).
  bool Next(Token& out);

  // Expands a finished token list on its own (macro arguments, #if and #include lines).
  bool ExpandList(const std::vector<Token>& tokens, std::vector<Token>& out);

 private:
  bool Pull(Token& out);
  bool CollectArguments(const Token& nameToken, const Macro& macro, std::vector<std::vector<Token>>& args,
                        Token& closing);
  bool Substitute(const Token& nameToken, const Macro& macro, const std::vector<std::vector<Token>>& args,
                  const HideSet& hideSet, std::vector<Token>& out);
  bool ExpandArgument(const std::vector<Token>& arg, std::vector<Token>& out);

  const MacroTable& macros_;
  Diagnostics& diagnostics_;
  ExpansionBudget& budget_;
  Source source_;
  int depth_;
  std::vector<Token> pending_;  // tokens to read before the source, last one first
};

}  // namespace simfx
