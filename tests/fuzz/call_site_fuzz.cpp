// Arbitrary bytes at the game's call site, read by the patcher's reader and
// then patched over: whatever instruction the bytes make, reading it must not
// fault, and the site must end up calling the new destination with the page
// protected as before.
#include <cstring>

#include "fuzz_host.h"
#include "hook/call_patch.h"
#include "sim/host_code.h"
#include "sim/host_kernel.h"

namespace {

constexpr std::uintptr_t kSite = sim::kHostCallSite;
constexpr std::uintptr_t kDestination = 0x10002000;
constexpr std::size_t kMaxBytes = 16;

std::int32_t Load32(std::uintptr_t address) {
  std::int32_t value;
  std::memcpy(&value, reinterpret_cast<const void*>(address), 4);
  return value;
}

// The pointer an FF 15 / FF 25 at the site names: relative to the next
// instruction on x86-64, the absolute address on x86.
std::uintptr_t IndirectPointer() {
  const auto operand = static_cast<std::uintptr_t>(static_cast<std::intptr_t>(Load32(kSite + 2)));
  return sizeof(void*) == 8 ? kSite + 6 + operand : operand;
}

bool IsIndirectBranch() {
  const auto* code = reinterpret_cast<const std::uint8_t*>(kSite);
  return code[0] == 0xFF && (code[1] == 0x15 || code[1] == 0x25);
}

// What the instruction at the site branches to, decoded here independently;
// false when it cannot be known without touching memory outside the page.
bool ExpectedTarget(std::uintptr_t& target) {
  const auto* code = reinterpret_cast<const std::uint8_t*>(kSite);
  if (code[0] == 0xE8 || code[0] == 0xE9) {
    target = kSite + 5 + static_cast<std::uintptr_t>(static_cast<std::intptr_t>(Load32(kSite + 1)));
    return true;
  }
  if (IsIndirectBranch()) {
    const std::uintptr_t pointer = IndirectPointer();
    if (pointer < sim::kHostCodePage || pointer > sim::kHostCodePage + 0x1000 - sizeof(target)) return false;
    std::memcpy(&target, reinterpret_cast<const void*>(pointer), sizeof(target));
    return true;
  }
  target = 0;
  return true;
}

// AddressSanitizer keeps its shadow memory from 0x7FFF8000 up: readable, yet
// instrumented code faults on it. The game has nothing of the kind, so
// pointers there are left out.
bool PointsIntoShadowMemory() {
  const std::uintptr_t pointer = IndirectPointer();
  return IsIndirectBranch() && pointer + sizeof(std::uintptr_t) > 0x7FFF8000u &&
         std::uint64_t{pointer} < (std::uint64_t{1} << 47);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzhost::StartInput();
  const std::size_t count = size < kMaxBytes ? size : kMaxBytes;
  DWORD protection = 0;
  fuzzhost::Require(VirtualProtect(reinterpret_cast<LPVOID>(kSite), kMaxBytes, PAGE_EXECUTE_READWRITE,
                                   &protection) != FALSE,
                    "the game's code can be written by the test");
  std::memcpy(reinterpret_cast<void*>(kSite), data, count);
  VirtualProtect(reinterpret_cast<LPVOID>(kSite), kMaxBytes, protection, &protection);

  if (PointsIntoShadowMemory()) return 0;

  std::uintptr_t expected = 0;
  const bool known = ExpectedTarget(expected);
  const std::uintptr_t read = ReadBranchTarget(kSite, true);
  if (known) fuzzhost::Require(read == expected, "the reader decodes the branch at the site");

  const std::uintptr_t old = MakeCallPatch(kSite, kDestination, true);
  fuzzhost::Require(old == read, "the patch returns what the reader saw");
  fuzzhost::Require(*reinterpret_cast<const std::uint8_t*>(kSite) == 0xE8, "the site holds a call");
  fuzzhost::Require(ReadBranchTarget(kSite, true) == kDestination, "the call reaches the new destination");
  fuzzhost::Require(sim::QueryProtection(kSite) == static_cast<DWORD>(PAGE_EXECUTE_READ),
                    "the code page is protected as before");
  return 0;
}
