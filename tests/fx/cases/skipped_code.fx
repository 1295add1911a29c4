// Structs, typedefs and function bodies are skipped; functions are named and
// structure-typed globals stay as structures.
struct Light { float3 Direction; float4 Color; };
typedef float4 color;
typedef struct { float a; } Anonymous;
typedef const float3 direction, normal;
struct VSOut { float4 Pos : POSITION; } unusedGlobal;

color SkyColor = color(0.2, 0.4, 0.8, 1);
direction SunDirection = {0, -1, 0};
Light MainLight;
Light Lights[2] = { { {0,0,1}, {1,1,1,1} }, { {0,1,0}, {1,0,0,1} } };

float3 Saturation(float3 c, float amount);
inline float3 Saturation(float3 c, float amount) { return lerp(dot(c, 0.33), c, amount); }
void Nothing() {}
static float4 Helper(in float4 v, out float w) { w = 1; { { return v; } } }
VSOut VS(float4 p : POSITION) { VSOut o; o.Pos = p; return o; }
float4 PS(float2 uv : TEXCOORD0, uniform float k) : COLOR0 { return tex2D(s, uv) * k; }
float4 PS2() : COLOR : register(s0) { return 0; }
float AfterFunctions = 3;
//! ok
//! struct unusedGlobal
//!   member float4 Pos : POSITION
//! float4 SkyColor = 0.2, 0.4, 0.8, 1
//! float3 SunDirection = 0, -1, 0
//! struct MainLight
//!   member float3 Direction
//!   member float4 Color
//! struct Lights[2]
//!   member float3 Direction
//!   member float4 Color
//! float AfterFunctions = 3
//! function Saturation
//! function Nothing
//! function Helper
//! function VS
//! function PS
//! function PS2
