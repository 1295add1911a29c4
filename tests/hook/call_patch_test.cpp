// The call-site patcher on real code pages mapped at 32-bit addresses, with
// the page protection of host code.
#include "hook/call_patch.h"

#include <sys/mman.h>

#include <cstring>

#include "core/config.h"
#include "host_fixture.h"
#include "sim/host_kernel.h"

namespace {

constexpr std::uintptr_t kPage = 0x30000000;
constexpr std::size_t kPageSize = 0x1000;

class CallPatchTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    void* mapped = mmap(reinterpret_cast<void*>(kPage), 2 * kPageSize, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    ASSERT_EQ(mapped, reinterpret_cast<void*>(kPage));
    loaderConfig.LoggingLevel = 2;
    loaderConfig.IncludeTimestamps = 0;
  }
  void TearDown() override {
    munmap(reinterpret_cast<void*>(kPage), 2 * kPageSize);
    loaderConfig = LoaderConfig();
    HostFixture::TearDown();
  }
  // Writes bytes, then makes both pages read+execute like host code.
  void Code(std::uintptr_t at, std::initializer_list<std::uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<std::uint8_t*>(at));
  }
  void Seal() {
    ASSERT_EQ(mprotect(reinterpret_cast<void*>(kPage), 2 * kPageSize, PROT_READ | PROT_EXEC), 0);
  }
  std::uint8_t Byte(std::uintptr_t at) { return *reinterpret_cast<std::uint8_t*>(at); }
  std::int32_t Int(std::uintptr_t at) {
    std::int32_t v;
    std::memcpy(&v, reinterpret_cast<void*>(at), 4);
    return v;
  }
  void Put32(std::uintptr_t at, std::uint32_t value) { std::memcpy(reinterpret_cast<void*>(at), &value, 4); }
};

TEST_F(CallPatchTest, RelativeCallAndJumpGiveTheirDestination) {
  const std::uintptr_t site = kPage + 0x100;
  Code(site, {0xE8, 0x00, 0x10, 0x00, 0x00});
  Code(site + 0x20, {0xE9, 0xF0, 0xFF, 0xFF, 0xFF});
  Seal();
  EXPECT_EQ(ReadBranchTarget(site, true), site + 0x1005);
  EXPECT_EQ(ReadBranchTarget(site + 0x20, true), site + 0x20 + 5 - 0x10);

  std::uintptr_t old = MakeCallPatch(site, kPage + 0x800, true);
  EXPECT_EQ(old, site + 0x1005);
  EXPECT_EQ(Byte(site), 0xE8);
  EXPECT_EQ(Int(site + 1), 0x800 - 0x100 - 5);
  EXPECT_EQ(sim::QueryProtection(site), static_cast<DWORD>(PAGE_EXECUTE_READ));
}

// The operand of FF 15 / FF 25 names a pointer as wide as the build's: relative
// to the next instruction on x86-64, absolute on x86.
TEST_F(CallPatchTest, IndirectCallAndJumpReadThroughTheirPointer) {
  const std::uintptr_t site = kPage + 0x200, pointer = kPage + 0x600;
  const auto target = static_cast<std::uintptr_t>(0x00007F1234567890);
  std::memcpy(reinterpret_cast<void*>(pointer), &target, sizeof target);
  Code(site, {0xFF, 0x15});
  Put32(site + 2, IndirectOperand(site, pointer));
  Code(site + 0x40, {0xFF, 0x25});
  Put32(site + 0x42, IndirectOperand(site + 0x40, pointer));
  Seal();
  const std::uint8_t afterJump = Byte(site + 0x45);

  EXPECT_EQ(ReadBranchTarget(site + 0x40, true), target);
  EXPECT_EQ(MakeCallPatch(site, kPage + 0x900, true), target);
  EXPECT_EQ(Byte(site), 0xE8);
  EXPECT_EQ(Int(site + 1), 0x900 - 0x200 - 5);
  // The old instruction's sixth byte would run after the call returns: it becomes a NOP.
  EXPECT_EQ(Byte(site + 5), 0x90);
  EXPECT_EQ(Byte(site + 0x45), afterJump) << "only what is patched changes";
}

TEST_F(CallPatchTest, SixthByteOnALockedPageLeavesTheIndirectCallWhole) {
  const std::uintptr_t site = kPage + kPageSize - 5;  // the sixth byte lies on the second page
  const std::uintptr_t pointer = kPage + 0x600;
  const std::uintptr_t target = 0x1234;
  std::memcpy(reinterpret_cast<void*>(pointer), &target, sizeof target);
  Code(site, {0xFF, 0x15});
  Put32(site + 2, IndirectOperand(site, pointer));
  Seal();
  sim::FailVirtualProtectIn(kPage + kPageSize, kPageSize);
  MakeCallPatch(site, kPage, true);
  EXPECT_EQ(Byte(site), 0xFF);
  EXPECT_EQ(Byte(site + 1), 0x15);
  EXPECT_EQ(ReadBranchTarget(site, false), target);
  EXPECT_EQ(DebuggerLines().size(), 1u);
}

// On x86-64 a rel32 call cannot reach beyond 2 GiB: writing the cut-down
// displacement would send the game into arbitrary code. On x86 the address
// space wraps, and a destination more than 2 GiB above is reached downwards.
TEST_F(CallPatchTest, DestinationOutOfReachIsRefusedAndNamed) {
  const std::uintptr_t site = kPage + 0x100;
  Code(site, {0xE8, 0x00, 0x10, 0x00, 0x00});
  Seal();
  if (sizeof(void*) == 4) {
    const auto high = static_cast<std::uintptr_t>(0xF0000000);
    MakeCallPatch(site, high, true);
    EXPECT_EQ(static_cast<std::uint32_t>(Int(site + 1)), 0xF0000000u - 0x30000105u);
    EXPECT_TRUE(DebuggerLines().empty());
    return;
  }
  const auto far = static_cast<std::uintptr_t>(0x00007F0000001000);
  EXPECT_EQ(MakeCallPatch(site, far, true), site + 0x1005);
  EXPECT_EQ(Byte(site), 0xE8);
  EXPECT_EQ(Int(site + 1), 0x1000);
  EXPECT_EQ(DebuggerLines(), std::vector<std::string>{"[ERROR] Cannot patch the call at 0x0000000030000100: "
                                                      "0x00007F0000001000 is out of its 2 GiB reach"});
  // Just inside the reach is still written.
  const std::uintptr_t edge = site + 5 + 0x7FFFFFFF;
  MakeCallPatch(site, edge, true);
  EXPECT_EQ(Int(site + 1), 0x7FFFFFFF);
}

TEST_F(CallPatchTest, UnrecognisedInstructionsGiveNullAndAreStillPatched) {
  const std::uintptr_t nop = kPage + 0x300, otherFf = kPage + 0x340;
  Code(nop, {0x90, 0x90, 0x90, 0x90, 0x90});
  Code(otherFf, {0xFF, 0x05, 0, 0, 0, 0});
  Seal();
  EXPECT_EQ(MakeCallPatch(nop, kPage + 0x380, true), 0u);
  EXPECT_EQ(MakeCallPatch(otherFf, kPage + 0x380, true), 0u);
  EXPECT_EQ(Byte(nop), 0xE8);
  EXPECT_EQ(Byte(otherFf), 0xE8);
}

TEST_F(CallPatchTest, DestinationBelowTheSiteGivesANegativeDisplacement) {
  const std::uintptr_t site = kPage + 0x700;
  Code(site, {0x90, 0x90, 0x90, 0x90, 0x90});
  Seal();
  MakeCallPatch(site, kPage + 0x10, true);
  EXPECT_EQ(Int(site + 1), -(0x700 - 0x10 + 5));
  EXPECT_EQ(static_cast<std::uint32_t>(Int(site + 1)), 0xFFFFF90Bu);
}

TEST_F(CallPatchTest, WithoutProtectNoProtectionChangeIsMade) {
  const std::uintptr_t site = kPage + 0x100;
  Code(site, {0xE8, 0, 0, 0, 0});
  sim::FailVirtualProtectIn(kPage, 2 * kPageSize);  // any attempt would fail and skip the write
  EXPECT_EQ(MakeCallPatch(site, kPage + 0x200, false), site + 5);
  EXPECT_EQ(Int(site + 1), 0x200 - 0x100 - 5);
  EXPECT_TRUE(DebuggerLines().empty());
}

TEST_F(CallPatchTest, FailedProtectionChangeWritesNothingAndSaysWhere) {
  const std::uintptr_t site = kPage + 0x100;
  Code(site, {0xE8, 0x00, 0x10, 0x00, 0x00});
  Seal();
  sim::FailVirtualProtectIn(kPage, kPageSize);
  EXPECT_EQ(MakeCallPatch(site, kPage + 0x800, true), site + 0x1005);  // the read still works
  EXPECT_EQ(Int(site + 1), 0x1000);
  auto lines = DebuggerLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "[ERROR] Cannot patch the call at " + LoggedAddress(site) +
                          ": its page protection could not be changed");
}

TEST_F(CallPatchTest, DisplacementOnALockedPageLeavesTheInstructionWhole) {
  const std::uintptr_t site = kPage + kPageSize - 1;  // opcode on the first page, displacement on the second
  Code(site, {0xE9, 0x10, 0x00, 0x00, 0x00});
  Seal();
  sim::FailVirtualProtectIn(kPage + kPageSize, kPageSize);
  MakeCallPatch(site, kPage, true);
  EXPECT_EQ(Byte(site), 0xE9);
  EXPECT_EQ(Int(site + 1), 0x10);
  EXPECT_EQ(DebuggerLines().size(), 1u);
}

}  // namespace
