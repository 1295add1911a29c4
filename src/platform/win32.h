// The Windows kernel and user services the plug-in uses. On Windows they come
// from the SDK; on Linux from the simulated host, with the same names.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include "sim/win32.h"
#include "sim/win32_desktop.h"
#endif
