// Plays the game on Linux in the current folder (a copy of samples/): loads
// the plug-in, creates the game's effects through the game's own call
// instruction, shows what the overlay would list for each live shader,
// presents a few frames over simulated seconds, and unloads the plug-in.
#include <cstdio>
#include <string>

#include "core/module_entry.h"
#include "demo_overlay.h"
#include "effect/effect_proxy.h"
#include "hook/live_shaders.h"
#include "sim/host_code.h"
#include "sim/host_d3d.h"
#include "sim/host_input.h"
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

// The textures bound into an effect: every texture parameter and its file.
void PrintBoundTextures(const char* name, ID3DXEffect* effect) {
  D3DXEFFECT_DESC desc{};
  effect->GetDesc(&desc);
  for (UINT i = 0; i < desc.Parameters; ++i) {
    D3DXHANDLE handle = effect->GetParameter(nullptr, i);
    D3DXPARAMETER_DESC parameter{};
    IDirect3DBaseTexture9* texture = nullptr;
    if (FAILED(effect->GetParameterDesc(handle, &parameter)) || parameter.Type < D3DXPT_TEXTURE ||
        parameter.Type > D3DXPT_TEXTURECUBE || FAILED(effect->GetTexture(handle, &texture)) || !texture)
      continue;
    std::printf("== host: %s texture %s <- %s\n", name, parameter.Name,
                sim::TextureSourcePath(texture).c_str());
    texture->Release();
  }
}

// The game's frames: EndScene through the device, half a simulated second apart.
void PresentFrames(IDirect3DDevice9* device, ID3DXEffect* bloom) {
  std::printf("\n== host: presenting frames\n");
  for (int frame = 1; frame <= 4; ++frame) {
    sim::AdvanceClock(500);
    device->BeginScene();
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    FLOAT time = 0.0f;
    bloom->GetFloat("Time", &time);
    std::printf("== host: frame %d: Bloom Time = %.3f\n", frame, time);
  }
}

// One presented frame of the game.
void GameFrame(IDirect3DDevice9* device) {
  device->BeginScene();
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

// One frame with END held, then one with it released: exactly one reload.
void PressEnd(IDirect3DDevice9* device, HWND window) {
  sim::KeyDown(window, VK_END);
  GameFrame(device);
  sim::KeyUp(window, VK_END);
  GameFrame(device);
}

// The modder edits FX\Bloom.fx while the game runs and presses END: first a
// new default and a new parameter, then a typo.
void HotReload(IDirect3DDevice9* device, HWND window, ID3DXEffect* bloom) {
  const std::string original = ReadText("FX/Bloom.fx");
  std::string edited = original;
  const std::string oldDefault = "#define BLOOM_DEFAULT_INTENSITY 0.75";
  edited.replace(edited.find(oldDefault), oldDefault.size(), "#define BLOOM_DEFAULT_INTENSITY 0.9");
  edited.replace(
      edited.find("float4 BrightPass"), 0,
      "float BloomRadius < string UIName = \"Radius\"; string UIGroup = \"Bloom\"; int UIOrder = 40;"
      " float UIMin = 1.0; float UIMax = 8.0; > = 2.0;\n\n");
  WriteText("FX/Bloom.fx", edited);
  std::printf("\n== host: FX\\Bloom.fx edited (default intensity 0.9, new parameter Radius); END pressed\n");
  PressEnd(device, window);
  FLOAT intensity = 0.0f;
  bloom->GetFloat("BloomIntensity", &intensity);
  std::printf("== host: Bloom intensity after the reload = %.3f (the tuned value is kept)\n", intensity);
  PrintLiveShaders();

  WriteText("FX/Bloom.fx",
            edited.substr(0, edited.find("float BloomThreshold")) + "float BloomThreshold = ;\n");
  std::printf("== host: FX\\Bloom.fx broken (a missing value); END pressed\n");
  PressEnd(device, window);
  sim::AdvanceClock(500);
  GameFrame(device);
  FLOAT time = 0.0f;
  bloom->GetFloat("Time", &time);
  std::printf("== host: Bloom still works: Time = %.3f, intensity %.3f\n", time,
              (bloom->GetFloat("BloomIntensity", &intensity), intensity));
  WriteText("FX/Bloom.fx", original);
}

// The player picks another resolution: the game releases its effects and its
// device, creates a new device at the new size and its effects again. The
// old device is destroyed; the overlay, the textures and the screen size
// follow the new one.
IDirect3DDevice9* ChangeResolution(IDirect3DDevice9* device, HWND window, HMODULE game, ID3DXEffect** effects,
                                   int count) {
  std::printf("\n== host: the player switches to 1280 x 720; the game recreates its device\n");
  for (int i = 0; i < count; ++i) {
    if (effects[i] != nullptr) effects[i]->Release();
    effects[i] = nullptr;
  }
  std::printf("== host: the old device's last Release -> %lu\n",
              static_cast<unsigned long>(device->Release()));
  device = sim::CreateDevice(1280, 720, window);
  for (int i = 0; i < count; ++i) {
    sim::HostCreateEffectFromResource(device, game, kBuiltIns[i].name, nullptr, nullptr, 0, nullptr,
                                      &effects[i], nullptr);
  }
  FLOAT width = 0.0f;
  effects[0]->GetFloat("ScreenResolutionX", &width);
  std::printf("== host: Bloom ScreenResolutionX = %.0f\n", width);
  PrintBoundTextures("Bloom", effects[0]);
  const D3DCOLOR gameColour = 0xFF102030;
  device->Clear(0, nullptr, D3DCLEAR_TARGET, gameColour, 1.0f, 0);
  GameFrame(device);
  int overlay = 0;
  for (UINT y = 0; y < 720; ++y)
    for (UINT x = 0; x < 1280; ++x) overlay += sim::BackBufferPixel(device, x, y) != gameColour;
  std::printf("== host: the overlay is drawn on the new device: %s\n", overlay > 0 ? "yes" : "no");
  return device;
}

// The simulated clock, started at the real local time so the log's stamps are real.
void StartClock() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  sim::SetClock(GetTickCount(), now);
}

}  // namespace

int main() {
  sim::SetConsoleEcho(true);
  StartClock();
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
  PrintBoundTextures("Bloom", effects[0]);
  PresentFrames(device, effects[0]);
  HotReload(device, window, effects[0]);
  RunOverlayDemo(device, window);
  RunAuthorDemo(device, window);
  PrintLiveShaders();
  device = ChangeResolution(device, window, game, effects, index);

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
