#include "overlay/overlay.h"

#include <imgui.h>
#include <imgui_impl_dx9.h>
#include <imgui_impl_win32.h>

#include "core/log.h"
#include "effect/effect_proxy.h"
#include "hook/live_shaders.h"
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

// One tab per live shader, each drawing that shader's parameter panel. Each
// tab is kept apart by its place in the list: shaders of one name get tabs
// of one label, and without it Dear ImGui would take them for one tab and
// their widgets for the same widgets.
void DrawShaderTabs() {
  EnterCriticalSection(&liveShadersLock);
  if (ImGui::BeginTabBar("Shaders", 0)) {
    for (std::size_t i = 0; i < liveShaders.size(); ++i) {
      const LoadedShader& shader = liveShaders[i];
      if (!shader.proxy) continue;
      ImGui::PushID(static_cast<int>(i));
      if (ImGui::BeginTabItem(shader.name.c_str(), nullptr, 0)) {
        EffectProxy& proxy = *shader.proxy;
        if (!proxy.WorkOnGameThread([&] { proxy.DrawParameterPanel(); }))
          ImGui::TextDisabled("The game is loading this shader on another thread.");
        ImGui::EndTabItem();
      }
      ImGui::PopID();
    }
    ImGui::EndTabBar();
  }
  LeaveCriticalSection(&liveShadersLock);
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
  }
  ImGui::End();
  if (!open) overlayState.overlayVisible.store(false, std::memory_order_relaxed);
}

}  // namespace

void InitializeOverlay(IDirect3DDevice9* device) {
  overlayState.overlayWindow = OverlayWindowOf(device);
  IMGUI_CHECKVERSION();
  ImGui::CreateContext(nullptr);
  ImGui::GetIO().ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
  ImGui_ImplWin32_Init(overlayState.overlayWindow);
  ImGui_ImplDX9_Init(device);
  ApplyOverlayTheme();
  overlayState.previousWndProc.store(SetWindowLongPtrA(overlayState.overlayWindow, GWLP_WNDPROC,
                                                       reinterpret_cast<LONG_PTR>(&OverlayWndProc)),
                                     std::memory_order_release);
  overlayState.overlayInitialized.store(true, std::memory_order_relaxed);
  LogInfo("ImGui Initialized.");
}

void RenderOverlayFrame() {
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
  ImGui_ImplDX9_InvalidateDeviceObjects();
}

void RecreateOverlayDeviceObjects() {
  ImGui_ImplDX9_CreateDeviceObjects();
}

// The window procedure goes back first, so that no message reaches Dear
// ImGui once it starts shutting down. A failed subclassing left nothing to
// put back: restoring its null result would leave the window without a
// procedure.
void ShutdownOverlay() {
  if (!overlayState.overlayInitialized.load(std::memory_order_relaxed)) return;
  OverlayLocked locked;
  const LONG_PTR previousWndProc = overlayState.previousWndProc.load(std::memory_order_relaxed);
  if (previousWndProc != 0) SetWindowLongPtrA(overlayState.overlayWindow, GWLP_WNDPROC, previousWndProc);
  ImGui_ImplDX9_Shutdown();
  ImGui_ImplWin32_Shutdown();
  ImGui::DestroyContext(nullptr);
  overlayState.overlayInitialized.store(false, std::memory_order_relaxed);
}
