// The screen size, detected once from the host's device, and the values the
// engine uniforms derive from it.
#pragma once

#include "platform/direct3d.h"

struct TexelSize {
  float x = 0.0f;
  float y = 0.0f;
};

// All zero until DetectScreenMetrics has run.
struct ScreenMetrics {
  int width = 0;  // at least 32 once detected
  int height = 0;
  float resolutionX = 0.0f;
  float resolutionY = 0.0f;
  float aspectRatio = 0.0f;
  TexelSize texelSize[5];  // level n: (2^n / resolutionX, 2^n / resolutionY)
};

extern ScreenMetrics screenMetrics;

// Render target 0's size, else the viewport's, raised to 32 x 32 at least;
// logs the detected resolution.
void DetectScreenMetrics(IDirect3DDevice9* device);
