// <d3d9.h> for code compiled unchanged against the simulated host.
#pragma once

#include "sim/d3d9.h"
