// Recompiles live shaders from their effect files and swaps each new effect
// into the proxy the game already holds.
#pragma once

#include <vector>

#include "effect/effect_proxy.h"
#include "platform/direct3d.h"

// Runs on the render thread inside EndScene. A shader whose file fails to
// compile keeps the effect it has, and its tab shows the compiler's messages.
void ReloadAllShaders(IDirect3DDevice9* device);

// The same for the listed proxies among `proxies` only (their files changed on disk).
void ReloadShaders(IDirect3DDevice9* device, const std::vector<EffectProxy*>& proxies);

// What the latest reload did, for the line under the overlay's buttons.
struct ReloadSummary {
  bool any = false;  // a reload has run
  int reloaded = 0;
  int failed = 0;
  double milliseconds = 0.0;
};
extern ReloadSummary lastReloadSummary;
