#include "hook/call_site.h"

void RedirectHostCallSite() {
  // The call-site patcher lands with its own change.
}
