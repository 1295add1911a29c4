// The effect handed to the game in place of every effect compiled from an
// effect file. It forwards the whole ID3DXEffect interface to the compiled
// effect it wraps, remembers the names behind the handles it hands out and
// the bytes of every value set through it, so that hot reload can swap the
// compiled effect while the game keeps its handles and values.
//
// Like the effect it wraps, a proxy takes no lock on the game's calls: the
// game uses it on one thread at a time, which may be a loading thread before
// the render thread draws with it. The plug-in's own work on the proxy (the
// per-frame values, the panel, hot reload) runs only while the game's last
// call came from the thread doing that work, so the two never overlap; work
// found waiting is done by the game's next call from another thread, which
// is the one call that may wait, for work in progress, on pluginWorkLock.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "effect/effect_source.h"
#include "effect/handle_cache.h"
#include "params/shader_param.h"
#include "platform/direct3d.h"
#include "platform/thread_tag.h"

// Holds one reference on `texture` in `kept`, in place of the one held before.
void KeepTexture(IDirect3DBaseTexture9*& kept, IDirect3DBaseTexture9* texture);

// Orders handles by their address, as unsigned values.
struct HandleAddressLess {
  bool operator()(D3DXHANDLE a, D3DXHANDLE b) const {
    return reinterpret_cast<std::uintptr_t>(a) < reinterpret_cast<std::uintptr_t>(b);
  }
};

class EffectProxy : public ID3DXEffect {
 public:
  // Takes over the caller's reference on `effect`; the count starts at 1.
  EffectProxy(ID3DXEffect* effect, const std::string& name);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObj) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // ID3DXBaseEffect: descriptions
  HRESULT STDMETHODCALLTYPE GetDesc(D3DXEFFECT_DESC* pDesc) override;
  HRESULT STDMETHODCALLTYPE GetParameterDesc(D3DXHANDLE hParameter, D3DXPARAMETER_DESC* pDesc) override;
  HRESULT STDMETHODCALLTYPE GetTechniqueDesc(D3DXHANDLE hTechnique, D3DXTECHNIQUE_DESC* pDesc) override;
  HRESULT STDMETHODCALLTYPE GetPassDesc(D3DXHANDLE hPass, D3DXPASS_DESC* pDesc) override;
  HRESULT STDMETHODCALLTYPE GetFunctionDesc(D3DXHANDLE hShader, D3DXFUNCTION_DESC* pDesc) override;

  // ID3DXBaseEffect: handle lookups
  D3DXHANDLE STDMETHODCALLTYPE GetParameter(D3DXHANDLE hParameter, UINT Index) override;
  D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE hParameter, LPCSTR pName) override;
  D3DXHANDLE STDMETHODCALLTYPE GetParameterBySemantic(D3DXHANDLE hParameter, LPCSTR pSemantic) override;
  D3DXHANDLE STDMETHODCALLTYPE GetParameterElement(D3DXHANDLE hParameter, UINT Index) override;
  D3DXHANDLE STDMETHODCALLTYPE GetTechnique(UINT Index) override;
  D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(LPCSTR pName) override;
  D3DXHANDLE STDMETHODCALLTYPE GetPass(D3DXHANDLE hTechnique, UINT Index) override;
  D3DXHANDLE STDMETHODCALLTYPE GetPassByName(D3DXHANDLE hTechnique, LPCSTR pName) override;
  D3DXHANDLE STDMETHODCALLTYPE GetFunction(UINT Index) override;
  D3DXHANDLE STDMETHODCALLTYPE GetFunctionByName(LPCSTR pName) override;
  D3DXHANDLE STDMETHODCALLTYPE GetAnnotation(D3DXHANDLE hObject, UINT Index) override;
  D3DXHANDLE STDMETHODCALLTYPE GetAnnotationByName(D3DXHANDLE hObject, LPCSTR pName) override;

  // ID3DXBaseEffect: values
  HRESULT STDMETHODCALLTYPE SetValue(D3DXHANDLE hParameter, LPCVOID pData, UINT Bytes) override;
  HRESULT STDMETHODCALLTYPE GetValue(D3DXHANDLE hParameter, LPVOID pData, UINT Bytes) override;
  HRESULT STDMETHODCALLTYPE SetBool(D3DXHANDLE hParameter, BOOL b) override;
  HRESULT STDMETHODCALLTYPE GetBool(D3DXHANDLE hParameter, BOOL* pb) override;
  HRESULT STDMETHODCALLTYPE SetBoolArray(D3DXHANDLE hParameter, const BOOL* pb, UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetBoolArray(D3DXHANDLE hParameter, BOOL* pb, UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetInt(D3DXHANDLE hParameter, INT n) override;
  HRESULT STDMETHODCALLTYPE GetInt(D3DXHANDLE hParameter, INT* pn) override;
  HRESULT STDMETHODCALLTYPE SetIntArray(D3DXHANDLE hParameter, const INT* pn, UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetIntArray(D3DXHANDLE hParameter, INT* pn, UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE hParameter, FLOAT f) override;
  HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE hParameter, FLOAT* pf) override;
  HRESULT STDMETHODCALLTYPE SetFloatArray(D3DXHANDLE hParameter, const FLOAT* pf, UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetFloatArray(D3DXHANDLE hParameter, FLOAT* pf, UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector) override;
  HRESULT STDMETHODCALLTYPE GetVector(D3DXHANDLE hParameter, D3DXVECTOR4* pVector) override;
  HRESULT STDMETHODCALLTYPE SetVectorArray(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector,
                                           UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetVectorArray(D3DXHANDLE hParameter, D3DXVECTOR4* pVector, UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) override;
  HRESULT STDMETHODCALLTYPE GetMatrix(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) override;
  HRESULT STDMETHODCALLTYPE SetMatrixArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix,
                                           UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetMatrixArray(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix, UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetMatrixPointerArray(D3DXHANDLE hParameter, const D3DXMATRIX** ppMatrix,
                                                  UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetMatrixPointerArray(D3DXHANDLE hParameter, D3DXMATRIX** ppMatrix,
                                                  UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetMatrixTranspose(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) override;
  HRESULT STDMETHODCALLTYPE GetMatrixTranspose(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) override;
  HRESULT STDMETHODCALLTYPE SetMatrixTransposeArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix,
                                                    UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetMatrixTransposeArray(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix,
                                                    UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetMatrixTransposePointerArray(D3DXHANDLE hParameter, const D3DXMATRIX** ppMatrix,
                                                           UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetMatrixTransposePointerArray(D3DXHANDLE hParameter, D3DXMATRIX** ppMatrix,
                                                           UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetString(D3DXHANDLE hParameter, LPCSTR pString) override;
  HRESULT STDMETHODCALLTYPE GetString(D3DXHANDLE hParameter, LPCSTR* ppString) override;
  HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9 pTexture) override;
  HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9* ppTexture) override;
  HRESULT STDMETHODCALLTYPE GetPixelShader(D3DXHANDLE hParameter, LPDIRECT3DPIXELSHADER9* ppPShader) override;
  HRESULT STDMETHODCALLTYPE GetVertexShader(D3DXHANDLE hParameter,
                                            LPDIRECT3DVERTEXSHADER9* ppVShader) override;
  HRESULT STDMETHODCALLTYPE SetArrayRange(D3DXHANDLE hParameter, UINT uStart, UINT uEnd) override;

  // ID3DXEffect: pool and techniques
  HRESULT STDMETHODCALLTYPE GetPool(LPD3DXEFFECTPOOL* ppPool) override;
  HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE hTechnique) override;
  D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() override;
  HRESULT STDMETHODCALLTYPE ValidateTechnique(D3DXHANDLE hTechnique) override;
  HRESULT STDMETHODCALLTYPE FindNextValidTechnique(D3DXHANDLE hTechnique, D3DXHANDLE* pTechnique) override;
  BOOL STDMETHODCALLTYPE IsParameterUsed(D3DXHANDLE hParameter, D3DXHANDLE hTechnique) override;

  // ID3DXEffect: rendering
  HRESULT STDMETHODCALLTYPE Begin(UINT* pPasses, DWORD Flags) override;
  HRESULT STDMETHODCALLTYPE BeginPass(UINT Pass) override;
  HRESULT STDMETHODCALLTYPE CommitChanges() override;
  HRESULT STDMETHODCALLTYPE EndPass() override;
  HRESULT STDMETHODCALLTYPE End() override;

  // ID3DXEffect: device and state
  HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* ppDevice) override;
  HRESULT STDMETHODCALLTYPE OnLostDevice() override;
  HRESULT STDMETHODCALLTYPE OnResetDevice() override;
  HRESULT STDMETHODCALLTYPE SetStateManager(LPD3DXEFFECTSTATEMANAGER pManager) override;
  HRESULT STDMETHODCALLTYPE GetStateManager(LPD3DXEFFECTSTATEMANAGER* ppManager) override;

  // ID3DXEffect: parameter blocks
  HRESULT STDMETHODCALLTYPE BeginParameterBlock() override;
  D3DXHANDLE STDMETHODCALLTYPE EndParameterBlock() override;
  HRESULT STDMETHODCALLTYPE ApplyParameterBlock(D3DXHANDLE hParameterBlock) override;
  HRESULT STDMETHODCALLTYPE DeleteParameterBlock(D3DXHANDLE hParameterBlock) override;

  // ID3DXEffect: cloning and raw writes
  HRESULT STDMETHODCALLTYPE CloneEffect(LPDIRECT3DDEVICE9 pDevice, LPD3DXEFFECT* ppEffect) override;
  HRESULT STDMETHODCALLTYPE SetRawValue(D3DXHANDLE hParameter, LPCVOID pData, UINT ByteOffset,
                                        UINT Bytes) override;

  // Declared after every interface method so that it takes the last slots.
  // Releases the inner effect once.
  virtual ~EffectProxy();

  // Handle and value bookkeeping. Handles handed out by the current inner
  // effect are remembered under a name that finds them again on any effect
  // compiled from the same file: "Weights", "Weights[2]", "Light.Colour".
  D3DXHANDLE RememberParameterName(D3DXHANDLE handle);
  D3DXHANDLE RememberTechniqueName(D3DXHANDLE handle);
  // A handle reached from `parent`: as an element of the parent array when
  // `index` is given, else as a member named `member` (or, with no member
  // name, the member's own name from its description).
  D3DXHANDLE RememberChildParameter(D3DXHANDLE handle, D3DXHANDLE parent, const char* member, int index);
  void NoteFoundByName(D3DXHANDLE handle);
  // The tunable-parameter model's handles are remembered like the game's;
  // those the game was never given are forgotten when the model is built
  // again, so that each reloaded effect's addresses do not pile up.
  void RememberModelHandle(D3DXHANDLE handle);
  void ForgetModelOnlyHandles();
  D3DXHANDLE HandToGame(D3DXHANDLE handle);
  // Records the bytes under the handle's remembered name. False only when
  // memory ran out (after an ERROR line); nothing was changed then.
  bool RecordParameterValue(D3DXHANDLE handle, const void* data, std::uint32_t size);
  // Drops the recorded value of one name, so that a reload leaves the new
  // effect's own value in place.
  void ForgetRecordedValue(const std::string& name);
  bool RecordTexture(D3DXHANDLE handle, IDirect3DBaseTexture9* texture);
  const char* NamePassedAsHandle(D3DXHANDLE handle);
  // A remembered handle is looked up again by name on the current inner
  // effect; any other handle (or a name used as one) passes unchanged.
  // Parameter handles are resolved once per generation of handleCache.
  D3DXHANDLE ResolveParameterHandle(D3DXHANDLE handle);
  D3DXHANDLE ResolveTechniqueHandle(D3DXHANDLE handle);

  // Installs a freshly compiled effect (taking over the caller's reference):
  // rebuilds the tunable parameters from it, selects the current technique
  // on it by name, writes every recorded value into it, then releases the
  // previous effect. The only place that changes innerEffect after
  // construction.
  void SwapInnerEffect(ID3DXEffect* newEffect);

  // Every game call but reference counting starts here. A call from another
  // thread than the last one, or one that finds plug-in work left for it (the
  // low bit of gameThread), waits for the plug-in's work in progress and does
  // what was left.
  bool OnGameThread() const { return gameThread.load(std::memory_order_relaxed) == CurrentThreadTag(); }
  void EnterGameCall() {
    if (!OnGameThread()) MoveToCallingThread();
  }
  void MoveToCallingThread();
  // After the game's End: a reload that waited for it goes in.
  void EndWaitingWork();
  // Runs `work` under pluginWorkLock when the game's last call came from this
  // thread, after the work left waiting, and answers whether it ran.
  template <class Work>
  bool WorkOnGameThread(Work&& work) {
    EnterCriticalSection(&pluginWorkLock);
    const bool mine = CalledLastFromThisThread();
    if (mine) {
      DoWaitingWork();
      work();
    }
    LeaveCriticalSection(&pluginWorkLock);
    return mine;
  }
  bool CalledLastFromThisThread() const {
    return (gameThread.load(std::memory_order_relaxed) & ~std::uintptr_t(1)) == CurrentThreadTag();
  }
  // A reloaded effect (the caller's reference) goes in now, or once the game
  // has ended drawing with the current one, on its thread. True when now.
  bool InstallReloadedEffect(ID3DXEffect* newEffect);
  // The per-frame work: a waiting reload, then "Time" (not recorded).
  void FrameWork(float time);
  // The textures the game set through the proxy hold a reference each until
  // the game sets another, the proxy goes or the plug-in unloads.
  void ReleaseRecordedTextures();

  // The tunable-parameter model (params/annotation_model.cpp), its saved
  // settings (params/settings_file.cpp) and its panel (params/parameter_panel.cpp).
  void ParseParameterAnnotations(ID3DXEffect* effect);
  void RestoreRecordedValues(ID3DXEffect* effect);
  void LoadParameterSettings();
  void SaveParameterSettings();
  void DrawParameterPanel();
  // Puts one tunable parameter, or all of them, back to the effect file's
  // default, through the proxy's setters like an edit in the panel.
  void ResetParameterToDefault(ShaderParam& param);
  void ResetAllParametersToDefault();

  ID3DXEffect* innerEffect;
  std::atomic<ULONG> refCount;
  std::string shaderName;
  std::map<D3DXHANDLE, std::string, HandleAddressLess> parameterNames;
  std::map<D3DXHANDLE, std::string, HandleAddressLess> techniqueNames;
  std::map<std::string, std::vector<std::uint8_t>> recordedValues;
  std::string currentTechniqueName;
  std::vector<ShaderParam> parameters;
  // Set where the effect is compiled (creation, reload) and read by the
  // overlay and the file watch, all under the live-effect list lock.
  EffectSource source;
  // Parameter handles resolved on the current inner effect
  // (effect/effect_proxy_bookkeeping.cpp fills and invalidates it).
  HandleCache handleCache;
  // The thread the game last called the proxy on, plus 1 while plug-in work
  // waits for the game's next call (see EnterGameCall).
  std::atomic<std::uintptr_t> gameThread;
  CRITICAL_SECTION pluginWorkLock;
  // The plug-in's work left for the game's thread; under pluginWorkLock.
  ID3DXEffect* waitingEffect = nullptr;
  bool timeWaiting = false;
  // Whether waitingEffect is set, for the game's End to look without the lock.
  std::atomic<bool> effectWaiting{false};
  // Between the game's Begin and End: the inner effect must stay. Game thread only.
  bool begun = false;
  // Keys of parameterNames that only the model holds.
  std::vector<D3DXHANDLE> modelOnlyHandles;
  // Textures set by the game, by parameter name, one reference each.
  std::map<std::string, IDirect3DBaseTexture9*, std::less<>> recordedTextures;

 private:
  // On the game's thread, under pluginWorkLock.
  void DoWaitingWork();
  void LeaveWorkWaiting();
};
