// <windowsx.h> for code compiled unchanged against the simulated host.
#pragma once

#include "sim/win32_desktop.h"
