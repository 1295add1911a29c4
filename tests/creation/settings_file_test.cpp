// Tuned values saved to and loaded from ".\vantorix_settings.ini".
#include <cfloat>
#include <cstdint>
#include <cstring>

#include "creation_fixture.h"
#include "overlay/hot_reload.h"

namespace {

const char kBloom[] = R"(
float Intensity < string UIName = "Intensity"; > = 0.1;
bool Enabled < string UIName = "Enabled"; > = false;
float4 Tint < string UIName = "Tint"; > = float4(0, 0, 0, 0);
float Quality < string UIName = "Quality"; string UIWidget = "Combo"; string UIEnum = "Off,Low,High,Ultra"; > = 0;
float3 Axis < string UIName = "Axis"; > = {1, 2, 3};
technique T { pass P { } }
)";

class SettingsFileTest : public CreationFixture {
 protected:
  void SetUp() override {
    CreationFixture::SetUp();
    WriteFile("FX\\Bloom.fx", kBloom);
  }
  ShaderParam* Mutable(EffectProxy* proxy, const std::string& name) {
    return const_cast<ShaderParam*>(Param(proxy, name));
  }
  // Attaches with this settings file and has the game create Bloom.
  EffectProxy* Load(const std::string& settings) {
    WriteFile("vantorix_settings.ini", settings);
    AttachWithLevel(1);
    return CreateProxy("Bloom");
  }
  bool DetachSaysLoaded() {
    Detach();
    return ReadFile("Tessaly.log").find("Loaded settings") != std::string::npos;
  }
};

TEST_F(SettingsFileTest, SavesEachKindInItsFormat) {
  AttachWithLevel(1);
  EffectProxy* proxy = CreateProxy("Bloom");
  Mutable(proxy, "Intensity")->floatValue = 0.75f;
  Mutable(proxy, "Enabled")->boolValue = true;
  Mutable(proxy, "Tint")->vectorValue = D3DXVECTOR4(1.0f, 0.9f, 0.8f, 1.0f);
  Mutable(proxy, "Quality")->floatValue = 2.0f;
  proxy->SaveParameterSettings();
  EXPECT_EQ(
      ReadFile("vantorix_settings.ini"),
      "[Bloom]\r\nIntensity=0.750000\r\nEnabled=1\r\nTint=1.000,0.900,0.800,1.000\r\nQuality=2.000000\r\n");
  Mutable(proxy, "Intensity")->floatValue = 123456.7f;
  Mutable(proxy, "Tint")->vectorValue = D3DXVECTOR4(-3e38f, 3e38f, 0.0f, 1.0f);  // very large components
  proxy->SaveParameterSettings();
  proxy->Release();
  Detach();
  std::string file = ReadFile("vantorix_settings.ini");
  EXPECT_NE(file.find("Intensity=123456.703125\r\n"), std::string::npos);
  EXPECT_NE(
      file.find(
          "Tint=-300000000549775575777803994281145270272.000,300000000549775575777803994281145270272.000,"),
      std::string::npos)
      << file;
  EXPECT_NE(file.find(",0.000,1.000\r\n"), std::string::npos);
  EXPECT_TRUE(HasLine(LogLines(), "[INFO] Saved settings for Bloom to .\\vantorix_settings.ini"));
}

TEST_F(SettingsFileTest, LoadsSavedValuesThroughTheProxy) {
  EffectProxy* proxy =
      Load("[bloom]\r\nIntensity=0.5\r\nEnabled=2\r\nTint=1,0,0,1\r\nQuality=2.9\r\nAxis=9,9,9\r\n");
  EXPECT_EQ(Param(proxy, "Intensity")->floatValue, 0.5f);
  EXPECT_EQ(InnerFloat(proxy, "Intensity"), 0.5f);
  EXPECT_EQ(RecordedFloat(proxy, "Intensity"), 0.5f);
  EXPECT_TRUE(Param(proxy, "Enabled")->boolValue);
  const ShaderParam* quality = Param(proxy, "Quality");
  EXPECT_FLOAT_EQ(quality->floatValue, 2.9f);
  EXPECT_EQ(quality->intValue, 2);
  EXPECT_FLOAT_EQ(InnerFloat(proxy, "Quality"), 2.9f);
  D3DXVECTOR4 tint(0, 0, 0, 0);
  proxy->innerEffect->GetVector("Tint", &tint);
  EXPECT_EQ(tint.x, 1.0f);
  EXPECT_EQ(tint.w, 1.0f);
  EXPECT_EQ(sim::GetEffectActivity(proxy->innerEffect).commits, 1);
  proxy->Release();
  Detach();
  EXPECT_TRUE(HasLine(LogLines(), "[INFO] Loaded settings for Bloom"));
}

// Combo indices out of the 32-bit range, from the file or the effect's own default.
TEST_F(SettingsFileTest, HugeAndNanComboValuesGiveClampedIndices) {
  WriteFile("FX\\Combo.fx", R"(
float Big < string UIName = "Big"; string UIWidget = "Combo"; > = 0;
float Small < string UIName = "Small"; string UIWidget = "Combo"; > = 0;
float Nan < string UIName = "Nan"; string UIWidget = "Combo"; > = 0;
float Huge < string UIName = "Huge"; string UIWidget = "Combo"; > = 1e40;
float DefaultBig < string UIName = "DefaultBig"; string UIWidget = "Combo"; > = 1e30;
float DefaultSmall < string UIName = "DefaultSmall"; string UIWidget = "Combo"; > = -1e30;
)");
  WriteFile("vantorix_settings.ini", "[Combo]\r\nBig=1e30\r\nSmall=-1e30\r\nNan=nan\r\nHuge=1e300\r\n");
  AttachWithLevel(1);
  EffectProxy* proxy = CreateProxy("Combo");
  EXPECT_EQ(Param(proxy, "Big")->intValue, INT32_MAX);
  EXPECT_EQ(Param(proxy, "Small")->intValue, INT32_MIN);
  EXPECT_EQ(Param(proxy, "Nan")->intValue, 0);
  EXPECT_EQ(Param(proxy, "Huge")->intValue, INT32_MAX);
  EXPECT_EQ(Param(proxy, "Huge")->floatValue, FLT_MAX);
  EXPECT_EQ(Param(proxy, "DefaultBig")->intValue, INT32_MAX);
  EXPECT_EQ(Param(proxy, "DefaultSmall")->intValue, INT32_MIN);
  proxy->Release();
}

TEST_F(SettingsFileTest, UnparsableTextsLoadAsTheRuntimeReadsThem) {
  EffectProxy* proxy = Load("[Bloom]\r\nEnabled=yes\r\nIntensity=abc\r\nTint=1,0,0\r\n");
  EXPECT_FALSE(Param(proxy, "Enabled")->boolValue);
  EXPECT_EQ(Param(proxy, "Intensity")->floatValue, 0.0f);
  EXPECT_EQ(Param(proxy, "Tint")->vectorValue.x, 0.0f);  // three numbers: ignored
  EXPECT_EQ(proxy->recordedValues.count("Tint"), 0u) << "nothing was set";
  proxy->Release();
  EXPECT_TRUE(DetachSaysLoaded());

  proxy = Load("[Bloom]\r\nTint=1,0,0\r\n");  // alone, it still counts as found
  EXPECT_EQ(sim::GetEffectActivity(proxy->innerEffect).commits, 1);
  proxy->Release();
  EXPECT_TRUE(DetachSaysLoaded());

  proxy = Load("[Other]\r\nIntensity=0.9\r\n");
  EXPECT_EQ(sim::GetEffectActivity(proxy->innerEffect).commits, 0);
  EXPECT_EQ(Param(proxy, "Intensity")->floatValue, 0.1f);
  proxy->Release();
  EXPECT_FALSE(DetachSaysLoaded());
}

// A shader with only untunable kinds writes nothing but says so; a renamed
// parameter loses its value, and its old key stays in the file.
TEST_F(SettingsFileTest, RenamedParameterLosesItsValueAndTheOldKeyStays) {
  WriteFile("FX\\Axis.fx", "float3 Axis < string UIName = \"Axis\"; > = {1, 2, 3};\n");
  AttachWithLevel(1);
  EffectProxy* proxy = CreateProxy("Axis");
  proxy->SaveParameterSettings();
  proxy->Release();
  EXPECT_FALSE(FileExists("vantorix_settings.ini"));
  EXPECT_TRUE(HasLine(LogLines(), "[INFO] Saved settings for Axis to .\\vantorix_settings.ini"));
  proxy = CreateProxy("Bloom");
  Mutable(proxy, "Intensity")->floatValue = 0.6f;
  proxy->SaveParameterSettings();
  proxy->Release();

  std::string renamed = kBloom;
  renamed.replace(renamed.find("float Intensity"), 15, "float Strength");
  WriteFile("FX\\Bloom.fx", renamed);
  proxy = CreateProxy("Bloom");
  EXPECT_EQ(Param(proxy, "Strength")->floatValue, 0.1f);
  proxy->SaveParameterSettings();
  proxy->Release();
  std::string file = ReadFile("vantorix_settings.ini");
  EXPECT_NE(file.find("Intensity=0.600000\r\n"), std::string::npos);
  EXPECT_NE(file.find("Strength=0.100000\r\n"), std::string::npos);
}

// The extended annotation set's kinds load from the file, survive a reload and save back.
TEST_F(SettingsFileTest, ExtendedKindsLoadSurviveAReloadAndSave) {
  WriteFile("FX\\Fog.fx", R"(
float3 Fog < string UIName = "Fog"; string UIWidget = "Color"; > = {0.5, 0.5, 0.5};
int Samples < string UIName = "Samples"; > = 4;
float Hidden < string UIName = "Hidden"; string UIWidget = "NONE"; > = 0.5;
)");
  WriteFile("vantorix_settings.ini", "[Fog]\r\nFog=1,0.25,0\r\nSamples=9999999999\r\nHidden=9\r\n");
  AttachWithLevel(1, "[Compatibility]\r\nExtendedAnnotations=1\r\n");
  EffectProxy* proxy = CreateProxy("Fog");
  ReloadAllShaders(device);
  D3DXVECTOR4 fog(0, 0, 0, 0);
  proxy->innerEffect->GetVector("Fog", &fog);
  INT samples = 0;
  proxy->innerEffect->GetInt("Samples", &samples);
  EXPECT_EQ(fog.y, 0.25f);
  EXPECT_EQ(samples, INT32_MAX) << "held to the 32-bit range";
  EXPECT_EQ(InnerFloat(proxy, "Hidden"), 0.5f) << "a hidden parameter is not loaded";
  proxy->SaveParameterSettings();
  proxy->Release();
  EXPECT_EQ(ReadFile("vantorix_settings.ini"),
            "[Fog]\r\nFog=1.000,0.250,0.000\r\nSamples=2147483647\r\nHidden=9\r\n");
}

}  // namespace
