// Times a scope and, at LoggingLevel 3, logs "[label] took N ms" when it ends.
#pragma once

#include <cstdint>

class ScopedTimer {
 public:
  explicit ScopedTimer(const char* label);
  ~ScopedTimer();
  ScopedTimer(const ScopedTimer&) = delete;
  ScopedTimer& operator=(const ScopedTimer&) = delete;

 private:
  const char* label;  // a string literal, not copied
  std::int64_t start;
};
