// Every parameter type: its class, type and shape, zero-filled without a default.
bool B; int I; uint U; float F; half H; double D;
bool3 B3; int4 I4; half4 H4; float2 F2; float1 F1;
float4x4 M44; float3x3 M33; int2x3 M23; matrix Mat; vector Vec;
matrix<float, 3, 4> TM; vector<int, 2> TV; vector<half,3>TV3;
string S;
texture T; Texture2D T2; texture1D T1; TEXTURE3D T3; textureCUBE TC;
sampler Sm; sampler1D S1; Sampler2D S2; sampler3D S3; samplerCUBE SC;
pixelshader PS; VertexShader VS;
//! ok
//! bool B
//! int I
//! int U
//! float F
//! float H
//! float D
//! bool3 B3
//! int4 I4
//! float4 H4
//! float2 F2
//! float1 F1
//! float4x4 M44
//! float3x3 M33
//! int2x3 M23
//! float4x4 Mat
//! float4 Vec
//! float3x4 TM
//! int2 TV
//! float3 TV3
//! string S = ""
//! texture T
//! texture2D T2
//! texture1D T1
//! texture3D T3
//! textureCUBE TC
//! sampler Sm
//! sampler1D S1
//! sampler2D S2
//! sampler3D S3
//! samplerCUBE SC
//! pixelshader PS
//! vertexshader VS
