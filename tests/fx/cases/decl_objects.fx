// Initializers of samplers and shaders are skipped; the parameters stay.
texture2D Lut;
sampler2D LutSampler = sampler_state { Texture = <Lut>; MinFilter = POINT; }, Second = Sampler_State { Texture = (Lut); };
sampler LegacySampler { Texture = <Lut>; };
PixelShader CompiledPS = compile ps_2_0 Main(1, float2(0, 1));
VertexShader Shaders[2] = { compile vs_1_1 A(), compile vs_1_1 B() };
PixelShader AsmPS = asm { ps_1_1 tex t0 mov r0, t0 };
float After = 1;
//! ok
//! texture2D Lut
//! sampler2D LutSampler
//! sampler2D Second
//! sampler LegacySampler
//! pixelshader CompiledPS
//! vertexshader Shaders[2]
//! pixelshader AsmPS
//! float After = 1
