// Technique selection, the Begin/BeginPass/CommitChanges/EndPass/End
// sequence, device and state-manager plumbing, parameter blocks and cloning
// of the simulated effect.
#include "effect.h"

namespace sim::detail {

// ---------------------------------------------------------------------------
// Techniques
// ---------------------------------------------------------------------------
HRESULT Effect::GetPool(LPD3DXEFFECTPOOL* pool) {
  if (!pool) return D3DERR_INVALIDCALL;
  *pool = pool_;
  if (pool_) pool_->AddRef();
  return D3D_OK;
}

HRESULT Effect::SetTechnique(D3DXHANDLE technique) {
  Node* node = TechniqueNode(technique);
  if (!node) return D3DERR_INVALIDCALL;
  currentTechnique_ = node;
  return D3D_OK;
}

D3DXHANDLE Effect::GetCurrentTechnique() {
  return currentTechnique_ ? currentTechnique_->Handle() : nullptr;
}

HRESULT Effect::ValidateTechnique(D3DXHANDLE technique) {
  return TechniqueNode(technique) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Effect::FindNextValidTechnique(D3DXHANDLE technique, D3DXHANDLE* next) {
  if (!next) return D3DERR_INVALIDCALL;
  std::size_t start = 0;
  if (technique) {
    Node* node = TechniqueNode(technique);
    if (!node) return D3DERR_INVALIDCALL;
    while (tree_->techniques[start].get() != node) ++start;
    ++start;
  }
  *next = start < tree_->techniques.size() ? tree_->techniques[start]->Handle() : nullptr;
  return D3D_OK;
}

// Without shader code every parameter counts as used by every technique.
BOOL Effect::IsParameterUsed(D3DXHANDLE parameter, D3DXHANDLE technique) {
  Node* tech = technique ? TechniqueNode(technique) : currentTechnique_;
  return ValueNode(parameter) && tech ? TRUE : FALSE;
}

// ---------------------------------------------------------------------------
// Rendering sequence
// ---------------------------------------------------------------------------
HRESULT Effect::Begin(UINT* passes, DWORD) {
  if (!currentTechnique_ || activity_.inBegin) return D3DERR_INVALIDCALL;
  activity_.inBegin = true;
  ++activity_.begins;
  if (passes) *passes = static_cast<UINT>(currentTechnique_->passes.size());
  return D3D_OK;
}

HRESULT Effect::BeginPass(UINT pass) {
  if (!activity_.inBegin || activity_.activePass >= 0 || pass >= currentTechnique_->passes.size())
    return D3DERR_INVALIDCALL;
  activity_.activePass = static_cast<int>(pass);
  ++activity_.beginPasses;
  return D3D_OK;
}

// Accepted outside a pass too, where there is nothing to commit.
HRESULT Effect::CommitChanges() {
  ++activity_.commits;
  return D3D_OK;
}

HRESULT Effect::EndPass() {
  if (activity_.activePass < 0) return D3DERR_INVALIDCALL;
  activity_.activePass = -1;
  ++activity_.endPasses;
  return D3D_OK;
}

HRESULT Effect::End() {
  if (!activity_.inBegin) return D3DERR_INVALIDCALL;
  activity_.inBegin = false;
  activity_.activePass = -1;
  ++activity_.ends;
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Device and state manager
// ---------------------------------------------------------------------------
HRESULT Effect::GetDevice(LPDIRECT3DDEVICE9* device) {
  if (!device || !device_) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *device = device_;
  return D3D_OK;
}

HRESULT Effect::OnLostDevice() {
  ++activity_.lostDevice;
  return D3D_OK;
}

HRESULT Effect::OnResetDevice() {
  ++activity_.resetDevice;
  return D3D_OK;
}

HRESULT Effect::SetStateManager(LPD3DXEFFECTSTATEMANAGER manager) {
  if (manager) manager->AddRef();
  SafeRelease(stateManager_);
  stateManager_ = manager;
  return D3D_OK;
}

HRESULT Effect::GetStateManager(LPD3DXEFFECTSTATEMANAGER* manager) {
  if (!manager) return D3DERR_INVALIDCALL;
  *manager = stateManager_;
  if (stateManager_) stateManager_->AddRef();
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Parameter blocks: the values of every parameter written between
// BeginParameterBlock and EndParameterBlock, as they were at the end.
// ---------------------------------------------------------------------------
HRESULT Effect::BeginParameterBlock() {
  if (recordingBlock_) return D3DERR_INVALIDCALL;
  recordingBlock_ = true;
  blockTouched_.clear();
  return D3D_OK;
}

D3DXHANDLE Effect::EndParameterBlock() {
  if (!recordingBlock_) return nullptr;
  recordingBlock_ = false;
  auto block = std::make_unique<ParameterBlock>();
  block->marker.kind = NodeKind::Block;
  for (Node* owner : blockTouched_) {
    ValueStore copy = *owner->store;
    for (IDirect3DBaseTexture9* texture : copy.textures) {
      if (texture) texture->AddRef();
    }
    block->values.emplace_back(owner, std::move(copy));
  }
  blockTouched_.clear();
  tree_->Register(&block->marker);
  blocks_.push_back(std::move(block));
  return blocks_.back()->marker.Handle();
}

Effect::ParameterBlock* Effect::BlockFromHandle(D3DXHANDLE handle) const {
  Node* node = tree_->FromHandle(handle);
  if (!node || node->kind != NodeKind::Block) return nullptr;
  for (const auto& block : blocks_) {
    if (&block->marker == node) return block->deleted ? nullptr : block.get();
  }
  return nullptr;
}

HRESULT Effect::ApplyParameterBlock(D3DXHANDLE handle) {
  ParameterBlock* block = BlockFromHandle(handle);
  if (!block) return D3DERR_INVALIDCALL;
  for (auto& saved : block->values) {
    ValueStore& target = *saved.first->store;
    for (IDirect3DBaseTexture9* texture : saved.second.textures) {
      if (texture) texture->AddRef();
    }
    for (IDirect3DBaseTexture9*& texture : target.textures) SafeRelease(texture);
    target = saved.second;
  }
  return D3D_OK;
}

HRESULT Effect::DeleteParameterBlock(D3DXHANDLE handle) {
  ParameterBlock* block = BlockFromHandle(handle);
  if (!block) return D3DERR_INVALIDCALL;
  for (auto& saved : block->values) {
    for (IDirect3DBaseTexture9*& texture : saved.second.textures) SafeRelease(texture);
  }
  block->values.clear();
  block->deleted = true;
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Cloning: same parameters with their current values, own storage.
// ---------------------------------------------------------------------------
HRESULT Effect::CloneEffect(LPDIRECT3DDEVICE9 device, LPD3DXEFFECT* clone) {
  if (!device || !clone) return D3DERR_INVALIDCALL;
  if (flags_ & D3DXFX_NOT_CLONEABLE) return E_FAIL;
  auto* copy = new Effect(device, model_, std::make_unique<EffectTree>(*model_), flags_, pool_);
  copy->tree_->CopyValuesFrom(*tree_);
  for (std::size_t i = 0; i < tree_->techniques.size(); ++i) {
    if (tree_->techniques[i].get() == currentTechnique_)
      copy->currentTechnique_ = copy->tree_->techniques[i].get();
  }
  *clone = copy;
  return D3D_OK;
}

}  // namespace sim::detail

namespace sim {

EffectActivity GetEffectActivity(ID3DXEffect* effect) {
  detail::Effect* sim = detail::AsSimEffect(effect);
  return sim ? sim->Activity() : EffectActivity{};
}

HRESULT CreateEffectFromModel(IDirect3DDevice9* device, const simfx::Effect& model, DWORD flags,
                              ID3DXEffect** effect) {
  if (!device || !effect) return D3DERR_INVALIDCALL;
  auto shared = std::make_shared<const simfx::Effect>(model);
  auto tree = std::make_unique<detail::EffectTree>(*shared);
  *effect = new detail::Effect(device, std::move(shared), std::move(tree), flags, nullptr);
  return D3D_OK;
}

}  // namespace sim
