// The game around a fuzz target: a working folder of its own, the game's
// window and device, the plug-in loaded and unloaded as the process loader
// does it, and checks that stop the run (abort) when a rule is broken, so
// that libFuzzer records the input as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/d3dx9.h"

namespace fuzzhost {

// Every input starts in the same empty working folder (a temporary folder,
// made on the first call) with the simulated kernel reset, the game's
// original code at its call site and a fixed clock.
void StartInput();

// Writes a file (Windows-style relative path) under the working folder.
void WriteFile(const std::string& path, const std::string& content);
void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size);
std::string ReadFile(const std::string& path);

// A loader configuration with the console off and every log level on.
void WriteQuietConfig();

// The plug-in attached as the process loader does it, then the game's window
// and a small device with the rasteriser off.
struct Game {
  HWND window = nullptr;
  IDirect3DDevice9* device = nullptr;
};
Game StartGame();
// The game creates an effect through its call site at 0x70AAA8.
HRESULT HostCreates(Game& game, const char* name, ID3DXEffect** effect);
// One frame: BeginScene, EndScene through the hooks, Present.
void Frame(Game& game);
// Detaches the plug-in, releases the device and the window, then requires
// that every simulated COM object was released exactly once.
void EndGame(Game& game);

// Aborts with the message when the condition is false.
void Require(bool condition, const char* rule);

}  // namespace fuzzhost
