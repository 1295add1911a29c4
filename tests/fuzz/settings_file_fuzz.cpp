// Arbitrary bytes as ".\vantorix_settings.ini", loaded into the proxy of a
// real effect with one parameter of every kind, saved, and loaded again into
// a second proxy: the values in each proxy match its effect, and the second
// load gives the first one's values, to the precision the file keeps.
#include <cmath>
#include <cstring>
#include <string>

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

bool Same(float a, float b) {
  return (std::isnan(a) && std::isnan(b)) || a == b;
}

// Equal after a trip through a decimal text with `decimals` places.
bool Close(float before, float after, float decimalStep) {
  if (std::isnan(before) || std::isnan(after)) return std::isnan(before) && std::isnan(after);
  if (std::isinf(before) || std::isinf(after)) return before == after;
  const double allowed = decimalStep / 2 + std::fabs(static_cast<double>(before)) * 2.5e-7;
  return std::fabs(static_cast<double>(before) - static_cast<double>(after)) <= allowed;
}

// The cached value of every parameter is the one its effect holds.
void CheckMatchesEffect(EffectProxy* proxy) {
  ID3DXEffect* effect = proxy->innerEffect;
  for (const ShaderParam& param : proxy->parameters) {
    switch (param.kind) {
      case WidgetKind::Slider:
      case WidgetKind::Combo: {
        FLOAT value = 0;
        effect->GetFloat(param.name.c_str(), &value);
        fuzzhost::Require(Same(value, param.floatValue), "a slider or combo shows its effect's value");
        fuzzhost::Require(param.kind == WidgetKind::Slider || param.intValue == ComboIndex(param.floatValue),
                          "a combo's index is its value truncated");
        break;
      }
      case WidgetKind::Checkbox: {
        BOOL value = FALSE;
        effect->GetBool(param.name.c_str(), &value);
        fuzzhost::Require((value != FALSE) == param.boolValue, "a checkbox shows its effect's value");
        break;
      }
      case WidgetKind::Color: {
        D3DXVECTOR4 value(0, 0, 0, 0);
        effect->GetVector(param.name.c_str(), &value);
        const D3DXVECTOR4& cached = param.vectorValue;
        fuzzhost::Require(Same(value.x, cached.x) && Same(value.y, cached.y) && Same(value.z, cached.z) &&
                              Same(value.w, cached.w),
                          "a colour shows its effect's value");
        break;
      }
      default:
        break;
    }
  }
}

void CheckSameValues(const EffectProxy* first, const EffectProxy* second) {
  fuzzhost::Require(first->parameters.size() == second->parameters.size(),
                    "both proxies list the same parameters");
  for (std::size_t i = 0; i < first->parameters.size(); ++i) {
    const ShaderParam& a = first->parameters[i];
    const ShaderParam& b = second->parameters[i];
    switch (a.kind) {
      case WidgetKind::Slider:
      case WidgetKind::Combo:
        fuzzhost::Require(Close(a.floatValue, b.floatValue, 1e-6f), "a saved slider or combo loads back");
        break;
      case WidgetKind::Checkbox:
        fuzzhost::Require(a.boolValue == b.boolValue, "a saved checkbox loads back");
        break;
      case WidgetKind::Color:
        fuzzhost::Require(Close(a.vectorValue.x, b.vectorValue.x, 1e-3f) &&
                              Close(a.vectorValue.y, b.vectorValue.y, 1e-3f) &&
                              Close(a.vectorValue.z, b.vectorValue.z, 1e-3f) &&
                              Close(a.vectorValue.w, b.vectorValue.w, 1e-3f),
                          "a saved colour loads back");
        break;
      default:
        break;
    }
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
  fuzzhost::Attach();
  fuzzhost::Game game = fuzzhost::StartGame();

  EffectProxy* first = Create(game);
  CheckMatchesEffect(first);
  first->SaveParameterSettings();
  EffectProxy* second = Create(game);
  CheckMatchesEffect(second);
  CheckSameValues(first, second);

  first->Release();
  second->Release();
  fuzzhost::Detach();
  fuzzhost::EndGame(game);
  return 0;
}
