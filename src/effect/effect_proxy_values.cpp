// Parameter value calls. The setters record the bytes they are given under
// the parameter's name before forwarding, whatever the inner effect then
// answers; every parameter handle is resolved by name on the current inner
// effect.
#include <cstring>
#include <vector>

#include "effect/effect_proxy.h"
#include "effect/without_throwing.h"

namespace {
constexpr std::uint32_t kScalarBytes = 4;
constexpr std::uint32_t kVectorBytes = sizeof(D3DXVECTOR4);
constexpr std::uint32_t kMatrixBytes = sizeof(D3DXMATRIX);
static_assert(kVectorBytes == 16 && kMatrixBytes == 64, "effect value sizes");

// The per-frame path of a recording setter: a remembered handle already
// resolved in this generation whose value is recorded in place costs one
// probe, a size check and a copy. Null sends the call the long way, which
// records, resolves and fills the slot for the next call; names passed in
// place of handles always go that way.
inline ResolvedHandle* RecordInPlace(EffectProxy& proxy, D3DXHANDLE handle, const void* data,
                                     std::uint32_t size) {
  ResolvedHandle* slot = FindResolvedHandle(proxy.handleCache, handle);
  if (!slot || !data || size == 0) return nullptr;
  if (!slot->recorded || slot->recorded->size() != size) return nullptr;
  std::memcpy(slot->recorded->data(), data, size);
  return slot;
}

// A parameter handle resolved on the current inner effect, from its slot
// when it has one.
inline D3DXHANDLE Resolved(EffectProxy& proxy, D3DXHANDLE handle) {
  if (ResolvedHandle* slot = FindResolvedHandle(proxy.handleCache, handle)) return slot->resolved;
  return proxy.ResolveParameterHandle(handle);
}

// The same for a value of a fixed size, which is copied without a call.
template <std::uint32_t kSize>
inline ResolvedHandle* RecordInPlace(EffectProxy& proxy, D3DXHANDLE handle, const void* data) {
  ResolvedHandle* slot = FindResolvedHandle(proxy.handleCache, handle);
  if (!slot || !data) return nullptr;
  std::vector<std::uint8_t>* recorded = slot->recorded;
  if (!recorded || recorded->size() != kSize) return nullptr;
  std::memcpy(recorded->data(), data, kSize);
  return slot;
}

// Matrices set transposed are recorded as the effect then holds them, so
// that the value written back after a reload is the one the game set.
void Transpose(const D3DXMATRIX* matrices, UINT count, D3DXMATRIX* transposed) {
  for (UINT i = 0; i < count; ++i) {
    for (UINT r = 0; r < 4; ++r) {
      for (UINT c = 0; c < 4; ++c) transposed[i](r, c) = matrices[i](c, r);
    }
  }
}

// The game's call again once the proxy has moved to the calling thread. Kept
// out of line, like the long way below, so that the usual way needs no stack
// frame.
template <class Call>
[[gnu::noinline]] HRESULT MoveThenCall(EffectProxy& proxy, Call call) {
  proxy.MoveToCallingThread();
  return call();
}

// The long way of a setter taking a 32-bit value: record, then forward with
// the handle resolved (which fills its slot for the next call). Kept out of
// line so that the short way needs no stack frame.
template <class Value, class Forward>
[[gnu::noinline]] HRESULT RecordThenForward(EffectProxy& proxy, D3DXHANDLE handle, Value value,
                                            Forward forward) {
  if (!proxy.RecordParameterValue(handle, &value, kScalarBytes)) return E_OUTOFMEMORY;
  return forward(proxy.ResolveParameterHandle(handle), value);
}
}  // namespace

// D3DX takes D3DX_DEFAULT as the byte count for "the parameter's own size,
// unchecked", so the caller's count only bounds what can be read: the bytes
// recorded are at most what the parameter holds on the current effect.
HRESULT STDMETHODCALLTYPE EffectProxy::SetValue(D3DXHANDLE hParameter, LPCVOID pData, UINT Bytes) {
  EnterGameCall();
  D3DXHANDLE resolved = ResolveParameterHandle(hParameter);
  UINT recorded = Bytes;
  D3DXPARAMETER_DESC desc{};
  if (resolved && SUCCEEDED(innerEffect->GetParameterDesc(resolved, &desc))) {
    if (desc.Bytes < recorded) recorded = desc.Bytes;
  } else if (Bytes == D3DX_DEFAULT) {
    recorded = 0;  // no size known: nothing can be copied safely
  }
  if (!RecordParameterValue(hParameter, pData, recorded)) return E_OUTOFMEMORY;
  return innerEffect->SetValue(resolved, pData, Bytes);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetBool(D3DXHANDLE hParameter, BOOL b) {
  if (!OnGameThread()) return MoveThenCall(*this, [=] { return SetBool(hParameter, b); });
  if (ResolvedHandle* slot = RecordInPlace<kScalarBytes>(*this, hParameter, &b))
    return innerEffect->SetBool(slot->resolved, b);
  return RecordThenForward(*this, hParameter, b, [this](D3DXHANDLE resolved, BOOL value) {
    return innerEffect->SetBool(resolved, value);
  });
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetBoolArray(D3DXHANDLE hParameter, const BOOL* pb, UINT Count) {
  EnterGameCall();
  if (ResolvedHandle* slot = RecordInPlace(*this, hParameter, pb, kScalarBytes * Count))
    return innerEffect->SetBoolArray(slot->resolved, pb, Count);
  if (!RecordParameterValue(hParameter, pb, kScalarBytes * Count)) return E_OUTOFMEMORY;
  return innerEffect->SetBoolArray(ResolveParameterHandle(hParameter), pb, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetInt(D3DXHANDLE hParameter, INT n) {
  if (!OnGameThread()) return MoveThenCall(*this, [=] { return SetInt(hParameter, n); });
  if (ResolvedHandle* slot = RecordInPlace<kScalarBytes>(*this, hParameter, &n))
    return innerEffect->SetInt(slot->resolved, n);
  return RecordThenForward(*this, hParameter, n, [this](D3DXHANDLE resolved, INT value) {
    return innerEffect->SetInt(resolved, value);
  });
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetIntArray(D3DXHANDLE hParameter, const INT* pn, UINT Count) {
  EnterGameCall();
  if (ResolvedHandle* slot = RecordInPlace(*this, hParameter, pn, kScalarBytes * Count))
    return innerEffect->SetIntArray(slot->resolved, pn, Count);
  if (!RecordParameterValue(hParameter, pn, kScalarBytes * Count)) return E_OUTOFMEMORY;
  return innerEffect->SetIntArray(ResolveParameterHandle(hParameter), pn, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetFloat(D3DXHANDLE hParameter, FLOAT f) {
  if (!OnGameThread()) return MoveThenCall(*this, [=] { return SetFloat(hParameter, f); });
  if (ResolvedHandle* slot = RecordInPlace<kScalarBytes>(*this, hParameter, &f))
    return innerEffect->SetFloat(slot->resolved, f);
  return RecordThenForward(*this, hParameter, f, [this](D3DXHANDLE resolved, FLOAT value) {
    return innerEffect->SetFloat(resolved, value);
  });
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetFloatArray(D3DXHANDLE hParameter, const FLOAT* pf, UINT Count) {
  EnterGameCall();
  if (ResolvedHandle* slot = RecordInPlace(*this, hParameter, pf, kScalarBytes * Count))
    return innerEffect->SetFloatArray(slot->resolved, pf, Count);
  if (!RecordParameterValue(hParameter, pf, kScalarBytes * Count)) return E_OUTOFMEMORY;
  return innerEffect->SetFloatArray(ResolveParameterHandle(hParameter), pf, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector) {
  if (!OnGameThread()) return MoveThenCall(*this, [=] { return SetVector(hParameter, pVector); });
  if (ResolvedHandle* slot = RecordInPlace<kVectorBytes>(*this, hParameter, pVector))
    return innerEffect->SetVector(slot->resolved, pVector);
  if (!RecordParameterValue(hParameter, pVector, kVectorBytes)) return E_OUTOFMEMORY;
  return innerEffect->SetVector(ResolveParameterHandle(hParameter), pVector);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetVectorArray(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector,
                                                      UINT Count) {
  EnterGameCall();
  if (ResolvedHandle* slot = RecordInPlace(*this, hParameter, pVector, kVectorBytes * Count))
    return innerEffect->SetVectorArray(slot->resolved, pVector, Count);
  if (!RecordParameterValue(hParameter, pVector, kVectorBytes * Count)) return E_OUTOFMEMORY;
  return innerEffect->SetVectorArray(ResolveParameterHandle(hParameter), pVector, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) {
  if (!OnGameThread()) return MoveThenCall(*this, [=] { return SetMatrix(hParameter, pMatrix); });
  if (ResolvedHandle* slot = RecordInPlace<kMatrixBytes>(*this, hParameter, pMatrix))
    return innerEffect->SetMatrix(slot->resolved, pMatrix);
  if (!RecordParameterValue(hParameter, pMatrix, kMatrixBytes)) return E_OUTOFMEMORY;
  return innerEffect->SetMatrix(ResolveParameterHandle(hParameter), pMatrix);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetMatrixArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix,
                                                      UINT Count) {
  EnterGameCall();
  if (ResolvedHandle* slot = RecordInPlace(*this, hParameter, pMatrix, kMatrixBytes * Count))
    return innerEffect->SetMatrixArray(slot->resolved, pMatrix, Count);
  if (!RecordParameterValue(hParameter, pMatrix, kMatrixBytes * Count)) return E_OUTOFMEMORY;
  return innerEffect->SetMatrixArray(ResolveParameterHandle(hParameter), pMatrix, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetMatrixTranspose(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) {
  EnterGameCall();
  D3DXMATRIX asSet;
  const D3DXMATRIX* recorded = pMatrix ? &asSet : nullptr;
  if (pMatrix) Transpose(pMatrix, 1, &asSet);
  if (ResolvedHandle* slot = RecordInPlace<kMatrixBytes>(*this, hParameter, recorded))
    return innerEffect->SetMatrixTranspose(slot->resolved, pMatrix);
  if (!RecordParameterValue(hParameter, recorded, kMatrixBytes)) return E_OUTOFMEMORY;
  return innerEffect->SetMatrixTranspose(ResolveParameterHandle(hParameter), pMatrix);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetMatrixTransposeArray(D3DXHANDLE hParameter,
                                                               const D3DXMATRIX* pMatrix, UINT Count) {
  EnterGameCall();
  std::vector<D3DXMATRIX> asSet;
  if (pMatrix && !WithoutThrowing("recording a value", shaderName, [&] { asSet.resize(Count); }))
    return E_OUTOFMEMORY;
  const D3DXMATRIX* recorded = pMatrix ? asSet.data() : nullptr;
  if (pMatrix) Transpose(pMatrix, Count, asSet.data());
  if (ResolvedHandle* slot = RecordInPlace(*this, hParameter, recorded, kMatrixBytes * Count))
    return innerEffect->SetMatrixTransposeArray(slot->resolved, pMatrix, Count);
  if (!RecordParameterValue(hParameter, recorded, kMatrixBytes * Count)) return E_OUTOFMEMORY;
  return innerEffect->SetMatrixTransposeArray(ResolveParameterHandle(hParameter), pMatrix, Count);
}

// The terminating NUL is part of the recorded bytes.
HRESULT STDMETHODCALLTYPE EffectProxy::SetString(D3DXHANDLE hParameter, LPCSTR pString) {
  EnterGameCall();
  if (pString &&
      !RecordParameterValue(hParameter, pString, static_cast<std::uint32_t>(std::strlen(pString) + 1)))
    return E_OUTOFMEMORY;
  return innerEffect->SetString(ResolveParameterHandle(hParameter), pString);
}

// Calls that record nothing: the handle is resolved and the rest passes on.

HRESULT STDMETHODCALLTYPE EffectProxy::GetValue(D3DXHANDLE hParameter, LPVOID pData, UINT Bytes) {
  EnterGameCall();
  return innerEffect->GetValue(Resolved(*this, hParameter), pData, Bytes);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetBool(D3DXHANDLE hParameter, BOOL* pb) {
  EnterGameCall();
  return innerEffect->GetBool(Resolved(*this, hParameter), pb);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetBoolArray(D3DXHANDLE hParameter, BOOL* pb, UINT Count) {
  EnterGameCall();
  return innerEffect->GetBoolArray(Resolved(*this, hParameter), pb, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetInt(D3DXHANDLE hParameter, INT* pn) {
  EnterGameCall();
  return innerEffect->GetInt(Resolved(*this, hParameter), pn);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetIntArray(D3DXHANDLE hParameter, INT* pn, UINT Count) {
  EnterGameCall();
  return innerEffect->GetIntArray(Resolved(*this, hParameter), pn, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetFloat(D3DXHANDLE hParameter, FLOAT* pf) {
  EnterGameCall();
  return innerEffect->GetFloat(Resolved(*this, hParameter), pf);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetFloatArray(D3DXHANDLE hParameter, FLOAT* pf, UINT Count) {
  EnterGameCall();
  return innerEffect->GetFloatArray(Resolved(*this, hParameter), pf, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetVector(D3DXHANDLE hParameter, D3DXVECTOR4* pVector) {
  EnterGameCall();
  return innerEffect->GetVector(Resolved(*this, hParameter), pVector);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetVectorArray(D3DXHANDLE hParameter, D3DXVECTOR4* pVector,
                                                      UINT Count) {
  EnterGameCall();
  return innerEffect->GetVectorArray(Resolved(*this, hParameter), pVector, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetMatrix(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) {
  EnterGameCall();
  return innerEffect->GetMatrix(Resolved(*this, hParameter), pMatrix);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetMatrixArray(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix,
                                                      UINT Count) {
  EnterGameCall();
  return innerEffect->GetMatrixArray(Resolved(*this, hParameter), pMatrix, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetMatrixPointerArray(D3DXHANDLE hParameter,
                                                             const D3DXMATRIX** ppMatrix, UINT Count) {
  EnterGameCall();
  return innerEffect->SetMatrixPointerArray(Resolved(*this, hParameter), ppMatrix, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetMatrixPointerArray(D3DXHANDLE hParameter, D3DXMATRIX** ppMatrix,
                                                             UINT Count) {
  EnterGameCall();
  return innerEffect->GetMatrixPointerArray(Resolved(*this, hParameter), ppMatrix, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetMatrixTranspose(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) {
  EnterGameCall();
  return innerEffect->GetMatrixTranspose(Resolved(*this, hParameter), pMatrix);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetMatrixTransposeArray(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix,
                                                               UINT Count) {
  EnterGameCall();
  return innerEffect->GetMatrixTransposeArray(Resolved(*this, hParameter), pMatrix, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetMatrixTransposePointerArray(D3DXHANDLE hParameter,
                                                                      const D3DXMATRIX** ppMatrix,
                                                                      UINT Count) {
  EnterGameCall();
  return innerEffect->SetMatrixTransposePointerArray(Resolved(*this, hParameter), ppMatrix, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetMatrixTransposePointerArray(D3DXHANDLE hParameter,
                                                                      D3DXMATRIX** ppMatrix, UINT Count) {
  EnterGameCall();
  return innerEffect->GetMatrixTransposePointerArray(Resolved(*this, hParameter), ppMatrix, Count);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetString(D3DXHANDLE hParameter, LPCSTR* ppString) {
  EnterGameCall();
  return innerEffect->GetString(Resolved(*this, hParameter), ppString);
}

// Recorded with a reference of the proxy's own, to be set again after a reload.
HRESULT STDMETHODCALLTYPE EffectProxy::SetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9 pTexture) {
  if (!OnGameThread()) return MoveThenCall(*this, [=] { return SetTexture(hParameter, pTexture); });
  ResolvedHandle* slot = FindResolvedHandle(handleCache, hParameter);
  if (slot && slot->texture) {
    KeepTexture(*slot->texture, pTexture);
    return innerEffect->SetTexture(slot->resolved, pTexture);
  }
  if (!RecordTexture(hParameter, pTexture)) return E_OUTOFMEMORY;
  return innerEffect->SetTexture(ResolveParameterHandle(hParameter), pTexture);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9* ppTexture) {
  EnterGameCall();
  return innerEffect->GetTexture(Resolved(*this, hParameter), ppTexture);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetPixelShader(D3DXHANDLE hParameter,
                                                      LPDIRECT3DPIXELSHADER9* ppPShader) {
  EnterGameCall();
  return innerEffect->GetPixelShader(Resolved(*this, hParameter), ppPShader);
}

HRESULT STDMETHODCALLTYPE EffectProxy::GetVertexShader(D3DXHANDLE hParameter,
                                                       LPDIRECT3DVERTEXSHADER9* ppVShader) {
  EnterGameCall();
  return innerEffect->GetVertexShader(Resolved(*this, hParameter), ppVShader);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetArrayRange(D3DXHANDLE hParameter, UINT uStart, UINT uEnd) {
  EnterGameCall();
  return innerEffect->SetArrayRange(Resolved(*this, hParameter), uStart, uEnd);
}

HRESULT STDMETHODCALLTYPE EffectProxy::SetRawValue(D3DXHANDLE hParameter, LPCVOID pData, UINT ByteOffset,
                                                   UINT Bytes) {
  EnterGameCall();
  return innerEffect->SetRawValue(Resolved(*this, hParameter), pData, ByteOffset, Bytes);
}
