// Techniques and passes with their names and annotations, in order.
technique Main < string UIName = "Main look"; int Order = 2; >
{
  pass Blur < string Target = "half"; > { PixelShader = compile ps_3_0 BlurPS(float2(1, 0)); CullMode = NONE; }
  pass { PixelShader = compile ps_3_0 CombinePS(); }
  Pass Final { }
}
Technique { pass P0 { } }
technique9 Legacy { }
//! ok
//! technique Main
//!   string UIName = "Main look"
//!   int Order = 2
//!   pass Blur
//!     string Target = "half"
//!   pass
//!   pass Final
//! technique
//!   pass P0
//! technique Legacy
