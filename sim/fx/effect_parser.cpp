#include "fx/effect_parser.h"

#include <cstdlib>
#include <utility>

namespace simfx {

bool ParseEffect(std::vector<Token> tokens, Diagnostics& diagnostics, Effect& effect) {
  return EffectParser(std::move(tokens), diagnostics, effect).Parse();
}

EffectParser::EffectParser(std::vector<Token> tokens, Diagnostics& diagnostics, Effect& effect)
    : cursor_(std::move(tokens)), diagnostics_(diagnostics), effect_(effect) {}

bool EffectParser::Parse() {
  while (!cursor_.AtEnd())
    if (!GlobalItem()) return false;
  return !diagnostics_.Failed();
}

bool EffectParser::Expect(const char* punct) {
  if (cursor_.TakePunct(punct)) return true;
  return SyntaxError(diagnostics_, cursor_.Peek());
}

bool EffectParser::GlobalItem() {
  const Token& first = cursor_.Peek();
  if (cursor_.TakePunct(";")) return true;
  if (first.kind == TokenKind::Pragma) return Pragma(cursor_.Take());
  if (IsTechniqueKeyword(first)) return TechniqueDefinition();
  if (IsDirect3D10Keyword(first)) return SkipDirect3D10Block();
  if (first.IsIdentifier("typedef")) return Typedef();
  Modifiers modifiers;
  if (!TakeModifiers(modifiers)) return false;
  if (cursor_.Peek().IsIdentifier("struct")) return StructDefinition(modifiers);
  TypeDesc desc;
  bool isVoid = cursor_.Peek().IsIdentifier("void");
  if (isVoid) {
    cursor_.Take();
  } else if (!TakeType(desc)) {
    return diagnostics_.Failed() ? false : SyntaxError(diagnostics_, cursor_.Peek());
  }
  if (cursor_.Peek().kind == TokenKind::Identifier && cursor_.Peek(1).IsPunct("("))
    return FunctionRest(cursor_.Take());
  if (isVoid) return SyntaxError(diagnostics_, cursor_.Peek());
  return Declarators(desc, modifiers);
}

bool EffectParser::Pragma(const Token& pragma) {
  if (pragma.text == "pack_matrix row_major") rowMajorByDefault_ = true;
  if (pragma.text == "pack_matrix column_major") rowMajorByDefault_ = false;
  return true;
}

// "technique10 Name <...> { ... }" or "BlendState Name { ... };": the D3DX 9
// framework passes over them, and so does this parser, annotations included.
bool EffectParser::SkipDirect3D10Block() {
  cursor_.Take();
  for (;;) {
    const Token& t = cursor_.Peek();
    if (t.kind == TokenKind::EndOfFile) return SyntaxError(diagnostics_, t);
    if (t.IsPunct(";")) {
      cursor_.Take();
      return true;
    }
    if (t.IsPunct("{")) {
      if (!cursor_.SkipBalanced(diagnostics_)) return false;
      cursor_.TakePunct(";");
      return true;
    }
    if (t.IsPunct("<")) {
      std::vector<Variable> ignored;
      if (!Annotations(ignored)) return false;
    } else if (t.IsPunct("(") || t.IsPunct("[")) {
      if (!cursor_.SkipBalanced(diagnostics_)) return false;
    } else if (t.IsPunct(")") || t.IsPunct("]") || t.IsPunct("}")) {
      return SyntaxError(diagnostics_, t);
    } else {
      cursor_.Take();
    }
  }
}

// struct Name { members } [declarators] ;
bool EffectParser::StructDefinition(const Modifiers& modifiers) {
  cursor_.Take();
  TypeDesc desc;
  desc.cls = ParamClass::Struct;
  desc.type = ParamType::Void;
  std::string tag;
  if (cursor_.Peek().kind == TokenKind::Identifier) tag = cursor_.Take().text;
  if (!cursor_.PeekPunct("{")) return SyntaxError(diagnostics_, cursor_.Peek());
  desc.members = PeekStructMembers();
  if (!tag.empty()) typeAliases_[tag] = desc;
  if (!cursor_.SkipBalanced(diagnostics_)) return false;
  if (cursor_.TakePunct(";")) return true;
  return Declarators(desc, modifiers);
}

// The members of the struct body that starts at the next token ('{'), read
// ahead without moving: "type name[N] : SEMANTIC, other;" declarations only.
// Null when the body holds anything else; the struct then has no members.
std::shared_ptr<const std::vector<Variable>> EffectParser::PeekStructMembers() const {
  auto members = std::make_shared<std::vector<Variable>>();
  std::size_t k = 1;
  while (!cursor_.Peek(k).IsPunct("}")) {
    const Token& typeToken = cursor_.Peek(k++);
    if (typeToken.kind != TokenKind::Identifier) return nullptr;
    TypeDesc desc;
    auto alias = typeAliases_.find(typeToken.text);
    if (alias != typeAliases_.end()) {
      desc = alias->second;
    } else if (!LookupBuiltinType(typeToken.text, desc)) {
      return nullptr;
    }
    for (;;) {
      const Token& name = cursor_.Peek(k++);
      if (name.kind != TokenKind::Identifier) return nullptr;
      Variable member = VariableOfType(name.text, desc);
      if (cursor_.Peek(k).IsPunct("[")) {
        const Token& size = cursor_.Peek(k + 1);
        if (size.kind != TokenKind::Number || !cursor_.Peek(k + 2).IsPunct("]")) return nullptr;
        member.elements = static_cast<unsigned>(std::strtoul(size.text.c_str(), nullptr, 10));
        if (member.elements == 0 || member.elements > 65536) return nullptr;
        k += 3;
      }
      while (cursor_.Peek(k).IsPunct(":")) {
        if (cursor_.Peek(k + 1).kind != TokenKind::Identifier) return nullptr;
        member.semantic = cursor_.Peek(k + 1).text;
        k += 2;
      }
      ClearValue(member);
      members->push_back(std::move(member));
      if (!cursor_.Peek(k).IsPunct(",")) break;
      ++k;
    }
    if (!cursor_.Peek(k++).IsPunct(";")) return nullptr;
  }
  return members;
}

// typedef [const] type Name [, Name]* ;   or   typedef struct [Tag] { ... } Name ;
bool EffectParser::Typedef() {
  cursor_.Take();
  TypeDesc desc;
  if (cursor_.Peek().IsIdentifier("struct")) {
    cursor_.Take();
    desc.cls = ParamClass::Struct;
    desc.type = ParamType::Void;
    std::string tag;
    if (cursor_.Peek().kind == TokenKind::Identifier) tag = cursor_.Take().text;
    if (cursor_.PeekPunct("{")) desc.members = PeekStructMembers();
    if (!tag.empty()) typeAliases_[tag] = desc;
    if (cursor_.PeekPunct("{") && !cursor_.SkipBalanced(diagnostics_)) return false;
  } else {
    Modifiers ignored;
    if (!TakeModifiers(ignored)) return false;
    if (!TakeType(desc)) return diagnostics_.Failed() ? false : SyntaxError(diagnostics_, cursor_.Peek());
  }
  do {
    const Token& name = cursor_.Peek();
    if (name.kind != TokenKind::Identifier) return SyntaxError(diagnostics_, name);
    typeAliases_[cursor_.Take().text] = desc;
  } while (cursor_.TakePunct(","));
  return Expect(";");
}

// After "type name": the parameter list, semantics, then a body or ';' for a prototype.
bool EffectParser::FunctionRest(const Token& name) {
  if (functionNames_.insert(name.text).second) effect_.functions.push_back({name.text});
  if (!cursor_.SkipBalanced(diagnostics_) || !SkipSemantics()) return false;
  if (cursor_.TakePunct(";")) return true;
  if (!cursor_.PeekPunct("{")) return SyntaxError(diagnostics_, cursor_.Peek());
  return cursor_.SkipBalanced(diagnostics_);
}

// ": SEMANTIC", ": register(c0)", ": packoffset(c1)", any number of them. Semantics of variables
// are read by Declarator; here they are only skipped.
bool EffectParser::SkipSemantics() {
  while (cursor_.TakePunct(":")) {
    const Token& t = cursor_.Take();
    if (t.kind != TokenKind::Identifier) return SyntaxError(diagnostics_, t);
    if ((t.text == "register" || t.text == "packoffset") && cursor_.PeekPunct("(") &&
        !cursor_.SkipBalanced(diagnostics_))
      return false;
  }
  return true;
}

}  // namespace simfx
