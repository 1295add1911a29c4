#include "nowhere.fxh"
float A < string UIName = "A"; > = 1;
technique T { pass P { } }
