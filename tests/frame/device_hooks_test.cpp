// The game's EndScene and Reset pass through the plug-in's detours once its
// first effect is created; detach puts the device's code back as it was.
#include <MinHook.h>
#include <imgui.h>

#include <array>
#include <cstring>

#include "frame_fixture.h"
#include "overlay/overlay_state.h"
#include "sim/host_input.h"
#include "sim/host_kernel.h"

namespace {

using CodeBytes = std::array<unsigned char, 16>;

class DeviceHooksTest : public FrameFixture {
 protected:
  void* Slot(int index) { return (*reinterpret_cast<void***>(device))[index]; }
  CodeBytes Code(int index) {
    CodeBytes bytes;
    std::memcpy(bytes.data(), Slot(index), bytes.size());
    return bytes;
  }
  static constexpr int kReset = 16;
  static constexpr int kEndScene = 42;
};

HRESULT STDMETHODCALLTYPE ForeignDetour(IDirect3DDevice9*) {
  return E_FAIL;
}

TEST_F(DeviceHooksTest, TheFirstCreationDetoursBothAndDetachRestoresTheCode) {
  const CodeBytes endScene = Code(kEndScene);
  const CodeBytes reset = Code(kReset);
  sim::RegisterResource(module, "Builtin", "float A = 1;");
  AttachWithLevel(0);
  EXPECT_EQ(Frame(), D3D_OK);
  EXPECT_EQ(Code(kEndScene), endScene) << "nothing is hooked before the first effect";

  ID3DXEffect* builtin = nullptr;
  ASSERT_EQ(HostCreates("Builtin", &builtin), S_OK) << "a fallback creation installs them too";
  EXPECT_NE(Code(kEndScene), endScene);
  EXPECT_NE(Code(kReset), reset);
  EXPECT_TRUE(overlayState.deviceHooksInstalled);
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = 1280;
  parameters.BackBufferHeight = 720;
  EXPECT_EQ(device->Reset(&parameters), D3D_OK) << "a Reset before any frame";
  EXPECT_EQ(ImGui::GetCurrentContext(), nullptr) << "does no overlay work";
  sim::SetClock(5000, SYSTEMTIME{});
  EXPECT_EQ(Frame(), D3D_OK);
  EXPECT_EQ(sim::EndSceneCount(device), 2) << "the detour ends in the device's own EndScene";
  EXPECT_EQ(sim::TickCountReads(), 0) << "without an effect from a file no time is computed";
  sim::SetResetResult(device, D3DERR_DEVICELOST);
  EXPECT_EQ(device->Reset(&parameters), D3DERR_DEVICELOST) << "a failing Reset reaches the game unchanged";
  EXPECT_EQ(sim::ResetCount(device), 2);
  EXPECT_EQ(sim::LastResetParameters(device).BackBufferWidth, 1280u);
  builtin->Release();
  Detach();
  EXPECT_EQ(Code(kEndScene), endScene);
  EXPECT_EQ(Code(kReset), reset);
}

TEST_F(DeviceHooksTest, WhenEndSceneCannotBeHookedResetStillIsAndDetachRemovesEverything) {
  const CodeBytes endScene = Code(kEndScene);
  const CodeBytes reset = Code(kReset);
  WriteFile("FX\\Post.fx", "float Time = -1; technique T { pass P { } }\n");
  AttachWithLevel(0);
  // Another hook already sits on EndScene, so creating ours fails.
  void* original = nullptr;
  ASSERT_EQ(MH_CreateHook(Slot(kEndScene), reinterpret_cast<void*>(&ForeignDetour), &original), MH_OK);

  EffectProxy* proxy = CreateProxy("Post");
  auto lines = LogLines();
  EXPECT_FALSE(HasLine(lines, "[INFO] EndScene Hook initialized."));
  EXPECT_TRUE(HasLine(lines, "[INFO] Reset Hook initialized."));
  EXPECT_FALSE(overlayState.deviceHooksInstalled);
  EXPECT_NE(Code(kReset), reset);
  sim::AdvanceClock(3000);
  EXPECT_EQ(Frame(), D3D_OK);
  EXPECT_EQ(InnerFloat(proxy, "Time"), 0.0f) << "without the EndScene detour no frame work runs";
  proxy->Release();
  Detach();
  EXPECT_EQ(Code(kEndScene), endScene);
  EXPECT_EQ(Code(kReset), reset) << "the Reset detour does not outlive the library";
}

// The address holds nothing, or data: in another program the loader may
// bring the plug-in into.
TEST_F(DeviceHooksTest, AProgramWithoutTheGamesCodeStillLoadsAndUnloads) {
  auto* site = reinterpret_cast<void*>(0x70AAA8);
  const CodeBytes code = *static_cast<CodeBytes*>(site);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(site, 5, PAGE_READWRITE, &old));
  for (bool mapped : {true, false}) {
    if (!mapped) sim::RemoveHostCode();
    AttachWithLevel(2);
    Detach();
    const std::vector<std::string> expected = {
        "[INFO] Setting hooks...",
        "[ERROR] No game code at " + LoggedAddress(0x70AAA8) + ": effects are not redirected"};
    EXPECT_EQ(LogLines(), expected);
    EXPECT_TRUE(!mapped || *static_cast<CodeBytes*>(site) == code) << "the data is left as it was";
  }
  ASSERT_TRUE(sim::InstallHostCode());
}

TEST_F(DeviceHooksTest, HoldingEndReloadsOnceAndEachNewPressReloadsAgain) {
  WriteFile("FX\\Post.fx", "float Strength = 1; technique T { pass P { } }\n");
  AttachWithLevel(0);
  EffectProxy* proxy = CreateProxy("Post");
  const char kStarted[] = "[INFO] === HOT-RELOAD STARTED ===";
  for (int repeat = 0; repeat < 3; ++repeat) {
    sim::KeyDown(window, VK_END);  // the key's repeats
    Frame();
  }
  EXPECT_EQ(CountLines(kStarted), 1) << "holding the key gives one reload";
  EXPECT_EQ(CountLines("[INFO] [OK] Reloaded: Post"), 1);
  sim::KeyUp(window, VK_END);
  Frame();
  sim::KeyDown(window, VK_END);
  Frame();
  EXPECT_EQ(CountLines(kStarted), 2) << "release and press again gives another";
  EXPECT_EQ(sim::EndSceneCount(device), 5);
  sim::KeyUp(window, VK_END);
  Frame();
  // A game whose window hears no keys: the key is read every few frames.
  sim::SetKeyDown(VK_END, true);
  for (int frame = 0; frame < 6; ++frame) Frame();
  sim::SetKeyDown(VK_END, false);
  EXPECT_EQ(CountLines(kStarted), 3);
  for (int frame = 0; frame < 6; ++frame) Frame();
  sim::SetKeyDown(VK_END, true);  // a tap between two reads
  sim::SetKeyDown(VK_END, false);
  for (int frame = 0; frame < 6; ++frame) Frame();
  EXPECT_EQ(CountLines(kStarted), 4);
  proxy->Release();
}

}  // namespace
