#include "Support/DataStructures.h"
#include "Support/DS_Internal.h"

#include <cmath>
#include <cstdint>
#include <cstring>

double DS_Precision = 0.0000001;

void DS_SetPrecision(double precision)
{
    DS_Precision = std::fabs(precision);
}

int DS_CompareValues(const TaggedValue* a, const TaggedValue* b)
{
    if (a->IsReal() && b->IsReal()) {
        float fa = (float)a->val;
        float fb = (float)b->val;
        float diff = fa - fb;
        // A difference of exactly 0 is equal even when the precision is 0.
        if (diff == 0.0f || std::fabs(diff) < DS_Precision) return 0;
        return fa < fb ? -1 : 1;
    }
    if (a->IsString() && b->IsString() && a->str && b->str) {
        int c = strcmp(a->str, b->str);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return 1;
}

int DS_RandomBelow(int n)
{
    // A private xorshift generator until the game's random generator is available here.
    static uint64_t state = 0x9E3779B97F4A7C15ull;
    if (n < 1) return 0;
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return (int)(state % (uint64_t)n);
}
