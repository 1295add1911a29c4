#include "hook/call_patch.h"

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
// objects says nothing about it, so its four bytes are read one at a time,
// without instrumentation, in little-endian order.
__attribute__((no_sanitize("address"))) std::uint32_t ReadHostWord(std::uintptr_t address) {
  const volatile auto* bytes = reinterpret_cast<const volatile std::uint8_t*>(address);
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

std::uintptr_t Relative32Target(std::uintptr_t site, bool protect) {
  auto displacement = GuardedRead<std::int32_t>(site + 1, protect);
  return static_cast<std::uint32_t>(site + 1 + 4 + static_cast<std::uint32_t>(displacement));
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
  auto pointer = GuardedRead<std::uint32_t>(site + 2, protect);
  // The pointer comes from whatever code is at the site; in another build of
  // the game it may point anywhere, and reading there would crash the game.
  if (!Readable(pointer) || !Readable(static_cast<std::uintptr_t>(pointer) + 3)) {
    LogWarn("The branch at 0x%08lX reads its destination from unreadable memory at 0x%08lX",
            static_cast<unsigned long>(site), static_cast<unsigned long>(pointer));
    return 0;
  }
  return ReadHostWord(pointer);
}

std::uintptr_t MakeCallPatch(std::uintptr_t site, std::uintptr_t destination, bool protect) {
  std::uintptr_t old = ReadBranchTarget(site, protect);
  auto originalOpcode = GuardedRead<std::uint8_t>(site, protect);
  auto displacement = static_cast<std::uint32_t>(destination - (site + 1) - 4);
  bool written = GuardedWrite<std::uint8_t>(site, 0xE8, protect);
  if (written && !GuardedWrite<std::uint32_t>(site + 1, displacement, protect)) {
    // Half a patch would leave a broken instruction: put the opcode back.
    GuardedWrite<std::uint8_t>(site, originalOpcode, protect);
    written = false;
  }
  if (!written) {
    LogError("Cannot patch the call at 0x%08lX: its page protection could not be changed",
             static_cast<unsigned long>(site));
  }
  return old;
}
