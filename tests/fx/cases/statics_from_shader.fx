// Statics that only the shader can compute (a swizzle or member of a
// parameter, a call of the file's own function) are left out; the next
// declarator and constant statics keep their values.
#include "shared\screen.fxh"
float Scaled = Scale * 3;
float Angle = 0.5;
float3 DirFromAngle() { return float3(cos(Angle), sin(Angle), 0); }
static float3 Dir = DirFromAngle();
static float3 Both[2] = { DirFromAngle(), normalize(float3(1, 2, 3)) };
int Count = 4;
technique T { pass P { } }
//! ok
//! include "shared\screen.fxh"
//! float2 Size = 1920, 1080
//! struct TheSun
//!   member float3 Direction
//!   member float Power
//! static float Doubled = 2
//! static const float Scale = 2
//! float Scaled = 6
//! float Angle = 0.5
//! int Count = 4
//! function DirFromAngle
//! technique T
//!   pass P
//!---
// A parameter is not a static: its initializer must be a constant.
float2 Size = {1, 2};
float2 Half = Size.xy * 0.5;
//! failed
//! FX\statics_from_shader.fx(29,19): error X3000: syntax error: unexpected token '.'
//!---
// Nor may a skipped static be read by a later constant.
float2 Size = {1, 2};
static float2 Half = Size.xy;
float H = Half;
//! failed
//! FX\statics_from_shader.fx(36,11): error X3004: undeclared identifier 'Half'
//!---
// A static whose declaration never ends is still an error.
static float4 C = Pick(float4(1, 2, 3, 4))
//! failed
//! FX\statics_from_shader.fx(44,1): error X3000: syntax error: unexpected end of file
