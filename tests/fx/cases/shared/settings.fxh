#include <common\math.fxh>
float Exposure = HALF;
