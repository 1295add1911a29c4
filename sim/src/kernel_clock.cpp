// One simulated clock behind GetTickCount, the performance counter and the
// local time. It follows real time until a test sets it.
#include <chrono>
#include <ctime>
#include <mutex>

#include "sim/host_kernel.h"

namespace {

struct Clock {
  std::mutex lock;
  bool manual = false;
  std::uint32_t tickMs = 0;
  SYSTEMTIME localTime{};
  std::uint64_t elapsedMs = 0;  // advanced since SetClock
  LONGLONG lastCounter = 0;     // the performance counter's last reading
  int tickReads = 0;            // GetTickCount calls since the clock was last set
};

Clock& TheClock() {
  static Clock clock;
  return clock;
}

std::int64_t RealNanoseconds() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

// Adds milliseconds to a calendar time, carrying into seconds, minutes and so on.
SYSTEMTIME AddMilliseconds(const SYSTEMTIME& base, std::uint64_t ms) {
  std::tm tm{};
  tm.tm_year = base.wYear - 1900;
  tm.tm_mon = base.wMonth - 1;
  tm.tm_mday = base.wDay;
  tm.tm_hour = base.wHour;
  tm.tm_min = base.wMinute;
  tm.tm_sec = base.wSecond;
  std::uint64_t totalMs = base.wMilliseconds + ms;
  tm.tm_sec += static_cast<int>(totalMs / 1000);
  time_t t = timegm(&tm);
  std::tm out{};
  gmtime_r(&t, &out);
  SYSTEMTIME result{};
  result.wYear = static_cast<WORD>(out.tm_year + 1900);
  result.wMonth = static_cast<WORD>(out.tm_mon + 1);
  result.wDayOfWeek = static_cast<WORD>(out.tm_wday);
  result.wDay = static_cast<WORD>(out.tm_mday);
  result.wHour = static_cast<WORD>(out.tm_hour);
  result.wMinute = static_cast<WORD>(out.tm_min);
  result.wSecond = static_cast<WORD>(out.tm_sec);
  result.wMilliseconds = static_cast<WORD>(totalMs % 1000);
  return result;
}

}  // namespace

namespace sim {

void SetClock(std::uint32_t tickMs, const SYSTEMTIME& localTime) {
  Clock& c = TheClock();
  std::lock_guard<std::mutex> guard(c.lock);
  c.manual = true;
  c.tickMs = tickMs;
  c.localTime = localTime;
  c.elapsedMs = 0;
  c.lastCounter = 0;
  c.tickReads = 0;
}

int TickCountReads() {
  Clock& c = TheClock();
  std::lock_guard<std::mutex> guard(c.lock);
  return c.tickReads;
}

void AdvanceClock(std::uint32_t ms) {
  Clock& c = TheClock();
  std::lock_guard<std::mutex> guard(c.lock);
  c.tickMs += ms;
  c.elapsedMs += ms;
}

void UseRealClock() {
  Clock& c = TheClock();
  std::lock_guard<std::mutex> guard(c.lock);
  c.manual = false;
  c.lastCounter = 0;
  c.tickReads = 0;
}

}  // namespace sim

extern "C" {

DWORD WINAPI GetTickCount(void) {
  Clock& c = TheClock();
  std::lock_guard<std::mutex> guard(c.lock);
  ++c.tickReads;
  if (c.manual) return c.tickMs;
  return static_cast<DWORD>(RealNanoseconds() / 1000000);
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  frequency->QuadPart = sim::kPerformanceFrequency;
  return TRUE;
}

// Two readings are never equal, as on a real machine where time always moves
// on between two calls: a stopped clock still advances one tick per reading.
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
  Clock& c = TheClock();
  std::lock_guard<std::mutex> guard(c.lock);
  LONGLONG now = c.manual ? static_cast<LONGLONG>(c.tickMs) * (sim::kPerformanceFrequency / 1000)
                          : RealNanoseconds() / (1000000000 / sim::kPerformanceFrequency);
  if (now <= c.lastCounter) now = c.lastCounter + 1;
  c.lastCounter = now;
  count->QuadPart = now;
  return TRUE;
}

void WINAPI GetLocalTime(LPSYSTEMTIME time) {
  Clock& c = TheClock();
  std::lock_guard<std::mutex> guard(c.lock);
  if (c.manual) {
    *time = AddMilliseconds(c.localTime, c.elapsedMs);
    return;
  }
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  time->wYear = static_cast<WORD>(tm.tm_year + 1900);
  time->wMonth = static_cast<WORD>(tm.tm_mon + 1);
  time->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  time->wDay = static_cast<WORD>(tm.tm_mday);
  time->wHour = static_cast<WORD>(tm.tm_hour);
  time->wMinute = static_cast<WORD>(tm.tm_min);
  time->wSecond = static_cast<WORD>(tm.tm_sec);
  time->wMilliseconds = static_cast<WORD>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
}
}
