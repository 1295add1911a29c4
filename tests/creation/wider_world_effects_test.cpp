// Effects as shader authors bring them from other tool chains, created by the
// game through its call site: names written in another case than on disk,
// statics computed by the shader, paired annotations, Direct3D 10 blocks; and
// the examples of the shader authoring guide.
#include <fstream>

#include "creation_fixture.h"

namespace {

class WiderWorldEffectsTest : public CreationFixture {};

TEST_F(WiderWorldEffectsTest, FilesAreFoundWhateverTheCaseOfTheirNames) {
  WriteFile("FX\\includes\\noise_2D.fxh",
            "float2 Size = {1920, 1080};\n"
            "static float2 Half = Size.xy * 0.5;\n"
            "float NoiseScale < string UIName = \"Noise scale\"; > = 2;\n");
  WriteFile("FX\\Grain.fx",
            "#include \"noise_2d.fxh\"\n"
            "BlendState NoBlend { BlendEnable[0] = FALSE; };\n"
            "texture GrainMap < int width = 64, height = 64; >;\n"
            "float Amount < string UIName = \"Amount\"; > = 0.5;\n"
            "technique10 Render10 { pass P { SetBlendState(NoBlend, float4(0, 0, 0, 0), 0xFFFFFFFF); } }\n"
            "technique Render { pass P { } }\n");
  sim::RegisterResource(module, "Grain", "float Builtin = 1;\ntechnique T { pass P { } }\n");
  AttachWithLevel(2);
  EffectProxy* proxy = CreateProxy("Grain");
  ASSERT_NE(proxy, nullptr);
  EXPECT_EQ(sim::ResourceCallCount(), 0) << "the game's resource is not used";
  ASSERT_EQ(proxy->parameters.size(), 2u) << "the include was found";
  EXPECT_EQ(proxy->parameters[0].name, "NoiseScale");
  EXPECT_EQ(proxy->parameters[1].name, "Amount");
  EXPECT_EQ(InnerFloat(proxy, "Amount"), 0.5f);
  EXPECT_EQ(proxy->GetParameterByName(nullptr, "Half"), nullptr) << "a static is no parameter";
  created->Release();

  // The game may spell the shader's name in its own way too.
  EffectProxy* shouted = CreateProxy("GRAIN");
  EXPECT_EQ(sim::ResourceCallCount(), 0);
  EXPECT_EQ(sim::LastEffectFileCall().source, "FX\\GRAIN.fx") << "the path keeps the game's spelling";
  if (shouted != nullptr) shouted->Release();
  Detach();
  for (const std::string& line : LogLines()) {
    EXPECT_EQ(line.find("[ERROR]"), std::string::npos) << line;
  }
}

// Every hlsl example of docs/shader-authoring.md, written to the file that
// its first line names, compiles from that file when the game creates it.
TEST_F(WiderWorldEffectsTest, EveryExampleOfTheAuthoringGuideCompilesFromItsFile) {
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
  AttachWithLevel(2, "[Compatibility]\r\nExtendedAnnotations=1\r\n");
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
