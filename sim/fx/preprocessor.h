// Runs the preprocessor over an effect source: directives, includes and macro expansion.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fx/diagnostics.h"
#include "fx/fx_model.h"
#include "fx/macro_expander.h"
#include "fx/token.h"

namespace simfx {

class Preprocessor {
 public:
  Preprocessor(Diagnostics& diagnostics, const IncludeResolver* resolver);

  // A macro given by the caller, as if by "#define name definition" before the source.
  // `name` may carry a parameter list, e.g. "SCALE(x)".
  void Predefine(const std::string& name, const std::string& definition);

  // Preprocesses the main file into `out` (no Newline tokens; closed by one EndOfFile token).
  bool Run(const std::string& source, const std::string& fileName, std::vector<Token>& out);

 private:
  struct Frame {
    std::vector<Token> tokens;
    size_t next = 0;
    size_t conditionalsAtEntry = 0;
  };
  struct Conditional {
    bool parentActive = true;
    bool active = true;
    bool anyTaken = false;
    bool sawElse = false;
  };

  bool ApplyPredefined(int file);
  bool NextRaw(Token& out);
  bool Active() const { return conditionals_.empty() || conditionals_.back().active; }
  std::vector<Token> RestOfLine(Frame& frame);
  bool Directive(Frame& frame, const Token& hash);
  bool ConditionalDirective(const std::string& name, const std::vector<Token>& line, const Token& at);
  bool Define(const std::vector<Token>& line, const Token& at);
  bool Include(const std::vector<Token>& line, const Token& at);
  bool Pragma(const std::vector<Token>& line, const Token& at);
  // Expands the macros of a directive's operand on its own.
  bool ExpandLine(const std::vector<Token>& tokens, std::vector<Token>& out);
  bool Condition(const std::vector<Token>& line, const Token& at, bool& result);
  bool PushFile(const std::string& text, const std::string& display, const std::string& path);

  Diagnostics& diagnostics_;
  const IncludeResolver* resolver_;
  std::vector<std::pair<std::string, std::string>> predefined_;
  MacroTable macros_;
  ExpansionBudget budget_;
  std::vector<Frame> frames_;
  std::vector<Conditional> conditionals_;
  std::vector<Token> injected_;  // tokens a directive hands to the parser (pragmas)
  std::set<std::string> onceFiles_;
  Token endOfMainFile_;
  int includeCount_ = 0;
};

}  // namespace simfx
