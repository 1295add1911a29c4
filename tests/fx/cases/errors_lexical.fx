// Unterminated comments and strings, illegal characters.
float A; /* never closed
float B;
//! failed
//! FX\errors_lexical.fx(2,10): error X1004: unexpected end of file in comment
//!---
string S = "never closed;
float B;
//! failed
//! FX\errors_lexical.fx(7,12): error X1004: newline in string constant
//!---
float A;
//! failed
//! FX\errors_lexical.fx(12,8): error X3000: syntax error: illegal character '\x01'
