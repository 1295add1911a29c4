// The parameters, annotations, techniques, passes and functions of one
// simulated effect, built from the compiler's model. Every node's address is
// its D3DXHANDLE; nodes live as long as the tree, and trees of released
// effects are kept, so a handle is never reused for another node.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fx/fx_model.h"
#include "sim/d3dx9.h"

namespace sim::detail {

enum class NodeKind { Parameter, Element, Annotation, Technique, Pass, Function, Block };

// Values of one parameter or annotation (shared by the elements of an array).
struct ValueStore {
  std::vector<std::uint8_t> numbers;             // 4 bytes per component, row-major
  std::vector<std::string> strings;              // one per element, string types
  std::vector<IDirect3DBaseTexture9*> textures;  // one per element, texture types; references held
};

struct Node {
  // First, so that a handle of another effect, read as a name, is a string of
  // at most one control character and names nothing.
  NodeKind kind = NodeKind::Parameter;
  std::string name;
  std::string semantic;
  D3DXPARAMETER_CLASS cls = D3DXPC_SCALAR;
  D3DXPARAMETER_TYPE type = D3DXPT_VOID;
  UINT rows = 0;
  UINT columns = 0;
  UINT elements = 0;
  DWORD flags = 0;

  Node* owner = this;  // the node that owns `store`: itself, or the array of an element
  ValueStore* store = nullptr;
  UINT firstSlot = 0;  // first array element covered
  UINT slotCount = 1;  // elements covered: max(1, elements), 1 for an element

  std::unique_ptr<ValueStore> ownStore;
  std::vector<std::unique_ptr<Node>> elementNodes;
  std::vector<std::unique_ptr<Node>> members;  // structures (each element of a structure array has its own)
  std::vector<std::unique_ptr<Node>> annotations;
  std::vector<std::unique_ptr<Node>> passes;

  // Nodes come from a pool whose freed addresses are handed out again, lowest
  // first, while handle reuse is on (see HandleReuseEnabled).
  static void* operator new(std::size_t size);
  static void operator delete(void* node) noexcept;

  D3DXHANDLE Handle() const { return reinterpret_cast<D3DXHANDLE>(this); }
  bool IsValue() const {
    return kind == NodeKind::Parameter || kind == NodeKind::Element || kind == NodeKind::Annotation;
  }
  bool IsNumeric() const { return type == D3DXPT_BOOL || type == D3DXPT_INT || type == D3DXPT_FLOAT; }
  bool IsString() const { return type == D3DXPT_STRING; }
  bool IsTexture() const { return type >= D3DXPT_TEXTURE && type <= D3DXPT_TEXTURECUBE; }
  bool IsShader() const { return type == D3DXPT_PIXELSHADER || type == D3DXPT_VERTEXSHADER; }
  bool IsMatrix() const { return cls == D3DXPC_MATRIX_ROWS || cls == D3DXPC_MATRIX_COLUMNS; }
  bool IsScalarOrVector() const { return cls == D3DXPC_SCALAR || cls == D3DXPC_VECTOR; }
  bool IsWritable() const { return kind != NodeKind::Annotation; }
  UINT ComponentsPerSlot() const { return rows * columns; }
  UINT Components() const { return ComponentsPerSlot() * slotCount; }
  // Size of the value as GetValue/SetValue move it and as the description's
  // Bytes reports it: 4 bytes per numeric component; one pointer (of this
  // process) per element for strings and textures; 0 for samplers, shaders
  // and structures.
  UINT ValueBytes() const;
  std::uint8_t* Numbers() { return store->numbers.data() + std::size_t(firstSlot) * ComponentsPerSlot() * 4; }
};

// Whether a released effect frees its tree so that its handle addresses are
// used again (sim::SetHandleReuse).
bool HandleReuseEnabled();

class EffectTree {
 public:
  explicit EffectTree(const simfx::Effect& model);
  ~EffectTree();
  EffectTree(const EffectTree&) = delete;
  EffectTree& operator=(const EffectTree&) = delete;

  // The node behind a real handle, or null for any other pointer.
  Node* FromHandle(D3DXHANDLE handle) const;
  // "name", "array[2]", "light.colour", "lights[1].colour"; null when there is no such parameter.
  Node* ParameterByPath(const char* path) const;
  // The same path read below `node`, starting with a member name.
  static Node* MemberByPath(Node* node, const char* path);
  Node* ParameterBySemantic(const char* semantic) const;
  Node* TechniqueByName(const char* name) const;
  Node* FunctionByName(const char* name) const;

  // Copies every value from a tree built from the same model (texture
  // references are taken for the copies).
  void CopyValuesFrom(const EffectTree& other);
  // Drops the texture references the values hold.
  void ReleaseObjects();

  void Register(Node* node) { handles_[node] = node; }

  std::vector<std::unique_ptr<Node>> parameters;
  std::vector<std::unique_ptr<Node>> techniques;
  std::vector<std::unique_ptr<Node>> functions;

 private:
  std::unique_ptr<Node> BuildValue(const simfx::Variable& variable, NodeKind kind);
  void AddAnnotations(Node& node, const std::vector<simfx::Variable>& annotations);

  std::unordered_map<const void*, Node*> handles_;
  // Top-level parameters by name (the first of a name), so that a lookup by
  // name costs the same for every parameter; the views point into the nodes.
  std::unordered_map<std::string_view, Node*> parametersByName_;
  std::vector<ValueStore*> stores_;  // in build order, for copying between trees
};

}  // namespace sim::detail
