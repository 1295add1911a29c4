#include "d3dx_buffer.h"

#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "d3d_com_object.h"

namespace sim::detail {
namespace {

class Buffer final : public ComObject<ID3DXBuffer> {
 public:
  // The bytes are allocated before the object counts as created.
  explicit Buffer(std::vector<std::uint8_t> bytes)
      : ComObject(ObjectKind::Buffer), bytes_(std::move(bytes)) {}

  LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return bytes_.data(); }
  DWORD STDMETHODCALLTYPE GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

 protected:
  // Assigning {} would keep the capacity: the shell must not hold the bytes.
  void OnFinalRelease() override { decltype(bytes_)().swap(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

ID3DXBuffer* CreateTextBuffer(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return new Buffer(std::move(bytes));
}

}  // namespace sim::detail

extern "C" HRESULT WINAPI D3DXCreateBuffer(DWORD bytes, LPD3DXBUFFER* buffer) {
  if (!buffer) return D3DERR_INVALIDCALL;
  try {
    *buffer = new sim::detail::Buffer(std::vector<std::uint8_t>(bytes));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return D3D_OK;
}
