// Default values: literals converted to the parameter's type, constructors,
// brace lists and arrays flattened, constant expressions folded.
float Hex = 0x10;
float Exponent = 1.5e-3;
float ExponentPlus = 2E+2f;
float HalfSuffix = 0.25h;
float DotFirst = .5;
float DotLast = 3.;
float Negative = -0.75f;
float DoubleSign = - -2;
int TowardZero = 2.9;
int TowardZeroNegative = -2.9;
int Octal = 010;
int HexUpper = 0XFF;
int Unsigned = 7u;
bool FromNumber = 5;
bool FromZero = 0.0;
bool Yes = true;
bool No = false;
float FromBool = true;
float4 Nested = float4(float3(1, 2, 3), 4);
float4 Braced = {0.1, 0.2, 0.3, 0.4};
float4 Broadcast = 0.5;
float3 Cast = (float3)2;
float2x2 Matrix = {1, 2, 3, 4};
float2x2 MatrixRows = {{1, 2}, {3, 4}};
float3x3 Identity = float3x3(1, 0, 0, 0, 1, 0, 0, 0, 1);
float4 Offsets[3] = { float4(1, 0, 0, 0), {0, 1, 0, 0}, float2(0, 0), float2(1, 0) };
int Counts[2][2] = {{1, 2}, {3, 4}};
bool2 Flags = bool2(1, 0.0);
int3 Truncating = int3(1.9, -1.9, 3);
float3 Truncated = float4(1, 2, 3, 4);
float Constants[2];
#define PI 3.14159265
#define TWO_PI (2.0 * PI)
#define SCALE(x, k) ((x) * (k))
#define COLOR(r, g, b) float4(r, g, b, 1.0)
#define GLUE(a, b) a##b
static const float Third = 1.0 / 3.0;
static const int Taps = 7 / 2;
float FullTurn = 2 * PI;
float Angle = TWO_PI;
float Mixed = (1 + 2) * 3 - 4 % 3;
float UsesConstant = Third * 3;
float Weights[Taps + 1];
float4 Scaled = float4(1, 2, 3, 4) * 0.5 + 1;
float Intrinsics = sqrt(16) + max(2, 3) + saturate(1.5) + lerp(0, 10, 0.25);
float Degrees = radians(180);
float3 Unit = normalize(float3(3, 0, 4));
float Scaled2 = SCALE(1.5 + 0.5, 3);
float4 Tint = COLOR(0.5, 0.25,
                    0.125);
float GLUE(Bloom, Strength) = 2;
int Nested2 = SCALE(SCALE(2, 3), 4);
//! ok
//! FX\decl_defaults.fx(32,20): warning X3206: implicit truncation of vector type
//! float Hex = 16
//! float Exponent = 0.0015
//! float ExponentPlus = 200
//! float HalfSuffix = 0.25
//! float DotFirst = 0.5
//! float DotLast = 3
//! float Negative = -0.75
//! float DoubleSign = 2
//! int TowardZero = 2
//! int TowardZeroNegative = -2
//! int Octal = 8
//! int HexUpper = 255
//! int Unsigned = 7
//! bool FromNumber = 1
//! bool FromZero
//! bool Yes = 1
//! bool No
//! float FromBool = 1
//! float4 Nested = 1, 2, 3, 4
//! float4 Braced = 0.1, 0.2, 0.3, 0.4
//! float4 Broadcast = 0.5, 0.5, 0.5, 0.5
//! float3 Cast = 2, 2, 2
//! float2x2 Matrix = 1, 2, 3, 4
//! float2x2 MatrixRows = 1, 2, 3, 4
//! float3x3 Identity = 1, 0, 0, 0, 1, 0, 0, 0, 1
//! float4 Offsets[3] = 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0
//! int Counts[4] = 1, 2, 3, 4
//! bool2 Flags = 1, 0
//! int3 Truncating = 1, -1, 3
//! float3 Truncated = 1, 2, 3
//! float Constants[2]
//! static const float Third = 0.33333334
//! static const int Taps = 3
//! float FullTurn = 6.2831855
//! float Angle = 6.2831855
//! float Mixed = 8
//! float UsesConstant = 1
//! float Weights[4]
//! float4 Scaled = 1.5, 2, 2.5, 3
//! float Intrinsics = 10.5
//! float Degrees = 3.1415927
//! float3 Unit = 0.6, 0, 0.8
//! float Scaled2 = 6
//! float4 Tint = 0.5, 0.25, 0.125, 1
//! float BloomStrength = 2
//! int Nested2 = 24
