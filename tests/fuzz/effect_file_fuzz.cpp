// Arbitrary bytes as an effect file (and, after marker lines, as the file it
// may include and the player's saved settings) through the game's call site: the creation hook compiles
// it, the annotation model reads it, the overlay shows its panel for a frame,
// END reloads it, and after detach every COM object is released.
#include <cstring>
#include <string>

#include "fuzz_host.h"
#include "sim/host_d3d.h"
#include "sim/host_input.h"
#include "sim/host_kernel.h"

namespace {

// The input is the effect file; after a marker line may follow the text of
// the include "part.fxh", and after another the player's settings file.
const char kIncludeMarker[] = "\n@@include@@\n";
const char kSettingsMarker[] = "\n@@settings@@\n";

// Cuts `text` at `marker`: what follows it goes to `rest`.
std::string CutAt(std::string& text, const char* marker) {
  const std::size_t at = text.find(marker);
  if (at == std::string::npos) return std::string();
  std::string rest = text.substr(at + std::strlen(marker));
  text.erase(at);
  return rest;
}

void WriteSources(const std::uint8_t* data, std::size_t size) {
  std::string effect(reinterpret_cast<const char*>(data), size);
  std::string settings = CutAt(effect, kSettingsMarker);
  std::string include = CutAt(effect, kIncludeMarker);
  fuzzhost::WriteFile("FX\\Fuzz.fx", effect);
  fuzzhost::WriteFile("FX\\includes\\part.fxh", include);
  fuzzhost::WriteFile("vantorix_settings.ini", settings);
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
