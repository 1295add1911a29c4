
#ifndef COMMON_FXH
#define COMMON_FXH
static const float3 LumaWeights = float3(0.2126, 0.7152, 0.0722);
float Luminance(float3 c) { return dot(c, LumaWeights); }
#endif
