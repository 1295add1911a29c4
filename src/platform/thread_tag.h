// A value that tells the calling thread apart from every other running
// thread, read without a call into the system: on Windows the address of the
// thread's environment block, elsewhere the address of a thread-local byte.
#pragma once

#include <cstdint>

#include "platform/win32.h"

#ifdef _WIN32
inline std::uintptr_t CurrentThreadTag() {
  return reinterpret_cast<std::uintptr_t>(NtCurrentTeb());
}
#else
inline std::uintptr_t CurrentThreadTag() {
  static thread_local char tag;
  return reinterpret_cast<std::uintptr_t>(&tag);
}
#endif
