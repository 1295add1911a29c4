// The overlay end to end in the game: a dragged slider reaches the effect
// and the settings file, the buttons do their work, the picture over the
// game, and what detach leaves behind.
#include <imgui.h>

#include <cmath>
#include <cstring>

#include "overlay/overlay.h"
#include "overlay/overlay_state.h"
#include "overlay_fixture.h"
#include "sim/host_input.h"
#include "sim/host_kernel.h"

namespace {

using OverlayHostTest = OverlayFixture;

// One 8-bit channel of a colour.
int Channel(D3DCOLOR color, int shift) {
  return static_cast<int>((color >> shift) & 0xFF);
}

TEST_F(OverlayHostTest, ADraggedSliderReachesTheEffectAndTheSavedFile) {
  WriteFile("FX\\Bloom.fx", kBloom);
  AttachQuietly();
  EffectProxy* proxy = Create("Bloom");
  Frame();
  sim::PressKey(window, VK_INSERT);
  Frames(2);

  const sim::Widget slider = Find("Intensity");
  DragTo(slider, slider.left + (slider.right - slider.left) * 3 / 4);
  FLOAT inner = 0;
  proxy->innerEffect->GetFloat("Intensity", &inner);
  float recorded = 0;
  std::memcpy(&recorded, proxy->recordedValues.at("Intensity").data(), sizeof(recorded));
  EXPECT_GT(inner, 0.6f);
  EXPECT_LT(inner, 0.9f);
  EXPECT_FLOAT_EQ(recorded, inner) << "the proxy records what the slider sent";

  Click(Find("SAVE CONFIG TO DISK"));
  char expected[64];
  std::snprintf(expected, sizeof(expected), "[Bloom]\r\nIntensity=%f\r\n", static_cast<double>(inner));
  EXPECT_EQ(ReadFile("vantorix_settings.ini"), expected);
  EXPECT_TRUE(HasLine(LogLines(), "[INFO] Saved settings for Bloom to .\\vantorix_settings.ini"));

  EXPECT_FALSE(overlayState.reloadRequested);
  Click(Find("Force Reload (END)"));
  EXPECT_TRUE(overlayState.reloadRequested);
}

TEST_F(OverlayHostTest, TheWindowIsDrawnOverTheGameAndNothingWhileHidden) {
  WriteFile("FX\\Bloom.fx", kBloom);
  AttachQuietly();
  Create("Bloom");
  Frames(3);
  EXPECT_EQ(PixelsOverTheGame(), 0) << "a hidden overlay leaves the back buffer untouched";

  sim::PressKey(window, VK_INSERT);
  Frames(2);
  const sim::Widget overlay = Find(kOverlayTitle);
  // Below the widgets, inside the window: its background over the game.
  const D3DCOLOR inside = sim::BackBufferPixel(device, static_cast<UINT>(overlay.left) + 20,
                                               static_cast<UINT>(overlay.bottom) - 30);
  const float alpha = 0.95f;
  const int expected[3] = {
      static_cast<int>(std::lround((0.10f * alpha + Channel(kGameColor, 16) / 255.0f * (1 - alpha)) * 255)),
      static_cast<int>(std::lround((0.10f * alpha + Channel(kGameColor, 8) / 255.0f * (1 - alpha)) * 255)),
      static_cast<int>(std::lround((0.12f * alpha + Channel(kGameColor, 0) / 255.0f * (1 - alpha)) * 255))};
  EXPECT_NEAR(Channel(inside, 16), expected[0], 1) << std::hex << inside;
  EXPECT_NEAR(Channel(inside, 8), expected[1], 1) << std::hex << inside;
  EXPECT_NEAR(Channel(inside, 0), expected[2], 1) << std::hex << inside;
  const D3DCOLOR outside = sim::BackBufferPixel(device, static_cast<UINT>(overlay.right) + 100,
                                                static_cast<UINT>(overlay.bottom) - 30);
  EXPECT_EQ(outside, kGameColor) << std::hex << outside;

  DWORD scissorTest = TRUE, blending = TRUE;
  device->GetRenderState(D3DRS_SCISSORTESTENABLE, &scissorTest);
  device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
  EXPECT_FALSE(scissorTest) << "the game's render states are put back after the overlay";
  EXPECT_FALSE(blending);

  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = kWidth;
  parameters.BackBufferHeight = kHeight;
  EXPECT_EQ(device->Reset(&parameters), D3D_OK);
  Frame();
  EXPECT_EQ(sim::BackBufferPixel(device, static_cast<UINT>(overlay.left) + 20,
                                 static_cast<UINT>(overlay.bottom) - 30),
            inside)
      << "drawn again after a device reset, with the font texture made anew";
}

TEST_F(OverlayHostTest, DetachPutsTheWindowProcedureBackAndReleasesTheLibrary) {
  WriteFile("FX\\Bloom.fx", kBloom);
  AttachQuietly();
  Create("Bloom");
  Frame();
  EXPECT_EQ(sim::WindowProcedure(window), &OverlayWndProc);
  sim::PressKey(window, VK_INSERT);
  Frames(2);
  Detach();
  EXPECT_EQ(sim::WindowProcedure(window), &HostWindowProc);
  EXPECT_EQ(ImGui::GetCurrentContext(), nullptr);
  hostMessages.clear();
  sim::PressKey(window, VK_INSERT);
  EXPECT_TRUE(HostSaw(WM_KEYDOWN, VK_INSERT)) << "the game has its window to itself again";
  // The shared fixture checks that no simulated object is left once the game released its own.
}

TEST_F(OverlayHostTest, AWindowThatCouldNotBeSubclassedKeepsItsProcedureAtDetach) {
  WriteFile("FX\\Bloom.fx", kBloom);
  AttachQuietly();
  Create("Bloom");
  sim::FailNextSetWindowLong();
  Frame();
  EXPECT_EQ(sim::WindowProcedure(window), &HostWindowProc);
  EXPECT_TRUE(HasLine(LogLines(), "[INFO] ImGui Initialized."));
  sim::PressKey(window, VK_INSERT);
  EXPECT_TRUE(HostSaw(WM_KEYDOWN, VK_INSERT)) << "without the subclass INSERT goes to the game";
  Detach();
  EXPECT_EQ(sim::WindowProcedure(window), &HostWindowProc) << "no null procedure is put back";
}

TEST_F(OverlayHostTest, WithoutCreationParametersTheOverlayTakesTheForegroundWindow) {
  sim::SetCreationParametersResult(device, D3DERR_INVALIDCALL);
  WriteFile("FX\\Bloom.fx", kBloom);
  AttachQuietly();
  Create("Bloom");
  Frame();
  EXPECT_EQ(overlayState.overlayWindow, window);
  EXPECT_EQ(sim::WindowProcedure(window), &OverlayWndProc);
  sim::PressKey(window, VK_INSERT);
  Frames(2);
  EXPECT_TRUE(Has(kOverlayTitle));
}

TEST_F(OverlayHostTest, EndAndTheReloadButtonInOneFrameGiveTwoReloadsOverTwoFrames) {
  WriteFile("FX\\Bloom.fx", kBloom);
  AttachQuietly();
  Create("Bloom");
  Frame();  // the first frame brings the overlay up
  sim::PressKey(window, VK_INSERT);
  Frames(2);
  const sim::Widget button = Find("Force Reload (END)");
  auto reloads = [this] {
    int count = 0;
    for (const auto& line : LogLines())
      count += WithoutStamp(line) == "[INFO] === HOT-RELOAD STARTED ===" ? 1 : 0;
    return count;
  };
  sim::MouseMove(window, static_cast<int>(button.CenterX()), static_cast<int>(button.CenterY()));
  Frame();
  sim::LeftButton(window, true);
  Frame();
  sim::LeftButton(window, false);
  sim::KeyDown(window, VK_END);
  Frame();  // END is served in this frame; the button's request waits for the next
  EXPECT_EQ(reloads(), 1);
  Frame();
  EXPECT_EQ(reloads(), 2);
  sim::KeyUp(window, VK_END);
  Frame();
  EXPECT_EQ(reloads(), 2);
}

}  // namespace
