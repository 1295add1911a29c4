#include "shared\loop.fxh"
#include "shared\loop.fxh"
