// What a player does at the keyboard and mouse of the host's window: each
// action updates the state Windows keeps (key table, cursor position) and
// delivers the message to the window's current procedure, as the host's
// message loop would. Each returns what the procedure returned.
#pragma once

#include "sim/win32.h"

namespace sim {

LRESULT KeyDown(HWND window, int virtualKey);
LRESULT KeyUp(HWND window, int virtualKey);
// A key pressed and released: WM_KEYDOWN then WM_KEYUP; returns the down's result.
LRESULT PressKey(HWND window, int virtualKey);

// Moves the cursor to (x, y) in the window's client area: WM_MOUSEMOVE.
LRESULT MouseMove(HWND window, int x, int y);
// The left button at the cursor's place: WM_LBUTTONDOWN or WM_LBUTTONUP.
LRESULT LeftButton(HWND window, bool down);
// The right button likewise: WM_RBUTTONDOWN or WM_RBUTTONUP.
LRESULT RightButton(HWND window, bool down);

}  // namespace sim
