// The cost of going through an EffectProxy instead of the compiled effect,
// for the calls a game makes every frame: each "proxy" case has a "bare"
// twin that makes the same call on an effect compiled from the same file.
// The by-handle setters on an effect of 200 annotated parameters are also
// timed side by side in one benchmark, with the heap allocations they make.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "allocation_count.h"
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
  explicit EffectPair(const std::string& source = kEffectSource) {
    folder = std::filesystem::temp_directory_path() / "vantorix-proxy-bench";
    std::filesystem::create_directories(folder);
    std::string path = (folder / "Bench.fx").string();
    std::ofstream(path) << source;
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

// ---------------------------------------------------------------------------
// Side by side on an effect of 200 annotated parameters
// ---------------------------------------------------------------------------

enum class Setter { Float, Vector, Matrix, Texture };

const char* TypeOf(Setter setter) {
  switch (setter) {
    case Setter::Float:
      return "float";
    case Setter::Vector:
      return "float4";
    case Setter::Matrix:
      return "float4x4";
    case Setter::Texture:
      return "texture";
  }
  return "float";
}

// 200 parameters of the setter's type, each with annotations as tuned
// parameters have them; names of 4 characters, or of 30 (past any short
// string buffer).
std::string LargeEffectSource(Setter setter, bool longNames) {
  std::string source;
  char line[256];
  for (int i = 0; i < 200; ++i) {
    std::snprintf(line, sizeof(line),
                  "%s %s%03d < string UIName = \"Parameter %d\"; string UIGroup = \"G%d\"; >;\n",
                  TypeOf(setter), longNames ? "ColourGradingShadowsStrength" : "P", i, i, i % 5);
    source += line;
  }
  return source;
}

std::string ParameterName(int index, bool longNames) {
  char name[64];
  std::snprintf(name, sizeof(name), "%s%03d", longNames ? "ColourGradingShadowsStrength" : "P", index);
  return name;
}

void SideBySide(benchmark::State& state, Setter setter, int index, bool longNames) {
  EffectPair pair(LargeEffectSource(setter, longNames));
  if (!pair.proxy) return state.SkipWithError("effect did not compile");
  pair.proxy->ParseParameterAnnotations(pair.proxy->innerEffect);
  const std::string name = ParameterName(index, longNames);
  ID3DXEffect* const effects[2] = {pair.bare, pair.proxy};
  const D3DXHANDLE handles[2] = {pair.bare->GetParameterByName(nullptr, name.c_str()),
                                 pair.proxy->GetParameterByName(nullptr, name.c_str())};
  if (!handles[0] || !handles[1]) return state.SkipWithError("no such parameter");
  IDirect3DTexture9* texture = nullptr;
  pair.device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
  D3DXVECTOR4 vector(1, 2, 3, 4);
  D3DXMATRIX matrix;
  D3DXMatrixIdentity(&matrix);
  float value = 0.0f;
  auto call = [&](int which) {
    value += 0.001f;
    switch (setter) {
      case Setter::Float:
        return effects[which]->SetFloat(handles[which], value);
      case Setter::Vector:
        vector.x = value;
        return effects[which]->SetVector(handles[which], &vector);
      case Setter::Matrix:
        matrix._41 = value;
        return effects[which]->SetMatrix(handles[which], &matrix);
      case Setter::Texture:
        return effects[which]->SetTexture(handles[which], texture);
    }
    return E_FAIL;
  };
  call(0);  // the proxy's first call records and resolves; the game's frames come after
  call(1);
  // The time reported is that of a batch through the proxy; the counters give one call.
  constexpr int kBatch = 512;
  double seconds[2] = {0.0, 0.0};
  std::size_t proxyAllocations = 0;
  bool proxyFirst = false;
  for (auto _ : state) {
    proxyFirst = !proxyFirst;
    double proxyTime = 0.0;
    for (int turn = 0; turn < 2; ++turn) {
      const int which = (turn == 0) == proxyFirst ? 1 : 0;
      const std::size_t allocationsBefore = AllocationCount();
      const auto start = std::chrono::steady_clock::now();
      for (int i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(call(which));
      const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      seconds[which] += elapsed;
      if (which == 1) {
        proxyTime = elapsed;
        proxyAllocations += AllocationCount() - allocationsBefore;
      }
    }
    state.SetIterationTime(proxyTime);
  }
  if (texture) texture->Release();
  const double calls = static_cast<double>(state.iterations()) * kBatch;
  state.counters["bare_ns"] = 1e9 * seconds[0] / calls;
  state.counters["proxy_ns"] = 1e9 * seconds[1] / calls;
  state.counters["ratio"] = seconds[1] / seconds[0];
  state.counters["allocs_per_call"] = static_cast<double>(proxyAllocations) / calls;
}

// Registers one case per setter, parameter (the first and the last) and name length.
const bool kSideBySideRegistered = [] {
  const std::pair<Setter, const char*> setters[] = {{Setter::Float, "SetFloat"},
                                                    {Setter::Vector, "SetVector"},
                                                    {Setter::Matrix, "SetMatrix"},
                                                    {Setter::Texture, "SetTexture"}};
  for (const auto& [setter, setterName] : setters) {
    for (int index : {0, 199}) {
      for (bool longNames : {false, true}) {
        std::string name = std::string("Large/") + setterName + (index == 0 ? "/first" : "/last") +
                           (longNames ? "/long_names" : "/short_names");
        benchmark::RegisterBenchmark(name.c_str(), SideBySide, setter, index, longNames)->UseManualTime();
      }
    }
  }
  return true;
}();

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
