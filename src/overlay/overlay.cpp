#include "overlay/overlay.h"

#include <imgui.h>
#include <imgui_impl_dx9.h>
#include <imgui_impl_win32.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "core/log.h"
#include "effect/effect_proxy.h"
#include "hook/live_shaders.h"
#include "overlay/device_references.h"
#include "overlay/hot_reload.h"
#include "overlay/overlay_state.h"
#include "overlay/overlay_theme.h"

namespace {

const char kWindowTitle[] = "KORVALINE // Vantorix";

// The focus window the device was created for, else the foreground window.
// A failing GetCreationParameters leaves the zeroed structure, so it falls
// back too.
HWND OverlayWindowOf(IDirect3DDevice9* device) {
  D3DDEVICE_CREATION_PARAMETERS parameters{};
  device->GetCreationParameters(&parameters);
  return parameters.hFocusWindow ? parameters.hFocusWindow : GetForegroundWindow();
}

const ImVec4 kFailureColour(1.0f, 0.38f, 0.38f, 1.0f);
constexpr int kMessageLinesInView = 6;

// One line of status text; a click copies it (a path, a compiler message).
// Texts are cut to the buffer: nothing in the frame allocates.
void StatusLine(bool failure, const char* format, ...) {
  char text[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof(text), format, arguments);
  va_end(arguments);
  if (failure) ImGui::PushStyleColor(ImGuiCol_Text, kFailureColour);
  if (ImGui::Selectable(text)) ImGui::SetClipboardText(text);
  if (failure) ImGui::PopStyleColor();
}

template <class Visit>
void ForEachLine(const std::string& text, Visit visit) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (end > at) visit(text.c_str() + at, static_cast<int>(end - at));
    at = end + 1;
  }
}

// The compiler's messages, one line each ("file(line,column): text"): the
// first lines in view, the rest by scrolling.
void CompilerMessages(const std::string& messages) {
  int lines = 0;
  ForEachLine(messages, [&](const char*, int) { ++lines; });
  if (lines == 0) return;
  const ImGuiStyle& style = ImGui::GetStyle();  // room for the lines and a horizontal scroll bar
  const float height =
      static_cast<float>(std::min(lines, kMessageLinesInView)) * ImGui::GetTextLineHeightWithSpacing() +
      style.WindowPadding.y * 2.0f + style.ScrollbarSize;
  if (ImGui::BeginChild("##messages", ImVec2(0.0f, height), ImGuiChildFlags_Borders,
                        ImGuiWindowFlags_HorizontalScrollbar)) {
    int line = 0;
    ForEachLine(messages, [&](const char* text, int length) {
      ImGui::PushID(line++);
      StatusLine(true, "%.*s", length, text);
      ImGui::PopID();
    });
  }
  ImGui::EndChild();
}

// A tab whose label keeps its identity whether or not it is marked as failed,
// so that it stays the open tab when its shader fails.
bool BeginShaderTab(const std::string& name, bool failed) {
  char label[320];
  std::snprintf(label, sizeof(label), "%s%s###shader", name.c_str(), failed ? " (!)" : "");
  if (failed) ImGui::PushStyleColor(ImGuiCol_Text, kFailureColour);
  const bool open = ImGui::BeginTabItem(label, nullptr, 0);
  if (failed) ImGui::PopStyleColor();
  return open;
}

void DrawProxyTab(EffectProxy& proxy) {
  const EffectSource& source = proxy.source;
  StatusLine(false, "Compiled from %s", source.path.c_str());
  if (source.failed) {
    StatusLine(true, "The latest compile failed; the previous effect is kept.");
    CompilerMessages(source.messages);
  }
  if (!proxy.WorkOnGameThread([&] { proxy.DrawParameterPanel(); }))
    ImGui::TextDisabled("The game is loading this shader on another thread.");
}

void DrawBuiltInTab(const BuiltInShader& shader) {
  if (shader.failedFile.empty()) {
    StatusLine(false, "the game's built-in effect");
    return;
  }
  StatusLine(true, "%s failed; the game's built-in effect is used.", shader.failedFile.c_str());
  CompilerMessages(shader.messages);
}

// One tab per live shader, each drawing that shader's state and parameter
// panel, then one per effect the game built from its own resource. Each tab
// is kept apart by its place in the list: shaders of one name get tabs of
// one label, and without it Dear ImGui would take them for one tab and
// their widgets for the same widgets.
void DrawShaderTabs() {
  LiveShadersLocked locked;
  if (!ImGui::BeginTabBar("Shaders", 0)) return;
  int tab = 0;
  for (const LoadedShader& shader : liveShaders) {
    ImGui::PushID(tab++);
    if (shader.proxy && BeginShaderTab(shader.name, shader.proxy->source.failed)) {
      DrawProxyTab(*shader.proxy);
      ImGui::EndTabItem();
    }
    ImGui::PopID();
  }
  for (const BuiltInShader& shader : builtInShaders) {
    ImGui::PushID(tab++);
    if (BeginShaderTab(shader.name, !shader.failedFile.empty())) {
      DrawBuiltInTab(shader);
      ImGui::EndTabItem();
    }
    ImGui::PopID();
  }
  ImGui::EndTabBar();
}

void DrawReloadSummary() {
  const ReloadSummary& summary = lastReloadSummary;
  if (!summary.any) return;
  char text[128];
  std::snprintf(text, sizeof(text), "Reloaded %d, failed %d, in %.1f ms", summary.reloaded, summary.failed,
                summary.milliseconds);
  ImGui::Selectable(text, false, ImGuiSelectableFlags_Disabled);
}

void SaveAllShaders() {
  EnterCriticalSection(&liveShadersLock);
  for (const LoadedShader& shader : liveShaders) {
    if (!shader.proxy) continue;
    // The tuned values are the plug-in's own: saved whichever thread the game uses the effect on.
    EnterCriticalSection(&shader.proxy->pluginWorkLock);
    shader.proxy->SaveParameterSettings();
    LeaveCriticalSection(&shader.proxy->pluginWorkLock);
  }
  LeaveCriticalSection(&liveShadersLock);
}

void DrawOverlayWindow() {
  ImGui::SetNextWindowSize(ImVec2(450.0f, 600.0f), ImGuiCond_FirstUseEver);
  // The close button clears the flag through a plain bool; the window's
  // thread changes it only under the overlay lock, which this frame holds.
  bool open = true;
  if (ImGui::Begin(kWindowTitle, &open, 0)) {
    ImGui::Text("Shader Configuration Interface");
    ImGui::Separator();
    DrawShaderTabs();
    ImGui::Separator();
    if (ImGui::Button("Force Reload (END)", ImVec2(200.0f, 0.0f)))
      overlayState.reloadRequested.store(true, std::memory_order_relaxed);
    ImGui::SameLine(0.0f, -1.0f);
    if (ImGui::Button("SAVE CONFIG TO DISK", ImVec2(200.0f, 0.0f))) SaveAllShaders();
    DrawReloadSummary();
  }
  ImGui::End();
  if (!open) overlayState.overlayVisible.store(false, std::memory_order_relaxed);
}

}  // namespace

void Subclass(HWND window) {
  overlayState.overlayWindow = window;
  overlayState.previousWndProc.store(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OverlayWndProc)),
      std::memory_order_release);
}

// A destroyed window is never named again; a failed subclassing left
// nothing to put back. The previous procedure stays known for the messages
// that were already on their way to ours.
void Unsubclass() {
  HWND window = overlayState.overlayWindow;
  const auto ours = reinterpret_cast<LONG_PTR>(&OverlayWndProc);
  const LONG_PTR previous = overlayState.previousWndProc.load(std::memory_order_relaxed);
  if (window != nullptr && IsWindow(window) && GetWindowLongPtrA(window, GWLP_WNDPROC) == ours)
    SetWindowLongPtrA(window, GWLP_WNDPROC, previous);
  overlayState.overlayWindow = nullptr;
}

namespace {

// The renderer gives back every texture it uploaded and marks it destroyed,
// but leaves one it never uploaded (a second Reset before the overlay drew
// again) asking to be destroyed; Dear ImGui would then free the font atlas's
// texture while the fonts still draw with it. Such a texture counts as
// destroyed too, so that the next frame uploads it again.
void SettleTexturesNeverUploaded() {
  for (ImTextureData* texture : ImGui::GetPlatformIO().Textures) {
    if (texture->Status == ImTextureStatus_WantDestroy && texture->TexID == ImTextureID_Invalid &&
        texture->BackendUserData == nullptr)
      texture->SetStatus(ImTextureStatus_Destroyed);
  }
}

}  // namespace

void StartRenderer(IDirect3DDevice9* device) {
  PluginCallsOn ownCalls(device);
  ImGui_ImplDX9_Init(device);
  overlayState.overlayDevice = device;
  overlayState.deviceObjectsLost = false;
}

void StopRenderer() {
  IDirect3DDevice9* device = overlayState.overlayDevice;
  if (device == nullptr) return;
  PluginCallsOn ownCalls(device);
  ImGui_ImplDX9_Shutdown();
  SettleTexturesNeverUploaded();
  overlayState.overlayDevice = nullptr;
}

void InitializeOverlay(IDirect3DDevice9* device) {
  HWND window = OverlayWindowOf(device);
  IMGUI_CHECKVERSION();
  ImGui::CreateContext(nullptr);
  ImGui::GetIO().ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
  ImGui_ImplWin32_Init(window);
  StartRenderer(device);
  ApplyOverlayTheme();
  Subclass(window);
  overlayState.overlayInitialized.store(true, std::memory_order_relaxed);
  LogInfo("ImGui Initialized.");
}

void BindOverlay(IDirect3DDevice9* device) {
  if (!overlayState.overlayInitialized.load(std::memory_order_relaxed)) {
    InitializeOverlay(device);
    return;
  }
  if (overlayState.overlayDevice == device) return;
  StopRenderer();
  StartRenderer(device);
  FollowWindow(OverlayWindowOf(device));
}

void ReleaseOverlayDevice(IDirect3DDevice9* device) {
  OverlayLocked locked;
  if (overlayState.overlayDevice == device) StopRenderer();
}

void FollowWindow(HWND window) {
  if (window == nullptr || window == overlayState.overlayWindow) return;
  Unsubclass();
  ImGui_ImplWin32_Shutdown();
  ImGui_ImplWin32_Init(window);
  Subclass(window);
}

void ForgetDestroyedWindow(HWND window) {
  if (window != overlayState.overlayWindow) return;
  Unsubclass();
}

void RenderOverlayFrame() {
  PluginCallsOn ownCalls(overlayState.overlayDevice);
  ImGui_ImplDX9_NewFrame();
  ImGui_ImplWin32_NewFrame();
  ImGui::NewFrame();
  if (overlayState.overlayVisible.load(std::memory_order_relaxed)) DrawOverlayWindow();
  // The library draws its own cursor exactly while the window is shown,
  // including after the window's close button hid it.
  ImGui::GetIO().MouseDrawCursor = overlayState.overlayVisible.load(std::memory_order_relaxed);
  ImGui::EndFrame();
  ImGui::Render();
  ImGui_ImplDX9_RenderDrawData(ImGui::GetDrawData());
}

void InvalidateOverlayDeviceObjects() {
  if (overlayState.deviceObjectsLost) return;
  PluginCallsOn ownCalls(overlayState.overlayDevice);
  ImGui_ImplDX9_InvalidateDeviceObjects();
  SettleTexturesNeverUploaded();
  overlayState.deviceObjectsLost = true;
}

void RecreateOverlayDeviceObjects() {
  PluginCallsOn ownCalls(overlayState.overlayDevice);
  ImGui_ImplDX9_CreateDeviceObjects();
  overlayState.deviceObjectsLost = false;
}

// The window procedure goes back first, so that no message reaches Dear
// ImGui once it starts shutting down.
void ShutdownOverlay() {
  if (!overlayState.overlayInitialized.load(std::memory_order_relaxed)) return;
  OverlayLocked locked;
  Unsubclass();
  {
    OwnDeviceCalls ownCalls;
    if (overlayState.overlayDevice != nullptr) ImGui_ImplDX9_Shutdown();
    overlayState.overlayDevice = nullptr;
  }
  ImGui_ImplWin32_Shutdown();
  ImGui::DestroyContext(nullptr);
  overlayState.overlayInitialized.store(false, std::memory_order_relaxed);
}
