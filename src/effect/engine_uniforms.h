// Engine values every compiled effect receives: screen size, time, mouse, texel sizes.
#pragma once

#include "platform/direct3d.h"

// Writes the engine values into a freshly compiled effect (by parameter
// name), then binds the custom textures.
void ApplyEngineUniforms(ID3DXEffect* effect);
