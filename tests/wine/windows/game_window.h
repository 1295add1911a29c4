// The game's window and its Direct3D 9 device, and the input a player gives
// it: real window messages through the message queue, with the cursor moved
// along so that the window sees the mouse where the messages say.
#pragma once

#include <d3d9.h>

#include <string>
#include <vector>

struct Game {
  HWND window = nullptr;
  IDirect3D9* direct3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  D3DPRESENT_PARAMETERS parameters{};
};

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// False (with the reason on stdout) when the window or the device cannot be made.
bool OpenGame(Game& game);
void CloseGame(Game& game);

// One frame as the game draws it: Clear, BeginScene, a few shapes, EndScene, Present.
HRESULT RenderFrame(Game& game);
void RenderFrames(Game& game, int count);
void PumpMessages();

void PressKeyMessage(Game& game, WPARAM key);
// The mouse moved to (x, y), then its button pressed or released there, with
// a frame drawn after each.
void MouseTo(Game& game, int x, int y, bool press);
// A key pressed on the keyboard (hardware input), for keys polled with GetAsyncKeyState.
void HardwareKey(WORD key, bool down);

// The back buffer copied to system memory: written as a PNG file, or read as
// kWidth x kHeight RGB values (empty when it cannot be read).
bool SaveBackBuffer(Game& game, const std::string& path);
std::vector<DWORD> ReadBackBuffer(Game& game);

// Input messages the game's own window procedure received.
int GameMouseMessages();
