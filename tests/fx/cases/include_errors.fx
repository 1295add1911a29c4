// A missing include fails at its directive, in the including file.
float Main = 1;
#include "shared\missing_inside.fxh"
//! failed
//! shared\missing_inside.fxh(3,4): error X1507: failed to open source file: 'missing.fxh'
//! include "shared\missing_inside.fxh"
//! include "missing.fxh"
//!---
// Errors inside an include name the include and its line.

#include "shared\tonemap_broken.fxh"
float Main = 1;
//! failed
//! shared\tonemap_broken.fxh(3,19): error X3000: syntax error: unexpected token ';'
//! include "shared\tonemap_broken.fxh"
//!---
// Back in the main file after an include, lines count in the main file again.
#include "shared\tonemap.fxh"
float Main = 1;
float 2Bad;
//! failed
//! FX\include_errors.fx(20,7): error X3000: syntax error: unexpected token '2Bad'
//! include "shared\tonemap.fxh"
//!---
// Include cycles stop.
#include "shared\loop.fxh"
//! failed
//! shared\loop.fxh(1,1): error X1504: #include nested too deeply: 'shared\loop.fxh'
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//! include "shared\loop.fxh"
//!---
// Conditionals do not span include boundaries.
#include "shared\open_if.fxh"
#endif
//! failed
//! shared\open_if.fxh(3,1): error X1020: unexpected end of file in a conditional block (missing #endif)
//! include "shared\open_if.fxh"
