float Broken < string UIName = "Broken"; > = 1 +;
technique T { pass P { } }
