#include "overlay_fixture.h"

#include <imgui.h>

#include <algorithm>
#include <cstring>

#include "sim/host_code.h"
#include "sim/host_input.h"
#include "sim/host_kernel.h"

const char kOverlayTitle[] = "KORVALINE // Vantorix";
const char kBloom[] = R"(
float Intensity < string UIName = "Intensity"; > = 0.25;
technique T { pass P { } }
)";
const char kBroken[] =
    "float Intensity < string UIName = \"Intensity\"; > = 0.25;\ntechnique T { pass P { } \n";

std::vector<std::pair<UINT, WPARAM>> OverlayFixture::hostMessages;

LRESULT CALLBACK OverlayFixture::HostWindowProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  hostMessages.emplace_back(message, wParam);
  return 0;
}

void OverlayFixture::SetUp() {
  HostFixture::SetUp();
  hostMessages.clear();
  SYSTEMTIME noon{2026, 1, 4, 1, 12, 0, 0, 0};
  sim::SetClock(1000, noon);
  window = sim::CreateHostWindow(&HostWindowProc);
  sim::SetWindowClientArea(window, 0, 0, kWidth, kHeight);
  sim::SetForegroundWindow(window);
  device = sim::CreateDevice(kWidth, kHeight, window);
}

void OverlayFixture::ReleaseHostObjects() {
  for (ID3DXEffect* effect : created) effect->Release();
  created.clear();
  sim::ClearResources();
  device->Release();
  sim::DestroyHostWindow(window);
}

namespace {

ID3DXEffect* CreateThroughTheGame(IDirect3DDevice9* device, HMODULE module, const char* name,
                                  std::vector<ID3DXEffect*>& created) {
  ID3DXEffect* effect = nullptr;
  EXPECT_EQ(
      sim::HostCreateEffectFromResource(device, module, name, nullptr, nullptr, 0, nullptr, &effect, nullptr),
      S_OK);
  created.push_back(effect);
  return effect;
}

}  // namespace

EffectProxy* OverlayFixture::Create(const char* name) {
  return static_cast<EffectProxy*>(CreateThroughTheGame(device, module, name, created));
}

EffectProxy* OverlayFixture::Open(const char* name, const char* source, const std::string& moreSettings) {
  WriteFile(std::string("FX\\") + name + ".fx", source);
  AttachWithLevel(3, moreSettings);
  EffectProxy* proxy = Create(name);
  Show();
  return proxy;
}

void OverlayFixture::CreateWithoutFile(const char* name) {
  sim::RegisterResource(module, name, "float Exposure = 1.0;\ntechnique T { pass P { } }\n");
  CreateThroughTheGame(device, module, name, created);  // the game's own effect: no proxy
}

void OverlayFixture::Frame() {
  sim::AdvanceClock(16);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, kGameColor, 1.0f, 0);
  device->BeginScene();
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
  sim::RecordWidgets();  // from the context's next frame on; the context exists after the first frame
}

void OverlayFixture::Frames(int count) {
  for (int i = 0; i < count; ++i) Frame();
}

void OverlayFixture::Show() {
  Frame();
  sim::PressKey(window, VK_INSERT);
  Frames(2);
}

void OverlayFixture::PressEnd() {
  sim::KeyDown(window, VK_END);
  Frame();
  sim::KeyUp(window, VK_END);
  Frame();
}

bool OverlayFixture::Has(const std::string& label) const {
  const auto widgets = Widgets();
  return std::any_of(widgets.begin(), widgets.end(), [&](const sim::Widget& w) { return w.label == label; });
}

sim::Widget OverlayFixture::Find(const std::string& label) const {
  for (const sim::Widget& widget : Widgets()) {
    if (widget.label == label) return widget;
  }
  ADD_FAILURE() << "no widget labelled " << label;
  return {};
}

sim::Widget OverlayFixture::FindId(unsigned id) const {
  for (const sim::Widget& widget : Widgets()) {
    if (widget.id == id) return widget;
  }
  ADD_FAILURE() << "no widget " << id;
  return {};
}

std::string OverlayFixture::LabelStarting(const std::string& prefix) const {
  for (const std::string& label : Labels())
    if (label.rfind(prefix, 0) == 0) return label;
  return "";
}

std::vector<std::string> OverlayFixture::Labels() const {
  std::vector<std::string> labels;
  for (const sim::Widget& widget : Widgets()) {
    // The library's implicit "Debug" window is never drawn.
    if (widget.label.empty() || widget.label.rfind("##", 0) == 0 || widget.label == "Debug##Default")
      continue;
    labels.push_back(widget.label);
  }
  return labels;
}

void OverlayFixture::Click(const sim::Widget& widget) {
  sim::MouseMove(window, static_cast<int>(widget.CenterX()), static_cast<int>(widget.CenterY()));
  Frame();
  sim::LeftButton(window, true);
  Frame();
  sim::LeftButton(window, false);
  Frame();
}

void OverlayFixture::DragTo(const sim::Widget& widget, float x) {
  const int y = static_cast<int>(widget.CenterY());
  sim::MouseMove(window, static_cast<int>(widget.CenterX()), y);
  Frame();
  sim::LeftButton(window, true);
  Frame();
  sim::MouseMove(window, static_cast<int>(x), y);
  Frame();
  sim::LeftButton(window, false);
  Frame();
}

bool OverlayFixture::HostSaw(UINT message, WPARAM wParam) const {
  return std::find(hostMessages.begin(), hostMessages.end(), std::make_pair(message, wParam)) !=
         hostMessages.end();
}

int OverlayFixture::PixelsOverTheGame() const {
  int differing = 0;
  for (UINT y = 0; y < kHeight; ++y) {
    for (UINT x = 0; x < kWidth; ++x) differing += sim::BackBufferPixel(device, x, y) != kGameColor;
  }
  return differing;
}
