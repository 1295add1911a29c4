#include "demo_overlay.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "effect/effect_proxy.h"
#include "hook/live_shaders.h"
#include "sim/host_d3d.h"
#include "sim/host_input.h"
#include "sim/host_kernel.h"
#include "sim/widget_log.h"

namespace {

// The game's picture: a sky fading towards the horizon over dark ground.
void DrawGameFrame(IDirect3DDevice9* device, UINT width, UINT height) {
  sim::AdvanceClock(16);  // sixty frames a second
  device->BeginScene();
  const LONG horizon = static_cast<LONG>(height * 3 / 5);
  constexpr int kBands = 48;
  for (int band = 0; band < kBands; ++band) {
    const LONG top = horizon * band / kBands, bottom = horizon * (band + 1) / kBands;
    const D3DRECT rect{0, top, static_cast<LONG>(width), bottom};
    const int t = 255 * band / kBands;
    device->Clear(1, &rect, D3DCLEAR_TARGET,
                  D3DCOLOR_ARGB(255, 40 + t * 150 / 255, 70 + t * 120 / 255, 150 + t / 3), 1.0f, 0);
  }
  const D3DRECT ground{0, horizon, static_cast<LONG>(width), static_cast<LONG>(height)};
  device->Clear(1, &ground, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 34, 38, 44), 1.0f, 0);
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

bool FindWidget(const std::string& label, sim::Widget& found) {
  for (const sim::Widget& widget : sim::FrameWidgets()) {
    if (widget.label != label) continue;
    found = widget;
    return true;
  }
  std::printf("== host: no \"%s\" on screen\n", label.c_str());
  return false;
}

// The first label on screen that starts with the text, or empty.
std::string LabelStarting(const std::string& prefix) {
  for (const sim::Widget& widget : sim::FrameWidgets()) {
    if (widget.label.rfind(prefix, 0) == 0) return widget.label;
  }
  return "";
}

// The tab's state as the player reads it: its label, the source line, the
// compiler's messages and the summary under the buttons.
void PrintTab(const char* tabPrefix) {
  const std::string tab = LabelStarting(tabPrefix);
  std::printf("== host: tab \"%s\"\n", tab.substr(0, tab.find("###")).c_str());
  for (const char* prefix : {"Compiled from", "The latest compile", "FX\\ColorGrade.fx(", "Reloaded "}) {
    const std::string label = LabelStarting(prefix);
    if (!label.empty()) std::printf("== host:   %s\n", label.substr(0, label.find(" in ")).c_str());
  }
}

// A colour parameter's value as the panel holds it.
void PrintColour(const char* shaderName, const char* parameter) {
  EnterCriticalSection(&liveShadersLock);
  for (const LoadedShader& shader : liveShaders) {
    if (shader.name != shaderName) continue;
    for (const ShaderParam& p : shader.proxy->parameters) {
      if (p.name != parameter) continue;
      std::printf("== host: %s %s in the panel: (%.3f, %.3f, %.3f, %.3f)\n", shaderName, parameter,
                  p.vectorValue.x, p.vectorValue.y, p.vectorValue.z, p.vectorValue.w);
    }
  }
  LeaveCriticalSection(&liveShadersLock);
}

}  // namespace

std::string ReadText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const char* path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

void RunOverlayDemo(IDirect3DDevice9* device, HWND window) {
  IDirect3DSurface9* backBuffer = nullptr;
  D3DSURFACE_DESC desc{};
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) return;
  backBuffer->GetDesc(&desc);
  backBuffer->Release();
  // The game runs windowed: its client area shows the whole back buffer.
  sim::SetWindowClientArea(window, 0, 0, static_cast<int>(desc.Width), static_cast<int>(desc.Height));
  sim::SetForegroundWindow(window);
  auto frames = [&](int count) {
    for (int i = 0; i < count; ++i) DrawGameFrame(device, desc.Width, desc.Height);
  };
  // One mouse event per frame, as a player's hand moves.
  auto click = [&](const sim::Widget& widget) {
    sim::MouseMove(window, static_cast<int>(widget.CenterX()), static_cast<int>(widget.CenterY()));
    frames(1);
    sim::LeftButton(window, true);
    frames(1);
    sim::LeftButton(window, false);
    frames(1);
  };

  frames(1);
  sim::RecordWidgets();
  std::printf("== host: INSERT opens the overlay\n");
  sim::PressKey(window, VK_INSERT);
  frames(2);

  sim::Widget tab, slider, save;
  if (!FindWidget("ColorGrade###shader", tab)) return;
  std::printf("== host: the player opens the ColorGrade tab\n");
  click(tab);
  if (!FindWidget("Saturation", slider)) return;
  const int y = static_cast<int>(slider.CenterY());
  sim::MouseMove(window, static_cast<int>(slider.CenterX()), y);
  frames(1);
  sim::LeftButton(window, true);
  frames(1);
  sim::MouseMove(window, static_cast<int>(slider.left + (slider.right - slider.left) * 0.8f), y);
  frames(1);
  sim::LeftButton(window, false);
  frames(1);
  std::printf("== host: the player drags Saturation to the right\n");

  if (!FindWidget("SAVE CONFIG TO DISK", save)) return;
  click(save);
  std::printf("== host: SAVE CONFIG TO DISK\n");
  sim::MouseMove(window, static_cast<int>(slider.left + (slider.right - slider.left) * 0.8f) + 6, y + 4);
  frames(2);
  const bool written = sim::SaveBackBufferPng(device, "overlay.png");
  std::printf("== host: %s\n",
              written ? "the frame with the overlay is in overlay.png" : "overlay.png not written");
}

// The author at work with the overlay open: a save picked up without END, a
// save that fails shown in the tab (pictured in overlay-error.png), and a
// parameter put back to its default from its right-click menu.
void RunAuthorDemo(IDirect3DDevice9* device, HWND window) {
  IDirect3DSurface9* backBuffer = nullptr;
  D3DSURFACE_DESC desc{};
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) return;
  backBuffer->GetDesc(&desc);
  backBuffer->Release();
  auto frames = [&](int count) {
    for (int i = 0; i < count; ++i) DrawGameFrame(device, desc.Width, desc.Height);
  };
  const std::string original = ReadText("FX/ColorGrade.fx");
  std::string edited = original;
  const std::string lift = "float4(0.0, 0.0, 0.0, 1.0)";
  edited.replace(edited.find(lift), lift.size(), "float4(0.05, 0.02, 0.0, 1.0)");
  WriteText("FX/ColorGrade.fx", edited);
  std::printf("\n== host: FX\\ColorGrade.fx saved with a new default for Lift; no END\n");
  frames(70);  // 1.1 s
  PrintTab("ColorGrade");
  PrintColour("ColorGrade", "Lift");

  WriteText("FX/ColorGrade.fx", edited.replace(edited.find("float Saturation"), 0, "float Typo = ;\n"));
  std::printf("== host: FX\\ColorGrade.fx saved with a typo\n");
  frames(70);
  PrintTab("ColorGrade");
  const bool written = sim::SaveBackBufferPng(device, "overlay-error.png");
  std::printf("== host: %s\n",
              written ? "the tab with the error is in overlay-error.png" : "overlay-error.png not written");

  WriteText("FX/ColorGrade.fx", original);
  frames(70);
  sim::Widget slider, reset;
  if (!FindWidget("Saturation", slider)) return;
  sim::MouseMove(window, static_cast<int>(slider.CenterX()), static_cast<int>(slider.CenterY()));
  frames(1);
  sim::RightButton(window, true);
  frames(1);
  sim::RightButton(window, false);
  frames(2);
  if (!FindWidget("Reset to default", reset)) return;
  sim::MouseMove(window, static_cast<int>(reset.CenterX()), static_cast<int>(reset.CenterY()));
  frames(1);
  sim::LeftButton(window, true);
  frames(1);
  sim::LeftButton(window, false);
  frames(1);
  std::printf("== host: Saturation reset to its default from its right-click menu\n");
}
