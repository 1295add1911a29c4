// What the plug-in adds to each of the game's frames: EndScene through the
// detour with 20 live effects, against the device's own EndScene reached
// through the trampoline (the bare call), in the same run.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/module_entry.h"
#include "overlay/overlay_state.h"
#include "sim/host_code.h"
#include "sim/host_d3d.h"
#include "sim/host_kernel.h"

namespace {

constexpr int kLiveEffects = 20;

// A game folder with 20 effect files, the plug-in attached and every effect created.
class Game {
 public:
  Game() {
    previous = std::filesystem::current_path();
    folder = std::filesystem::temp_directory_path() / "vantorix-frame-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "FX");
    std::filesystem::current_path(folder);
    std::ofstream("Sorvane.ini") << "[Debug]\nEnableConsole=0\nLogToFile=0\n";
    sim::InstallHostCode();
    device = sim::CreateDevice(1920, 1080, nullptr);
    DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
    for (int i = 0; i < kLiveEffects; ++i) {
      const std::string name = "Effect" + std::to_string(i);
      std::ofstream("FX/" + name + ".fx")
          << "float Time; float Strength < string UIName = \"Strength\"; > = 1;\n"
             "float4 Tint < string UIName = \"Tint\"; > = 1;\n"
             "technique T { pass P { } }\n";
      ID3DXEffect* effect = nullptr;
      sim::HostCreateEffectFromResource(device, nullptr, name.c_str(), nullptr, nullptr, 0, nullptr, &effect,
                                        nullptr);
      effects.push_back(effect);
    }
  }
  ~Game() {
    for (ID3DXEffect* effect : effects) {
      if (effect) effect->Release();
    }
    DllMain(nullptr, DLL_PROCESS_DETACH, nullptr);
    device->Release();
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  IDirect3DDevice9* device = nullptr;
  std::vector<ID3DXEffect*> effects;

 private:
  std::filesystem::path previous;
  std::filesystem::path folder;
};

Game& TheGame() {
  static Game game;
  return game;
}

void BareEndScene(benchmark::State& state) {
  Game& game = TheGame();
  for (auto _ : state) benchmark::DoNotOptimize(overlayState.endSceneTrampoline(game.device));
}
BENCHMARK(BareEndScene);

void EndSceneThroughTheHook20Effects(benchmark::State& state) {
  Game& game = TheGame();
  for (auto _ : state) benchmark::DoNotOptimize(game.device->EndScene());
}
BENCHMARK(EndSceneThroughTheHook20Effects);

}  // namespace
