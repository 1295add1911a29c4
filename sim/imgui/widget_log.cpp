// The item hooks that Dear ImGui calls when built with its test-engine
// switch, recording each frame's widgets for sim::FrameWidgets.
#include "sim/widget_log.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <mutex>

namespace {

struct Log {
  std::mutex lock;
  ImGuiContext* context = nullptr;
  int frame = -1;
  std::vector<sim::Widget> widgets;
};

Log& TheLog() {
  static Log log;
  return log;
}

// Starts a fresh list when the context or the frame changed.
std::vector<sim::Widget>& FrameList(Log& log, ImGuiContext* context) {
  if (log.context != context || log.frame != context->FrameCount) {
    log.context = context;
    log.frame = context->FrameCount;
    log.widgets.clear();
  }
  return log.widgets;
}

}  // namespace

void ImGuiTestEngineHook_ItemAdd(ImGuiContext* context, ImGuiID id, const ImRect& bb,
                                 const ImGuiLastItemData*) {
  Log& log = TheLog();
  std::lock_guard<std::mutex> guard(log.lock);
  std::vector<sim::Widget>& widgets = FrameList(log, context);
  // Tab items report their label before their place.
  const bool labelled = !widgets.empty() && widgets.back().id == id && !widgets.back().placed;
  sim::Widget& widget = labelled ? widgets.back() : widgets.emplace_back();
  widget.id = id;
  widget.left = bb.Min.x;
  widget.top = bb.Min.y;
  widget.right = bb.Max.x;
  widget.bottom = bb.Max.y;
  widget.placed = true;
}

void ImGuiTestEngineHook_ItemInfo(ImGuiContext* context, ImGuiID id, const char* label,
                                  ImGuiItemStatusFlags flags) {
  Log& log = TheLog();
  std::lock_guard<std::mutex> guard(log.lock);
  std::vector<sim::Widget>& widgets = FrameList(log, context);
  // The label belongs to the item just added, unless it comes first (tabs).
  const bool placed = !widgets.empty() && widgets.back().id == id && widgets.back().label.empty();
  sim::Widget& widget = placed ? widgets.back() : widgets.emplace_back();
  widget.id = id;
  widget.label = label ? label : "";
  widget.statusFlags = flags;
}

void ImGuiTestEngineHook_Log(ImGuiContext*, const char*, ...) {}

const char* ImGuiTestEngine_FindItemDebugLabel(ImGuiContext*, ImGuiID) {
  return nullptr;
}

namespace sim {

void RecordWidgets() {
  if (ImGuiContext* context = ImGui::GetCurrentContext()) context->TestEngineHookItems = true;
}

std::vector<Widget> FrameWidgets() {
  ImGuiContext* context = ImGui::GetCurrentContext();
  Log& log = TheLog();
  std::lock_guard<std::mutex> guard(log.lock);
  if (!context || log.context != context || log.frame != context->FrameCount) return {};
  return log.widgets;
}

}  // namespace sim
