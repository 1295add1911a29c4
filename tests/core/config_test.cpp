// The loader configuration as a modder writes it in Sorvane.ini, and attach
// and detach as the process loader drives them.
#include "core/config.h"

#include "core/module_entry.h"
#include "host_fixture.h"
#include "sim/host_kernel.h"

namespace {

class ConfigTest : public HostFixture {};

TEST_F(ConfigTest, MissingFileGivesTheDefaults) {
  Attach();
  EXPECT_EQ(loaderConfig.EnableConsole, 1);
  EXPECT_EQ(loaderConfig.LoggingLevel, 1u);
  EXPECT_EQ(loaderConfig.LogToFile, 1);
  EXPECT_EQ(loaderConfig.IncludeTimestamps, 1);
  EXPECT_EQ(loaderConfig.LogFilePath, ".\\Tessaly.log");
  EXPECT_EQ(loaderConfig.TexturePath, "FX\\TEXTURES\\");
  EXPECT_EQ(loaderConfig.LUTsSubdir, "LUTs\\");
  EXPECT_EQ(loaderConfig.VolumesSubdir, "VOLUMES\\");
  EXPECT_EQ(loaderConfig.WatchFiles, 1);
  EXPECT_TRUE(sim::ConsoleAllocated());
  std::string console = sim::ConsoleText();
  EXPECT_NE(console.find("[INFO] Velocade Vantorix Loader + KORVALINE UI Initialized!\n"), std::string::npos);
  EXPECT_NE(console.find("[INFO] Config: LoggingLevel=1, LogToFile=1, IncludeTimestamps=1\n"),
            std::string::npos);
  Detach();
  EXPECT_FALSE(sim::ConsoleAllocated());
  auto lines = LogLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(WithoutStamp(lines[0]), "[INFO] Velocade Vantorix Loader + KORVALINE UI Initialized!");
  EXPECT_EQ(WithoutStamp(lines[1]), "[INFO] Vantorix version " VANTORIX_VERSION);
  EXPECT_EQ(WithoutStamp(lines[3]), "[INFO] Setting hooks...");
}

TEST_F(ConfigTest, NormalisesTextureFoldersOnly) {
  WriteFile("Sorvane.ini",
            "[Debug]\r\nEnableConsole=0\r\nLogFilePath=logs\\run.txt\r\n"
            "[Paths]\r\nTexturePath=mods\\tex\r\nLUTsSubdir=\r\nVolumesSubdir=vol/\r\n");
  WriteFile("logs\\run.txt", "old content that must go\n");
  Attach();
  EXPECT_EQ(loaderConfig.TexturePath, "mods\\tex\\");
  EXPECT_EQ(loaderConfig.LUTsSubdir, "");
  EXPECT_EQ(loaderConfig.VolumesSubdir, "vol/");
  EXPECT_EQ(loaderConfig.LogFilePath, "logs\\run.txt");
  Detach();
  std::string log = ReadFile("logs\\run.txt");
  EXPECT_EQ(log.find("old content"), std::string::npos);
  EXPECT_NE(log.find("[INFO] Setting hooks..."), std::string::npos);
  EXPECT_FALSE(FileExists("Tessaly.log"));
}

TEST_F(ConfigTest, LogToFileOffCreatesAndEmptiesNothing) {
  WriteFile("Sorvane.ini", "[Debug]\r\nEnableConsole=0\r\nLogToFile=0\r\n");
  WriteFile("Tessaly.log", "previous run\n");
  Attach();
  Detach();
  EXPECT_EQ(ReadFile("Tessaly.log"), "previous run\n");
  EXPECT_TRUE(HasLine(DebuggerLines(), "[INFO] Setting hooks..."));
}

TEST_F(ConfigTest, LoadConfigLineIsFirstAtLevelThreeAndConsoleOffOpensNone) {
  WriteFile("Sorvane.ini", "[debug]\r\n  loggingLevel = 3 \r\nEnableConsole=0\r\n");
  Attach();
  Detach();
  auto lines = LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(WithoutStamp(lines[0]), "[DEBUG] LoadConfig: EnableConsole=0, LoggingLevel=3, LogToFile=1");
  EXPECT_TRUE(HasLine(DebuggerLines(), "[INFO] Setting hooks..."));
  EXPECT_EQ(sim::ConsoleText(), "");  // no console opened or freed
  EXPECT_EQ(sim::ConsoleAllocCount(), 0);
  EXPECT_EQ(sim::ConsoleFreeCount(), 0);
}

// A detach without attach and a second attach do nothing; each attach after
// a detach starts a fresh log.
TEST_F(ConfigTest, EntryAnswersTrueForEveryReasonAndOnlyTheFirstOfTwoAttachesCounts) {
  const std::string settings = "[Debug]\r\nEnableConsole=1\r\nIncludeTimestamps=0\r\n";
  WriteFile("Sorvane.ini", settings);
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_DETACH, nullptr), TRUE);
  EXPECT_EQ(sim::ConsoleFreeCount(), 0);
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr), TRUE);
  WriteFile("Sorvane.ini", settings + "LogFilePath=.\\Second.log\r\n");
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr), TRUE);
  EXPECT_EQ(DllMain(nullptr, DLL_THREAD_ATTACH, nullptr), TRUE);
  EXPECT_EQ(DllMain(nullptr, DLL_THREAD_DETACH, nullptr), TRUE);
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_DETACH, nullptr), TRUE);
  EXPECT_EQ(sim::ConsoleAllocCount(), 1);
  EXPECT_EQ(sim::ConsoleFreeCount(), 1);
  EXPECT_FALSE(FileExists("Second.log"));
  WriteFile("Sorvane.ini", settings);
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr), TRUE);
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_DETACH, nullptr), TRUE);
  EXPECT_EQ(CountLines("[INFO] Setting hooks..."), 1);
}

TEST_F(ConfigTest, DetachClosesTheFileBeforeReleasing) {
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
