#include "core/scoped_timer.h"

#include <cstdio>

#include "core/config.h"
#include "core/log.h"
#include "platform/win32.h"

ScopedTimer::ScopedTimer(const char* label) : label(label), start(0) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  start = now.QuadPart;
}

ScopedTimer::~ScopedTimer() {
  if (loaderConfig.LoggingLevel != 3) return;
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  double elapsedMs =
      static_cast<double>(now.QuadPart - start) / static_cast<double>(frequency.QuadPart) * 1000.0;
  char text[256];
  std::snprintf(text, sizeof(text), "[%s] took %.3f ms", label, elapsedMs);
  LogDebug("%s", text);
}
