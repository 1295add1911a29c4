// The overlay end to end in the game: a dragged slider reaches the effect
// and the settings file, the buttons do their work, the picture over the
// game, and what detach leaves behind.
#include <imgui.h>

#include <cmath>

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

TEST_F(OverlayHostTest, EndAndTheReloadButtonInOneFrameReloadTwice) {
  Open("Bloom", kBloom);
  // END and the reload button in one frame: two reloads over two frames.
  const sim::Widget button = Find("Force Reload (END)");
  const char kStarted[] = "[INFO] === HOT-RELOAD STARTED ===";
  sim::MouseMove(window, static_cast<int>(button.CenterX()), static_cast<int>(button.CenterY()));
  Frame();
  sim::LeftButton(window, true);
  Frame();
  sim::LeftButton(window, false);
  sim::KeyDown(window, VK_END);
  Frame();  // END is served in this frame; the button's request waits for the next
  EXPECT_EQ(CountLines(kStarted), 1);
  Frame();
  EXPECT_EQ(CountLines(kStarted), 2);
  sim::KeyUp(window, VK_END);
  Frame();
  EXPECT_EQ(CountLines(kStarted), 2);
}

TEST_F(OverlayHostTest, TheWindowIsDrawnOverTheGameAndItsRenderStatesArePutBack) {
  Open("Bloom", kBloom);
  const sim::Widget overlay = Find(kOverlayTitle);
  // Below the widgets, inside the window: its background over the game.
  const UINT x = static_cast<UINT>(overlay.left) + 20, y = static_cast<UINT>(overlay.bottom) - 30;
  const D3DCOLOR inside = sim::BackBufferPixel(device, x, y);
  const float background[3] = {0.10f, 0.10f, 0.12f}, alpha = 0.95f;
  for (int i = 0; i < 3; ++i) {
    const int shift = 16 - 8 * i;
    const float blended = background[i] * alpha + Channel(kGameColor, shift) / 255.0f * (1 - alpha);
    EXPECT_NEAR(Channel(inside, shift), std::lround(blended * 255), 1) << std::hex << inside;
  }
  EXPECT_EQ(sim::BackBufferPixel(device, static_cast<UINT>(overlay.right) + 100, y), kGameColor);

  DWORD scissorTest = TRUE, blending = TRUE;
  device->GetRenderState(D3DRS_SCISSORTESTENABLE, &scissorTest);
  device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
  EXPECT_FALSE(scissorTest) << "the game's render states are put back after the overlay";
  EXPECT_FALSE(blending);
}

enum class WindowSetUp { Normal, SubclassFails, NoCreationParameters };

TEST_F(OverlayHostTest, DetachLeavesTheGameItsWindowProcedureAndReleasesTheLibrary) {
  WriteFile("FX\\Bloom.fx", kBloom);
  for (WindowSetUp setUp :
       {WindowSetUp::Normal, WindowSetUp::SubclassFails, WindowSetUp::NoCreationParameters}) {
    const bool subclassed = setUp != WindowSetUp::SubclassFails;
    SCOPED_TRACE(static_cast<int>(setUp));
    // Without creation parameters the overlay takes the foreground window.
    sim::SetCreationParametersResult(
        device, setUp == WindowSetUp::NoCreationParameters ? D3DERR_INVALIDCALL : D3D_OK);
    AttachWithLevel(3);
    Create("Bloom");
    if (!subclassed) sim::FailNextSetWindowLong();
    Frame();
    EXPECT_TRUE(HasLine(LogLines(), "[INFO] ImGui Initialized."));
    EXPECT_EQ(overlayState.overlayWindow, window);
    EXPECT_EQ(sim::WindowProcedure(window), subclassed ? &OverlayWndProc : &HostWindowProc);
    hostMessages.clear();
    sim::PressKey(window, VK_INSERT);
    Frames(2);
    EXPECT_EQ(Has(kOverlayTitle), subclassed);
    EXPECT_EQ(HostSaw(WM_KEYDOWN, VK_INSERT), !subclassed) << "without the subclass INSERT goes to the game";
    Detach();
    EXPECT_EQ(sim::WindowProcedure(window), &HostWindowProc) << "neither the overlay's nor a null procedure";
    EXPECT_EQ(ImGui::GetCurrentContext(), nullptr);
    hostMessages.clear();
    sim::PressKey(window, VK_INSERT);
    EXPECT_TRUE(HostSaw(WM_KEYDOWN, VK_INSERT)) << "the game has its window to itself again";
  }
  // The shared fixture checks that no simulated object is left once the game released its own.
}

}  // namespace
