// The game creates its effects; loose files replace them, the rest falls
// back to the game's own resources.
#include "creation_fixture.h"
#include "hook/shader_source.h"

namespace {

const char kMain[] =
    "float Intensity < string UIName = \"Intensity\"; > = 0.5;\n"
    "technique Main { pass P0 { } }\n";

class CreationHookTest : public CreationFixture {};

TEST_F(CreationHookTest, FileReplacesTheResourceWithAListedProxy) {
  WriteFile("FX\\MAIN.fx", kMain);
  sim::RegisterResource(module, "MAIN", "float Builtin = 1;");
  AttachWithLevel(1);
  ID3DXEffectPool* pool = nullptr;
  ASSERT_EQ(D3DXCreateEffectPool(&pool), D3D_OK);
  const D3DXMACRO defines[] = {{"QUALITY", "2"}, {nullptr, nullptr}};
  auto* hostInclude = reinterpret_cast<ID3DXInclude*>(0x5678);
  ID3DXEffect* effect = nullptr;
  auto* untouched = reinterpret_cast<ID3DXBuffer*>(0x1234);
  ID3DXBuffer* errors = untouched;
  EXPECT_EQ(HostCreates("MAIN", &effect, &errors, hostInclude, 0x800, defines, pool), S_OK);
  EXPECT_EQ(errors, untouched);
  ASSERT_NE(effect, nullptr);
  EXPECT_FALSE(sim::GetEffectActivity(effect).simulated);  // a proxy, not the D3DX effect
  EXPECT_NE(effect->GetParameterByName(nullptr, "Intensity"), nullptr);
  EXPECT_EQ(effect->GetParameterByName(nullptr, "Builtin"), nullptr);
  EXPECT_EQ(sim::ResourceCallCount(), 0);
  ASSERT_EQ(liveShaders.size(), 1u);
  EXPECT_EQ(liveShaders[0].name, "MAIN");
  EXPECT_EQ(liveShaders[0].proxy, effect);
  EXPECT_EQ(liveShaders[0].proxy->refCount, 2u);
  // The file is compiled with the game's defines, flags and pool, and our include handler.
  auto call = sim::LastEffectFileCall();
  EXPECT_EQ(call.device, device);
  EXPECT_EQ(call.source, "FX\\MAIN.fx");
  EXPECT_TRUE(call.definesGiven);
  EXPECT_EQ(call.defines, (std::vector<std::pair<std::string, std::string>>{{"QUALITY", "2"}}));
  EXPECT_EQ(call.include, static_cast<ID3DXInclude*>(&includeHandler));
  EXPECT_EQ(call.flags, 0x800u);
  EXPECT_EQ(call.pool, pool);
  EXPECT_TRUE(call.effectPlaceGiven);
  EXPECT_NE(call.effectPlace, &effect);
  EXPECT_TRUE(call.errorsPlaceGiven);
  EXPECT_NE(call.errorsPlace, &errors);
  effect->Release();
  Detach();
  pool->Release();
  auto lines = LogLines();
  const std::vector<std::string> expected = {
      "[INFO] Setting hooks...",
      "[INFO] Hook triggered for shader: MAIN",
      "[INFO] Detected screen resolution: 1920 x 1080 (Aspect Ratio: 1.78)",
      "[INFO] Found 0 2D textures and 0 3D/Volume textures.",
      "[INFO] Custom texture loading complete.",
      "[INFO] EndScene Hook initialized.",
      "[INFO] Reset Hook initialized.",
      "[INFO] Trying to load shader from file: FX\\MAIN.fx",
      "[INFO] Shader loaded successfully from file: FX\\MAIN.fx"};
  EXPECT_EQ(lines, expected) << "the first creation sets up textures and device hooks before compiling";
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Effect), 0);
}

// Every argument of the game's call reaches D3DX unchanged, whether there is
// no file or the file does not compile.
TEST_F(CreationHookTest, FallbacksPassTheHostsOwnArguments) {
  sim::RegisterResource(module, "Sky", "float Haze = 0.25;");
  sim::RegisterResource(module, "Broken", "float Builtin = 1;");
  WriteFile("FX\\Broken.fx", "float A = 1;\nfloat B = ;\n");
  AttachWithLevel(2);
  ID3DXEffectPool* pool = nullptr;
  ASSERT_EQ(D3DXCreateEffectPool(&pool), D3D_OK);
  const D3DXMACRO defines[] = {{"FOG", nullptr}, {"LEVEL", "3"}, {nullptr, nullptr}};
  auto* hostInclude = reinterpret_cast<ID3DXInclude*>(0x5678);
  for (const char* name : {"Sky", "Broken"}) {
    SCOPED_TRACE(name);
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    EXPECT_EQ(HostCreates(name, &effect, &errors, hostInclude, 0x800, defines, pool), S_OK);
    ASSERT_NE(effect, nullptr);
    EXPECT_TRUE(sim::GetEffectActivity(effect).simulated);
    auto call = sim::LastResourceCall();
    EXPECT_EQ(call.device, device);
    EXPECT_EQ(call.module, module);
    EXPECT_EQ(call.source, name);
    EXPECT_EQ(call.defines, (std::vector<std::pair<std::string, std::string>>{{"FOG", ""}, {"LEVEL", "3"}}));
    EXPECT_EQ(call.include, hostInclude);
    EXPECT_EQ(call.flags, 0x800u);
    EXPECT_EQ(call.pool, pool);
    EXPECT_EQ(call.effectPlace, &effect);
    EXPECT_EQ(call.errorsPlace, &errors);
    EXPECT_TRUE(liveShaders.empty());
    effect->Release();
  }
  Detach();
  pool->Release();
  auto lines = LogLines();
  EXPECT_TRUE(HasLine(lines, "[INFO] Falling back to original resource shader for: Sky"));
  EXPECT_FALSE(HasLine(lines, "[INFO] Falling back to original resource shader for: Broken"));
  std::string log = ReadFile("Tessaly.log");
  EXPECT_NE(log.find("[ERROR] Shader FAILED to load from file: FX\\Broken.fx\n"), std::string::npos);
  EXPECT_NE(log.find("[ERROR] Shader compile errors:\nFX\\Broken.fx(2,"), std::string::npos) << log;
}

TEST_F(CreationHookTest, AtTheDefaultLevelAFailedCompileShowsNoResultLine) {
  WriteFile("FX\\Broken.fx", "float B = ;\n");
  sim::RegisterResource(module, "Broken", "float Builtin = 1;");
  AttachWithLevel(1);
  ID3DXEffect* effect = nullptr;
  EXPECT_EQ(HostCreates("Broken", &effect), S_OK);
  effect->Release();
  Detach();
  auto lines = LogLines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[7], "[INFO] Trying to load shader from file: FX\\Broken.fx");
}

// Each creation is timed at level 3, from a file or from the resource.
TEST_F(CreationHookTest, WarningsAreLoggedAndTheEffectIsUsed) {
  WriteFile("FX\\Warn.fx", "#pragma message \"tune me\"\nfloat A = 1;\n");
  sim::RegisterResource(module, "Sky", "float Haze = 0.25;");
  AttachWithLevel(3);
  CreateProxy("Warn")->Release();
  ID3DXEffect* sky = nullptr;
  HostCreates("Sky", &sky);
  sky->Release();
  Detach();
  std::string log = ReadFile("Tessaly.log");
  EXPECT_NE(log.find("[WARN] Shader warnings:\n"), std::string::npos);
  EXPECT_NE(log.find("tune me"), std::string::npos);
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Buffer), 0);
  int timed = 0;
  for (const auto& line : LogLines())
    timed += line.rfind("[DEBUG] [D3DXCreateEffectFromResourceHook] took ", 0) == 0;
  EXPECT_EQ(timed, 2);
}

TEST_F(CreationHookTest, NumberedAndOverlongResourcesGoToTheResourceUnchanged) {
  std::string longName(300, 'L');
  WriteFile("FX\\" + std::string(200, 'L') + ".fx", kMain);
  AttachWithLevel(1);
  ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(0x1);
  HostCreates(reinterpret_cast<const char*>(static_cast<std::uintptr_t>(101)), &effect);
  EXPECT_EQ(sim::LastResourceCall().module, module);
  EXPECT_EQ(sim::LastResourceCall().source, "#101");
  HostCreates(longName.c_str(), &effect);
  EXPECT_EQ(sim::LastResourceCall().source, longName);
  EXPECT_EQ(sim::ResourceCallCount(), 2);
  EXPECT_TRUE(liveShaders.empty());
  Detach();
  auto lines = LogLines();
  EXPECT_TRUE(HasLine(lines, "[INFO] Hook triggered for shader: #101"));
  EXPECT_TRUE(HasLine(lines, "[INFO] Falling back to original resource shader for: #101"));
  EXPECT_TRUE(HasLine(lines, "[INFO] Falling back to original resource shader for: " + longName));
}

TEST_F(CreationHookTest, AHostThatKeepsNoEffectLeavesNothingBehind) {
  WriteFile("FX\\MAIN.fx", kMain);
  AttachWithLevel(1);
  EXPECT_EQ(HostCreates("MAIN", nullptr), S_OK);
  ASSERT_EQ(liveShaders.size(), 1u);
  EXPECT_EQ(liveShaders[0].proxy->refCount, 1u);
  Detach();
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Effect), 0);
}

}  // namespace
