float Amount < string UIName = "Amount"; > = 0.5;
float4 Tint < string UIName = "Tint"; > = {1, 1, 1, 1};
float Mode < string UIName = "Mode"; string UIWidget = "Combo"; > = 1;
float Pick < string UIName = "Pick"; string UIWidget = "Combo"; string UIEnum = "A,B"; > = 1;
bool On < string UIName = "On"; > = false;
technique T { pass P { } }
@@settings@@
[Fuzz]
Amount=nan
Tint=nan,inf,1e30,-1e30
Mode=-nan
Pick=-1e30
On=-5
