#include "Support/DataStructures.h"

#include <cfloat>
#include <cmath>
#include <cstring>

double DS_Precision = 0.0000001;
uint64_t DS_PrecisionGeneration = 0;

void DS_SetPrecision(double precision)
{
    double value = std::fabs(precision);
    if (value == DS_Precision) return;
    DS_Precision = value;
    DS_PrecisionGeneration++;
}

int DS_CompareValues(const TaggedValue* a, const TaggedValue* b)
{
    if (a->IsReal() && b->IsReal()) {
        float fa = DS_Narrow(a->val);
        float fb = DS_Narrow(b->val);
        if (DS_NarrowedEqual(fa, fb)) return 0;
        return fa < fb ? -1 : 1;
    }
    if (a->IsString() && b->IsString() && a->str && b->str) {
        int c = strcmp(a->str, b->str);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return 1;
}
