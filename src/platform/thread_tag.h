// A value that tells the calling thread apart from every other running
// thread, read without a call into the system: on Windows the address of the
// thread's environment block, elsewhere the address of a thread-local word.
// It is always even.
#pragma once

#include <cstdint>

#ifdef _WIN32
// The environment block's own address, from its self pointer.
inline std::uintptr_t CurrentThreadTag() {
  std::uintptr_t block;
#if defined(__x86_64__)
  __asm__("movq %%gs:0x30, %0" : "=r"(block));
#else
  __asm__("movl %%fs:0x18, %0" : "=r"(block));
#endif
  return block;
}
#else
inline std::uintptr_t CurrentThreadTag() {
  alignas(8) static thread_local char tag;
  return reinterpret_cast<std::uintptr_t>(&tag);
}
#endif
