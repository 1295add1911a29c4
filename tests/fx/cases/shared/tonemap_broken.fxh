float Gamma = 2.2;
// comment
float Broken = 1 +;
