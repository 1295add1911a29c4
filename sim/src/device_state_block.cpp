#include "d3d_state_block.h"

namespace sim::detail {
namespace {

// Adds the references a copied state holds.
void AddStateReferences(PipelineState& state) {
  for (auto& entry : state.textures) {
    if (entry.second) entry.second->AddRef();
  }
  for (auto& entry : state.streams) {
    if (entry.second.buffer) entry.second.buffer->AddRef();
  }
  if (state.indices) state.indices->AddRef();
}

}  // namespace

void ReleaseState(PipelineState& state) {
  for (auto& entry : state.textures) SafeRelease(entry.second);
  for (auto& entry : state.streams) SafeRelease(entry.second.buffer);
  SafeRelease(state.indices);
}

PipelineState Device::CaptureState() {
  PipelineState state;
  state.viewport = viewport_;
  state.scissor = scissor_;
  state.renderStates = renderStates_;
  state.transforms = transforms_;
  state.stageStates = stageStates_;
  state.samplerStates = samplerStates_;
  state.textures = textures_;
  state.streams = streams_;
  state.indices = indices_;
  state.fvf = fvf_;
  AddStateReferences(state);
  return state;
}

void Device::ApplyState(const PipelineState& state) {
  PipelineState previous;
  previous.textures = std::move(textures_);
  previous.streams = std::move(streams_);
  previous.indices = indices_;

  viewport_ = state.viewport;
  scissor_ = state.scissor;
  renderStates_ = state.renderStates;
  transforms_ = state.transforms;
  stageStates_ = state.stageStates;
  samplerStates_ = state.samplerStates;
  PipelineState bound = state;
  AddStateReferences(bound);
  textures_ = std::move(bound.textures);
  streams_ = std::move(bound.streams);
  indices_ = bound.indices;
  fvf_ = state.fvf;
  ReleaseState(previous);
}

StateBlock::StateBlock(Device* device) : ComObject(ObjectKind::StateBlock), device_(device) {
  device_->AddRef();
  state_ = std::make_unique<PipelineState>(device_->CaptureState());
}

HRESULT StateBlock::GetDevice(IDirect3DDevice9** device) {
  if (!device || !device_) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *device = device_;
  return D3D_OK;
}

HRESULT StateBlock::Capture() {
  if (!device_) return D3DERR_INVALIDCALL;
  PipelineState fresh = device_->CaptureState();
  ReleaseState(*state_);
  *state_ = std::move(fresh);
  return D3D_OK;
}

HRESULT StateBlock::Apply() {
  if (!device_) return D3DERR_INVALIDCALL;
  device_->ApplyState(*state_);
  return D3D_OK;
}

void StateBlock::OnFinalRelease() {
  ReleaseState(*state_);
  state_.reset();
  Device* device = device_;
  device_ = nullptr;
  device->Release();
}

}  // namespace sim::detail
