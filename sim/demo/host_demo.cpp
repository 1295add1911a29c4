// Plays the host on Linux: loads the plug-in in the current working folder
// (which holds the sample files), then unloads it, the way the game does.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "core/module_entry.h"
#include "sim/host_kernel.h"

int main() {
  sim::SetConsoleEcho(true);
  std::printf("== host: loading Sorvane.asi\n");
  DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
  std::printf("== host: unloading Sorvane.asi\n");
  DllMain(nullptr, DLL_PROCESS_DETACH, nullptr);

  std::ifstream log("Tessaly.log");
  if (log) {
    std::printf("== Tessaly.log\n");
    std::stringstream text;
    text << log.rdbuf();
    std::fputs(text.str().c_str(), stdout);
  }
  return 0;
}
