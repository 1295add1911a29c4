// Critical sections (recursive for the owning thread, as on Windows) and Sleep.
#include <chrono>
#include <mutex>
#include <thread>

#include "sim/win32.h"

namespace {
std::recursive_mutex* MutexOf(LPCRITICAL_SECTION cs) {
  return static_cast<std::recursive_mutex*>(cs->impl);
}
}  // namespace

extern "C" {

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
  cs->impl = new std::recursive_mutex();
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
  MutexOf(cs)->lock();
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
  return MutexOf(cs)->try_lock() ? TRUE : FALSE;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) {
  MutexOf(cs)->unlock();
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
  delete MutexOf(cs);
  cs->impl = nullptr;
}

void WINAPI Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
}
}
