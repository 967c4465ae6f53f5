#include "screen/Geometry.h"

TRect Bounds(int left, int top, int width, int height)
{
    return TRect{left, top, left + width, top + height};
}

int64_t DivRoundHalfEven(int64_t numerator, int64_t denominator)
{
    int64_t quotient = numerator / denominator;
    int64_t remainder = numerator % denominator;
    if (remainder < 0) { // floor division, so the remainder lies in [0, denominator)
        quotient -= 1;
        remainder += denominator;
    }
    int64_t twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0))
        quotient += 1;
    return quotient;
}

int ScaleByPPI(int v, int ppi)
{
    return static_cast<int>(DivRoundHalfEven(static_cast<int64_t>(ppi) * v, 96));
}
