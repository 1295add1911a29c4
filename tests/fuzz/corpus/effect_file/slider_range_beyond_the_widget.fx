float Huge < string UIName = "Huge"; float UIMin = -3.0e38; float UIMax = 3.0e38; > = 0;
float Nan < string UIName = "Nan"; float UIMin = 0.0 / 0.0; > = 0;
technique T { pass P { } }
