#include "fx/effect_parser.h"

namespace simfx {

bool IsTechniqueKeyword(const Token& token) {
  return token.kind == TokenKind::Identifier &&
         (EqualsIgnoreCase(token.text, "technique") || EqualsIgnoreCase(token.text, "technique9"));
}

bool IsDirect3D10Keyword(const Token& token) {
  static const char* const kKeywords[] = {"technique10",  "technique11",           "fxgroup",
                                          "BlendState",   "DepthStencilState",     "RasterizerState",
                                          "SamplerState", "SamplerComparisonState"};
  if (token.kind != TokenKind::Identifier) return false;
  for (const char* keyword : kKeywords) {
    if (EqualsIgnoreCase(token.text, keyword)) return true;
  }
  return false;
}

std::string EffectParser::OptionalName() {
  if (cursor_.Peek().kind != TokenKind::Identifier) return std::string();
  return cursor_.Take().text;
}

// technique [Name] [< annotations >] { pass ... }
bool EffectParser::TechniqueDefinition() {
  cursor_.Take();
  Technique technique;
  technique.name = OptionalName();
  if (cursor_.PeekPunct("<") && !Annotations(technique.annotations)) return false;
  if (!Expect("{")) return false;
  while (!cursor_.TakePunct("}")) {
    const Token& t = cursor_.Peek();
    if (t.kind != TokenKind::Identifier || !EqualsIgnoreCase(t.text, "pass"))
      return SyntaxError(diagnostics_, t);
    if (!PassDefinition(technique)) return false;
  }
  effect_.techniques.push_back(std::move(technique));
  return true;
}

// pass [Name] [< annotations >] { state assignments }
bool EffectParser::PassDefinition(Technique& technique) {
  cursor_.Take();
  Pass pass;
  pass.name = OptionalName();
  if (cursor_.PeekPunct("<") && !Annotations(pass.annotations)) return false;
  if (!cursor_.PeekPunct("{")) return SyntaxError(diagnostics_, cursor_.Peek());
  if (!cursor_.SkipBalanced(diagnostics_)) return false;
  technique.passes.push_back(std::move(pass));
  return true;
}

}  // namespace simfx
