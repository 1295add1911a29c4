// Clearing and drawing on the simulated device. Indexed triangles are
// fetched from the bound streams by their FVF, transformed by the world,
// view and projection matrices and the viewport, and handed to the
// rasteriser with the device's current states.
#include <cstring>

#include "d3d_buffers.h"
#include "d3d_device.h"
#include "d3d_surface.h"
#include "rasterizer.h"

namespace sim::detail {
namespace {

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX product{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      for (int k = 0; k < 4; ++k) product.m[r][c] += a.m[r][k] * b.m[k][c];
  return product;
}

Color Unpack(D3DCOLOR color) {
  return {((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
          ((color >> 24) & 0xFF) / 255.0f};
}

// Where each attribute sits in a vertex of the given FVF; false for
// position formats the pipeline does not read (blend weights).
struct VertexLayout {
  bool pretransformed = false;
  int diffuse = -1;  // byte offset, -1 when absent
  int texcoord = -1;
};

bool ReadLayout(DWORD fvf, VertexLayout& layout) {
  int offset = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ:
      offset = 12;
      break;
    case D3DFVF_XYZRHW:
      layout.pretransformed = true;
      offset = 16;
      break;
    default:
      return false;
  }
  if (fvf & D3DFVF_NORMAL) offset += 12;
  if (fvf & D3DFVF_PSIZE) offset += 4;
  if (fvf & D3DFVF_DIFFUSE) {
    layout.diffuse = offset;
    offset += 4;
  }
  if (fvf & D3DFVF_SPECULAR) offset += 4;
  if ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT) layout.texcoord = offset;
  return true;
}

float ReadFloat(const std::uint8_t* p) {
  float value;
  std::memcpy(&value, p, sizeof(value));
  return value;
}

}  // namespace

HRESULT Device::CountDraw() {
  draws_.fetch_add(1);
  return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float, DWORD) {
  if (count != 0 && !rects) return D3DERR_INVALIDCALL;
  if (!(flags & D3DCLEAR_TARGET) || resetOwed_) return D3D_OK;
  Surface* bound = Target();
  const RenderTarget target{bound->Pixels(), bound->Pitch(), bound->Width(), bound->Height()};
  RECT area{static_cast<LONG>(viewport_.X), static_cast<LONG>(viewport_.Y),
            static_cast<LONG>(viewport_.X + viewport_.Width),
            static_cast<LONG>(viewport_.Y + viewport_.Height)};
  if (renderStates_[D3DRS_SCISSORTESTENABLE]) {
    area = {std::max(area.left, scissor_.left), std::max(area.top, scissor_.top),
            std::min(area.right, scissor_.right), std::min(area.bottom, scissor_.bottom)};
  }
  if (count == 0) {
    FillRect(target, area, color);
    return D3D_OK;
  }
  for (DWORD i = 0; i < count; ++i) {
    const RECT part{std::max(area.left, rects[i].x1), std::max(area.top, rects[i].y1),
                    std::min(area.right, rects[i].x2), std::min(area.bottom, rects[i].y2)};
    FillRect(target, part, color);
  }
  return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT count) {
  return count ? CountDraw() : D3DERR_INVALIDCALL;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT, UINT vertices,
                                     UINT startIndex, UINT count) {
  if (!indices_ || vertices == 0 || count == 0) return D3DERR_INVALIDCALL;
  if (resetOwed_) return D3D_OK;  // a lost device draws nothing
  if (rasterize_) RasterizeIndexed(type, baseVertex, startIndex, count);
  return CountDraw();
}

void Device::RasterizeIndexed(D3DPRIMITIVETYPE type, INT baseVertex, UINT startIndex, UINT primitives) {
  const auto* indexBuffer = dynamic_cast<const IndexBuffer*>(indices_);
  const auto found = streams_.find(0);
  if (!indexBuffer || found == streams_.end() || !found->second.buffer) return;
  const auto* vertexBuffer = dynamic_cast<const VertexBuffer*>(found->second.buffer);
  VertexLayout layout;
  if (!vertexBuffer || found->second.stride == 0 || !ReadLayout(fvf_, layout)) return;
  if (type != D3DPT_TRIANGLELIST && type != D3DPT_TRIANGLESTRIP && type != D3DPT_TRIANGLEFAN) return;

  const std::vector<std::uint8_t>& indexBytes = indexBuffer->Bytes();
  const std::vector<std::uint8_t>& vertexBytes = vertexBuffer->Bytes();
  const std::size_t indexSize = indexBuffer->Format() == D3DFMT_INDEX32 ? 4 : 2;
  const UINT stride = found->second.stride;
  const UINT streamOffset = found->second.offset;

  D3DMATRIX world{}, view{}, projection{};
  GetTransform(D3DTS_WORLD, &world);
  GetTransform(D3DTS_VIEW, &view);
  GetTransform(D3DTS_PROJECTION, &projection);
  const D3DMATRIX transform = Multiply(Multiply(world, view), projection);

  // Fetches, transforms and maps one vertex; false when the index or the
  // vertex lies outside its buffer or behind the eye.
  auto fetch = [&](std::size_t indexPosition, ScreenVertex& out) {
    if ((indexPosition + 1) * indexSize > indexBytes.size()) return false;
    std::uint32_t index = 0;
    std::memcpy(&index, indexBytes.data() + indexPosition * indexSize, indexSize);
    const long long vertex = static_cast<long long>(baseVertex) + index;
    const long long at = static_cast<long long>(streamOffset) + vertex * stride;
    if (vertex < 0 || at + stride > static_cast<long long>(vertexBytes.size())) return false;
    const std::uint8_t* p = vertexBytes.data() + at;
    const float x = ReadFloat(p), y = ReadFloat(p + 4), z = ReadFloat(p + 8);
    if (layout.pretransformed) {
      out.x = x;
      out.y = y;
    } else {
      const float cx = x * transform._11 + y * transform._21 + z * transform._31 + transform._41;
      const float cy = x * transform._12 + y * transform._22 + z * transform._32 + transform._42;
      const float cw = x * transform._14 + y * transform._24 + z * transform._34 + transform._44;
      if (cw <= 0) return false;
      out.x = viewport_.X + (cx / cw + 1) * 0.5f * viewport_.Width;
      out.y = viewport_.Y + (1 - cy / cw) * 0.5f * viewport_.Height;
    }
    D3DCOLOR diffuse = 0xFFFFFFFF;
    if (layout.diffuse >= 0) std::memcpy(&diffuse, p + layout.diffuse, sizeof(diffuse));
    out.diffuse = Unpack(diffuse);
    out.u = layout.texcoord >= 0 ? ReadFloat(p + layout.texcoord) : 0.0f;
    out.v = layout.texcoord >= 0 ? ReadFloat(p + layout.texcoord + 4) : 0.0f;
    return true;
  };

  Surface* targetSurface = Target();
  const RenderTarget target{targetSurface->Pixels(), targetSurface->Pitch(), targetSurface->Width(),
                            targetSurface->Height()};
  PixelPipeline pipeline;
  pipeline.clip = {static_cast<LONG>(viewport_.X), static_cast<LONG>(viewport_.Y),
                   static_cast<LONG>(std::min<DWORD>(viewport_.X + viewport_.Width, target.width)),
                   static_cast<LONG>(std::min<DWORD>(viewport_.Y + viewport_.Height, target.height))};
  if (renderStates_[D3DRS_SCISSORTESTENABLE]) {
    pipeline.clip = {std::max(pipeline.clip.left, scissor_.left), std::max(pipeline.clip.top, scissor_.top),
                     std::min(pipeline.clip.right, scissor_.right),
                     std::min(pipeline.clip.bottom, scissor_.bottom)};
  }
  pipeline.cullMode = renderStates_[D3DRS_CULLMODE];
  TextureLevel level;
  const auto bound = textures_.find(0);
  if (bound != textures_.end()) {
    if (auto* texture = dynamic_cast<Texture2D*>(bound->second)) {
      level = texture->TopLevel();
      pipeline.texture = &level;
    }
  }
  const auto sampler = samplerStates_.find(0);
  if (sampler != samplerStates_.end()) {
    pipeline.linearFilter = sampler->second[D3DSAMP_MAGFILTER] == D3DTEXF_LINEAR;
    const DWORD wrap = D3DTADDRESS_WRAP;  // the default address mode
    pipeline.addressU = sampler->second[D3DSAMP_ADDRESSU] ? sampler->second[D3DSAMP_ADDRESSU] : wrap;
    pipeline.addressV = sampler->second[D3DSAMP_ADDRESSV] ? sampler->second[D3DSAMP_ADDRESSV] : wrap;
  } else {
    pipeline.linearFilter = false;  // the default filters are point filters
  }
  const auto& stage = stageStates_[0];
  pipeline.colorOp = stage[D3DTSS_COLOROP];
  pipeline.colorArg1 = stage[D3DTSS_COLORARG1];
  pipeline.colorArg2 = stage[D3DTSS_COLORARG2];
  pipeline.alphaOp = stage[D3DTSS_ALPHAOP];
  pipeline.alphaArg1 = stage[D3DTSS_ALPHAARG1];
  pipeline.alphaArg2 = stage[D3DTSS_ALPHAARG2];
  pipeline.blend = renderStates_[D3DRS_ALPHABLENDENABLE] != FALSE;
  pipeline.blendOp = renderStates_[D3DRS_BLENDOP];
  pipeline.srcBlend = renderStates_[D3DRS_SRCBLEND];
  pipeline.destBlend = renderStates_[D3DRS_DESTBLEND];
  const bool separate = renderStates_[D3DRS_SEPARATEALPHABLENDENABLE] != FALSE;
  pipeline.blendOpAlpha = separate ? renderStates_[D3DRS_BLENDOPALPHA] : pipeline.blendOp;
  pipeline.srcBlendAlpha = separate ? renderStates_[D3DRS_SRCBLENDALPHA] : pipeline.srcBlend;
  pipeline.destBlendAlpha = separate ? renderStates_[D3DRS_DESTBLENDALPHA] : pipeline.destBlend;
  pipeline.colorWriteMask = renderStates_[D3DRS_COLORWRITEENABLE];

  for (UINT k = 0; k < primitives; ++k) {
    std::size_t i0, i1, i2;
    if (type == D3DPT_TRIANGLELIST) {
      i0 = startIndex + 3 * k, i1 = i0 + 1, i2 = i0 + 2;
    } else if (type == D3DPT_TRIANGLESTRIP) {
      // Every other triangle of a strip is flipped to keep one winding.
      i0 = startIndex + k, i1 = i0 + (k % 2 ? 2 : 1), i2 = i0 + (k % 2 ? 1 : 2);
    } else {
      i0 = startIndex, i1 = startIndex + k + 1, i2 = startIndex + k + 2;
    }
    ScreenVertex a, b, c;
    if (fetch(i0, a) && fetch(i1, b) && fetch(i2, c)) FillTriangle(target, pipeline, a, b, c);
  }
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT count, const void* vertices, UINT stride) {
  if (!vertices || stride == 0 || count == 0) return D3DERR_INVALIDCALL;
  return CountDraw();
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT vertexCount, UINT count,
                                       const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                       UINT stride) {
  if (!indices || !vertices || stride == 0 || vertexCount == 0 || count == 0) return D3DERR_INVALIDCALL;
  if (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  return CountDraw();
}

HRESULT Device::ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer9* destination,
                                IDirect3DVertexDeclaration9*, DWORD) {
  return destination ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) {
  return D3DERR_NOTAVAILABLE;
}
HRESULT Device::DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) {
  return D3DERR_NOTAVAILABLE;
}
HRESULT Device::DeletePatch(UINT) {
  return D3DERR_NOTAVAILABLE;
}

D3DCOLOR Device::BackBufferPixel(UINT x, UINT y) {
  std::lock_guard<std::mutex> guard(lock_);
  return ReadPixel({backBuffer_->Pixels(), backBuffer_->Pitch(), backBuffer_->Width(), backBuffer_->Height()},
                   x, y);
}

D3DCOLOR Device::RenderTargetPixel(IDirect3DSurface9* surface, UINT x, UINT y) {
  std::lock_guard<std::mutex> guard(lock_);
  auto* s = static_cast<Surface*>(surface);
  return ReadPixel({s->Pixels(), s->Pitch(), s->Width(), s->Height()}, x, y);
}

}  // namespace sim::detail
