// Storage modifiers, semantics, registers and several declarators in one declaration.
uniform float4x4 World : WORLD : register(c0), View : VIEW;
static const float Gamma = 2.2;
shared extern float SharedTime : TIME;
volatile float Wobble : register(ps, c4) = 0.5;
row_major float4x4 RowMajorWorld;
float a = 1, b = -2, c;
//! ok
//! uniform float4x4 World : WORLD
//! uniform float4x4 View : VIEW
//! static const float Gamma = 2.2
//! shared extern float SharedTime : TIME
//! float Wobble = 0.5
//! row_major float4x4 RowMajorWorld
//! float a = 1
//! float b = -2
//! float c
