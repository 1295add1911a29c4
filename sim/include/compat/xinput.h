// <xinput.h> for code compiled unchanged against the simulated host.
#pragma once

#include "sim/xinput.h"
