// Engine values every compiled effect receives: screen size, time, mouse,
// texel sizes. The system's own writes address parameters by name.
#pragma once

#include "platform/direct3d.h"

// Seconds since attach: the unsigned 32-bit tick difference (it wraps after
// 2^32 ms) times 0.001 in single precision.
float ElapsedSeconds();

// Writes the engine values into a freshly compiled effect, never through a
// proxy, then binds the custom textures. A null effect gets nothing.
void ApplyEngineUniforms(ID3DXEffect* effect);

// Per frame, on every live proxy: a reload that waited for the game to end
// drawing with the effect, then "Time", written into the effect itself (it is
// never recorded). Only when the live list is not empty and its lock is free
// at the first try; otherwise this frame is skipped. A proxy the game last
// used on another thread gets its "Time" at the game's next call.
void UpdateTimeUniform();

// After the screen was measured again (a new device, a Reset): the screen
// size, aspect ratio and texel sizes through every live proxy.
void ApplyScreenMetricsToLiveEffects();
