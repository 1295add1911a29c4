// Nested includes come from the caller's resolver, "name" and <name> told
// apart, and their macros and constants reach the main file.
#include "shared\settings.fxh"
float After = Pi;
//! ok
//! include "shared\settings.fxh"
//! include <common\math.fxh>
//! static const float Pi = 3.5
//! float Exposure = 0.5
//! float After = 3.5
