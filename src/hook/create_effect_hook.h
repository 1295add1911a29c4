// Where the host's effect-creation call lands after the redirect.
#pragma once

#include "platform/direct3d.h"

// Same signature and calling convention as D3DXCreateEffectFromResourceA.
HRESULT WINAPI D3DXCreateEffectFromResourceHook(LPDIRECT3DDEVICE9 pDevice, HMODULE hSrcModule,
                                                LPCSTR pSrcResource, const D3DXMACRO* pDefines,
                                                LPD3DXINCLUDE pInclude, DWORD Flags, LPD3DXEFFECTPOOL pPool,
                                                LPD3DXEFFECT* ppEffect, LPD3DXBUFFER* ppCompilationErrors);
