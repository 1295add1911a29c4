// Controls of the simulated Direct3D 9 device and D3DX, used by the host
// program and the tests: device creation and its failure switches, counters
// of the calls the plug-in detours, the executable's effect resources, the
// record of the last effect creations, and the count of live COM objects.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fx/fx_model.h"
#include "sim/d3dx9.h"

namespace sim {

// ---------------------------------------------------------------------------
// Live simulated COM objects
// ---------------------------------------------------------------------------
enum class ObjectKind {
  Direct3D,
  Device,
  Effect,
  EffectPool,
  Buffer,
  Texture,
  VolumeTexture,
  Surface,
  Volume,
  VertexBuffer,
  IndexBuffer,
  StateBlock,
};

// Objects created and not yet released to a count of zero, in total and by kind.
int LiveObjects();
int LiveObjects(ObjectKind kind);
// Release or AddRef calls on an object whose count had already reached zero.
// Released objects are kept as inert shells, so such a call is counted
// instead of touching freed memory.
int OverReleases();
void ResetOverReleases();
// The current reference count of any COM object (AddRef then Release).
ULONG RefCount(IUnknown* object);

// ---------------------------------------------------------------------------
// Device
// ---------------------------------------------------------------------------
// A device with a back buffer of the given size; its reference count is 1.
// The back buffer is a surface object of its own that lives as long as the
// device. Effects, textures, buffers and state blocks hold a device reference.
IDirect3DDevice9* CreateDevice(UINT width, UINT height, HWND focusWindow);

// What GetRenderTarget(0, ...) does.
enum class RenderTargetMode {
  Normal,     // S_OK with the back buffer surface
  CallFails,  // D3DERR_INVALIDCALL, no surface
  NoSurface,  // S_OK with a null surface
  DescFails,  // S_OK with a surface whose GetDesc fails
};
void SetRenderTargetMode(IDirect3DDevice9* device, RenderTargetMode mode);
void SetRenderTargetSize(IDirect3DDevice9* device, UINT width, UINT height);
// The result that the device's own Reset returns (D3D_OK by default). A
// failing Reset leaves the device lost until one succeeds: Present answers
// D3DERR_DEVICELOST, TestCooperativeLevel D3DERR_DEVICENOTRESET, draws and
// clears do nothing and default-pool resources cannot be created.
void SetResetResult(IDirect3DDevice9* device, HRESULT result);
// The result of GetCreationParameters (D3D_OK by default); a failing call
// leaves the caller's structure untouched.
void SetCreationParametersResult(IDirect3DDevice9* device, HRESULT result);

// The back buffer. Clear fills it, and DrawIndexedPrimitive rasterises
// fixed-function triangles into it: transforms, the viewport, the scissor
// rectangle, texture stage 0 with bilinear or point sampling, vertex colours
// and alpha blending (no lighting, fog, depth, stencil or alpha test).
// Turning the rasteriser off leaves draws counted but not drawn.
void SetRasterizerEnabled(IDirect3DDevice9* device, bool enabled);
// The pixel at (x, y) as 0xAARRGGBB; 0 outside the buffer.
D3DCOLOR BackBufferPixel(IDirect3DDevice9* device, UINT x, UINT y);
// A pixel of a render target surface made by the device.
D3DCOLOR RenderTargetPixel(IDirect3DDevice9* device, IDirect3DSurface9* surface, UINT x, UINT y);
// Writes the back buffer as an 8-bit RGB PNG image; false when it cannot.
bool SaveBackBufferPng(IDirect3DDevice9* device, const std::string& path);

// Calls that reached the device's own methods.
int EndSceneCount(IDirect3DDevice9* device);
int BeginSceneCount(IDirect3DDevice9* device);
int ResetCount(IDirect3DDevice9* device);
int PresentCount(IDirect3DDevice9* device);
int DrawCallCount(IDirect3DDevice9* device);
D3DPRESENT_PARAMETERS LastResetParameters(IDirect3DDevice9* device);

// ---------------------------------------------------------------------------
// Effects
// ---------------------------------------------------------------------------
// Effect resources of the host executable, found by
// D3DXCreateEffectFromResourceA by module and name (names compare without
// regard to case, as Windows resource names do).
void RegisterResource(HMODULE module, const std::string& name, const std::string& fxSource);
void ClearResources();

// The arguments of one effect creation call and its result.
struct EffectCreationCall {
  IDirect3DDevice9* device = nullptr;
  HMODULE module = nullptr;   // resource calls only
  std::string source;         // resource name or file path as passed
  bool definesGiven = false;  // a non-null D3DXMACRO array was passed
  std::vector<std::pair<std::string, std::string>> defines;
  ID3DXInclude* include = nullptr;
  DWORD flags = 0;
  ID3DXEffectPool* pool = nullptr;
  bool effectPlaceGiven = false;
  bool errorsPlaceGiven = false;
  ID3DXEffect** effectPlace = nullptr;  // the out-places as passed
  ID3DXBuffer** errorsPlace = nullptr;
  HRESULT result = S_OK;
};
EffectCreationCall LastResourceCall();
int ResourceCallCount();
EffectCreationCall LastEffectFileCall();
int EffectFileCallCount();
void ClearEffectCalls();

// Runs `hook` inside every D3DXCreateEffectFromFileA after the file was
// compiled and before the call returns, with the path as passed: a test can
// act while a compile is in progress. An empty function removes it.
void SetEffectFileCompileHook(std::function<void(const std::string& path)> hook);

// When on, the handles of an effect released to a count of zero are freed
// and their addresses handed out again, lowest first, by the next effects
// created, as D3DX does with its memory. Off by default: released effects
// keep their handles so that no address ever names two parameters.
void SetHandleReuse(bool on);

// Builds an effect straight from a compiled model, as a successful compile
// would, for tests that do not go through the effect compiler.
HRESULT CreateEffectFromModel(IDirect3DDevice9* device, const simfx::Effect& model, DWORD flags,
                              ID3DXEffect** effect);

// Begin/BeginPass/CommitChanges/EndPass/End bookkeeping of a simulated effect.
struct EffectActivity {
  bool simulated = false;  // false for effects that are not simulated ones
  int begins = 0;
  int beginPasses = 0;
  int commits = 0;
  int endPasses = 0;
  int ends = 0;
  int lostDevice = 0;
  int resetDevice = 0;
  bool inBegin = false;
  int activePass = -1;  // -1 outside BeginPass/EndPass
};
EffectActivity GetEffectActivity(ID3DXEffect* effect);

// ---------------------------------------------------------------------------
// Textures
// ---------------------------------------------------------------------------
// The path a texture was loaded from (as passed to the loader), empty for
// textures created by the device.
std::string TextureSourcePath(IDirect3DBaseTexture9* texture);

}  // namespace sim
