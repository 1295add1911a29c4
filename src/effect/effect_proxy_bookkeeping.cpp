// The names behind the handles the proxy has seen, the bytes of the values
// set through it, and the lookup of remembered handles by name on whichever
// effect is inside the proxy now.
#include <algorithm>
#include <string>

#include "effect/effect_proxy.h"
#include "effect/without_throwing.h"

// A name is kept for an address only while it finds that very address on the
// current effect. A released effect's handle addresses may be handed out
// again by the next compile for another parameter; the newest meaning wins.
D3DXHANDLE EffectProxy::RememberParameterName(D3DXHANDLE handle) {
  return RememberChildParameter(handle, nullptr, nullptr, -1);
}

D3DXHANDLE EffectProxy::RememberChildParameter(D3DXHANDLE handle, D3DXHANDLE parent, const char* member,
                                               int index) {
  if (!handle || !innerEffect) return handle;
  if (ResolvedHandle* slot = FindResolvedHandle(handleCache, handle);
      slot && slot->named && slot->resolved == handle)
    return handle;  // known, and found by its name on this effect
  auto known = parameterNames.find(handle);
  if (known != parameterNames.end() &&
      innerEffect->GetParameterByName(nullptr, known->second.c_str()) == handle) {
    NoteFoundByName(handle);
    return handle;
  }
  const char* parentName = nullptr;
  if (parent) {
    auto parentEntry = parameterNames.find(parent);
    if (parentEntry == parameterNames.end()) return handle;  // no name to build on
    parentName = parentEntry->second.c_str();
  }
  D3DXPARAMETER_DESC desc{};
  if (index < 0 && !member) {
    if (FAILED(innerEffect->GetParameterDesc(handle, &desc)) || !desc.Name) return handle;
    member = desc.Name;
  }
  WithoutThrowing("remembering a parameter", shaderName, [&] {
    std::string name;
    if (parentName) name = parentName;
    if (index >= 0) {
      name += "[" + std::to_string(index) + "]";
    } else {
      if (parentName) name += ".";
      name += member;
    }
    if (innerEffect->GetParameterByName(nullptr, name.c_str()) != handle) return;
    std::string& known = parameterNames[handle];
    if (known == name) return NoteFoundByName(handle);
    known = name;
    // Its slot, if any, resolved the previous name: it now stands for this one.
    if (ResolvedHandle* slot = FindResolvedHandle(handleCache, handle))
      *slot = ResolvedHandle{handle, slot->generation, true, handle, nullptr};
    NoteFoundByName(handle);
  });
  return handle;
}

void EffectProxy::RememberModelHandle(D3DXHANDLE handle) {
  const bool known = parameterNames.count(handle) != 0;
  RememberParameterName(handle);
  if (known || parameterNames.count(handle) == 0) return;
  WithoutThrowing("remembering a parameter", shaderName, [&] { modelOnlyHandles.push_back(handle); });
}

void EffectProxy::ForgetModelOnlyHandles() {
  if (modelOnlyHandles.empty()) return;
  for (D3DXHANDLE handle : modelOnlyHandles) parameterNames.erase(handle);
  modelOnlyHandles.clear();
  InvalidateResolvedHandles(handleCache);  // slots of the erased names
}

D3DXHANDLE EffectProxy::HandToGame(D3DXHANDLE handle) {
  if (modelOnlyHandles.empty()) return handle;
  const auto found = std::find(modelOnlyHandles.begin(), modelOnlyHandles.end(), handle);
  if (found != modelOnlyHandles.end()) {
    *found = modelOnlyHandles.back();
    modelOnlyHandles.pop_back();
  }
  return handle;
}

// A handle just found by its remembered name on the current effect resolves
// to itself until the next generation, without asking the effect again.
void EffectProxy::NoteFoundByName(D3DXHANDLE handle) {
  if (!FindResolvedHandle(handleCache, handle)) StoreResolvedHandle(handleCache, handle, handle, true);
}

D3DXHANDLE EffectProxy::RememberTechniqueName(D3DXHANDLE handle) {
  if (!handle || !innerEffect) return handle;
  auto known = techniqueNames.find(handle);
  if (known != techniqueNames.end() && innerEffect->GetTechniqueByName(known->second.c_str()) == handle)
    return handle;
  D3DXTECHNIQUE_DESC desc{};
  if (FAILED(innerEffect->GetTechniqueDesc(handle, &desc)) || !desc.Name) return handle;
  WithoutThrowing("remembering a technique", shaderName, [&] { techniqueNames[handle] = desc.Name; });
  return handle;
}

// A parameter's name passed in place of a handle, which D3DX accepts: the
// text when it names a parameter of the current effect, else null. Its
// address says nothing (a game may build names in one buffer), so such a
// call is recorded under the text every time.
const char* EffectProxy::NamePassedAsHandle(D3DXHANDLE handle) {
  if (!handle || !innerEffect || parameterNames.count(handle)) return nullptr;
  return innerEffect->GetParameterByName(nullptr, handle) ? handle : nullptr;
}

// Values are recorded under the parameter's name, which survives the handle
// changes of a hot reload: a remembered handle's name, or a name passed as
// a handle. A value for a whole array or structure replaces what was
// recorded for its elements and members, so that writing the records back in
// name order (the whole before its parts) reproduces the latest state.
//
// The entry recorded through a remembered handle is also handed to the
// handle's cache slot, so that the setters' next calls copy straight into
// it. That stays sound until an entry is removed (its map node is freed) or
// an element or member entry is added (it may lie below a name whose slot
// copies in place, which must then drop it again): both start a new cache
// generation.
bool EffectProxy::RecordParameterValue(D3DXHANDLE handle, const void* data, std::uint32_t size) {
  if (!handle || !data || size == 0) return true;
  auto known = parameterNames.find(handle);
  const char* passedName = known == parameterNames.end() ? NamePassedAsHandle(handle) : nullptr;
  if (known == parameterNames.end() && !passedName) return true;
  return WithoutThrowing("recording a value", shaderName, [&] {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::vector<std::uint8_t> copy(bytes, bytes + size);
    std::string passed;
    if (passedName) passed = passedName;
    const std::string& name = passedName ? passed : known->second;
    std::string member = name + ".";
    std::string element = name + "[";
    auto entry = recordedValues.try_emplace(name);
    entry.first->second.swap(copy);
    bool entriesChanged = entry.second && name.find_first_of(".[") != std::string::npos;
    for (const std::string* prefix : {&member, &element}) {
      auto first = recordedValues.lower_bound(*prefix);
      auto last = first;
      while (last != recordedValues.end() && last->first.compare(0, prefix->size(), *prefix) == 0) ++last;
      entriesChanged = entriesChanged || first != last;
      recordedValues.erase(first, last);
    }
    if (entriesChanged) InvalidateResolvedHandles(handleCache);
    if (passedName) return;
    if (ResolvedHandle* slot = FindResolvedHandle(handleCache, handle)) slot->recorded = &entry.first->second;
  });
}

// Cache slots may point at the entry: a new generation drops them.
void EffectProxy::ForgetRecordedValue(const std::string& name) {
  if (recordedValues.erase(name) != 0) InvalidateResolvedHandles(handleCache);
}

// The proxy's reference moves from the texture set before to this one.
bool EffectProxy::RecordTexture(D3DXHANDLE handle, IDirect3DBaseTexture9* texture) {
  if (!handle) return true;
  auto known = parameterNames.find(handle);
  const char* passedName = known == parameterNames.end() ? NamePassedAsHandle(handle) : nullptr;
  if (known == parameterNames.end() && !passedName) return true;
  return WithoutThrowing("recording a texture", shaderName, [&] {
    auto entry = recordedTextures.try_emplace(passedName ? std::string(passedName) : known->second, nullptr);
    KeepTexture(entry.first->second, texture);
    if (passedName) return;
    if (ResolvedHandle* slot = FindResolvedHandle(handleCache, handle)) slot->texture = &entry.first->second;
  });
}

void KeepTexture(IDirect3DBaseTexture9*& kept, IDirect3DBaseTexture9* texture) {
  if (kept == texture) return;
  if (texture) texture->AddRef();
  if (kept) kept->Release();
  kept = texture;
}

D3DXHANDLE EffectProxy::ResolveParameterHandle(D3DXHANDLE handle) {
  if (!handle) return handle;
  if (ResolvedHandle* slot = FindResolvedHandle(handleCache, handle)) return slot->resolved;
  auto known = parameterNames.find(handle);
  const bool named = known != parameterNames.end();
  D3DXHANDLE resolved = named ? innerEffect->GetParameterByName(nullptr, known->second.c_str()) : handle;
  StoreResolvedHandle(handleCache, handle, resolved, named);
  return resolved;
}

D3DXHANDLE EffectProxy::ResolveTechniqueHandle(D3DXHANDLE handle) {
  if (!handle) return handle;
  auto known = techniqueNames.find(handle);
  if (known == techniqueNames.end()) return handle;
  return innerEffect->GetTechniqueByName(known->second.c_str());
}

void EffectProxy::SwapInnerEffect(ID3DXEffect* newEffect) {
  ID3DXEffect* oldEffect = innerEffect;
  innerEffect = newEffect;
  // Handles resolved on the previous effect mean nothing to the new one, even
  // where the new effect was built at the previous one's addresses.
  InvalidateResolvedHandles(handleCache);
  if (newEffect) {
    WithoutThrowing("installing a reloaded effect", shaderName, [&] {
      ParseParameterAnnotations(newEffect);
      if (!currentTechniqueName.empty()) {
        D3DXHANDLE technique = newEffect->GetTechniqueByName(currentTechniqueName.c_str());
        if (technique) newEffect->SetTechnique(technique);
      }
      RestoreRecordedValues(newEffect);
    });
  }
  if (oldEffect) oldEffect->Release();
}
