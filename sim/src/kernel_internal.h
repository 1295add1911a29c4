// Reset hooks of the simulated kernel's parts, called by sim::ResetKernel.
#pragma once

namespace sim {
void ResetOutputs();
void ResetMemory();
void ResetUser();
}  // namespace sim
