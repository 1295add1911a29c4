float Amount < string UIName = "Amount"; float UIMin = 0; float UIMax = 2; > = 0.5;
float4 Tint < string UIName = "Tint"; > = {1, 0.5, 0.25, 1};
bool On < string UIName = "On"; > = true;
technique T { pass P { } }
@@settings@@
[Fuzz]
Amount=1.5
@@edited@@
float4 Amount < string UIName = "Amount"; > = {0, 0, 0, 0};
float Tint < string UIName = "Tint"; string UIWidget = "Combo"; string UIEnum = "A,B"; > = 1;
technique T { pass P { } }
