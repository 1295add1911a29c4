#include <algorithm>
#include <charconv>
#include <cmath>

#include "fx/constant_value.h"
#include "fx/lexer.h"
#include "fx/pp_expression.h"

namespace simfx {

namespace {

constexpr int kMaxDepth = 200;
constexpr size_t kMaxComponents = 1 << 20;

class Evaluator {
 public:
  Evaluator(TokenCursor& cursor, const ConstantScope& scope, Diagnostics& diagnostics)
      : cursor_(cursor), scope_(scope), diagnostics_(diagnostics) {}

  bool Initializer(ConstValue& value, int depth) {
    if (depth > kMaxDepth) return TooDeep();
    if (!cursor_.PeekPunct("{")) return Additive(value, depth + 1);
    cursor_.Take();
    value = ConstValue();
    value.braced = true;
    while (!cursor_.TakePunct("}")) {
      ConstValue item;
      const Token& at = cursor_.Peek();
      if (!Initializer(item, depth + 1)) return false;
      if (item.isString) {
        if (!value.numbers.empty() || value.isString)
          return Error(at, code::kConversion, "a string cannot be part of a list");
        value.isString = true;
        value.text = item.text;
      } else {
        if (value.isString) return Error(at, code::kConversion, "a string cannot be part of a list");
        if (!Append(value, item, at)) return false;
      }
      if (!cursor_.TakePunct(",") && !cursor_.PeekPunct("}"))
        return SyntaxError(diagnostics_, cursor_.Peek());
    }
    return true;
  }

  bool Additive(ConstValue& value, int depth) {
    if (depth > kMaxDepth) return TooDeep();
    if (!Multiplicative(value, depth + 1)) return false;
    while (cursor_.PeekPunct("+") || cursor_.PeekPunct("-")) {
      const Token& op = cursor_.Take();
      ConstValue rhs;
      if (!Multiplicative(rhs, depth + 1) || !Combine(op, value, rhs)) return false;
    }
    return true;
  }

 private:
  bool Multiplicative(ConstValue& value, int depth) {
    if (!Unary(value, depth + 1)) return false;
    while (cursor_.PeekPunct("*") || cursor_.PeekPunct("/") || cursor_.PeekPunct("%")) {
      const Token& op = cursor_.Take();
      ConstValue rhs;
      if (!Unary(rhs, depth + 1) || !Combine(op, value, rhs)) return false;
    }
    return true;
  }

  bool Unary(ConstValue& value, int depth) {
    if (depth > kMaxDepth) return TooDeep();
    const Token& t = cursor_.Peek();
    if (t.IsPunct("-") || t.IsPunct("+") || t.IsPunct("!")) {
      cursor_.Take();
      if (!Unary(value, depth + 1)) return false;
      if (value.isString)
        return Error(t, code::kConversion, "operator " + t.text + " cannot be applied to a string");
      for (double& n : value.numbers) n = t.text == "-" ? -n : t.text == "!" ? (n == 0 ? 1 : 0) : n;
      return true;
    }
    return Primary(value, depth + 1);
  }

  bool Primary(ConstValue& value, int depth) {
    value = ConstValue();
    const Token& t = cursor_.Take();
    switch (t.kind) {
      case TokenKind::Number:
        return Number(t, value);
      case TokenKind::String:
        value.isString = true;
        value.text = DecodeStringLiteral(t.text);
        while (cursor_.Peek().kind == TokenKind::String)
          value.text += DecodeStringLiteral(cursor_.Take().text);
        return true;
      case TokenKind::Identifier:
        return Name(t, value, depth);
      default:
        break;
    }
    if (!t.IsPunct("(")) return SyntaxError(diagnostics_, t);
    TypeDesc cast;
    const Token& castName = cursor_.Peek();
    if (castName.kind == TokenKind::Identifier && cursor_.Peek(1).IsPunct(")") &&
        (LookupBuiltinType(castName.text, cast) || (scope_.type && scope_.type(castName.text, cast))) &&
        cast.IsNumeric()) {
      cursor_.Take();
      cursor_.Take();
      if (!Unary(value, depth + 1)) return false;
      return Convert(t, cast, value, true);
    }
    if (!Additive(value, depth + 1)) return false;
    if (!cursor_.TakePunct(")")) return SyntaxError(diagnostics_, cursor_.Peek());
    return true;
  }

  bool Number(const Token& t, ConstValue& value) {
    long long integer = 0;
    if (ParseIntegerLiteral(t.text, integer)) {
      value.numbers.push_back(static_cast<double>(integer));
      return true;
    }
    std::string digits = t.text;
    if (!digits.empty() && std::string("fFhHlL").find(digits.back()) != std::string::npos) digits.pop_back();
    double number = 0;
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size())
      return Error(t, code::kSyntax, "syntax error: invalid number " + DescribeToken(t).substr(6));
    value.numbers.push_back(number);
    value.integral = false;
    return true;
  }

  bool Name(const Token& t, ConstValue& value, int depth) {
    if (t.text == "true" || t.text == "false") {
      value.numbers.push_back(t.text == "true" ? 1 : 0);
      return true;
    }
    TypeDesc type;
    bool isType = LookupBuiltinType(t.text, type) || (scope_.type && scope_.type(t.text, type));
    if (isType && type.IsNumeric() && cursor_.PeekPunct("(")) {
      std::vector<ConstValue> args;
      if (!Arguments(args, depth)) return false;
      for (const ConstValue& arg : args)
        if (!Append(value, arg, t)) return false;
      if (value.numbers.size() != 1 && value.numbers.size() != type.Components())
        return Error(t, code::kConversion,
                     "wrong number of values for constructor " + TypeName(type) + ": " +
                         std::to_string(value.numbers.size()) + " given, " +
                         std::to_string(type.Components()) + " expected");
      return Convert(t, type, value, true);
    }
    if (cursor_.PeekPunct("(")) {
      std::vector<ConstValue> args;
      if (!Arguments(args, depth)) return false;
      return Intrinsic(t, args, value);
    }
    if (scope_.constant && scope_.constant(t.text, value)) return true;
    return Error(t, code::kUndeclared, "undeclared identifier '" + t.text + "'");
  }

  bool Arguments(std::vector<ConstValue>& args, int depth) {
    if (!cursor_.TakePunct("(")) return SyntaxError(diagnostics_, cursor_.Peek());
    if (cursor_.TakePunct(")")) return true;
    do {
      args.emplace_back();
      if (!Additive(args.back(), depth + 1)) return false;
    } while (cursor_.TakePunct(","));
    if (!cursor_.TakePunct(")")) return SyntaxError(diagnostics_, cursor_.Peek());
    return true;
  }

  bool Intrinsic(const Token& name, const std::vector<ConstValue>& args, ConstValue& value);

  bool Append(ConstValue& value, const ConstValue& item, const Token& at) {
    if (item.isString) return Error(at, code::kConversion, "cannot convert a string to a number");
    if (value.numbers.size() + item.numbers.size() > kMaxComponents)
      return Error(at, code::kLimit, "initializer is too large");
    value.numbers.insert(value.numbers.end(), item.numbers.begin(), item.numbers.end());
    value.integral = value.integral && item.integral;
    return true;
  }

  // Applies a constructor or cast: one value fills all components, more are cut to size.
  bool Convert(const Token& at, const TypeDesc& type, ConstValue& value, bool allowTruncation) {
    if (value.isString) return Error(at, code::kConversion, "cannot convert a string to " + TypeName(type));
    unsigned n = type.Components();
    if (value.numbers.size() == 1) value.numbers.assign(n, value.numbers[0]);
    if (value.numbers.size() < n || (value.numbers.size() > n && !allowTruncation))
      return Error(at, code::kConversion,
                   "cannot convert " + std::to_string(value.numbers.size()) + " values to " + TypeName(type));
    value.numbers.resize(n);
    for (double& x : value.numbers) {
      if (type.type == ParamType::Bool) x = x != 0 ? 1 : 0;
      if (type.type == ParamType::Int) x = std::isfinite(x) ? std::trunc(x) : 0;
    }
    value.integral = type.type != ParamType::Float;
    value.braced = false;
    return true;
  }

  bool Combine(const Token& op, ConstValue& lhs, const ConstValue& rhs) {
    if (lhs.isString || rhs.isString)
      return Error(op, code::kConversion, "operator " + op.text + " cannot be applied to a string");
    size_t n = std::max(lhs.numbers.size(), rhs.numbers.size());
    if ((lhs.numbers.size() != n && lhs.numbers.size() != 1) ||
        (rhs.numbers.size() != n && rhs.numbers.size() != 1))
      return Error(op, code::kConversion, "operands of " + op.text + " have different sizes");
    bool integral = lhs.integral && rhs.integral;
    std::vector<double> result(n);
    for (size_t i = 0; i < n; ++i) {
      double a = lhs.numbers.size() == 1 ? lhs.numbers[0] : lhs.numbers[i];
      double b = rhs.numbers.size() == 1 ? rhs.numbers[0] : rhs.numbers[i];
      if (integral && (op.text == "/" || op.text == "%") && b == 0)
        return Error(op, code::kConversion, "division by zero");
      if (op.text == "+")
        result[i] = a + b;
      else if (op.text == "-")
        result[i] = a - b;
      else if (op.text == "*")
        result[i] = a * b;
      else if (op.text == "/")
        result[i] = integral ? std::trunc(a / b) : a / b;
      else
        result[i] = std::fmod(a, b);
    }
    lhs.numbers = std::move(result);
    lhs.integral = integral;
    lhs.braced = false;
    return true;
  }

  bool TooDeep() { return Error(cursor_.Peek(), code::kLimit, "expression is nested too deeply"); }

  bool Error(const Token& at, const char* code, const std::string& text) {
    diagnostics_.Error(at.pos, code, text);
    return false;
  }

  TokenCursor& cursor_;
  const ConstantScope& scope_;
  Diagnostics& diagnostics_;
};

double Saturate(double x) {
  return x < 0 ? 0 : x > 1 ? 1 : x;
}
double Frac(double x) {
  return x - std::floor(x);
}
double Sign(double x) {
  return x > 0 ? 1 : x < 0 ? -1 : 0;
}

bool Evaluator::Intrinsic(const Token& name, const std::vector<ConstValue>& args, ConstValue& value) {
  static const struct {
    const char* name;
    double (*apply)(double);
  } kUnary[] = {{"abs", [](double x) { return std::fabs(x); }},
                {"sqrt", [](double x) { return std::sqrt(x); }},
                {"rsqrt", [](double x) { return 1.0 / std::sqrt(x); }},
                {"sin", [](double x) { return std::sin(x); }},
                {"cos", [](double x) { return std::cos(x); }},
                {"tan", [](double x) { return std::tan(x); }},
                {"exp", [](double x) { return std::exp(x); }},
                {"exp2", [](double x) { return std::exp2(x); }},
                {"log", [](double x) { return std::log(x); }},
                {"log2", [](double x) { return std::log2(x); }},
                {"floor", [](double x) { return std::floor(x); }},
                {"ceil", [](double x) { return std::ceil(x); }},
                {"round", [](double x) { return std::round(x); }},
                {"frac", Frac},
                {"saturate", Saturate},
                {"sign", Sign},
                {"radians", [](double x) { return x * 3.14159265358979323846 / 180.0; }},
                {"degrees", [](double x) { return x * 180.0 / 3.14159265358979323846; }}};
  static const struct {
    const char* name;
    double (*apply)(double, double);
  } kBinary[] = {{"pow", [](double a, double b) { return std::pow(a, b); }},
                 {"min", [](double a, double b) { return a < b ? a : b; }},
                 {"max", [](double a, double b) { return a > b ? a : b; }},
                 {"step", [](double a, double b) { return b >= a ? 1.0 : 0.0; }},
                 {"fmod", [](double a, double b) { return std::fmod(a, b); }},
                 {"atan2", [](double a, double b) { return std::atan2(a, b); }}};
  for (const ConstValue& arg : args)
    if (arg.isString) return Error(name, code::kConversion, "'" + name.text + "' cannot take a string");
  auto componentwise = [&](size_t arity, auto&& apply) {
    if (args.size() != arity)
      return Error(name, code::kConversion, "wrong number of arguments to '" + name.text + "'");
    size_t n = 1;
    for (const ConstValue& arg : args) n = std::max(n, arg.numbers.size());
    for (const ConstValue& arg : args)
      if (arg.numbers.size() != n && arg.numbers.size() != 1)
        return Error(name, code::kConversion, "arguments of '" + name.text + "' have different sizes");
    value = ConstValue();
    value.integral = false;
    for (size_t i = 0; i < n; ++i) {
      double x[3] = {0, 0, 0};
      for (size_t a = 0; a < arity; ++a)
        x[a] = args[a].numbers.size() == 1 ? args[a].numbers[0] : args[a].numbers[i];
      value.numbers.push_back(apply(x));
    }
    return true;
  };
  for (const auto& f : kUnary)
    if (name.text == f.name) return componentwise(1, [&](const double* x) { return f.apply(x[0]); });
  for (const auto& f : kBinary)
    if (name.text == f.name) return componentwise(2, [&](const double* x) { return f.apply(x[0], x[1]); });
  if (name.text == "lerp")
    return componentwise(3, [](const double* x) { return x[0] + (x[1] - x[0]) * x[2]; });
  if (name.text == "clamp")
    return componentwise(3, [](const double* x) { return x[0] < x[1] ? x[1] : x[0] > x[2] ? x[2] : x[0]; });
  if ((name.text == "dot" && args.size() == 2) || (name.text == "length" && args.size() == 1) ||
      (name.text == "normalize" && args.size() == 1)) {
    const ConstValue& a = args[0];
    const ConstValue& b = args.back();
    if (a.numbers.size() != b.numbers.size())
      return Error(name, code::kConversion, "arguments of '" + name.text + "' have different sizes");
    double sum = 0;
    for (size_t i = 0; i < a.numbers.size(); ++i) sum += a.numbers[i] * b.numbers[i];
    value = ConstValue();
    value.integral = false;
    if (name.text == "dot") value.numbers.push_back(sum);
    if (name.text == "length") value.numbers.push_back(std::sqrt(sum));
    if (name.text == "normalize")
      for (double x : a.numbers) value.numbers.push_back(x / std::sqrt(sum));
    return true;
  }
  return Error(name, code::kUndeclared, "undeclared identifier '" + name.text + "'");
}

}  // namespace

bool ParseInitializer(TokenCursor& cursor, const ConstantScope& scope, Diagnostics& diagnostics,
                      ConstValue& value) {
  return Evaluator(cursor, scope, diagnostics).Initializer(value, 0);
}

bool ParseConstantExpression(TokenCursor& cursor, const ConstantScope& scope, Diagnostics& diagnostics,
                             ConstValue& value) {
  return Evaluator(cursor, scope, diagnostics).Additive(value, 0);
}

}  // namespace simfx
