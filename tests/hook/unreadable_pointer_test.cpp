// The game's call site as another build of the game may have it: an
// indirect call whose pointer leads nowhere readable. Reading through it
// would crash the game; the patcher reports it and patches all the same.
#include <cstring>

#include "core/config.h"
#include "hook/call_patch.h"
#include "host_fixture.h"
#include "sim/host_code.h"
#include "sim/host_kernel.h"

namespace {

class UnreadablePointerTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    loaderConfig.LoggingLevel = 1;
    loaderConfig.IncludeTimestamps = 0;
  }
  void TearDown() override {
    loaderConfig = LoaderConfig();
    HostFixture::TearDown();
  }
  // Puts "FF <modrm> <operand>" at the game's call site, the operand naming `pointer`.
  void IndirectBranchAtSite(std::uint8_t modrm, std::uintptr_t pointer) {
    const auto operand = IndirectOperand(sim::kHostCallSite, pointer);
    const std::uint8_t code[6] = {0xFF,
                                  modrm,
                                  static_cast<std::uint8_t>(operand),
                                  static_cast<std::uint8_t>(operand >> 8),
                                  static_cast<std::uint8_t>(operand >> 16),
                                  static_cast<std::uint8_t>(operand >> 24)};
    DWORD old = 0;
    ASSERT_TRUE(
        VirtualProtect(reinterpret_cast<LPVOID>(sim::kHostCallSite), 6, PAGE_EXECUTE_READWRITE, &old));
    std::memcpy(reinterpret_cast<void*>(sim::kHostCallSite), code, sizeof(code));
    VirtualProtect(reinterpret_cast<LPVOID>(sim::kHostCallSite), 6, old, &old);
  }
};

TEST_F(UnreadablePointerTest, PointerIntoUnmappedMemoryGivesNullAndAWarning) {
  IndirectBranchAtSite(0x25, 0x25252525);
  EXPECT_EQ(MakeCallPatch(sim::kHostCallSite, 0x10002000, true), 0u);
  EXPECT_EQ(ReadBranchTarget(sim::kHostCallSite, true), 0x10002000u) << "the call is written all the same";
  EXPECT_EQ(DebuggerLines(),
            std::vector<std::string>{"[WARN] The branch at " + LoggedAddress(sim::kHostCallSite) +
                                     " reads its destination from unreadable memory at " +
                                     LoggedAddress(0x25252525)});
}

TEST_F(UnreadablePointerTest, PointerWhoseLastByteIsUnmappedGivesNull) {
  // The pointer's bytes would run from the game's code page into the unmapped page after it.
  const std::uintptr_t lastPointer = sim::kHostCodePage + 0x1000 - sizeof(void*);
  IndirectBranchAtSite(0x15, lastPointer + 2);
  EXPECT_EQ(ReadBranchTarget(sim::kHostCallSite, true), 0u);
  IndirectBranchAtSite(0x15, lastPointer);
  std::uintptr_t expected = 0;
  std::memcpy(&expected, reinterpret_cast<const void*>(lastPointer), sizeof(expected));
  EXPECT_EQ(ReadBranchTarget(sim::kHostCallSite, true), expected) << "a pointer inside the page is read";
}

}  // namespace
