// Reset hooks of the simulated kernel's parts, called by sim::ResetKernel.
#pragma once

#include <cstdint>

namespace sim {
void ResetOutputs();
void ResetMemory();
// Drops the protection recorded for a page that was unmapped.
void ForgetPage(std::uintptr_t page);
void ResetUser();
void ResetFolders();
}  // namespace sim
