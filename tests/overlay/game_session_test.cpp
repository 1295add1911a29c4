// A whole game session as real games play it: the device is recreated at a
// new size, lost and reset again, the window is replaced, and several
// scenes make one frame.
#include <imgui.h>

#include <thread>

#include "image_files.h"
#include "overlay/overlay_state.h"
#include "overlay_fixture.h"
#include "sim/host_input.h"
#include "sim/host_kernel.h"

namespace {

const char kSized[] = R"(
float ScreenResolutionX = 0; float AspectRatio = 0; float4 texelSizeL0 = 0;
texture Grain;
float Intensity < string UIName = "Intensity"; > = 0.25;
technique T { pass P { } }
)";

class GameSessionTest : public OverlayFixture {
 protected:
  void SetUp() override {
    OverlayFixture::SetUp();
    WriteFile("FX\\Sized.fx", kSized);
    WriteFile("FX\\TEXTURES\\Grain.dds", test_images::DdsFile(4, 4));
    AttachWithLevel(3);
  }
  static D3DPRESENT_PARAMETERS Presentation(UINT width, UINT height, HWND target) {
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.hDeviceWindow = target;
    return parameters;
  }
  // The top-left corner, where the overlay's title bar and first text line are.
  std::vector<D3DCOLOR> Corner() const {
    std::vector<D3DCOLOR> pixels;
    for (UINT y = 0; y < 120; ++y)
      for (UINT x = 0; x < 450; ++x) pixels.push_back(sim::BackBufferPixel(device, x, y));
    return pixels;
  }
};

TEST_F(GameSessionTest, TheGameRecreatesItsDeviceAndEverythingFollowsTheNewOne) {
  EffectProxy* first = Create("Sized");
  Show();
  const int textures = sim::LiveObjects(sim::ObjectKind::Texture);
  first->Release();
  created.clear();
  EXPECT_EQ(device->Release(), 0u) << "the plug-in keeps nothing alive on the device the game let go";
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Device), 0);

  device = sim::CreateDevice(1280, 960, window);
  EffectProxy* second = Create("Sized");
  Create("Sized");
  EXPECT_EQ(InnerFloat(second, "ScreenResolutionX"), 1280.0f);
  IDirect3DBaseTexture9* grain = nullptr;
  ASSERT_EQ(second->GetTexture("Grain", &grain), D3D_OK);
  ASSERT_NE(grain, nullptr);
  IDirect3DDevice9* owner = nullptr;
  grain->GetDevice(&owner);
  EXPECT_EQ(owner, device) << "an effect gets the textures of its own device";
  owner->Release();
  grain->Release();
  Frame();
  EXPECT_GT(PixelsOverTheGame(), 0) << "the shown overlay is drawn on the new device";
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Texture), textures) << "nothing is loaded twice for one device";
}

TEST_F(GameSessionTest, ALostDeviceDrawsNothingAndAfterAResetToANewSizeAllComesBack) {
  EffectProxy* live = Create("Sized");
  Show();
  Frames(3);  // the window settles where it stays
  const std::vector<D3DCOLOR> before = Corner();
  D3DPRESENT_PARAMETERS parameters = Presentation(1600, 900, window);
  sim::SetResetResult(device, D3DERR_DEVICELOST);
  EXPECT_EQ(device->Reset(&parameters), D3DERR_DEVICELOST);
  const int draws = sim::DrawCallCount(device);
  const int frames = ImGui::GetFrameCount();
  Frames(3);
  EXPECT_EQ(device->Reset(&parameters), D3DERR_DEVICELOST);
  Frames(3);
  EXPECT_EQ(sim::DrawCallCount(device), draws);
  EXPECT_EQ(ImGui::GetFrameCount(), frames) << "a lost device costs no overlay frame";
  sim::SetResetResult(device, D3D_OK);
  ASSERT_EQ(device->Reset(&parameters), D3D_OK);
  ASSERT_EQ(device->Reset(&parameters), D3D_OK) << "a second Reset before the overlay drew again";
  Frames(3);
  EXPECT_EQ(Corner(), before) << "the overlay's text is drawn as before the loss";
  EXPECT_TRUE(HasLine(LogLines(), "[INFO] Detected screen resolution: 1600 x 900 (Aspect Ratio: 1.78)"));
  for (EffectProxy* effect : {live, Create("Sized")}) {
    EXPECT_EQ(InnerFloat(effect, "ScreenResolutionX"), 1600.0f) << "live and later effects";
    EXPECT_EQ(InnerFloat(effect, "AspectRatio"), 1600.0f / 900.0f);
    D3DXVECTOR4 texel;
    effect->GetVector("texelSizeL0", &texel);
    EXPECT_EQ(texel.x, 1.0f / 1600.0f);
  }
}

TEST_F(GameSessionTest, TheOverlayFollowsTheWindowTheDevicePresentsTo) {
  Create("Sized");
  Frame();
  sim::DestroyHostWindow(window);
  Frames(2);
  HWND replaced = window;
  window = sim::CreateHostWindow(&HostWindowProc);
  sim::SetWindowClientArea(window, 0, 0, kWidth, kHeight);
  sim::SetForegroundWindow(window);
  D3DPRESENT_PARAMETERS parameters = Presentation(kWidth, kHeight, window);
  ASSERT_EQ(device->Reset(&parameters), D3D_OK);
  Show();
  EXPECT_TRUE(overlayState.overlayVisible);
  EXPECT_GT(PixelsOverTheGame(), 0);
  hostMessages.clear();
  sim::MouseMove(window, 300, 200);
  Frame();
  EXPECT_FALSE(HostSaw(WM_MOUSEMOVE, 0));
  EXPECT_EQ(ImGui::GetIO().MousePos.x, 300.0f);
  PressEnd();
  EXPECT_TRUE(HasLine(LogLines(), "[INFO] [OK] Reloaded: Sized"));
  EXPECT_EQ(sim::CallsOnDestroyedWindows(), 0) << "the destroyed window " << replaced << " is never called";

  HWND still = window;
  window = sim::CreateHostWindow(&HostWindowProc);
  parameters.hDeviceWindow = window;
  ASSERT_EQ(device->Reset(&parameters), D3D_OK);
  EXPECT_EQ(sim::WindowProcedure(still), &HostWindowProc) << "the old window gets its procedure back";
  sim::DestroyHostWindow(still);
}

TEST_F(GameSessionTest, SeveralScenesMakeOneFrameWithOneOverlayOnTheBackBuffer) {
  Create("Sized");
  Show();
  IDirect3DSurface9 *shadow = nullptr, *back = nullptr;
  ASSERT_EQ(
      device->CreateRenderTarget(64, 64, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &shadow, nullptr),
      D3D_OK);
  device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
  int draws = sim::DrawCallCount(device);
  Frame();
  const int oneScene = sim::DrawCallCount(device) - draws;
  const D3DCOLOR kShadowColor = 0xFF000000;
  auto scene = [&](IDirect3DSurface9* target, D3DCOLOR color) {
    device->SetRenderTarget(0, target);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0);
    device->BeginScene();
    device->EndScene();
  };
  for (bool mainLast : {false, true}) {
    draws = sim::DrawCallCount(device);
    const int frames = ImGui::GetFrameCount();
    if (!mainLast) scene(back, kGameColor);
    scene(shadow, kShadowColor);
    scene(shadow, kShadowColor);
    if (mainLast) scene(back, kGameColor);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(sim::DrawCallCount(device) - draws, oneScene) << "main scene last: " << mainLast;
    EXPECT_EQ(ImGui::GetFrameCount(), frames + 1);
    EXPECT_GT(PixelsOverTheGame(), 0);
    for (UINT y = 0; y < 64; ++y)
      for (UINT x = 0; x < 64; ++x) ASSERT_EQ(sim::RenderTargetPixel(device, shadow, x, y), kShadowColor);
  }
  shadow->Release();
  back->Release();
}

// A loader thread still owns the effect when END is served: the reloaded
// effect goes in on that thread, and the game's last Release still ends the
// device.
TEST_F(GameSessionTest, AReloadTakenInOnALoaderThreadLeavesTheDeviceToTheGame) {
  ID3DXEffect* effect = nullptr;
  std::thread([&] { effect = Create("Sized"); }).join();
  Frame();
  PressEnd();
  EXPECT_TRUE(HasLine(
      LogLines(), "[INFO] Sized is in use: the reloaded effect takes over once the game is done with it"));
  std::thread([&] { effect->SetFloat("Intensity", 0.5f); }).join();
  created.clear();
  effect->Release();
  EXPECT_EQ(device->Release(), 0u) << "the plug-in keeps nothing alive on the device the game let go";
  EXPECT_EQ(sim::LiveObjects(sim::ObjectKind::Device), 0);
  device = sim::CreateDevice(kWidth, kHeight, window);
}

// A reloaded effect's handles lie at new addresses: the names the panel's
// model remembered for the previous effect's go, the game's own stay.
TEST_F(GameSessionTest, ReloadsForgetTheModelsHandlesAndKeepTheGames) {
  EffectProxy* proxy = Create("Sized");
  ID3DXEffect* game = proxy;
  const D3DXHANDLE intensity = game->GetParameterByName(nullptr, "Intensity");
  Frame();
  PressEnd();
  const std::size_t remembered = proxy->parameterNames.size();
  for (int reload = 0; reload < 3; ++reload) PressEnd();
  EXPECT_EQ(proxy->parameterNames.size(), remembered);
  EXPECT_EQ(game->SetFloat(intensity, 0.75f), D3D_OK);
  EXPECT_EQ(InnerFloat(proxy, "Intensity"), 0.75f);
  EXPECT_EQ(InnerFloat(proxy, "ScreenResolutionX"), static_cast<float>(kWidth))
      << "engine values on the reloaded effect";
  IDirect3DBaseTexture9* grain = nullptr;
  proxy->innerEffect->GetTexture("Grain", &grain);
  EXPECT_NE(grain, nullptr) << "and its texture";
  if (grain) grain->Release();
}

}  // namespace
