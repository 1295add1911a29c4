// Every hlsl example of docs/shader-authoring.md, written to the file that
// its first line names, compiles from that file when the game creates it.
#include <fstream>

#include "creation_fixture.h"

namespace {

class ShaderAuthoringGuideTest : public CreationFixture {};

TEST_F(ShaderAuthoringGuideTest, EveryExampleCompilesFromItsFile) {
  std::ifstream guide(VANTORIX_AUTHORING_GUIDE);
  std::vector<std::pair<std::string, std::string>> examples;  // the path ("// FX\Name.fx"), the source
  bool inBlock = false;
  for (std::string line; std::getline(guide, line);) {
    if (inBlock && line == "```") {
      inBlock = false;
    } else if (inBlock) {
      if (examples.back().second.empty()) examples.back().first = line.substr(3);
      examples.back().second += line + "\n";
    } else if ((inBlock = line == "```hlsl")) {
      examples.emplace_back();
    }
  }
  ASSERT_GE(examples.size(), 7u);
  for (const auto& [path, source] : examples) WriteFile(path, source);
  WriteFile("Sorvane.ini",
            "[Debug]\r\nEnableConsole=0\r\nLoggingLevel=2\r\n[Compatibility]\r\nExtendedAnnotations=1\r\n");
  Attach();
  for (const auto& [path, source] : examples) {
    if (path.compare(path.size() - 3, 3, ".fx") != 0) continue;  // an include
    EffectProxy* proxy = CreateProxy(path.substr(3, path.size() - 6).c_str());
    ASSERT_NE(proxy, nullptr) << path;
    EXPECT_EQ(sim::ResourceCallCount(), 0) << path << ": the game's effect was used";
    EXPECT_FALSE(proxy->parameters.empty()) << path;
    proxy->Release();
  }
  Detach();
  for (const std::string& line : LogLines()) EXPECT_EQ(line.find("[ERROR]"), std::string::npos) << line;
}

}  // namespace
