// Debugger output and the console, captured so that the host program and the
// tests can read every line the plug-in wrote.
#include <cstdio>
#include <mutex>

#include "sim/host_kernel.h"

namespace {

struct Outputs {
  std::mutex lock;
  std::vector<std::string> debugger;
  std::string console;
  bool consoleAllocated = false;
  bool stdoutOnConsole = false;
  bool echo = false;
  int allocCount = 0;
  int freeCount = 0;
};

Outputs& TheOutputs() {
  static Outputs outputs;
  return outputs;
}

}  // namespace

namespace sim {

std::vector<std::string> DebuggerOutput() {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  return o.debugger;
}

void ClearDebuggerOutput() {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  o.debugger.clear();
}

bool ConsoleAllocated() {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  return o.consoleAllocated;
}

int ConsoleAllocCount() {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  return o.allocCount;
}

int ConsoleFreeCount() {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  return o.freeCount;
}

std::string ConsoleText() {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  return o.console;
}

void ClearConsole() {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  o.console.clear();
}

void SetConsoleEcho(bool echo) {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  o.echo = echo;
}

bool ReopenStdoutOnConsole() {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  if (!o.consoleAllocated) return false;
  o.stdoutOnConsole = true;
  return true;
}

// Standard output reaches the console window only while a console exists
// and stdout was reopened on it; otherwise, as on Windows, it goes nowhere.
void WriteConsole(const char* text) {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  if (!o.consoleAllocated || !o.stdoutOnConsole) return;
  o.console += text;
  if (o.echo) {
    std::fputs(text, stdout);
    std::fflush(stdout);
  }
}

void ResetOutputs() {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  o.debugger.clear();
  o.console.clear();
  o.consoleAllocated = false;
  o.stdoutOnConsole = false;
  o.allocCount = 0;
  o.freeCount = 0;
}

}  // namespace sim

extern "C" {

void WINAPI OutputDebugStringA(LPCSTR text) {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  o.debugger.emplace_back(text ? text : "");
}

BOOL WINAPI AllocConsole(void) {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  ++o.allocCount;
  if (o.consoleAllocated) return FALSE;  // a process has at most one console
  o.consoleAllocated = true;
  return TRUE;
}

BOOL WINAPI FreeConsole(void) {
  Outputs& o = TheOutputs();
  std::lock_guard<std::mutex> guard(o.lock);
  ++o.freeCount;
  bool had = o.consoleAllocated;
  o.consoleAllocated = false;
  o.stdoutOnConsole = false;
  return had ? TRUE : FALSE;
}
}
