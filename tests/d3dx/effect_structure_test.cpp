// Techniques, passes and the rendering sequence; textures and the other
// references an effect holds; parameter blocks and cloning.
#include "d3dx_test_support.h"
#include "effect_test_source.h"

namespace {

class EffectStructureTest : public CompiledEffectTest {
 protected:
  IDirect3DTexture9* NewTexture() {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    return texture;
  }
};

TEST_F(EffectStructureTest, TechniquesAndPassesAreFoundByIndexAndName) {
  D3DXHANDLE main = effect->GetTechnique(0);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(effect->GetTechniqueByName("Main"), main);
  EXPECT_EQ(effect->GetTechnique(2), nullptr);

  D3DXTECHNIQUE_DESC technique{};
  ASSERT_EQ(effect->GetTechniqueDesc("Main", &technique), D3D_OK);
  EXPECT_STREQ(technique.Name, "Main");
  EXPECT_EQ(technique.Passes, 2u);
  EXPECT_EQ(technique.Annotations, 1u);

  D3DXHANDLE second = effect->GetPass(main, 1);
  EXPECT_EQ(effect->GetPassByName("Main", "P1"), second);
  D3DXPASS_DESC pass{};
  ASSERT_EQ(effect->GetPassDesc(effect->GetPass(main, 0), &pass), D3D_OK);
  EXPECT_STREQ(pass.Name, "P0");
  EXPECT_EQ(pass.Annotations, 1u);
  INT order = 0;
  EXPECT_EQ(effect->GetInt(effect->GetAnnotationByName(effect->GetPass(main, 0), "Order"), &order), D3D_OK);
  EXPECT_EQ(order, 1);
  LPCSTR description = nullptr;
  effect->GetString(effect->GetAnnotationByName("Main", "Description"), &description);
  EXPECT_STREQ(description, "main path");

  D3DXHANDLE next = nullptr;
  ASSERT_EQ(effect->FindNextValidTechnique(nullptr, &next), D3D_OK);
  EXPECT_EQ(next, main);
  effect->FindNextValidTechnique(next, &next);
  EXPECT_EQ(next, effect->GetTechniqueByName("Alt"));
  effect->FindNextValidTechnique(next, &next);
  EXPECT_EQ(next, nullptr);
}

TEST_F(EffectStructureTest, TheFirstTechniqueIsCurrentUntilAnotherIsSet) {
  EXPECT_EQ(effect->GetCurrentTechnique(), effect->GetTechnique(0));
  EXPECT_EQ(effect->SetTechnique("Alt"), D3D_OK);
  EXPECT_EQ(effect->GetCurrentTechnique(), effect->GetTechniqueByName("Alt"));
  EXPECT_EQ(effect->SetTechnique("Nope"), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetTechnique(effect->GetParameter(nullptr, 0)), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->GetCurrentTechnique(), effect->GetTechniqueByName("Alt"));
  EXPECT_EQ(effect->ValidateTechnique("Main"), D3D_OK);
  EXPECT_EQ(effect->ValidateTechnique("Nope"), D3DERR_INVALIDCALL);
}

TEST_F(EffectStructureTest, BeginPassEndFollowTheRenderingSequence) {
  UINT passes = 0;
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  EXPECT_EQ(passes, 2u);
  EXPECT_EQ(effect->Begin(&passes, 0), D3DERR_INVALIDCALL) << "Begin inside Begin";
  EXPECT_EQ(effect->BeginPass(2), D3DERR_INVALIDCALL);
  ASSERT_EQ(effect->BeginPass(1), D3D_OK);
  EXPECT_EQ(effect->BeginPass(0), D3DERR_INVALIDCALL) << "a pass is already active";
  EXPECT_EQ(effect->CommitChanges(), D3D_OK);
  EXPECT_EQ(sim::GetEffectActivity(effect).activePass, 1);
  ASSERT_EQ(effect->EndPass(), D3D_OK);
  EXPECT_EQ(effect->EndPass(), D3DERR_INVALIDCALL);
  ASSERT_EQ(effect->End(), D3D_OK);
  EXPECT_EQ(effect->End(), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->BeginPass(0), D3DERR_INVALIDCALL) << "BeginPass outside Begin";

  const sim::EffectActivity activity = sim::GetEffectActivity(effect);
  EXPECT_TRUE(activity.simulated);
  EXPECT_EQ(activity.begins, 1);
  EXPECT_EQ(activity.beginPasses, 1);
  EXPECT_EQ(activity.commits, 1);
  EXPECT_EQ(activity.endPasses, 1);
  EXPECT_EQ(activity.ends, 1);
  EXPECT_FALSE(activity.inBegin);
}

TEST_F(EffectStructureTest, TexturesAreReferencedWhileBound) {
  IDirect3DTexture9* first = NewTexture();
  IDirect3DTexture9* second = NewTexture();
  ASSERT_EQ(effect->SetTexture("NoiseTex", first), D3D_OK);
  EXPECT_EQ(sim::RefCount(first), 2u);

  IDirect3DBaseTexture9* bound = nullptr;
  ASSERT_EQ(effect->GetTexture("NoiseTex", &bound), D3D_OK);
  EXPECT_EQ(bound, first);
  EXPECT_EQ(sim::RefCount(first), 3u) << "GetTexture adds a reference";
  bound->Release();

  ASSERT_EQ(effect->SetTexture("NoiseTex", second), D3D_OK);
  EXPECT_EQ(sim::RefCount(first), 1u) << "the replaced texture is released";
  EXPECT_EQ(sim::RefCount(second), 2u);
  EXPECT_EQ(effect->SetTexture("NoiseSampler", first), D3DERR_INVALIDCALL);
  EXPECT_EQ(sim::RefCount(first), 1u);

  EXPECT_EQ(effect->Release(), 0u);
  effect = nullptr;
  EXPECT_EQ(sim::RefCount(second), 1u) << "the effect's release drops its texture";
  first->Release();
  second->Release();
}

TEST_F(EffectStructureTest, TextureValuesMoveAsPointers) {
  IDirect3DTexture9* texture = NewTexture();
  IDirect3DBaseTexture9* in = texture;
  ASSERT_EQ(effect->SetValue("NoiseTex", &in, sizeof(in)), D3D_OK);
  IDirect3DBaseTexture9* out = nullptr;
  ASSERT_EQ(effect->GetValue("NoiseTex", &out, sizeof(out)), D3D_OK);
  EXPECT_EQ(out, in);
  EXPECT_EQ(sim::RefCount(texture), 3u);
  out->Release();
  effect->SetTexture("NoiseTex", nullptr);
  EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(EffectStructureTest, TheEffectHoldsItsDevice) {
  EXPECT_EQ(sim::RefCount(device), 2u);
  IDirect3DDevice9* owner = nullptr;
  ASSERT_EQ(effect->GetDevice(&owner), D3D_OK);
  EXPECT_EQ(owner, device);
  owner->Release();
  EXPECT_EQ(effect->Release(), 0u);
  effect = nullptr;
  EXPECT_EQ(sim::RefCount(device), 1u);
}

TEST_F(EffectStructureTest, ClonesStartWithTheCurrentValuesAndThenGoTheirOwnWay) {
  IDirect3DTexture9* texture = NewTexture();
  effect->SetTexture("NoiseTex", texture);
  effect->SetFloat("Intensity", 1.25f);
  effect->SetTechnique("Alt");

  ID3DXEffect* clone = nullptr;
  ASSERT_EQ(effect->CloneEffect(device, &clone), D3D_OK);
  EXPECT_EQ(sim::RefCount(texture), 3u);
  EXPECT_EQ(clone->GetCurrentTechnique(), clone->GetTechniqueByName("Alt"));
  float value = 0.0f;
  clone->GetFloat("Intensity", &value);
  EXPECT_EQ(value, 1.25f);
  EXPECT_NE(clone->GetParameterByName(nullptr, "Intensity"),
            effect->GetParameterByName(nullptr, "Intensity"));

  clone->SetFloat("Intensity", 0.1f);
  effect->GetFloat("Intensity", &value);
  EXPECT_EQ(value, 1.25f);

  EXPECT_EQ(clone->Release(), 0u);
  EXPECT_EQ(sim::RefCount(texture), 2u);
  effect->SetTexture("NoiseTex", nullptr);
  texture->Release();
}

TEST_F(EffectStructureTest, EffectsCreatedNotCloneableRefuseToClone) {
  ID3DXEffect* locked = nullptr;
  ASSERT_EQ(D3DXCreateEffect(device, kTestEffect, sizeof(kTestEffect) - 1, nullptr, nullptr,
                             D3DXFX_NOT_CLONEABLE, nullptr, &locked, nullptr),
            D3D_OK);
  ID3DXEffect* clone = nullptr;
  EXPECT_EQ(locked->CloneEffect(device, &clone), E_FAIL);
  EXPECT_EQ(clone, nullptr);
  locked->Release();
}

TEST_F(EffectStructureTest, ParameterBlocksRestoreWhatWasSetWhileRecording) {
  ASSERT_EQ(effect->BeginParameterBlock(), D3D_OK);
  effect->SetFloat("Intensity", 1.9f);
  const D3DXVECTOR4 red(1, 0, 0, 1);
  effect->SetVector("Color", &red);
  D3DXHANDLE block = effect->EndParameterBlock();
  ASSERT_NE(block, nullptr);

  effect->SetFloat("Intensity", 0.2f);
  effect->SetFloat("Mode", 7.0f);
  ASSERT_EQ(effect->ApplyParameterBlock(block), D3D_OK);
  float value = 0.0f;
  effect->GetFloat("Intensity", &value);
  EXPECT_EQ(value, 1.9f);
  INT mode = 0;
  effect->GetInt("Mode", &mode);
  EXPECT_EQ(mode, 7) << "parameters the block did not record keep their value";

  EXPECT_EQ(effect->DeleteParameterBlock(block), D3D_OK);
  EXPECT_EQ(effect->ApplyParameterBlock(block), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetFloat(block, 1.0f), D3DERR_INVALIDCALL);
}

TEST_F(EffectStructureTest, PoolAndStateManagerAreHeldAndHandedBack) {
  ID3DXEffectPool* pool = nullptr;
  ASSERT_EQ(D3DXCreateEffectPool(&pool), D3D_OK);
  ID3DXEffect* pooled = nullptr;
  ASSERT_EQ(D3DXCreateEffect(device, kTestEffect, sizeof(kTestEffect) - 1, nullptr, nullptr, 0, pool, &pooled,
                             nullptr),
            D3D_OK);
  EXPECT_EQ(sim::RefCount(pool), 2u);
  ID3DXEffectPool* back = nullptr;
  ASSERT_EQ(pooled->GetPool(&back), D3D_OK);
  EXPECT_EQ(back, pool);
  back->Release();
  pooled->Release();
  EXPECT_EQ(pool->Release(), 0u);

  ID3DXEffectStateManager* manager = nullptr;
  ASSERT_EQ(effect->GetStateManager(&manager), D3D_OK);
  EXPECT_EQ(manager, nullptr);
}

}  // namespace
