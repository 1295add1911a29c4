#include "fuzz_host.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/module_entry.h"
#include "sim/host_code.h"
#include "sim/host_d3d.h"
#include "sim/host_kernel.h"

namespace fs = std::filesystem;

namespace fuzzhost {

void Require(bool condition, const char* rule) {
  if (condition) return;
  std::fprintf(stderr, "fuzz rule broken: %s\n", rule);
  std::abort();
}

void StartInput() {
  static std::string workFolder;
  if (workFolder.empty()) {
    std::string pattern = (fs::temp_directory_path() / "vantorix-fuzz-XXXXXX").string();
    Require(mkdtemp(pattern.data()) != nullptr, "a temporary working folder can be made");
    workFolder = pattern;
    Require(chdir(workFolder.c_str()) == 0, "the working folder can be entered");
  }
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(workFolder, error)) fs::remove_all(entry.path(), error);
  sim::ResetOverReleases();
  sim::ResetKernel();
  sim::ClearEffectCalls();
  sim::ClearResources();
  // Released effects give their handles back, as D3DX does: without it every
  // input would keep its effects' handles for the rest of the run.
  sim::SetHandleReuse(true);
  SYSTEMTIME noon{2026, 1, 4, 1, 12, 0, 0, 0};
  sim::SetClock(1000, noon);
  Require(sim::InstallHostCode(), "the game's code page can be mapped");
}

void WriteFile(const std::string& path, const std::string& content) {
  WriteFile(path, reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  fs::path target = sim::HostPath(path.c_str());
  std::error_code error;
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
  std::ofstream out(target, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(sim::HostPath(path.c_str()), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteQuietConfig() {
  WriteFile("Sorvane.ini", "[Debug]\r\nEnableConsole=0\r\nLoggingLevel=3\r\nIncludeTimestamps=0\r\n");
}

Game StartGame() {
  DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
  Game game;
  game.window = sim::CreateHostWindow(nullptr);
  sim::SetWindowClientArea(game.window, 0, 0, 640, 480);
  sim::SetForegroundWindow(game.window);
  game.device = sim::CreateDevice(640, 480, game.window);
  Require(game.device != nullptr, "the simulated device can be created");
  // The overlay's pixels are not what is fuzzed; draws are still counted.
  sim::SetRasterizerEnabled(game.device, false);
  return game;
}

HRESULT HostCreates(Game& game, const char* name, ID3DXEffect** effect) {
  static const HMODULE module = reinterpret_cast<HMODULE>(0x400000);
  return sim::HostCreateEffectFromResource(game.device, module, name, nullptr, nullptr, 0, nullptr, effect,
                                           nullptr);
}

void Frame(Game& game) {
  sim::AdvanceClock(16);
  game.device->BeginScene();
  game.device->EndScene();
  game.device->Present(nullptr, nullptr, nullptr, nullptr);
}

void EndGame(Game& game) {
  DllMain(nullptr, DLL_PROCESS_DETACH, nullptr);
  sim::ClearResources();
  if (game.device != nullptr) game.device->Release();
  game.device = nullptr;
  sim::DestroyHostWindow(game.window);
  game.window = nullptr;
  Require(sim::LiveObjects() == 0, "every COM object is released once the game has let go of its own");
  Require(sim::OverReleases() == 0, "no COM object is released more often than it was referenced");
}

}  // namespace fuzzhost
