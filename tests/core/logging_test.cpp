// The logger as the host sees it: what reaches the log file, the debugger
// output and the console for each LoggingLevel and setting.
#include <string>

#include "core/log.h"
#include "core/scoped_timer.h"
#include "host_fixture.h"
#include "sim/host_kernel.h"

namespace {

class LoggingTest : public HostFixture {
 protected:
  void AttachWith(const std::string& debugSection) {
    WriteFile("Sorvane.ini", "[Debug]\r\n" + debugSection);
    Attach();
  }
  void LogOneOfEach() {
    LogInfo("info line");
    LogWarn("warn line");
    LogError("error line");
    LogDebug("debug line");
    ScopedTimer timer("TimedWork");
  }
};

struct GateCase {
  const char* level;
  bool warn, error, debug;
};

class LevelGateTest : public LoggingTest, public ::testing::WithParamInterface<GateCase> {};

TEST_P(LevelGateTest, WritesOnlyTheLevelsThatPass) {
  const GateCase& c = GetParam();
  AttachWith(std::string("EnableConsole=0\r\nLoggingLevel=") + c.level + "\r\n");
  LogOneOfEach();
  Detach();
  auto lines = LogLines();
  EXPECT_TRUE(HasLine(lines, "[INFO] info line"));
  EXPECT_EQ(HasLine(lines, "[WARN] warn line"), c.warn);
  EXPECT_EQ(HasLine(lines, "[ERROR] error line"), c.error);
  EXPECT_EQ(HasLine(lines, "[DEBUG] debug line"), c.debug);
  bool timerLine = false;
  for (const auto& line : lines) timerLine |= WithoutStamp(line).rfind("[DEBUG] [TimedWork] took ", 0) == 0;
  EXPECT_EQ(timerLine, c.debug);
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelGateTest,
                         ::testing::Values(GateCase{"0", false, false, false},
                                           GateCase{"1", true, false, false},
                                           GateCase{"2", true, true, false}, GateCase{"3", true, true, true},
                                           GateCase{"4", false, false, false},
                                           GateCase{"-1", false, false, false}),
                         [](const ::testing::TestParamInfo<GateCase>& info) {
                           std::string level = info.param.level;
                           return "Level" + (level[0] == '-' ? "Minus" + level.substr(1) : level);
                         });

TEST_F(LoggingTest, StampsEachLineWithTheLocalTime) {
  sim::SetClock(1000, SYSTEMTIME{2026, 12, 4, 31, 23, 59, 59, 900});
  AttachWith("EnableConsole=0\r\n");
  sim::AdvanceClock(512);
  LogInfo("next year");
  Detach();
  auto lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "[2026-12-31 23:59:59.900] [INFO] Setting hooks...");
  EXPECT_EQ(lines[1], "[2027-01-01 00:00:00.412] [INFO] next year");
}

TEST_F(LoggingTest, WithoutTimestampsLinesStartWithTheTagAndLongMessagesAreCut) {
  AttachWith("EnableConsole=0\r\nIncludeTimestamps=0\r\nLoggingLevel=2\r\n");
  LogError("broken %d", 7);
  LogInfo("%s", std::string(2000, 'x').c_str());
  Detach();
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"[INFO] Setting hooks...", "[ERROR] broken 7",
                                                  "[INFO] " + std::string(1023, 'x')}));
}

TEST_F(LoggingTest, KeepsLoggingToDebuggerAndConsoleWhenTheFileCannotBeCreated) {
  AttachWith("IncludeTimestamps=0\r\nLogFilePath=no\\such\\folder\\run.log\r\n");
  LogInfo("still here");
  EXPECT_TRUE(HasLine(DebuggerLines(), "[INFO] still here"));
  EXPECT_NE(sim::ConsoleText().find("[INFO] still here\n"), std::string::npos);
  Detach();
  EXPECT_FALSE(FileExists("no/such/folder/run.log"));
}

TEST_F(LoggingTest, TimerReportsTheElapsedTimeOnEarlyReturnAndWritesItsLabelLiterally) {
  sim::SetClock(1000, SYSTEMTIME{});
  AttachWith("EnableConsole=0\r\nLoggingLevel=3\r\nIncludeTimestamps=0\r\n");
  auto work = [](bool leaveEarly) {
    ScopedTimer timer("100%s done");
    sim::AdvanceClock(5);
    if (leaveEarly) return 1;
    return 2;
  };
  EXPECT_EQ(work(true), 1);
  Detach();
  EXPECT_TRUE(HasLine(LogLines(), "[DEBUG] [100%s done] took 5.000 ms"));
}

}  // namespace
