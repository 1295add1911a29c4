// The simulated executable has no resource section: its effect resources are
// registered with sim::RegisterResource instead.
#include "module_resources.h"

namespace sim {

bool ReadModuleResource(HMODULE, LPCSTR, std::string&) {
  return false;
}

}  // namespace sim
