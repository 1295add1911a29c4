// Conditionals nested in a skipped block stay skipped.
#if 0
  #if 1
    float Hidden = 1;
  #else
    float HiddenToo = 1;
  #endif
#else
  #ifdef NOT_SET
    float AlsoHidden = 1;
  #elif 1
    float Shown = 1;
  #endif
#endif
//! ok
//! float Shown = 1
