// In the Windows build of the stand-in D3DX the simulated effect code is
// compiled against the real D3DX 9 declarations.
#pragma once

#include <d3dx9.h>
