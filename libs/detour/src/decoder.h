// Length and control-flow decoding of x86-32 and x86-64 instructions, enough
// to copy whole instructions out of a function prologue and relocate them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantorix::detour {

enum class CpuMode : uint8_t { X86, X64 };

#if defined(__x86_64__) || defined(_M_X64)
constexpr CpuMode kNativeMode = CpuMode::X64;
#else
constexpr CpuMode kNativeMode = CpuMode::X86;
#endif

enum class ControlFlow : uint8_t {
  Sequential,       // continues with the next instruction
  RelativeCall,     // call rel16/rel32
  RelativeJump,     // jmp rel8/rel16/rel32
  ConditionalJump,  // jcc rel8/rel16/rel32
  CounterJump,      // loop, loope, loopne, jcxz/jecxz/jrcxz (rel8 only)
  Return,           // ret, retf, iret
  IndirectJump,     // jmp through a register or memory
};

// Which opcode table the opcode byte belongs to.
enum class OpcodeMap : uint8_t { OneByte, TwoByte, ThreeByte38, ThreeByte3A, Vector };

struct Instruction {
  uint8_t length = 0;
  uint8_t prefixCount = 0;  // legacy and REX prefixes before the opcode
  uint8_t rex = 0;          // effective REX byte, 0 when absent
  bool operandSize16 = false;
  OpcodeMap map = OpcodeMap::OneByte;
  uint8_t opcode = 0;
  bool hasModRM = false;
  uint8_t modrm = 0;
  ControlFlow flow = ControlFlow::Sequential;
  uint8_t condition = 0;              // the condition nibble of a conditional jump
  uint8_t relativeSize = 0;           // size of the trailing branch displacement, 0 if none
  uint8_t ripDisplacementOffset = 0;  // offset of a RIP-relative disp32, 0 if none
};

// Decodes the instruction at `code`, reading at most `available` bytes and
// never past the end of the instruction. Returns false for bytes that are no
// valid instruction in `mode` or that run past `available`.
bool decodeInstruction(const uint8_t* code, size_t available, CpuMode mode, Instruction& out);

// The signed branch displacement of a relative branch decoded at `code`.
int64_t branchDisplacement(const uint8_t* code, const Instruction& insn);

// The signed 32-bit displacement of a RIP-relative memory operand.
int32_t ripDisplacement(const uint8_t* code, const Instruction& insn);

}  // namespace vantorix::detour
