#include "hook/call_site.h"

#include "hook/call_patch.h"
#include "hook/create_effect_hook.h"

void RedirectHostCallSite() {
  MakeCallPatch(kHostCreateEffectCallSite,
                reinterpret_cast<std::uintptr_t>(&D3DXCreateEffectFromResourceHook), true);
}
