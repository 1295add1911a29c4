// Building the trampoline: the instructions a hook overwrites, moved to new
// memory with their relative references fixed, followed by a jump back.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decoder.h"

namespace vantorix::detour {

// The hook writes a jmp rel32 over the first bytes of the target.
constexpr size_t kPatchSize = 5;
constexpr size_t kMaxCopiedInstructions = 8;

enum class TrampolineError : uint8_t {
  None,
  Unsupported,  // the start of the function cannot be moved safely
  TooLarge,     // the relocated code does not fit the output buffer
};

struct Trampoline {
  size_t codeSize = 0;      // bytes written to the output buffer
  size_t copiedLength = 0;  // bytes at the start of the target that the copy replaces
  size_t instructionCount = 0;
  // Where each copied instruction starts, in the target and in the trampoline.
  uint8_t targetOffsets[kMaxCopiedInstructions] = {};
  uint8_t trampolineOffsets[kMaxCopiedInstructions] = {};
  // Unsupported only: where, in the target, the instruction that blocked the copy starts.
  size_t refusedOffset = 0;
};

// Copies whole instructions from `code` (which runs at `codeAddress`) into
// `out` (which will run at `outAddress`) until at least kPatchSize bytes are
// covered, or until the function returns and only filler follows. Relative
// calls and jumps and RIP-relative operands are re-aimed at their original
// destinations; a jump back to the first byte not copied ends the code.
TrampolineError buildTrampoline(const uint8_t* code, uint64_t codeAddress, uint64_t outAddress, CpuMode mode,
                                uint8_t* out, size_t capacity, Trampoline& result);

// Writes the shortest jump from `from` to `to` that reaches: jmp rel32, or on
// x86-64 jmp [rip+0] followed by the absolute address. Returns the size
// written, 0 when `capacity` is too small.
size_t writeJump(uint8_t* out, size_t capacity, uint64_t from, uint64_t to, CpuMode mode);

// Writes jmp rel32 from `from` to `to`; false when the distance does not fit.
bool writeRelativeJump(uint8_t* out, uint64_t from, uint64_t to, CpuMode mode);

}  // namespace vantorix::detour
