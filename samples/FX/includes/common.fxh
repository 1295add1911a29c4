// Shared declarations for every effect: engine values the plug-in fills in.
#ifndef COMMON_FXH
#define COMMON_FXH

float ScreenResolutionX;
float ScreenResolutionY;
float AspectRatio;
float Time;
float4 texelSizeL0;

texture SceneTex;

// User textures from FX\TEXTURES\, bound by their file names.
texture LensDirt;
texture FilmGrain;
sampler2D SceneSampler = sampler_state {
    Texture = <SceneTex>;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
    AddressU = CLAMP;
    AddressV = CLAMP;
};

float Luminance(float3 color) { return dot(color, float3(0.2126, 0.7152, 0.0722)); }

#endif
