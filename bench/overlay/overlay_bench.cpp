// The cost of one game frame's EndScene once the plug-in hooks it, with 20
// live shaders: the overlay hidden, and shown with a 100-parameter tab open
// (the simulated device's rasteriser off, so the figure is the plug-in's
// and Dear ImGui's own work). The bare case is the device's EndScene with
// no plug-in loaded. LongSession plays 20,000 presented frames and reports
// how much the heap in use grew after the warm-up.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/module_entry.h"
#include "overlay/file_watch.h"
#include "sim/host_code.h"
#include "sim/host_d3d.h"
#include "sim/host_input.h"
#include "sim/host_kernel.h"

namespace {

constexpr int kShaders = 20;
constexpr int kTunedParameters = 100;

LRESULT CALLBACK GameWindowProc(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}

// The first shader has 100 tunable parameters in five groups; the others a
// few. With the extended annotation set, a tenth of them are three-component
// colours, a tenth integer sliders, a tenth hidden and the sliders step.
std::string ShaderSource(int index, bool extended) {
  std::string source;
  const int count = index == 0 ? kTunedParameters : 4;
  for (int i = 0; i < count; ++i) {
    const std::string name = "P" + std::to_string(i);
    const std::string annotations =
        " < string UIName = \"" + name + "\"; string UIGroup = \"Group" + std::to_string(i % 5) + "\"; ";
    if (extended && i % 10 == 9) {
      source += "float3 " + name + annotations + "string UIWidget = \"color\"; > = {1, 1, 1};\n";
    } else if (i % 10 == 9) {
      source += "float4 " + name + annotations + "> = float4(1, 1, 1, 1);\n";
    } else if (i % 10 == 8) {
      source += "bool " + name + annotations + "> = true;\n";
    } else if (extended && i % 10 == 7) {
      source += "int " + name + annotations + "int UIMax = 16; > = 4;\n";
    } else if (extended && i % 10 == 6) {
      source += "float " + name + annotations + "string UIWidget = \"None\"; > = 0.5;\n";
    } else {
      source += "float " + name + annotations + "int UIOrder = " + std::to_string(count - i) + ";" +
                (extended ? " float UIStep = 0.05;" : "") + " > = 0.5;\n";
    }
  }
  return "#include \"common.fxh\"\n" + source + "float Time;\ntechnique T { pass P { } }\n";
}

// A game folder with the plug-in attached, its window and device, and the
// 20 shaders created through the game's call site.
class Game {
 public:
  explicit Game(bool extended = false) {
    previous = std::filesystem::current_path();
    folder = std::filesystem::temp_directory_path() / "vantorix-overlay-bench";
    std::filesystem::create_directories(folder / "FX");
    std::filesystem::current_path(folder);
    std::ofstream("Sorvane.ini") << "[Debug]\r\nEnableConsole=0\r\nLogToFile=0\r\nLoggingLevel=0\r\n"
                                 << "[Compatibility]\r\nExtendedAnnotations=" << (extended ? 1 : 0) << "\r\n";
    std::ofstream("FX/common.fxh") << "float Shared = 1.0;\n";
    for (int i = 0; i < kShaders; ++i)
      std::ofstream("FX/Shader" + std::to_string(i) + ".fx") << ShaderSource(i, extended);
    sim::ResetKernel();
    sim::InstallHostCode();
    window = sim::CreateHostWindow(&GameWindowProc);
    sim::SetWindowClientArea(window, 0, 0, 1920, 1080);
    sim::SetForegroundWindow(window);
    device = sim::CreateDevice(1920, 1080, window);
    sim::SetRasterizerEnabled(device, false);
  }
  ~Game() {
    if (attached) DllMain(nullptr, DLL_PROCESS_DETACH, nullptr);
    for (ID3DXEffect* effect : effects) effect->Release();
    device->Release();
    sim::DestroyHostWindow(window);
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  void LoadPlugin() {
    DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
    attached = true;
    for (int i = 0; i < kShaders; ++i) {
      ID3DXEffect* effect = nullptr;
      const std::string name = "Shader" + std::to_string(i);
      sim::HostCreateEffectFromResource(device, reinterpret_cast<HMODULE>(0x400000), name.c_str(), nullptr,
                                        nullptr, 0, nullptr, &effect, nullptr);
      if (effect) effects.push_back(effect);
    }
    device->EndScene();  // the first hooked EndScene brings the overlay up
  }

  std::filesystem::path previous, folder;
  HWND window = nullptr;
  IDirect3DDevice9* device = nullptr;
  std::vector<ID3DXEffect*> effects;
  bool attached = false;
};

void BareEndScene(benchmark::State& state) {
  Game game;
  for (auto _ : state) benchmark::DoNotOptimize(game.device->EndScene());
}
BENCHMARK(BareEndScene);

void EndSceneOverlayHidden(benchmark::State& state) {
  Game game;
  game.LoadPlugin();
  if (game.effects.size() != kShaders) state.SkipWithError("the shaders did not compile");
  for (auto _ : state) benchmark::DoNotOptimize(game.device->EndScene());
}
BENCHMARK(EndSceneOverlayHidden);

// range(0): 1 with the extended annotation set's widgets in the open tab.
void EndSceneOverlayShown(benchmark::State& state) {
  Game game(state.range(0) != 0);
  game.LoadPlugin();
  if (game.effects.size() != kShaders) state.SkipWithError("the shaders did not compile");
  sim::PressKey(game.window, VK_INSERT);  // the first tab, with 100 parameters, is open
  for (auto _ : state) benchmark::DoNotOptimize(game.device->EndScene());
}
BENCHMARK(EndSceneOverlayShown)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The watch for saved effect files alone, at 60 frames a second with nothing
// changed: 20 effects, each with its file and one include to poll twice a
// second. The cost is averaged over the frames between polls and the polls.
void WatchingFilesPerFrame(benchmark::State& state) {
  Game game;
  game.LoadPlugin();
  if (game.effects.size() != kShaders) state.SkipWithError("the shaders did not compile");
  sim::SetClock(0, SYSTEMTIME{});  // the frames' clock, advanced by hand
  for (auto _ : state) {
    sim::AdvanceClock(16);
    WatchEffectFiles(game.device);
  }
}
BENCHMARK(WatchingFilesPerFrame);

// 20,000 presented frames with every effect's values set each frame, the
// overlay shown and END pressed every 500 frames. The heap in use after a
// warm-up of 5,000 frames (the simulated device keeps the latest 4,096 released objects) should stay flat:
// growth_per_frame near 0 bytes.
void LongSession(benchmark::State& state) {
  // Released effects give their handles back, as D3DX's memory does: by
  // default the simulated D3DX keeps them, and each reload would grow it.
  sim::SetHandleReuse(true);
  Game game;
  game.LoadPlugin();
  sim::PressKey(game.window, VK_INSERT);
  constexpr int kFrames = 20000;
  constexpr int kWarmUp = 5000;
  std::size_t warm = 0;
  for (auto _ : state) {
    for (int frame = 0; frame < kFrames; ++frame) {
      if (frame == kWarmUp) warm = mallinfo2().uordblks;
      for (ID3DXEffect* effect : game.effects) effect->SetFloat("P0", static_cast<float>(frame));
      if (frame % 500 == 499) {
        sim::ClearDebuggerOutput();  // the simulated debugger's record of the log is not the plug-in's
        sim::KeyDown(game.window, VK_END);
      }
      if (frame % 500 == 0 && frame > 0) sim::KeyUp(game.window, VK_END);
      game.device->BeginScene();
      game.device->EndScene();
      game.device->Present(nullptr, nullptr, nullptr, nullptr);
    }
  }
  const double growth = static_cast<double>(mallinfo2().uordblks) - static_cast<double>(warm);
  state.counters["heap_growth_bytes"] = growth;
  state.counters["growth_per_frame"] = growth / (kFrames - kWarmUp);
  sim::SetHandleReuse(false);
}
BENCHMARK(LongSession)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
