#include "slot_pool.h"

#include <cstdlib>

#include "decoder.h"
#include "os.h"

namespace vantorix::detour {
namespace {

constexpr size_t kSlotsPerBlock = kBlockSize / kSlotSize;
constexpr uint32_t kAllSlotsUsed = kSlotsPerBlock == 32 ? 0xFFFFFFFFu : (1u << kSlotsPerBlock) - 1;
static_assert(kSlotsPerBlock <= 32, "one bit per slot in a 32-bit mask");

bool withinReach(const uint8_t* block, const void* target) {
  if (kNativeMode == CpuMode::X86) return true;
  const uint64_t a = reinterpret_cast<uintptr_t>(block);
  const uint64_t t = reinterpret_cast<uintptr_t>(target);
  const uint64_t nearEnd = a > t ? a - t : t - a;
  const uint64_t farEnd = a + kBlockSize > t ? a + kBlockSize - t : t - a - kBlockSize;
  return nearEnd <= os::kNearReach && farEnd <= os::kNearReach;
}

uint8_t* takeFreeSlot(uint8_t* base, uint32_t& usedSlots) {
  for (size_t i = 0; i < kSlotsPerBlock; ++i) {
    if (usedSlots & (1u << i)) continue;
    usedSlots |= 1u << i;
    return base + i * kSlotSize;
  }
  return nullptr;
}

}  // namespace

bool SlotPool::grow() {
  if (count_ < capacity_) return true;
  const size_t capacity = capacity_ == 0 ? 4 : capacity_ * 2;
  void* grown = std::realloc(blocks_, capacity * sizeof(Block));
  if (grown == nullptr) return false;
  blocks_ = static_cast<Block*>(grown);
  capacity_ = capacity;
  return true;
}

uint8_t* SlotPool::acquire(const void* target) {
  for (size_t i = 0; i < count_; ++i) {
    Block& block = blocks_[i];
    if (block.usedSlots != kAllSlotsUsed && withinReach(block.base, target))
      return takeFreeSlot(block.base, block.usedSlots);
  }
  if (!grow()) return nullptr;
  uint8_t* base = static_cast<uint8_t*>(os::allocateNear(target, kBlockSize));
  if (base == nullptr) return nullptr;
  blocks_[count_] = Block{base, 0};
  return takeFreeSlot(base, blocks_[count_++].usedSlots);
}

void SlotPool::release(uint8_t* slot) {
  for (size_t i = 0; i < count_; ++i) {
    Block& block = blocks_[i];
    if (slot < block.base || slot >= block.base + kBlockSize) continue;
    block.usedSlots &= ~(1u << static_cast<size_t>(slot - block.base) / kSlotSize);
    if (block.usedSlots == 0) {
      os::release(block.base, kBlockSize);
      blocks_[i] = blocks_[--count_];
    }
    return;
  }
}

void SlotPool::abandon() {
  std::free(blocks_);
  blocks_ = nullptr;
  count_ = 0;
  capacity_ = 0;
}

}  // namespace vantorix::detour
