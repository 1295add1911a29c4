// Reference counting and the calls that pass handles through to the inner
// effect, or hand out handles whose names the proxy remembers.
#include "effect/effect_proxy.h"

#include "effect/without_throwing.h"

EffectProxy::EffectProxy(ID3DXEffect* effect, const std::string& name)
    : innerEffect(effect), refCount(1), shaderName(name), gameThread(CurrentThreadTag()) {
  InitializeCriticalSection(&pluginWorkLock);
}

EffectProxy::~EffectProxy() {
  ReleaseRecordedTextures();
  if (waitingEffect) waitingEffect->Release();
  if (innerEffect) innerEffect->Release();
  DeleteCriticalSection(&pluginWorkLock);
}

// Every interface identifier yields the proxy itself, so the game can never
// reach the inner effect around it.
HRESULT STDMETHODCALLTYPE EffectProxy::QueryInterface(REFIID, void** ppvObj) {
  if (!ppvObj) return E_POINTER;
  *ppvObj = static_cast<ID3DXEffect*>(this);
  static_cast<ID3DXEffect*>(this)->AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE EffectProxy::AddRef() {
  return refCount.fetch_add(1, std::memory_order_relaxed) + 1;
}

ULONG STDMETHODCALLTYPE EffectProxy::Release() {
  // The last release sees every write that other threads made before theirs.
  ULONG count = refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (count == 0) delete this;
  return count;
}

// Calls passed straight on, arguments unchanged.

HRESULT STDMETHODCALLTYPE EffectProxy::GetDesc(D3DXEFFECT_DESC* pDesc) {
  EnterGameCall();
  return innerEffect->GetDesc(pDesc);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetParameterDesc(D3DXHANDLE hParameter, D3DXPARAMETER_DESC* pDesc) {
  EnterGameCall();
  return innerEffect->GetParameterDesc(hParameter, pDesc);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetPassDesc(D3DXHANDLE hPass, D3DXPASS_DESC* pDesc) {
  EnterGameCall();
  return innerEffect->GetPassDesc(hPass, pDesc);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetFunctionDesc(D3DXHANDLE hShader, D3DXFUNCTION_DESC* pDesc) {
  EnterGameCall();
  return innerEffect->GetFunctionDesc(hShader, pDesc);
}

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetFunction(UINT Index) {
  EnterGameCall();
  return innerEffect->GetFunction(Index);
}

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetFunctionByName(LPCSTR pName) {
  EnterGameCall();
  return innerEffect->GetFunctionByName(pName);
}

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetAnnotation(D3DXHANDLE hObject, UINT Index) {
  EnterGameCall();
  return innerEffect->GetAnnotation(hObject, Index);
}

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetAnnotationByName(D3DXHANDLE hObject, LPCSTR pName) {
  EnterGameCall();
  return innerEffect->GetAnnotationByName(hObject, pName);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetPool(LPD3DXEFFECTPOOL* ppPool) {
  EnterGameCall();
  return innerEffect->GetPool(ppPool);
}

HRESULT STDMETHODCALLTYPE EffectProxy::Begin(UINT* pPasses, DWORD Flags) {
  EnterGameCall();
  const HRESULT result = innerEffect->Begin(pPasses, Flags);
  if (SUCCEEDED(result)) begun = true;
  return result;
}

HRESULT STDMETHODCALLTYPE EffectProxy::BeginPass(UINT Pass) {
  EnterGameCall();
  return innerEffect->BeginPass(Pass);
}

HRESULT STDMETHODCALLTYPE EffectProxy::CommitChanges() {
  EnterGameCall();
  return innerEffect->CommitChanges();
}

HRESULT STDMETHODCALLTYPE EffectProxy::EndPass() {
  EnterGameCall();
  return innerEffect->EndPass();
}

HRESULT STDMETHODCALLTYPE EffectProxy::End() {
  EnterGameCall();
  begun = false;
  const HRESULT result = innerEffect->End();
  EndWaitingWork();
  return result;
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetDevice(LPDIRECT3DDEVICE9* ppDevice) {
  EnterGameCall();
  return innerEffect->GetDevice(ppDevice);
}

HRESULT STDMETHODCALLTYPE EffectProxy::OnLostDevice() {
  EnterGameCall();
  return innerEffect->OnLostDevice();
}

HRESULT STDMETHODCALLTYPE EffectProxy::OnResetDevice() {
  EnterGameCall();
  return innerEffect->OnResetDevice();
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetStateManager(LPD3DXEFFECTSTATEMANAGER pManager) {
  EnterGameCall();
  return innerEffect->SetStateManager(pManager);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetStateManager(LPD3DXEFFECTSTATEMANAGER* ppManager) {
  EnterGameCall();
  return innerEffect->GetStateManager(ppManager);
}

HRESULT STDMETHODCALLTYPE EffectProxy::BeginParameterBlock() {
  EnterGameCall();
  return innerEffect->BeginParameterBlock();
}

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::EndParameterBlock() {
  EnterGameCall();
  return innerEffect->EndParameterBlock();
}

HRESULT STDMETHODCALLTYPE EffectProxy::ApplyParameterBlock(D3DXHANDLE hParameterBlock) {
  EnterGameCall();
  return innerEffect->ApplyParameterBlock(hParameterBlock);
}

HRESULT STDMETHODCALLTYPE EffectProxy::DeleteParameterBlock(D3DXHANDLE hParameterBlock) {
  EnterGameCall();
  return innerEffect->DeleteParameterBlock(hParameterBlock);
}

// The clone belongs to the caller as the inner effect made it: not wrapped.
HRESULT STDMETHODCALLTYPE EffectProxy::CloneEffect(LPDIRECT3DDEVICE9 pDevice, LPD3DXEFFECT* ppEffect) {
  EnterGameCall();
  return innerEffect->CloneEffect(pDevice, ppEffect);
}

// Parameter handles handed out are remembered by name; a parent handle is
// resolved on the current inner effect like any other handle the game passes.

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetParameter(D3DXHANDLE hParameter, UINT Index) {
  EnterGameCall();
  D3DXHANDLE found = innerEffect->GetParameter(ResolveParameterHandle(hParameter), Index);
  if (!hParameter) return HandToGame(RememberParameterName(found));
  // A parameter's children by index are structure members or array elements.
  RememberChildParameter(found, hParameter, nullptr, -1);
  return HandToGame(RememberChildParameter(found, hParameter, nullptr, static_cast<int>(Index)));
}

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetParameterByName(D3DXHANDLE hParameter, LPCSTR pName) {
  EnterGameCall();
  D3DXHANDLE found = innerEffect->GetParameterByName(ResolveParameterHandle(hParameter), pName);
  if (!pName) return found;
  return HandToGame(RememberChildParameter(found, hParameter, pName, -1));
}

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetParameterBySemantic(D3DXHANDLE hParameter, LPCSTR pSemantic) {
  EnterGameCall();
  D3DXHANDLE found = innerEffect->GetParameterBySemantic(ResolveParameterHandle(hParameter), pSemantic);
  return HandToGame(RememberChildParameter(found, hParameter, nullptr, -1));
}

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetParameterElement(D3DXHANDLE hParameter, UINT Index) {
  EnterGameCall();
  D3DXHANDLE found = innerEffect->GetParameterElement(ResolveParameterHandle(hParameter), Index);
  return HandToGame(RememberChildParameter(found, hParameter, nullptr, static_cast<int>(Index)));
}

// Technique handles handed out are remembered by name; those passed in are
// resolved by name on the current inner effect.

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetTechnique(UINT Index) {
  EnterGameCall();
  return RememberTechniqueName(innerEffect->GetTechnique(Index));
}

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetTechniqueByName(LPCSTR pName) {
  EnterGameCall();
  return RememberTechniqueName(innerEffect->GetTechniqueByName(pName));
}

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetCurrentTechnique() {
  EnterGameCall();
  return RememberTechniqueName(innerEffect->GetCurrentTechnique());
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetTechniqueDesc(D3DXHANDLE hTechnique, D3DXTECHNIQUE_DESC* pDesc) {
  EnterGameCall();
  return innerEffect->GetTechniqueDesc(ResolveTechniqueHandle(hTechnique), pDesc);
}

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetPass(D3DXHANDLE hTechnique, UINT Index) {
  EnterGameCall();
  return innerEffect->GetPass(ResolveTechniqueHandle(hTechnique), Index);
}

D3DXHANDLE STDMETHODCALLTYPE EffectProxy::GetPassByName(D3DXHANDLE hTechnique, LPCSTR pName) {
  EnterGameCall();
  return innerEffect->GetPassByName(ResolveTechniqueHandle(hTechnique), pName);
}

HRESULT STDMETHODCALLTYPE EffectProxy::ValidateTechnique(D3DXHANDLE hTechnique) {
  EnterGameCall();
  return innerEffect->ValidateTechnique(ResolveTechniqueHandle(hTechnique));
}

HRESULT STDMETHODCALLTYPE EffectProxy::FindNextValidTechnique(D3DXHANDLE hTechnique, D3DXHANDLE* pTechnique) {
  EnterGameCall();
  return innerEffect->FindNextValidTechnique(ResolveTechniqueHandle(hTechnique), pTechnique);
}

// A handle never seen before is remembered first, so the selection is known
// by name from this very call on.
HRESULT STDMETHODCALLTYPE EffectProxy::SetTechnique(D3DXHANDLE hTechnique) {
  EnterGameCall();
  if (hTechnique && !techniqueNames.count(hTechnique)) RememberTechniqueName(hTechnique);
  auto known = techniqueNames.find(hTechnique);
  if (known != techniqueNames.end() &&
      !WithoutThrowing("selecting a technique", shaderName, [&] { currentTechniqueName = known->second; }))
    return E_OUTOFMEMORY;
  return innerEffect->SetTechnique(ResolveTechniqueHandle(hTechnique));
}

BOOL STDMETHODCALLTYPE EffectProxy::IsParameterUsed(D3DXHANDLE hParameter, D3DXHANDLE hTechnique) {
  EnterGameCall();
  return innerEffect->IsParameterUsed(ResolveParameterHandle(hParameter), ResolveTechniqueHandle(hTechnique));
}
