// The proxy's bookkeeping allocates (names, recorded bytes). Running out of
// memory there must never reach the game through a COM call.
#pragma once

#include <new>
#include <string>

#include "core/log.h"

// Runs `work`; an exception is logged as an ERROR line and reported as false.
template <class Work>
bool WithoutThrowing(const char* what, const std::string& shader, Work&& work) noexcept {
  try {
    work();
    return true;
  } catch (const std::bad_alloc&) {
    LogError("Out of memory while %s for shader: %s", what, shader.c_str());
  } catch (...) {
    LogError("Unexpected failure while %s for shader: %s", what, shader.c_str());
  }
  return false;
}
