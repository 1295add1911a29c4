// Arbitrary bytes as ".\vantorix_settings.ini", loaded into the proxy of a
// real effect with one parameter of every kind, saved, and loaded again into
// a second proxy: the values in each proxy match its effect, and the second
// load gives the first one's values, to the precision the file keeps.
#include <cmath>
#include <string>
#include <vector>

#include "effect/effect_proxy.h"
#include "fuzz_host.h"

namespace {

const char kEffect[] = R"(
float Intensity < string UIName = "Intensity"; float UIMin = 0; float UIMax = 2; > = 0.75;
bool Enabled < string UIName = "Enabled"; > = true;
float4 Tint < string UIName = "Tint"; > = {1, 0.9, 0.8, 1};
float Quality < string UIName = "Quality"; string UIWidget = "Combo"; string UIEnum = "Low,Medium,High"; > = 1;
float2 Offset < string UIName = "Offset"; > = {0.5, 0.5};
technique T { pass P { } }
)";

// Equal after a trip through a decimal text with `decimals` places.
bool Close(float before, float after, float decimalStep) {
  if (std::isnan(before) || std::isnan(after)) return std::isnan(before) && std::isnan(after);
  if (std::isinf(before) || std::isinf(after)) return before == after;
  const double allowed = decimalStep / 2 + std::fabs(static_cast<double>(before)) * 2.5e-7;
  return std::fabs(static_cast<double>(before) - static_cast<double>(after)) <= allowed;
}

// What a parameter's widget shows: as its effect holds it, or (without an
// effect) as the proxy caches it.
std::vector<float> Values(const ShaderParam& param, ID3DXEffect* effect = nullptr) {
  const char* name = param.name.c_str();
  if (param.kind == WidgetKind::Slider || param.kind == WidgetKind::Combo) {
    FLOAT value = effect ? 0.0f : param.floatValue;
    if (effect) effect->GetFloat(name, &value);
    return {value};
  }
  if (param.kind == WidgetKind::Checkbox) {
    BOOL value = effect ? FALSE : param.boolValue;
    if (effect) effect->GetBool(name, &value);
    return {value != FALSE ? 1.0f : 0.0f};
  }
  if (param.kind != WidgetKind::Color) return {};
  D3DXVECTOR4 value = effect ? D3DXVECTOR4(0, 0, 0, 0) : param.vectorValue;
  if (effect) effect->GetVector(name, &value);
  return {value.x, value.y, value.z, value.w};
}

// The cached value of every parameter is the one its effect holds.
void CheckMatchesEffect(EffectProxy* proxy) {
  for (const ShaderParam& param : proxy->parameters) {
    const std::vector<float> cached = Values(param), held = Values(param, proxy->innerEffect);
    for (std::size_t i = 0; i < cached.size(); ++i)
      fuzzhost::Require(cached[i] == held[i] || (std::isnan(cached[i]) && std::isnan(held[i])),
                        "a widget shows its effect's value");
    fuzzhost::Require(param.kind != WidgetKind::Combo || param.intValue == ComboIndex(param.floatValue),
                      "a combo's index is its value truncated");
  }
}

void CheckSameValues(const EffectProxy* first, const EffectProxy* second) {
  fuzzhost::Require(first->parameters.size() == second->parameters.size(),
                    "both proxies list the same parameters");
  for (std::size_t i = 0; i < first->parameters.size(); ++i) {
    const std::vector<float> a = Values(first->parameters[i]), b = Values(second->parameters[i]);
    const float step = first->parameters[i].kind == WidgetKind::Color ? 1e-3f : 1e-6f;
    fuzzhost::Require(a.size() == b.size(), "both proxies list the same kinds");
    for (std::size_t j = 0; j < a.size(); ++j)
      fuzzhost::Require(Close(a[j], b[j], step), "a saved value loads back");
  }
}

EffectProxy* Create(fuzzhost::Game& game) {
  ID3DXEffect* effect = nullptr;
  fuzzhost::Require(fuzzhost::HostCreates(game, "Bloom", &effect) == S_OK && effect != nullptr,
                    "the sample effect compiles");
  auto* proxy = static_cast<EffectProxy*>(effect);
  fuzzhost::Require(proxy->parameters.size() == 5, "the sample effect has five tunable parameters");
  return proxy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzhost::StartInput();
  fuzzhost::WriteQuietConfig();
  fuzzhost::WriteFile("FX\\Bloom.fx", kEffect);
  fuzzhost::WriteFile("vantorix_settings.ini", data, size);
  fuzzhost::Game game = fuzzhost::StartGame();

  EffectProxy* first = Create(game);
  CheckMatchesEffect(first);
  first->SaveParameterSettings();
  EffectProxy* second = Create(game);
  CheckMatchesEffect(second);
  CheckSameValues(first, second);

  first->Release();
  second->Release();
  fuzzhost::EndGame(game);
  return 0;
}
