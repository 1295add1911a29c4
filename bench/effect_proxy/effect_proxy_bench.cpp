// The cost of going through an EffectProxy instead of the compiled effect,
// for the calls a game makes every frame: each "proxy" case has a "bare"
// twin that makes the same call on an effect compiled from the same file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "effect/effect_proxy.h"
#include "sim/host_d3d.h"

namespace {

// A post-processing effect of typical size: the game's values, a few tuned
// ones, textures and samplers.
const char* const kEffectSource = R"(
float4x4 WorldViewProj;
float4x4 ViewInverse;
float ScreenResolutionX;
float ScreenResolutionY;
float AspectRatio;
float Time;
float Brightness < string UIName = "Brightness"; float UIMin = 0.0; float UIMax = 2.0; > = 1.0;
float Contrast < string UIName = "Contrast"; > = 1.0;
float Saturation < string UIName = "Saturation"; > = 1.0;
float4 TintColor < string UIName = "Tint"; > = float4(1, 1, 1, 1);
bool EnableGrain < string UIName = "Film grain"; > = true;
float GrainAmount = 0.1;
float3 FogColor = float3(0.5, 0.6, 0.7);
float FogDensity = 0.02;
texture SceneTexture;
sampler SceneSampler = sampler_state { Texture = <SceneTexture>; };
texture BloomTexture;
sampler BloomSampler = sampler_state { Texture = <BloomTexture>; };

float4 MainPS(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(SceneSampler, uv) * Brightness; }

technique Main { pass P0 { PixelShader = compile ps_3_0 MainPS(); } }
)";

// Two compiles of one file: the bare effect and the proxy's inner effect.
class EffectPair {
 public:
  EffectPair() {
    folder = std::filesystem::temp_directory_path() / "vantorix-proxy-bench";
    std::filesystem::create_directories(folder);
    std::string path = (folder / "Bench.fx").string();
    std::ofstream(path) << kEffectSource;
    device = sim::CreateDevice(1920, 1080, nullptr);
    ID3DXEffect* inner = nullptr;
    D3DXCreateEffectFromFileA(device, path.c_str(), nullptr, nullptr, 0, nullptr, &bare, nullptr);
    D3DXCreateEffectFromFileA(device, path.c_str(), nullptr, nullptr, 0, nullptr, &inner, nullptr);
    if (bare && inner) proxy = new EffectProxy(inner, "Bench");
  }
  ~EffectPair() {
    if (proxy) proxy->Release();
    if (bare) bare->Release();
    if (device) device->Release();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  ID3DXEffect* Pick(bool throughProxy) const {
    return throughProxy ? static_cast<ID3DXEffect*>(proxy) : bare;
  }

  std::filesystem::path folder;
  IDirect3DDevice9* device = nullptr;
  ID3DXEffect* bare = nullptr;
  EffectProxy* proxy = nullptr;
};

// Handles come from the effect that is called, so the proxy's are remembered
// and resolved by name on every call; names are passed where a handle goes.
D3DXHANDLE Parameter(ID3DXEffect* effect, const char* name, bool byHandle) {
  return byHandle ? effect->GetParameterByName(nullptr, name) : name;
}

void SetFloat(benchmark::State& state, bool throughProxy, bool byHandle) {
  EffectPair pair;
  ID3DXEffect* effect = pair.Pick(throughProxy);
  if (!effect) return state.SkipWithError("effect did not compile");
  D3DXHANDLE brightness = Parameter(effect, "Brightness", byHandle);
  float value = 0.0f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(effect->SetFloat(brightness, value));
    value += 0.001f;
  }
}

void SetMatrix(benchmark::State& state, bool throughProxy, bool byHandle) {
  EffectPair pair;
  ID3DXEffect* effect = pair.Pick(throughProxy);
  if (!effect) return state.SkipWithError("effect did not compile");
  D3DXHANDLE matrix = Parameter(effect, "WorldViewProj", byHandle);
  D3DXMATRIX value;
  D3DXMatrixIdentity(&value);
  for (auto _ : state) {
    benchmark::DoNotOptimize(effect->SetMatrix(matrix, &value));
    value._41 += 0.001f;
  }
}

void GetParameterByName(benchmark::State& state, bool throughProxy) {
  EffectPair pair;
  ID3DXEffect* effect = pair.Pick(throughProxy);
  if (!effect) return state.SkipWithError("effect did not compile");
  for (auto _ : state) benchmark::DoNotOptimize(effect->GetParameterByName(nullptr, "Saturation"));
}

}  // namespace

BENCHMARK_CAPTURE(SetFloat, bare_handle, false, true);
BENCHMARK_CAPTURE(SetFloat, proxy_handle, true, true);
BENCHMARK_CAPTURE(SetFloat, bare_name, false, false);
BENCHMARK_CAPTURE(SetFloat, proxy_name, true, false);
BENCHMARK_CAPTURE(SetMatrix, bare_handle, false, true);
BENCHMARK_CAPTURE(SetMatrix, proxy_handle, true, true);
BENCHMARK_CAPTURE(SetMatrix, bare_name, false, false);
BENCHMARK_CAPTURE(SetMatrix, proxy_name, true, false);
BENCHMARK_CAPTURE(GetParameterByName, bare, false);
BENCHMARK_CAPTURE(GetParameterByName, proxy, true);
