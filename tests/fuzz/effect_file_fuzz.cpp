// Arbitrary bytes as an effect file (and, after a marker line, as the file
// it may include) through the game's call site: the creation hook compiles
// it, the annotation model reads it, the overlay shows its panel for a frame,
// END reloads it, and after detach every COM object is released.
#include <cstring>
#include <string>

#include "fuzz_host.h"
#include "sim/host_d3d.h"
#include "sim/host_input.h"
#include "sim/host_kernel.h"

namespace {

// Everything after this line is the include "part.fxh".
const char kIncludeMarker[] = "\n@@include@@\n";

void WriteSources(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t marker = input.find(kIncludeMarker);
  if (marker == std::string::npos) {
    fuzzhost::WriteFile("FX\\Fuzz.fx", input);
    return;
  }
  fuzzhost::WriteFile("FX\\Fuzz.fx", input.substr(0, marker));
  fuzzhost::WriteFile("FX\\includes\\part.fxh", input.substr(marker + std::strlen(kIncludeMarker)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzhost::StartInput();
  fuzzhost::WriteQuietConfig();
  WriteSources(data, size);
  fuzzhost::Attach();
  fuzzhost::Game game = fuzzhost::StartGame();
  // The game's own effect, used when the file does not compile.
  sim::RegisterResource(reinterpret_cast<HMODULE>(0x400000), "Fuzz",
                        "float Exposure = 1;\ntechnique T { pass P { } }\n");

  ID3DXEffect* effect = nullptr;
  fuzzhost::Require(fuzzhost::HostCreates(game, "Fuzz", &effect) == S_OK && effect != nullptr,
                    "the game gets an effect, from the file or from its resource");
  fuzzhost::Frame(game);  // the overlay starts
  sim::PressKey(game.window, VK_INSERT);
  fuzzhost::Frame(game);  // the panel is drawn
  sim::SetKeyDown(VK_END, true);
  fuzzhost::Frame(game);  // reloaded, and drawn again
  sim::SetKeyDown(VK_END, false);
  fuzzhost::Frame(game);

  effect->Release();
  fuzzhost::Detach();
  fuzzhost::EndGame(game);
  return 0;
}
