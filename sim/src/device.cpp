#include <cstring>

#include "d3d_device.h"
#include "d3d_surface.h"

namespace sim::detail {

namespace {

D3DMATRIX Identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

}  // namespace

void FillDeviceCaps(D3DCAPS9* caps) {
  std::memset(caps, 0, sizeof(*caps));
  caps->DeviceType = D3DDEVTYPE_HAL;
  caps->AdapterOrdinal = D3DADAPTER_DEFAULT;
  caps->MaxTextureWidth = caps->MaxTextureHeight = 8192;
  caps->MaxVolumeExtent = 2048;
  caps->MaxAnisotropy = 16;
  caps->MaxTextureBlendStages = 8;
  caps->MaxSimultaneousTextures = 8;
  caps->MaxPrimitiveCount = 0xFFFFF;
  caps->MaxVertexIndex = 0xFFFFFF;
  caps->MaxStreams = 16;
  caps->MaxStreamStride = 255;
  caps->VertexShaderVersion = 0xFFFE0300;
  caps->MaxVertexShaderConst = 256;
  caps->PixelShaderVersion = 0xFFFF0300;
  caps->NumSimultaneousRTs = 4;
}

Device* AsSimDevice(IDirect3DDevice9* device) {
  return dynamic_cast<Device*>(device);
}

Device::Device(UINT width, UINT height, HWND focusWindow) : ComObject(ObjectKind::Device) {
  creation_.AdapterOrdinal = D3DADAPTER_DEFAULT;
  creation_.DeviceType = D3DDEVTYPE_HAL;
  creation_.hFocusWindow = focusWindow;
  creation_.BehaviorFlags = D3DCREATE_HARDWARE_VERTEXPROCESSING;

  present_.BackBufferWidth = width;
  present_.BackBufferHeight = height;
  present_.BackBufferFormat = D3DFMT_X8R8G8B8;
  present_.BackBufferCount = 1;
  present_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  present_.hDeviceWindow = focusWindow;
  present_.Windowed = TRUE;

  backBuffer_ = new Surface(this, true,
                            SurfaceDesc(width, height, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET,
                                        D3DPOOL_DEFAULT, D3DMULTISAMPLE_NONE, 0),
                            nullptr);
  viewport_ = {0, 0, width, height, 0.0f, 1.0f};
  scissor_ = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
  renderStates_[D3DRS_ZENABLE] = D3DZB_TRUE;
  renderStates_[D3DRS_FILLMODE] = D3DFILL_SOLID;
  renderStates_[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  renderStates_[D3DRS_ZWRITEENABLE] = TRUE;
  renderStates_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  renderStates_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
  renderStates_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  renderStates_[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  renderStates_[D3DRS_LIGHTING] = TRUE;
  renderStates_[D3DRS_CLIPPING] = TRUE;
  renderStates_[D3DRS_COLORWRITEENABLE] = 0xF;
  renderStates_[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  for (auto& stage : stageStates_) {
    stage[D3DTSS_COLOROP] = D3DTOP_DISABLE;
    stage[D3DTSS_ALPHAOP] = D3DTOP_DISABLE;
    stage[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    stage[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    stage[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    stage[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
  }
  stageStates_[0][D3DTSS_COLOROP] = D3DTOP_MODULATE;
  stageStates_[0][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
}

void Device::SetRenderTargetMode(RenderTargetMode mode) {
  std::lock_guard<std::mutex> guard(lock_);
  renderTargetMode_ = mode;
  backBuffer_->SetDescFails(mode == RenderTargetMode::DescFails);
}

void Device::SetRenderTargetSize(UINT width, UINT height) {
  std::lock_guard<std::mutex> guard(lock_);
  ResizeBackBuffer(width, height);
}

void Device::ResizeBackBuffer(UINT width, UINT height) {
  present_.BackBufferWidth = width;
  present_.BackBufferHeight = height;
  backBuffer_->Resize(width, height);
  viewport_ = {0, 0, width, height, 0.0f, 1.0f};
  scissor_ = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
}

D3DPRESENT_PARAMETERS Device::LastResetParameters() const {
  std::lock_guard<std::mutex> guard(lock_);
  return lastReset_;
}

SIM_DETOUR_TARGET ULONG Device::Release() {
  return ComObject::Release();
}

Surface* Device::Target() const {
  return renderTarget_ ? static_cast<Surface*>(renderTarget_) : backBuffer_;
}

HRESULT Device::DefaultPoolAllowed(D3DPOOL pool) const {
  return pool == D3DPOOL_DEFAULT && resetOwed_ ? D3DERR_DEVICELOST : D3D_OK;
}

void Device::OnFinalRelease() {
  std::lock_guard<std::mutex> guard(lock_);
  SafeRelease(renderTarget_);
  for (auto& entry : textures_) SafeRelease(entry.second);
  textures_.clear();
  for (auto& entry : streams_) SafeRelease(entry.second.buffer);
  streams_.clear();
  SafeRelease(indices_);
  Surface* backBuffer = backBuffer_;
  backBuffer_ = nullptr;
  backBuffer->Release();
}

// ---------------------------------------------------------------------------
// The detoured pair
// ---------------------------------------------------------------------------
SIM_DETOUR_TARGET HRESULT Device::EndScene() {
  std::lock_guard<std::mutex> guard(lock_);
  endScenes_.fetch_add(1);
  return D3D_OK;
}

SIM_DETOUR_TARGET HRESULT Device::Reset(D3DPRESENT_PARAMETERS* parameters) {
  std::lock_guard<std::mutex> guard(lock_);
  resets_.fetch_add(1);
  if (!parameters) return D3DERR_INVALIDCALL;
  lastReset_ = *parameters;
  resetOwed_ = FAILED(resetResult_);
  if (SUCCEEDED(resetResult_)) {
    SafeRelease(renderTarget_);
    if (parameters->hDeviceWindow) present_.hDeviceWindow = parameters->hDeviceWindow;
    const UINT width = parameters->BackBufferWidth ? parameters->BackBufferWidth : present_.BackBufferWidth;
    const UINT height =
        parameters->BackBufferHeight ? parameters->BackBufferHeight : present_.BackBufferHeight;
    ResizeBackBuffer(width, height);
  }
  return resetResult_;
}

HRESULT Device::BeginScene() {
  beginScenes_.fetch_add(1);
  return D3D_OK;
}

SIM_DETOUR_TARGET HRESULT Device::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
  presents_.fetch_add(1);
  return resetOwed_ ? D3DERR_DEVICELOST : D3D_OK;
}

// ---------------------------------------------------------------------------
// Device description
// ---------------------------------------------------------------------------
HRESULT Device::TestCooperativeLevel() {
  return resetOwed_ ? D3DERR_DEVICENOTRESET : D3D_OK;
}
UINT Device::GetAvailableTextureMem() {
  return 512u * 1024u * 1024u;
}
HRESULT Device::EvictManagedResources() {
  return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps) {
  if (!caps) return D3DERR_INVALIDCALL;
  FillDeviceCaps(caps);
  return D3D_OK;
}

HRESULT Device::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) {
  if (!mode || swapChain != 0) return D3DERR_INVALIDCALL;
  std::lock_guard<std::mutex> guard(lock_);
  *mode = {present_.BackBufferWidth, present_.BackBufferHeight, 60, D3DFMT_X8R8G8B8};
  return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
  if (!parameters) return D3DERR_INVALIDCALL;
  if (FAILED(creationResult_)) return creationResult_;
  *parameters = creation_;
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Render target, back buffer, viewport
// ---------------------------------------------------------------------------
HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  std::lock_guard<std::mutex> guard(lock_);
  if (index != 0) return D3DERR_NOTFOUND;
  switch (renderTargetMode_) {
    case RenderTargetMode::CallFails:
      return D3DERR_INVALIDCALL;
    case RenderTargetMode::NoSurface:
      *surface = nullptr;
      return D3D_OK;
    default:
      Target()->AddRef();
      *surface = Target();
      return D3D_OK;
  }
}

// Render target 0 receives Clear and the rasterised draws.
HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
  if (index >= 4 || (index == 0 && !surface)) return D3DERR_INVALIDCALL;
  if (index != 0) return D3D_OK;
  std::lock_guard<std::mutex> guard(lock_);
  IDirect3DSurface9* bound = surface == backBuffer_ ? nullptr : surface;
  if (bound) bound->AddRef();
  SafeRelease(renderTarget_);
  renderTarget_ = bound;
  return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface) {
  if (!surface || swapChain != 0 || index != 0) return D3DERR_INVALIDCALL;
  std::lock_guard<std::mutex> guard(lock_);
  backBuffer_->AddRef();
  *surface = backBuffer_;
  return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  std::lock_guard<std::mutex> guard(lock_);
  viewport_ = *viewport;
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  std::lock_guard<std::mutex> guard(lock_);
  *viewport = viewport_;
  return D3D_OK;
}

HRESULT Device::SetScissorRect(const RECT* rect) {
  if (!rect) return D3DERR_INVALIDCALL;
  scissor_ = *rect;
  return D3D_OK;
}

HRESULT Device::GetScissorRect(RECT* rect) {
  if (!rect) return D3DERR_INVALIDCALL;
  *rect = scissor_;
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  const auto found = transforms_.find(state);
  *matrix = found != transforms_.end() ? found->second : Identity();
  return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  transforms_[state] = *matrix;
  return D3D_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  D3DMATRIX current{};
  GetTransform(state, &current);
  D3DMATRIX product{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      for (int k = 0; k < 4; ++k) product.m[r][c] += matrix->m[r][k] * current.m[k][c];
  transforms_[state] = product;
  return D3D_OK;
}

}  // namespace sim::detail

// ---------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------
namespace sim {

IDirect3DDevice9* CreateDevice(UINT width, UINT height, HWND focusWindow) {
  return new detail::Device(width, height, focusWindow);
}

namespace {
template <class Action>
auto WithDevice(IDirect3DDevice9* device, Action action) -> decltype(action(*detail::AsSimDevice(device))) {
  detail::Device* sim = detail::AsSimDevice(device);
  if (!sim) return decltype(action(*sim))();
  return action(*sim);
}
}  // namespace

void SetRenderTargetMode(IDirect3DDevice9* device, RenderTargetMode mode) {
  WithDevice(device, [&](detail::Device& d) { d.SetRenderTargetMode(mode); });
}
void SetRenderTargetSize(IDirect3DDevice9* device, UINT width, UINT height) {
  WithDevice(device, [&](detail::Device& d) { d.SetRenderTargetSize(width, height); });
}
void SetResetResult(IDirect3DDevice9* device, HRESULT result) {
  WithDevice(device, [&](detail::Device& d) { d.SetResetResult(result); });
}
int EndSceneCount(IDirect3DDevice9* device) {
  return WithDevice(device, [](detail::Device& d) { return d.EndSceneCount(); });
}
int BeginSceneCount(IDirect3DDevice9* device) {
  return WithDevice(device, [](detail::Device& d) { return d.BeginSceneCount(); });
}
int ResetCount(IDirect3DDevice9* device) {
  return WithDevice(device, [](detail::Device& d) { return d.ResetCount(); });
}
int PresentCount(IDirect3DDevice9* device) {
  return WithDevice(device, [](detail::Device& d) { return d.PresentCount(); });
}
int DrawCallCount(IDirect3DDevice9* device) {
  return WithDevice(device, [](detail::Device& d) { return d.DrawCallCount(); });
}
D3DPRESENT_PARAMETERS LastResetParameters(IDirect3DDevice9* device) {
  return WithDevice(device, [](detail::Device& d) { return d.LastResetParameters(); });
}
void SetCreationParametersResult(IDirect3DDevice9* device, HRESULT result) {
  WithDevice(device, [&](detail::Device& d) { d.SetCreationParametersResult(result); });
}
void SetRasterizerEnabled(IDirect3DDevice9* device, bool enabled) {
  WithDevice(device, [&](detail::Device& d) { d.SetRasterizerEnabled(enabled); });
}
D3DCOLOR BackBufferPixel(IDirect3DDevice9* device, UINT x, UINT y) {
  return WithDevice(device, [&](detail::Device& d) { return d.BackBufferPixel(x, y); });
}
D3DCOLOR RenderTargetPixel(IDirect3DDevice9* device, IDirect3DSurface9* surface, UINT x, UINT y) {
  return WithDevice(device, [&](detail::Device& d) { return d.RenderTargetPixel(surface, x, y); });
}
bool SaveBackBufferPng(IDirect3DDevice9* device, const std::string& path) {
  return WithDevice(device, [&](detail::Device& d) { return d.SaveBackBufferPng(path.c_str()); });
}

}  // namespace sim
