#define HALF 0.5
static const float Pi = 3.5;
