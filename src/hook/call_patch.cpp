#include "hook/call_patch.h"

#include <climits>
#include <cstring>

#include "core/log.h"

namespace {

template <typename T>
T GuardedRead(std::uintptr_t address, bool protect) {
  ScopedUnprotect guard(address, protect ? sizeof(T) : 0);
  T value;
  std::memcpy(&value, reinterpret_cast<const void*>(address), sizeof(T));
  return value;
}

// Writes only when the page could be made writable: writing into host code
// that is still protected would crash the game.
template <typename T>
bool GuardedWrite(std::uintptr_t address, T value, bool protect) {
  ScopedUnprotect guard(address, protect ? sizeof(T) : 0);
  if (!guard.Writable()) return false;
  std::memcpy(reinterpret_cast<void*>(address), &value, sizeof(T));
  return true;
}

// On x86-64 the FF 15 / FF 25 operand is relative to the next instruction and
// the pointer it names holds 8 bytes; on x86 it is an absolute 32-bit address.
constexpr bool kRipRelative = sizeof(void*) == 8;

// True when the byte at address lies in committed memory that may be read.
bool Readable(std::uintptr_t address) {
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(reinterpret_cast<LPCVOID>(address), &info, sizeof(info)) == 0) return false;
  if (info.State != MEM_COMMIT || (info.Protect & PAGE_GUARD) != 0) return false;
  switch (info.Protect & 0xFF) {
    case PAGE_READONLY:
    case PAGE_READWRITE:
    case PAGE_WRITECOPY:
    case PAGE_EXECUTE_READ:
    case PAGE_EXECUTE_READWRITE:
    case PAGE_EXECUTE_WRITECOPY:
      return true;
    default:
      return false;
  }
}

// The game's data is not ours: an address sanitizer's picture of our own
// objects says nothing about it, so the pointer's bytes are read one at a
// time, without instrumentation, in little-endian order.
__attribute__((no_sanitize("address"))) std::uintptr_t ReadHostPointer(std::uintptr_t address) {
  const volatile auto* bytes = reinterpret_cast<const volatile std::uint8_t*>(address);
  std::uintptr_t value = 0;
  for (std::size_t i = sizeof(value); i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

std::uintptr_t Relative32Target(std::uintptr_t site, bool protect) {
  auto displacement = GuardedRead<std::int32_t>(site + 1, protect);
  return site + 5 + static_cast<std::uintptr_t>(static_cast<std::intptr_t>(displacement));
}

std::uintptr_t IndirectTarget(std::uintptr_t site, bool protect) {
  auto operand = GuardedRead<std::int32_t>(site + 2, protect);
  std::uintptr_t pointer = static_cast<std::uint32_t>(operand);
  if (kRipRelative) pointer = site + 6 + static_cast<std::uintptr_t>(static_cast<std::intptr_t>(operand));
  // The pointer comes from whatever code is at the site; in another build of
  // the game it may point anywhere, and reading there would crash the game.
  if (!Readable(pointer) || !Readable(pointer + sizeof(std::uintptr_t) - 1)) {
    LogWarn("The branch at 0x%0*llX reads its destination from unreadable memory at 0x%0*llX", kAddressDigits,
            static_cast<unsigned long long>(site), kAddressDigits, static_cast<unsigned long long>(pointer));
    return 0;
  }
  return ReadHostPointer(pointer);
}

// A call rel32 reaches 2 GiB either way; on x86 the address space wraps, so
// every destination is in reach.
bool InReach(std::uintptr_t site, std::uintptr_t destination) {
  const auto distance = static_cast<std::intptr_t>(destination - (site + 5));
  return distance >= INT32_MIN && distance <= INT32_MAX;
}

}  // namespace

ScopedUnprotect::ScopedUnprotect(std::uintptr_t address, std::size_t size) : address(address), size(size) {
  if (size == 0) return;
  changed = VirtualProtect(reinterpret_cast<LPVOID>(address), size, PAGE_EXECUTE_READWRITE, &oldProtection) !=
            FALSE;
}

ScopedUnprotect::~ScopedUnprotect() {
  if (!changed) return;
  DWORD ignored = 0;
  VirtualProtect(reinterpret_cast<LPVOID>(address), size, oldProtection, &ignored);
}

std::uintptr_t ReadBranchTarget(std::uintptr_t site, bool protect) {
  auto opcode = GuardedRead<std::uint8_t>(site, protect);
  if (opcode == 0xE8 || opcode == 0xE9) return Relative32Target(site, protect);
  if (opcode != 0xFF) return 0;
  auto modrm = GuardedRead<std::uint8_t>(site + 1, protect);
  if (modrm != 0x15 && modrm != 0x25) return 0;
  return IndirectTarget(site, protect);
}

std::uintptr_t MakeCallPatch(std::uintptr_t site, std::uintptr_t destination, bool protect) {
  std::uintptr_t old = ReadBranchTarget(site, protect);
  if (!InReach(site, destination)) {
    // A truncated displacement would send the host somewhere else entirely.
    LogError("Cannot patch the call at 0x%0*llX: 0x%0*llX is out of its 2 GiB reach", kAddressDigits,
             static_cast<unsigned long long>(site), kAddressDigits,
             static_cast<unsigned long long>(destination));
    return old;
  }
  const auto originalOpcode = GuardedRead<std::uint8_t>(site, protect);
  const auto originalOperand = GuardedRead<std::uint32_t>(site + 1, protect);
  // FF 15 / FF 25 are six bytes long: their last byte, left behind the
  // five-byte call, would run as the start of an instruction when it returns.
  const auto modrm = static_cast<std::uint8_t>(originalOperand & 0xFF);
  const bool sixBytes = originalOpcode == 0xFF && (modrm == 0x15 || modrm == 0x25);
  auto displacement = static_cast<std::uint32_t>(destination - (site + 1) - 4);
  bool written = GuardedWrite<std::uint8_t>(site, 0xE8, protect);
  if (written && !GuardedWrite<std::uint32_t>(site + 1, displacement, protect)) {
    // Half a patch would leave a broken instruction: put the opcode back.
    GuardedWrite<std::uint8_t>(site, originalOpcode, protect);
    written = false;
  }
  if (written && sixBytes && !GuardedWrite<std::uint8_t>(site + 5, 0x90, protect)) {
    GuardedWrite<std::uint32_t>(site + 1, originalOperand, protect);
    GuardedWrite<std::uint8_t>(site, originalOpcode, protect);
    written = false;
  }
  if (!written) {
    LogError("Cannot patch the call at 0x%0*llX: its page protection could not be changed", kAddressDigits,
             static_cast<unsigned long long>(site));
  }
  return old;
}
