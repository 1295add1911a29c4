float A = 1;

   #include "missing.fxh"
