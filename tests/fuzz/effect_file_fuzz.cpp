// Arbitrary bytes as an effect file (and, after marker lines, as the file it
// includes, the player's saved settings and the file as a modder edits it)
// through the game's call site: the creation hook compiles it, the annotation
// model reads it, the overlay shows its panel, END reloads the edited file,
// and after detach every COM object is released.
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "fuzz_host.h"
#include "sim/host_d3d.h"
#include "sim/host_input.h"
#include "sim/host_kernel.h"

namespace {

// The input is the effect file; after marker lines may follow the text of
// the include "part.fxh", the player's settings file, and the effect file as
// edited before END is pressed (else it is reloaded unchanged).
struct Sources {
  std::string effect;
  std::optional<std::string> include, settings, edited;
};

Sources Split(const std::uint8_t* data, std::size_t size) {
  Sources sources;
  sources.effect.assign(reinterpret_cast<const char*>(data), size);
  // Each marker cuts off what follows it, the last one first.
  const std::pair<const char*, std::optional<std::string>*> parts[] = {
      {"\n@@edited@@\n", &sources.edited},
      {"\n@@settings@@\n", &sources.settings},
      {"\n@@include@@\n", &sources.include}};
  for (const auto& [marker, part] : parts) {
    const std::size_t at = sources.effect.find(marker);
    if (at == std::string::npos) continue;
    *part = sources.effect.substr(at + std::strlen(marker));
    sources.effect.erase(at);
  }
  return sources;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzhost::StartInput();
  fuzzhost::WriteQuietConfig();
  const Sources sources = Split(data, size);
  fuzzhost::WriteFile("FX\\Fuzz.fx", sources.effect);
  if (sources.include) fuzzhost::WriteFile("FX\\includes\\part.fxh", *sources.include);
  if (sources.settings) fuzzhost::WriteFile("vantorix_settings.ini", *sources.settings);
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
  if (sources.edited) fuzzhost::WriteFile("FX\\Fuzz.fx", *sources.edited);
  sim::KeyDown(game.window, VK_END);
  fuzzhost::Frame(game);  // reloaded, and drawn again
  sim::KeyUp(game.window, VK_END);
  fuzzhost::Frame(game);

  effect->Release();
  fuzzhost::EndGame(game);
  return 0;
}
