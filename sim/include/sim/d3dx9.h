// Simulated D3DX 9 declarations for the Linux build: the effect, buffer and
// include interfaces, their descriptions and enumerations, the math types
// the effect interface takes, and the creation functions, with the names,
// method order and signatures that code written against the Windows SDK
// expects.
#pragma once

#include "sim/d3d9.h"

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_DEFAULT_NONPOW2 ((UINT)-2)
#define D3DX_FROM_FILE ((UINT)-3)

// ---------------------------------------------------------------------------
// Result codes
// ---------------------------------------------------------------------------
#define _FACDD 0x876
#define MAKE_DDHRESULT(code) MAKE_HRESULT(1, _FACDD, code)

enum _D3DXERR {
  D3DXERR_CANNOTMODIFYINDEXBUFFER = MAKE_DDHRESULT(2900),
  D3DXERR_INVALIDMESH = MAKE_DDHRESULT(2901),
  D3DXERR_CANNOTATTRSORT = MAKE_DDHRESULT(2902),
  D3DXERR_SKINNINGNOTSUPPORTED = MAKE_DDHRESULT(2903),
  D3DXERR_TOOMANYINFLUENCES = MAKE_DDHRESULT(2904),
  D3DXERR_INVALIDDATA = MAKE_DDHRESULT(2905),
  D3DXERR_LOADEDMESHASNODATA = MAKE_DDHRESULT(2906),
  D3DXERR_DUPLICATENAMEDFRAGMENT = MAKE_DDHRESULT(2907),
  D3DXERR_CANNOTREMOVELASTITEM = MAKE_DDHRESULT(2908),
};

// ---------------------------------------------------------------------------
// Math types
// ---------------------------------------------------------------------------
struct D3DXVECTOR2 {
  D3DXVECTOR2() = default;
  D3DXVECTOR2(FLOAT fx, FLOAT fy) : x(fx), y(fy) {}
  explicit D3DXVECTOR2(const FLOAT* f) : x(f[0]), y(f[1]) {}
  operator FLOAT*() { return &x; }
  operator const FLOAT*() const { return &x; }
  bool operator==(const D3DXVECTOR2& o) const { return x == o.x && y == o.y; }
  bool operator!=(const D3DXVECTOR2& o) const { return !(*this == o); }
  FLOAT x, y;
};

struct D3DXVECTOR3 : public D3DVECTOR {
  D3DXVECTOR3() = default;
  D3DXVECTOR3(FLOAT fx, FLOAT fy, FLOAT fz) : D3DVECTOR{fx, fy, fz} {}
  explicit D3DXVECTOR3(const FLOAT* f) : D3DVECTOR{f[0], f[1], f[2]} {}
  D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}
  operator FLOAT*() { return &x; }
  operator const FLOAT*() const { return &x; }
  bool operator==(const D3DXVECTOR3& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const D3DXVECTOR3& o) const { return !(*this == o); }
};

typedef struct D3DXVECTOR4 {
  D3DXVECTOR4() = default;
  D3DXVECTOR4(FLOAT fx, FLOAT fy, FLOAT fz, FLOAT fw) : x(fx), y(fy), z(fz), w(fw) {}
  explicit D3DXVECTOR4(const FLOAT* f) : x(f[0]), y(f[1]), z(f[2]), w(f[3]) {}
  operator FLOAT*() { return &x; }
  operator const FLOAT*() const { return &x; }
  bool operator==(const D3DXVECTOR4& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
  bool operator!=(const D3DXVECTOR4& o) const { return !(*this == o); }
  FLOAT x, y, z, w;
} D3DXVECTOR4, *LPD3DXVECTOR4;

typedef struct D3DXMATRIX : public D3DMATRIX {
  D3DXMATRIX() = default;
  explicit D3DXMATRIX(const FLOAT* f) {
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = f[i];
  }
  D3DXMATRIX(const D3DMATRIX& other) : D3DMATRIX(other) {}
  D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23, FLOAT f24,
             FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42, FLOAT f43, FLOAT f44) {
    _11 = f11, _12 = f12, _13 = f13, _14 = f14;
    _21 = f21, _22 = f22, _23 = f23, _24 = f24;
    _31 = f31, _32 = f32, _33 = f33, _34 = f34;
    _41 = f41, _42 = f42, _43 = f43, _44 = f44;
  }
  FLOAT& operator()(UINT row, UINT col) { return m[row][col]; }
  FLOAT operator()(UINT row, UINT col) const { return m[row][col]; }
  operator FLOAT*() { return &_11; }
  operator const FLOAT*() const { return &_11; }
  bool operator==(const D3DXMATRIX& o) const {
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c)
        if (m[r][c] != o.m[r][c]) return false;
    return true;
  }
  bool operator!=(const D3DXMATRIX& o) const { return !(*this == o); }
} D3DXMATRIX, *LPD3DXMATRIX;

inline D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out->m[r][c] = r == c ? 1.0f : 0.0f;
  return out;
}

// ---------------------------------------------------------------------------
// Shader and effect types
// ---------------------------------------------------------------------------
typedef LPCSTR D3DXHANDLE;
typedef D3DXHANDLE* LPD3DXHANDLE;

typedef struct _D3DXMACRO {
  LPCSTR Name;
  LPCSTR Definition;
} D3DXMACRO, *LPD3DXMACRO;

typedef enum _D3DXINCLUDE_TYPE {
  D3DXINC_LOCAL = 0,
  D3DXINC_SYSTEM = 1,
  D3DXINC_FORCE_DWORD = 0x7fffffff
} D3DXINCLUDE_TYPE,
    *LPD3DXINCLUDE_TYPE;

typedef enum _D3DXPARAMETER_CLASS {
  D3DXPC_SCALAR = 0,
  D3DXPC_VECTOR = 1,
  D3DXPC_MATRIX_ROWS = 2,
  D3DXPC_MATRIX_COLUMNS = 3,
  D3DXPC_OBJECT = 4,
  D3DXPC_STRUCT = 5,
  D3DXPC_FORCE_DWORD = 0x7fffffff
} D3DXPARAMETER_CLASS,
    *LPD3DXPARAMETER_CLASS;

typedef enum _D3DXPARAMETER_TYPE {
  D3DXPT_VOID = 0,
  D3DXPT_BOOL = 1,
  D3DXPT_INT = 2,
  D3DXPT_FLOAT = 3,
  D3DXPT_STRING = 4,
  D3DXPT_TEXTURE = 5,
  D3DXPT_TEXTURE1D = 6,
  D3DXPT_TEXTURE2D = 7,
  D3DXPT_TEXTURE3D = 8,
  D3DXPT_TEXTURECUBE = 9,
  D3DXPT_SAMPLER = 10,
  D3DXPT_SAMPLER1D = 11,
  D3DXPT_SAMPLER2D = 12,
  D3DXPT_SAMPLER3D = 13,
  D3DXPT_SAMPLERCUBE = 14,
  D3DXPT_PIXELSHADER = 15,
  D3DXPT_VERTEXSHADER = 16,
  D3DXPT_PIXELFRAGMENT = 17,
  D3DXPT_VERTEXFRAGMENT = 18,
  D3DXPT_UNSUPPORTED = 19,
  D3DXPT_FORCE_DWORD = 0x7fffffff
} D3DXPARAMETER_TYPE,
    *LPD3DXPARAMETER_TYPE;

typedef struct _D3DXEFFECT_DESC {
  LPCSTR Creator;
  UINT Parameters;
  UINT Techniques;
  UINT Functions;
} D3DXEFFECT_DESC;

typedef struct _D3DXPARAMETER_DESC {
  LPCSTR Name;
  LPCSTR Semantic;
  D3DXPARAMETER_CLASS Class;
  D3DXPARAMETER_TYPE Type;
  UINT Rows;
  UINT Columns;
  UINT Elements;
  UINT Annotations;
  UINT StructMembers;
  DWORD Flags;
  UINT Bytes;
} D3DXPARAMETER_DESC;

typedef struct _D3DXTECHNIQUE_DESC {
  LPCSTR Name;
  UINT Passes;
  UINT Annotations;
} D3DXTECHNIQUE_DESC;

typedef struct _D3DXPASS_DESC {
  LPCSTR Name;
  UINT Annotations;
  const DWORD* pVertexShaderFunction;
  const DWORD* pPixelShaderFunction;
} D3DXPASS_DESC;

typedef struct _D3DXFUNCTION_DESC {
  LPCSTR Name;
  UINT Annotations;
} D3DXFUNCTION_DESC;

// Parameter description flags
#define D3DX_PARAMETER_SHARED (1 << 0)
#define D3DX_PARAMETER_LITERAL (1 << 1)
#define D3DX_PARAMETER_ANNOTATION (1 << 2)

// Effect creation and Begin flags
#define D3DXFX_DONOTSAVESTATE (1 << 0)
#define D3DXFX_DONOTSAVESHADERSTATE (1 << 1)
#define D3DXFX_DONOTSAVESAMPLERSTATE (1 << 2)
#define D3DXFX_NOT_CLONEABLE (1 << 11)
#define D3DXFX_LARGEADDRESSAWARE (1 << 17)

// Compiler flags
#define D3DXSHADER_DEBUG (1 << 0)
#define D3DXSHADER_SKIPVALIDATION (1 << 1)
#define D3DXSHADER_SKIPOPTIMIZATION (1 << 2)
#define D3DXSHADER_PACKMATRIX_ROWMAJOR (1 << 3)
#define D3DXSHADER_PACKMATRIX_COLUMNMAJOR (1 << 4)
#define D3DXSHADER_PARTIALPRECISION (1 << 5)
#define D3DXSHADER_FORCE_VS_SOFTWARE_NOOPT (1 << 6)
#define D3DXSHADER_FORCE_PS_SOFTWARE_NOOPT (1 << 7)
#define D3DXSHADER_NO_PRESHADER (1 << 8)
#define D3DXSHADER_AVOID_FLOW_CONTROL (1 << 9)
#define D3DXSHADER_PREFER_FLOW_CONTROL (1 << 10)
#define D3DXSHADER_ENABLE_BACKWARDS_COMPATIBILITY (1 << 12)
#define D3DXSHADER_IEEE_STRICTNESS (1 << 13)
#define D3DXSHADER_OPTIMIZATION_LEVEL0 (1 << 14)
#define D3DXSHADER_OPTIMIZATION_LEVEL1 0
#define D3DXSHADER_OPTIMIZATION_LEVEL2 ((1 << 14) | (1 << 15))
#define D3DXSHADER_OPTIMIZATION_LEVEL3 (1 << 15)
#define D3DXSHADER_USE_LEGACY_D3DX9_31_DLL (1 << 16)

// ---------------------------------------------------------------------------
// Interfaces
// ---------------------------------------------------------------------------
interface ID3DXBuffer;
interface ID3DXInclude;
interface ID3DXEffectPool;
interface ID3DXEffectStateManager;
interface ID3DXBaseEffect;
interface ID3DXEffect;

typedef ID3DXBuffer* LPD3DXBUFFER;
typedef ID3DXInclude* LPD3DXINCLUDE;
typedef ID3DXEffectPool* LPD3DXEFFECTPOOL;
typedef ID3DXEffectStateManager* LPD3DXEFFECTSTATEMANAGER;
typedef ID3DXBaseEffect* LPD3DXBASEEFFECT;
typedef ID3DXEffect* LPD3DXEFFECT;

DECLARE_INTERFACE_(ID3DXBuffer, IUnknown) {
  STDMETHOD_(LPVOID, GetBufferPointer)(THIS) PURE;
  STDMETHOD_(DWORD, GetBufferSize)(THIS) PURE;
};

// Not a COM object: the compiler calls Open for every #include and Close
// once for every buffer that Open handed back.
DECLARE_INTERFACE(ID3DXInclude) {
  STDMETHOD(Open)
  (THIS_ D3DXINCLUDE_TYPE IncludeType, LPCSTR pFileName, LPCVOID pParentData, LPCVOID * ppData, UINT * pBytes)
      PURE;
  STDMETHOD(Close)(THIS_ LPCVOID pData) PURE;
};

DECLARE_INTERFACE_(ID3DXEffectPool, IUnknown){};

DECLARE_INTERFACE_(ID3DXEffectStateManager, IUnknown) {
  STDMETHOD(SetTransform)(THIS_ D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) PURE;
  STDMETHOD(SetMaterial)(THIS_ const D3DMATERIAL9* pMaterial) PURE;
  STDMETHOD(SetLight)(THIS_ DWORD Index, const D3DLIGHT9* pLight) PURE;
  STDMETHOD(LightEnable)(THIS_ DWORD Index, BOOL Enable) PURE;
  STDMETHOD(SetRenderState)(THIS_ D3DRENDERSTATETYPE State, DWORD Value) PURE;
  STDMETHOD(SetTexture)(THIS_ DWORD Stage, LPDIRECT3DBASETEXTURE9 pTexture) PURE;
  STDMETHOD(SetTextureStageState)(THIS_ DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) PURE;
  STDMETHOD(SetSamplerState)(THIS_ DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) PURE;
  STDMETHOD(SetNPatchMode)(THIS_ FLOAT NumSegments) PURE;
  STDMETHOD(SetFVF)(THIS_ DWORD FVF) PURE;
  STDMETHOD(SetVertexShader)(THIS_ LPDIRECT3DVERTEXSHADER9 pShader) PURE;
  STDMETHOD(SetVertexShaderConstantF)
  (THIS_ UINT RegisterIndex, const FLOAT* pConstantData, UINT RegisterCount) PURE;
  STDMETHOD(SetVertexShaderConstantI)
  (THIS_ UINT RegisterIndex, const INT* pConstantData, UINT RegisterCount) PURE;
  STDMETHOD(SetVertexShaderConstantB)
  (THIS_ UINT RegisterIndex, const BOOL* pConstantData, UINT RegisterCount) PURE;
  STDMETHOD(SetPixelShader)(THIS_ LPDIRECT3DPIXELSHADER9 pShader) PURE;
  STDMETHOD(SetPixelShaderConstantF)
  (THIS_ UINT RegisterIndex, const FLOAT* pConstantData, UINT RegisterCount) PURE;
  STDMETHOD(SetPixelShaderConstantI)
  (THIS_ UINT RegisterIndex, const INT* pConstantData, UINT RegisterCount) PURE;
  STDMETHOD(SetPixelShaderConstantB)
  (THIS_ UINT RegisterIndex, const BOOL* pConstantData, UINT RegisterCount) PURE;
};

DECLARE_INTERFACE_(ID3DXBaseEffect, IUnknown) {
  // Descriptions
  STDMETHOD(GetDesc)(THIS_ D3DXEFFECT_DESC * pDesc) PURE;
  STDMETHOD(GetParameterDesc)(THIS_ D3DXHANDLE hParameter, D3DXPARAMETER_DESC * pDesc) PURE;
  STDMETHOD(GetTechniqueDesc)(THIS_ D3DXHANDLE hTechnique, D3DXTECHNIQUE_DESC * pDesc) PURE;
  STDMETHOD(GetPassDesc)(THIS_ D3DXHANDLE hPass, D3DXPASS_DESC * pDesc) PURE;
  STDMETHOD(GetFunctionDesc)(THIS_ D3DXHANDLE hShader, D3DXFUNCTION_DESC * pDesc) PURE;

  // Handle lookups
  STDMETHOD_(D3DXHANDLE, GetParameter)(THIS_ D3DXHANDLE hParameter, UINT Index) PURE;
  STDMETHOD_(D3DXHANDLE, GetParameterByName)(THIS_ D3DXHANDLE hParameter, LPCSTR pName) PURE;
  STDMETHOD_(D3DXHANDLE, GetParameterBySemantic)(THIS_ D3DXHANDLE hParameter, LPCSTR pSemantic) PURE;
  STDMETHOD_(D3DXHANDLE, GetParameterElement)(THIS_ D3DXHANDLE hParameter, UINT Index) PURE;
  STDMETHOD_(D3DXHANDLE, GetTechnique)(THIS_ UINT Index) PURE;
  STDMETHOD_(D3DXHANDLE, GetTechniqueByName)(THIS_ LPCSTR pName) PURE;
  STDMETHOD_(D3DXHANDLE, GetPass)(THIS_ D3DXHANDLE hTechnique, UINT Index) PURE;
  STDMETHOD_(D3DXHANDLE, GetPassByName)(THIS_ D3DXHANDLE hTechnique, LPCSTR pName) PURE;
  STDMETHOD_(D3DXHANDLE, GetFunction)(THIS_ UINT Index) PURE;
  STDMETHOD_(D3DXHANDLE, GetFunctionByName)(THIS_ LPCSTR pName) PURE;
  STDMETHOD_(D3DXHANDLE, GetAnnotation)(THIS_ D3DXHANDLE hObject, UINT Index) PURE;
  STDMETHOD_(D3DXHANDLE, GetAnnotationByName)(THIS_ D3DXHANDLE hObject, LPCSTR pName) PURE;

  // Values
  STDMETHOD(SetValue)(THIS_ D3DXHANDLE hParameter, LPCVOID pData, UINT Bytes) PURE;
  STDMETHOD(GetValue)(THIS_ D3DXHANDLE hParameter, LPVOID pData, UINT Bytes) PURE;
  STDMETHOD(SetBool)(THIS_ D3DXHANDLE hParameter, BOOL b) PURE;
  STDMETHOD(GetBool)(THIS_ D3DXHANDLE hParameter, BOOL * pb) PURE;
  STDMETHOD(SetBoolArray)(THIS_ D3DXHANDLE hParameter, const BOOL* pb, UINT Count) PURE;
  STDMETHOD(GetBoolArray)(THIS_ D3DXHANDLE hParameter, BOOL * pb, UINT Count) PURE;
  STDMETHOD(SetInt)(THIS_ D3DXHANDLE hParameter, INT n) PURE;
  STDMETHOD(GetInt)(THIS_ D3DXHANDLE hParameter, INT * pn) PURE;
  STDMETHOD(SetIntArray)(THIS_ D3DXHANDLE hParameter, const INT* pn, UINT Count) PURE;
  STDMETHOD(GetIntArray)(THIS_ D3DXHANDLE hParameter, INT * pn, UINT Count) PURE;
  STDMETHOD(SetFloat)(THIS_ D3DXHANDLE hParameter, FLOAT f) PURE;
  STDMETHOD(GetFloat)(THIS_ D3DXHANDLE hParameter, FLOAT * pf) PURE;
  STDMETHOD(SetFloatArray)(THIS_ D3DXHANDLE hParameter, const FLOAT* pf, UINT Count) PURE;
  STDMETHOD(GetFloatArray)(THIS_ D3DXHANDLE hParameter, FLOAT * pf, UINT Count) PURE;
  STDMETHOD(SetVector)(THIS_ D3DXHANDLE hParameter, const D3DXVECTOR4* pVector) PURE;
  STDMETHOD(GetVector)(THIS_ D3DXHANDLE hParameter, D3DXVECTOR4 * pVector) PURE;
  STDMETHOD(SetVectorArray)(THIS_ D3DXHANDLE hParameter, const D3DXVECTOR4* pVector, UINT Count) PURE;
  STDMETHOD(GetVectorArray)(THIS_ D3DXHANDLE hParameter, D3DXVECTOR4 * pVector, UINT Count) PURE;
  STDMETHOD(SetMatrix)(THIS_ D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) PURE;
  STDMETHOD(GetMatrix)(THIS_ D3DXHANDLE hParameter, D3DXMATRIX * pMatrix) PURE;
  STDMETHOD(SetMatrixArray)(THIS_ D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix, UINT Count) PURE;
  STDMETHOD(GetMatrixArray)(THIS_ D3DXHANDLE hParameter, D3DXMATRIX * pMatrix, UINT Count) PURE;
  STDMETHOD(SetMatrixPointerArray)(THIS_ D3DXHANDLE hParameter, const D3DXMATRIX** ppMatrix, UINT Count) PURE;
  STDMETHOD(GetMatrixPointerArray)(THIS_ D3DXHANDLE hParameter, D3DXMATRIX * *ppMatrix, UINT Count) PURE;
  STDMETHOD(SetMatrixTranspose)(THIS_ D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) PURE;
  STDMETHOD(GetMatrixTranspose)(THIS_ D3DXHANDLE hParameter, D3DXMATRIX * pMatrix) PURE;
  STDMETHOD(SetMatrixTransposeArray)(THIS_ D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix, UINT Count) PURE;
  STDMETHOD(GetMatrixTransposeArray)(THIS_ D3DXHANDLE hParameter, D3DXMATRIX * pMatrix, UINT Count) PURE;
  STDMETHOD(SetMatrixTransposePointerArray)
  (THIS_ D3DXHANDLE hParameter, const D3DXMATRIX** ppMatrix, UINT Count) PURE;
  STDMETHOD(GetMatrixTransposePointerArray)
  (THIS_ D3DXHANDLE hParameter, D3DXMATRIX * *ppMatrix, UINT Count) PURE;
  STDMETHOD(SetString)(THIS_ D3DXHANDLE hParameter, LPCSTR pString) PURE;
  STDMETHOD(GetString)(THIS_ D3DXHANDLE hParameter, LPCSTR * ppString) PURE;
  STDMETHOD(SetTexture)(THIS_ D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9 pTexture) PURE;
  STDMETHOD(GetTexture)(THIS_ D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9 * ppTexture) PURE;
  STDMETHOD(GetPixelShader)(THIS_ D3DXHANDLE hParameter, LPDIRECT3DPIXELSHADER9 * ppPShader) PURE;
  STDMETHOD(GetVertexShader)(THIS_ D3DXHANDLE hParameter, LPDIRECT3DVERTEXSHADER9 * ppVShader) PURE;

  // Arrays
  STDMETHOD(SetArrayRange)(THIS_ D3DXHANDLE hParameter, UINT uStart, UINT uEnd) PURE;
};

DECLARE_INTERFACE_(ID3DXEffect, ID3DXBaseEffect) {
  // Pool and techniques
  STDMETHOD(GetPool)(THIS_ LPD3DXEFFECTPOOL * ppPool) PURE;
  STDMETHOD(SetTechnique)(THIS_ D3DXHANDLE hTechnique) PURE;
  STDMETHOD_(D3DXHANDLE, GetCurrentTechnique)(THIS) PURE;
  STDMETHOD(ValidateTechnique)(THIS_ D3DXHANDLE hTechnique) PURE;
  STDMETHOD(FindNextValidTechnique)(THIS_ D3DXHANDLE hTechnique, D3DXHANDLE * pTechnique) PURE;
  STDMETHOD_(BOOL, IsParameterUsed)(THIS_ D3DXHANDLE hParameter, D3DXHANDLE hTechnique) PURE;

  // Rendering
  STDMETHOD(Begin)(THIS_ UINT * pPasses, DWORD Flags) PURE;
  STDMETHOD(BeginPass)(THIS_ UINT Pass) PURE;
  STDMETHOD(CommitChanges)(THIS) PURE;
  STDMETHOD(EndPass)(THIS) PURE;
  STDMETHOD(End)(THIS) PURE;

  // Device and state
  STDMETHOD(GetDevice)(THIS_ LPDIRECT3DDEVICE9 * ppDevice) PURE;
  STDMETHOD(OnLostDevice)(THIS) PURE;
  STDMETHOD(OnResetDevice)(THIS) PURE;
  STDMETHOD(SetStateManager)(THIS_ LPD3DXEFFECTSTATEMANAGER pManager) PURE;
  STDMETHOD(GetStateManager)(THIS_ LPD3DXEFFECTSTATEMANAGER * ppManager) PURE;

  // Parameter blocks
  STDMETHOD(BeginParameterBlock)(THIS) PURE;
  STDMETHOD_(D3DXHANDLE, EndParameterBlock)(THIS) PURE;
  STDMETHOD(ApplyParameterBlock)(THIS_ D3DXHANDLE hParameterBlock) PURE;
  STDMETHOD(DeleteParameterBlock)(THIS_ D3DXHANDLE hParameterBlock) PURE;

  // Cloning and raw writes
  STDMETHOD(CloneEffect)(THIS_ LPDIRECT3DDEVICE9 pDevice, LPD3DXEFFECT * ppEffect) PURE;
  STDMETHOD(SetRawValue)(THIS_ D3DXHANDLE hParameter, LPCVOID pData, UINT ByteOffset, UINT Bytes) PURE;
};

// ---------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------
extern "C" {
HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer);

HRESULT WINAPI D3DXCreateEffect(LPDIRECT3DDEVICE9 pDevice, LPCVOID pSrcData, UINT SrcDataLen,
                                const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude, DWORD Flags,
                                LPD3DXEFFECTPOOL pPool, LPD3DXEFFECT* ppEffect,
                                LPD3DXBUFFER* ppCompilationErrors);

HRESULT WINAPI D3DXCreateEffectFromFileA(LPDIRECT3DDEVICE9 pDevice, LPCSTR pSrcFile,
                                         const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude, DWORD Flags,
                                         LPD3DXEFFECTPOOL pPool, LPD3DXEFFECT* ppEffect,
                                         LPD3DXBUFFER* ppCompilationErrors);

HRESULT WINAPI D3DXCreateEffectFromResourceA(LPDIRECT3DDEVICE9 pDevice, HMODULE hSrcModule,
                                             LPCSTR pSrcResource, const D3DXMACRO* pDefines,
                                             LPD3DXINCLUDE pInclude, DWORD Flags, LPD3DXEFFECTPOOL pPool,
                                             LPD3DXEFFECT* ppEffect, LPD3DXBUFFER* ppCompilationErrors);

HRESULT WINAPI D3DXCreateEffectPool(LPD3DXEFFECTPOOL* ppPool);

HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE9 pDevice, LPCSTR pSrcFile,
                                          LPDIRECT3DTEXTURE9* ppTexture);

HRESULT WINAPI D3DXCreateVolumeTextureFromFileA(LPDIRECT3DDEVICE9 pDevice, LPCSTR pSrcFile,
                                                LPDIRECT3DVOLUMETEXTURE9* ppVolumeTexture);
}

#define D3DXCreateEffectFromFile D3DXCreateEffectFromFileA
#define D3DXCreateEffectFromResource D3DXCreateEffectFromResourceA
#define D3DXCreateTextureFromFile D3DXCreateTextureFromFileA
#define D3DXCreateVolumeTextureFromFile D3DXCreateVolumeTextureFromFileA
