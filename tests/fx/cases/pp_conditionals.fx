// Conditionals pick their branch, without and with a macro from the caller.
#define QUALITY 2
#if QUALITY >= 2 && defined(USE_BLOOM)
float Branch = 1;
#elif QUALITY == 2 || defined NEVER
float Branch = 2;
#else
float Branch = 3;
#endif
#ifdef USE_BLOOM
float BloomOnly = 1;
#endif
#ifndef USE_BLOOM
float NoBloom = 1;
#endif
#if 0
  this is not effect code, don't parse it "even with an unterminated string
  #error never reached
  #include "missing.fxh"
#elif (1 + 2 * 3) % 4 == 3 && !0 && (-1 < 0) && (8 >> 2) == 2 && (0x10 | 1) == 17
float Arithmetic = 1;
#endif
#undef QUALITY
#if QUALITY
float QualityStillDefined = 1;
#endif
//! ok
//! float Branch = 2
//! float NoBloom = 1
//! float Arithmetic = 1
//!---
//! define USE_BLOOM
#define QUALITY 2
#if QUALITY >= 2 && defined(USE_BLOOM)
float Branch = 1;
#elif QUALITY == 2 || defined NEVER
float Branch = 2;
#else
float Branch = 3;
#endif
#ifdef USE_BLOOM
float BloomOnly = 1;
#endif
#ifndef USE_BLOOM
float NoBloom = 1;
#endif
#if 0
  this is not effect code, don't parse it "even with an unterminated string
  #error never reached
  #include "missing.fxh"
#elif (1 + 2 * 3) % 4 == 3 && !0 && (-1 < 0) && (8 >> 2) == 2 && (0x10 | 1) == 17
float Arithmetic = 1;
#endif
#undef QUALITY
#if QUALITY
float QualityStillDefined = 1;
#endif
//! ok
//! float Branch = 1
//! float BloomOnly = 1
//! float Arithmetic = 1
