// The call-site patcher on real code pages mapped at 32-bit addresses, with
// the page protection of host code. Another build of the game may have an
// indirect call whose pointer leads nowhere readable: the patcher says so,
// and patches all the same.
#include "hook/call_patch.h"

#include <sys/mman.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/config.h"
#include "host_fixture.h"
#include "sim/host_kernel.h"

namespace {

constexpr std::uintptr_t kPage = 0x30000000;
constexpr std::size_t kPageSize = 0x1000;
constexpr std::uintptr_t kPointer = kPage + 0x600;  // where indirect branches read their destination
constexpr std::uintptr_t kLastPointer = kPage + 2 * kPageSize - sizeof(void*);  // also holds kTarget
const auto kTarget = static_cast<std::uintptr_t>(0x00007F1234567890);

using Bytes = std::vector<std::uint8_t>;

Bytes WithOperand(Bytes opcode, std::uint32_t operand) {
  for (int i = 0; i < 4; ++i) opcode.push_back(static_cast<std::uint8_t>(operand >> (8 * i)));
  return opcode;
}

// What a patch writes: E8 and its displacement, and a NOP over the sixth byte
// of an indirect branch, which would otherwise run after the call returns.
Bytes Call(std::uint32_t displacement, bool nop = false) {
  Bytes call = WithOperand({0xE8}, displacement);
  if (nop) call.push_back(0x90);
  return call;
}

// FF 15 / FF 25 naming a pointer: relative to the next instruction on x86-64,
// the absolute address on x86.
Bytes Indirect(std::uint8_t modrm, std::uintptr_t site, std::uintptr_t pointer = kPointer) {
  return WithOperand({0xFF, modrm}, IndirectOperand(site, pointer));
}

// One patch: the code at the site, the destination, what the patch returns,
// the bytes it leaves at the site and the debugger lines it writes; a page
// whose protection cannot be changed, and whether the patch changes it at all.
struct Patch {
  const char* what;
  std::uintptr_t site;
  Bytes code;
  std::uintptr_t destination;
  std::uintptr_t returned;
  Bytes after;
  std::vector<std::string> said;
  std::uintptr_t lockedPage = 0;
  bool protect = true;
};

constexpr std::uintptr_t At(std::uintptr_t offset) {
  return kPage + offset;
}

std::vector<Patch> Patches() {
  const Bytes call = {0xE8, 0x00, 0x10, 0x00, 0x00}, nops = {0x90, 0x90, 0x90, 0x90, 0x90};
  const Bytes back = {0xE9, 0xF0, 0xFF, 0xFF, 0xFF}, jump = {0xE9, 0x10, 0x00, 0x00, 0x00};
  const Bytes otherFf = {0xFF, 0x05, 0, 0, 0, 0}, nowhere = {0xE8, 0, 0, 0, 0};
  const std::uintptr_t last = At(kPageSize);  // the second page
  // Reading through a pointer into unmapped memory would crash the game.
  const auto unreadable = [](std::uintptr_t site, std::uintptr_t pointer) {
    return std::vector<std::string>{"[WARN] The branch at " + LoggedAddress(site) +
                                    " reads its destination from unreadable memory at " +
                                    LoggedAddress(pointer)};
  };
  const auto refused = [](std::uintptr_t site) {
    return std::vector<std::string>{"[ERROR] Cannot patch the call at " + LoggedAddress(site) +
                                    ": its page protection could not be changed"};
  };
  std::vector<Patch> patches = {
      {"RelativeCall", At(0x100), call, At(0x800), At(0x1105), Call(0x6FB), {}},
      {"RelativeJump", At(0x120), back, At(0x800), At(0x115), Call(0x6DB), {}},
      {"IndirectCall", At(0x200), Indirect(0x15, At(0x200)), At(0x900), kTarget, Call(0x6FB, true), {}},
      {"IndirectJump", At(0x240), Indirect(0x25, At(0x240)), At(0x900), kTarget, Call(0x6BB, true), {}},
      {"Nops", At(0x300), nops, At(0x380), 0, Call(0x7B), {}},
      {"OtherFF", At(0x340), otherFf, At(0x380), 0, Call(0x3B), {}},
      {"DestinationBelow", At(0x700), nops, At(0x10), 0, Call(0xFFFFF90B), {}},
      {"WithoutProtect", At(0x100), nowhere, At(0x200), At(0x105), Call(0xFB), {}, kPage, false},
      {"LockedPage", At(0x100), call, At(0x800), At(0x1105), call, refused(At(0x100)), kPage},
      {"LockedDisplacement", last - 1, jump, kPage, last + 0x14, jump, refused(last - 1), last},
      {"UnmappedPointer", At(0x400), Indirect(0x25, At(0x400), 0x25252525), At(0x900), 0, Call(0x4FB, true),
       unreadable(At(0x400), 0x25252525)},
      {"LastPointerOfTheMapping",
       At(0x440),
       Indirect(0x15, At(0x440), kLastPointer),
       At(0x900),
       kTarget,
       Call(0x4BB, true),
       {}},
      {"PointerPastTheMapping", At(0x480), Indirect(0x15, At(0x480), kLastPointer + 2), At(0x900), 0,
       Call(0x47B, true), unreadable(At(0x480), kLastPointer + 2)},
      {"LockedSixthByte", last - 5, Indirect(0x15, last - 5), kPage, kTarget, Indirect(0x15, last - 5),
       refused(last - 5), last},
  };
  if (sizeof(void*) == 4) {
    // The address space wraps: a destination more than 2 GiB above is reached downwards.
    patches.push_back({"WrapsOnX86", At(0x100), call, 0xF0000000, At(0x1105), Call(0xC0000000 - 0x105), {}});
  } else {
    // A rel32 call cannot reach beyond 2 GiB: a cut-down displacement would
    // send the game into arbitrary code.
    const auto far = static_cast<std::uintptr_t>(0x00007F0000001000);
    const std::string said =
        "[ERROR] Cannot patch the call at 0x0000000030000100: 0x00007F0000001000 is out of its "
        "2 GiB reach";
    patches.push_back({"OutOfReach", At(0x100), call, far, At(0x1105), call, {said}});
    patches.push_back(
        {"EdgeOfReach", At(0x100), call, At(0x105 + 0x7FFFFFFFu), At(0x1105), Call(0x7FFFFFFF), {}});
  }
  return patches;
}

class CallPatchTest : public HostFixture, public ::testing::WithParamInterface<Patch> {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    mapped = mmap(reinterpret_cast<void*>(kPage), 2 * kPageSize, PROT_READ | PROT_WRITE,
                  MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0) == reinterpret_cast<void*>(kPage);
    ASSERT_TRUE(mapped) << "the pages at " << std::hex << kPage << " are taken";
    std::memcpy(reinterpret_cast<void*>(kPointer), &kTarget, sizeof kTarget);
    std::memcpy(reinterpret_cast<void*>(kLastPointer), &kTarget, sizeof kTarget);
    loaderConfig.LoggingLevel = 2;
    loaderConfig.IncludeTimestamps = 0;
  }
  void TearDown() override {
    if (mapped) munmap(reinterpret_cast<void*>(kPage), 2 * kPageSize);  // never another's mapping
    loaderConfig = LoaderConfig();
    HostFixture::TearDown();
  }
  bool mapped = false;
};

TEST_P(CallPatchTest, ReadsTheOldDestinationAndWritesTheCall) {
  const Patch& patch = GetParam();
  auto* site = reinterpret_cast<std::uint8_t*>(patch.site);
  Bytes code = patch.code;
  code.push_back(0xCC);  // the next instruction: never touched
  std::memcpy(site, code.data(), code.size());
  if (patch.protect) {
    ASSERT_EQ(mprotect(reinterpret_cast<void*>(kPage), 2 * kPageSize, PROT_READ | PROT_EXEC), 0);
  }
  if (patch.lockedPage) sim::FailVirtualProtectIn(patch.lockedPage, kPageSize);

  EXPECT_EQ(MakeCallPatch(patch.site, patch.destination, patch.protect), patch.returned);
  Bytes expected = code;
  std::copy(patch.after.begin(), patch.after.end(), expected.begin());
  EXPECT_EQ(Bytes(site, site + code.size()), expected);
  if (patch.protect) {
    EXPECT_EQ(sim::QueryProtection(patch.site), static_cast<DWORD>(PAGE_EXECUTE_READ));
  }
  EXPECT_EQ(DebuggerLines(), patch.said);
}

INSTANTIATE_TEST_SUITE_P(Sites, CallPatchTest, ::testing::ValuesIn(Patches()),
                         [](const ::testing::TestParamInfo<Patch>& info) { return info.param.what; });

}  // namespace
