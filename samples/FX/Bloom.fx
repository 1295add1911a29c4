// Bloom: bright parts of the picture bleed into their surroundings.
#include "common.fxh"

#define BLOOM_DEFAULT_INTENSITY 0.75

bool BloomEnabled <
    string UIName = "Enable Bloom";
    string UIGroup = "Bloom";
    int UIGroupOrder = 0;
    int UIOrder = 0;
> = true;

float BloomIntensity <
    string UIName = "Intensity";
    string UIGroup = "Bloom";
    string UICondition = "BloomEnabled";
    int UIOrder = 10;
    float UIMin = 0.0;
    float UIMax = 4.0;
> = BLOOM_DEFAULT_INTENSITY;

float BloomThreshold <
    string UIName = "Threshold";
    string UIGroup = "Bloom";
    string UICondition = "BloomEnabled";
    int UIOrder = 20;
> = 0.6;

float4 BloomTint <
    string UIName = "Tint";
    string UIGroup = "Bloom";
    int UIOrder = 30;
> = float4(1.0, 0.95, 0.9, 1.0);

float BloomQuality <
    string UIName = "Quality";
    string UIGroup = "Advanced";
    int UIGroupOrder = 5;
    string UIWidget = "Combo";
    string UIEnum = "Low,Medium,High,Ultra";
> = 2;

float4 BrightPass(float2 uv : TEXCOORD0) : COLOR0 {
    float4 color = tex2D(SceneSampler, uv);
    return color * saturate(Luminance(color.rgb) - BloomThreshold) * BloomIntensity * BloomTint;
}

technique Bloom < string Description = "Bright pass and blur"; > {
    pass BrightPass {
        PixelShader = compile ps_3_0 BrightPass();
    }
}
