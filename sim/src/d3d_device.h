// The simulated Direct3D 9 device. Every method sits in the slot the real
// interface gives it; EndScene (slot 42) and Reset (slot 16) are ordinary
// out-of-line functions with full prologues, because the plug-in detours the
// code they point to, and they count their calls. The device keeps the state
// it is given so that a renderer can read it back; Clear fills the back
// buffer and DrawIndexedPrimitive rasterises into it (device_draw.cpp,
// rasterizer.cpp); state blocks capture and apply the pipeline state
// (device_state_block.cpp).
#pragma once

#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <vector>

#include "d3d_com_object.h"

#if defined(__GNUC__) && !defined(__clang__)
#define SIM_DETOUR_TARGET __attribute__((noinline, noclone))
#else
#define SIM_DETOUR_TARGET __attribute__((noinline))
#endif

namespace sim::detail {

class Surface;

// One vertex stream binding; the buffer holds a reference.
struct StreamBinding {
  IDirect3DVertexBuffer9* buffer = nullptr;
  UINT offset = 0;
  UINT stride = 0;
  UINT frequency = 1;
};

// The pipeline state that a state block captures and applies. Captured
// textures and buffers hold one reference each, dropped by ReleaseState.
struct PipelineState {
  D3DVIEWPORT9 viewport{};
  RECT scissor{};
  std::array<DWORD, 256> renderStates{};
  std::map<D3DTRANSFORMSTATETYPE, D3DMATRIX> transforms;
  std::array<std::array<DWORD, 33>, 8> stageStates{};
  std::map<DWORD, std::array<DWORD, 14>> samplerStates;
  std::map<DWORD, IDirect3DBaseTexture9*> textures;
  std::map<UINT, StreamBinding> streams;
  IDirect3DIndexBuffer9* indices = nullptr;
  DWORD fvf = 0;
};
void ReleaseState(PipelineState& state);

class Device final : public ComObject<IDirect3DDevice9> {
 public:
  Device(UINT width, UINT height, HWND focusWindow);

  // Controls (sim/host_d3d.h)
  void SetRenderTargetMode(RenderTargetMode mode);
  void SetRenderTargetSize(UINT width, UINT height);
  void SetResetResult(HRESULT result) { resetResult_ = result; }
  int EndSceneCount() const { return endScenes_; }
  int BeginSceneCount() const { return beginScenes_; }
  int ResetCount() const { return resets_; }
  int PresentCount() const { return presents_; }
  int DrawCallCount() const { return draws_; }
  D3DPRESENT_PARAMETERS LastResetParameters() const;
  // The surface bound as render target 0 (the back buffer unless the game
  // bound one of its own), and its pixel at (x, y).
  D3DCOLOR RenderTargetPixel(IDirect3DSurface9* surface, UINT x, UINT y);
  bool ResetOwed() const { return resetOwed_; }
  void SetCreationParametersResult(HRESULT result) { creationResult_ = result; }
  void SetRasterizerEnabled(bool enabled) { rasterize_ = enabled; }
  D3DCOLOR BackBufferPixel(UINT x, UINT y);
  bool SaveBackBufferPng(const char* path);

  // State blocks (device_state_block.cpp)
  PipelineState CaptureState();
  void ApplyState(const PipelineState& state);

  // Detoured by the plug-in like EndScene: a real prologue of its own.
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
  UINT STDMETHODCALLTYPE GetAvailableTextureMem() override;
  HRESULT STDMETHODCALLTYPE EvictManagedResources() override;
  HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D9** ppD3D9) override;
  HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* pCaps) override;
  HRESULT STDMETHODCALLTYPE GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) override;
  HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) override;
  HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT XHotSpot, UINT YHotSpot,
                                                IDirect3DSurface9* pCursorBitmap) override;
  void STDMETHODCALLTYPE SetCursorPosition(int X, int Y, DWORD Flags) override;
  BOOL STDMETHODCALLTYPE ShowCursor(BOOL bShow) override;
  HRESULT STDMETHODCALLTYPE CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* pPresentationParameters,
                                                      IDirect3DSwapChain9** pSwapChain) override;
  HRESULT STDMETHODCALLTYPE GetSwapChain(UINT iSwapChain, IDirect3DSwapChain9** pSwapChain) override;
  UINT STDMETHODCALLTYPE GetNumberOfSwapChains() override;
  HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) override;
  HRESULT STDMETHODCALLTYPE Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                                    const RGNDATA* pDirtyRegion) override;
  HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                          IDirect3DSurface9** ppBackBuffer) override;
  HRESULT STDMETHODCALLTYPE GetRasterStatus(UINT iSwapChain, D3DRASTER_STATUS* pRasterStatus) override;
  HRESULT STDMETHODCALLTYPE SetDialogBoxMode(BOOL bEnableDialogs) override;
  void STDMETHODCALLTYPE SetGammaRamp(UINT iSwapChain, DWORD Flags, const D3DGAMMARAMP* pRamp) override;
  void STDMETHODCALLTYPE GetGammaRamp(UINT iSwapChain, D3DGAMMARAMP* pRamp) override;
  HRESULT STDMETHODCALLTYPE CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                          D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                                          HANDLE* pSharedHandle) override;
  HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT Width, UINT Height, UINT Depth, UINT Levels, DWORD Usage,
                                                D3DFORMAT Format, D3DPOOL Pool,
                                                IDirect3DVolumeTexture9** ppVolumeTexture,
                                                HANDLE* pSharedHandle) override;
  HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                              D3DPOOL Pool, IDirect3DCubeTexture9** ppCubeTexture,
                                              HANDLE* pSharedHandle) override;
  HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                               IDirect3DVertexBuffer9** ppVertexBuffer,
                                               HANDLE* pSharedHandle) override;
  HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                              IDirect3DIndexBuffer9** ppIndexBuffer,
                                              HANDLE* pSharedHandle) override;
  HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format,
                                               D3DMULTISAMPLE_TYPE MultiSample, DWORD MultisampleQuality,
                                               BOOL Lockable, IDirect3DSurface9** ppSurface,
                                               HANDLE* pSharedHandle) override;
  HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                                      D3DMULTISAMPLE_TYPE MultiSample,
                                                      DWORD MultisampleQuality, BOOL Discard,
                                                      IDirect3DSurface9** ppSurface,
                                                      HANDLE* pSharedHandle) override;
  HRESULT STDMETHODCALLTYPE UpdateSurface(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                                          IDirect3DSurface9* pDestinationSurface,
                                          const POINT* pDestPoint) override;
  HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture9* pSourceTexture,
                                          IDirect3DBaseTexture9* pDestinationTexture) override;
  HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                                                IDirect3DSurface9* pDestSurface) override;
  HRESULT STDMETHODCALLTYPE GetFrontBufferData(UINT iSwapChain, IDirect3DSurface9* pDestSurface) override;
  HRESULT STDMETHODCALLTYPE StretchRect(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                                        IDirect3DSurface9* pDestSurface, const RECT* pDestRect,
                                        D3DTEXTUREFILTERTYPE Filter) override;
  HRESULT STDMETHODCALLTYPE ColorFill(IDirect3DSurface9* pSurface, const RECT* pRect,
                                      D3DCOLOR color) override;
  HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                                        D3DPOOL Pool, IDirect3DSurface9** ppSurface,
                                                        HANDLE* pSharedHandle) override;
  HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD RenderTargetIndex,
                                            IDirect3DSurface9* pRenderTarget) override;
  HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD RenderTargetIndex,
                                            IDirect3DSurface9** ppRenderTarget) override;
  HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) override;
  HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) override;
  HRESULT STDMETHODCALLTYPE BeginScene() override;
  HRESULT STDMETHODCALLTYPE EndScene() override;
  HRESULT STDMETHODCALLTYPE Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                                  DWORD Stencil) override;
  HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
  HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* pViewport) override;
  HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* pViewport) override;
  HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9* pMaterial) override;
  HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL9* pMaterial) override;
  HRESULT STDMETHODCALLTYPE SetLight(DWORD Index, const D3DLIGHT9* pLight) override;
  HRESULT STDMETHODCALLTYPE GetLight(DWORD Index, D3DLIGHT9* pLight) override;
  HRESULT STDMETHODCALLTYPE LightEnable(DWORD Index, BOOL Enable) override;
  HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD Index, BOOL* pEnable) override;
  HRESULT STDMETHODCALLTYPE SetClipPlane(DWORD Index, const float* pPlane) override;
  HRESULT STDMETHODCALLTYPE GetClipPlane(DWORD Index, float* pPlane) override;
  HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
  HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE Type, IDirect3DStateBlock9** ppSB) override;
  HRESULT STDMETHODCALLTYPE BeginStateBlock() override;
  HRESULT STDMETHODCALLTYPE EndStateBlock(IDirect3DStateBlock9** ppSB) override;
  HRESULT STDMETHODCALLTYPE SetClipStatus(const D3DCLIPSTATUS9* pClipStatus) override;
  HRESULT STDMETHODCALLTYPE GetClipStatus(D3DCLIPSTATUS9* pClipStatus) override;
  HRESULT STDMETHODCALLTYPE GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) override;
  HRESULT STDMETHODCALLTYPE SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
  HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                                 DWORD* pValue) override;
  HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                                 DWORD Value) override;
  HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override;
  HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
  HRESULT STDMETHODCALLTYPE ValidateDevice(DWORD* pNumPasses) override;
  HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT PaletteNumber, const PALETTEENTRY* pEntries) override;
  HRESULT STDMETHODCALLTYPE GetPaletteEntries(UINT PaletteNumber, PALETTEENTRY* pEntries) override;
  HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT PaletteNumber) override;
  HRESULT STDMETHODCALLTYPE GetCurrentTexturePalette(UINT* PaletteNumber) override;
  HRESULT STDMETHODCALLTYPE SetScissorRect(const RECT* pRect) override;
  HRESULT STDMETHODCALLTYPE GetScissorRect(RECT* pRect) override;
  HRESULT STDMETHODCALLTYPE SetSoftwareVertexProcessing(BOOL bSoftware) override;
  BOOL STDMETHODCALLTYPE GetSoftwareVertexProcessing() override;
  HRESULT STDMETHODCALLTYPE SetNPatchMode(float nSegments) override;
  float STDMETHODCALLTYPE GetNPatchMode() override;
  HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                          UINT PrimitiveCount) override;
  HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                                 UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                                                 UINT primCount) override;
  HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                            const void* pVertexStreamZeroData,
                                            UINT VertexStreamZeroStride) override;
  HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex,
                                                   UINT NumVertices, UINT PrimitiveCount,
                                                   const void* pIndexData, D3DFORMAT IndexDataFormat,
                                                   const void* pVertexStreamZeroData,
                                                   UINT VertexStreamZeroStride) override;
  HRESULT STDMETHODCALLTYPE ProcessVertices(UINT SrcStartIndex, UINT DestIndex, UINT VertexCount,
                                            IDirect3DVertexBuffer9* pDestBuffer,
                                            IDirect3DVertexDeclaration9* pVertexDecl, DWORD Flags) override;
  HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9* pVertexElements,
                                                    IDirect3DVertexDeclaration9** ppDecl) override;
  HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl) override;
  HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9** ppDecl) override;
  HRESULT STDMETHODCALLTYPE SetFVF(DWORD FVF) override;
  HRESULT STDMETHODCALLTYPE GetFVF(DWORD* pFVF) override;
  HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD* pFunction,
                                               IDirect3DVertexShader9** ppShader) override;
  HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* pShader) override;
  HRESULT STDMETHODCALLTYPE GetVertexShader(IDirect3DVertexShader9** ppShader) override;
  HRESULT STDMETHODCALLTYPE SetVertexShaderConstantF(UINT StartRegister, const float* pConstantData,
                                                     UINT Vector4fCount) override;
  HRESULT STDMETHODCALLTYPE GetVertexShaderConstantF(UINT StartRegister, float* pConstantData,
                                                     UINT Vector4fCount) override;
  HRESULT STDMETHODCALLTYPE SetVertexShaderConstantI(UINT StartRegister, const int* pConstantData,
                                                     UINT Vector4iCount) override;
  HRESULT STDMETHODCALLTYPE GetVertexShaderConstantI(UINT StartRegister, int* pConstantData,
                                                     UINT Vector4iCount) override;
  HRESULT STDMETHODCALLTYPE SetVertexShaderConstantB(UINT StartRegister, const BOOL* pConstantData,
                                                     UINT BoolCount) override;
  HRESULT STDMETHODCALLTYPE GetVertexShaderConstantB(UINT StartRegister, BOOL* pConstantData,
                                                     UINT BoolCount) override;
  HRESULT STDMETHODCALLTYPE SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                            UINT OffsetInBytes, UINT Stride) override;
  HRESULT STDMETHODCALLTYPE GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData,
                                            UINT* pOffsetInBytes, UINT* pStride) override;
  HRESULT STDMETHODCALLTYPE SetStreamSourceFreq(UINT StreamNumber, UINT Setting) override;
  HRESULT STDMETHODCALLTYPE GetStreamSourceFreq(UINT StreamNumber, UINT* pSetting) override;
  HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
  HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer9** ppIndexData) override;
  HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD* pFunction,
                                              IDirect3DPixelShader9** ppShader) override;
  HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* pShader) override;
  HRESULT STDMETHODCALLTYPE GetPixelShader(IDirect3DPixelShader9** ppShader) override;
  HRESULT STDMETHODCALLTYPE SetPixelShaderConstantF(UINT StartRegister, const float* pConstantData,
                                                    UINT Vector4fCount) override;
  HRESULT STDMETHODCALLTYPE GetPixelShaderConstantF(UINT StartRegister, float* pConstantData,
                                                    UINT Vector4fCount) override;
  HRESULT STDMETHODCALLTYPE SetPixelShaderConstantI(UINT StartRegister, const int* pConstantData,
                                                    UINT Vector4iCount) override;
  HRESULT STDMETHODCALLTYPE GetPixelShaderConstantI(UINT StartRegister, int* pConstantData,
                                                    UINT Vector4iCount) override;
  HRESULT STDMETHODCALLTYPE SetPixelShaderConstantB(UINT StartRegister, const BOOL* pConstantData,
                                                    UINT BoolCount) override;
  HRESULT STDMETHODCALLTYPE GetPixelShaderConstantB(UINT StartRegister, BOOL* pConstantData,
                                                    UINT BoolCount) override;
  HRESULT STDMETHODCALLTYPE DrawRectPatch(UINT Handle, const float* pNumSegs,
                                          const D3DRECTPATCH_INFO* pRectPatchInfo) override;
  HRESULT STDMETHODCALLTYPE DrawTriPatch(UINT Handle, const float* pNumSegs,
                                         const D3DTRIPATCH_INFO* pTriPatchInfo) override;
  HRESULT STDMETHODCALLTYPE DeletePatch(UINT Handle) override;
  HRESULT STDMETHODCALLTYPE CreateQuery(D3DQUERYTYPE Type, IDirect3DQuery9** ppQuery) override;

 protected:
  void OnFinalRelease() override;

 private:
  using Stream = StreamBinding;

  HRESULT CountDraw();
  void RasterizeIndexed(D3DPRIMITIVETYPE type, INT baseVertex, UINT startIndex, UINT primitives);
  void ResizeBackBuffer(UINT width, UINT height);
  Surface* Target() const;
  HRESULT DefaultPoolAllowed(D3DPOOL pool) const;

  mutable std::mutex lock_;
  D3DDEVICE_CREATION_PARAMETERS creation_{};
  D3DPRESENT_PARAMETERS present_{};
  D3DPRESENT_PARAMETERS lastReset_{};
  Surface* backBuffer_ = nullptr;
  RenderTargetMode renderTargetMode_ = RenderTargetMode::Normal;
  HRESULT resetResult_ = D3D_OK;
  // A failed Reset leaves the device lost until a Reset succeeds: Present
  // reports it, draws do nothing and default-pool resources cannot be made.
  std::atomic<bool> resetOwed_{false};
  IDirect3DSurface9* renderTarget_ = nullptr;  // a game's target bound at 0; null for the back buffer
  HRESULT creationResult_ = D3D_OK;
  std::atomic<bool> rasterize_{true};

  std::atomic<int> endScenes_{0};
  std::atomic<int> beginScenes_{0};
  std::atomic<int> resets_{0};
  std::atomic<int> presents_{0};
  std::atomic<int> draws_{0};

  D3DVIEWPORT9 viewport_{};
  RECT scissor_{};
  std::array<DWORD, 256> renderStates_{};
  std::map<D3DTRANSFORMSTATETYPE, D3DMATRIX> transforms_;
  std::array<std::array<DWORD, 33>, 8> stageStates_{};
  std::map<DWORD, std::array<DWORD, 14>> samplerStates_;
  std::map<DWORD, IDirect3DBaseTexture9*> textures_;
  std::map<UINT, Stream> streams_;
  IDirect3DIndexBuffer9* indices_ = nullptr;
  DWORD fvf_ = 0;
  D3DMATERIAL9 material_{};
  std::map<DWORD, D3DLIGHT9> lights_;
  std::map<DWORD, BOOL> lightEnabled_;
  std::array<std::array<float, 4>, 6> clipPlanes_{};
  D3DCLIPSTATUS9 clipStatus_{};
  std::vector<float> vertexConstantsF_ = std::vector<float>(256 * 4);
  std::vector<int> vertexConstantsI_ = std::vector<int>(16 * 4);
  std::vector<BOOL> vertexConstantsB_ = std::vector<BOOL>(16);
  std::vector<float> pixelConstantsF_ = std::vector<float>(224 * 4);
  std::vector<int> pixelConstantsI_ = std::vector<int>(16 * 4);
  std::vector<BOOL> pixelConstantsB_ = std::vector<BOOL>(16);
  BOOL softwareVertexProcessing_ = FALSE;
  float nPatchSegments_ = 0.0f;
  UINT currentPalette_ = 0;
  bool recordingStateBlock_ = false;
};

// The capabilities the simulated adapter reports.
void FillDeviceCaps(D3DCAPS9* caps);

// The simulated device behind an interface pointer, or null for any other.
Device* AsSimDevice(IDirect3DDevice9* device);

}  // namespace sim::detail
