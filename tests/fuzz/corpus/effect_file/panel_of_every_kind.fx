float Intensity < string UIName = "Intensity"; string UIGroup = "Bloom"; int UIGroupOrder = 1; float UIMin = 0; float UIMax = 4; > = 0.75;
bool Enabled < string UIName = "Enabled"; string UIGroup = "Bloom"; > = true;
float Threshold < string UIName = "Threshold"; string UICondition = "Enabled"; int UIOrder = 5; > = 0.5;
float4 Tint < string UIName = "Tint"; string UIGroup = "Colour"; > = {1, 0.9, 0.8, 1};
float Quality < string UIName = "Quality"; string UIWidget = "Combo"; string UIEnum = "Low,Medium,High"; > = 1;
float Hidden < string UIName = "Hidden"; string UIWidget = "None"; > = 3;
float ScreenResolutionX; float ScreenResolutionY; float AspectRatio; float Time;
texture noise; sampler2D NoiseSampler = sampler_state { Texture = <noise>; };
float4 PS(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(NoiseSampler, uv) * Intensity; }
technique Main { pass P0 { PixelShader = compile ps_2_0 PS(); } }
