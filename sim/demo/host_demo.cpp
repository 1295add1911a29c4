// Plays the game on Linux in the current folder (a copy of samples/): loads
// the plug-in, creates the game's effects through the game's own call
// instruction, shows what the overlay would list for each live shader, and
// unloads the plug-in.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "core/module_entry.h"
#include "demo_overlay.h"
#include "effect/effect_proxy.h"
#include "hook/live_shaders.h"
#include "sim/host_code.h"
#include "sim/host_d3d.h"
#include "sim/host_kernel.h"

namespace {

// The game's built-in effects, as resources of its executable.
struct BuiltIn {
  const char* name;
  const char* source;
};
const BuiltIn kBuiltIns[] = {
    {"Bloom", "float BloomIntensity = 0.5; technique Bloom { pass P0 { } }"},
    {"ColorGrade", "float Exposure = 0.0; technique ColorGrade { pass P0 { } }"},
    {"Water", "float WaveHeight = 0.2; technique Water { pass P0 { } }"},
    {"Sky", "float4 Horizon = float4(0.6, 0.7, 0.9, 1); technique Sky { pass P0 { } }"},
    {"Rain", "float RainAmount = 0.3; technique Rain { pass P0 { } }"},
};

const char* KindName(WidgetKind kind) {
  switch (kind) {
    case WidgetKind::Slider:
      return "Slider";
    case WidgetKind::Color:
      return "Color";
    case WidgetKind::Checkbox:
      return "Checkbox";
    case WidgetKind::Combo:
      return "Combo";
    default:
      return "None";
  }
}

std::string ValueOf(const ShaderParam& p) {
  char text[160];
  switch (p.kind) {
    case WidgetKind::Slider:
      std::snprintf(text, sizeof(text), "%.3f  (range %.3f .. %.3f)", p.floatValue, p.minValue, p.maxValue);
      break;
    case WidgetKind::Combo: {
      const char* item = p.comboItems.empty() ? "" : p.comboItems.data();
      for (int i = 0; i < p.intValue && *item != '\0'; ++i) item += std::string(item).size() + 1;
      std::snprintf(text, sizeof(text), "%d \"%s\"", p.intValue, item);
      break;
    }
    case WidgetKind::Checkbox:
      std::snprintf(text, sizeof(text), "%s", p.boolValue ? "on" : "off");
      break;
    case WidgetKind::Color:
      std::snprintf(text, sizeof(text), "(%.3f, %.3f, %.3f, %.3f)", p.vectorValue.x, p.vectorValue.y,
                    p.vectorValue.z, p.vectorValue.w);
      break;
    default:
      std::snprintf(text, sizeof(text), "-");
  }
  return text;
}

void PrintLiveShaders() {
  std::printf("\n== host: live shaders and their tunable parameters\n");
  EnterCriticalSection(&liveShadersLock);
  for (const LoadedShader& shader : liveShaders) {
    std::printf("[%s]\n", shader.name.c_str());
    for (const ShaderParam& p : shader.proxy->parameters) {
      std::printf("  %-10s order %4d  %-16s %-9s %s%s%s\n", p.group.c_str(), p.order, p.uiName.c_str(),
                  KindName(p.kind), ValueOf(p).c_str(), p.condition.empty() ? "" : "  shown when ",
                  p.condition.c_str());
    }
  }
  LeaveCriticalSection(&liveShadersLock);
  std::printf("\n");
}

}  // namespace

int main() {
  sim::SetConsoleEcho(true);
  if (!sim::InstallHostCode()) {
    std::fprintf(stderr, "cannot map the game's code page\n");
    return 1;
  }
  HMODULE game = reinterpret_cast<HMODULE>(0x400000);
  for (const BuiltIn& builtIn : kBuiltIns) sim::RegisterResource(game, builtIn.name, builtIn.source);
  HWND window = sim::CreateHostWindow(nullptr);
  IDirect3DDevice9* device = sim::CreateDevice(1920, 1080, window);

  std::printf("== host: loading Sorvane.asi\n");
  DllMain(reinterpret_cast<HINSTANCE>(0x10000000), DLL_PROCESS_ATTACH, nullptr);

  std::printf("== host: creating the game's effects\n");
  ID3DXEffect* effects[sizeof(kBuiltIns) / sizeof(kBuiltIns[0])] = {};
  int index = 0;
  for (const BuiltIn& builtIn : kBuiltIns) {
    HRESULT hr = sim::HostCreateEffectFromResource(device, game, builtIn.name, nullptr, nullptr, 0, nullptr,
                                                   &effects[index++], nullptr);
    std::printf("== host: %s -> HRESULT 0x%08X\n", builtIn.name, static_cast<unsigned>(hr));
  }

  PrintLiveShaders();
  RunOverlayDemo(device, window);

  for (ID3DXEffect* effect : effects) {
    if (effect != nullptr) effect->Release();
  }
  std::printf("== host: unloading Sorvane.asi\n");
  DllMain(reinterpret_cast<HINSTANCE>(0x10000000), DLL_PROCESS_DETACH, nullptr);
  device->Release();
  std::printf("== host: simulated COM objects still alive: %d\n", sim::LiveObjects());
  std::printf("== host: the log is in %s/Tessaly.log\n", ".");
  return 0;
}
