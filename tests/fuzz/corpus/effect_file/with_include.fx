#include "part.fxh"
float Exposure < string UIName = "Exposure"; float UIMin = LOW; float UIMax = HIGH; > = MID;
technique T { pass P { } }
@@include@@
#define LOW 0.0
#define HIGH 8.0
#define MID (LOW + HIGH) / 2
static float2 Half = float2(0.5, 0.5);
