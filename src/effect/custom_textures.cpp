#include "effect/custom_textures.h"

#include "core/scoped_timer.h"
#include "hook/live_shaders.h"

void ReleaseCustomTextures() {
  ScopedTimer timer("ReleaseCustomTextures");
  ReleaseLiveShaders();
}
