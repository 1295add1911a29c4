#include "fx/type_names.h"

#include <cstring>

namespace simfx {

namespace {

struct ObjectKeyword {
  const char* name;
  ParamType type;
};

const ObjectKeyword kObjectKeywords[] = {
    {"string", ParamType::String},
    {"texture", ParamType::Texture},
    {"texture1D", ParamType::Texture1D},
    {"texture2D", ParamType::Texture2D},
    {"texture3D", ParamType::Texture3D},
    {"textureCUBE", ParamType::TextureCube},
    {"sampler", ParamType::Sampler},
    {"sampler1D", ParamType::Sampler1D},
    {"sampler2D", ParamType::Sampler2D},
    {"sampler3D", ParamType::Sampler3D},
    {"samplerCUBE", ParamType::SamplerCube},
    {"pixelshader", ParamType::PixelShader},
    {"vertexshader", ParamType::VertexShader},
};

unsigned Dimension(char c) {
  return (c >= '1' && c <= '4') ? static_cast<unsigned>(c - '0') : 0;
}

}  // namespace

bool EqualsIgnoreCase(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool LookupScalarType(const std::string& name, ParamType& type) {
  if (name == "bool") {
    type = ParamType::Bool;
  } else if (name == "int" || name == "uint" || name == "dword") {
    type = ParamType::Int;
  } else if (name == "float" || name == "half" || name == "double") {
    type = ParamType::Float;
  } else {
    return false;
  }
  return true;
}

bool LookupBuiltinType(const std::string& name, TypeDesc& desc) {
  desc = TypeDesc();
  if (name == "matrix") {
    desc.cls = ParamClass::MatrixColumns;
    desc.rows = desc.columns = 4;
    return true;
  }
  if (name == "vector") {
    desc.cls = ParamClass::Vector;
    desc.columns = 4;
    return true;
  }
  for (const ObjectKeyword& keyword : kObjectKeywords) {
    if (EqualsIgnoreCase(name, keyword.name)) {
      desc.cls = keyword.type == ParamType::String ? ParamClass::Scalar : ParamClass::Object;
      desc.type = keyword.type;
      return keyword.type != ParamType::String || name == "string";
    }
  }
  // A scalar keyword, optionally followed by a vector size "N" or matrix size "RxC".
  size_t digits = name.find_first_of("1234");
  std::string base = name.substr(0, digits);
  if (!LookupScalarType(base, desc.type)) return false;
  if (digits == std::string::npos) return true;
  std::string shape = name.substr(digits);
  if (shape.size() == 1 && Dimension(shape[0])) {
    desc.cls = ParamClass::Vector;
    desc.columns = Dimension(shape[0]);
    return true;
  }
  if (shape.size() == 3 && Dimension(shape[0]) && shape[1] == 'x' && Dimension(shape[2])) {
    desc.cls = ParamClass::MatrixColumns;
    desc.rows = Dimension(shape[0]);
    desc.columns = Dimension(shape[2]);
    return true;
  }
  return false;
}

std::string TypeName(const TypeDesc& desc) {
  for (const ObjectKeyword& keyword : kObjectKeywords)
    if (keyword.type == desc.type) return keyword.name;
  std::string name = desc.type == ParamType::Bool    ? "bool"
                     : desc.type == ParamType::Int   ? "int"
                     : desc.type == ParamType::Float ? "float"
                                                     : "struct";
  if (desc.cls == ParamClass::Vector) name += std::to_string(desc.columns);
  if (desc.IsMatrix()) name += std::to_string(desc.rows) + "x" + std::to_string(desc.columns);
  return name;
}

}  // namespace simfx
