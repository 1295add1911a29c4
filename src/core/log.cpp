#include "core/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/config.h"
#include "platform/files.h"
#include "platform/win32.h"

std::FILE* logStream = nullptr;

namespace {

enum class Level { kInfo, kWarn, kError, kDebug };

// LoggingLevel 0: INFO; 1: +WARN; 2: +ERROR; 3: everything. Other values: INFO only.
bool Passes(Level level) {
  unsigned setting = loaderConfig.LoggingLevel;
  switch (level) {
    case Level::kInfo:
      return true;
    case Level::kWarn:
      return setting >= 1 && setting <= 3;
    case Level::kError:
      return setting == 2 || setting == 3;
    case Level::kDebug:
      return setting == 3;
  }
  return false;
}

void Emit(Level level, const char* tag, const char* format, va_list args) {
  if (!Passes(level)) return;
  char message[1024];
  std::memset(message, 0, sizeof(message));
  std::vsnprintf(message, sizeof(message), format, args);
  WriteLogLine(tag, message);
}

}  // namespace

#define VANTORIX_DEFINE_LOG(name, level, tag) \
  void name(const char* format, ...) {        \
    va_list args;                             \
    va_start(args, format);                   \
    Emit(level, tag, format, args);           \
    va_end(args);                             \
  }

VANTORIX_DEFINE_LOG(LogInfo, Level::kInfo, "[INFO] ")
VANTORIX_DEFINE_LOG(LogWarn, Level::kWarn, "[WARN] ")
VANTORIX_DEFINE_LOG(LogError, Level::kError, "[ERROR] ")
VANTORIX_DEFINE_LOG(LogDebug, Level::kDebug, "[DEBUG] ")

// Assembled in a fixed buffer: a line is written even when memory ran out.
void WriteLogLine(const char* tag, const char* message) {
  char stamp[64] = "";
  if (loaderConfig.IncludeTimestamps != 0) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::snprintf(stamp, sizeof(stamp), "[%04d-%02d-%02d %02d:%02d:%02d.%03d] ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
  }
  char line[sizeof(stamp) + 16 + 1024 + 2];
  std::snprintf(line, sizeof(line), "%s%s%s\n", stamp, tag, message);

  OutputDebugStringA(line);
  if (loaderConfig.EnableConsole != 0) WriteToConsole(line);
  if (loaderConfig.LogToFile != 0 && logStream != nullptr) {
    std::fputs(line, logStream);
    std::fflush(logStream);
  }
}

void CloseLogFile() {
  if (logStream == nullptr) return;
  std::fclose(logStream);
  logStream = nullptr;
}
