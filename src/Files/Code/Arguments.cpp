#include "Code/Arguments.h"

#include <cmath>
#include <climits>

int RealToInt(double v)
{
    if (!(v >= -2147483648.5 && v < 2147483647.5)) return INT_MIN;
    double r = std::nearbyint(v);  // the default rounding mode: ties to even
    if (r > 2147483647.0 || r < -2147483648.0) return INT_MIN;
    return (int)r;
}

int TruncToInt(double v)
{
    if (!(v > -2147483649.0 && v < 2147483648.0)) return INT_MIN;
    return (int)v;
}

int64_t TruncToInt64(double v)
{
    if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0)) return INT64_MIN;
    return (int64_t)v;
}
