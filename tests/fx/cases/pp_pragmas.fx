// #pragma message becomes a warning; other pragmas and #line are ignored.
#pragma warning(disable : 3571)
#pragma message "Bloom " "enabled"
float A = 1;
  #pragma message("second")
#pragma something_unknown 1 2 3
#line 200 "other.fx"
//! ok
//! FX\pp_pragmas.fx(3,1): warning X1519: Bloom enabled
//! FX\pp_pragmas.fx(5,3): warning X1519: second
//! float A = 1
