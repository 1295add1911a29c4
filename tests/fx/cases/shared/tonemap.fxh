float Gamma = 2.2;
