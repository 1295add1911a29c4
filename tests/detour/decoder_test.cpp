// Encodings whose length depends on prefixes and mode (vector and other
// x86-64 encodings are covered by the objdump comparison), and the branch and
// RIP-relative facts the trampoline builder relies on.
#include "decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantorix::detour {
namespace {

TEST(DecoderLength, MatchesEncoding) {
  constexpr CpuMode X86 = CpuMode::X86;
  constexpr CpuMode X64 = CpuMode::X64;
  struct LengthCase {
    const char* what;
    CpuMode mode;
    std::vector<uint8_t> bytes;
    size_t length;  // 0: must be rejected
  };
  const LengthCase cases[] = {
      {"hot-patch mov edi, edi", X86, {0x8B, 0xFF}, 2},
      {"16-bit addressing, [bp+disp8]", X86, {0x67, 0x8B, 0x46, 0x10}, 4},
      {"16-bit addressing, [disp16]", X86, {0x67, 0x8B, 0x06, 0x34, 0x12}, 5},
      {"mov eax, [moffs32]", X86, {0xA1, 0x78, 0x56, 0x34, 0x12}, 5},
      {"mov eax, [moffs16]", X86, {0x67, 0xA1, 0x34, 0x12}, 4},
      {"mov ax, imm16", X86, {0x66, 0xB8, 0x34, 0x12}, 4},
      {"enter imm16, imm8", X86, {0xC8, 0x10, 0x00, 0x00}, 4},
      {"call far ptr16:32", X86, {0x9A, 0, 0, 0, 0, 0x08, 0x00}, 7},
      {"les in 32-bit mode", X86, {0xC4, 0x06}, 2},
      {"vzeroupper (VEX) in 32-bit mode", X86, {0xC5, 0xF8, 0x77}, 3},
      {"test al, imm8 (group 3 /0)", X86, {0xF6, 0xC0, 0x01}, 3},
      {"neg al (group 3 /3)", X86, {0xF6, 0xD8}, 2},
      {"test ecx, imm32", X86, {0xF7, 0xC1, 1, 2, 3, 4}, 6},
      {"inc eax is no prefix in 32-bit mode", X86, {0x40}, 1},
      {"mov rax, imm64", X64, {0x48, 0xB8, 1, 2, 3, 4, 5, 6, 7, 8}, 10},
      {"mov dword [rip+d], imm32", X64, {0xC7, 0x05, 0, 0, 0, 0, 1, 0, 0, 0}, 10},
      {"mov eax, [disp32] through SIB", X64, {0x8B, 0x04, 0x25, 0, 0, 0, 0}, 7},
      {"mov rax, [moffs64]", X64, {0x48, 0xA1, 1, 2, 3, 4, 5, 6, 7, 8}, 10},
      {"mov eax, [moffs32] with 67", X64, {0x67, 0xA1, 1, 2, 3, 4}, 6},
      {"push es is undefined in 64-bit mode", X64, {0x06}, 0},
      {"pusha is undefined in 64-bit mode", X64, {0x60}, 0},
      {"more than 15 bytes",
       X64,
       {0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x90},
       0},
      {"cut short", X64, {0x48, 0x8B}, 0}};
  for (const LengthCase& c : cases) {
    Instruction insn;
    const bool decoded = decodeInstruction(c.bytes.data(), c.bytes.size(), c.mode, insn);
    EXPECT_EQ(decoded ? insn.length : 0u, c.length) << c.what;
  }
}

TEST(DecoderFlow, ClassifiesBranchesAndRipOperands) {
  constexpr CpuMode X86 = CpuMode::X86, X64 = CpuMode::X64;
  struct FlowCase {
    CpuMode mode;
    std::vector<uint8_t> bytes;  // one whole instruction
    ControlFlow flow;
    uint8_t relativeSize;
    uint8_t ripOffset;     // of a RIP-relative disp32, 0 if none
    int64_t displacement;  // the branch's, or the RIP-relative operand's
  };
  const FlowCase cases[] = {
      {X64, {0xE8, 0x10, 0, 0, 0}, ControlFlow::RelativeCall, 4, 0, 16},
      {X64, {0xEB, 0xFE}, ControlFlow::RelativeJump, 1, 0, -2},
      {X64, {0xE9, 0xFB, 0xFF, 0xFF, 0xFF}, ControlFlow::RelativeJump, 4, 0, -5},
      {X64, {0x74, 0x05}, ControlFlow::ConditionalJump, 1, 0, 5},
      {X64, {0x0F, 0x8C, 0, 1, 0, 0}, ControlFlow::ConditionalJump, 4, 0, 256},
      {X86, {0x66, 0x0F, 0x84, 0x10, 0x00}, ControlFlow::ConditionalJump, 2, 0, 16},  // 32-bit mode only
      {X64, {0xE2, 0xF0}, ControlFlow::CounterJump, 1, 0, -16},
      {X64, {0xE3, 0x02}, ControlFlow::CounterJump, 1, 0, 2},
      {X64, {0xC3}, ControlFlow::Return, 0, 0, 0},
      {X64, {0xC2, 0x08, 0x00}, ControlFlow::Return, 0, 0, 0},
      {X64, {0xFF, 0xE0}, ControlFlow::IndirectJump, 0, 0, 0},
      {X64, {0xFF, 0xD0}, ControlFlow::Sequential, 0, 0, 0},
      {X64, {0xFF, 0x25, 0x10, 0, 0, 0}, ControlFlow::IndirectJump, 0, 2, 16},
      {X86, {0xFF, 0x25, 0x10, 0, 0, 0}, ControlFlow::IndirectJump, 0, 0, 0},  // an absolute address
      {X64, {0x48, 0x69, 0x05, 0, 0, 0, 0, 0x10, 0, 0, 0}, ControlFlow::Sequential, 0, 3, 0},  // imul, imm32
  };
  for (const FlowCase& c : cases) {
    SCOPED_TRACE("case " + std::to_string(&c - cases));
    Instruction insn;
    ASSERT_TRUE(decodeInstruction(c.bytes.data(), c.bytes.size(), c.mode, insn));
    EXPECT_EQ(insn.length, c.bytes.size());
    EXPECT_EQ(insn.flow, c.flow);
    EXPECT_EQ(insn.relativeSize, c.relativeSize);
    EXPECT_EQ(insn.ripDisplacementOffset, c.ripOffset);
    EXPECT_EQ(
        c.ripOffset != 0 ? ripDisplacement(c.bytes.data(), insn) : branchDisplacement(c.bytes.data(), insn),
        c.displacement);
  }
}

}  // namespace
}  // namespace vantorix::detour
