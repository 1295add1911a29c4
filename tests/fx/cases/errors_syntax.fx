// Syntax errors name the file, line and column of the offending token.
float A = 1;
float B = 2
float C;
//! failed
//! FX\errors_syntax.fx(4,1): error X3000: syntax error: unexpected token 'float'
//!---
float A = 1;
  banana Split;
//! failed
//! FX\errors_syntax.fx(9,3): error X3000: syntax error: unexpected token 'banana'
//!---
float A = ;
//! failed
//! FX\errors_syntax.fx(13,11): error X3000: syntax error: unexpected token ';'
//!---
float A < string UIName = "x" >;
//! failed
//! FX\errors_syntax.fx(17,31): error X3000: syntax error: unexpected token '>'
//!---
void V;
//! failed
//! FX\errors_syntax.fx(21,6): error X3000: syntax error: unexpected token 'V'
//!---
float A = 1 @ 2;
//! failed
//! FX\errors_syntax.fx(25,13): error X3000: syntax error: unexpected token '@'
//!---
technique T
{
  float x;
}
//! failed
//! FX\errors_syntax.fx(31,3): error X3000: syntax error: unexpected token 'float'
//!---
// An error in a macro points at its use.
#define BROKEN_DEFAULT = = 1

float A BROKEN_DEFAULT;
//! failed
//! FX\errors_syntax.fx(39,9): error X3000: syntax error: unexpected token '='
//!---
// Warnings before an error are kept.
#pragma message "checking"
float A = ;
//! failed
//! FX\errors_syntax.fx(44,1): warning X1519: checking
//! FX\errors_syntax.fx(45,11): error X3000: syntax error: unexpected token ';'
//!---
// Declarations left open end at the end of the file.
float4 V = {1, 2
//! failed
//! FX\errors_syntax.fx(54,1): error X3000: syntax error: unexpected end of file
//!---
float F(float x) { return x;
//! failed
//! FX\errors_syntax.fx(58,1): error X3000: syntax error: unexpected end of file
//!---
technique T { pass P {
//! failed
//! FX\errors_syntax.fx(62,1): error X3000: syntax error: unexpected end of file
