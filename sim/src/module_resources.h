// The effect source stored as an RCDATA resource of a module, where the
// platform has real executable resources.
#pragma once

#include <string>

#include "sim/win32.h"

namespace sim {

// True with the resource's bytes in `source` when `module` holds an RCDATA
// resource of that name (or MAKEINTRESOURCE number).
bool ReadModuleResource(HMODULE module, LPCSTR name, std::string& source);

}  // namespace sim
