// The simulated private-profile functions follow Windows' rules where the
// plug-in's own tests of its configuration and settings file do not reach.
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
  DWORD lastCount = 0;
};

TEST_F(PrivateProfileTest, ReadsWithWindowsRules) {
  WriteFile("t.ini",
            "; comment\r\n[ Main ]\r\nquoted=\"  kept  \"\r\nsingle='x'\r\nhalf=\"open\r\n;name=commented\r\n"
            "name=0123456789\r\n[main]\r\nother=from second section\r\n[n]\r\na=42abc\r\nb=-5\r\nc=abc\r\n");
  EXPECT_EQ(Get("main", "quoted"), "  kept  ");
  EXPECT_EQ(Get("main", "single"), "x");
  EXPECT_EQ(Get("main", "half"), "\"open");
  EXPECT_EQ(Get("main", "name", "", 6), "01234") << "cut to the buffer";
  EXPECT_EQ(lastCount, 5u);
  EXPECT_EQ(Get("main", "other"), "dflt") << "the first matching section wins";
  EXPECT_EQ(Get("a", "b", "default text", 5), "defa");
  EXPECT_EQ(GetPrivateProfileIntA("n", "a", 77, ".\\t.ini"), 42u);
  EXPECT_EQ(GetPrivateProfileIntA("n", "b", 77, ".\\t.ini"), 4294967291u);
  EXPECT_EQ(GetPrivateProfileIntA("n", "c", 77, ".\\t.ini"), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("n", "missing", 77, ".\\t.ini"), 77u);
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", ".\\missing\\folder\\t.ini"));
}

TEST_F(PrivateProfileTest, WritesInPlaceAndKeepsWhatItDoesNotKnow) {
  WriteFile("t.ini", "; by hand\r\n[S]\r\nOld=3\r\n\r\n[T]\r\nx=1\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("s", "old", "4", ".\\t.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("S", "New", "5", ".\\t.ini"));
  EXPECT_EQ(ReadFile("t.ini"), "; by hand\r\n[S]\r\nold=4\r\nNew=5\r\n\r\n[T]\r\nx=1\r\n");
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

}  // namespace
