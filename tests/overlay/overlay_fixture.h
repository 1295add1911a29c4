// A game with a window and a device, the plug-in attached, and a player at
// the keyboard and mouse: frames run through the device's EndScene as the
// game draws them, input goes through the window's procedure, and what the
// overlay drew is read from the widget log and the back buffer.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "effect/effect_proxy.h"
#include "host_fixture.h"
#include "sim/host_d3d.h"
#include "sim/widget_log.h"

class OverlayFixture : public HostFixture {
 protected:
  static constexpr UINT kWidth = 1024;
  static constexpr UINT kHeight = 768;
  static constexpr D3DCOLOR kGameColor = 0xFF2060A0;  // what the game clears its frame to

  void SetUp() override;
  void ReleaseHostObjects() override;

  // The game creates an effect through its call site; the caller owns the reference.
  EffectProxy* Create(const char* name);
  // Writes FX\<name>.fx, attaches, creates the effect and shows the overlay on its tab.
  EffectProxy* Open(const char* name, const char* source, const std::string& moreSettings = "");
  // The game creates an effect that has no effect file: D3DX builds it from
  // the game's resource, no proxy is made and the live list stays as it was.
  // The first creation either way installs the device hooks.
  void CreateWithoutFile(const char* name);
  // One game frame: clear, BeginScene, EndScene (through the hooks), Present.
  void Frame();
  void Frames(int count);
  // The first frame brings the overlay up, INSERT shows it, two more frames draw it.
  void Show();
  // END held for one frame, then released for one.
  void PressEnd();

  // The widgets of the latest frame, and the first one with the label
  // (ASSERTed by callers through Has()).
  std::vector<sim::Widget> Widgets() const { return sim::FrameWidgets(); }
  bool Has(const std::string& label) const;
  sim::Widget Find(const std::string& label) const;
  sim::Widget FindId(unsigned id) const;
  // Labels of the latest frame that a player reads (no "##" or empty labels).
  std::vector<std::string> Labels() const;
  // The first such label that starts with the prefix, or "".
  std::string LabelStarting(const std::string& prefix) const;

  // A left click at the centre of a widget, one frame per input event, as
  // the library expects one mouse event per frame.
  void Click(const sim::Widget& widget);
  // Presses the left button on a widget, moves to x (client pixels) and releases.
  void DragTo(const sim::Widget& widget, float x);

  // Back-buffer pixels that are not the game's cleared colour.
  int PixelsOverTheGame() const;

  // Messages that reached the game's own window procedure, as (message, wParam).
  static std::vector<std::pair<UINT, WPARAM>> hostMessages;
  static LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool HostSaw(UINT message, WPARAM wParam) const;

  HWND window = nullptr;
  IDirect3DDevice9* device = nullptr;
  HMODULE module = reinterpret_cast<HMODULE>(0x400000);
  std::vector<ID3DXEffect*> created;
};

// The title of the overlay window.
extern const char kOverlayTitle[];
// An effect file with one slider, Intensity, at 0.25, and the same file cut
// short: a compile error on its third line.
extern const char kBloom[];
extern const char kBroken[];
