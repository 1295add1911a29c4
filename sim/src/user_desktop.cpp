// Window geometry, the mouse cursor, its capture and the message details
// that an input layer reads along with each message.
#include "sim/host_kernel.h"
#include "user_state.h"

using sim::detail::TheUser;
using sim::detail::User;

namespace {

// The client area of a window, or null for a window the host never created.
const RECT* ClientArea(User& u, HWND window) {
  sim::detail::Window* found = sim::detail::FindWindow(u, window);
  return found ? &found->client : nullptr;
}

}  // namespace

extern "C" {

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  const RECT* client = ClientArea(u, window);
  if (!client || !rect) return FALSE;
  *rect = {0, 0, client->right - client->left, client->bottom - client->top};
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  const RECT* client = ClientArea(u, window);
  if (!client || !point) return FALSE;
  point->x += client->left;
  point->y += client->top;
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND window, LPPOINT point) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  const RECT* client = ClientArea(u, window);
  if (!client || !point) return FALSE;
  point->x -= client->left;
  point->y -= client->top;
  return TRUE;
}

// The host's windows are ANSI windows, created with the A functions.
BOOL WINAPI IsWindowUnicode(HWND) {
  return FALSE;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  *point = u.cursorPos;
  return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  u.cursorPos = {x, y};
  return TRUE;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  HCURSOR previous = u.cursor;
  u.cursor = cursor;
  return previous;
}

HCURSOR WINAPI GetCursor(void) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  return u.cursor;
}

// The system's shared cursors: one fixed handle per resource number.
HCURSOR WINAPI LoadCursorA(HINSTANCE module, LPCSTR name) {
  const auto id = reinterpret_cast<std::uintptr_t>(name);
  if (module || id == 0 || id > 0xFFFF) return nullptr;
  return reinterpret_cast<HCURSOR>(0x70000 + id);
}

HWND WINAPI GetCapture(void) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  return u.capture;
}

HWND WINAPI SetCapture(HWND window) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  HWND previous = u.capture;
  u.capture = window;
  return previous;
}

BOOL WINAPI ReleaseCapture(void) {
  User& u = TheUser();
  std::lock_guard<std::mutex> guard(u.lock);
  u.capture = nullptr;
  return TRUE;
}

// Accepted; the simulated desktop never sends WM_MOUSELEAVE on its own, the
// host program sends it when its cursor leaves.
BOOL WINAPI TrackMouseEvent(LPTRACKMOUSEEVENT track) {
  return track && track->cbSize == sizeof(TRACKMOUSEEVENT) ? TRUE : FALSE;
}

// Every mouse message comes from a mouse, not a pen or a touch screen.
LPARAM WINAPI GetMessageExtraInfo(void) {
  return 0;
}
}
