// The list of every effect handed to the host as an EffectProxy.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/win32.h"

class EffectProxy;

struct LoadedShader {
  EffectProxy* proxy;  // the record owns one reference
  std::string name;
};

// Append-only in creation order; emptied only at detach. Guarded by liveShadersLock.
extern std::vector<LoadedShader> liveShaders;
extern CRITICAL_SECTION liveShadersLock;
// Whether the list has a record, for the per-frame test that skips the lock
// when there is nothing to update. Written under the lock.
extern std::atomic<bool> anyLiveShader;

// Releases the list's reference on every proxy, and each proxy's references
// on the textures the game set, and empties the list.
void ReleaseLiveShaders();
