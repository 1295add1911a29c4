// A simulated surface: a back buffer, render target or texture level. Its
// description can be made to fail, as a driver might.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "d3d_resource.h"

namespace sim::detail {

class Surface final : public Resource<IDirect3DSurface9> {
 public:
  // `container` (may be null) gets one reference for the surface's lifetime.
  // A device-owned surface (the back buffer) holds no device reference.
  Surface(IDirect3DDevice9* device, bool deviceOwned, const D3DSURFACE_DESC& desc, IUnknown* container);

  void SetDescFails(bool fails) { descFails_ = fails; }
  void Resize(UINT width, UINT height);
  // The surface's memory (zeros until written) and its row pitch.
  std::uint8_t* Pixels();
  UINT Pitch() const;
  UINT Width() const { return desc_.Width; }
  UINT Height() const { return desc_.Height; }

  HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
  HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE UnlockRect() override;
  HRESULT STDMETHODCALLTYPE GetDC(HDC* dc) override;
  HRESULT STDMETHODCALLTYPE ReleaseDC(HDC dc) override;

 protected:
  void OnFinalRelease() override;

 private:
  D3DSURFACE_DESC desc_;
  IUnknown* container_;
  std::atomic<bool> descFails_{false};
  std::vector<std::uint8_t> pixels_;
  bool locked_ = false;
};

// Bytes per row of a level of the given format and width (block-compressed
// formats count rows of 4x4 blocks).
UINT RowPitch(D3DFORMAT format, UINT width);
// Rows of a level of the given format and height.
UINT RowCount(D3DFORMAT format, UINT height);

// The description of a surface of the given size and kind.
D3DSURFACE_DESC SurfaceDesc(UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool,
                            D3DMULTISAMPLE_TYPE multiSample, DWORD quality);

}  // namespace sim::detail
