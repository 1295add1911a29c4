// Reset hooks of the simulated kernel's parts, called by sim::ResetKernel,
// and the path lookup shared by its file functions.
#pragma once

#include <cstdint>
#include <string>

namespace sim {
void ResetOutputs();
void ResetMemory();
// Drops the protection recorded for a page that was unmapped.
void ForgetPage(std::uintptr_t page);
void ResetUser();
void ResetFolders();
// The host path with each part that is missing as spelled replaced by the
// entry of its folder that matches it without regard to case.
std::string MatchExistingCase(const std::string& hostPath);
}  // namespace sim
