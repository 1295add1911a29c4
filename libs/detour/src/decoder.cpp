#include "decoder.h"

#include <cstring>

namespace vantorix::detour {
namespace {

// Low nibble of an opcode table entry: the operand that follows the ModRM part.
enum Operand : uint8_t {
  kNone = 0,
  kImm8,
  kImm16,
  kImmZ,        // 16 or 32 bits by operand size
  kImmV,        // 16, 32 or 64 bits by operand size (mov reg, imm)
  kFarPointer,  // 16-bit selector after a 16- or 32-bit offset
  kMemOffset,   // address-sized absolute offset (mov al/eax, [moffs])
  kEnter,       // imm16 then imm8
  kRel8,
  kRelZ,    // 16 or 32 bits by operand size outside 64-bit mode
  kGroup3,  // test r/m, imm exists only for ModRM.reg 0 and 1
};
constexpr uint8_t kOperandMask = 0x0F;
constexpr uint8_t kModRM = 0x10;
constexpr uint8_t kNot64 = 0x20;         // undefined in 64-bit mode
constexpr uint8_t kRegisterForm = 0x40;  // ModRM names registers whatever its mod bits say
constexpr uint8_t kInvalid = 0x80;

constexpr size_t kMaxLength = 15;

struct OpcodeTable {
  uint8_t entry[256];
};

constexpr void fill(OpcodeTable& table, int first, int last, uint8_t value) {
  for (int op = first; op <= last; ++op) table.entry[op] = value;
}

// Prefix bytes and the 0F escape never reach this table: they are consumed first.
constexpr OpcodeTable makeOneByteTable() {
  OpcodeTable t{};
  for (int row = 0x00; row < 0x40; row += 8) {
    fill(t, row, row + 3, kModRM);  // add/or/adc/sbb/and/sub/xor/cmp r/m forms
    t.entry[row + 4] = kImm8;
    t.entry[row + 5] = kImmZ;
    t.entry[row + 6] = kNot64;  // push segment, daa, das, aaa, aas
    t.entry[row + 7] = kNot64;
  }
  t.entry[0x60] = kNot64;           // pusha
  t.entry[0x61] = kNot64;           // popa
  t.entry[0x62] = kModRM | kNot64;  // bound
  t.entry[0x63] = kModRM;           // arpl, movsxd
  t.entry[0x68] = kImmZ;
  t.entry[0x69] = kModRM | kImmZ;
  t.entry[0x6A] = kImm8;
  t.entry[0x6B] = kModRM | kImm8;
  fill(t, 0x70, 0x7F, kRel8);
  t.entry[0x80] = kModRM | kImm8;
  t.entry[0x81] = kModRM | kImmZ;
  t.entry[0x82] = kModRM | kImm8 | kNot64;
  t.entry[0x83] = kModRM | kImm8;
  fill(t, 0x84, 0x8F, kModRM);
  t.entry[0x9A] = kFarPointer | kNot64;
  fill(t, 0xA0, 0xA3, kMemOffset);
  t.entry[0xA8] = kImm8;
  t.entry[0xA9] = kImmZ;
  fill(t, 0xB0, 0xB7, kImm8);
  fill(t, 0xB8, 0xBF, kImmV);
  t.entry[0xC0] = kModRM | kImm8;
  t.entry[0xC1] = kModRM | kImm8;
  t.entry[0xC2] = kImm16;
  t.entry[0xC4] = kModRM | kNot64;  // les (VEX is recognised before the table)
  t.entry[0xC5] = kModRM | kNot64;  // lds
  t.entry[0xC6] = kModRM | kImm8;
  t.entry[0xC7] = kModRM | kImmZ;
  t.entry[0xC8] = kEnter;
  t.entry[0xCA] = kImm16;
  t.entry[0xCD] = kImm8;
  t.entry[0xCE] = kNot64;  // into
  fill(t, 0xD0, 0xD3, kModRM);
  t.entry[0xD4] = kImm8 | kNot64;  // aam
  t.entry[0xD5] = kImm8 | kNot64;  // aad
  t.entry[0xD6] = kNot64;
  fill(t, 0xD8, 0xDF, kModRM);  // x87
  fill(t, 0xE0, 0xE3, kRel8);
  fill(t, 0xE4, 0xE7, kImm8);
  t.entry[0xE8] = kRelZ;
  t.entry[0xE9] = kRelZ;
  t.entry[0xEA] = kFarPointer | kNot64;
  t.entry[0xEB] = kRel8;
  t.entry[0xF6] = kModRM | kGroup3;
  t.entry[0xF7] = kModRM | kGroup3;
  t.entry[0xFE] = kModRM;
  t.entry[0xFF] = kModRM;
  return t;
}

// Opcodes after 0F, other than the 0F 38 and 0F 3A escapes.
constexpr OpcodeTable makeTwoByteTable() {
  OpcodeTable t{};
  fill(t, 0x00, 0xFF, kModRM);
  t.entry[0x04] = kInvalid;
  fill(t, 0x05, 0x09, kNone);  // syscall, clts, sysret, invd, wbinvd
  t.entry[0x0A] = kInvalid;
  t.entry[0x0B] = kNone;  // ud2
  t.entry[0x0C] = kInvalid;
  t.entry[0x0E] = kNone;                        // femms
  t.entry[0x0F] = kModRM | kImm8;               // 3DNow!: the opcode follows as a trailing byte
  fill(t, 0x20, 0x23, kModRM | kRegisterForm);  // mov to/from control and debug registers
  fill(t, 0x24, 0x27, kInvalid);
  fill(t, 0x30, 0x37, kNone);  // wrmsr, rdtsc, rdmsr, rdpmc, sysenter, sysexit, getsec
  t.entry[0x36] = kInvalid;
  fill(t, 0x39, 0x3F, kInvalid);
  fill(t, 0x70, 0x73, kModRM | kImm8);  // pshuf*, shift-by-immediate groups
  t.entry[0x77] = kNone;                // emms
  t.entry[0x7A] = kInvalid;
  t.entry[0x7B] = kInvalid;
  fill(t, 0x80, 0x8F, kRelZ);
  fill(t, 0xA0, 0xA2, kNone);  // push fs, pop fs, cpuid
  t.entry[0xA4] = kModRM | kImm8;
  t.entry[0xA6] = kInvalid;
  t.entry[0xA7] = kInvalid;
  fill(t, 0xA8, 0xAA, kNone);  // push gs, pop gs, rsm
  t.entry[0xAC] = kModRM | kImm8;
  t.entry[0xBA] = kModRM | kImm8;
  t.entry[0xC2] = kModRM | kImm8;
  fill(t, 0xC4, 0xC6, kModRM | kImm8);
  fill(t, 0xC8, 0xCF, kNone);  // bswap
  return t;
}

constexpr OpcodeTable kOneByte = makeOneByteTable();
constexpr OpcodeTable kTwoByte = makeTwoByteTable();

bool isLegacyPrefix(uint8_t b) {
  switch (b) {
    case 0xF0:
    case 0xF2:
    case 0xF3:
    case 0x2E:
    case 0x36:
    case 0x3E:
    case 0x26:
    case 0x64:
    case 0x65:
    case 0x66:
    case 0x67:
      return true;
    default:
      return false;
  }
}

struct Cursor {
  const uint8_t* code;
  size_t available;
  size_t pos = 0;

  bool next(uint8_t& b) {
    if (pos >= available || pos >= kMaxLength) return false;
    b = code[pos++];
    return true;
  }
  bool peek(uint8_t& b) const {
    if (pos >= available || pos >= kMaxLength) return false;
    b = code[pos];
    return true;
  }
  bool skip(size_t n) {
    pos += n;
    return pos <= available && pos <= kMaxLength;
  }
};

// Reads ModRM with its SIB byte and displacement.
bool readModRM(Cursor& c, bool address16, CpuMode mode, bool registerForm, Instruction& out) {
  uint8_t modrm = 0;
  if (!c.next(modrm)) return false;
  out.hasModRM = true;
  out.modrm = modrm;
  const int mod = modrm >> 6;
  const int rm = modrm & 7;
  if (mod == 3 || registerForm) return true;
  size_t displacement = 0;
  if (address16) {
    if (mod == 1)
      displacement = 1;
    else if (mod == 2 || rm == 6)
      displacement = 2;
    return c.skip(displacement);
  }
  if (rm == 4) {
    uint8_t sib = 0;
    if (!c.next(sib)) return false;
    if (mod == 0 && (sib & 7) == 5) displacement = 4;
  } else if (mod == 0 && rm == 5) {
    displacement = 4;
    if (mode == CpuMode::X64) out.ripDisplacementOffset = static_cast<uint8_t>(c.pos);
  }
  if (mod == 1) displacement = 1;
  if (mod == 2) displacement = 4;
  return c.skip(displacement);
}

// VEX (C4, C5), EVEX (62) and XOP (8F) encodings: payload, opcode, ModRM, imm8.
bool decodeVector(Cursor& c, uint8_t escape, bool address16, CpuMode mode, Instruction& out) {
  uint8_t first = 0;
  if (!c.peek(first)) return false;
  int map = 1;
  size_t payload = 2;
  if (escape == 0xC5) {
    payload = 1;
  } else if (escape == 0x62) {
    payload = 3;
    map = first & 0x07;
    if (map == 0 || map == 4 || map == 7) return false;
  } else {
    map = first & 0x1F;
    const bool valid = escape == 0xC4 ? (map >= 1 && map <= 3) : (map >= 8 && map <= 10);
    if (!valid) return false;
  }
  uint8_t opcode = 0;
  if (!c.skip(payload) || !c.next(opcode)) return false;
  out.map = OpcodeMap::Vector;
  out.opcode = opcode;
  const bool noModRM = escape != 0x62 && map == 1 && opcode == 0x77;  // vzeroupper, vzeroall
  if (!noModRM && !readModRM(c, address16, mode, false, out)) return false;
  size_t immediate = 0;
  if (map == 3 || map == 8) immediate = 1;
  if (map == 10) immediate = 4;
  if (map == 1 &&
      ((opcode >= 0x70 && opcode <= 0x73) || opcode == 0xC2 || (opcode >= 0xC4 && opcode <= 0xC6)))
    immediate = 1;
  return c.skip(immediate);
}

size_t operandSize(Operand operand, const Instruction& insn, bool address16Prefix, CpuMode mode) {
  const bool x64 = mode == CpuMode::X64;
  const bool wide = (insn.rex & 0x08) != 0;
  const size_t immZ = insn.operandSize16 ? 2 : 4;
  switch (operand) {
    case kNone:
      return 0;
    case kImm8:
    case kRel8:
      return 1;
    case kImm16:
      return 2;
    case kImmZ:
      return immZ;
    case kImmV:
      return wide ? 8 : immZ;
    case kFarPointer:
      return immZ + 2;
    case kMemOffset:
      return x64 ? (address16Prefix ? 4 : 8) : (address16Prefix ? 2 : 4);
    case kEnter:
      return 3;
    case kRelZ:
      return x64 ? 4 : immZ;
    case kGroup3: {
      const int reg = (insn.modrm >> 3) & 7;
      if (reg > 1) return 0;
      return insn.opcode == 0xF6 ? 1 : immZ;
    }
  }
  return 0;
}

void classifyFlow(Instruction& insn, size_t operandBytes) {
  const uint8_t op = insn.opcode;
  if (insn.map == OpcodeMap::TwoByte) {
    if (op >= 0x80 && op <= 0x8F) {
      insn.flow = ControlFlow::ConditionalJump;
      insn.condition = op & 0x0F;
      insn.relativeSize = static_cast<uint8_t>(operandBytes);
    }
    return;
  }
  if (insn.map != OpcodeMap::OneByte) return;
  if (op >= 0x70 && op <= 0x7F) {
    insn.flow = ControlFlow::ConditionalJump;
    insn.condition = op & 0x0F;
    insn.relativeSize = 1;
  } else if (op >= 0xE0 && op <= 0xE3) {
    insn.flow = ControlFlow::CounterJump;
    insn.relativeSize = 1;
  } else if (op == 0xE8) {
    insn.flow = ControlFlow::RelativeCall;
    insn.relativeSize = static_cast<uint8_t>(operandBytes);
  } else if (op == 0xE9 || op == 0xEB) {
    insn.flow = ControlFlow::RelativeJump;
    insn.relativeSize = static_cast<uint8_t>(operandBytes);
  } else if (op == 0xC2 || op == 0xC3 || op == 0xCA || op == 0xCB || op == 0xCF) {
    insn.flow = ControlFlow::Return;
  } else if (op == 0xFF) {
    const int reg = (insn.modrm >> 3) & 7;
    if (reg == 4 || reg == 5) insn.flow = ControlFlow::IndirectJump;
  }
}

}  // namespace

bool decodeInstruction(const uint8_t* code, size_t available, CpuMode mode, Instruction& out) {
  out = Instruction{};
  const bool x64 = mode == CpuMode::X64;
  Cursor c{code, available};
  bool operandPrefix = false;
  bool addressPrefix = false;
  uint8_t b = 0;
  for (;;) {
    if (!c.peek(b)) return false;
    if (isLegacyPrefix(b)) {
      operandPrefix |= b == 0x66;
      addressPrefix |= b == 0x67;
      out.rex = 0;  // a REX prefix counts only right before the opcode
    } else if (x64 && (b & 0xF0) == 0x40) {
      out.rex = b;
    } else {
      break;
    }
    ++c.pos;
  }
  out.prefixCount = static_cast<uint8_t>(c.pos);
  out.operandSize16 = operandPrefix && (out.rex & 0x08) == 0;
  const bool address16 = addressPrefix && !x64;

  uint8_t op = 0;
  c.next(op);
  uint8_t following = 0;
  const bool hasFollowing = c.peek(following);
  const bool vectorEscape = op == 0xC4 || op == 0xC5 || op == 0x62;
  if (vectorEscape && hasFollowing && (x64 || following >= 0xC0)) {
    if (!decodeVector(c, op, address16, mode, out)) return false;
    out.length = static_cast<uint8_t>(c.pos);
    return true;
  }
  if (op == 0x8F && hasFollowing && (following & 0x1F) >= 8) {
    if (!decodeVector(c, op, address16, mode, out)) return false;
    out.length = static_cast<uint8_t>(c.pos);
    return true;
  }

  uint8_t entry = 0;
  if (op == 0x0F) {
    if (!c.next(op)) return false;
    if (op == 0x38 || op == 0x3A) {
      out.map = op == 0x38 ? OpcodeMap::ThreeByte38 : OpcodeMap::ThreeByte3A;
      if (!c.next(op)) return false;
      entry = kModRM | (out.map == OpcodeMap::ThreeByte3A ? kImm8 : kNone);
    } else {
      out.map = OpcodeMap::TwoByte;
      entry = kTwoByte.entry[op];
    }
  } else {
    entry = kOneByte.entry[op];
  }
  out.opcode = op;
  if ((entry & kInvalid) || (x64 && (entry & kNot64))) return false;
  if ((entry & kModRM) && !readModRM(c, address16, mode, (entry & kRegisterForm) != 0, out)) return false;
  const size_t operandBytes =
      operandSize(static_cast<Operand>(entry & kOperandMask), out, addressPrefix, mode);
  if (!c.skip(operandBytes)) return false;
  out.length = static_cast<uint8_t>(c.pos);
  classifyFlow(out, operandBytes);
  return true;
}

int64_t branchDisplacement(const uint8_t* code, const Instruction& insn) {
  const uint8_t* field = code + insn.length - insn.relativeSize;
  switch (insn.relativeSize) {
    case 1:
      return static_cast<int8_t>(field[0]);
    case 2: {
      int16_t value = 0;
      std::memcpy(&value, field, sizeof value);
      return value;
    }
    case 4: {
      int32_t value = 0;
      std::memcpy(&value, field, sizeof value);
      return value;
    }
    default:
      return 0;
  }
}

int32_t ripDisplacement(const uint8_t* code, const Instruction& insn) {
  int32_t value = 0;
  std::memcpy(&value, code + insn.ripDisplacementOffset, sizeof value);
  return value;
}

}  // namespace vantorix::detour
