// Fixed-size slots of executable memory, carved from blocks placed near the
// functions they serve.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantorix::detour {

constexpr size_t kBlockSize = 4096;
constexpr size_t kSlotSize = 128;

class SlotPool {
 public:
  // A free slot within reach of `target`; null when no memory can be had.
  uint8_t* acquire(const void* target);
  // Returns the slot; a block left empty goes back to the system.
  void release(uint8_t* slot);
  // Drops the bookkeeping but leaves the remaining blocks mapped, for slots
  // that patched code may still jump to.
  void abandon();

 private:
  struct Block {
    uint8_t* base;
    uint32_t usedSlots;  // one bit per slot
  };
  bool grow();

  Block* blocks_ = nullptr;
  size_t count_ = 0;
  size_t capacity_ = 0;
};

}  // namespace vantorix::detour
