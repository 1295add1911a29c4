// The list of every effect handed to the host as an EffectProxy.
#pragma once

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

// Releases the list's reference on every proxy and empties the list.
void ReleaseLiveShaders();
