// Numeric setters and getters of the simulated effect. Components are kept
// as 32-bit values of the parameter's own type; bool, int and float
// arguments convert to it (float to int truncates, anything non-zero is
// TRUE) and back.
#include <algorithm>
#include <cstring>

#include "effect.h"

namespace sim::detail {

namespace {

enum ScalarKind { kBool, kInt, kFloat };

std::uint8_t* Component(Node& node, UINT index) {
  return node.Numbers() + std::size_t(index) * 4;
}

float ReadAsFloat(Node& node, UINT index) {
  const std::uint8_t* raw = Component(node, index);
  if (node.type == D3DXPT_FLOAT) {
    float f;
    std::memcpy(&f, raw, 4);
    return f;
  }
  std::int32_t i;
  std::memcpy(&i, raw, 4);
  if (node.type == D3DXPT_BOOL) return i != 0 ? 1.0f : 0.0f;
  return static_cast<float>(i);
}

std::int32_t ReadAsInt(Node& node, UINT index) {
  const std::uint8_t* raw = Component(node, index);
  if (node.type == D3DXPT_FLOAT) {
    float f;
    std::memcpy(&f, raw, 4);
    return static_cast<std::int32_t>(f);
  }
  std::int32_t i;
  std::memcpy(&i, raw, 4);
  return node.type == D3DXPT_BOOL ? (i != 0 ? 1 : 0) : i;
}

BOOL ReadAsBool(Node& node, UINT index) {
  const std::uint8_t* raw = Component(node, index);
  if (node.type == D3DXPT_FLOAT) {
    float f;
    std::memcpy(&f, raw, 4);
    return f != 0.0f ? TRUE : FALSE;
  }
  std::int32_t i;
  std::memcpy(&i, raw, 4);
  return i != 0 ? TRUE : FALSE;
}

void WriteFloat(Node& node, UINT index, float value) {
  std::uint8_t* raw = Component(node, index);
  if (node.type == D3DXPT_FLOAT) {
    std::memcpy(raw, &value, 4);
    return;
  }
  const std::int32_t i =
      node.type == D3DXPT_BOOL ? (value != 0.0f ? 1 : 0) : static_cast<std::int32_t>(value);
  std::memcpy(raw, &i, 4);
}

void WriteInt(Node& node, UINT index, std::int32_t value) {
  std::uint8_t* raw = Component(node, index);
  if (node.type == D3DXPT_FLOAT) {
    const float f = static_cast<float>(value);
    std::memcpy(raw, &f, 4);
    return;
  }
  const std::int32_t i = node.type == D3DXPT_BOOL ? (value != 0 ? 1 : 0) : value;
  std::memcpy(raw, &i, 4);
}

void WriteBool(Node& node, UINT index, BOOL value) {
  WriteInt(node, index, value != 0 ? 1 : 0);
}

void WriteKind(Node& node, UINT index, int kind, const void* values, UINT at) {
  switch (kind) {
    case kBool:
      WriteBool(node, index, static_cast<const BOOL*>(values)[at]);
      break;
    case kInt:
      WriteInt(node, index, static_cast<const INT*>(values)[at]);
      break;
    default:
      WriteFloat(node, index, static_cast<const FLOAT*>(values)[at]);
      break;
  }
}

void ReadKind(Node& node, UINT index, int kind, void* values, UINT at) {
  switch (kind) {
    case kBool:
      static_cast<BOOL*>(values)[at] = ReadAsBool(node, index);
      break;
    case kInt:
      static_cast<INT*>(values)[at] = ReadAsInt(node, index);
      break;
    default:
      static_cast<FLOAT*>(values)[at] = ReadAsFloat(node, index);
      break;
  }
}

bool IsSingleScalar(const Node& node) {
  return node.IsNumeric() && node.ComponentsPerSlot() == 1 && node.slotCount == 1 &&
         (node.kind == NodeKind::Element || node.elements == 0);
}

bool IsSingle(const Node& node) {
  return node.kind == NodeKind::Element || node.elements == 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Scalars
// ---------------------------------------------------------------------------
HRESULT Effect::SetScalar(D3DXHANDLE handle, int kind, const void* value) {
  Node* node = WritableValue(handle);
  if (!node || !IsSingleScalar(*node)) return D3DERR_INVALIDCALL;
  WriteKind(*node, 0, kind, value, 0);
  Touched(node);
  return D3D_OK;
}

HRESULT Effect::GetScalar(D3DXHANDLE handle, int kind, void* value) {
  Node* node = ValueNode(handle);
  if (!node || !value || !IsSingleScalar(*node)) return D3DERR_INVALIDCALL;
  ReadKind(*node, 0, kind, value, 0);
  return D3D_OK;
}

HRESULT Effect::SetBool(D3DXHANDLE handle, BOOL b) {
  return SetScalar(handle, kBool, &b);
}
HRESULT Effect::GetBool(D3DXHANDLE handle, BOOL* b) {
  return GetScalar(handle, kBool, b);
}
HRESULT Effect::SetInt(D3DXHANDLE handle, INT n) {
  return SetScalar(handle, kInt, &n);
}
HRESULT Effect::GetInt(D3DXHANDLE handle, INT* n) {
  return GetScalar(handle, kInt, n);
}
HRESULT Effect::SetFloat(D3DXHANDLE handle, FLOAT f) {
  return SetScalar(handle, kFloat, &f);
}
HRESULT Effect::GetFloat(D3DXHANDLE handle, FLOAT* f) {
  return GetScalar(handle, kFloat, f);
}

// ---------------------------------------------------------------------------
// Component arrays: any numeric parameter, in component order, as many
// components as both sides have.
// ---------------------------------------------------------------------------
HRESULT Effect::SetNumberArray(D3DXHANDLE handle, int kind, const void* values, UINT count) {
  Node* node = WritableValue(handle);
  if (!node || !node->IsNumeric() || (!values && count)) return D3DERR_INVALIDCALL;
  const UINT n = std::min(count, node->Components());
  for (UINT i = 0; i < n; ++i) WriteKind(*node, i, kind, values, i);
  Touched(node);
  return D3D_OK;
}

HRESULT Effect::GetNumberArray(D3DXHANDLE handle, int kind, void* values, UINT count) {
  Node* node = ValueNode(handle);
  if (!node || !node->IsNumeric() || (!values && count)) return D3DERR_INVALIDCALL;
  const UINT n = std::min(count, node->Components());
  for (UINT i = 0; i < n; ++i) ReadKind(*node, i, kind, values, i);
  return D3D_OK;
}

HRESULT Effect::SetBoolArray(D3DXHANDLE handle, const BOOL* b, UINT count) {
  return SetNumberArray(handle, kBool, b, count);
}
HRESULT Effect::GetBoolArray(D3DXHANDLE handle, BOOL* b, UINT count) {
  return GetNumberArray(handle, kBool, b, count);
}
HRESULT Effect::SetIntArray(D3DXHANDLE handle, const INT* n, UINT count) {
  return SetNumberArray(handle, kInt, n, count);
}
HRESULT Effect::GetIntArray(D3DXHANDLE handle, INT* n, UINT count) {
  return GetNumberArray(handle, kInt, n, count);
}
HRESULT Effect::SetFloatArray(D3DXHANDLE handle, const FLOAT* f, UINT count) {
  return SetNumberArray(handle, kFloat, f, count);
}
HRESULT Effect::GetFloatArray(D3DXHANDLE handle, FLOAT* f, UINT count) {
  return GetNumberArray(handle, kFloat, f, count);
}

// ---------------------------------------------------------------------------
// Vectors: scalar and vector parameters; each element takes as many of the
// four components as it has.
// ---------------------------------------------------------------------------
HRESULT Effect::SetVectors(D3DXHANDLE handle, const D3DXVECTOR4* vectors, UINT count, bool single) {
  Node* node = WritableValue(handle);
  if (!node || !node->IsNumeric() || !node->IsScalarOrVector() || !vectors) return D3DERR_INVALIDCALL;
  if (single && !IsSingle(*node)) return D3DERR_INVALIDCALL;
  const UINT perSlot = std::min(node->ComponentsPerSlot(), 4u);
  const UINT slots = std::min(count, node->slotCount);
  for (UINT s = 0; s < slots; ++s) {
    for (UINT c = 0; c < perSlot; ++c) WriteFloat(*node, s * node->ComponentsPerSlot() + c, vectors[s][c]);
  }
  Touched(node);
  return D3D_OK;
}

HRESULT Effect::GetVectors(D3DXHANDLE handle, D3DXVECTOR4* vectors, UINT count, bool single) {
  Node* node = ValueNode(handle);
  if (!node || !node->IsNumeric() || !node->IsScalarOrVector() || !vectors) return D3DERR_INVALIDCALL;
  if (single && !IsSingle(*node)) return D3DERR_INVALIDCALL;
  const UINT perSlot = std::min(node->ComponentsPerSlot(), 4u);
  const UINT slots = std::min(count, node->slotCount);
  for (UINT s = 0; s < slots; ++s) {
    vectors[s] = D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);
    for (UINT c = 0; c < perSlot; ++c) vectors[s][c] = ReadAsFloat(*node, s * node->ComponentsPerSlot() + c);
  }
  return D3D_OK;
}

HRESULT Effect::SetVector(D3DXHANDLE handle, const D3DXVECTOR4* vector) {
  return SetVectors(handle, vector, 1, true);
}
HRESULT Effect::GetVector(D3DXHANDLE handle, D3DXVECTOR4* vector) {
  return GetVectors(handle, vector, 1, true);
}
HRESULT Effect::SetVectorArray(D3DXHANDLE handle, const D3DXVECTOR4* vectors, UINT count) {
  return SetVectors(handle, vectors, count, false);
}
HRESULT Effect::GetVectorArray(D3DXHANDLE handle, D3DXVECTOR4* vectors, UINT count) {
  return GetVectors(handle, vectors, count, false);
}

// ---------------------------------------------------------------------------
// Matrices: matrix parameters only; element (r, c) of the parameter is
// (r, c) of the D3DXMATRIX, or (c, r) for the transposing variants. Reads
// fill the rest of the 4x4 matrix with zeros.
// ---------------------------------------------------------------------------
HRESULT Effect::SetMatrices(D3DXHANDLE handle, const D3DXMATRIX* const* matrices, UINT count, bool single,
                            bool transpose) {
  Node* node = WritableValue(handle);
  if (!node || !node->IsNumeric() || !node->IsMatrix() || !matrices) return D3DERR_INVALIDCALL;
  if (single && !IsSingle(*node)) return D3DERR_INVALIDCALL;
  const UINT slots = std::min(count, node->slotCount);
  for (UINT s = 0; s < slots; ++s) {
    if (!matrices[s]) return D3DERR_INVALIDCALL;
  }
  for (UINT s = 0; s < slots; ++s) {
    const D3DXMATRIX& m = *matrices[s];
    for (UINT r = 0; r < std::min(node->rows, 4u); ++r) {
      for (UINT c = 0; c < std::min(node->columns, 4u); ++c) {
        WriteFloat(*node, s * node->ComponentsPerSlot() + r * node->columns + c,
                   transpose ? m(c, r) : m(r, c));
      }
    }
  }
  Touched(node);
  return D3D_OK;
}

HRESULT Effect::GetMatrices(D3DXHANDLE handle, D3DXMATRIX* const* matrices, UINT count, bool single,
                            bool transpose) {
  Node* node = ValueNode(handle);
  if (!node || !node->IsNumeric() || !node->IsMatrix() || !matrices) return D3DERR_INVALIDCALL;
  if (single && !IsSingle(*node)) return D3DERR_INVALIDCALL;
  const UINT slots = std::min(count, node->slotCount);
  for (UINT s = 0; s < slots; ++s) {
    if (!matrices[s]) return D3DERR_INVALIDCALL;
  }
  for (UINT s = 0; s < slots; ++s) {
    D3DXMATRIX& m = *matrices[s];
    std::memset(static_cast<void*>(&m), 0, sizeof(m));
    for (UINT r = 0; r < std::min(node->rows, 4u); ++r) {
      for (UINT c = 0; c < std::min(node->columns, 4u); ++c) {
        const float value = ReadAsFloat(*node, s * node->ComponentsPerSlot() + r * node->columns + c);
        (transpose ? m(c, r) : m(r, c)) = value;
      }
    }
  }
  return D3D_OK;
}

namespace {

// Pointers to the consecutive matrices of an array.
template <class Matrix>
std::vector<Matrix*> PointersTo(Matrix* first, UINT count) {
  std::vector<Matrix*> pointers(count);
  for (UINT i = 0; i < count; ++i) pointers[i] = first ? first + i : nullptr;
  return pointers;
}

}  // namespace

HRESULT Effect::SetMatrix(D3DXHANDLE handle, const D3DXMATRIX* matrix) {
  return SetMatrices(handle, &matrix, 1, true, false);
}
HRESULT Effect::GetMatrix(D3DXHANDLE handle, D3DXMATRIX* matrix) {
  return GetMatrices(handle, &matrix, 1, true, false);
}
HRESULT Effect::SetMatrixArray(D3DXHANDLE handle, const D3DXMATRIX* matrices, UINT count) {
  if (!matrices) return D3DERR_INVALIDCALL;
  return SetMatrices(handle, PointersTo(matrices, count).data(), count, false, false);
}
HRESULT Effect::GetMatrixArray(D3DXHANDLE handle, D3DXMATRIX* matrices, UINT count) {
  if (!matrices) return D3DERR_INVALIDCALL;
  return GetMatrices(handle, PointersTo(matrices, count).data(), count, false, false);
}
HRESULT Effect::SetMatrixPointerArray(D3DXHANDLE handle, const D3DXMATRIX** matrices, UINT count) {
  return SetMatrices(handle, matrices, count, false, false);
}
HRESULT Effect::GetMatrixPointerArray(D3DXHANDLE handle, D3DXMATRIX** matrices, UINT count) {
  return GetMatrices(handle, matrices, count, false, false);
}
HRESULT Effect::SetMatrixTranspose(D3DXHANDLE handle, const D3DXMATRIX* matrix) {
  return SetMatrices(handle, &matrix, 1, true, true);
}
HRESULT Effect::GetMatrixTranspose(D3DXHANDLE handle, D3DXMATRIX* matrix) {
  return GetMatrices(handle, &matrix, 1, true, true);
}
HRESULT Effect::SetMatrixTransposeArray(D3DXHANDLE handle, const D3DXMATRIX* matrices, UINT count) {
  if (!matrices) return D3DERR_INVALIDCALL;
  return SetMatrices(handle, PointersTo(matrices, count).data(), count, false, true);
}
HRESULT Effect::GetMatrixTransposeArray(D3DXHANDLE handle, D3DXMATRIX* matrices, UINT count) {
  if (!matrices) return D3DERR_INVALIDCALL;
  return GetMatrices(handle, PointersTo(matrices, count).data(), count, false, true);
}
HRESULT Effect::SetMatrixTransposePointerArray(D3DXHANDLE handle, const D3DXMATRIX** matrices, UINT count) {
  return SetMatrices(handle, matrices, count, false, true);
}
HRESULT Effect::GetMatrixTransposePointerArray(D3DXHANDLE handle, D3DXMATRIX** matrices, UINT count) {
  return GetMatrices(handle, matrices, count, false, true);
}

}  // namespace sim::detail
