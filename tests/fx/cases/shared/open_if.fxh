#if 1
float A;
