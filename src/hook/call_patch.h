// Rewrites one call instruction in the host's code so that it reaches a
// function of ours, and decodes what such an instruction called before.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32.h"

// Addresses are logged with every hex digit of a pointer: 8 on x86, 16 on x86-64.
constexpr int kAddressDigits = static_cast<int>(sizeof(void*) * 2);

// Makes [address, address + size) writable for one access and restores the
// previous protection afterwards. A size of 0 changes nothing.
class ScopedUnprotect {
 public:
  ScopedUnprotect(std::uintptr_t address, std::size_t size);
  ~ScopedUnprotect();
  ScopedUnprotect(const ScopedUnprotect&) = delete;
  ScopedUnprotect& operator=(const ScopedUnprotect&) = delete;

  // False when the protection change was needed but failed.
  bool Writable() const { return size == 0 || changed; }

 private:
  std::uintptr_t address;
  std::size_t size;
  DWORD oldProtection = 0;
  bool changed = false;
};

// Destination of the E8/E9 rel32 or FF 15/FF 25 branch at site, or 0 for any
// other instruction. The FF forms read through an absolute 32-bit pointer on
// x86 and through a RIP-relative 64-bit one on x86-64.
std::uintptr_t ReadBranchTarget(std::uintptr_t site, bool protect);

// Writes "call destination" (E8 rel32) at site and returns the destination
// the site had before (0 when unrecognised). Protect makes each access change
// the page protection around itself. A destination beyond the 2 GiB reach of
// rel32 (possible on x86-64 only) is refused with an ERROR line and nothing
// is written. A six-byte FF 15 / FF 25 site gets a NOP in its sixth byte.
std::uintptr_t MakeCallPatch(std::uintptr_t site, std::uintptr_t destination, bool protect);
