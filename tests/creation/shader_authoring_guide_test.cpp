// Every example of the shader authors' guide (docs/shader-authoring.md),
// written to the file its first line names and created by the game through
// its call site, compiles from that file.
#include <fstream>

#include "creation_fixture.h"

namespace {

struct Example {
  std::string path;  // from the block's first line, "// FX\Name.fx"
  std::string source;
};

std::vector<Example> GuideExamples() {
  std::ifstream guide(VANTORIX_AUTHORING_GUIDE);
  std::vector<Example> examples;
  bool inBlock = false;
  for (std::string line; std::getline(guide, line);) {
    if (!inBlock) {
      inBlock = line == "```hlsl";
      if (inBlock) examples.emplace_back();
    } else if (line == "```") {
      inBlock = false;
    } else {
      if (examples.back().source.empty() && line.rfind("// ", 0) == 0) examples.back().path = line.substr(3);
      examples.back().source += line + "\n";
    }
  }
  return examples;
}

class ShaderAuthoringGuideTest : public CreationFixture {};

TEST_F(ShaderAuthoringGuideTest, EveryExampleCompilesFromItsFile) {
  const std::vector<Example> examples = GuideExamples();
  ASSERT_GE(examples.size(), 7u);
  for (const Example& example : examples) WriteFile(example.path, example.source);
  WriteFile("Sorvane.ini",
            "[Debug]\r\nEnableConsole=0\r\nLoggingLevel=2\r\n[Compatibility]\r\nExtendedAnnotations=1\r\n");
  Attach();
  for (const Example& example : examples) {
    const std::string& path = example.path;
    if (path.rfind("FX\\", 0) != 0 || path.size() < 7 || path.compare(path.size() - 3, 3, ".fx") != 0)
      continue;
    const std::string name = path.substr(3, path.size() - 6);
    EffectProxy* proxy = CreateProxy(name.c_str());
    ASSERT_NE(proxy, nullptr) << path;
    EXPECT_EQ(sim::ResourceCallCount(), 0) << path << ": the game's effect was used";
    EXPECT_EQ(sim::LastEffectFileCall().source, path);
    EXPECT_FALSE(proxy->parameters.empty()) << path;
    proxy->Release();
  }
  Detach();
  for (const std::string& line : LogLines()) EXPECT_EQ(line.find("[ERROR]"), std::string::npos) << line;
}

}  // namespace
