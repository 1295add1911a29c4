// Names and values that do not fit.
float A;
float A;
//! failed
//! FX\errors_values.fx(3,7): error X3003: redefinition of 'A'
//!---
float A = Unknown * 2;
//! failed
//! FX\errors_values.fx(7,11): error X3004: undeclared identifier 'Unknown'
//!---
float4 V = {1, 2};
//! failed
//! FX\errors_values.fx(11,12): error X3017: 'V' of type float4 needs 4 values, the initializer has 2
//!---
float V = "text";
//! failed
//! FX\errors_values.fx(15,11): error X3017: cannot convert a string to float for 'V'
//!---
string S = 4;
//! failed
//! FX\errors_values.fx(19,12): error X3017: cannot convert a number to string for 'S'
//!---
float4 V = float4(1, 2);
//! failed
//! FX\errors_values.fx(23,12): error X3017: wrong number of values for constructor float4: 2 given, 4 expected
//!---
float A[0];
//! failed
//! FX\errors_values.fx(27,9): error X3017: array dimensions must be literal positive integers
