// Raw values, strings, textures and shaders of the simulated effect.
//
// SetValue/GetValue move a numeric parameter's bytes as stored (4 bytes per
// component, row-major); the buffer must hold the whole value. Texture
// parameters move one IDirect3DBaseTexture9 pointer per element (GetValue
// adds a reference to each, as GetTexture does); a string parameter can be
// read as one const char* per element but changes only through SetString.
#include <cstring>

#include "effect.h"

namespace sim::detail {

namespace {

bool IsSingle(const Node& node) {
  return node.kind == NodeKind::Element || node.elements == 0;
}

IDirect3DBaseTexture9*& TextureSlot(Node& node, UINT index) {
  return node.store->textures[node.firstSlot + index];
}

std::string& StringSlot(Node& node, UINT index) {
  return node.store->strings[node.firstSlot + index];
}

}  // namespace

HRESULT Effect::SetValue(D3DXHANDLE handle, LPCVOID data, UINT bytes) {
  Node* node = WritableValue(handle);
  if (!node || !data || bytes < node->ValueBytes()) return D3DERR_INVALIDCALL;
  if (node->IsNumeric()) {
    std::memcpy(node->Numbers(), data, node->ValueBytes());
  } else if (node->IsTexture()) {
    auto* textures = static_cast<IDirect3DBaseTexture9* const*>(data);
    for (UINT i = 0; i < node->slotCount; ++i) {
      if (textures[i]) textures[i]->AddRef();
      SafeRelease(TextureSlot(*node, i));
      TextureSlot(*node, i) = textures[i];
    }
  } else {
    return D3DERR_INVALIDCALL;
  }
  Touched(node);
  return D3D_OK;
}

HRESULT Effect::GetValue(D3DXHANDLE handle, LPVOID data, UINT bytes) {
  Node* node = ValueNode(handle);
  if (!node || !data || node->ValueBytes() == 0 || bytes < node->ValueBytes()) return D3DERR_INVALIDCALL;
  if (node->IsNumeric()) {
    std::memcpy(data, node->Numbers(), node->ValueBytes());
  } else if (node->IsTexture()) {
    auto* textures = static_cast<IDirect3DBaseTexture9**>(data);
    for (UINT i = 0; i < node->slotCount; ++i) {
      textures[i] = TextureSlot(*node, i);
      if (textures[i]) textures[i]->AddRef();
    }
  } else {
    auto* strings = static_cast<LPCSTR*>(data);
    for (UINT i = 0; i < node->slotCount; ++i) strings[i] = StringSlot(*node, i).c_str();
  }
  return D3D_OK;
}

HRESULT Effect::SetRawValue(D3DXHANDLE handle, LPCVOID data, UINT byteOffset, UINT bytes) {
  Node* node = WritableValue(handle);
  if (!node || !data || !node->IsNumeric()) return D3DERR_INVALIDCALL;
  if (std::size_t(byteOffset) + bytes > node->ValueBytes()) return D3DERR_INVALIDCALL;
  std::memcpy(node->Numbers() + byteOffset, data, bytes);
  Touched(node);
  return D3D_OK;
}

HRESULT Effect::SetString(D3DXHANDLE handle, LPCSTR text) {
  Node* node = WritableValue(handle);
  if (!node || !text || !node->IsString() || !IsSingle(*node)) return D3DERR_INVALIDCALL;
  StringSlot(*node, 0) = text;
  Touched(node);
  return D3D_OK;
}

HRESULT Effect::GetString(D3DXHANDLE handle, LPCSTR* text) {
  Node* node = ValueNode(handle);
  if (!node || !text || !node->IsString() || !IsSingle(*node)) return D3DERR_INVALIDCALL;
  *text = StringSlot(*node, 0).c_str();
  return D3D_OK;
}

HRESULT Effect::SetTexture(D3DXHANDLE handle, LPDIRECT3DBASETEXTURE9 texture) {
  Node* node = WritableValue(handle);
  if (!node || !node->IsTexture() || !IsSingle(*node)) return D3DERR_INVALIDCALL;
  if (texture) texture->AddRef();
  SafeRelease(TextureSlot(*node, 0));
  TextureSlot(*node, 0) = texture;
  Touched(node);
  return D3D_OK;
}

HRESULT Effect::GetTexture(D3DXHANDLE handle, LPDIRECT3DBASETEXTURE9* texture) {
  Node* node = ValueNode(handle);
  if (!node || !texture || !node->IsTexture() || !IsSingle(*node)) return D3DERR_INVALIDCALL;
  *texture = TextureSlot(*node, 0);
  if (*texture) (*texture)->AddRef();
  return D3D_OK;
}

// Shader parameters exist, but the simulated compiler produces no shader code.
HRESULT Effect::GetPixelShader(D3DXHANDLE handle, LPDIRECT3DPIXELSHADER9* shader) {
  Node* node = ValueNode(handle);
  if (!node || !shader || node->type != D3DXPT_PIXELSHADER) return D3DERR_INVALIDCALL;
  *shader = nullptr;
  return D3D_OK;
}

HRESULT Effect::GetVertexShader(D3DXHANDLE handle, LPDIRECT3DVERTEXSHADER9* shader) {
  Node* node = ValueNode(handle);
  if (!node || !shader || node->type != D3DXPT_VERTEXSHADER) return D3DERR_INVALIDCALL;
  *shader = nullptr;
  return D3D_OK;
}

HRESULT Effect::SetArrayRange(D3DXHANDLE handle, UINT start, UINT end) {
  Node* node = WritableValue(handle);
  if (!node || start > end || end > node->slotCount) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

}  // namespace sim::detail
