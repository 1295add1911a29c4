// Construction, handle resolution, descriptions and lookups of the
// simulated effect.
#include "effect.h"

namespace sim::detail {

namespace {

const char kCreator[] = "Vantorix simulated D3DX effect compiler";

LPCSTR NameOrNull(const std::string& name) {
  return name.empty() ? nullptr : name.c_str();
}

D3DXHANDLE HandleOf(const Node* node) {
  return node ? node->Handle() : nullptr;
}

}  // namespace

Effect* AsSimEffect(ID3DXEffect* effect) {
  return dynamic_cast<Effect*>(effect);
}

Effect::Effect(IDirect3DDevice9* device, std::shared_ptr<const simfx::Effect> model,
               std::unique_ptr<EffectTree> tree, DWORD flags, ID3DXEffectPool* pool)
    : ComObject(ObjectKind::Effect),
      device_(device),
      model_(std::move(model)),
      flags_(flags),
      pool_(pool),
      tree_(std::move(tree)) {
  activity_.simulated = true;
  if (device_) device_->AddRef();
  if (pool_) pool_->AddRef();
  if (!tree_->techniques.empty()) currentTechnique_ = tree_->techniques.front().get();
}

void Effect::OnFinalRelease() {
  // The tree stays with the released shell so that its handles are never
  // handed out again by another effect, unless handle reuse is on.
  tree_->ReleaseObjects();
  if (HandleReuseEnabled()) tree_.reset();
  for (auto& block : blocks_) {
    for (auto& saved : block->values) {
      for (IDirect3DBaseTexture9*& texture : saved.second.textures) SafeRelease(texture);
    }
    block->deleted = true;
  }
  SafeRelease(stateManager_);
  SafeRelease(pool_);
  SafeRelease(device_);
}

// ---------------------------------------------------------------------------
// Handle resolution
// ---------------------------------------------------------------------------
Node* Effect::ValueNode(D3DXHANDLE handle) const {
  if (!handle) return nullptr;
  if (Node* node = tree_->FromHandle(handle)) return node->IsValue() ? node : nullptr;
  return tree_->ParameterByPath(handle);
}

Node* Effect::WritableValue(D3DXHANDLE handle) const {
  Node* node = ValueNode(handle);
  return node && node->IsWritable() ? node : nullptr;
}

Node* Effect::TechniqueNode(D3DXHANDLE handle) const {
  if (!handle) return nullptr;
  if (Node* node = tree_->FromHandle(handle)) return node->kind == NodeKind::Technique ? node : nullptr;
  return tree_->TechniqueByName(handle);
}

Node* Effect::AnnotatedNode(D3DXHANDLE handle) const {
  if (!handle) return nullptr;
  if (Node* node = tree_->FromHandle(handle)) {
    const bool annotated = node->kind == NodeKind::Parameter || node->kind == NodeKind::Technique ||
                           node->kind == NodeKind::Pass || node->kind == NodeKind::Function;
    return annotated ? node : nullptr;
  }
  if (Node* node = tree_->ParameterByPath(handle)) return node->kind == NodeKind::Parameter ? node : nullptr;
  if (Node* node = tree_->TechniqueByName(handle)) return node;
  return tree_->FunctionByName(handle);
}

void Effect::Touched(Node* node) {
  if (recordingBlock_) blockTouched_.insert(node->owner);
}

// ---------------------------------------------------------------------------
// Descriptions
// ---------------------------------------------------------------------------
HRESULT Effect::GetDesc(D3DXEFFECT_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  desc->Creator = kCreator;
  desc->Parameters = static_cast<UINT>(tree_->parameters.size());
  desc->Techniques = static_cast<UINT>(tree_->techniques.size());
  desc->Functions = static_cast<UINT>(tree_->functions.size());
  return D3D_OK;
}

HRESULT Effect::GetParameterDesc(D3DXHANDLE handle, D3DXPARAMETER_DESC* desc) {
  Node* node = ValueNode(handle);
  if (!node || !desc) return D3DERR_INVALIDCALL;
  desc->Name = node->name.c_str();
  desc->Semantic = NameOrNull(node->semantic);
  desc->Class = node->cls;
  desc->Type = node->type;
  desc->Rows = node->rows;
  desc->Columns = node->columns;
  desc->Elements = node->kind == NodeKind::Element ? 0 : node->elements;
  desc->Annotations = static_cast<UINT>(node->annotations.size());
  desc->StructMembers = static_cast<UINT>(node->members.size());
  desc->Flags = node->flags;
  desc->Bytes = node->ValueBytes();
  return D3D_OK;
}

HRESULT Effect::GetTechniqueDesc(D3DXHANDLE handle, D3DXTECHNIQUE_DESC* desc) {
  Node* node = TechniqueNode(handle);
  if (!node || !desc) return D3DERR_INVALIDCALL;
  desc->Name = NameOrNull(node->name);
  desc->Passes = static_cast<UINT>(node->passes.size());
  desc->Annotations = static_cast<UINT>(node->annotations.size());
  return D3D_OK;
}

HRESULT Effect::GetPassDesc(D3DXHANDLE handle, D3DXPASS_DESC* desc) {
  Node* node = tree_->FromHandle(handle);
  if (!node || node->kind != NodeKind::Pass || !desc) return D3DERR_INVALIDCALL;
  desc->Name = NameOrNull(node->name);
  desc->Annotations = static_cast<UINT>(node->annotations.size());
  desc->pVertexShaderFunction = nullptr;
  desc->pPixelShaderFunction = nullptr;
  return D3D_OK;
}

HRESULT Effect::GetFunctionDesc(D3DXHANDLE handle, D3DXFUNCTION_DESC* desc) {
  Node* node = tree_->FromHandle(handle);
  if (!node) node = handle ? tree_->FunctionByName(handle) : nullptr;
  if (!node || node->kind != NodeKind::Function || !desc) return D3DERR_INVALIDCALL;
  desc->Name = node->name.c_str();
  desc->Annotations = 0;
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Lookups
// ---------------------------------------------------------------------------
// Below a parent: a structure's members, or an array's elements.
D3DXHANDLE Effect::GetParameter(D3DXHANDLE parent, UINT index) {
  if (!parent) return index < tree_->parameters.size() ? tree_->parameters[index]->Handle() : nullptr;
  Node* node = ValueNode(parent);
  if (!node) return nullptr;
  const auto& children = node->members.empty() ? node->elementNodes : node->members;
  return index < children.size() ? children[index]->Handle() : nullptr;
}

D3DXHANDLE Effect::GetParameterByName(D3DXHANDLE parent, LPCSTR name) {
  if (!name) return nullptr;
  if (!parent) return HandleOf(tree_->ParameterByPath(name));
  return HandleOf(EffectTree::MemberByPath(ValueNode(parent), name));
}

D3DXHANDLE Effect::GetParameterBySemantic(D3DXHANDLE parent, LPCSTR semantic) {
  if (parent) return nullptr;
  return HandleOf(tree_->ParameterBySemantic(semantic));
}

D3DXHANDLE Effect::GetParameterElement(D3DXHANDLE handle, UINT index) {
  Node* node = ValueNode(handle);
  if (!node || index >= node->elementNodes.size()) return nullptr;
  return node->elementNodes[index]->Handle();
}

D3DXHANDLE Effect::GetTechnique(UINT index) {
  return index < tree_->techniques.size() ? tree_->techniques[index]->Handle() : nullptr;
}

D3DXHANDLE Effect::GetTechniqueByName(LPCSTR name) {
  return HandleOf(tree_->TechniqueByName(name));
}

D3DXHANDLE Effect::GetPass(D3DXHANDLE technique, UINT index) {
  Node* node = TechniqueNode(technique);
  if (!node || index >= node->passes.size()) return nullptr;
  return node->passes[index]->Handle();
}

D3DXHANDLE Effect::GetPassByName(D3DXHANDLE technique, LPCSTR name) {
  Node* node = TechniqueNode(technique);
  if (!node || !name) return nullptr;
  for (const auto& pass : node->passes) {
    if (pass->name == name) return pass->Handle();
  }
  return nullptr;
}

D3DXHANDLE Effect::GetFunction(UINT index) {
  return index < tree_->functions.size() ? tree_->functions[index]->Handle() : nullptr;
}

D3DXHANDLE Effect::GetFunctionByName(LPCSTR name) {
  return HandleOf(tree_->FunctionByName(name));
}

D3DXHANDLE Effect::GetAnnotation(D3DXHANDLE object, UINT index) {
  Node* node = AnnotatedNode(object);
  if (!node || index >= node->annotations.size()) return nullptr;
  return node->annotations[index]->Handle();
}

D3DXHANDLE Effect::GetAnnotationByName(D3DXHANDLE object, LPCSTR name) {
  Node* node = AnnotatedNode(object);
  if (!node || !name) return nullptr;
  for (const auto& annotation : node->annotations) {
    if (annotation->name == name) return annotation->Handle();
  }
  return nullptr;
}

}  // namespace sim::detail
