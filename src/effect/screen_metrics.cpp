#include "effect/screen_metrics.h"

#include "core/log.h"

ScreenMetrics screenMetrics;

namespace {

constexpr int kSmallestSide = 32;

// Width and height of render target 0; false when there is no target to ask.
bool RenderTargetSize(IDirect3DDevice9* device, int& width, int& height) {
  IDirect3DSurface9* target = nullptr;
  if (FAILED(device->GetRenderTarget(0, &target)) || target == nullptr) return false;
  D3DSURFACE_DESC desc{};
  if (SUCCEEDED(target->GetDesc(&desc))) {
    width = static_cast<int>(desc.Width);
    height = static_cast<int>(desc.Height);
  }
  target->Release();
  return true;
}

}  // namespace

void DetectScreenMetrics(IDirect3DDevice9* device) {
  int width = 0;
  int height = 0;
  if (!RenderTargetSize(device, width, height)) {
    D3DVIEWPORT9 viewport{};
    device->GetViewport(&viewport);
    width = static_cast<int>(viewport.Width);
    height = static_cast<int>(viewport.Height);
  }
  if (width < kSmallestSide) width = kSmallestSide;
  if (height < kSmallestSide) height = kSmallestSide;

  ScreenMetrics m;
  m.width = width;
  m.height = height;
  m.resolutionX = static_cast<float>(width);
  m.resolutionY = static_cast<float>(height);
  m.aspectRatio = m.resolutionX / m.resolutionY;
  float scale = 1.0f;
  for (TexelSize& texel : m.texelSize) {
    texel.x = scale / m.resolutionX;
    texel.y = scale / m.resolutionY;
    scale *= 2.0f;
  }
  screenMetrics = m;
  LogInfo("Detected screen resolution: %d x %d (Aspect Ratio: %.2f)", width, height,
          static_cast<double>(m.aspectRatio));
}
