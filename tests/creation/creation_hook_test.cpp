// The game creates its effects; loose files replace them, the rest falls
// back to the game's own resources.
#include "creation_fixture.h"
#include "hook/shader_source.h"

namespace {

const char kMain[] =
    "float Intensity < string UIName = \"Intensity\"; > = 0.5;\n"
    "technique Main { pass P0 { } }\n";

class CreationHookTest : public CreationFixture {};

// A file is compiled with the game's defines, flags and pool and our include
// handler, into a listed proxy; without a file, or when it does not compile,
// every argument of the game's call reaches the resource call unchanged.
TEST_F(CreationHookTest, FileReplacesTheResourceAndFallbacksPassTheHostsOwnArguments) {
  WriteFile("FX\\MAIN.fx", kMain);
  WriteFile("FX\\Broken.fx", "float A = 1;\nfloat B = ;\n");
  const char* const names[] = {"MAIN", "Sky", "Broken"};
  for (const char* name : names) sim::RegisterResource(module, name, "float Builtin = 1;");
  AttachWithLevel(2);
  ID3DXEffectPool* pool = nullptr;
  ASSERT_EQ(D3DXCreateEffectPool(&pool), D3D_OK);
  const D3DXMACRO defines[] = {{"FOG", nullptr}, {"LEVEL", "3"}, {nullptr, nullptr}};
  auto* hostInclude = reinterpret_cast<ID3DXInclude*>(0x5678);
  for (const char* name : names) {
    SCOPED_TRACE(name);
    const bool fromFile = name == names[0];
    ID3DXEffect* effect = nullptr;
    auto* untouched = reinterpret_cast<ID3DXBuffer*>(0x1234);
    ID3DXBuffer* errors = untouched;
    EXPECT_EQ(HostCreates(name, &effect, &errors, hostInclude, 0x800, defines, pool), S_OK);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(sim::GetEffectActivity(effect).simulated, !fromFile) << "a proxy, or the D3DX effect";
    EXPECT_EQ(effect->GetParameterByName(nullptr, "Builtin") == nullptr, fromFile);
    auto call = fromFile ? sim::LastEffectFileCall() : sim::LastResourceCall();
    EXPECT_EQ(call.device, device);
    EXPECT_EQ(call.module, fromFile ? nullptr : module);
    EXPECT_EQ(call.source, fromFile ? "FX\\MAIN.fx" : name);
    EXPECT_EQ(call.defines, (std::vector<std::pair<std::string, std::string>>{{"FOG", ""}, {"LEVEL", "3"}}));
    EXPECT_EQ(call.include, fromFile ? static_cast<ID3DXInclude*>(&includeHandler) : hostInclude);
    EXPECT_EQ(call.flags, 0x800u);
    EXPECT_EQ(call.pool, pool);
    EXPECT_TRUE(call.effectPlaceGiven && call.errorsPlaceGiven);
    EXPECT_EQ(call.effectPlace == &effect, !fromFile);
    EXPECT_EQ(call.errorsPlace == &errors, !fromFile);
    if (fromFile) {
      EXPECT_EQ(errors, untouched);
      ASSERT_EQ(liveShaders.size(), 1u);
      EXPECT_EQ(liveShaders[0].name, "MAIN");
      EXPECT_EQ(liveShaders[0].proxy, effect);
      EXPECT_EQ(liveShaders[0].proxy->refCount, 2u);
    }
    effect->Release();
  }
  EXPECT_EQ(sim::ResourceCallCount(), 2);
  EXPECT_EQ(liveShaders.size(), 1u);
  Detach();
  pool->Release();
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Effect), 0);
  auto lines = LogLines();
  EXPECT_EQ(
      lines,
      (std::vector<std::string>{
          "[INFO] Setting hooks...", "[INFO] Hook triggered for shader: MAIN",
          "[INFO] Detected screen resolution: 1920 x 1080 (Aspect Ratio: 1.78)",
          "[INFO] Found 0 2D textures and 0 3D/Volume textures.", "[INFO] Custom texture loading complete.",
          "[INFO] EndScene Hook initialized.", "[INFO] Reset Hook initialized.",
          "[INFO] Trying to load shader from file: FX\\MAIN.fx",
          "[INFO] Shader loaded successfully from file: FX\\MAIN.fx", "[INFO] Hook triggered for shader: Sky",
          "[INFO] Falling back to original resource shader for: Sky",
          "[INFO] Hook triggered for shader: Broken", "[INFO] Trying to load shader from file: FX\\Broken.fx",
          "[ERROR] Shader FAILED to load from file: FX\\Broken.fx", "[ERROR] Shader compile errors:",
          "FX\\Broken.fx(2,11): error X3000: syntax error: unexpected token ';'", ""}))
      << "the first creation sets up textures and device hooks before compiling";
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
  std::string longName(256, 'L');  // no room left for its NUL
  WriteFile("FX\\" + std::string(200, 'L') + ".fx", kMain);
  AttachWithLevel(1);
  ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(0x1);
  // Neither is a resource of the game: its failure reaches the game.
  EXPECT_TRUE(FAILED(HostCreates(reinterpret_cast<const char*>(static_cast<std::uintptr_t>(101)), &effect)));
  EXPECT_EQ(effect, nullptr);
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
