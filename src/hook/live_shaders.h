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

// An effect the game got from its own resource: it has no effect file, or
// its file failed to compile (failedFile names it, messages holds what the
// compiler said). One record per name, the latest creation's; guarded by
// liveShadersLock, emptied at detach.
struct BuiltInShader {
  std::string name;
  std::string failedFile;
  std::string messages;
};
extern std::vector<BuiltInShader> builtInShaders;

// Records (or replaces) the outcome for a name; a name compiled from its file
// later is dropped again. Both take the lock.
void NoteBuiltInShader(const BuiltInShader& shader);
void ForgetBuiltInShader(const std::string& name);

// Holds liveShadersLock for its scope.
class LiveShadersLocked {
 public:
  LiveShadersLocked() { EnterCriticalSection(&liveShadersLock); }
  ~LiveShadersLocked() { LeaveCriticalSection(&liveShadersLock); }
  LiveShadersLocked(const LiveShadersLocked&) = delete;
  LiveShadersLocked& operator=(const LiveShadersLocked&) = delete;
};

// Releases the list's reference on every proxy, and each proxy's references
// on the textures the game set, and empties the list.
void ReleaseLiveShaders();
