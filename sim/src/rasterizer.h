// The simulated device's pixel pipeline: fills triangles of transformed
// vertices into a 32-bit render target with the fixed-function subset a 2D
// overlay uses (texture stage 0, vertex colours, scissor, alpha blending).
// Attributes are interpolated linearly in screen space; pixel centres sit at
// integer coordinates and edges follow the top-left rule, as in Direct3D 9.
#pragma once

#include <cstdint>

#include "texture.h"

namespace sim::detail {

struct Color {
  float r = 0, g = 0, b = 0, a = 0;
};

// A vertex in render-target pixels, with its diffuse colour and texture
// coordinates.
struct ScreenVertex {
  float x = 0, y = 0;
  Color diffuse;
  float u = 0, v = 0;
};

// 32 bits a pixel, bytes in the order blue, green, red, alpha (or unused).
struct RenderTarget {
  std::uint8_t* pixels = nullptr;
  UINT pitch = 0;
  UINT width = 0;
  UINT height = 0;
};

// The render, texture stage and sampler states one draw call uses.
struct PixelPipeline {
  RECT clip{};  // viewport, scissor and target bounds, right and bottom excluded
  DWORD cullMode = D3DCULL_NONE;
  const TextureLevel* texture = nullptr;  // null: nothing bound at stage 0
  bool linearFilter = true;
  DWORD addressU = D3DTADDRESS_WRAP;
  DWORD addressV = D3DTADDRESS_WRAP;
  DWORD colorOp = D3DTOP_MODULATE, colorArg1 = D3DTA_TEXTURE, colorArg2 = D3DTA_CURRENT;
  DWORD alphaOp = D3DTOP_SELECTARG1, alphaArg1 = D3DTA_TEXTURE, alphaArg2 = D3DTA_CURRENT;
  bool blend = false;
  DWORD blendOp = D3DBLENDOP_ADD, srcBlend = D3DBLEND_ONE, destBlend = D3DBLEND_ZERO;
  DWORD blendOpAlpha = D3DBLENDOP_ADD, srcBlendAlpha = D3DBLEND_ONE, destBlendAlpha = D3DBLEND_ZERO;
  DWORD colorWriteMask = 0xF;  // bits: red, green, blue, alpha
};

void FillTriangle(const RenderTarget& target, const PixelPipeline& pipeline, const ScreenVertex& a,
                  const ScreenVertex& b, const ScreenVertex& c);

// Fills a rectangle (clipped to the target) with one colour, as Clear does.
void FillRect(const RenderTarget& target, const RECT& rect, D3DCOLOR color);

// The pixel at (x, y) as 0xAARRGGBB.
D3DCOLOR ReadPixel(const RenderTarget& target, UINT x, UINT y);

}  // namespace sim::detail
