#include "fx/preprocessor.h"

#include <memory>
#include <utility>

#include "fx/include_files.h"
#include "fx/lexer.h"
#include "fx/pp_expression.h"

namespace simfx {

namespace {

constexpr size_t kMaxIncludeDepth = 32;
constexpr int kMaxIncludes = 1000;
constexpr size_t kMaxOutputTokens = 4000000;

std::string JoinTokens(const std::vector<Token>& tokens, size_t first) {
  std::string text;
  for (size_t i = first; i < tokens.size(); ++i) {
    if (i > first && tokens[i].spaceBefore) text += ' ';
    text += tokens[i].text;
  }
  return text;
}

bool IsConditionalDirective(const std::string& name) {
  return name == "if" || name == "ifdef" || name == "ifndef" || name == "elif" || name == "else" ||
         name == "endif";
}

}  // namespace

Preprocessor::Preprocessor(Diagnostics& diagnostics, const IncludeResolver* resolver)
    : diagnostics_(diagnostics), resolver_(resolver) {}

void Preprocessor::Predefine(const std::string& name, const std::string& definition) {
  predefined_.emplace_back(name, definition);
}

bool Preprocessor::ApplyPredefined(int file) {
  for (const auto& [name, definition] : predefined_) {
    std::string text = name + " " + definition;
    for (char& c : text)
      if (c == '\n' || c == '\r') c = ' ';
    std::vector<Token> line = LexSource(text, file);
    while (!line.empty() &&
           (line.back().kind == TokenKind::EndOfFile || line.back().kind == TokenKind::Newline))
      line.pop_back();
    if (!line.empty() && !Define(line, line.front())) return false;
  }
  return true;
}

bool Preprocessor::Run(const std::string& source, const std::string& fileName, std::vector<Token>& out) {
  if (!PushFile(source, fileName, fileName)) return false;
  endOfMainFile_ = frames_.back().tokens.back();
  if (!ApplyPredefined(endOfMainFile_.pos.file)) return false;
  MacroExpander expander(macros_, diagnostics_, budget_, [this](Token& t) { return NextRaw(t); });
  for (;;) {
    Token t;
    if (!expander.Next(t)) return false;
    if (t.kind == TokenKind::Identifier || t.kind == TokenKind::Number || t.kind == TokenKind::String ||
        t.kind == TokenKind::Punct)
      t.hideSet.reset();
    out.push_back(std::move(t));
    if (out.back().kind == TokenKind::EndOfFile) return !diagnostics_.Failed();
    if (out.size() > kMaxOutputTokens) {
      diagnostics_.Error(out.back().pos, code::kLimit, "source is too large after preprocessing");
      return false;
    }
  }
}

bool Preprocessor::PushFile(const std::string& text, const std::string& display, const std::string& path) {
  Frame frame;
  frame.tokens = LexSource(text, diagnostics_.AddFile(display, path));
  frame.conditionalsAtEntry = conditionals_.size();
  frames_.push_back(std::move(frame));
  return true;
}

bool Preprocessor::NextRaw(Token& out) {
  for (;;) {
    if (!injected_.empty()) {
      out = std::move(injected_.front());
      injected_.erase(injected_.begin());
      return true;
    }
    if (frames_.empty()) {
      out = endOfMainFile_;
      return true;
    }
    Frame& frame = frames_.back();
    const Token& t = frame.tokens[frame.next];
    if (t.kind == TokenKind::EndOfFile) {
      if (conditionals_.size() > frame.conditionalsAtEntry) {
        diagnostics_.Error(t.pos, code::kConditional,
                           "unexpected end of file in a conditional block (missing #endif)");
        return false;
      }
      frames_.pop_back();
      continue;
    }
    bool lineStart = frame.next == 0 || frame.tokens[frame.next - 1].kind == TokenKind::Newline;
    if (lineStart && t.IsPunct("#")) {
      Token hash = t;
      ++frame.next;
      if (!Directive(frame, hash)) return false;
      continue;
    }
    if (!Active()) {
      RestOfLine(frame);
      continue;
    }
    ++frame.next;
    if (t.kind == TokenKind::Newline) continue;
    if (t.kind == TokenKind::Invalid) {
      diagnostics_.Error(t.pos, t.text[0] == '"' || t.text[0] == '/' ? code::kUnterminated : code::kSyntax,
                         InvalidTokenMessage(t));
      return false;
    }
    out = t;
    return true;
  }
}

std::vector<Token> Preprocessor::RestOfLine(Frame& frame) {
  std::vector<Token> line;
  while (frame.tokens[frame.next].kind != TokenKind::EndOfFile) {
    Token& t = frame.tokens[frame.next++];
    if (t.kind == TokenKind::Newline) break;
    line.push_back(t);
  }
  return line;
}

bool Preprocessor::Directive(Frame& frame, const Token& hash) {
  std::vector<Token> line = RestOfLine(frame);
  if (line.empty()) return true;
  const Token& nameToken = line.front();
  std::string name = nameToken.kind == TokenKind::Identifier ? nameToken.text : std::string();
  if (IsConditionalDirective(name)) return ConditionalDirective(name, line, hash);
  if (!Active()) return true;
  if (name == "define") {
    line.erase(line.begin());
    return Define(line, hash);
  }
  if (name == "undef") {
    if (line.size() < 2 || line[1].kind != TokenKind::Identifier) {
      diagnostics_.Error(hash.pos, code::kPreprocessor, "#undef expects a macro name");
      return false;
    }
    macros_.erase(line[1].text);
    return true;
  }
  if (name == "include") return Include(line, hash);
  if (name == "pragma") return Pragma(line, hash);
  if (name == "error") {
    diagnostics_.Error(hash.pos, code::kUserError, "#error: " + JoinTokens(line, 1));
    return false;
  }
  if (name == "line" || nameToken.kind == TokenKind::Number) return true;
  diagnostics_.Error(nameToken.pos, code::kPreprocessor,
                     "invalid preprocessor command '" + nameToken.text + "'");
  return false;
}

bool Preprocessor::ConditionalDirective(const std::string& name, const std::vector<Token>& line,
                                        const Token& at) {
  size_t ownFloor = frames_.empty() ? 0 : frames_.back().conditionalsAtEntry;
  if (name == "if" || name == "ifdef" || name == "ifndef") {
    Conditional c;
    c.parentActive = Active();
    bool value = false;
    if (c.parentActive) {
      if (name == "if") {
        if (!Condition(line, at, value)) return false;
      } else if (line.size() < 2 || line[1].kind != TokenKind::Identifier) {
        diagnostics_.Error(at.pos, code::kPreprocessor, "#" + name + " expects a macro name");
        return false;
      } else {
        value = (macros_.count(line[1].text) > 0) == (name == "ifdef");
      }
    }
    c.active = c.parentActive && value;
    c.anyTaken = c.active;
    conditionals_.push_back(c);
    return true;
  }
  if (conditionals_.size() <= ownFloor) {
    diagnostics_.Error(at.pos, code::kConditional, "#" + name + " without #if");
    return false;
  }
  Conditional& c = conditionals_.back();
  if (name == "endif") {
    conditionals_.pop_back();
    return true;
  }
  if (c.sawElse) {
    diagnostics_.Error(at.pos, code::kConditional, "#" + name + " after #else");
    return false;
  }
  if (name == "else") {
    c.sawElse = true;
    c.active = c.parentActive && !c.anyTaken;
    c.anyTaken = true;
    return true;
  }
  bool value = false;
  if (c.parentActive && !c.anyTaken && !Condition(line, at, value)) return false;
  Conditional& current = conditionals_.back();
  current.active = current.parentActive && !current.anyTaken && value;
  current.anyTaken = current.anyTaken || current.active;
  return true;
}

bool Preprocessor::Condition(const std::vector<Token>& line, const Token& at, bool& result) {
  std::vector<Token> resolved;
  for (size_t i = 1; i < line.size(); ++i) {
    if (!line[i].IsIdentifier("defined")) {
      resolved.push_back(line[i]);
      continue;
    }
    size_t j = i + 1;
    bool parenthesized = j < line.size() && line[j].IsPunct("(");
    if (parenthesized) ++j;
    if (j >= line.size() || line[j].kind != TokenKind::Identifier ||
        (parenthesized && (j + 1 >= line.size() || !line[j + 1].IsPunct(")")))) {
      diagnostics_.Error(line[i].pos, code::kPreprocessor, "'defined' expects a macro name");
      return false;
    }
    Token value = line[i];
    value.kind = TokenKind::Number;
    value.text = macros_.count(line[j].text) ? "1" : "0";
    resolved.push_back(value);
    i = parenthesized ? j + 1 : j;
  }
  std::vector<Token> expanded;
  if (!ExpandLine(resolved, expanded)) return false;
  return EvaluateCondition(expanded, at.pos, diagnostics_, result);
}

bool Preprocessor::ExpandLine(const std::vector<Token>& tokens, std::vector<Token>& out) {
  MacroExpander expander(macros_, diagnostics_, budget_, [](Token& t) {
    t = Token();
    return true;
  });
  return expander.ExpandList(tokens, out);
}

bool Preprocessor::Define(const std::vector<Token>& line, const Token& at) {
  if (line.empty() || line[0].kind != TokenKind::Identifier || line[0].text == "defined") {
    diagnostics_.Error(at.pos, code::kPreprocessor, "#define expects a macro name");
    return false;
  }
  Macro macro;
  size_t i = 1;
  if (line.size() > 1 && line[1].IsPunct("(") && !line[1].spaceBefore) {
    macro.functionLike = true;
    i = 2;
    bool closed = false;
    while (i < line.size() && !closed) {
      const Token& p = line[i++];
      if (p.IsPunct(")") && macro.params.empty()) {
        closed = true;
        break;
      }
      if (p.kind == TokenKind::Identifier) {
        macro.params.push_back(p.text);
      } else if (p.IsPunct("...")) {
        macro.params.push_back("__VA_ARGS__");
        macro.variadic = true;
      } else {
        break;
      }
      if (i < line.size() && line[i].IsPunct(")")) {
        closed = true;
        ++i;
      } else if (i < line.size() && line[i].IsPunct(",") && !macro.variadic) {
        ++i;
      } else {
        break;
      }
    }
    if (!closed) {
      diagnostics_.Error(line[0].pos, code::kPreprocessor,
                         "invalid parameter list for macro '" + line[0].text + "'");
      return false;
    }
  }
  macro.body.assign(line.begin() + static_cast<std::ptrdiff_t>(i), line.end());
  if (!macro.body.empty() && (macro.body.front().IsPunct("##") || macro.body.back().IsPunct("##"))) {
    diagnostics_.Error(line[0].pos, code::kPreprocessor,
                       "'##' cannot begin or end the definition of '" + line[0].text + "'");
    return false;
  }
  macros_[line[0].text] = std::make_shared<const Macro>(std::move(macro));
  return true;
}

bool Preprocessor::Include(const std::vector<Token>& line, const Token& at) {
  std::vector<Token> operand(line.begin() + 1, line.end());
  std::string name;
  bool system = false;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!operand.empty() && operand[0].kind == TokenKind::String) {
      const std::string& raw = operand[0].text;
      name = raw.substr(1, raw.size() - 2);  // taken literally: backslashes are path separators here
      break;
    }
    if (!operand.empty() && operand[0].IsPunct("<")) {
      size_t close = 1;
      while (close < operand.size() && !operand[close].IsPunct(">")) ++close;
      if (close < operand.size()) {
        name = JoinTokens(
            std::vector<Token>(operand.begin() + 1, operand.begin() + static_cast<std::ptrdiff_t>(close)), 0);
        system = true;
        break;
      }
    }
    std::vector<Token> expanded;
    if (attempt == 1 || !ExpandLine(operand, expanded)) {
      if (!diagnostics_.Failed())
        diagnostics_.Error(at.pos, code::kPreprocessor, "#include expects \"FILENAME\" or <FILENAME>");
      return false;
    }
    operand = std::move(expanded);
  }
  if (frames_.size() >= kMaxIncludeDepth) {
    diagnostics_.Error(at.pos, code::kIncludeDepth, "#include nested too deeply: '" + name + "'");
    return false;
  }
  if (++includeCount_ > kMaxIncludes) {
    diagnostics_.Error(at.pos, code::kIncludeDepth, "too many #include directives: '" + name + "'");
    return false;
  }
  IncludeSource source;
  if (!LoadInclude(resolver_, system, name, diagnostics_.FilePath(at.pos.file), source)) {
    diagnostics_.Error(at.pos, code::kIncludeOpen, "failed to open source file: '" + name + "'");
    return false;
  }
  if (onceFiles_.count(source.path)) return true;
  return PushFile(source.text, name, source.path);
}

bool Preprocessor::Pragma(const std::vector<Token>& line, const Token& at) {
  if (line.size() < 2 || line[1].kind != TokenKind::Identifier) return true;
  const std::string& kind = line[1].text;
  if (kind == "message") {
    std::vector<Token> operand(line.begin() + 2, line.end());
    if (operand.size() >= 2 && operand.front().IsPunct("(") && operand.back().IsPunct(")"))
      operand = std::vector<Token>(operand.begin() + 1, operand.end() - 1);
    std::string text;
    bool allStrings = !operand.empty();
    for (const Token& t : operand) allStrings = allStrings && t.kind == TokenKind::String;
    if (allStrings) {
      for (const Token& t : operand) text += DecodeStringLiteral(t.text);
    } else {
      text = JoinTokens(operand, 0);
    }
    diagnostics_.Warning(at.pos, code::kPragmaMessage, text);
  } else if (kind == "once") {
    onceFiles_.insert(diagnostics_.FilePath(at.pos.file));
  } else if (kind == "pack_matrix" && line.size() >= 5 && line[3].kind == TokenKind::Identifier) {
    Token pragma = line[1];
    pragma.kind = TokenKind::Pragma;
    pragma.text = "pack_matrix " + line[3].text;
    injected_.push_back(pragma);
  }
  return true;
}

}  // namespace simfx
