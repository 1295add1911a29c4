// The hook registry behind the C interface: every created hook with its
// trampoline slot, the bytes it overwrites and whether it is enabled.
#include <cstdlib>
#include <cstring>
#include <new>

#include "MinHook.h"
#include "decoder.h"
#include "os.h"
#include "slot_pool.h"
#include "trampoline.h"

namespace vantorix::detour {
namespace {

// Each slot starts with room for an absolute jump to a detour that a rel32
// jump from the target cannot reach; the trampoline follows.
constexpr size_t kRelaySize = 16;

struct Hook {
  uint8_t* target;
  uint8_t* slot;
  uint8_t* trampoline;
  uint8_t original[kPatchSize];
  uint8_t patch[kPatchSize];
  Trampoline layout;
  bool enabled;
};

class Registry {
 public:
  bool initialized = false;
  SlotPool slots;

  Hook* find(const void* target) {
    for (size_t i = 0; i < count_; ++i)
      if (hooks_[i].target == target) return &hooks_[i];
    return nullptr;
  }
  bool add(const Hook& hook) {
    if (count_ == capacity_) {
      const size_t capacity = capacity_ == 0 ? 8 : capacity_ * 2;
      void* grown = std::realloc(hooks_, capacity * sizeof(Hook));
      if (grown == nullptr) return false;
      hooks_ = static_cast<Hook*>(grown);
      capacity_ = capacity;
    }
    hooks_[count_++] = hook;
    return true;
  }
  void remove(Hook* hook) { *hook = hooks_[--count_]; }
  void clear() {
    std::free(hooks_);
    hooks_ = nullptr;
    count_ = capacity_ = 0;
  }
  Hook* begin() { return hooks_; }
  Hook* end() { return hooks_ + count_; }
  size_t size() const { return count_; }

 private:
  Hook* hooks_ = nullptr;
  size_t count_ = 0;
  size_t capacity_ = 0;
};

Registry registry;

class Locked {
 public:
  Locked() { os::lockRegistry(); }
  ~Locked() { os::unlockRegistry(); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
};

uint64_t addressOf(const void* p) {
  return reinterpret_cast<uintptr_t>(p);
}

// The patch (or the original bytes) for `hook`, with the thread moves that
// keep a suspended thread inside the copied instructions on equivalent code.
// The first instruction moves too: a thread that disabling moved out of the
// trampoline to the target's entry is still inside a call made by the detour
// and must not run the detour a second time.
os::CodeWrite makeWrite(const Hook& hook, bool enable) {
  os::CodeWrite write;
  write.address = hook.target;
  std::memcpy(write.bytes, enable ? hook.patch : hook.original, kPatchSize);
  for (size_t i = 0; i < hook.layout.instructionCount; ++i) {
    const uintptr_t inTarget = reinterpret_cast<uintptr_t>(hook.target + hook.layout.targetOffsets[i]);
    const uintptr_t inTrampoline =
        reinterpret_cast<uintptr_t>(hook.trampoline + hook.layout.trampolineOffsets[i]);
    write.moves[write.moveCount++] = enable ? os::InstructionPointerMove{inTarget, inTrampoline}
                                            : os::InstructionPointerMove{inTrampoline, inTarget};
  }
  return write;
}

MH_STATUS setOne(void* target, bool enable) {
  Hook* hook = registry.find(target);
  if (hook == nullptr) return MH_ERROR_NOT_CREATED;
  if (hook->enabled == enable) return enable ? MH_ERROR_ENABLED : MH_ERROR_DISABLED;
  os::CodeWrite write = makeWrite(*hook, enable);
  os::writeCode(&write, 1);
  if (!write.written) return MH_ERROR_MEMORY_PROTECT;
  hook->enabled = enable;
  return MH_OK;
}

// Enables (or disables) every hook not yet in that state, in one pass so that
// other threads are held off once.
MH_STATUS setAll(bool enable) {
  size_t pending = 0;
  for (const Hook& hook : registry)
    if (hook.enabled != enable) ++pending;
  if (pending == 0) return MH_OK;
  os::CodeWrite* writes = new (std::nothrow) os::CodeWrite[pending];
  if (writes == nullptr) return MH_ERROR_MEMORY_ALLOC;
  size_t n = 0;
  for (const Hook& hook : registry)
    if (hook.enabled != enable) writes[n++] = makeWrite(hook, enable);
  os::writeCode(writes, n);
  MH_STATUS status = MH_OK;
  for (size_t i = 0; i < n; ++i) {
    if (writes[i].written)
      registry.find(writes[i].address)->enabled = enable;
    else
      status = MH_ERROR_MEMORY_PROTECT;
  }
  delete[] writes;
  return status;
}

}  // namespace
}  // namespace vantorix::detour

using namespace vantorix::detour;

extern "C" {

MH_STATUS MH_CALL MH_Initialize(void) {
  Locked lock;
  if (registry.initialized) return MH_ERROR_ALREADY_INITIALIZED;
  registry.initialized = true;
  return MH_OK;
}

MH_STATUS MH_CALL MH_Uninitialize(void) {
  Locked lock;
  if (!registry.initialized) return MH_ERROR_NOT_INITIALIZED;
  const MH_STATUS restored = setAll(false);
  // A hook whose target could not be restored keeps its slot: the target
  // still jumps there.
  for (const Hook& hook : registry)
    if (!hook.enabled) registry.slots.release(hook.slot);
  registry.slots.abandon();
  registry.clear();
  registry.initialized = false;
  return restored;
}

MH_STATUS MH_CALL MH_CreateHook(void* pTarget, void* pDetour, void** ppOriginal) {
  Locked lock;
  if (!registry.initialized) return MH_ERROR_NOT_INITIALIZED;
  if (registry.find(pTarget) != nullptr) return MH_ERROR_ALREADY_CREATED;
  if (pTarget == nullptr || pDetour == nullptr || !os::isExecutable(pTarget) || !os::isExecutable(pDetour))
    return MH_ERROR_NOT_EXECUTABLE;

  Hook hook{};
  hook.target = static_cast<uint8_t*>(pTarget);
  hook.slot = registry.slots.acquire(pTarget);
  if (hook.slot == nullptr) return MH_ERROR_MEMORY_ALLOC;
  hook.trampoline = hook.slot + kRelaySize;
  const TrampolineError error =
      buildTrampoline(hook.target, addressOf(hook.target), addressOf(hook.trampoline), kNativeMode,
                      hook.trampoline, kSlotSize - kRelaySize, hook.layout);
  if (error != TrampolineError::None) {
    registry.slots.release(hook.slot);
    return MH_ERROR_UNSUPPORTED_FUNCTION;
  }
  if (!writeRelativeJump(hook.patch, addressOf(hook.target), addressOf(pDetour), kNativeMode)) {
    writeJump(hook.slot, kRelaySize, addressOf(hook.slot), addressOf(pDetour), kNativeMode);
    writeRelativeJump(hook.patch, addressOf(hook.target), addressOf(hook.slot), kNativeMode);
  }
  std::memcpy(hook.original, hook.target, kPatchSize);
  os::flushInstructionCache(hook.slot, kSlotSize);
  if (!registry.add(hook)) {
    registry.slots.release(hook.slot);
    return MH_ERROR_MEMORY_ALLOC;
  }
  if (ppOriginal != nullptr) *ppOriginal = hook.trampoline;
  return MH_OK;
}

MH_STATUS MH_CALL MH_RemoveHook(void* pTarget) {
  Locked lock;
  if (!registry.initialized) return MH_ERROR_NOT_INITIALIZED;
  Hook* hook = registry.find(pTarget);
  if (hook == nullptr) return MH_ERROR_NOT_CREATED;
  if (hook->enabled) {
    const MH_STATUS status = setOne(pTarget, false);
    if (status != MH_OK) return status;
  }
  registry.slots.release(hook->slot);
  registry.remove(hook);
  return MH_OK;
}

MH_STATUS MH_CALL MH_EnableHook(void* pTarget) {
  Locked lock;
  if (!registry.initialized) return MH_ERROR_NOT_INITIALIZED;
  return pTarget == MH_ALL_HOOKS ? setAll(true) : setOne(pTarget, true);
}

MH_STATUS MH_CALL MH_DisableHook(void* pTarget) {
  Locked lock;
  if (!registry.initialized) return MH_ERROR_NOT_INITIALIZED;
  return pTarget == MH_ALL_HOOKS ? setAll(false) : setOne(pTarget, false);
}

}  // extern "C"
