// Macros from the caller are defined before the source, with parameters or empty.
//! define SAMPLE_COUNT 12
//! define TWICE(x) ((x) * 2)
//! define EMPTY_FLAG
float Samples = SAMPLE_COUNT;
float Doubled = TWICE(SAMPLE_COUNT);
#ifdef EMPTY_FLAG
float FlagSeen = 1;
#endif
//! ok
//! float Samples = 12
//! float Doubled = 24
//! float FlagSeen = 1
