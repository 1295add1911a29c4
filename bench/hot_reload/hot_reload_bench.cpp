// Hot reload of a game with 50 shaders of 40 tunable parameters each. The
// compiler's own work is measured in the same run (50 bare compiles of the
// same files, with the same arguments), so that what the reload adds around
// it (snapshot, engine values, parameter parse, restored values, swaps) is
// reported as a share of the whole reload.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/module_entry.h"
#include "effect/effect_proxy.h"
#include "hook/shader_source.h"
#include "overlay/hot_reload.h"
#include "sim/host_code.h"
#include "sim/host_d3d.h"
#include "sim/host_kernel.h"

namespace {

constexpr int kShaders = 50;
constexpr int kParameters = 40;  // 30 sliders, 5 colours, 5 check boxes

std::string ShaderSource(int shader) {
  std::string source;
  char line[256];
  for (int i = 0; i < kParameters; ++i) {
    const char* pattern =
        i < 30 ? "float P%02d < string UIName = \"Slider %d\"; string UIGroup = \"G%d\"; float UIMax = 2; > "
                 "= 0.5;\n"
        : i < 35 ? "float4 P%02d < string UIName = \"Colour %d\"; string UIGroup = \"G%d\"; > = float4(1, 1, "
                   "1, 1);\n"
                 : "bool P%02d < string UIName = \"Switch %d\"; string UIGroup = \"G%d\"; > = true;\n";
    std::snprintf(line, sizeof(line), pattern, i, i, i % 4);
    source += line;
  }
  std::snprintf(line, sizeof(line), "technique Shader%02d { pass P0 { } }\n", shader);
  return source + line;
}

// The game: attached plug-in, its device, and 50 live shaders whose proxies
// hold values the game set.
class Game {
 public:
  Game() {
    folder = std::filesystem::temp_directory_path() / ("vantorix-reload-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "FX");
    previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    sim::ResetKernel();
    ready = sim::InstallHostCode();
    std::ofstream("Sorvane.ini") << "[Debug]\r\nEnableConsole=0\r\nLogToFile=0\r\n";
    DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
    device = sim::CreateDevice(1920, 1080, nullptr);
    for (int s = 0; s < kShaders && ready; ++s) {
      char name[16];
      std::snprintf(name, sizeof(name), "Shader%02d", s);
      std::ofstream(folder / "FX" / (std::string(name) + ".fx")) << ShaderSource(s);
      paths.push_back(std::string("FX\\") + name + ".fx");
      ID3DXEffect* effect = nullptr;
      HRESULT hr = sim::HostCreateEffectFromResource(device, reinterpret_cast<HMODULE>(0x400000), name,
                                                     nullptr, nullptr, 0, nullptr, &effect, nullptr);
      ready = SUCCEEDED(hr) && effect != nullptr;
      if (!ready) break;
      for (int i = 0; i < 10; ++i) {
        char parameter[8];
        std::snprintf(parameter, sizeof(parameter), "P%02d", i);
        effect->SetFloat(effect->GetParameterByName(nullptr, parameter), 0.25f * i);
      }
      held.push_back(effect);
    }
  }
  ~Game() {
    for (ID3DXEffect* effect : held) effect->Release();
    DllMain(nullptr, DLL_PROCESS_DETACH, nullptr);
    if (device) device->Release();
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  // The compiles a reload makes, and nothing else.
  void CompileAll() {
    for (const std::string& path : paths) {
      ID3DXEffect* effect = nullptr;
      ID3DXBuffer* messages = nullptr;
      D3DXCreateEffectFromFileA(device, path.c_str(), nullptr, &includeHandler, 0, nullptr, &effect,
                                &messages);
      if (messages) messages->Release();
      if (effect) effect->Release();
    }
  }

  std::filesystem::path folder;
  std::filesystem::path previous;
  bool ready = false;
  IDirect3DDevice9* device = nullptr;
  std::vector<std::string> paths;
  std::vector<ID3DXEffect*> held;
};

double Seconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

void ReloadFiftyShaders(benchmark::State& state) {
  Game game;
  if (!game.ready) return state.SkipWithError("the game could not create its shaders");
  double reload = 0.0;
  double compiles = 0.0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    ReloadAllShaders(game.device);
    auto reloaded = std::chrono::steady_clock::now();
    game.CompileAll();
    auto compiled = std::chrono::steady_clock::now();
    reload += Seconds(reloaded - start);
    compiles += Seconds(compiled - reloaded);
    state.SetIterationTime(Seconds(reloaded - start));
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["reload_ms"] = 1000.0 * reload / runs;
  state.counters["bare_compiles_ms"] = 1000.0 * compiles / runs;
  state.counters["outside_compiler_pct"] = 100.0 * (reload - compiles) / reload;
}

}  // namespace

BENCHMARK(ReloadFiftyShaders)->UseManualTime()->Unit(benchmark::kMillisecond);
