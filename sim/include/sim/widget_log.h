// What a Dear ImGui frame drew, as a player would read it off the screen:
// every identified widget (windows, tabs, headers, buttons, sliders, check
// boxes, combos and their items) with its label and its rectangle in
// client-area pixels. Fed by the library's item hooks, which the simulated
// build compiles in (cmake/ImGui.cmake); recording is per context.
#pragma once

#include <string>
#include <vector>

namespace sim {

struct Widget {
  unsigned id = 0;
  std::string label;  // as submitted, "##" suffixes included; empty when none was given
  float left = 0, top = 0, right = 0, bottom = 0;
  int statusFlags = 0;  // ImGuiItemStatusFlags: checked, opened and so on
  bool placed = false;  // the rectangle is known
  float CenterX() const { return (left + right) / 2; }
  float CenterY() const { return (top + bottom) / 2; }
};

// Turns recording on for the current Dear ImGui context (from its next frame).
void RecordWidgets();

// The widgets of the current context's latest frame, in the order they were
// submitted; empty when there is no context or the frame drew none.
std::vector<Widget> FrameWidgets();

}  // namespace sim
