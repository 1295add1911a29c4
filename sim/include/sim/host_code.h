// The host executable's code page: the function through which the game
// creates its effects, with its call instruction to
// D3DXCreateEffectFromResourceA at host address 0x70AAA8.
#pragma once

#include <cstdint>

#include "sim/d3dx9.h"

namespace sim {

constexpr std::uintptr_t kHostCodePage = 0x70A000;
constexpr std::uintptr_t kHostCallSite = 0x70AAA8;

// Maps the page (read and execute, as code is) when needed and writes the
// host's original code into it, undoing any earlier patch. False when the
// page cannot be mapped.
bool InstallHostCode();

// Unmaps the page, as in a program that has no code at 0x70AAA8.
void RemoveHostCode();

// The game's own effect creation: calls D3DXCreateEffectFromResourceA
// through the call instruction at 0x70AAA8, whatever it now points to.
HRESULT HostCreateEffectFromResource(LPDIRECT3DDEVICE9 device, HMODULE module, LPCSTR resource,
                                     const D3DXMACRO* defines, LPD3DXINCLUDE include, DWORD flags,
                                     LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* effect, LPD3DXBUFFER* errors);

}  // namespace sim
