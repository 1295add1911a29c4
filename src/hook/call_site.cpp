#include "hook/call_site.h"

#include "core/log.h"
#include "hook/call_patch.h"
#include "hook/create_effect_hook.h"
#include "platform/win32.h"

namespace {

// True when the call instruction lies in committed, readable code. In any
// other program, or another build of the game, the site may not be mapped at
// all, and touching it would fault inside the loader.
bool SiteIsCode(std::uintptr_t site) {
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(reinterpret_cast<LPCVOID>(site), &info, sizeof(info)) == 0) return false;
  if (info.State != MEM_COMMIT || (info.Protect & PAGE_GUARD) != 0) return false;
  const DWORD access = info.Protect & 0xFF;
  return access == PAGE_EXECUTE_READ || access == PAGE_EXECUTE_READWRITE || access == PAGE_EXECUTE_WRITECOPY;
}

}  // namespace

void RedirectHostCallSite() {
  // The instruction is 5 bytes long and may straddle a page boundary.
  if (!SiteIsCode(kHostCreateEffectCallSite) || !SiteIsCode(kHostCreateEffectCallSite + 4)) {
    LogError("No game code at 0x%0*llX: effects are not redirected", kAddressDigits,
             static_cast<unsigned long long>(kHostCreateEffectCallSite));
    return;
  }
  MakeCallPatch(kHostCreateEffectCallSite,
                reinterpret_cast<std::uintptr_t>(&D3DXCreateEffectFromResourceHook), true);
}
