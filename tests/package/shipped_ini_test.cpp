// The Sorvane.ini that players get (the file named by VANTORIX_SHIPPED_INI),
// read by the loader at attach: every key the loader reads is in it at the
// loader's default, under a comment line, and it holds no other key.
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "host_fixture.h"
#include "sim/host_kernel.h"

namespace {

class ShippedIniTest : public HostFixture {};

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST_F(ShippedIniTest, EveryKeyTheLoaderReadsIsAtItsDefaultWithAComment) {
  const char* path = std::getenv("VANTORIX_SHIPPED_INI");
  ASSERT_NE(path, nullptr);
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  std::stringstream text;
  text << in.rdbuf();
  WriteFile("Sorvane.ini", text.str());

  sim::RecordProfileReads(true);
  Attach();
  sim::RecordProfileReads(false);
  std::set<std::string> known;
  for (const sim::ProfileRead& read : sim::ProfileReads()) {
    if (read.file != ".\\Sorvane.ini") continue;
    known.insert(Lowered(read.section + "." + read.key));
    EXPECT_TRUE(read.found) << "[" << read.section << "] " << read.key << " is missing";
    EXPECT_EQ(read.value, read.defaultValue) << "[" << read.section << "] " << read.key;
  }
  EXPECT_FALSE(known.empty());

  std::string line, previous, section;
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("[", 0) == 0) section = line.substr(1, line.find(']') - 1);
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos && line[0] != ';') {
      const std::string key = line.substr(0, equals);
      EXPECT_EQ(known.count(Lowered(section + "." + key)), 1u)
          << "the loader reads no [" << section << "] " << key;
      EXPECT_EQ(previous.rfind("; ", 0), 0u) << key << " has no comment line";
    }
    previous = line;
  }
}

}  // namespace
