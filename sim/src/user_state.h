// State of the simulated user services, shared by their source files: keys,
// the foreground window, the host's windows, the cursor and the capture.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <set>

#include "sim/win32_desktop.h"

namespace sim::detail {

struct Window {
  WNDPROC procedure = nullptr;
  RECT client{0, 0, 800, 600};  // the client area, in screen coordinates
};

struct User {
  std::mutex lock;
  std::map<int, bool> keysDown;
  // Pressed since GetAsyncKeyState last read the key (its lowest bit).
  std::map<int, bool> keysPressed;
  HWND foreground = nullptr;
  std::map<HWND, Window> windows;
  std::set<HWND> destroyed;
  int callsOnDestroyed = 0;
  std::uintptr_t nextWindow = 0x10010;
  bool failNextSetWindowLong = false;
  POINT cursorPos{0, 0};
  HCURSOR cursor = nullptr;
  HWND capture = nullptr;
};

User& TheUser();

// The window's record; null (and the call counted when the handle named a
// destroyed window) for any other handle. Called with the lock held.
Window* FindWindow(User& u, HWND window);

}  // namespace sim::detail
