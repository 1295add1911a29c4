// In the Windows build of the stand-in D3DX the simulated effect code is
// compiled against the real Windows declarations.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
