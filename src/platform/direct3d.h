// Direct3D 9 and D3DX 9 declarations. On Windows they come from the SDK
// headers; on Linux from the simulated host, with the same names, method
// order and signatures.
#pragma once

#include "platform/win32.h"

#ifdef _WIN32
#include <d3d9.h>
#include <d3dx9.h>
#else
#include "sim/d3d9.h"
#include "sim/d3dx9.h"
#endif
