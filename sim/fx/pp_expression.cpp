#include "fx/pp_expression.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace simfx {

namespace {

constexpr int kMaxDepth = 200;

class ConditionParser {
 public:
  ConditionParser(const std::vector<Token>& tokens, const SourcePos& at, Diagnostics& diagnostics)
      : tokens_(tokens), at_(at), diagnostics_(diagnostics) {}

  bool Parse(long long& value) {
    if (!Conditional(value, 0)) return false;
    if (index_ < tokens_.size()) return Fail(&tokens_[index_]);
    return true;
  }

 private:
  const Token* Peek() const { return index_ < tokens_.size() ? &tokens_[index_] : nullptr; }
  bool PeekPunct(const char* p) const { return Peek() && Peek()->IsPunct(p); }

  bool Fail(const Token* t) {
    if (t)
      diagnostics_.Error(t->pos, code::kPreprocessor,
                         "syntax error in #if expression: unexpected " + DescribeToken(*t));
    else
      diagnostics_.Error(at_, code::kPreprocessor, "syntax error in #if expression: unexpected end of line");
    return false;
  }

  bool Conditional(long long& value, int depth) {
    if (depth > kMaxDepth) return Fail(Peek());
    if (!Binary(value, 0, depth)) return false;
    if (!PeekPunct("?")) return true;
    ++index_;
    long long a = 0, b = 0;
    if (!Conditional(a, depth + 1)) return false;
    if (!PeekPunct(":")) return Fail(Peek());
    ++index_;
    if (!Conditional(b, depth + 1)) return false;
    value = value ? a : b;
    return true;
  }

  static int Precedence(const Token& t) {
    if (t.kind != TokenKind::Punct) return -1;
    static const struct {
      const char* op;
      int level;
    } kLevels[] = {{"||", 1}, {"&&", 2}, {"|", 3}, {"^", 4},  {"&", 5},  {"==", 6},
                   {"!=", 6}, {"<", 7},  {">", 7}, {"<=", 7}, {">=", 7}, {"<<", 8},
                   {">>", 8}, {"+", 9},  {"-", 9}, {"*", 10}, {"/", 10}, {"%", 10}};
    for (const auto& l : kLevels)
      if (t.text == l.op) return l.level;
    return -1;
  }

  bool Binary(long long& value, int minLevel, int depth) {
    if (!Unary(value, depth + 1)) return false;
    for (;;) {
      const Token* op = Peek();
      int level = op ? Precedence(*op) : -1;
      if (level < 0 || level < minLevel) return true;
      ++index_;
      long long rhs = 0;
      if (!Binary(rhs, level + 1, depth + 1)) return false;
      if (!Apply(*op, value, rhs)) return false;
    }
  }

  bool Apply(const Token& op, long long& lhs, long long rhs) {
    // Unsigned arithmetic wraps instead of overflowing.
    auto u = [](long long v) { return static_cast<std::uint64_t>(v); };
    auto s = [](std::uint64_t v) { return static_cast<long long>(v); };
    const std::string& o = op.text;
    if ((o == "/" || o == "%") && rhs == 0) {
      diagnostics_.Error(op.pos, code::kPreprocessor, "division by zero in #if expression");
      return false;
    }
    if (o == "||")
      lhs = (lhs || rhs) ? 1 : 0;
    else if (o == "&&")
      lhs = (lhs && rhs) ? 1 : 0;
    else if (o == "|")
      lhs = lhs | rhs;
    else if (o == "^")
      lhs = lhs ^ rhs;
    else if (o == "&")
      lhs = lhs & rhs;
    else if (o == "==")
      lhs = lhs == rhs;
    else if (o == "!=")
      lhs = lhs != rhs;
    else if (o == "<")
      lhs = lhs < rhs;
    else if (o == ">")
      lhs = lhs > rhs;
    else if (o == "<=")
      lhs = lhs <= rhs;
    else if (o == ">=")
      lhs = lhs >= rhs;
    else if (o == "<<")
      lhs = s(u(lhs) << (u(rhs) & 63));
    else if (o == ">>")
      lhs = s(u(lhs) >> (u(rhs) & 63));
    else if (o == "+")
      lhs = s(u(lhs) + u(rhs));
    else if (o == "-")
      lhs = s(u(lhs) - u(rhs));
    else if (o == "*")
      lhs = s(u(lhs) * u(rhs));
    else if (rhs == -1)
      lhs = o == "/" ? s(0 - u(lhs)) : 0;  // avoids the one overflowing division
    else if (o == "/")
      lhs = lhs / rhs;
    else
      lhs = lhs % rhs;
    return true;
  }

  bool Unary(long long& value, int depth) {
    if (depth > kMaxDepth) return Fail(Peek());
    const Token* t = Peek();
    if (!t) return Fail(nullptr);
    ++index_;
    if (t->IsPunct("!") || t->IsPunct("-") || t->IsPunct("+") || t->IsPunct("~")) {
      if (!Unary(value, depth + 1)) return false;
      if (t->text == "!")
        value = !value;
      else if (t->text == "-")
        value = static_cast<long long>(0 - static_cast<std::uint64_t>(value));
      else if (t->text == "~")
        value = ~value;
      return true;
    }
    if (t->IsPunct("(")) {
      if (!Conditional(value, depth + 1)) return false;
      if (!PeekPunct(")")) return Fail(Peek());
      ++index_;
      return true;
    }
    if (t->kind == TokenKind::Number) {
      if (ParseIntegerLiteral(t->text, value)) return true;
      // A floating-point literal counts by its integer part, held to the
      // range of the expression's integers.
      const double real = std::strtod(t->text.c_str(), nullptr);
      if (std::isnan(real))
        value = 0;
      else if (real >= 9.2e18)
        value = std::numeric_limits<long long>::max();
      else if (real <= -9.2e18)
        value = std::numeric_limits<long long>::min();
      else
        value = static_cast<long long>(real);
      return true;
    }
    if (t->kind == TokenKind::Identifier) {
      value = t->text == "true" ? 1 : 0;
      return true;
    }
    return Fail(t);
  }

  const std::vector<Token>& tokens_;
  SourcePos at_;
  Diagnostics& diagnostics_;
  size_t index_ = 0;
};

}  // namespace

bool ParseIntegerLiteral(const std::string& text, long long& value) {
  size_t end = text.size();
  while (end > 0 &&
         (text[end - 1] == 'u' || text[end - 1] == 'U' || text[end - 1] == 'l' || text[end - 1] == 'L'))
    --end;
  if (end == 0) return false;
  std::string digits = text.substr(0, end);
  int base = 10;
  size_t start = 0;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    start = 2;
  } else if (digits.size() > 1 && digits[0] == '0') {
    base = 8;
    start = 1;
  }
  std::uint64_t result = 0;
  for (size_t i = start; i < digits.size(); ++i) {
    char c = digits[i];
    int d = (c >= '0' && c <= '9')   ? c - '0'
            : (c >= 'a' && c <= 'f') ? c - 'a' + 10
            : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                     : 99;
    if (d >= base) return false;
    result = result * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }
  value = static_cast<long long>(result);
  return true;
}

bool EvaluateCondition(const std::vector<Token>& tokens, const SourcePos& at, Diagnostics& diagnostics,
                       bool& result) {
  long long value = 0;
  ConditionParser parser(tokens, at, diagnostics);
  if (!parser.Parse(value)) return false;
  result = value != 0;
  return true;
}

}  // namespace simfx
