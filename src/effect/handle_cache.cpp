// Filling and growing the table of resolved handles.
#include "effect/handle_cache.h"

#include <atomic>
#include <new>
#include <utility>

#include "core/log.h"

ResolvedHandle noResolvedHandles[2];

namespace {

constexpr std::size_t kFewestSlots = 16;
// A game asks for a few hundred parameters; a table this large only comes
// from callers passing ever new names in place of handles, and is emptied.
constexpr std::size_t kMostSlots = std::size_t(1) << 16;

// A table that cannot grow is reported once, not on every call that finds no
// room, until a later rebuild succeeds.
std::atomic<bool> rebuildFailureReported{false};

unsigned ShiftFor(std::size_t slotCount) {
  unsigned bits = 0;
  while ((std::size_t(1) << bits) < slotCount) ++bits;
  return 64 - bits;
}

// Rebuilds the table with room for the slots of the current generation and
// as many again; older slots are dropped.
void Rebuild(HandleCache& cache) {
  std::size_t live = 0;
  for (const ResolvedHandle& slot : cache.slots) live += slot.generation == cache.generation;
  std::size_t size = kFewestSlots;
  while (size < (live + 1) * 4) size *= 2;
  std::vector<ResolvedHandle> old;
  old.swap(cache.slots);
  cache.table = noResolvedHandles;
  cache.mask = 1;
  cache.shift = 63;
  cache.filled = 0;
  if (size > kMostSlots) {
    size = kFewestSlots;
    old.clear();
  }
  cache.slots.assign(size, ResolvedHandle{});
  cache.table = cache.slots.data();
  cache.shift = ShiftFor(size);
  cache.mask = size - 1;
  const std::size_t mask = cache.mask;
  for (const ResolvedHandle& slot : old) {
    if (slot.generation != cache.generation) continue;
    std::size_t i = HomeSlot(cache, slot.handle);
    while (cache.slots[i].generation != 0) i = (i + 1) & mask;
    cache.slots[i] = slot;
    ++cache.filled;
  }
}

}  // namespace

ResolvedHandle* StoreResolvedHandle(HandleCache& cache, D3DXHANDLE handle, D3DXHANDLE resolved,
                                    bool named) noexcept {
  // At most half the slots hold a handle, so a probe soon meets an empty one.
  if ((cache.filled + 1) * 2 > cache.slots.size()) {
    try {
      Rebuild(cache);
      rebuildFailureReported.store(false, std::memory_order_relaxed);
    } catch (const std::bad_alloc&) {
      if (!rebuildFailureReported.exchange(true, std::memory_order_relaxed))
        LogError("Out of memory while keeping resolved parameter handles: they are looked up by name");
      return nullptr;  // Rebuild left the cache empty
    }
  }
  std::size_t i = HomeSlot(cache, handle);
  while (cache.table[i].generation == cache.generation) i = (i + 1) & cache.mask;
  ResolvedHandle& slot = cache.table[i];
  if (slot.generation == 0) ++cache.filled;
  slot = ResolvedHandle{handle, cache.generation, named, resolved, nullptr};
  return &slot;
}
