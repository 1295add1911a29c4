// The list of every effect handed to the host as an EffectProxy.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/direct3d.h"

class EffectProxy;

struct LoadedShader {
  EffectProxy* proxy;  // the record owns one reference
  std::string name;
  IDirect3DDevice9* device = nullptr;  // the device the effect was created on; no reference
};

// In creation order; a device's records leave it when the game lets the
// device go, all of them at detach. Guarded by liveShadersLock.
extern std::vector<LoadedShader> liveShaders;
extern CRITICAL_SECTION liveShadersLock;
// Whether the list has a record, for the per-frame test that skips the lock
// when there is nothing to update. Written under the lock.
extern std::atomic<bool> anyLiveShader;

// Holds liveShadersLock for its scope.
class LiveShadersLocked {
 public:
  LiveShadersLocked() { EnterCriticalSection(&liveShadersLock); }
  ~LiveShadersLocked() { LeaveCriticalSection(&liveShadersLock); }
  LiveShadersLocked(const LiveShadersLocked&) = delete;
  LiveShadersLocked& operator=(const LiveShadersLocked&) = delete;
};

// Releases the list's reference on every proxy and empties the list.
void ReleaseLiveShaders();
