// Colour grading: exposure, saturation and a lift/gamma/gain look.
#include <common.fxh>

float Exposure < string UIName = "Exposure"; string UIGroup = "Tone"; float UIMin = -2.0; float UIMax = 2.0; > = 0.0;
float Saturation < string UIName = "Saturation"; string UIGroup = "Tone"; float UIMin = 0.0; float UIMax = 2.0; > = 1.0;
float4 Lift < string UIName = "Lift"; string UIGroup = "Look"; int UIGroupOrder = 1; > = float4(0.0, 0.0, 0.0, 1.0);
float4 Gain < string UIName = "Gain"; string UIGroup = "Look"; int UIGroupOrder = 1; > = float4(1.0, 1.0, 1.0, 1.0);
float Curve < string UIName = "Curve"; string UIWidget = "Combo"; string UIEnum = "Linear,Filmic,ACES"; > = 1;
float3 Whitepoint < string UIName = "White point (fixed)"; > = {1.0, 1.0, 1.0};

float4 Grade(float2 uv : TEXCOORD0) : COLOR0 {
    float3 c = tex2D(SceneSampler, uv).rgb * exp2(Exposure);
    c = lerp(Luminance(c).xxx, c, Saturation);
    return float4(c * Gain.rgb + Lift.rgb, 1.0);
}

technique ColorGrade { pass P0 { PixelShader = compile ps_3_0 Grade(); } }
