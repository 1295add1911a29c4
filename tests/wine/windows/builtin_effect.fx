// One of the game's built-in effects, stored in its executable.
float4 BuiltinColour = float4(0.23, 0.43, 0.65, 1.0);
float Time;

float4 BuiltinPixel(float2 uv : TEXCOORD0) : COLOR0 {
  return BuiltinColour;
}

technique Builtin {
  pass P0 {
    PixelShader = compile ps_2_0 BuiltinPixel();
  }
}
