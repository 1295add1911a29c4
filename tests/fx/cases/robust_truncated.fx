// Every prefix of a real shader compiles or fails with an error; the whole compiles.
//! each prefix
#define STEPS 4
float Exposure < string UIName = "Exposure"; float UIMin = -2; float UIMax = 2; > = 0.0;
float4 Tint < string UIName = "Tint"; > = float4(1, 1, 1, 1);
texture2D Scene;
sampler2D SceneSampler = sampler_state { Texture = <Scene>; };
struct PSIn { float2 uv : TEXCOORD0; };
float4 PS(PSIn i) : COLOR { return tex2D(SceneSampler, i.uv) * exp2(Exposure) * Tint; }
technique Post < string UIName = "Post"; > { pass P0 { PixelShader = compile ps_2_0 PS(); } }
//! ok
//! float Exposure
//!   string UIName = "Exposure"
//!   float UIMin = -2
//!   float UIMax = 2
//! float4 Tint = 1, 1, 1, 1
//!   string UIName = "Tint"
//! texture2D Scene
//! sampler2D SceneSampler
//! function PS
//! technique Post
//!   string UIName = "Post"
//!   pass P0
