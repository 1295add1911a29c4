// The library's entry point and the module-wide start tick.
#pragma once

#include "platform/win32.h"

// GetTickCount at attach: the origin of the "Time" engine value.
extern DWORD startTick;

// Called by the process loader; answers TRUE for every reason.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
