// Preprocessor errors.
#error Quality level not supported
//! failed
//! FX\errors_preprocessor.fx(2,1): error X1501: #error: Quality level not supported
//!---
#if 1
float A;
//! failed
//! FX\errors_preprocessor.fx(10,1): error X1020: unexpected end of file in a conditional block (missing #endif)
//!---
#endif
//! failed
//! FX\errors_preprocessor.fx(11,1): error X1020: #endif without #if
//!---
#if 1
#else
#elif 1
#endif
//! failed
//! FX\errors_preprocessor.fx(17,1): error X1020: #elif after #else
//!---
#if 1 +
#endif
//! failed
//! FX\errors_preprocessor.fx(22,1): error X1021: syntax error in #if expression: unexpected end of line
//!---
#if 1 / 0
#endif
//! failed
//! FX\errors_preprocessor.fx(27,7): error X1021: division by zero in #if expression
//!---
#frobnicate
//! failed
//! FX\errors_preprocessor.fx(32,2): error X1021: invalid preprocessor command 'frobnicate'
//!---
#define F(a, b) a
float x = F(1);
//! failed
//! FX\errors_preprocessor.fx(37,11): error X1510: not enough actual parameters for macro 'F'
//!---
#define F(a) a
float x = F(1,
//! failed
//! FX\errors_preprocessor.fx(42,11): error X1510: unexpected end of file in arguments of macro 'F'
//!---
#include
//! failed
//! FX\errors_preprocessor.fx(46,1): error X1021: #include expects "FILENAME" or <FILENAME>
