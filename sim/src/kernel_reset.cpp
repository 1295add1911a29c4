#include "kernel_internal.h"
#include "sim/host_kernel.h"

namespace sim {

void ResetKernel() {
  UseRealClock();
  ResetOutputs();
  ResetMemory();
  ResetUser();
  ResetFolders();
}

}  // namespace sim
