// The overlay window: INSERT, the close button, the tabs and the buttons,
// and which input reaches the game while it is shown.
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>

#include "overlay/overlay_state.h"
#include "overlay_fixture.h"
#include "sim/host_input.h"
#include "sim/host_kernel.h"
#include "sim/win32_desktop.h"

namespace {

using OverlayWindowTest = OverlayFixture;

TEST_F(OverlayWindowTest, InsertShowsAndHidesTheWindowAndDecidesWhatInputTheGameSees) {
  WriteFile("FX\\Bloom.fx", kBloom);
  AttachWithLevel(3);
  Create("Bloom");
  Frame();
  const int frames = ImGui::GetFrameCount();
  for (int i = 0; i < 20; ++i) {
    sim::MouseMove(window, 10 * i, 5 * i);
    Frame();
  }
  EXPECT_FALSE(Has(kOverlayTitle)) << "hidden until INSERT";
  EXPECT_EQ(ImGui::GetFrameCount(), frames) << "a hidden overlay runs no frame";
  EXPECT_EQ(ImGui::GetCurrentContext()->InputEventsQueue.Size, 0) << "and queues no input";
  EXPECT_TRUE(HostSaw(WM_MOUSEMOVE, 0));

  hostMessages.clear();
  sim::MouseMove(window, 321, 123);
  sim::KeyDown(window, VK_INSERT);
  EXPECT_TRUE(overlayState.overlayVisible);
  EXPECT_TRUE(ImGui::GetIO().MouseDrawCursor) << "the library draws its cursor while shown";
  EXPECT_FALSE(HostSaw(WM_KEYDOWN, VK_INSERT)) << "the INSERT that shows the overlay stays with it";
  sim::KeyUp(window, VK_INSERT);
  Frames(2);
  EXPECT_TRUE(Has(kOverlayTitle));
  EXPECT_EQ(ImGui::GetIO().MousePos.x, 321.0f) << "it opens where the mouse is";
  EXPECT_EQ(ImGui::GetIO().MousePos.y, 123.0f);

  hostMessages.clear();
  sim::PressKey(window, VK_ESCAPE);
  EXPECT_TRUE(HostSaw(WM_KEYDOWN, VK_ESCAPE)) << "Escape still reaches the game";
  EXPECT_TRUE(HostSaw(WM_KEYUP, VK_ESCAPE));
  sim::PressKey(window, 'W');
  sim::SendMessage(window, WM_CHAR, 'w', 0);
  sim::SendMessage(window, WM_SYSKEYDOWN, VK_MENU, 0);
  sim::MouseMove(window, 700, 500);
  sim::SendMessage(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(700, 500));
  EXPECT_EQ(hostMessages.size(), 2u) << "no other key or mouse message reaches the game";
  sim::SendMessage(window, WM_ACTIVATE, 1, 0);
  EXPECT_TRUE(HostSaw(WM_ACTIVATE, 1)) << "messages other than input still reach the game";

  const LRESULT overClient = sim::SendMessage(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                                              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(overClient, 1) << "the library handles the cursor over the client area";
  EXPECT_FALSE(HostSaw(WM_SETCURSOR, reinterpret_cast<WPARAM>(window)));
  EXPECT_EQ(GetCursor(), nullptr) << "the system cursor is hidden while the library draws its own";
  sim::SendMessage(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                   MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
  EXPECT_TRUE(HostSaw(WM_SETCURSOR, reinterpret_cast<WPARAM>(window))) << "over the frame it is the game's";

  hostMessages.clear();
  sim::KeyDown(window, VK_INSERT);
  EXPECT_FALSE(overlayState.overlayVisible);
  EXPECT_FALSE(ImGui::GetIO().MouseDrawCursor);
  EXPECT_TRUE(HostSaw(WM_KEYDOWN, VK_INSERT)) << "the INSERT that hides the overlay reaches the game";
  sim::KeyUp(window, VK_INSERT);
  sim::PressKey(window, 'W');
  sim::MouseMove(window, 10, 10);
  EXPECT_TRUE(HostSaw(WM_KEYUP, VK_INSERT));
  EXPECT_TRUE(HostSaw(WM_KEYDOWN, 'W'));
  EXPECT_TRUE(HostSaw(WM_MOUSEMOVE, 0));
  Frame();
  EXPECT_EQ(PixelsOverTheGame(), 0);
}

TEST_F(OverlayWindowTest, TheGamesOwnEffectsGetTabsSaveWritesNothingForThemAndTheCloseButtonHides) {
  WriteFile("FX\\Rain.fx", kBroken);
  AttachWithLevel(3);
  CreateWithoutFile("Sky");
  CreateWithoutFile("Rain");
  Show();
  EXPECT_EQ(Labels(),
            (std::vector<std::string>{kOverlayTitle, "Sky###shader", "the game's built-in effect",
                                      "Rain (!)###shader", "Force Reload (END)", "SAVE CONFIG TO DISK"}));
  Click(Find("Rain (!)###shader"));
  EXPECT_TRUE(Has("FX\\Rain.fx failed; the game's built-in effect is used."));
  EXPECT_NE(LabelStarting("FX\\Rain.fx(3,"), "") << "the compiler's message";

  Click(Find("SAVE CONFIG TO DISK"));
  EXPECT_FALSE(FileExists("vantorix_settings.ini"));
  for (const std::string& line : LogLines())
    EXPECT_EQ(line.find("Saved settings"), std::string::npos) << line;

  Click(FindId(ImGui::FindWindowByName(kOverlayTitle)->GetID("#CLOSE")));
  EXPECT_FALSE(overlayState.overlayVisible);
  Frame();
  EXPECT_FALSE(ImGui::GetIO().MouseDrawCursor) << "hidden by its close button, the overlay draws no cursor";
  EXPECT_EQ(PixelsOverTheGame(), 0) << "nothing is left over the game, not even the cursor";
  hostMessages.clear();
  sim::MouseMove(window, 300, 300);
  EXPECT_TRUE(HostSaw(WM_MOUSEMOVE, 0));
  sim::PressKey(window, VK_INSERT);
  EXPECT_TRUE(ImGui::GetIO().MouseDrawCursor) << "the next INSERT shows it again";
}

TEST_F(OverlayWindowTest, ShadersOfOneNameGetTwoTabsOfTheSameLabel) {
  WriteFile("FX\\Bloom.fx", kBloom);
  AttachWithLevel(3);
  EffectProxy* first = Create("Bloom");
  EffectProxy* second = Create("Bloom");
  Show();
  std::vector<sim::Widget> tabs;
  for (const sim::Widget& widget : Widgets()) {
    if (widget.label == "Bloom###shader") tabs.push_back(widget);
  }
  ASSERT_EQ(tabs.size(), 2u) << "nothing is added to the label";
  EXPECT_LT(tabs[0].right, tabs[1].left + 1) << "two tabs side by side, not one";
  const auto labels = Labels();
  EXPECT_EQ(std::count(labels.begin(), labels.end(), "Intensity"), 1) << "one open tab, one panel";

  Click(tabs[1]);
  const sim::Widget slider = Find("Intensity");
  DragTo(slider, slider.right + 10);
  EXPECT_FLOAT_EQ(InnerFloat(second, "Intensity"), 1.0f)
      << "the second tab's slider drives the second shader";
  EXPECT_FLOAT_EQ(InnerFloat(first, "Intensity"), 0.25f) << "and only that one";
}

}  // namespace
