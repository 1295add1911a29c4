#define QUALITY 2
#if QUALITY > 1
float Samples < string UIName = "Samples"; string UIWidget = "Combo"; string UIEnum = "4,8,16"; > = 2;
#else
float Samples = 0;
#endif
struct Light { float3 Colour; float Range; };
Light Lights[2];
float4x4 World : WORLD;
string Note < string UIName = "Note"; > = "text";
technique T < string Mode = "fast"; > { pass A { } pass B { } }
technique9 U { pass { } }
