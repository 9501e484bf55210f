#include "Support/DataStructures.h"

#include <cfloat>
#include <cmath>
#include <cstring>

double DS_Precision = 0.0000001;

void DS_SetPrecision(double precision)
{
    DS_Precision = std::fabs(precision);
}

namespace {

// Single precision; reals beyond its range become infinities (a plain conversion would be undefined).
float Narrow(double v)
{
    if (v > FLT_MAX) return INFINITY;
    if (v < -FLT_MAX) return -INFINITY;
    return (float)v;
}

}  // namespace

int DS_CompareValues(const TaggedValue* a, const TaggedValue* b)
{
    if (a->IsReal() && b->IsReal()) {
        float fa = Narrow(a->val);
        float fb = Narrow(b->val);
        // Equal values are equal even with precision 0, and so are two equal infinities (whose
        // difference is not a number).
        if (fa == fb || std::fabs(fa - fb) < DS_Precision) return 0;
        return fa < fb ? -1 : 1;
    }
    if (a->IsString() && b->IsString() && a->str && b->str) {
        int c = strcmp(a->str, b->str);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return 1;
}
