#include "overlay/overlay_theme.h"

#include <imgui.h>

namespace {

// The scheme's three purples: at rest, hovered, active.
const ImVec4 kRest(0.35f, 0.10f, 0.60f, 1.00f);
const ImVec4 kHovered(0.55f, 0.20f, 0.85f, 1.00f);
const ImVec4 kActive(0.70f, 0.40f, 0.95f, 1.00f);

struct ThemeColor {
  ImGuiCol entry;
  ImVec4 value;
};

const ThemeColor kColors[] = {
    {ImGuiCol_Text, ImVec4(0.90f, 0.90f, 0.92f, 1.00f)},
    {ImGuiCol_WindowBg, ImVec4(0.10f, 0.10f, 0.12f, 0.95f)},
    {ImGuiCol_Border, ImVec4(0.25f, 0.20f, 0.30f, 0.50f)},
    {ImGuiCol_FrameBg, ImVec4(0.18f, 0.18f, 0.20f, 1.00f)},
    {ImGuiCol_FrameBgHovered, kRest},
    {ImGuiCol_FrameBgActive, kHovered},
    {ImGuiCol_TitleBg, ImVec4(0.08f, 0.08f, 0.10f, 1.00f)},
    {ImGuiCol_TitleBgActive, ImVec4(0.15f, 0.10f, 0.20f, 1.00f)},
    {ImGuiCol_CheckMark, kActive},
    {ImGuiCol_SliderGrab, kHovered},
    {ImGuiCol_SliderGrabActive, kActive},
    {ImGuiCol_Button, kRest},
    {ImGuiCol_ButtonHovered, kHovered},
    {ImGuiCol_ButtonActive, kActive},
    {ImGuiCol_Header, kRest},
    {ImGuiCol_HeaderHovered, kHovered},
    {ImGuiCol_HeaderActive, kActive},
};

}  // namespace

void ApplyOverlayTheme() {
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowRounding = 0.0f;
  style.WindowTitleAlign = ImVec2(0.5f, 0.5f);
  style.FrameRounding = 2.0f;
  style.ScrollbarRounding = 0.0f;
  style.GrabRounding = 2.0f;
  for (const ThemeColor& color : kColors) style.Colors[color.entry] = color.value;
}
