// The HLSL type keywords that effect parameters and annotations are declared with.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fx/fx_model.h"

namespace simfx {

struct TypeDesc {
  // Structures: the members, when the body holds only plain member declarations.
  std::shared_ptr<const std::vector<Variable>> members;
  ParamClass cls = ParamClass::Scalar;
  ParamType type = ParamType::Float;
  unsigned rows = 1;
  unsigned columns = 1;

  bool IsNumeric() const {
    return type == ParamType::Bool || type == ParamType::Int || type == ParamType::Float;
  }
  bool IsMatrix() const { return cls == ParamClass::MatrixRows || cls == ParamClass::MatrixColumns; }
  bool IsSampler() const { return type >= ParamType::Sampler && type <= ParamType::SamplerCube; }
  unsigned Components() const { return rows * columns; }
};

// A variable of the given name with the shape, type and members of `desc`.
inline Variable VariableOfType(const std::string& name, const TypeDesc& desc) {
  Variable v;
  v.name = name;
  v.cls = desc.cls;
  v.type = desc.type;
  v.rows = desc.rows;
  v.columns = desc.columns;
  if (desc.members) v.members = *desc.members;
  return v;
}

// Scalar, vector, matrix, string and object keywords ("float3", "int2x2", "matrix", "Texture2D",
// "samplerCUBE", "PixelShader" ...). Matrices come back as MatrixColumns. Object keywords match
// regardless of case, as the effect compiler accepts them.
bool LookupBuiltinType(const std::string& name, TypeDesc& desc);

// The scalar keywords allowed inside vector<...> and matrix<...>.
bool LookupScalarType(const std::string& name, ParamType& type);

// "float4", "int", "bool3x3", "string", "texture2D": a type as messages show it.
std::string TypeName(const TypeDesc& desc);

// Equality ignoring ASCII case.
bool EqualsIgnoreCase(const std::string& a, const char* b);

}  // namespace simfx
