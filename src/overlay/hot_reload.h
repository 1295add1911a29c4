// Recompiles every live shader from its effect file and swaps the new effect
// into the proxy the game already holds.
#pragma once

#include "platform/direct3d.h"

// Runs on the render thread inside EndScene. A shader whose file fails to
// compile keeps the effect it has.
void ReloadAllShaders(IDirect3DDevice9* device);
