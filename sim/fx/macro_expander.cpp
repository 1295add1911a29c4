#include "fx/macro_expander.h"

#include <algorithm>
#include <utility>

#include "fx/lexer.h"

namespace simfx {

namespace {

constexpr size_t kMaxPendingTokens = 1000000;
constexpr int kMaxNesting = 64;

bool Contains(const HideSet& names, const std::string& name) {
  return names && std::find(names->begin(), names->end(), name) != names->end();
}

HideSet Intersect(const HideSet& a, const HideSet& b) {
  if (!a || !b) return nullptr;
  if (a == b) return a;
  auto both = std::make_shared<std::vector<std::string>>();
  for (const std::string& name : *a)
    if (Contains(b, name)) both->push_back(name);
  return both->empty() ? nullptr : HideSet(std::move(both));
}

HideSet Union(const HideSet& a, const HideSet& b) {
  if (!a || a == b) return b;
  if (!b) return a;
  auto all = std::make_shared<std::vector<std::string>>(*a);
  for (const std::string& name : *b)
    if (!Contains(a, name)) all->push_back(name);
  return all;
}

HideSet With(const HideSet& names, const std::string& name) {
  auto all = names ? std::make_shared<std::vector<std::string>>(*names)
                   : std::make_shared<std::vector<std::string>>();
  all->push_back(name);
  return all;
}

int ParamIndex(const Macro& macro, const Token& token) {
  if (!macro.functionLike || token.kind != TokenKind::Identifier) return -1;
  for (size_t i = 0; i < macro.params.size(); ++i)
    if (macro.params[i] == token.text) return static_cast<int>(i);
  return -1;
}

Token Stringize(const std::vector<Token>& arg, const Token& at) {
  Token result;
  result.kind = TokenKind::String;
  result.pos = at.pos;
  result.text = "\"";
  for (size_t i = 0; i < arg.size(); ++i) {
    if (i > 0 && arg[i].spaceBefore) result.text += ' ';
    if (arg[i].kind == TokenKind::String) {
      for (char c : arg[i].text) {
        if (c == '"' || c == '\\') result.text += '\\';
        result.text += c;
      }
    } else {
      result.text += arg[i].text;
    }
  }
  result.text += '"';
  return result;
}

// Joins two tokens into one (the ## operator) and works out what kind of token the result is.
void Paste(Token& left, const Token& right) {
  left.text += right.text;
  const std::string& s = left.text;
  if (s.empty()) return;
  if (IsIdentifierStart(s[0]) && std::all_of(s.begin(), s.end(), IsIdentifierChar)) {
    left.kind = TokenKind::Identifier;
  } else if ((s[0] >= '0' && s[0] <= '9') || s[0] == '.') {
    left.kind = TokenKind::Number;
  } else if (s[0] == '"') {
    left.kind = TokenKind::String;
  } else {
    left.kind = TokenKind::Punct;
  }
}

}  // namespace

MacroExpander::MacroExpander(const MacroTable& macros, Diagnostics& diagnostics, ExpansionBudget& budget,
                             Source source, int depth)
    : macros_(macros),
      diagnostics_(diagnostics),
      budget_(budget),
      source_(std::move(source)),
      depth_(depth) {}

bool MacroExpander::Pull(Token& out) {
  if (!pending_.empty()) {
    out = std::move(pending_.back());
    pending_.pop_back();
    return true;
  }
  return source_(out);
}

bool MacroExpander::Next(Token& out) {
  for (;;) {
    Token name;
    if (!Pull(name)) return false;
    if (name.kind != TokenKind::Identifier || Contains(name.hideSet, name.text)) {
      out = std::move(name);
      return true;
    }
    auto found = macros_.find(name.text);
    if (found == macros_.end()) {
      out = std::move(name);
      return true;
    }
    std::shared_ptr<const Macro> definition = found->second;
    const Macro& macro = *definition;
    std::vector<std::vector<Token>> args;
    HideSet hideSet = name.hideSet;
    if (macro.functionLike) {
      Token next;
      if (!Pull(next)) return false;
      if (!next.IsPunct("(")) {
        pending_.push_back(std::move(next));
        out = std::move(name);
        return true;
      }
      Token closing;
      if (!CollectArguments(name, macro, args, closing)) return false;
      hideSet = Intersect(name.hideSet, closing.hideSet);
    }
    if (--budget_.expansionsLeft < 0) {
      diagnostics_.Error(name.pos, code::kLimit,
                         "macro expansion limit reached while expanding '" + name.text + "'");
      return false;
    }
    hideSet = With(hideSet, name.text);
    std::vector<Token> expansion;
    if (!Substitute(name, macro, args, hideSet, expansion)) return false;
    if (pending_.size() + expansion.size() > kMaxPendingTokens) {
      diagnostics_.Error(name.pos, code::kLimit, "macro expansion of '" + name.text + "' is too large");
      return false;
    }
    for (auto it = expansion.rbegin(); it != expansion.rend(); ++it) pending_.push_back(std::move(*it));
  }
}

bool MacroExpander::CollectArguments(const Token& nameToken, const Macro& macro,
                                     std::vector<std::vector<Token>>& args, Token& closing) {
  args.assign(1, {});
  size_t total = 0;
  int depth = 0;
  for (;;) {
    Token t;
    if (!Pull(t)) return false;
    if (t.kind == TokenKind::EndOfFile) {
      diagnostics_.Error(nameToken.pos, code::kMacro,
                         "unexpected end of file in arguments of macro '" + nameToken.text + "'");
      return false;
    }
    if (t.IsPunct("(")) {
      ++depth;
    } else if (t.IsPunct(")")) {
      if (depth == 0) {
        closing = std::move(t);
        break;
      }
      --depth;
    } else if (t.IsPunct(",") && depth == 0 && !(macro.variadic && args.size() == macro.params.size())) {
      args.emplace_back();
      continue;
    }
    if (++total > kMaxPendingTokens) {
      diagnostics_.Error(nameToken.pos, code::kLimit,
                         "arguments of macro '" + nameToken.text + "' are too long");
      return false;
    }
    args.back().push_back(std::move(t));
  }
  if (macro.params.empty() && args.size() == 1 && args[0].empty()) args.clear();
  if (macro.variadic && args.size() + 1 == macro.params.size()) args.emplace_back();
  if (args.size() < macro.params.size()) {
    diagnostics_.Error(nameToken.pos, code::kMacro,
                       "not enough actual parameters for macro '" + nameToken.text + "'");
    return false;
  }
  if (args.size() > macro.params.size()) {
    diagnostics_.Error(nameToken.pos, code::kMacro,
                       "too many actual parameters for macro '" + nameToken.text + "'");
    return false;
  }
  return true;
}

bool MacroExpander::Substitute(const Token& nameToken, const Macro& macro,
                               const std::vector<std::vector<Token>>& args, const HideSet& hideSet,
                               std::vector<Token>& out) {
  const std::vector<Token>& body = macro.body;
  bool pasteNext = false;      // the previous body token was ##
  bool leftAvailable = false;  // the last piece appended was not an empty argument
  for (size_t i = 0; i < body.size(); ++i) {
    const Token& b = body[i];
    std::vector<Token> piece;
    if (macro.functionLike && b.IsPunct("#") && i + 1 < body.size() && ParamIndex(macro, body[i + 1]) >= 0) {
      piece.push_back(Stringize(args[static_cast<size_t>(ParamIndex(macro, body[++i]))], nameToken));
    } else if (b.IsPunct("##")) {
      pasteNext = true;
      continue;
    } else if (int param = ParamIndex(macro, b); param >= 0) {
      const std::vector<Token>& arg = args[static_cast<size_t>(param)];
      bool nextIsPaste = i + 1 < body.size() && body[i + 1].IsPunct("##");
      if (pasteNext || nextIsPaste) {
        piece = arg;
      } else if (!ExpandList(arg, piece)) {
        return false;
      }
    } else {
      piece.push_back(b);
    }
    for (size_t k = 0; k < piece.size(); ++k) {
      Token& t = piece[k];
      t.pos = nameToken.pos;
      if (k == 0) t.spaceBefore = out.empty() ? nameToken.spaceBefore : b.spaceBefore;
      t.hideSet = Union(t.hideSet, hideSet);
    }
    size_t first = 0;
    if (pasteNext && leftAvailable && !piece.empty() && !out.empty()) {
      Paste(out.back(), piece[0]);
      first = 1;
    }
    for (size_t k = first; k < piece.size(); ++k) out.push_back(std::move(piece[k]));
    leftAvailable = !piece.empty() || (pasteNext && leftAvailable);
    pasteNext = false;
  }
  return true;
}

bool MacroExpander::ExpandList(const std::vector<Token>& tokens, std::vector<Token>& out) {
  if (depth_ >= kMaxNesting) {
    SourcePos pos = tokens.empty() ? SourcePos{} : tokens.front().pos;
    diagnostics_.Error(pos, code::kLimit, "macro arguments nested too deeply");
    return false;
  }
  size_t next = 0;
  Token end;
  end.kind = TokenKind::EndOfFile;
  if (!tokens.empty()) end.pos = tokens.back().pos;
  MacroExpander inner(
      macros_, diagnostics_, budget_,
      [&](Token& t) {
        t = next < tokens.size() ? tokens[next++] : end;
        return true;
      },
      depth_ + 1);
  for (;;) {
    Token t;
    if (!inner.Next(t)) return false;
    if (t.kind == TokenKind::EndOfFile) return true;
    if (out.size() >= kMaxPendingTokens) {
      diagnostics_.Error(t.pos, code::kLimit, "macro expansion is too large");
      return false;
    }
    out.push_back(std::move(t));
  }
}

}  // namespace simfx
