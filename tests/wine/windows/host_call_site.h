// The game's effect-creation call instruction, rebuilt at its fixed address
// 0x70AAA8 inside this executable's own image, so that the plug-in finds game
// code there and redirects it as it does in the game.
#pragma once

#include <d3dx9.h>

#include <cstdint>

using CreateEffectFromResource = HRESULT(WINAPI*)(IDirect3DDevice9*, HMODULE, LPCSTR, const D3DXMACRO*,
                                                  ID3DXInclude*, DWORD, ID3DXEffectPool*, ID3DXEffect**,
                                                  ID3DXBuffer**);

constexpr std::uintptr_t kHostCallSite = 0x70AAA8;

// Writes a small function whose call rel32 at 0x70AAA8 calls this
// executable's import of D3DXCreateEffectFromResourceA, and returns it; null
// (with the reason on stdout) when the address is not inside the image.
CreateEffectFromResource BuildHostCallSite();

// Where the call at 0x70AAA8 goes now.
std::uintptr_t HostCallDestination();
