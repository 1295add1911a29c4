// The player presses END: every shader the game created from a file is
// compiled again and swapped into the proxy the game holds.
#include "overlay/hot_reload.h"

#include <algorithm>
#include <cstdio>

#include "creation_fixture.h"
#include "hook/shader_source.h"

namespace {

const char kBloom[] = R"(float Intensity < string UIName = "Intensity"; > = 0.2;
float Radius = 1.0;
technique Day { pass P0 { } }
technique Night { pass P0 { } }
)";

const char kSky[] = "float Haze < string UIName = \"Haze\"; > = 0.5;\ntechnique Sky { pass P0 { } }\n";

class HotReloadTest : public CreationFixture {
 protected:
  void TearDown() override {
    for (EffectProxy* proxy : held) proxy->Release();
    CreationFixture::TearDown();
  }

  EffectProxy* Create(const char* name) {
    EffectProxy* proxy = CreateProxy(name);
    if (proxy) held.push_back(proxy);
    return proxy;
  }

  // The log lines of the last reload, from its first line to its last, without stamps.
  std::vector<std::string> ReloadLines() {
    std::vector<std::string> lines;
    for (const auto& line : LogLines()) lines.push_back(WithoutStamp(line));
    auto first = std::find(lines.rbegin(), lines.rend(), "[INFO] === HOT-RELOAD STARTED ===");
    if (first == lines.rend()) return {};
    return std::vector<std::string>(first.base() - 1, lines.end());
  }

  std::string CurrentTechnique(EffectProxy* proxy) {
    D3DXTECHNIQUE_DESC desc{};
    ID3DXEffect* inner = proxy->innerEffect;
    if (FAILED(inner->GetTechniqueDesc(inner->GetCurrentTechnique(), &desc)) || !desc.Name) return "";
    return desc.Name;
  }

  std::vector<EffectProxy*> held;
};

// A broken file keeps its effect; the others are compiled again, warnings
// unsaid, with none of the game's creation arguments.
TEST_F(HotReloadTest, EditedFilesReplaceTheEffectInsideTheSameProxy) {
  WriteFile("FX\\Bloom.fx", kBloom);
  WriteFile("FX\\Sky.fx", kSky);
  AttachWithLevel(2);
  EffectProxy* bloom = Create("Bloom");
  EffectProxy* sky = Create("Sky");
  ID3DXEffect* bloomBefore = bloom->innerEffect;
  ID3DXEffect* skyBefore = sky->innerEffect;
  D3DXHANDLE haze = sky->GetParameterByName(nullptr, "Haze");
  WriteFile("FX\\Bloom.fx", "float Intensity = ;\n");
  WriteFile("FX\\Sky.fx", std::string("#pragma message \"tune me\"\nfloat Fog = 3.0;\n") + kSky);
  sim::ClearEffectCalls();

  ReloadAllShaders(device);
  auto lines = ReloadLines();
  ASSERT_EQ(lines.size(), 7u);  // the compiler's text ends with its own newline
  EXPECT_EQ(lines[1], "[INFO] Found 2 shaders to reload.");
  EXPECT_EQ(lines[2], "[ERROR] [FAIL] Bloom");
  EXPECT_EQ(lines[3].rfind("[ERROR] DX9 Error: FX\\Bloom.fx(1,", 0), 0u) << lines[3];
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], "[INFO] [OK] Reloaded: Sky");
  EXPECT_EQ(lines[6], "[INFO] === HOT-RELOAD FINISHED ===");
  EXPECT_EQ(bloom->innerEffect, bloomBefore);
  EXPECT_EQ(InnerFloat(bloom, "Intensity"), 0.2f);
  EXPECT_NE(sky->innerEffect, skyBefore);
  EXPECT_EQ(InnerFloat(sky, "Fog"), 3.0f);
  EXPECT_EQ(sky->SetFloat(haze, 0.7f), S_OK);  // the game's handle still works
  EXPECT_EQ(InnerFloat(sky, "Haze"), 0.7f);
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Buffer), 0);
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Effect), 2);
  auto call = sim::LastEffectFileCall();
  EXPECT_EQ(sim::EffectFileCallCount(), 2);
  EXPECT_EQ(call.device, device);
  EXPECT_EQ(call.source, "FX\\Sky.fx");
  EXPECT_FALSE(call.definesGiven);
  EXPECT_EQ(call.include, static_cast<ID3DXInclude*>(&includeHandler));
  EXPECT_EQ(call.flags, 0u);
  EXPECT_EQ(call.pool, nullptr);
  EXPECT_TRUE(call.errorsPlaceGiven);
}

// Values set by the panel, by the game or from the settings file survive in
// the effect and the panel; defaults nobody changed follow the edited file.
TEST_F(HotReloadTest, SetValuesStayAndUntouchedDefaultsFollowTheFile) {
  const char* const source =
      "float Untouched < string UIName = \"U\"; > = 0.1;\n"
      "float Tuned < string UIName = \"T\"; > = 0.1;\n"
      "float Game < string UIName = \"G\"; > = 0.1;\n"
      "float Saved < string UIName = \"S\"; > = 0.1;\n"
      "float4 Tint < string UIName = \"C\"; > = float4(1, 1, 1, 1);\n";
  WriteFile("FX\\Grade.fx", source);
  WriteFile("vantorix_settings.ini", "[Grade]\r\nSaved=0.700000\r\n");
  AttachWithLevel(1);
  EffectProxy* grade = Create("Grade");
  grade->SetFloat(Param(grade, "Tuned")->handle, 0.5f);  // as the panel sends it
  grade->SetFloat(grade->GetParameterByName(nullptr, "Game"), 0.6f);
  grade->SetFloat(grade->GetParameterByName(nullptr, "Tint"), 0.5f);  // four bytes for a colour
  std::string edited = std::string("float Added < string UIName = \"A\"; > = 0.3;\n") + source;
  for (std::size_t at = edited.find("0.1"); at != std::string::npos; at = edited.find("0.1", at))
    edited.replace(at, 3, "0.9");
  WriteFile("FX\\Grade.fx", edited);

  ReloadAllShaders(device);
  const char* const names[] = {"Untouched", "Tuned", "Game", "Saved", "Added"};
  const float expected[] = {0.9f, 0.5f, 0.6f, 0.7f, 0.3f};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(InnerFloat(grade, names[i]), expected[i]) << names[i];
    ASSERT_NE(Param(grade, names[i]), nullptr) << names[i];
    EXPECT_EQ(Param(grade, names[i])->floatValue, expected[i]) << names[i] << " in the panel";
    EXPECT_EQ(Param(grade, names[i])->handle, grade->innerEffect->GetParameterByName(nullptr, names[i]));
  }
  EXPECT_EQ(Param(grade, "Tint")->vectorValue.x, 1.0f) << "four bytes do not make a colour";
  EXPECT_GE(sim::GetEffectActivity(grade->innerEffect).commits, 1);
}

TEST_F(HotReloadTest, TheSelectedTechniqueFollowsByNameOrStaysAsCompiled) {
  WriteFile("FX\\Bloom.fx", kBloom);
  AttachWithLevel(3);
  EffectProxy* bloom = Create("Bloom");
  EXPECT_EQ(bloom->SetTechnique(bloom->GetTechniqueByName("Night")), S_OK);

  ReloadAllShaders(device);
  EXPECT_EQ(CurrentTechnique(bloom), "Night");

  std::string renamed = kBloom;
  renamed.replace(renamed.find("Night"), 5, "Dusk");
  WriteFile("FX\\Bloom.fx", renamed);
  ReloadAllShaders(device);
  EXPECT_EQ(CurrentTechnique(bloom), "Day");
  EXPECT_EQ(bloom->currentTechniqueName, "Night");
  auto lines = ReloadLines();
  ASSERT_EQ(lines.size(), 5u);  // nothing said about the missing technique
  EXPECT_EQ(lines[2], "[INFO] [OK] Reloaded: Bloom");

  std::remove((workDir + "/FX/Bloom.fx").c_str());  // listed, but no effect file any more
  ReloadAllShaders(device);
  lines = ReloadLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "[INFO] Found 0 shaders to reload.");
  EXPECT_EQ(lines[2], "[INFO] === HOT-RELOAD FINISHED ===");
  EXPECT_EQ(lines[3].rfind("[DEBUG] [ReloadAllShaders] took ", 0), 0u) << lines[3];
}

// The record leaves the list while the file compiles (as detach would do it).
TEST_F(HotReloadTest, AProxyGoneDuringItsCompileIsSkipped) {
  WriteFile("FX\\Bloom.fx", kBloom);
  WriteFile("FX\\Sky.fx", kSky);
  AttachWithLevel(1);
  EffectProxy* bloom = Create("Bloom");
  EffectProxy* sky = Create("Sky");
  ID3DXEffect* before = bloom->innerEffect;
  int effectsDuringCompile = -1;
  sim::SetEffectFileCompileHook([&](const std::string& path) {
    if (path != "FX\\Bloom.fx") return;
    effectsDuringCompile = sim::LiveObjects(sim::ObjectKind::Effect);
    EnterCriticalSection(&liveShadersLock);
    liveShaders.erase(liveShaders.begin());
    LeaveCriticalSection(&liveShadersLock);
    bloom->Release();
  });

  ReloadAllShaders(device);
  sim::SetEffectFileCompileHook(nullptr);
  EXPECT_EQ(ReloadLines(), (std::vector<std::string>{
                               "[INFO] === HOT-RELOAD STARTED ===", "[INFO] Found 2 shaders to reload.",
                               "[WARN] [SKIP] Proxy died during compile: Bloom", "[INFO] [OK] Reloaded: Sky",
                               "[INFO] === HOT-RELOAD FINISHED ==="}));
  EXPECT_EQ(bloom->innerEffect, before);
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Effect), effectsDuringCompile - 1);
  EXPECT_EQ(sky->refCount, 2u);
}

// The game keeps the handles it got at creation and sets values through them
// every frame, twice per reload here; after each reload they reach the effect
// now inside the proxy and are recorded under their names, also when the
// simulated D3DX builds a later effect where a freed one was.
TEST_F(HotReloadTest, HandlesSetEveryFrameReachEachReloadedEffect) {
  AttachWithLevel(1);
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), S_OK);
  for (bool reuse : {false, true}) {
    SCOPED_TRACE(reuse ? "addresses reused" : "fresh addresses");
    sim::SetHandleReuse(reuse);
    const std::string name = reuse ? "Pond" : "Water";
    WriteFile("FX\\" + name + ".fx", "float Gain = 0.5;\ntexture Map;\n");
    EffectProxy* proxy = Create(name.c_str());
    ID3DXEffect* game = proxy;
    D3DXHANDLE gain = game->GetParameterByName(nullptr, "Gain");
    D3DXHANDLE map = game->GetParameterByName(nullptr, "Map");
    bool addressCameBack = false;
    for (int reload = 0; reload < 4; ++reload) {
      SCOPED_TRACE("after reload " + std::to_string(reload));
      const float g = 1.0f + static_cast<float>(reload);
      for (int frame = 0; frame < 2; ++frame) {
        EXPECT_EQ(game->SetFloat(gain, g), S_OK);
        EXPECT_EQ(game->SetTexture(map, texture), S_OK);
      }
      EXPECT_EQ(InnerFloat(proxy, "Gain"), g) << "the value reached the current effect";
      IDirect3DBaseTexture9* readMap = nullptr;
      EXPECT_EQ(proxy->innerEffect->GetTexture("Map", &readMap), S_OK);
      EXPECT_EQ(readMap, texture);
      if (readMap) readMap->Release();
      EXPECT_EQ(proxy->recordedValues["Gain"], BytesOf(g)) << "recorded by name for the next reload";

      ID3DXEffect* inner = proxy->innerEffect;
      ReloadAllShaders(device);
      ASSERT_NE(proxy->innerEffect, inner);
      addressCameBack = addressCameBack || proxy->innerEffect->GetParameterByName(nullptr, "Gain") == gain;
    }
    EXPECT_EQ(addressCameBack, reuse) << "a later effect was built where the first one was";
  }
  sim::SetHandleReuse(false);
  texture->Release();
}

// END while the game draws with an effect: its EndPass and End reach the
// effect they began on, and the reloaded effect takes over at the next frame.
TEST_F(HotReloadTest, ABegunEffectIsReloadedOnceTheGameHasEndedIt) {
  WriteFile("FX\\Bloom.fx", kBloom);
  AttachWithLevel(1);
  EffectProxy* bloom = Create("Bloom");
  ID3DXEffect* game = bloom;
  ID3DXEffect* before = bloom->innerEffect;
  UINT passes = 0;
  ASSERT_EQ(game->Begin(&passes, 0), S_OK);
  ASSERT_EQ(game->BeginPass(0), S_OK);
  ReloadAllShaders(device);
  EXPECT_EQ(bloom->innerEffect, before);
  EXPECT_EQ(game->EndPass(), S_OK);
  EXPECT_EQ(game->End(), S_OK);
  EXPECT_TRUE(HasLine(
      LogLines(), "[INFO] Bloom is in use: the reloaded effect takes over once the game is done with it"));
  device->BeginScene();
  device->EndScene();
  EXPECT_NE(bloom->innerEffect, before);
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Effect), 1);
}

// A value set by name, matrices set transposed and textures come back after
// a reload, the proxy holding one reference on each texture it keeps; values
// that no longer fit their parameter are left out, each with a WARN line.
TEST_F(HotReloadTest, ReloadPutsBackEverythingTheGameGave) {
  const std::string source =
      "float Fog = 0.1;\nfloat4x4 View;\nfloat4x4 Bones[2];\ntexture Dirt;\ntexture Lens;\n"
      "float Grow = 1;\nfloat Weights[4];\n";
  WriteFile("FX\\Water.fx", source);
  AttachWithLevel(1);
  ID3DXEffect* game = Create("Water");
  D3DXMATRIX set[2];
  for (int i = 0; i < 32; ++i) set[i / 16].m[i / 4 % 4][i % 4] = static_cast<float>(i);
  IDirect3DTexture9* textures[3] = {};
  for (IDirect3DTexture9*& texture : textures)
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), S_OK);
  const float weights[4] = {1, 2, 3, 4};
  EXPECT_EQ(game->SetFloat("Fog", 0.7f), S_OK);
  EXPECT_EQ(game->SetMatrixTranspose(game->GetParameterByName(nullptr, "View"), &set[0]), S_OK);
  EXPECT_EQ(game->SetMatrixTransposeArray(game->GetParameterByName(nullptr, "Bones"), set, 2), S_OK);
  EXPECT_EQ(game->SetTexture(game->GetParameterByName(nullptr, "Dirt"), textures[0]), S_OK);
  EXPECT_EQ(game->SetTexture("Lens", textures[1]), S_OK);
  EXPECT_EQ(game->SetTexture("Lens", textures[2]), S_OK);
  EXPECT_EQ(game->SetFloat(game->GetParameterByName(nullptr, "Grow"), 5.0f), S_OK);
  EXPECT_EQ(game->SetFloatArray(game->GetParameterByName(nullptr, "Weights"), weights, 4), S_OK);
  EXPECT_EQ(textures[1]->Release(), 0u) << "nothing keeps the texture the game replaced";
  std::string edited = source;
  edited.replace(edited.find("float Grow = 1"), 14, "float4 Grow = 1");
  edited.replace(edited.find("Weights[4]"), 10, "Weights[2]");
  WriteFile("FX\\Water.fx", edited);

  ReloadAllShaders(device);
  ID3DXEffect* inner = static_cast<EffectProxy*>(game)->innerEffect;
  EXPECT_EQ(InnerFloat(static_cast<EffectProxy*>(game), "Fog"), 0.7f);
  D3DXMATRIX held[3];
  EXPECT_EQ(inner->GetMatrixTranspose("View", &held[0]), S_OK);
  EXPECT_EQ(inner->GetMatrixTransposeArray("Bones", &held[1], 2), S_OK);
  const D3DXMATRIX expected[3] = {set[0], set[0], set[1]};
  EXPECT_EQ(BytesOf(held), BytesOf(expected)) << "as the game set them";
  for (auto [name, texture] : {std::pair{"Dirt", textures[0]}, std::pair{"Lens", textures[2]}}) {
    IDirect3DBaseTexture9* bound = nullptr;
    EXPECT_EQ(inner->GetTexture(name, &bound), S_OK);
    EXPECT_EQ(bound, texture) << name;
    if (bound) bound->Release();
  }
  D3DXVECTOR4 grow(0, 0, 0, 0);
  float shrunk[2] = {-1, -1};
  EXPECT_EQ(inner->GetVector("Grow", &grow), S_OK);
  EXPECT_EQ(inner->GetFloatArray("Weights", shrunk, 2), S_OK);
  EXPECT_EQ(std::vector<float>({grow.x, grow.w, shrunk[0], shrunk[1]}), std::vector<float>({1, 1, 0, 0}));
  std::vector<std::string> warnings;
  for (const std::string& line : LogLines()) {
    if (line.rfind("[WARN]", 0) == 0) warnings.push_back(line);
  }
  EXPECT_EQ(
      warnings,
      (std::vector<std::string>{
          "[WARN] Recorded value of Grow no longer fits the reloaded parameter of Water: not written",
          "[WARN] Recorded value of Weights no longer fits the reloaded parameter of Water: not written"}));
  textures[0]->Release();
  textures[2]->Release();
}

}  // namespace
