#include "effect/custom_textures.h"

#include "core/scoped_timer.h"
#include "hook/live_shaders.h"

bool customTexturesInitialized = false;

void InitializeCustomTextures(IDirect3DDevice9*) {
  ScopedTimer timer("InitializeCustomTextures");
  if (customTexturesInitialized) return;
  // Screen detection, the folder scans and the device hooks land with their own changes.
  customTexturesInitialized = true;
}

void ReleaseCustomTextures() {
  ScopedTimer timer("ReleaseCustomTextures");
  ReleaseLiveShaders();
}
