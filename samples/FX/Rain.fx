// A shader with a typo: the plug-in logs the compiler's error and the game
// keeps its own rain effect.
float RainAmount < string UIName = "Rain amount"; > = 0.5
float RainSpeed < string UIName = "Rain speed"; > = 1.0;

technique Rain { pass P0 { } }
