// A shader author at work: saves picked up without END, the compiler's
// messages in the shader's tab, and parameters put back to the file's default.
#include <chrono>
#include <filesystem>

#include "overlay_fixture.h"
#include "sim/host_input.h"
#include "sim/host_kernel.h"

namespace {

const char kTuned[] = R"(#include "tone.fxh"
float Intensity < string UIName = "Intensity"; > = 0.25;
bool Enabled < string UIName = "Enabled"; > = true;
float4 Tint < string UIName = "Tint"; > = float4(1, 0.5, 0.25, 1);
technique T { pass P { } }
)";

class ShaderAuthorTest : public OverlayFixture {
 protected:
  // Writes as an editor saves: each save gets a modification time of its own.
  void Save(const std::string& path, const std::string& content) {
    WriteFile(path, content);
    std::string hostPath = path;
    for (char& c : hostPath) c = c == '\\' ? '/' : c;
    static int saves = 0;
    std::filesystem::last_write_time(workDir + "/" + hostPath, std::filesystem::file_time_type::clock::now() +
                                                                   std::chrono::seconds(++saves));
  }
  // Frames of 16 ms until the given simulated time has passed.
  void Play(int milliseconds) { Frames((milliseconds + 15) / 16); }
};

TEST_F(ShaderAuthorTest, AFailedReloadShowsTheCompilerInAMarkedTabUntilTheNextGoodCompile) {
  Open("Bloom", kBloom);
  EXPECT_TRUE(Has("Bloom###shader"));
  EXPECT_TRUE(Has("Compiled from FX\\Bloom.fx"));
  EXPECT_TRUE(LabelStarting("Reloaded").empty()) << "no summary before the first reload";

  WriteFile("FX\\Bloom.fx", kBroken);
  PressEnd();
  EXPECT_TRUE(Has("Bloom (!)###shader")) << "the tab is marked";
  EXPECT_TRUE(Has("The latest compile failed; the previous effect is kept."));
  const std::string message = LabelStarting("FX\\Bloom.fx(3,");
  EXPECT_NE(message.find("error"), std::string::npos) << "file, line, column and text: " << message;
  EXPECT_NE(LabelStarting("Reloaded 0, failed 1, in "), "") << "the summary under the buttons";
  Play(100);
  EXPECT_TRUE(Has("Bloom (!)###shader")) << "kept until the next successful compile";

  WriteFile("FX\\Bloom.fx", kBloom);
  PressEnd();
  EXPECT_TRUE(Has("Bloom###shader"));
  EXPECT_FALSE(Has("The latest compile failed; the previous effect is kept."));
  EXPECT_EQ(LabelStarting(message), "");
  EXPECT_NE(LabelStarting("Reloaded 1, failed 0, in "), "");
}

TEST_F(ShaderAuthorTest, ASaveReloadsThatEffectAloneWithinASecondOnceWholeKeepingTunedValues) {
  Save("FX\\tone.fxh", "float Tone = 1.0;\n");
  Save("FX\\Tuned.fx", kTuned);
  Save("FX\\Bloom.fx", kBloom);
  AttachWithLevel(3);
  EffectProxy* bloom = Create("Bloom");
  EffectProxy* tuned = Create("Tuned");
  bloom->SetFloat(bloom->GetParameterByName(nullptr, "Intensity"), 0.75f);
  Play(1500);
  ID3DXEffect* bloomEffect = bloom->innerEffect;
  ID3DXEffect* tunedEffect = tuned->innerEffect;
  EXPECT_EQ(CountLines("[INFO] === HOT-RELOAD STARTED ==="), 0) << "nothing changed";

  Save("FX\\Bloom.fx", std::string(kBloom) + "float Added < string UIName = \"Added\"; > = 2.0;\n");
  Play(1000);
  EXPECT_NE(bloom->innerEffect, bloomEffect) << "picked up within one second";
  EXPECT_EQ(tuned->innerEffect, tunedEffect) << "only the saved effect";
  EXPECT_EQ(CountLines("[INFO] Found 1 shaders to reload."), 1);
  EXPECT_EQ(InnerFloat(bloom, "Intensity"), 0.75f) << "values kept as END keeps them";
  EXPECT_EQ(InnerFloat(bloom, "Added"), 2.0f);

  Save("FX\\tone.fxh", "float Tone = 2.0;\n");  // a file the compile included
  Play(1000);
  EXPECT_NE(tuned->innerEffect, tunedEffect);
  EXPECT_EQ(InnerFloat(tuned, "Tone"), 2.0f);
  EXPECT_EQ(CountLines("[INFO] === HOT-RELOAD STARTED ==="), 2);

  // Three steps 300 ms apart: no two polls, 500 ms apart, see one half-written state.
  Save("FX\\Bloom.fx", kBroken);
  Play(300);
  Save("FX\\Bloom.fx", std::string(kBroken) + "float");
  Play(300);
  Save("FX\\Bloom.fx", std::string(kBloom) + "\n");
  Play(2000);
  EXPECT_EQ(CountLines("[INFO] [OK] Reloaded: Bloom"), 2);
  EXPECT_EQ(CountLines("[ERROR] [FAIL] Bloom"), 0) << "the half-written file was never compiled";
}

TEST_F(ShaderAuthorTest, WatchFilesOffLeavesSavesToEnd) {
  Save("FX\\Bloom.fx", kBloom);
  AttachWithLevel(3, "[Reload]\r\nWatchFiles=0\r\n");
  EffectProxy* proxy = Create("Bloom");
  Save("FX\\Bloom.fx", kBloom + std::string("float Added = 2.0;\n"));
  Play(3000);
  EXPECT_EQ(InnerFloat(proxy, "Added"), -1.0f);
  PressEnd();
  EXPECT_EQ(InnerFloat(proxy, "Added"), 2.0f);
}

TEST_F(ShaderAuthorTest, ResetPutsTheFilesDefaultBackThroughTheProxyAndSavesNothing) {
  Save("FX\\tone.fxh", "float Tone = 1.0;\n");
  EffectProxy* proxy = Open("Tuned", kTuned);
  const sim::Widget slider = Find("Intensity");
  DragTo(slider, slider.right + 10);
  Click(Find("Enabled"));
  ASSERT_EQ(InnerFloat(proxy, "Intensity"), 1.0f);

  sim::MouseMove(window, static_cast<int>(slider.CenterX()), static_cast<int>(slider.CenterY()));
  Frame();
  sim::RightButton(window, true);
  Frame();
  sim::RightButton(window, false);
  Frames(2);
  Click(Find("Reset to default"));
  EXPECT_EQ(InnerFloat(proxy, "Intensity"), 0.25f);
  BOOL enabled = TRUE;
  proxy->innerEffect->GetBool("Enabled", &enabled);
  EXPECT_FALSE(enabled) << "only the one parameter";

  const D3DXVECTOR4 black(0, 0, 0, 0);
  proxy->SetVector("Tint", &black);
  Click(Find("Reset all"));
  proxy->innerEffect->GetBool("Enabled", &enabled);
  D3DXVECTOR4 tint(0, 0, 0, 0);
  proxy->innerEffect->GetVector("Tint", &tint);
  EXPECT_TRUE(enabled);
  EXPECT_EQ(tint.y, 0.5f);
  EXPECT_FALSE(FileExists("vantorix_settings.ini")) << "the saved file changes only on save";

  std::string edited = kTuned;
  Save("FX\\Tuned.fx", edited.replace(edited.find("0.25"), 4, "0.40"));
  PressEnd();
  EXPECT_EQ(InnerFloat(proxy, "Intensity"), 0.4f) << "a reset value follows the file's new default";
}

}  // namespace
