#include "trampoline.h"

#include <cstring>

namespace vantorix::detour {
namespace {

constexpr size_t kMaxInstructionLength = 15;
constexpr size_t kAbsoluteJumpSize = 14;  // jmp [rip+0]; dq address
constexpr size_t kAbsoluteCallSize = 16;  // call [rip+2]; jmp +8; dq address
constexpr size_t kAbsoluteJccSize = 16;   // j!cc +14; jmp [rip+0]; dq address

struct Copied {
  size_t offset = 0;
  Instruction insn;
  bool relative = false;  // a relative branch with a destination
  uint64_t destination = 0;
  int internalIndex = -1;  // copied instruction the branch lands on, -1 when outside the copy
};

uint64_t wrap(uint64_t address, CpuMode mode) {
  return mode == CpuMode::X86 ? (address & 0xFFFFFFFFu) : address;
}

// A 32-bit displacement reaches everything in 32-bit mode, where addresses wrap.
bool fitsRel32(uint64_t from, uint64_t to, CpuMode mode) {
  if (mode == CpuMode::X86) return true;
  const int64_t distance = static_cast<int64_t>(to - from);
  return distance >= INT32_MIN && distance <= INT32_MAX;
}

void putRel32(uint8_t* at, uint64_t end, uint64_t to) {
  const int32_t value = static_cast<int32_t>(static_cast<uint32_t>(to - end));
  std::memcpy(at, &value, sizeof value);
}

void putAbsoluteJump(uint8_t* out, uint64_t to) {
  const uint8_t jumpThroughNextQword[6] = {0xFF, 0x25, 0, 0, 0, 0};
  std::memcpy(out, jumpThroughNextQword, sizeof jumpThroughNextQword);
  std::memcpy(out + 6, &to, sizeof to);
}

bool endsFlow(const Instruction& insn) {
  return insn.flow == ControlFlow::Return || insn.flow == ControlFlow::RelativeJump ||
         insn.flow == ControlFlow::IndirectJump;
}

bool isRelativeBranch(const Instruction& insn) {
  return insn.relativeSize != 0;
}

// lea r32, [same r32 + 0]: the multi-byte filler of 32-bit assemblers.
bool isSelfLea(const uint8_t* code, const Instruction& insn) {
  const int mod = insn.modrm >> 6;
  const int reg = (insn.modrm >> 3) & 7;
  const int rm = insn.modrm & 7;
  if (insn.map != OpcodeMap::OneByte || insn.opcode != 0x8D || insn.prefixCount != 0) return false;
  if (mod != 1 && mod != 2) return false;
  size_t displacement = 2;
  if (rm == 4) {
    const uint8_t sib = code[2];
    if (((sib >> 3) & 7) != 4 || (sib & 7) != reg) return false;
    displacement = 3;
  } else if (rm != reg) {
    return false;
  }
  for (size_t i = displacement; i < insn.length; ++i)
    if (code[i] != 0) return false;
  return true;
}

bool isFiller(const uint8_t* code, const Instruction& insn, CpuMode mode) {
  if (insn.map == OpcodeMap::OneByte && insn.opcode == 0xCC) return true;
  if (insn.map == OpcodeMap::OneByte && insn.opcode == 0x90 && (insn.rex & 0x01) == 0) return true;
  if (insn.map == OpcodeMap::TwoByte && insn.opcode == 0x1F) return true;  // nopw / nopl
  return mode == CpuMode::X86 && isSelfLea(code, insn);
}

// Where the first instruction in [from, to) that is not alignment filler
// starts; `to` when there is none.
size_t firstNonFiller(const uint8_t* code, size_t from, size_t to, CpuMode mode) {
  size_t pos = from;
  while (pos < to) {
    Instruction insn;
    if (!decodeInstruction(code + pos, kMaxInstructionLength, mode, insn)) return pos;
    if (!isFiller(code + pos, insn, mode)) return pos;
    pos += insn.length;
  }
  return to;
}

bool anyBranchLandsIn(const Copied* copied, size_t count, uint64_t from, uint64_t to) {
  for (size_t i = 0; i < count; ++i)
    if (copied[i].relative && copied[i].destination >= from && copied[i].destination < to) return true;
  return false;
}

// Size of the relocated form of one copied instruction placed at `at`.
size_t relocatedSize(const Copied& c, uint64_t at, CpuMode mode) {
  if (!c.relative || c.insn.flow == ControlFlow::CounterJump) return c.insn.length;
  const bool internal = c.internalIndex >= 0;
  switch (c.insn.flow) {
    case ControlFlow::RelativeCall:
      return fitsRel32(at + 5, c.destination, mode) ? 5 : kAbsoluteCallSize;
    case ControlFlow::RelativeJump:
      return internal || fitsRel32(at + 5, c.destination, mode) ? 5 : kAbsoluteJumpSize;
    case ControlFlow::ConditionalJump:
      return internal || fitsRel32(at + 6, c.destination, mode) ? 6 : kAbsoluteJccSize;
    default:
      return c.insn.length;
  }
}

// Writes the relocated form of `c` at out (running at `at`) with its branch
// aimed at `destination`.
bool emitRelocated(const uint8_t* source, const Copied& c, uint64_t sourceAddress, uint8_t* out, uint64_t at,
                   uint64_t destination, size_t size) {
  const Instruction& insn = c.insn;
  if (!c.relative || insn.flow == ControlFlow::CounterJump) {
    std::memcpy(out, source, insn.length);
    if (insn.flow == ControlFlow::CounterJump) {
      const int64_t rel8 = static_cast<int64_t>(destination - (at + insn.length));
      if (rel8 < INT8_MIN || rel8 > INT8_MAX) return false;
      out[insn.length - 1] = static_cast<uint8_t>(static_cast<int8_t>(rel8));
    }
    if (insn.ripDisplacementOffset != 0) {
      const uint64_t referent = sourceAddress + insn.length + ripDisplacement(source, insn);
      const int64_t moved = static_cast<int64_t>(referent - (at + insn.length));
      if (moved < INT32_MIN || moved > INT32_MAX) return false;
      const int32_t value = static_cast<int32_t>(moved);
      std::memcpy(out + insn.ripDisplacementOffset, &value, sizeof value);
    }
    return true;
  }
  switch (insn.flow) {
    case ControlFlow::RelativeCall:
      if (size == kAbsoluteCallSize) {
        const uint8_t callThroughQword[8] = {0xFF, 0x15, 2, 0, 0, 0, 0xEB, 8};
        std::memcpy(out, callThroughQword, sizeof callThroughQword);
        std::memcpy(out + 8, &destination, sizeof destination);
      } else {
        out[0] = 0xE8;
        putRel32(out + 1, at + 5, destination);
      }
      return true;
    case ControlFlow::RelativeJump:
      if (size == kAbsoluteJumpSize) {
        putAbsoluteJump(out, destination);
      } else {
        out[0] = 0xE9;
        putRel32(out + 1, at + 5, destination);
      }
      return true;
    case ControlFlow::ConditionalJump:
      if (size == kAbsoluteJccSize) {
        out[0] = static_cast<uint8_t>(0x70 | (insn.condition ^ 1));
        out[1] = static_cast<uint8_t>(kAbsoluteJumpSize);
        putAbsoluteJump(out + 2, destination);
      } else {
        out[0] = 0x0F;
        out[1] = static_cast<uint8_t>(0x80 | insn.condition);
        putRel32(out + 2, at + 6, destination);
      }
      return true;
    default:
      return false;
  }
}

}  // namespace

TrampolineError buildTrampoline(const uint8_t* code, uint64_t codeAddress, uint64_t outAddress, CpuMode mode,
                                uint8_t* out, size_t capacity, Trampoline& result) {
  result = Trampoline{};
  // Notes the instruction at `offset` as the reason the copy is refused.
  auto refuse = [&result](size_t offset) {
    result.refusedOffset = offset;
    return TrampolineError::Unsupported;
  };
  Copied copied[kMaxCopiedInstructions];
  size_t count = 0;
  size_t pos = 0;
  bool jumpBack = true;

  // Choose the instructions to copy.
  while (pos < kPatchSize) {
    if (count == kMaxCopiedInstructions) return refuse(pos);
    Copied& c = copied[count];
    c.offset = pos;
    if (!decodeInstruction(code + pos, kMaxInstructionLength, mode, c.insn)) return refuse(pos);
    if (isRelativeBranch(c.insn)) {
      if (c.insn.relativeSize == 2) return refuse(pos);  // would truncate the instruction pointer
      c.relative = true;
      const int64_t displacement = branchDisplacement(code + pos, c.insn);
      c.destination = wrap(codeAddress + pos + c.insn.length + static_cast<uint64_t>(displacement), mode);
    }
    ++count;
    pos += c.insn.length;
    if (endsFlow(c.insn)) {
      if (pos >= kPatchSize) {
        jumpBack = false;
      } else if (!anyBranchLandsIn(copied, count, codeAddress + pos, codeAddress + kPatchSize)) {
        // The function ends here: the rest of the overwritten bytes must be filler.
        const size_t blocker = firstNonFiller(code, pos, kPatchSize, mode);
        if (blocker < kPatchSize) return refuse(blocker);
        jumpBack = false;
        break;
      }
    }
  }
  const size_t copiedLength = pos;

  // Branches into the copied bytes must land forward on a copied instruction.
  for (size_t i = 0; i < count; ++i) {
    Copied& c = copied[i];
    if (!c.relative) continue;
    // call to the next instruction pushes its own address for a pop that
    // follows: from the trampoline that address would be wrong.
    const uint64_t next = wrap(codeAddress + c.offset + c.insn.length, mode);
    if (c.insn.flow == ControlFlow::RelativeCall && c.destination == next) return refuse(c.offset);
    const uint64_t offset = c.destination - codeAddress;
    const bool inside = c.destination >= codeAddress && offset < copiedLength;
    if (!inside) {
      if (c.insn.flow == ControlFlow::CounterJump) return refuse(c.offset);
      continue;
    }
    if (offset <= c.offset || c.insn.flow == ControlFlow::RelativeCall) return refuse(c.offset);
    for (size_t j = i + 1; j < count; ++j)
      if (copied[j].offset == offset) c.internalIndex = static_cast<int>(j);
    if (c.internalIndex < 0) return refuse(c.offset);  // lands inside an instruction
  }

  // Lay out the relocated instructions.
  size_t newOffsets[kMaxCopiedInstructions] = {};
  size_t size = 0;
  for (size_t i = 0; i < count; ++i) {
    newOffsets[i] = size;
    size += relocatedSize(copied[i], outAddress + size, mode);
  }
  const uint64_t resume = codeAddress + copiedLength;
  const size_t jumpBackSize = !jumpBack                                        ? 0
                              : fitsRel32(outAddress + size + 5, resume, mode) ? 5
                                                                               : kAbsoluteJumpSize;
  if (size + jumpBackSize > capacity) return TrampolineError::TooLarge;

  for (size_t i = 0; i < count; ++i) {
    const Copied& c = copied[i];
    const uint64_t at = outAddress + newOffsets[i];
    const uint64_t destination =
        c.internalIndex >= 0 ? outAddress + newOffsets[c.internalIndex] : c.destination;
    const size_t slot = (i + 1 < count ? newOffsets[i + 1] : size) - newOffsets[i];
    if (!emitRelocated(code + c.offset, c, codeAddress + c.offset, out + newOffsets[i], at, destination,
                       slot))
      return refuse(c.offset);
    result.targetOffsets[i] = static_cast<uint8_t>(c.offset);
    result.trampolineOffsets[i] = static_cast<uint8_t>(newOffsets[i]);
  }
  if (jumpBack) writeJump(out + size, jumpBackSize, outAddress + size, resume, mode);
  result.codeSize = size + jumpBackSize;
  result.copiedLength = copiedLength;
  result.instructionCount = count;
  return TrampolineError::None;
}

bool writeRelativeJump(uint8_t* out, uint64_t from, uint64_t to, CpuMode mode) {
  if (!fitsRel32(from + 5, to, mode)) return false;
  out[0] = 0xE9;
  putRel32(out + 1, from + 5, to);
  return true;
}

size_t writeJump(uint8_t* out, size_t capacity, uint64_t from, uint64_t to, CpuMode mode) {
  if (fitsRel32(from + 5, to, mode)) {
    if (capacity < 5) return 0;
    writeRelativeJump(out, from, to, mode);
    return 5;
  }
  if (capacity < kAbsoluteJumpSize) return 0;
  putAbsoluteJump(out, to);
  return kAbsoluteJumpSize;
}

}  // namespace vantorix::detour
