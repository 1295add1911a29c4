// What the simulated effect compiler extracts from the declaration part of an
// .fx file. The simulated ID3DXEffect is built on top of this model.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace simfx {

// Mirrors D3DXPARAMETER_CLASS.
enum class ParamClass { Scalar = 0, Vector = 1, MatrixRows = 2, MatrixColumns = 3, Object = 4, Struct = 5 };

// Mirrors D3DXPARAMETER_TYPE (same numeric values).
enum class ParamType {
  Void = 0,
  Bool = 1,
  Int = 2,
  Float = 3,
  String = 4,
  Texture = 5,
  Texture1D = 6,
  Texture2D = 7,
  Texture3D = 8,
  TextureCube = 9,
  Sampler = 10,
  Sampler1D = 11,
  Sampler2D = 12,
  Sampler3D = 13,
  SamplerCube = 14,
  PixelShader = 15,
  VertexShader = 16,
};

// One global parameter or one annotation.
struct Variable {
  std::string name;
  std::string semantic;  // empty when none
  ParamClass cls = ParamClass::Scalar;
  ParamType type = ParamType::Float;
  unsigned rows = 1;      // 1 for scalars and vectors
  unsigned columns = 1;   // vector size, matrix columns
  unsigned elements = 0;  // array size, 0 when not an array
  // Numeric defaults, 4 bytes per component (bool and int as 32-bit integers,
  // half and float as 32-bit floats), row-major, zero-filled when no default.
  // Size = 4 * rows * columns * max(1, elements) for numeric types; empty for objects.
  std::vector<std::uint8_t> data;
  std::string stringValue;  // String type only
  bool isShared = false, isStatic = false, isConst = false, isUniform = false, isExtern = false;
  std::vector<Variable> annotations;  // empty for annotations themselves
  std::vector<Variable> members;      // structures: their members, in declaration order
};

struct Pass {
  std::string name;  // may be empty
  std::vector<Variable> annotations;
};

struct Technique {
  std::string name;  // may be empty
  std::vector<Variable> annotations;
  std::vector<Pass> passes;
};

struct Function {
  std::string name;
};

struct Effect {
  std::vector<Variable> parameters;  // globals, in declaration order (static ones included)
  std::vector<Technique> techniques;
  std::vector<Function> functions;
};

// Resolves #include. `system` is true for <name>, false for "name".
// Returns false when the file cannot be provided (the compile then fails with
// an error at the directive). The data handed back is released by the caller
// through `close` exactly once for every successful open.
struct IncludeResolver {
  std::function<bool(bool system, const std::string& name, const void*& data, std::uint32_t& bytes)> open;
  std::function<void(const void* data)> close;
};

struct CompileResult {
  bool ok = false;
  Effect effect;
  // Compiler messages, one per line, "file(line,col): error X3000: text" or
  // "file(line,col): warning X3000: text" (pragma messages are warnings).
  // Empty when there were none.
  std::string messages;
};

// Preprocesses and parses `source`. `fileName` is used in messages and to
// resolve includes relative to the file's folder when `resolver` is null.
CompileResult Compile(const std::string& source, const std::string& fileName,
                      const std::vector<std::pair<std::string, std::string>>& macros,
                      const IncludeResolver* resolver);

}  // namespace simfx
