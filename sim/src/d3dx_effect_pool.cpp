// The simulated effect pool. Shared parameters are not shared between the
// effects of a pool: the pool is only held and handed back.
#include "d3d_com_object.h"

namespace sim::detail {
namespace {

class EffectPool final : public ComObject<ID3DXEffectPool> {
 public:
  EffectPool() : ComObject(ObjectKind::EffectPool) {}
};

}  // namespace
}  // namespace sim::detail

extern "C" HRESULT WINAPI D3DXCreateEffectPool(LPD3DXEFFECTPOOL* pool) {
  if (!pool) return D3DERR_INVALIDCALL;
  *pool = new sim::detail::EffectPool();
  return D3D_OK;
}
