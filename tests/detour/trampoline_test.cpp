// Trampolines built from hand-written prologues: each relocation kind must
// still reach its original destination from the trampoline's address, and
// what cannot be moved safely must be refused.
#include "trampoline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "decoder.h"

namespace vantorix::detour {
namespace {

constexpr uint64_t kCode32 = 0x00401000;
constexpr uint64_t kTrampoline32 = 0x10000000;
constexpr uint64_t kCode64 = 0x00007F0000001000;
constexpr uint64_t kNearTrampoline64 = kCode64 - 0x10000000;
constexpr uint64_t kFarTrampoline64 = kCode64 + 0x100000000;  // 4 GiB away: no rel32 reaches back

struct Built {
  TrampolineError error = TrampolineError::None;
  Trampoline layout;
  std::vector<uint8_t> code;
  uint64_t address = 0;
  CpuMode mode = CpuMode::X86;
};

// The trampoline for `prologue` at kCode32 (kCode64 in 64-bit mode), built at
// `outAddress` into `room` bytes.
Built build(std::vector<uint8_t> prologue, CpuMode mode = CpuMode::X86, uint64_t outAddress = kTrampoline32,
            size_t room = 128) {
  const uint64_t codeAddress = mode == CpuMode::X86 ? kCode32 : kCode64;
  prologue.resize(prologue.size() + 16, 0xCC);  // what follows the function in memory
  Built built;
  built.address = outAddress;
  built.mode = mode;
  built.code.assign(room, 0);
  built.error = buildTrampoline(prologue.data(), codeAddress, outAddress, mode, built.code.data(),
                                built.code.size(), built.layout);
  built.code.resize(built.layout.codeSize);
  return built;
}

Instruction decodeAt(const Built& built, size_t offset) {
  Instruction insn;
  EXPECT_TRUE(decodeInstruction(built.code.data() + offset, built.code.size() - offset, built.mode, insn));
  return insn;
}

// Where the relative branch at `offset` of the trampoline goes.
uint64_t branchTarget(const Built& built, size_t offset) {
  const Instruction insn = decodeAt(built, offset);
  EXPECT_NE(insn.relativeSize, 0) << "no relative branch at offset " << offset;
  const uint64_t target = built.address + offset + insn.length +
                          static_cast<uint64_t>(branchDisplacement(built.code.data() + offset, insn));
  return built.mode == CpuMode::X86 ? target & 0xFFFFFFFF : target;
}

uint64_t qwordAt(const Built& built, size_t offset) {
  uint64_t value = 0;
  std::memcpy(&value, built.code.data() + offset, sizeof value);
  return value;
}

std::vector<uint8_t> bytesAt(const Built& built, size_t offset, size_t count) {
  return {built.code.begin() + offset, built.code.begin() + offset + count};
}

TEST(Trampoline32, CopiesHotPatchPrologueAndJumpsBack) {
  // mov edi, edi; push ebp; mov ebp, esp; sub esp, 8
  const Built t = build({0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x08});
  ASSERT_EQ(t.error, TrampolineError::None);
  EXPECT_EQ(t.layout.copiedLength, 5u);
  EXPECT_EQ(bytesAt(t, 0, 5), (std::vector<uint8_t>{0x8B, 0xFF, 0x55, 0x8B, 0xEC}));
  EXPECT_EQ(t.code[5], 0xE9);
  EXPECT_EQ(branchTarget(t, 5), kCode32 + 5);
  EXPECT_EQ(t.layout.codeSize, 10u);
  ASSERT_EQ(t.layout.instructionCount, 3u);
  EXPECT_EQ(t.layout.targetOffsets[2], 3);
  EXPECT_EQ(t.layout.trampolineOffsets[2], 3);
}

TEST(Trampoline32, RelocatesCallsJumpsAndConditionalJumps) {
  // call +0x100 keeps calling the same function.
  Built t = build({0xE8, 0x00, 0x01, 0x00, 0x00, 0x90});
  ASSERT_EQ(t.error, TrampolineError::None);
  EXPECT_EQ(t.code[0], 0xE8);
  EXPECT_EQ(branchTarget(t, 0), kCode32 + 5 + 0x100);
  EXPECT_EQ(branchTarget(t, 5), kCode32 + 5);

  // je +0x20 becomes je rel32 with the same destination.
  t = build({0x74, 0x20, 0x55, 0x8B, 0xEC});
  ASSERT_EQ(t.error, TrampolineError::None);
  EXPECT_EQ(bytesAt(t, 0, 2), (std::vector<uint8_t>{0x0F, 0x84}));
  EXPECT_EQ(branchTarget(t, 0), kCode32 + 2 + 0x20);
  EXPECT_EQ(bytesAt(t, 6, 3), (std::vector<uint8_t>{0x55, 0x8B, 0xEC}));
  EXPECT_EQ(branchTarget(t, 9), kCode32 + 5);
  EXPECT_EQ(t.layout.trampolineOffsets[1], 6);

  // jne rel32 backwards.
  t = build({0x0F, 0x85, 0x00, 0xF0, 0xFF, 0xFF});
  ASSERT_EQ(t.error, TrampolineError::None);
  EXPECT_EQ(bytesAt(t, 0, 2), (std::vector<uint8_t>{0x0F, 0x85}));
  EXPECT_EQ(branchTarget(t, 0), kCode32 + 6 - 0x1000);
  EXPECT_EQ(branchTarget(t, 6), kCode32 + 6);

  // A jump that ends the function needs no jump back: the filler after it is
  // overwritten.
  t = build({0xEB, 0x10, 0xCC, 0xCC, 0xCC});
  ASSERT_EQ(t.error, TrampolineError::None);
  EXPECT_EQ(t.code[0], 0xE9);
  EXPECT_EQ(branchTarget(t, 0), kCode32 + 2 + 0x10);
  EXPECT_EQ(t.layout.codeSize, 5u);
}

TEST(Trampoline32, KeepsBranchesWithinTheCopiedBytes) {
  // je +1 skips the ret and lands on push ebp, which is copied too.
  Built t = build({0x74, 0x01, 0xC3, 0x55, 0x8B, 0xEC});
  ASSERT_EQ(t.error, TrampolineError::None);
  EXPECT_EQ(t.layout.copiedLength, 6u);
  ASSERT_EQ(t.layout.instructionCount, 4u);
  EXPECT_EQ(branchTarget(t, 0), kTrampoline32 + t.layout.trampolineOffsets[2]);
  EXPECT_EQ(t.code[t.layout.trampolineOffsets[2]], 0x55);

  // jecxz over a nop stays a jecxz with its destination moved along.
  t = build({0xE3, 0x01, 0x90, 0x55, 0x8B, 0xEC});
  ASSERT_EQ(t.error, TrampolineError::None);
  EXPECT_EQ(t.code[0], 0xE3);
  EXPECT_EQ(branchTarget(t, 0), kTrampoline32 + 3);
}

TEST(Trampoline32, CopiesAShortFunctionFollowedByFiller) {
  // xor eax, eax; ret; int3 int3
  Built t = build({0x31, 0xC0, 0xC3, 0xCC, 0xCC});
  ASSERT_EQ(t.error, TrampolineError::None);
  EXPECT_EQ(t.code, (std::vector<uint8_t>{0x31, 0xC0, 0xC3}));
  EXPECT_EQ(t.layout.copiedLength, 3u);

  // ret; lea esi, [esi+0]; nop: the filler 32-bit assemblers emit.
  t = build({0xC3, 0x8D, 0x76, 0x00, 0x90});
  ASSERT_EQ(t.error, TrampolineError::None);
  EXPECT_EQ(t.code, (std::vector<uint8_t>{0xC3}));

  // ret; nopl (eax): multi-byte nop filler.
  t = build({0xC3, 0x0F, 0x1F, 0x40, 0x00});
  EXPECT_EQ(t.error, TrampolineError::None);
}

TEST(Trampoline32, RefusesWhatCannotMoveAndSaysWhere) {
  struct Refused {
    const char* what;
    std::vector<uint8_t> bytes;
    size_t blockingOffset;  // the instruction that made the copy impossible
  };
  const Refused cases[] = {
      {"shorter than the jump, another function follows", {0x31, 0xC0, 0xC3, 0x55, 0x8B, 0xEC}, 3},
      {"loop leaving the copied bytes", {0xE2, 0xF0, 0x55, 0x8B, 0xEC}, 0},
      {"jecxz leaving the copied bytes", {0x55, 0xE3, 0x40, 0x8B, 0xEC}, 1},
      {"jump back into the overwritten bytes", {0x31, 0xC0, 0x40, 0x75, 0xFD}, 3},
      {"jump into the middle of a copied instruction", {0x74, 0x01, 0x8B, 0xEC, 0x90}, 0},
      {"call to the next instruction (reads its own address)", {0xE8, 0x00, 0x00, 0x00, 0x00, 0x5B}, 0},
      {"jump with a 16-bit displacement", {0x55, 0x66, 0xE9, 0x10, 0x00}, 1},
      {"undecodable bytes", {0x0F, 0x04, 0x90, 0x90, 0x90}, 0},
      {"undecodable bytes after a push", {0x55, 0x8B, 0xEC, 0x0F, 0x04}, 3},
  };
  for (const Refused& c : cases) {
    const Built t = build(c.bytes);
    EXPECT_EQ(t.error, TrampolineError::Unsupported) << c.what;
    EXPECT_EQ(t.layout.refusedOffset, c.blockingOffset) << c.what;
  }
}

TEST(Trampoline64, MovesRipRelativeOperandsWithinReach) {
  // mov rax, [rip+0x100]; ret
  Built t = build({0x48, 0x8B, 0x05, 0x00, 0x01, 0x00, 0x00, 0xC3}, CpuMode::X64, kNearTrampoline64);
  ASSERT_EQ(t.error, TrampolineError::None);
  const Instruction load = decodeAt(t, 0);
  ASSERT_EQ(load.ripDisplacementOffset, 3);
  EXPECT_EQ(kNearTrampoline64 + 7 + ripDisplacement(t.code.data(), load), kCode64 + 7 + 0x100);
  EXPECT_EQ(branchTarget(t, 7), kCode64 + 7);

  // The same load from 4 GiB away cannot reach its data.
  t = build({0x48, 0x8B, 0x05, 0x00, 0x01, 0x00, 0x00, 0xC3}, CpuMode::X64, kFarTrampoline64);
  EXPECT_EQ(t.error, TrampolineError::Unsupported);
}

TEST(Trampoline64, UsesAbsoluteFormsOutOfRel32Reach) {
  // call +0x40 from 4 GiB away: call [rip+2]; jmp +8; dq destination.
  Built t = build({0xE8, 0x40, 0x00, 0x00, 0x00, 0x90}, CpuMode::X64, kFarTrampoline64);
  ASSERT_EQ(t.error, TrampolineError::None);
  EXPECT_EQ(bytesAt(t, 0, 8), (std::vector<uint8_t>{0xFF, 0x15, 0x02, 0x00, 0x00, 0x00, 0xEB, 0x08}));
  EXPECT_EQ(qwordAt(t, 8), kCode64 + 5 + 0x40);
  // The jump back is absolute too: jmp [rip+0]; dq address.
  EXPECT_EQ(bytesAt(t, 16, 6), (std::vector<uint8_t>{0xFF, 0x25, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(qwordAt(t, 22), kCode64 + 5);

  // je +0x10: jne over an absolute jump.
  t = build({0x74, 0x10, 0x55, 0x48, 0x89, 0xE5}, CpuMode::X64, kFarTrampoline64);
  ASSERT_EQ(t.error, TrampolineError::None);
  EXPECT_EQ(bytesAt(t, 0, 8), (std::vector<uint8_t>{0x75, 0x0E, 0xFF, 0x25, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(qwordAt(t, 8), kCode64 + 2 + 0x10);
  EXPECT_EQ(bytesAt(t, 16, 4), (std::vector<uint8_t>{0x55, 0x48, 0x89, 0xE5}));

  // jmp rel32 that ends the function.
  t = build({0xE9, 0x00, 0x10, 0x00, 0x00}, CpuMode::X64, kFarTrampoline64);
  ASSERT_EQ(t.error, TrampolineError::None);
  EXPECT_EQ(t.layout.codeSize, 14u);
  EXPECT_EQ(qwordAt(t, 6), kCode64 + 5 + 0x1000);
}

TEST(Trampoline64, ReportsWhenTheOutputIsTooSmall) {
  // Two jcc rel8 from far away become absolute jumps: more than 20 bytes.
  const Built t = build({0x74, 0x10, 0x75, 0x10, 0x90, 0x90}, CpuMode::X64, kFarTrampoline64, 20);
  EXPECT_EQ(t.error, TrampolineError::TooLarge);
}

TEST(JumpWriter, PicksRelativeOrAbsolute) {
  uint8_t out[16] = {};
  EXPECT_EQ(writeJump(out, sizeof out, kCode64, kCode64 + 0x1000, CpuMode::X64), 5u);
  EXPECT_EQ(out[0], 0xE9);
  EXPECT_EQ(writeJump(out, sizeof out, kCode64, kFarTrampoline64, CpuMode::X64), 14u);
  EXPECT_EQ(out[0], 0xFF);
  EXPECT_EQ(writeJump(out, 5, kCode64, kFarTrampoline64, CpuMode::X64), 0u);
  // 32-bit addresses wrap, so rel32 always reaches.
  EXPECT_EQ(writeJump(out, sizeof out, 0xFFFFF000, 0x1000, CpuMode::X86), 5u);
  EXPECT_FALSE(writeRelativeJump(out, kCode64, kFarTrampoline64, CpuMode::X64));
}

}  // namespace
}  // namespace vantorix::detour
