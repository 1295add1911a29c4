#include "d3dx_buffer.h"

#include <cstdint>
#include <vector>

#include "d3d_com_object.h"

namespace sim::detail {
namespace {

class Buffer final : public ComObject<ID3DXBuffer> {
 public:
  explicit Buffer(std::size_t bytes) : ComObject(ObjectKind::Buffer), bytes_(bytes) {}

  LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return bytes_.data(); }
  DWORD STDMETHODCALLTYPE GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

 protected:
  void OnFinalRelease() override { bytes_ = {}; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

ID3DXBuffer* CreateTextBuffer(const std::string& text) {
  auto* buffer = new Buffer(text.size() + 1);
  auto* bytes = static_cast<char*>(buffer->GetBufferPointer());
  text.copy(bytes, text.size());
  bytes[text.size()] = '\0';
  return buffer;
}

}  // namespace sim::detail

extern "C" HRESULT WINAPI D3DXCreateBuffer(DWORD bytes, LPD3DXBUFFER* buffer) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = new sim::detail::Buffer(bytes);
  return D3D_OK;
}
