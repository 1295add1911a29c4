#include "effect/engine_uniforms.h"

#include <imgui.h>

#include "core/module_entry.h"
#include "effect/custom_textures.h"
#include "effect/effect_proxy.h"
#include "effect/screen_metrics.h"
#include "hook/live_shaders.h"
#include "overlay/overlay_state.h"

float ElapsedSeconds() {
  const DWORD elapsedMs = GetTickCount() - startTick;
  return static_cast<float>(elapsedMs) * 0.001f;
}

namespace {

// False before the overlay exists. Effects are also created on threads other
// than the render thread, so the context is read under the overlay lock.
bool OverlayMousePosition(ImVec2& position) {
  if (!overlayState.overlayInitialized.load(std::memory_order_relaxed)) return false;
  OverlayLocked locked;
  if (!overlayState.overlayInitialized.load(std::memory_order_relaxed)) return false;
  position = ImGui::GetIO().MousePos;
  return true;
}

void SetTexelSizes(ID3DXEffect* effect) {
  static const char* const kTexelSizeNames[5] = {"texelSizeL0", "texelSizeL1", "texelSizeL2", "texelSizeL3",
                                                 "texelSizeL4"};
  for (int level = 0; level < 5; ++level) {
    const TexelSize& size = screenMetrics.texelSize[level];
    const D3DXVECTOR4 texel(size.x, size.y, 0.0f, 0.0f);
    effect->SetVector(kTexelSizeNames[level], &texel);
  }
}

void SetScreenSize(ID3DXEffect* effect) {
  effect->SetFloat("ScreenResolutionX", screenMetrics.resolutionX);
  effect->SetFloat("ScreenResolutionY", screenMetrics.resolutionY);
  effect->SetFloat("AspectRatio", screenMetrics.aspectRatio);
}

}  // namespace

void ApplyEngineUniforms(ID3DXEffect* effect) {
  if (effect == nullptr) return;
  SetScreenSize(effect);
  effect->SetFloat("Time", ElapsedSeconds());
  ImVec2 mouse;
  if (OverlayMousePosition(mouse)) {
    effect->SetFloat("MouseX", mouse.x);
    effect->SetFloat("MouseY", mouse.y);
  }
  SetTexelSizes(effect);
  BindCustomTextures(effect);
}

void ApplyScreenMetricsToLiveEffects() {
  EnterCriticalSection(&liveShadersLock);
  for (const LoadedShader& shader : liveShaders) {
    if (shader.proxy == nullptr) continue;
    SetScreenSize(shader.proxy);
    SetTexelSizes(shader.proxy);
  }
  LeaveCriticalSection(&liveShadersLock);
}

void UpdateTimeUniform() {
  if (!anyLiveShader.load(std::memory_order_relaxed)) return;
  const float time = ElapsedSeconds();
  if (!TryEnterCriticalSection(&liveShadersLock)) return;
  for (const LoadedShader& shader : liveShaders) {
    if (shader.proxy != nullptr) shader.proxy->FrameWork(time);
  }
  LeaveCriticalSection(&liveShadersLock);
}
