// The host's effect-creation call instruction, redirected at attach.
#pragma once

#include <cstdint>

// Host address of the call to D3DXCreateEffectFromResourceA.
constexpr std::uintptr_t kHostCreateEffectCallSite = 0x70AAA8;

// Rewrites the host's call so that it reaches D3DXCreateEffectFromResourceHook.
void RedirectHostCallSite();
