float2 Size = {1920, 1080};
struct Sun { float3 Direction; float Power; };
Sun TheSun;
static float2 Half = Size.xy * 0.5;
static float Strength = TheSun.Power * 2, Doubled = 2;
static const float Scale = 2.0;
