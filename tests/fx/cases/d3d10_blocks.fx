// Direct3D 10 state blocks, techniques and groups are skipped.
BlendState NoBlend { BlendEnable[0] = FALSE; };
DepthStencilState DepthOff { DepthEnable = FALSE; DepthWriteMask = ZERO; };
RasterizerState Solid { FillMode = SOLID; CullMode = NONE; }
SamplerState Linear { Filter = MIN_MAG_MIP_LINEAR; AddressU = Clamp; };
float Exposure < string UIName = "Exposure"; > = 1.5;
float4 VS(float4 p : POSITION) : POSITION { return p; }
technique10 Render10 < string Script = "Pass=p0;"; > {
  pass p0 { SetBlendState(NoBlend, float4(0, 0, 0, 0), 0xFFFFFFFF);
            SetVertexShader(CompileShader(vs_4_0, VS())); }
}
technique11 Render11 { pass p0 { } }
fxgroup Group { technique11 Inner { pass { } } }
technique Render9 { pass p0 { VertexShader = compile vs_2_0 VS(); } }
//! ok
//! float Exposure = 1.5
//!   string UIName = "Exposure"
//! function VS
//! technique Render9
//!   pass p0
//!---
BlendState Open { BlendEnable[0] = FALSE;
//! failed
//! FX\d3d10_blocks.fx(25,1): error X3000: syntax error: unexpected end of file
//!---
// The annotations of a skipped technique are still read.
technique10 T < string S = 1 +; > { }
//! failed
//! FX\d3d10_blocks.fx(27,31): error X3000: syntax error: unexpected token ';'
