// Annotations of every value type, in their order, and annotations declared in pairs.
float Strength <
  string UIName = "Strength";
  bool UIVisible = true;
  int UIOrder = -3;
  float UIMin = -1.5;
  half UIStep = 0.01;
  float2 UIRange = float2(0, 10);
  int3 Packed = {1, 2, 3};
  float UIMax = 2 * 4;
  string UIEmptyDefault;
>= 0.5;
texture2D NoiseTex < string ResourceName = "noise.png"; string UIName = "Noise"; >;
texture Noise < string ResourceName = "noise.dds"; int width = 64, height = 32; float Low = 0.25, High; >;
//! ok
//! float Strength = 0.5
//!   string UIName = "Strength"
//!   bool UIVisible = 1
//!   int UIOrder = -3
//!   float UIMin = -1.5
//!   float UIStep = 0.01
//!   float2 UIRange = 0, 10
//!   int3 Packed = 1, 2, 3
//!   float UIMax = 8
//!   string UIEmptyDefault = ""
//! texture2D NoiseTex
//!   string ResourceName = "noise.png"
//!   string UIName = "Noise"
//! texture Noise
//!   string ResourceName = "noise.dds"
//!   int width = 64
//!   int height = 32
//!   float Low = 0.25
//!   float High
//!---
// A comma needs another name.
float A < int w = 1, ; >;
//! failed
//! FX\decl_annotations.fx(37,22): error X3000: syntax error: unexpected token ';'
