// The simulated private-profile functions follow Windows' rules, which the
// configuration and the settings file rely on.
#include <chrono>
#include <filesystem>

#include "host_fixture.h"
#include "sim/win32.h"

namespace {

class PrivateProfileTest : public HostFixture {
 protected:
  std::string Get(const char* section, const char* key, const char* def = "dflt", DWORD size = 256) {
    char buffer[256];
    lastCount = GetPrivateProfileStringA(section, key, def, buffer, size, ".\\t.ini");
    return buffer;
  }
  UINT GetInt(const char* section, const char* key, int def = 77) {
    return GetPrivateProfileIntA(section, key, def, ".\\t.ini");
  }
  DWORD lastCount = 0;
};

TEST_F(PrivateProfileTest, ReadsWithWindowsRules) {
  WriteFile("t.ini",
            "; comment\r\n"
            "[ Main ]\r\n"
            "  Name  =  padded value  \r\n"
            "quoted=\"  kept  \"\r\n"
            "single='x'\r\n"
            "half=\"open\r\n"
            ";name=commented\r\n"
            "name=second\r\n"
            "empty=\r\n"
            "[main]\r\n"
            "other=from second section\r\n");
  EXPECT_EQ(Get("MAIN", "NAME"), "padded value");
  EXPECT_EQ(lastCount, 12u);
  EXPECT_EQ(Get("main", "quoted"), "  kept  ");
  EXPECT_EQ(Get("main", "single"), "x");
  EXPECT_EQ(Get("main", "half"), "\"open");
  EXPECT_EQ(Get("main", "empty"), "");
  EXPECT_EQ(lastCount, 0u);
  EXPECT_EQ(Get("main", "other"), "dflt");  // the first matching section wins
  EXPECT_EQ(Get("main", "missing"), "dflt");
  EXPECT_EQ(Get("nope", "name"), "dflt");
}

TEST_F(PrivateProfileTest, MissingFileGivesDefaultsAndTruncatesToTheBuffer) {
  EXPECT_EQ(Get("a", "b", "default text"), "default text");
  EXPECT_EQ(Get("a", "b", "default text", 5), "defa");
  EXPECT_EQ(lastCount, 4u);
  WriteFile("t.ini", "[a]\r\nb=0123456789\r\n");
  EXPECT_EQ(Get("a", "b", "", 6), "01234");
  EXPECT_EQ(lastCount, 5u);
  EXPECT_EQ(GetInt("a", "missing"), 77u);
}

TEST_F(PrivateProfileTest, ReadsIntegersFromTheLeadingDigits) {
  WriteFile("t.ini", "[n]\r\na=42abc\r\nb=-5\r\nc=abc\r\nd=\r\ne=+7\r\nf= 12 \r\n");
  EXPECT_EQ(GetInt("n", "a"), 42u);
  EXPECT_EQ(GetInt("n", "b"), 4294967291u);
  EXPECT_EQ(GetInt("n", "c"), 0u);
  EXPECT_EQ(GetInt("n", "d"), 0u);
  EXPECT_EQ(GetInt("n", "e"), 7u);
  EXPECT_EQ(GetInt("n", "f"), 12u);
}

TEST_F(PrivateProfileTest, WritesInPlaceAppendsAndCreates) {
  EXPECT_TRUE(WritePrivateProfileStringA("Bloom", "Intensity", "0.750000", ".\\t.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("Bloom", "Enabled", "1", ".\\t.ini"));
  EXPECT_EQ(ReadFile("t.ini"), "[Bloom]\r\nIntensity=0.750000\r\nEnabled=1\r\n");

  EXPECT_TRUE(WritePrivateProfileStringA("Water", "Depth", "2", ".\\t.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("BLOOM", "intensity", "0.5", ".\\t.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("bloom", "Tint", "1,1,1,1", ".\\t.ini"));
  EXPECT_EQ(ReadFile("t.ini"),
            "[Bloom]\r\nintensity=0.5\r\nEnabled=1\r\nTint=1,1,1,1\r\n[Water]\r\nDepth=2\r\n");
  EXPECT_EQ(Get("bloom", "INTENSITY"), "0.5");
}

TEST_F(PrivateProfileTest, KeepsCommentsAndUnknownKeysWhenWriting) {
  WriteFile("t.ini", "; tuned by hand\r\n[S]\r\nOld=3\r\n\r\n[T]\r\nx=1\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("S", "New", "4", ".\\t.ini"));
  EXPECT_EQ(ReadFile("t.ini"), "; tuned by hand\r\n[S]\r\nOld=3\r\nNew=4\r\n\r\n[T]\r\nx=1\r\n");
}

// A file read is kept parsed; the next read still sees an edit made outside
// the process, whether it changed the file's size or only its time, and an
// edit made right after a read.
TEST_F(PrivateProfileTest, SeesEveryEditOfAFileItKeeps) {
  namespace fs = std::filesystem;
  const fs::path path = fs::path(workDir) / "t.ini";
  const fs::file_time_type hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
  auto edit = [&](const std::string& content, fs::file_time_type when) {
    WriteFile("t.ini", content);
    fs::last_write_time(path, when);
  };
  edit("[S]\r\nk=one\r\n", hourAgo);
  EXPECT_EQ(Get("S", "k"), "one");
  EXPECT_EQ(Get("s", "K"), "one");
  edit("[S]\r\nk=two\r\n", hourAgo + std::chrono::seconds(1));
  EXPECT_EQ(Get("S", "k"), "two") << "same size, later time";
  edit("[S]\r\nk=three\r\n", hourAgo + std::chrono::seconds(1));
  EXPECT_EQ(Get("S", "k"), "three") << "same time, other size";
  EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "seven", ".\\t.ini"));
  EXPECT_EQ(Get("S", "k"), "seven") << "its own write";
  // Where the file system's clock ticks coarsely, two writes in one tick
  // leave the same time on the file: a file that new is not trusted to stay.
  const fs::file_time_type justNow = fs::file_time_type::clock::now();
  edit("[S]\r\nk=fast\r\n", justNow);
  EXPECT_EQ(Get("S", "k"), "fast");
  edit("[S]\r\nk=slow\r\n", justNow);
  EXPECT_EQ(Get("S", "k"), "slow") << "rewritten within one clock tick";
}

TEST_F(PrivateProfileTest, ReportsFailureWhenTheFileCannotBeWritten) {
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", ".\\missing\\folder\\t.ini"));
}

}  // namespace
