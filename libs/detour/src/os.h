// What hooking needs from the operating system. One source file per system
// implements it (os_win32.cpp, os_posix.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

#include "trampoline.h"

namespace vantorix::detour::os {

// Executable memory is placed within this distance of a target so that a
// rel32 jump links the two in both directions.
constexpr uint64_t kNearReach = 0x7FF00000;

// Read-write-execute memory within kNearReach of `target` (anywhere on
// x86-32); null when none can be had.
void* allocateNear(const void* target, size_t size);
void release(void* block, size_t size);

// True when `address` lies in committed executable memory.
bool isExecutable(const void* address);

// Makes freshly written code visible to instruction fetch.
void flushInstructionCache(void* address, size_t size);

// A thread stopped at `from` continues at `to`.
struct InstructionPointerMove {
  uintptr_t from = 0;
  uintptr_t to = 0;
};

struct CodeWrite {
  uint8_t* address = nullptr;
  uint8_t bytes[kPatchSize] = {};
  InstructionPointerMove moves[kMaxCopiedInstructions];
  size_t moveCount = 0;
  bool written = false;  // set once the bytes are in place
};

// Writes every patch so that no other thread runs a half-written
// instruction. Where threads can be suspended, a thread stopped at one of a
// patch's `moves` is moved to its counterpart; elsewhere the moves are unused.
void writeCode(CodeWrite* writes, size_t count);

// Serialises every call into the library.
void lockRegistry();
void unlockRegistry();

}  // namespace vantorix::detour::os
