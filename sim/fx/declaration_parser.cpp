#include "fx/effect_parser.h"

namespace simfx {

namespace {

constexpr unsigned kMaxArrayElements = 65536;

}  // namespace

bool EffectParser::TakeModifiers(Modifiers& m) {
  for (;;) {
    const Token& t = cursor_.Peek();
    if (t.kind != TokenKind::Identifier) return true;
    const std::string& w = t.text;
    if (w == "uniform")
      m.isUniform = true;
    else if (w == "static")
      m.isStatic = true;
    else if (w == "const")
      m.isConst = true;
    else if (w == "shared")
      m.isShared = true;
    else if (w == "extern")
      m.isExtern = true;
    else if (w == "row_major")
      m.rowMajor = true;
    else if (w == "column_major")
      m.columnMajor = true;
    else if (w != "volatile" && w != "inline" && w != "precise")
      return true;
    cursor_.Take();
  }
}

bool EffectParser::TakeType(TypeDesc& desc) {
  const Token& t = cursor_.Peek();
  if (t.kind != TokenKind::Identifier) return false;
  if ((t.text == "matrix" || t.text == "vector") && cursor_.Peek(1).IsPunct("<"))
    return TakeTemplateType(desc);
  auto alias = typeAliases_.find(t.text);
  if (alias != typeAliases_.end()) {
    desc = alias->second;
  } else if (!LookupBuiltinType(t.text, desc)) {
    return false;
  }
  cursor_.Take();
  return true;
}

// vector<float, 3> and matrix<float, 4, 4>
bool EffectParser::TakeTemplateType(TypeDesc& desc) {
  bool isMatrix = cursor_.Take().text == "matrix";
  cursor_.Take();
  desc = TypeDesc();
  if (!LookupScalarType(cursor_.Peek().text, desc.type) || cursor_.Peek().kind != TokenKind::Identifier)
    return SyntaxError(diagnostics_, cursor_.Peek());
  cursor_.Take();
  unsigned sizes[2] = {1, 1};
  for (unsigned i = 0; i < (isMatrix ? 2u : 1u); ++i) {
    if (!Expect(",")) return false;
    const Token& n = cursor_.Take();
    if (n.kind != TokenKind::Number || n.text.size() != 1 || n.text[0] < '1' || n.text[0] > '4')
      return SyntaxError(diagnostics_, n);
    sizes[i] = static_cast<unsigned>(n.text[0] - '0');
  }
  if (!cursor_.TakeClosingAngle()) return SyntaxError(diagnostics_, cursor_.Peek());
  if (isMatrix) {
    desc.cls = ParamClass::MatrixColumns;
    desc.rows = sizes[0];
    desc.columns = sizes[1];
  } else {
    desc.cls = ParamClass::Vector;
    desc.columns = sizes[0];
  }
  return true;
}

bool EffectParser::Declarators(const TypeDesc& desc, const Modifiers& modifiers) {
  do {
    if (!Declarator(desc, modifiers)) return false;
  } while (cursor_.TakePunct(","));
  return Expect(";");
}

// name [N]... [: SEMANTIC] [: register(...)] [< annotations >] [= initializer]
bool EffectParser::Declarator(const TypeDesc& desc, const Modifiers& modifiers) {
  const Token& nameToken = cursor_.Take();
  if (nameToken.kind != TokenKind::Identifier) return SyntaxError(diagnostics_, nameToken);
  Variable v = VariableOfType(nameToken.text, desc);
  if (desc.IsMatrix())
    v.cls = modifiers.rowMajor || (rowMajorByDefault_ && !modifiers.columnMajor) ? ParamClass::MatrixRows
                                                                                 : ParamClass::MatrixColumns;
  v.isShared = modifiers.isShared;
  v.isStatic = modifiers.isStatic;
  v.isConst = modifiers.isConst;
  v.isUniform = modifiers.isUniform;
  v.isExtern = modifiers.isExtern;
  while (cursor_.PeekPunct("["))
    if (!ArraySize(v.elements)) return false;
  while (cursor_.TakePunct(":")) {
    const Token& s = cursor_.Take();
    if (s.kind != TokenKind::Identifier) return SyntaxError(diagnostics_, s);
    if (s.text == "register" || s.text == "packoffset") {
      if (!cursor_.PeekPunct("(")) return SyntaxError(diagnostics_, cursor_.Peek());
      if (!cursor_.SkipBalanced(diagnostics_)) return false;
    } else {
      v.semantic = s.text;
    }
  }
  if (cursor_.PeekPunct("<") && !Annotations(v.annotations)) return false;
  ClearValue(v);
  if (v.isStatic && (desc.IsNumeric() || desc.type == ParamType::String) && cursor_.PeekPunct("=")) {
    // A static global is no parameter: when its value cannot be worked out
    // here it is left out, and nothing can read its unknown value.
    bool evaluated = false;
    if (!StaticInitializer(v, evaluated)) return false;
    if (!evaluated) return true;
  } else if (!Initializer(v, desc)) {
    return false;
  }
  if (IsDeclaredParameter(v.name)) {
    diagnostics_.Error(nameToken.pos, code::kRedefinition, "redefinition of '" + v.name + "'");
    return false;
  }
  effect_.parameters.push_back(std::move(v));
  return true;
}

// The names of the parameters declared so far, in a set brought up to date
// with the parameter list on every question, so that an effect of n
// parameters is checked in time proportional to n.
bool EffectParser::IsDeclaredParameter(const std::string& name) {
  for (; parametersNamed_ < effect_.parameters.size(); ++parametersNamed_)
    parameterNames_.insert(effect_.parameters[parametersNamed_].name);
  return parameterNames_.count(name) != 0;
}

bool EffectParser::ArraySize(unsigned& elements) {
  cursor_.Take();
  const Token& at = cursor_.Peek();
  ConstValue size;
  if (!ParseConstantExpression(cursor_, Scope(), diagnostics_, size)) return false;
  if (size.isString || size.numbers.size() != 1 || !size.integral || size.numbers[0] < 1 ||
      size.numbers[0] > kMaxArrayElements) {
    diagnostics_.Error(at.pos, code::kConversion, "array dimensions must be literal positive integers");
    return false;
  }
  unsigned n = static_cast<unsigned>(size.numbers[0]);
  unsigned total = elements ? elements * n : n;
  if (total > kMaxArrayElements) {
    diagnostics_.Error(at.pos, code::kConversion, "array is too large");
    return false;
  }
  elements = total;
  return Expect("]");
}

// < type name = value [, name = value]; ... >
bool EffectParser::Annotations(std::vector<Variable>& annotations) {
  cursor_.Take();
  while (!cursor_.TakeClosingAngle()) {
    TypeDesc desc;
    const Token& typeToken = cursor_.Peek();
    if (!TakeType(desc) || !(desc.IsNumeric() || desc.type == ParamType::String) ||
        desc.cls == ParamClass::Struct)
      return diagnostics_.Failed() ? false : SyntaxError(diagnostics_, typeToken);
    // One type may declare several annotations: "int width = 64, height = 64;".
    do {
      const Token& nameToken = cursor_.Take();
      if (nameToken.kind != TokenKind::Identifier) return SyntaxError(diagnostics_, nameToken);
      Variable a = VariableOfType(nameToken.text, desc);
      ClearValue(a);
      if (cursor_.TakePunct("=")) {
        const Token& at = cursor_.Peek();
        ConstValue value;
        if (!ParseInitializer(cursor_, Scope(), diagnostics_, value) ||
            !StoreValue(value, at, diagnostics_, a))
          return false;
      }
      annotations.push_back(std::move(a));
    } while (cursor_.TakePunct(","));
    if (!Expect(";")) return false;
  }
  return true;
}

bool EffectParser::Initializer(Variable& v, const TypeDesc& desc) {
  if (desc.IsSampler() && cursor_.PeekPunct("{")) return cursor_.SkipBalanced(diagnostics_);
  if (!cursor_.TakePunct("=")) return true;
  if (desc.IsNumeric() || desc.type == ParamType::String) {
    const Token& at = cursor_.Peek();
    ConstValue value;
    return ParseInitializer(cursor_, Scope(), diagnostics_, value) && StoreValue(value, at, diagnostics_, v);
  }
  if (EqualsIgnoreCase(cursor_.Peek().text, "sampler_state") &&
      cursor_.Peek().kind == TokenKind::Identifier) {
    cursor_.Take();
    if (!cursor_.PeekPunct("{")) return SyntaxError(diagnostics_, cursor_.Peek());
    return cursor_.SkipBalanced(diagnostics_);
  }
  return SkipObjectInitializer();
}

// "= value" of a static global. Its initializer may use what only the shader
// knows (swizzles and members of other globals, functions of the file): when
// it is not a constant expression it is skipped up to the ',' or ';' that
// ends the declarator, and `evaluated` stays false.
bool EffectParser::StaticInitializer(Variable& v, bool& evaluated) {
  cursor_.Take();
  const std::size_t start = cursor_.Mark();
  const Token& at = cursor_.Peek();
  Diagnostics trial;
  ConstValue value;
  if (ParseInitializer(cursor_, Scope(), trial, value) &&
      (cursor_.PeekPunct(",") || cursor_.PeekPunct(";"))) {
    evaluated = true;
    return StoreValue(value, at, diagnostics_, v);
  }
  cursor_.Rewind(start);
  return SkipObjectInitializer();
}

// Shader objects ("compile ps_2_0 PS()", "asm { ... }") and struct values are not evaluated:
// everything up to the ',' or ';' that ends the declarator is passed over.
bool EffectParser::SkipObjectInitializer() {
  bool any = false;
  for (;;) {
    const Token& t = cursor_.Peek();
    if (t.kind == TokenKind::EndOfFile || (any && (t.IsPunct(",") || t.IsPunct(";"))))
      return any ? true : SyntaxError(diagnostics_, t);
    if (t.IsPunct(")") || t.IsPunct("}") || t.IsPunct("]") || (!any && (t.IsPunct(",") || t.IsPunct(";"))))
      return SyntaxError(diagnostics_, t);
    if (t.IsPunct("(") || t.IsPunct("{") || t.IsPunct("[")) {
      if (!cursor_.SkipBalanced(diagnostics_)) return false;
    } else {
      cursor_.Take();
    }
    any = true;
  }
}

ConstantScope EffectParser::Scope() const {
  ConstantScope scope;
  scope.constant = [this](const std::string& name, ConstValue& value) { return LookupConstant(name, value); };
  scope.type = [this](const std::string& name, TypeDesc& desc) {
    auto alias = typeAliases_.find(name);
    if (alias == typeAliases_.end()) return false;
    desc = alias->second;
    return true;
  };
  return scope;
}

bool EffectParser::LookupConstant(const std::string& name, ConstValue& value) const {
  for (const Variable& p : effect_.parameters) {
    if (p.name != name || p.elements != 0 || p.cls == ParamClass::Object || p.cls == ParamClass::Struct)
      continue;
    if (!(p.type == ParamType::Bool || p.type == ParamType::Int || p.type == ParamType::Float ||
          p.type == ParamType::String))
      continue;
    value = LoadValue(p);
    return true;
  }
  return false;
}

}  // namespace simfx
