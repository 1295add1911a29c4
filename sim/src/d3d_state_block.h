// A simulated state block: a copy of the device's pipeline state, taken at
// creation and by Capture, put back by Apply.
#pragma once

#include <memory>

#include "d3d_device.h"

namespace sim::detail {

class StateBlock final : public ComObject<IDirect3DStateBlock9> {
 public:
  explicit StateBlock(Device* device);

  HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
  HRESULT STDMETHODCALLTYPE Capture() override;
  HRESULT STDMETHODCALLTYPE Apply() override;

 protected:
  void OnFinalRelease() override;

 private:
  Device* device_;
  // Freed at the final release: the shell left behind stays small.
  std::unique_ptr<PipelineState> state_;
};

}  // namespace sim::detail
