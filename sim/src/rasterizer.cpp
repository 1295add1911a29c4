#include "rasterizer.h"

#include <algorithm>
#include <cmath>

namespace sim::detail {
namespace {

float Unit(std::uint8_t byte) {
  return byte / 255.0f;
}

std::uint8_t Byte(float value) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

Color Texel(const TextureLevel& level, UINT x, UINT y) {
  const std::uint8_t* p = level.pixels + static_cast<std::size_t>(y) * level.pitch;
  switch (level.format) {
    case D3DFMT_A8R8G8B8:
      p += x * 4;
      return {Unit(p[2]), Unit(p[1]), Unit(p[0]), Unit(p[3])};
    case D3DFMT_X8R8G8B8:
      p += x * 4;
      return {Unit(p[2]), Unit(p[1]), Unit(p[0]), 1.0f};
    case D3DFMT_A8B8G8R8:
      p += x * 4;
      return {Unit(p[0]), Unit(p[1]), Unit(p[2]), Unit(p[3])};
    case D3DFMT_X8B8G8R8:
      p += x * 4;
      return {Unit(p[0]), Unit(p[1]), Unit(p[2]), 1.0f};
    case D3DFMT_A8:
      return {0.0f, 0.0f, 0.0f, Unit(p[x])};
    case D3DFMT_L8:
      return {Unit(p[x]), Unit(p[x]), Unit(p[x]), 1.0f};
    default:  // formats the pipeline does not decode sample as opaque white
      return {1.0f, 1.0f, 1.0f, 1.0f};
  }
}

// A texel coordinate brought inside [0, size) by the address mode.
UINT Address(long coordinate, UINT size, DWORD mode) {
  const long n = static_cast<long>(size);
  if (mode == D3DTADDRESS_WRAP) return static_cast<UINT>(((coordinate % n) + n) % n);
  return static_cast<UINT>(std::clamp(coordinate, 0L, n - 1));
}

Color Sample(const PixelPipeline& pipeline, float u, float v) {
  const TextureLevel& level = *pipeline.texture;
  if (!level.pixels || level.width == 0 || level.height == 0) return {0.0f, 0.0f, 0.0f, 1.0f};
  // Texel centres lie at half-texel offsets of the coordinates.
  const float tx = u * level.width - 0.5f;
  const float ty = v * level.height - 0.5f;
  if (!pipeline.linearFilter) {
    return Texel(level, Address(std::lround(tx), level.width, pipeline.addressU),
                 Address(std::lround(ty), level.height, pipeline.addressV));
  }
  const float fx0 = std::floor(tx), fy0 = std::floor(ty);
  const float fx = tx - fx0, fy = ty - fy0;
  const long x0 = static_cast<long>(fx0), y0 = static_cast<long>(fy0);
  const UINT xa = Address(x0, level.width, pipeline.addressU),
             xb = Address(x0 + 1, level.width, pipeline.addressU);
  const UINT ya = Address(y0, level.height, pipeline.addressV),
             yb = Address(y0 + 1, level.height, pipeline.addressV);
  const Color c00 = Texel(level, xa, ya), c10 = Texel(level, xb, ya);
  const Color c01 = Texel(level, xa, yb), c11 = Texel(level, xb, yb);
  auto mix = [&](float a, float b, float c, float d) {
    return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
  };
  return {mix(c00.r, c10.r, c01.r, c11.r), mix(c00.g, c10.g, c01.g, c11.g), mix(c00.b, c10.b, c01.b, c11.b),
          mix(c00.a, c10.a, c01.a, c11.a)};
}

// A stage argument; at stage 0 the current colour is the diffuse colour.
Color Argument(DWORD argument, const Color& diffuse, const Color& texture) {
  Color value = (argument & D3DTA_SELECTMASK) == D3DTA_TEXTURE ? texture : diffuse;
  if (argument & D3DTA_COMPLEMENT) value = {1 - value.r, 1 - value.g, 1 - value.b, 1 - value.a};
  if (argument & D3DTA_ALPHAREPLICATE) value = {value.a, value.a, value.a, value.a};
  return value;
}

float Operate(DWORD op, float arg1, float arg2, float unchanged) {
  switch (op) {
    case D3DTOP_DISABLE:
      return unchanged;
    case D3DTOP_SELECTARG1:
      return arg1;
    case D3DTOP_SELECTARG2:
      return arg2;
    case D3DTOP_MODULATE:
      return arg1 * arg2;
    case D3DTOP_MODULATE2X:
      return std::min(1.0f, arg1 * arg2 * 2);
    case D3DTOP_MODULATE4X:
      return std::min(1.0f, arg1 * arg2 * 4);
    case D3DTOP_ADD:
      return std::min(1.0f, arg1 + arg2);
    case D3DTOP_SUBTRACT:
      return std::max(0.0f, arg1 - arg2);
    default:
      return arg1 * arg2;
  }
}

Color Shade(const PixelPipeline& pipeline, const Color& diffuse, float u, float v) {
  const Color texture = pipeline.texture ? Sample(pipeline, u, v) : Color{0.0f, 0.0f, 0.0f, 1.0f};
  const Color c1 = Argument(pipeline.colorArg1, diffuse, texture);
  const Color c2 = Argument(pipeline.colorArg2, diffuse, texture);
  const Color a1 = Argument(pipeline.alphaArg1, diffuse, texture);
  const Color a2 = Argument(pipeline.alphaArg2, diffuse, texture);
  return {Operate(pipeline.colorOp, c1.r, c2.r, diffuse.r), Operate(pipeline.colorOp, c1.g, c2.g, diffuse.g),
          Operate(pipeline.colorOp, c1.b, c2.b, diffuse.b), Operate(pipeline.alphaOp, a1.a, a2.a, diffuse.a)};
}

float Factor(DWORD blend, float channel, const Color& src, const Color& dst, float dstChannel) {
  switch (blend) {
    case D3DBLEND_ZERO:
      return 0.0f;
    case D3DBLEND_ONE:
      return 1.0f;
    case D3DBLEND_SRCCOLOR:
      return channel;
    case D3DBLEND_INVSRCCOLOR:
      return 1 - channel;
    case D3DBLEND_SRCALPHA:
      return src.a;
    case D3DBLEND_INVSRCALPHA:
      return 1 - src.a;
    case D3DBLEND_DESTALPHA:
      return dst.a;
    case D3DBLEND_INVDESTALPHA:
      return 1 - dst.a;
    case D3DBLEND_DESTCOLOR:
      return dstChannel;
    case D3DBLEND_INVDESTCOLOR:
      return 1 - dstChannel;
    case D3DBLEND_SRCALPHASAT:
      return std::min(src.a, 1 - dst.a);
    default:
      return 1.0f;
  }
}

float Combine(DWORD op, float src, float srcFactor, float dst, float dstFactor) {
  switch (op) {
    case D3DBLENDOP_SUBTRACT:
      return src * srcFactor - dst * dstFactor;
    case D3DBLENDOP_REVSUBTRACT:
      return dst * dstFactor - src * srcFactor;
    case D3DBLENDOP_MIN:
      return std::min(src, dst);
    case D3DBLENDOP_MAX:
      return std::max(src, dst);
    default:
      return src * srcFactor + dst * dstFactor;
  }
}

void WritePixel(const PixelPipeline& pipeline, std::uint8_t* pixel, const Color& src) {
  Color out = src;
  if (pipeline.blend) {
    const Color dst{Unit(pixel[2]), Unit(pixel[1]), Unit(pixel[0]), Unit(pixel[3])};
    auto channel = [&](float s, float d) {
      return Combine(pipeline.blendOp, s, Factor(pipeline.srcBlend, s, src, dst, d), d,
                     Factor(pipeline.destBlend, s, src, dst, d));
    };
    out = {channel(src.r, dst.r), channel(src.g, dst.g), channel(src.b, dst.b),
           Combine(pipeline.blendOpAlpha, src.a, Factor(pipeline.srcBlendAlpha, src.a, src, dst, dst.a),
                   dst.a, Factor(pipeline.destBlendAlpha, src.a, src, dst, dst.a))};
  }
  if (pipeline.colorWriteMask & 0x1) pixel[2] = Byte(out.r);
  if (pipeline.colorWriteMask & 0x2) pixel[1] = Byte(out.g);
  if (pipeline.colorWriteMask & 0x4) pixel[0] = Byte(out.b);
  if (pipeline.colorWriteMask & 0x8) pixel[3] = Byte(out.a);
}

// Twice the signed area of (a, b, p): positive when p lies to the right of
// a->b on a screen whose y axis points down.
float Edge(const ScreenVertex& a, const ScreenVertex& b, float px, float py) {
  return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

// For a triangle wound clockwise on screen: a horizontal edge running right
// is a top edge; an edge running up is a left edge.
bool TopLeft(const ScreenVertex& a, const ScreenVertex& b) {
  return (a.y == b.y && b.x > a.x) || b.y < a.y;
}

bool Covers(float weight, bool topLeft) {
  return weight > 0 || (weight == 0 && topLeft);
}

}  // namespace

void FillTriangle(const RenderTarget& target, const PixelPipeline& pipeline, const ScreenVertex& a,
                  const ScreenVertex& b, const ScreenVertex& c) {
  const float area = Edge(a, b, c.x, c.y);
  if (area == 0 || !std::isfinite(area)) return;
  if ((pipeline.cullMode == D3DCULL_CW && area > 0) || (pipeline.cullMode == D3DCULL_CCW && area < 0)) return;
  // Walk every triangle clockwise so that one set of edge rules applies.
  const ScreenVertex& v0 = a;
  const ScreenVertex& v1 = area > 0 ? b : c;
  const ScreenVertex& v2 = area > 0 ? c : b;
  const float sum = std::fabs(area);

  const RECT& clip = pipeline.clip;
  const long left = std::max<long>(clip.left, std::lround(std::ceil(std::min({a.x, b.x, c.x}))));
  const long right = std::min<long>(clip.right - 1, std::lround(std::floor(std::max({a.x, b.x, c.x}))));
  const long top = std::max<long>(clip.top, std::lround(std::ceil(std::min({a.y, b.y, c.y}))));
  const long bottom = std::min<long>(clip.bottom - 1, std::lround(std::floor(std::max({a.y, b.y, c.y}))));
  const bool topLeft0 = TopLeft(v1, v2), topLeft1 = TopLeft(v2, v0), topLeft2 = TopLeft(v0, v1);

  for (long y = top; y <= bottom; ++y) {
    std::uint8_t* row = target.pixels + static_cast<std::size_t>(y) * target.pitch;
    for (long x = left; x <= right; ++x) {
      const float px = static_cast<float>(x), py = static_cast<float>(y);
      const float w0 = Edge(v1, v2, px, py), w1 = Edge(v2, v0, px, py), w2 = Edge(v0, v1, px, py);
      if (!Covers(w0, topLeft0) || !Covers(w1, topLeft1) || !Covers(w2, topLeft2)) continue;
      const float l0 = w0 / sum, l1 = w1 / sum, l2 = w2 / sum;
      auto at = [&](float f0, float f1, float f2) { return f0 * l0 + f1 * l1 + f2 * l2; };
      const Color diffuse{
          at(v0.diffuse.r, v1.diffuse.r, v2.diffuse.r), at(v0.diffuse.g, v1.diffuse.g, v2.diffuse.g),
          at(v0.diffuse.b, v1.diffuse.b, v2.diffuse.b), at(v0.diffuse.a, v1.diffuse.a, v2.diffuse.a)};
      const Color shaded = Shade(pipeline, diffuse, at(v0.u, v1.u, v2.u), at(v0.v, v1.v, v2.v));
      WritePixel(pipeline, row + x * 4, shaded);
    }
  }
}

void FillRect(const RenderTarget& target, const RECT& rect, D3DCOLOR color) {
  const long left = std::max<long>(rect.left, 0), top = std::max<long>(rect.top, 0);
  const long right = std::min<long>(rect.right, target.width),
             bottom = std::min<long>(rect.bottom, target.height);
  for (long y = top; y < bottom; ++y) {
    std::uint8_t* pixel = target.pixels + static_cast<std::size_t>(y) * target.pitch + left * 4;
    for (long x = left; x < right; ++x, pixel += 4) {
      pixel[0] = static_cast<std::uint8_t>(color);
      pixel[1] = static_cast<std::uint8_t>(color >> 8);
      pixel[2] = static_cast<std::uint8_t>(color >> 16);
      pixel[3] = static_cast<std::uint8_t>(color >> 24);
    }
  }
}

D3DCOLOR ReadPixel(const RenderTarget& target, UINT x, UINT y) {
  if (x >= target.width || y >= target.height) return 0;
  const std::uint8_t* p = target.pixels + static_cast<std::size_t>(y) * target.pitch + x * 4;
  return D3DCOLOR_ARGB(p[3], p[2], p[1], p[0]);
}

}  // namespace sim::detail
