#include "kernel_internal.h"
#include "sim/host_kernel.h"

namespace sim {

void ResetKernel() {
  UseRealClock();
  ResetOutputs();
  ResetMemory();
  ResetUser();
}

std::string HostPath(const char* windowsPath) {
  std::string path = windowsPath ? windowsPath : "";
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

}  // namespace sim
