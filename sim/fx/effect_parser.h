// Parses the declaration part of a preprocessed effect: parameters with their annotations and
// defaults, techniques and passes. Structs, typedefs and function bodies are skipped.
#pragma once

#include <map>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "fx/constant_value.h"
#include "fx/diagnostics.h"
#include "fx/fx_model.h"
#include "fx/token_cursor.h"
#include "fx/type_names.h"

namespace simfx {

bool ParseEffect(std::vector<Token> tokens, Diagnostics& diagnostics, Effect& effect);

class EffectParser {
 public:
  EffectParser(std::vector<Token> tokens, Diagnostics& diagnostics, Effect& effect);
  bool Parse();

 private:
  struct Modifiers {
    bool isShared = false, isStatic = false, isConst = false, isUniform = false, isExtern = false;
    bool rowMajor = false, columnMajor = false;
  };

  // effect_parser.cpp: global scope, structs, typedefs, functions.
  bool GlobalItem();
  bool Pragma(const Token& pragma);
  bool SkipDirect3D10Block();
  bool StructDefinition(const Modifiers& modifiers);
  std::shared_ptr<const std::vector<Variable>> PeekStructMembers() const;
  bool Typedef();
  bool FunctionRest(const Token& name);
  bool SkipSemantics();
  bool Expect(const char* punct);

  // declaration_parser.cpp: types, declarators, annotations, initializers.
  bool TakeModifiers(Modifiers& modifiers);
  bool TakeType(TypeDesc& desc);
  bool TakeTemplateType(TypeDesc& desc);
  bool Declarators(const TypeDesc& desc, const Modifiers& modifiers);
  bool Declarator(const TypeDesc& desc, const Modifiers& modifiers);
  bool IsDeclaredParameter(const std::string& name);
  bool ArraySize(unsigned& elements);
  bool Annotations(std::vector<Variable>& annotations);
  bool Initializer(Variable& variable, const TypeDesc& desc);
  bool StaticInitializer(Variable& variable, bool& evaluated);
  bool SkipObjectInitializer();
  bool LookupConstant(const std::string& name, ConstValue& value) const;
  ConstantScope Scope() const;

  // technique_parser.cpp
  bool TechniqueDefinition();
  bool PassDefinition(Technique& technique);
  std::string OptionalName();

  TokenCursor cursor_;
  Diagnostics& diagnostics_;
  Effect& effect_;
  std::map<std::string, TypeDesc> typeAliases_;  // typedef names and struct names
  std::set<std::string> functionNames_;
  bool rowMajorByDefault_ = false;
  // Names of effect_.parameters[0, parametersNamed_), for the redefinition check.
  std::unordered_set<std::string> parameterNames_;
  std::size_t parametersNamed_ = 0;
};

bool IsTechniqueKeyword(const Token& token);
// Techniques, groups and state objects of the Direct3D 10 effect framework,
// which effects meant for both APIs declare at global scope.
bool IsDirect3D10Keyword(const Token& token);

}  // namespace simfx
