// The simulated ID3DXEffect: parameters by handle or by name, D3DX's rules
// for which setter and getter fits which parameter type, textures with
// reference counting, techniques and passes with Begin/BeginPass/EndPass/End
// bookkeeping, parameter blocks and cloning. A setter or getter that does
// not fit returns D3DERR_INVALIDCALL and changes nothing.
#pragma once

#include <memory>
#include <set>
#include <vector>

#include "d3d_com_object.h"
#include "effect_tree.h"

namespace sim::detail {

class Effect final : public ComObject<ID3DXEffect> {
 public:
  // The tree is built by the caller, so that nothing allocates once the
  // object counts as created.
  Effect(IDirect3DDevice9* device, std::shared_ptr<const simfx::Effect> model,
         std::unique_ptr<EffectTree> tree, DWORD flags, ID3DXEffectPool* pool);

  const EffectActivity& Activity() const { return activity_; }

  HRESULT STDMETHODCALLTYPE GetDesc(D3DXEFFECT_DESC* pDesc) override;
  HRESULT STDMETHODCALLTYPE GetParameterDesc(D3DXHANDLE hParameter, D3DXPARAMETER_DESC* pDesc) override;
  HRESULT STDMETHODCALLTYPE GetTechniqueDesc(D3DXHANDLE hTechnique, D3DXTECHNIQUE_DESC* pDesc) override;
  HRESULT STDMETHODCALLTYPE GetPassDesc(D3DXHANDLE hPass, D3DXPASS_DESC* pDesc) override;
  HRESULT STDMETHODCALLTYPE GetFunctionDesc(D3DXHANDLE hShader, D3DXFUNCTION_DESC* pDesc) override;
  D3DXHANDLE STDMETHODCALLTYPE GetParameter(D3DXHANDLE hParameter, UINT Index) override;
  D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE hParameter, LPCSTR pName) override;
  D3DXHANDLE STDMETHODCALLTYPE GetParameterBySemantic(D3DXHANDLE hParameter, LPCSTR pSemantic) override;
  D3DXHANDLE STDMETHODCALLTYPE GetParameterElement(D3DXHANDLE hParameter, UINT Index) override;
  D3DXHANDLE STDMETHODCALLTYPE GetTechnique(UINT Index) override;
  D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(LPCSTR pName) override;
  D3DXHANDLE STDMETHODCALLTYPE GetPass(D3DXHANDLE hTechnique, UINT Index) override;
  D3DXHANDLE STDMETHODCALLTYPE GetPassByName(D3DXHANDLE hTechnique, LPCSTR pName) override;
  D3DXHANDLE STDMETHODCALLTYPE GetFunction(UINT Index) override;
  D3DXHANDLE STDMETHODCALLTYPE GetFunctionByName(LPCSTR pName) override;
  D3DXHANDLE STDMETHODCALLTYPE GetAnnotation(D3DXHANDLE hObject, UINT Index) override;
  D3DXHANDLE STDMETHODCALLTYPE GetAnnotationByName(D3DXHANDLE hObject, LPCSTR pName) override;
  HRESULT STDMETHODCALLTYPE SetValue(D3DXHANDLE hParameter, LPCVOID pData, UINT Bytes) override;
  HRESULT STDMETHODCALLTYPE GetValue(D3DXHANDLE hParameter, LPVOID pData, UINT Bytes) override;
  HRESULT STDMETHODCALLTYPE SetBool(D3DXHANDLE hParameter, BOOL b) override;
  HRESULT STDMETHODCALLTYPE GetBool(D3DXHANDLE hParameter, BOOL* pb) override;
  HRESULT STDMETHODCALLTYPE SetBoolArray(D3DXHANDLE hParameter, const BOOL* pb, UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetBoolArray(D3DXHANDLE hParameter, BOOL* pb, UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetInt(D3DXHANDLE hParameter, INT n) override;
  HRESULT STDMETHODCALLTYPE GetInt(D3DXHANDLE hParameter, INT* pn) override;
  HRESULT STDMETHODCALLTYPE SetIntArray(D3DXHANDLE hParameter, const INT* pn, UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetIntArray(D3DXHANDLE hParameter, INT* pn, UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE hParameter, FLOAT f) override;
  HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE hParameter, FLOAT* pf) override;
  HRESULT STDMETHODCALLTYPE SetFloatArray(D3DXHANDLE hParameter, const FLOAT* pf, UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetFloatArray(D3DXHANDLE hParameter, FLOAT* pf, UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector) override;
  HRESULT STDMETHODCALLTYPE GetVector(D3DXHANDLE hParameter, D3DXVECTOR4* pVector) override;
  HRESULT STDMETHODCALLTYPE SetVectorArray(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector,
                                           UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetVectorArray(D3DXHANDLE hParameter, D3DXVECTOR4* pVector, UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) override;
  HRESULT STDMETHODCALLTYPE GetMatrix(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) override;
  HRESULT STDMETHODCALLTYPE SetMatrixArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix,
                                           UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetMatrixArray(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix, UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetMatrixPointerArray(D3DXHANDLE hParameter, const D3DXMATRIX** ppMatrix,
                                                  UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetMatrixPointerArray(D3DXHANDLE hParameter, D3DXMATRIX** ppMatrix,
                                                  UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetMatrixTranspose(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) override;
  HRESULT STDMETHODCALLTYPE GetMatrixTranspose(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) override;
  HRESULT STDMETHODCALLTYPE SetMatrixTransposeArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix,
                                                    UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetMatrixTransposeArray(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix,
                                                    UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetMatrixTransposePointerArray(D3DXHANDLE hParameter, const D3DXMATRIX** ppMatrix,
                                                           UINT Count) override;
  HRESULT STDMETHODCALLTYPE GetMatrixTransposePointerArray(D3DXHANDLE hParameter, D3DXMATRIX** ppMatrix,
                                                           UINT Count) override;
  HRESULT STDMETHODCALLTYPE SetString(D3DXHANDLE hParameter, LPCSTR pString) override;
  HRESULT STDMETHODCALLTYPE GetString(D3DXHANDLE hParameter, LPCSTR* ppString) override;
  HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9 pTexture) override;
  HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9* ppTexture) override;
  HRESULT STDMETHODCALLTYPE GetPixelShader(D3DXHANDLE hParameter, LPDIRECT3DPIXELSHADER9* ppPShader) override;
  HRESULT STDMETHODCALLTYPE GetVertexShader(D3DXHANDLE hParameter,
                                            LPDIRECT3DVERTEXSHADER9* ppVShader) override;
  HRESULT STDMETHODCALLTYPE SetArrayRange(D3DXHANDLE hParameter, UINT uStart, UINT uEnd) override;
  HRESULT STDMETHODCALLTYPE GetPool(LPD3DXEFFECTPOOL* ppPool) override;
  HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE hTechnique) override;
  D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() override;
  HRESULT STDMETHODCALLTYPE ValidateTechnique(D3DXHANDLE hTechnique) override;
  HRESULT STDMETHODCALLTYPE FindNextValidTechnique(D3DXHANDLE hTechnique, D3DXHANDLE* pTechnique) override;
  BOOL STDMETHODCALLTYPE IsParameterUsed(D3DXHANDLE hParameter, D3DXHANDLE hTechnique) override;
  HRESULT STDMETHODCALLTYPE Begin(UINT* pPasses, DWORD Flags) override;
  HRESULT STDMETHODCALLTYPE BeginPass(UINT Pass) override;
  HRESULT STDMETHODCALLTYPE CommitChanges() override;
  HRESULT STDMETHODCALLTYPE EndPass() override;
  HRESULT STDMETHODCALLTYPE End() override;
  HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* ppDevice) override;
  HRESULT STDMETHODCALLTYPE OnLostDevice() override;
  HRESULT STDMETHODCALLTYPE OnResetDevice() override;
  HRESULT STDMETHODCALLTYPE SetStateManager(LPD3DXEFFECTSTATEMANAGER pManager) override;
  HRESULT STDMETHODCALLTYPE GetStateManager(LPD3DXEFFECTSTATEMANAGER* ppManager) override;
  HRESULT STDMETHODCALLTYPE BeginParameterBlock() override;
  D3DXHANDLE STDMETHODCALLTYPE EndParameterBlock() override;
  HRESULT STDMETHODCALLTYPE ApplyParameterBlock(D3DXHANDLE hParameterBlock) override;
  HRESULT STDMETHODCALLTYPE DeleteParameterBlock(D3DXHANDLE hParameterBlock) override;
  HRESULT STDMETHODCALLTYPE CloneEffect(LPDIRECT3DDEVICE9 pDevice, LPD3DXEFFECT* ppEffect) override;
  HRESULT STDMETHODCALLTYPE SetRawValue(D3DXHANDLE hParameter, LPCVOID pData, UINT ByteOffset,
                                        UINT Bytes) override;

 protected:
  void OnFinalRelease() override;

 private:
  struct ParameterBlock {
    Node marker;  // its address is the block's handle
    std::vector<std::pair<Node*, ValueStore>> values;
    bool deleted = false;
  };

  // Handle resolution: a real handle, else a name.
  Node* ValueNode(D3DXHANDLE handle) const;
  Node* WritableValue(D3DXHANDLE handle) const;
  Node* TechniqueNode(D3DXHANDLE handle) const;
  Node* AnnotatedNode(D3DXHANDLE handle) const;
  ParameterBlock* BlockFromHandle(D3DXHANDLE handle) const;

  // Notes a successful write for the parameter block being recorded.
  void Touched(Node* node);

  // Shared bodies of the typed setters and getters.
  HRESULT SetScalar(D3DXHANDLE handle, int kind, const void* value);
  HRESULT GetScalar(D3DXHANDLE handle, int kind, void* value);
  HRESULT SetNumberArray(D3DXHANDLE handle, int kind, const void* values, UINT count);
  HRESULT GetNumberArray(D3DXHANDLE handle, int kind, void* values, UINT count);
  HRESULT SetVectors(D3DXHANDLE handle, const D3DXVECTOR4* vectors, UINT count, bool single);
  HRESULT GetVectors(D3DXHANDLE handle, D3DXVECTOR4* vectors, UINT count, bool single);
  HRESULT SetMatrices(D3DXHANDLE handle, const D3DXMATRIX* const* matrices, UINT count, bool single,
                      bool transpose);
  HRESULT GetMatrices(D3DXHANDLE handle, D3DXMATRIX* const* matrices, UINT count, bool single,
                      bool transpose);

  IDirect3DDevice9* device_;
  std::shared_ptr<const simfx::Effect> model_;
  DWORD flags_;
  ID3DXEffectPool* pool_;
  ID3DXEffectStateManager* stateManager_ = nullptr;
  std::unique_ptr<EffectTree> tree_;
  Node* currentTechnique_ = nullptr;
  EffectActivity activity_;
  bool recordingBlock_ = false;
  std::set<Node*> blockTouched_;
  std::vector<std::unique_ptr<ParameterBlock>> blocks_;
};

// The simulated effect behind an interface pointer, or null for any other.
Effect* AsSimEffect(ID3DXEffect* effect);

}  // namespace sim::detail
