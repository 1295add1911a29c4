// Macros that refer to themselves stop expanding.
#define Gain Gain
#define A B
#define B A
float Gain = 1;
float A = 2;
#define f(x) x + f(x)
//! ok
//! float Gain = 1
//! float A = 2
