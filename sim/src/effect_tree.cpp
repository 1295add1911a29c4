#include "effect_tree.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace sim::detail {

namespace {

// Node memory for the handle-reuse mode: one block of equal slots, so that
// "lowest free address first" gives the next effect the addresses of the
// last one freed, in the order it allocated them.
constexpr std::size_t kPoolSlots = 16384;

struct NodePool {
  std::mutex lock;
  bool reuse = false;
  unsigned char* slots = nullptr;  // allocated on first use, never freed
  bool used[kPoolSlots] = {};

  std::size_t SlotSize() const { return (sizeof(Node) + alignof(Node) - 1) / alignof(Node) * alignof(Node); }
  bool Owns(const void* node) const {
    const auto* at = static_cast<const unsigned char*>(node);
    return slots && at >= slots && at < slots + kPoolSlots * SlotSize();
  }
};

NodePool& pool() {
  static NodePool* instance = new NodePool();
  return *instance;
}

}  // namespace

bool HandleReuseEnabled() {
  std::lock_guard<std::mutex> guard(pool().lock);
  return pool().reuse;
}

void* Node::operator new(std::size_t size) {
  NodePool& p = pool();
  {
    std::lock_guard<std::mutex> guard(p.lock);
    if (p.reuse && size <= p.SlotSize()) {
      if (!p.slots) p.slots = static_cast<unsigned char*>(::operator new(kPoolSlots* p.SlotSize()));
      for (std::size_t i = 0; i < kPoolSlots; ++i) {
        if (p.used[i]) continue;
        p.used[i] = true;
        return p.slots + i * p.SlotSize();
      }
    }
  }
  return ::operator new(size);
}

void Node::operator delete(void* node) noexcept {
  NodePool& p = pool();
  {
    std::lock_guard<std::mutex> guard(p.lock);
    if (p.Owns(node)) {
      p.used[(static_cast<unsigned char*>(node) - p.slots) / p.SlotSize()] = false;
      return;
    }
  }
  ::operator delete(node);
}

UINT Node::ValueBytes() const {
  if (cls == D3DXPC_STRUCT) {
    UINT total = 0;
    for (const auto& element : elementNodes) total += element->ValueBytes();
    for (const auto& member : members) total += member->ValueBytes();
    return total;
  }
  if (IsNumeric()) return 4 * Components();
  if (IsString() || IsTexture()) return static_cast<UINT>(sizeof(void*)) * slotCount;
  return 0;
}

EffectTree::EffectTree(const simfx::Effect& model) {
  for (const simfx::Variable& variable : model.parameters) {
    // Static globals belong to the shader code, not to the application.
    if (variable.isStatic) continue;
    parameters.push_back(BuildValue(variable, NodeKind::Parameter));
    parametersByName_.try_emplace(parameters.back()->name, parameters.back().get());
  }
  for (const simfx::Technique& technique : model.techniques) {
    auto node = std::make_unique<Node>();
    node->kind = NodeKind::Technique;
    node->name = technique.name;
    AddAnnotations(*node, technique.annotations);
    for (const simfx::Pass& pass : technique.passes) {
      auto passNode = std::make_unique<Node>();
      passNode->kind = NodeKind::Pass;
      passNode->name = pass.name;
      AddAnnotations(*passNode, pass.annotations);
      Register(passNode.get());
      node->passes.push_back(std::move(passNode));
    }
    Register(node.get());
    techniques.push_back(std::move(node));
  }
  for (const simfx::Function& function : model.functions) {
    auto node = std::make_unique<Node>();
    node->kind = NodeKind::Function;
    node->name = function.name;
    Register(node.get());
    functions.push_back(std::move(node));
  }
}

EffectTree::~EffectTree() {
  ReleaseObjects();
}

std::unique_ptr<Node> EffectTree::BuildValue(const simfx::Variable& variable, NodeKind kind) {
  auto node = std::make_unique<Node>();
  node->kind = kind;
  node->name = variable.name;
  node->semantic = variable.semantic;
  node->cls = static_cast<D3DXPARAMETER_CLASS>(variable.cls);
  node->type = static_cast<D3DXPARAMETER_TYPE>(variable.type);
  node->rows = variable.rows;
  node->columns = variable.columns;
  node->elements = variable.elements;
  // Strings, textures, samplers and shaders are objects whatever the source wrote.
  if (!node->IsNumeric() && node->type != D3DXPT_VOID) node->cls = D3DXPC_OBJECT;
  if (kind == NodeKind::Annotation) node->flags |= D3DX_PARAMETER_ANNOTATION;
  if (variable.isShared) node->flags |= D3DX_PARAMETER_SHARED;
  node->slotCount = std::max(1u, variable.elements);

  node->ownStore = std::make_unique<ValueStore>();
  node->store = node->ownStore.get();
  if (node->IsNumeric()) {
    node->store->numbers = variable.data;
    node->store->numbers.resize(std::size_t(node->Components()) * 4, 0);
  } else if (node->IsString()) {
    node->store->strings.assign(node->slotCount, variable.stringValue);
  } else if (node->IsTexture()) {
    node->store->textures.assign(node->slotCount, nullptr);
  }
  stores_.push_back(node->store);

  for (UINT i = 0; i < variable.elements; ++i) {
    auto element = std::make_unique<Node>();
    element->kind = NodeKind::Element;
    element->name = node->name;
    element->semantic = node->semantic;
    element->cls = node->cls;
    element->type = node->type;
    element->rows = node->rows;
    element->columns = node->columns;
    element->flags = node->flags;
    element->owner = node.get();
    element->store = node->store;
    element->firstSlot = i;
    element->slotCount = 1;
    for (const simfx::Variable& member : variable.members)
      element->members.push_back(BuildValue(member, NodeKind::Parameter));
    Register(element.get());
    node->elementNodes.push_back(std::move(element));
  }
  if (variable.elements == 0) {
    for (const simfx::Variable& member : variable.members)
      node->members.push_back(BuildValue(member, NodeKind::Parameter));
  }
  if (kind != NodeKind::Annotation) AddAnnotations(*node, variable.annotations);
  Register(node.get());
  return node;
}

void EffectTree::AddAnnotations(Node& node, const std::vector<simfx::Variable>& annotations) {
  for (const simfx::Variable& annotation : annotations) {
    node.annotations.push_back(BuildValue(annotation, NodeKind::Annotation));
  }
}

Node* EffectTree::FromHandle(D3DXHANDLE handle) const {
  const auto found = handles_.find(handle);
  return found != handles_.end() ? found->second : nullptr;
}

namespace {

// Length of the name that starts `path`, up to '[', '.' or the end.
std::size_t NameLength(const char* path) {
  return std::strcspn(path, "[.");
}

Node* Named(const std::vector<std::unique_ptr<Node>>& nodes, const char* name, std::size_t length) {
  for (const auto& node : nodes) {
    if (node->name.size() == length && node->name.compare(0, length, name, length) == 0) return node.get();
  }
  return nullptr;
}

// Follows "[n]" and ".member" steps from `node` to the end of `rest`.
Node* Follow(Node* node, const char* rest) {
  while (node && *rest) {
    if (*rest == '[') {
      char* end = nullptr;
      const unsigned long index = std::strtoul(rest + 1, &end, 10);
      if (end == rest + 1 || *end != ']') return nullptr;
      node = index < node->elementNodes.size() ? node->elementNodes[index].get() : nullptr;
      rest = end + 1;
    } else if (*rest == '.') {
      const std::size_t length = NameLength(rest + 1);
      node = Named(node->members, rest + 1, length);
      rest += 1 + length;
    } else {
      return nullptr;
    }
  }
  return node;
}

}  // namespace

// Allocates nothing: names are compared in place.
Node* EffectTree::ParameterByPath(const char* path) const {
  if (!path) return nullptr;
  const std::size_t length = NameLength(path);
  const auto found = parametersByName_.find(std::string_view(path, length));
  return Follow(found != parametersByName_.end() ? found->second : nullptr, path + length);
}

Node* EffectTree::MemberByPath(Node* node, const char* path) {
  if (!node || !path) return nullptr;
  const std::size_t length = NameLength(path);
  return Follow(Named(node->members, path, length), path + length);
}

Node* EffectTree::ParameterBySemantic(const char* semantic) const {
  if (!semantic) return nullptr;
  for (const auto& parameter : parameters) {
    if (!parameter->semantic.empty() && strcasecmp(parameter->semantic.c_str(), semantic) == 0)
      return parameter.get();
  }
  return nullptr;
}

Node* EffectTree::TechniqueByName(const char* name) const {
  if (!name) return nullptr;
  for (const auto& technique : techniques) {
    if (technique->name == name) return technique.get();
  }
  return nullptr;
}

Node* EffectTree::FunctionByName(const char* name) const {
  if (!name) return nullptr;
  for (const auto& function : functions) {
    if (function->name == name) return function.get();
  }
  return nullptr;
}

void EffectTree::CopyValuesFrom(const EffectTree& other) {
  const std::size_t count = std::min(stores_.size(), other.stores_.size());
  for (std::size_t i = 0; i < count; ++i) {
    ValueStore& target = *stores_[i];
    const ValueStore& source = *other.stores_[i];
    for (IDirect3DBaseTexture9* texture : source.textures) {
      if (texture) texture->AddRef();
    }
    for (IDirect3DBaseTexture9* texture : target.textures) {
      if (texture) texture->Release();
    }
    target = source;
  }
}

void EffectTree::ReleaseObjects() {
  for (ValueStore* store : stores_) {
    for (IDirect3DBaseTexture9*& texture : store->textures) {
      if (texture) texture->Release();
      texture = nullptr;
    }
  }
}

}  // namespace sim::detail

namespace sim {

void SetHandleReuse(bool on) {
  std::lock_guard<std::mutex> guard(detail::pool().lock);
  detail::pool().reuse = on;
}

}  // namespace sim
