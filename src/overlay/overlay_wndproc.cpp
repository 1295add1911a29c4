// The host window's procedure while the overlay is initialised: INSERT shows
// and hides the overlay; while it is shown, Dear ImGui gets every message
// first and the host does not see mouse and keyboard input (except Escape).
#include <imgui.h>

#include "core/plugin_calls.h"
#include "overlay/overlay.h"
#include "overlay/overlay_state.h"

extern IMGUI_IMPL_API LRESULT ImGui_ImplWin32_WndProcHandler(HWND window, UINT message, WPARAM wParam,
                                                             LPARAM lParam);

namespace {

constexpr UINT kFirstMouseMessage = WM_MOUSEMOVE;
constexpr UINT kLastMouseMessage = WM_MOUSEHWHEEL;
constexpr UINT kFirstKeyMessage = WM_KEYDOWN;
constexpr UINT kLastKeyMessage = WM_UNICHAR;

bool InRange(UINT message, UINT first, UINT last) {
  return message >= first && message <= last;
}

bool IsEndKeyMessage(UINT message, WPARAM wParam) {
  const bool keyMessage =
      message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
  return keyMessage && wParam == VK_END;
}

// While hidden the overlay runs no frame and hears no mouse message: where
// the cursor is goes first into the queue, so that the frame that shows the
// overlay already has it (after the key, it would wait a frame).
void QueueCursorPosition(HWND window) {
  POINT cursor{};
  if (!overlayState.overlayInitialized.load(std::memory_order_relaxed)) return;
  if (GetCursorPos(&cursor) && ScreenToClient(window, &cursor))
    ImGui::GetIO().AddMousePosEvent(static_cast<float>(cursor.x), static_cast<float>(cursor.y));
}

}  // namespace

// Dear ImGui sees the message under the overlay lock; the host's procedure
// runs after the lock is left, so that it may do anything, even wait for the
// render thread. A message that arrives while the plug-in unloads finds the
// context gone (or going) and only reaches the host.
LRESULT CALLBACK OverlayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  constexpr auto relaxed = std::memory_order_relaxed;
  LONG_PTR previousWndProc = overlayState.previousWndProc.load(std::memory_order_acquire);
  {
    PluginCall call;
    if (call.Admitted()) {
      OverlayLocked locked;
      previousWndProc = overlayState.previousWndProc.load(relaxed);
      if (IsEndKeyMessage(message, wParam)) overlayState.endKeyMessage.store(true, relaxed);
      if (overlayState.overlayInitialized.load(relaxed)) {
        if (message == WM_NCDESTROY) {
          // The last message the window gets: its own procedure goes back on it.
          ForgetDestroyedWindow(window);
        } else if (message == WM_KEYDOWN && wParam == VK_INSERT) {
          overlayState.overlayVisible.store(!overlayState.overlayVisible.load(relaxed), relaxed);
          ImGui::GetIO().MouseDrawCursor = overlayState.overlayVisible.load(relaxed);
          if (overlayState.overlayVisible.load(relaxed)) QueueCursorPosition(window);
        }
        if (message != WM_NCDESTROY && overlayState.overlayVisible.load(relaxed)) {
          if (ImGui_ImplWin32_WndProcHandler(window, message, wParam, lParam)) return 1;
          if (InRange(message, kFirstMouseMessage, kLastMouseMessage)) return 0;
          if (InRange(message, kFirstKeyMessage, kLastKeyMessage) && wParam != VK_ESCAPE) return 0;
        }
      }
    }
  }
  return CallWindowProcA(reinterpret_cast<WNDPROC>(previousWndProc), window, message, wParam, lParam);
}
