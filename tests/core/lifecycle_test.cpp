// Attach and detach as the process loader drives them.
#include "core/module_entry.h"
#include "host_fixture.h"
#include "sim/host_kernel.h"

namespace {

class LifecycleTest : public HostFixture {};

TEST_F(LifecycleTest, EntryAnswersTrueForEveryReasonAndEachAttachStartsAFreshLog) {
  WriteFile("Sorvane.ini", "[Debug]\r\nEnableConsole=0\r\n");
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr), TRUE);
  EXPECT_EQ(DllMain(nullptr, DLL_THREAD_ATTACH, nullptr), TRUE);
  EXPECT_EQ(DllMain(nullptr, DLL_THREAD_DETACH, nullptr), TRUE);
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_DETACH, nullptr), TRUE);
  EXPECT_EQ(LogLines().size(), 1u);
  // A second attach after detach starts a fresh log.
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr), TRUE);
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_DETACH, nullptr), TRUE);
  EXPECT_EQ(LogLines().size(), 1u);
}

TEST_F(LifecycleTest, DetachClosesTheFileBeforeReleasing) {
  WriteFile("Sorvane.ini", "[Debug]\r\nLoggingLevel=3\r\nIncludeTimestamps=0\r\n");
  Attach();
  Detach();
  auto isReleaseTiming = [](const std::string& line) {
    return line.rfind("[DEBUG] [ReleaseCustomTextures] took ", 0) == 0 &&
           line.find(" ms") != std::string::npos;
  };
  bool inDebugger = false;
  for (const auto& line : DebuggerLines()) inDebugger |= isReleaseTiming(line);
  EXPECT_TRUE(inDebugger);
  EXPECT_NE(sim::ConsoleText().find("[DEBUG] [ReleaseCustomTextures] took "), std::string::npos);
  auto fileLines = LogLines();
  for (const auto& line : fileLines) EXPECT_FALSE(isReleaseTiming(line)) << line;
  ASSERT_FALSE(fileLines.empty());
  EXPECT_EQ(fileLines.back(), "[INFO] Setting hooks...");
  EXPECT_EQ(sim::ConsoleFreeCount(), 1);
}

}  // namespace
