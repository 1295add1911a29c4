// Reload on save: the files that went into each live effect are polled for
// changes from the frame, and an effect whose files changed is reloaded by
// itself, as END would reload it.
#pragma once

#include "platform/direct3d.h"

// Every EndScene, on the render thread. Polls at most twice a second, and
// only while "[Reload] WatchFiles" is on. A changed file must hold its
// modification time for one poll before its effect is reloaded, so that a
// save written in several steps is compiled once, whole.
void WatchEffectFiles(IDirect3DDevice9* device);

// Forgets the poll clock (at detach).
void ResetFileWatch();
