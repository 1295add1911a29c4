// The names behind the handles the proxy has seen, the bytes of the values
// set through it, and the lookup of remembered handles by name on whichever
// effect is inside the proxy now.
#include "effect/effect_proxy.h"

D3DXHANDLE EffectProxy::RememberParameterName(D3DXHANDLE handle) {
  if (!handle || !innerEffect) return handle;
  if (parameterNames.count(handle)) return handle;
  D3DXPARAMETER_DESC desc{};
  if (SUCCEEDED(innerEffect->GetParameterDesc(handle, &desc)) && desc.Name)
    parameterNames[handle] = desc.Name;
  return handle;
}

D3DXHANDLE EffectProxy::RememberTechniqueName(D3DXHANDLE handle) {
  if (!handle || !innerEffect) return handle;
  if (techniqueNames.count(handle)) return handle;
  D3DXTECHNIQUE_DESC desc{};
  if (SUCCEEDED(innerEffect->GetTechniqueDesc(handle, &desc)) && desc.Name)
    techniqueNames[handle] = desc.Name;
  return handle;
}

// Only handles the proxy knows by name are recorded: values keyed by name
// survive the handle changes of a hot reload.
void EffectProxy::RecordParameterValue(D3DXHANDLE handle, const void* data, std::uint32_t size) {
  if (!handle || !data || size == 0) return;
  auto known = parameterNames.find(handle);
  if (known == parameterNames.end()) return;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  recordedValues[known->second].assign(bytes, bytes + size);
}

D3DXHANDLE EffectProxy::ResolveParameterHandle(D3DXHANDLE handle) {
  if (!handle) return handle;
  auto known = parameterNames.find(handle);
  if (known == parameterNames.end()) return handle;
  return innerEffect->GetParameterByName(nullptr, known->second.c_str());
}

D3DXHANDLE EffectProxy::ResolveTechniqueHandle(D3DXHANDLE handle) {
  if (!handle) return handle;
  auto known = techniqueNames.find(handle);
  if (known == techniqueNames.end()) return handle;
  return innerEffect->GetTechniqueByName(known->second.c_str());
}
