#include "sim/host_input.h"
#include "sim/host_kernel.h"
#include "user_state.h"

namespace sim {
namespace {

// Bits 30 and 31 of a key message's lParam: the key was down before, and
// the key is being released.
constexpr LPARAM kRepeatCountOne = 1;
constexpr LPARAM kWasDown = LPARAM{1} << 30;
constexpr LPARAM kReleasing = LPARAM{1} << 31;

bool LeftButtonDown() {
  detail::User& u = detail::TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  auto it = u.keysDown.find(0x01);  // VK_LBUTTON
  return it != u.keysDown.end() && it->second;
}

LPARAM CursorInClient(HWND window) {
  POINT point{};
  GetCursorPos(&point);
  ScreenToClient(window, &point);
  return MAKELPARAM(point.x, point.y);
}

}  // namespace

LRESULT KeyDown(HWND window, int virtualKey) {
  const bool wasDown = GetAsyncKeyState(virtualKey) != 0;
  SetKeyDown(virtualKey, true);
  return SendMessage(window, WM_KEYDOWN, static_cast<WPARAM>(virtualKey),
                     kRepeatCountOne | (wasDown ? kWasDown : 0));
}

LRESULT KeyUp(HWND window, int virtualKey) {
  SetKeyDown(virtualKey, false);
  return SendMessage(window, WM_KEYUP, static_cast<WPARAM>(virtualKey),
                     kRepeatCountOne | kWasDown | kReleasing);
}

LRESULT PressKey(HWND window, int virtualKey) {
  const LRESULT result = KeyDown(window, virtualKey);
  KeyUp(window, virtualKey);
  return result;
}

LRESULT MouseMove(HWND window, int x, int y) {
  POINT screen{x, y};
  ClientToScreen(window, &screen);
  SetCursorPos(screen.x, screen.y);
  return SendMessage(window, WM_MOUSEMOVE, LeftButtonDown() ? MK_LBUTTON : 0, MAKELPARAM(x, y));
}

LRESULT LeftButton(HWND window, bool down) {
  SetKeyDown(0x01, down);
  return SendMessage(window, down ? WM_LBUTTONDOWN : WM_LBUTTONUP, down ? MK_LBUTTON : 0,
                     CursorInClient(window));
}

LRESULT RightButton(HWND window, bool down) {
  SetKeyDown(0x02, down);
  return SendMessage(window, down ? WM_RBUTTONDOWN : WM_RBUTTONUP, down ? MK_RBUTTON : 0,
                     CursorInClient(window));
}

}  // namespace sim
