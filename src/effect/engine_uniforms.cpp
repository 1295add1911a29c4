#include "effect/engine_uniforms.h"

void ApplyEngineUniforms(ID3DXEffect* effect) {
  if (effect == nullptr) return;
  // The engine values and texture bindings land with their own change.
}
