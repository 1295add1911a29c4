#ifndef GUARDED
#define GUARDED
float FromGuarded;
#endif
