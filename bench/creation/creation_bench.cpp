// What the plug-in adds to one effect creation after the compile itself:
// the engine values, the proxy, the parameter model built from annotations
// and the saved values read key by key from the settings file. The clock
// starts when the compile inside the hook has finished and stops when the
// game has its effect. For comparison, each iteration also compiles the same
// file bare, with the same arguments. Times are the thread's CPU time: the
// machine is shared, and time spent descheduled is not the plug-in's.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/module_entry.h"
#include "hook/live_shaders.h"
#include "hook/shader_source.h"
#include "sim/host_code.h"
#include "sim/host_d3d.h"
#include "sim/host_kernel.h"

namespace {

// Sliders, colours and check boxes in the proportions of a tuned
// post-processing effect, each with a saved value.
void WriteShader(int parameters, std::ofstream& source, std::ofstream& settings) {
  settings << "[Tuned]\r\n";
  char line[256];
  for (int i = 0; i < parameters; ++i) {
    const int kind = i % 8;
    const char* pattern =
        kind < 6
            ? "float Parameter%04d < string UIName = \"Slider %d\"; string UIGroup = \"G%d\"; float UIMax "
              "= 2; > = 0.5;\n"
        : kind == 6
            ? "float4 Parameter%04d < string UIName = \"Colour %d\"; string UIGroup = \"G%d\"; "
              "string UIWidget = \"Color\"; > = float4(1, 1, 1, 1);\n"
            : "bool Parameter%04d < string UIName = \"Switch %d\"; string UIGroup = \"G%d\"; > = true;\n";
    std::snprintf(line, sizeof(line), pattern, i, i, i % 6);
    source << line;
    std::snprintf(line, sizeof(line), "Parameter%04d=%s\r\n", i,
                  kind < 6    ? "0.750000"
                  : kind == 6 ? "0.500,0.250,1.000,1.000"
                              : "0");
    settings << line;
  }
  source << "technique Main { pass P0 { } }\n";
}

class Game {
 public:
  explicit Game(int parameters) {
    folder = std::filesystem::temp_directory_path() / ("vantorix-creation-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "FX");
    previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    {
      std::ofstream source(folder / "FX" / "Tuned.fx");
      std::ofstream settings(folder / "vantorix_settings.ini", std::ios::binary);
      WriteShader(parameters, source, settings);
    }
    // Saved in an earlier session, as a player's settings are.
    std::filesystem::last_write_time(folder / "vantorix_settings.ini",
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    std::ofstream("Sorvane.ini") << "[Debug]\r\nEnableConsole=0\r\nLogToFile=0\r\n";
    sim::ResetKernel();
    ready = sim::InstallHostCode();
    DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
    device = sim::CreateDevice(1920, 1080, nullptr);
    // The first creation of the process also sets up textures and device hooks.
    ready = ready && CreateThroughHook() && CompileBare();
  }
  ~Game() {
    DllMain(nullptr, DLL_PROCESS_DETACH, nullptr);
    if (device) device->Release();
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  // The game's creation; the effect is then dropped by the game and taken
  // off the live list, so that the list does not grow over the run.
  bool CreateThroughHook() {
    ID3DXEffect* effect = nullptr;
    HRESULT hr = sim::HostCreateEffectFromResource(device, reinterpret_cast<HMODULE>(0x400000), "Tuned",
                                                   nullptr, nullptr, 0, nullptr, &effect, nullptr);
    if (FAILED(hr) || !effect) return false;
    effect->Release();
    return true;
  }
  bool CompileBare() {
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* messages = nullptr;
    D3DXCreateEffectFromFileA(device, "FX\\Tuned.fx", nullptr, &includeHandler, 0, nullptr, &effect,
                              &messages);
    if (messages) messages->Release();
    if (!effect) return false;
    effect->Release();
    return true;
  }

  std::filesystem::path folder;
  std::filesystem::path previous;
  bool ready = false;
  IDirect3DDevice9* device = nullptr;
};

// CPU time of the calling thread, in seconds.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

void CreateTunedEffect(benchmark::State& state) {
  Game game(static_cast<int>(state.range(0)));
  if (!game.ready) return state.SkipWithError("the game could not create its effect");
  double compiled = 0.0;
  sim::SetEffectFileCompileHook([&](const std::string&) { compiled = ThreadSeconds(); });
  double afterCompile = 0.0;
  double hooked = 0.0;
  double bare = 0.0;
  for (auto _ : state) {
    const double start = ThreadSeconds();
    game.CreateThroughHook();
    const double created = ThreadSeconds();
    const double hookCompiled = compiled;
    game.CompileBare();
    const double bareDone = ThreadSeconds();
    ReleaseLiveShaders();
    afterCompile += created - hookCompiled;
    hooked += created - start;
    bare += bareDone - created;
    state.SetIterationTime(created - hookCompiled);
  }
  sim::SetEffectFileCompileHook(nullptr);
  const double runs = static_cast<double>(state.iterations());
  state.counters["through_hook_ms"] = 1000.0 * hooked / runs;
  state.counters["bare_compile_ms"] = 1000.0 * bare / runs;
  state.counters["after_compile_us_per_param"] =
      1e6 * afterCompile / runs / static_cast<double>(state.range(0));
}

}  // namespace

BENCHMARK(CreateTunedEffect)->Arg(50)->Arg(200)->Arg(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);
