// In the Windows build of the stand-in D3DX the simulated effect code is
// compiled against the real Direct3D 9 declarations.
#pragma once

#include <d3d9.h>
