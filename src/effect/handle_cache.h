// The parameter handles an EffectProxy has already resolved, so that the
// game's per-frame setters skip the lookup by name: an open-addressed table
// keyed by the handle's address. A slot counts only in the generation it was
// filled in; the proxy starts a new generation whenever many slots may have
// gone wrong at once (a new inner effect; a recorded value dropped, or one
// added below another's name; the recorded textures let go), which empties
// the table in one step.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/direct3d.h"

struct ResolvedHandle {
  D3DXHANDLE handle = nullptr;    // the caller's handle, the key
  std::uint32_t generation = 0;   // 0 while the slot was never filled
  bool named = false;             // the handle is a key of parameterNames
  D3DXHANDLE resolved = nullptr;  // what the current inner effect takes for it
  // The recordedValues entry of its name, once a value was recorded through
  // this slot (map nodes never move); null before.
  std::vector<std::uint8_t>* recorded = nullptr;
  // The same for the recordedTextures entry of its name, once a texture was
  // set through this slot.
  IDirect3DBaseTexture9** texture = nullptr;
};

// Two slots that stay empty: the table of a cache that holds nothing yet, so
// that a lookup needs no test for an empty table.
extern ResolvedHandle noResolvedHandles[2];

struct HandleCache {
  std::vector<ResolvedHandle> slots;          // a power of two of them, or none
  ResolvedHandle* table = noResolvedHandles;  // slots.data(), or the two empty ones
  std::size_t mask = 1;                       // the table's size - 1
  std::size_t filled = 0;                     // slots holding a handle of any generation
  unsigned shift = 63;                        // 64 - log2(the table's size)
  std::uint32_t generation = 1;               // never 0, the mark of an empty slot
};

inline std::size_t HomeSlot(const HandleCache& cache, D3DXHANDLE handle) {
  // Handles are node addresses with equal strides: a multiplicative hash
  // spreads them over the table's top bits.
  const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
  return static_cast<std::size_t>((address * 0x9E3779B97F4A7C15ull) >> cache.shift);
}

// The slot resolved for `handle` in the current generation, or null.
inline ResolvedHandle* FindResolvedHandle(HandleCache& cache, D3DXHANDLE handle) {
  for (std::size_t i = HomeSlot(cache, handle);; i = (i + 1) & cache.mask) {
    ResolvedHandle& slot = cache.table[i];
    if (slot.generation == 0) return nullptr;
    if (slot.handle == handle && slot.generation == cache.generation) return &slot;
  }
}

// Every slot filled so far stops counting.
inline void InvalidateResolvedHandles(HandleCache& cache) {
  if (++cache.generation == 0) cache.generation = 1;
}

// Fills a slot for `handle`, which must not have one in this generation.
// Null when the table could not grow (out of memory): the caller then works
// without the cache.
ResolvedHandle* StoreResolvedHandle(HandleCache& cache, D3DXHANDLE handle, D3DXHANDLE resolved,
                                    bool named) noexcept;
