// Key state, the foreground window and window procedures.
#include "kernel_internal.h"
#include "sim/host_kernel.h"
#include "user_state.h"

namespace sim::detail {

User& TheUser() {
  static User user;
  return user;
}

Window* FindWindow(User& u, HWND window) {
  auto it = u.windows.find(window);
  if (it != u.windows.end()) return &it->second;
  if (u.destroyed.count(window)) ++u.callsOnDestroyed;
  return nullptr;
}

}  // namespace sim::detail

using sim::detail::FindWindow;
using sim::detail::TheUser;
using sim::detail::User;

namespace sim {

void SetKeyDown(int virtualKey, bool down) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  u.keysDown[virtualKey] = down;
  if (down) u.keysPressed[virtualKey] = true;
}

void SetForegroundWindow(HWND window) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  u.foreground = window;
}

HWND CreateHostWindow(WNDPROC procedure) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  HWND window = reinterpret_cast<HWND>(u.nextWindow);
  u.nextWindow += 0x10;
  u.windows[window].procedure = procedure;
  return window;
}

void DestroyHostWindow(HWND window) {
  SendMessage(window, WM_DESTROY, 0, 0);
  SendMessage(window, WM_NCDESTROY, 0, 0);
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  if (u.windows.erase(window)) u.destroyed.insert(window);
}

int CallsOnDestroyedWindows() {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  return u.callsOnDestroyed;
}

WNDPROC WindowProcedure(HWND window) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  auto it = u.windows.find(window);
  return it == u.windows.end() ? nullptr : it->second.procedure;
}

void SetWindowClientArea(HWND window, int left, int top, int width, int height) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  auto it = u.windows.find(window);
  if (it != u.windows.end()) it->second.client = {left, top, left + width, top + height};
}

void FailNextSetWindowLong() {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  u.failNextSetWindowLong = true;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC procedure = WindowProcedure(window);
  return procedure ? procedure(window, message, wParam, lParam) : 0;
}

void ResetUser() {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  u.keysDown.clear();
  u.keysPressed.clear();
  u.foreground = nullptr;
  u.failNextSetWindowLong = false;
  u.cursorPos = {0, 0};
  u.cursor = nullptr;
  u.capture = nullptr;
  u.callsOnDestroyed = 0;
}

}  // namespace sim

extern "C" {

namespace {

bool KeyDownNow(const User& u, int key) {
  auto it = u.keysDown.find(key);
  return it != u.keysDown.end() && it->second;
}

}  // namespace

// The most significant bit: down now; the lowest: pressed since the last
// read (which this read clears).
short WINAPI GetAsyncKeyState(int key) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  short state = KeyDownNow(u, key) ? static_cast<short>(0x8000) : 0;
  auto pressed = u.keysPressed.find(key);
  if (pressed != u.keysPressed.end() && pressed->second) {
    pressed->second = false;
    state = static_cast<short>(state | 1);
  }
  return state;
}

// One key table serves both: the simulated host has no message queue whose
// state could lag behind the keyboard's.
SHORT WINAPI GetKeyState(int key) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  return KeyDownNow(u, key) ? static_cast<short>(0x8000) : 0;
}

HWND WINAPI GetForegroundWindow(void) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  return u.foreground;
}

// The procedure travels at full pointer width, as SetWindowLongPtrA does on
// 64-bit Windows. As there, a null procedure is accepted and leaves the
// window without one.
LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  sim::detail::Window* found = FindWindow(u, window);
  if (index != GWLP_WNDPROC || !found) return 0;
  if (u.failNextSetWindowLong) {
    u.failNextSetWindowLong = false;
    return 0;
  }
  const auto previous = reinterpret_cast<LONG_PTR>(found->procedure);
  found->procedure = reinterpret_cast<WNDPROC>(value);
  return previous;
}

// As on 32-bit Windows, the procedure travels as a LONG: the host programs
// are linked below 4 GiB so that their code addresses fit.
LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
  if (index != GWL_WNDPROC) return 0;
  const LONG_PTR widened = static_cast<LONG_PTR>(static_cast<ULONG>(value));
  return static_cast<LONG>(SetWindowLongPtrA(window, GWLP_WNDPROC, widened));
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  sim::detail::Window* found = FindWindow(u, window);
  if (index != GWLP_WNDPROC || !found) return 0;
  return reinterpret_cast<LONG_PTR>(found->procedure);
}

BOOL WINAPI IsWindow(HWND window) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  return u.windows.count(window) ? TRUE : FALSE;
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(window, message, wParam, lParam) : 0;
}
}
