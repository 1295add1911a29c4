// Include guards and #pragma once keep declarations single.
#include "shared\guarded.fxh"
#include "shared\once.fxh"
#include "shared\guarded.fxh"
#include "shared\once.fxh"
//! ok
//! include "shared\guarded.fxh"
//! include "shared\once.fxh"
//! include "shared\guarded.fxh"
//! include "shared\once.fxh"
//! float FromGuarded
//! float FromOnce
