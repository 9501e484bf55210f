#include "Base/Random.h"

namespace {

constexpr uint64_t kMultiplier = 6364136223846793005ull;
constexpr uint64_t kIncrement = 1442695040888963407ull;  // the generator's default stream

uint32_t g_seed = 0;
uint64_t g_state = 0;

void Step() { g_state = g_state * kMultiplier + kIncrement; }

struct StartSeed {
    StartSeed() { Random_Seed(0); }
} g_startSeed;

}  // namespace

void Random_Seed(uint32_t seed)
{
    // The reference seeding: step from zero, add the seed, step again.
    g_seed = seed;
    g_state = 0;
    Step();
    g_state += seed;
    Step();
}

uint32_t Random_GetSeed() { return g_seed; }

uint32_t Random_Next()
{
    uint64_t old = g_state;
    Step();
    uint32_t xorshifted = (uint32_t)(((old >> 18) ^ old) >> 27);
    uint32_t rot = (uint32_t)(old >> 59);
    return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
}

double Random_Real(double x)
{
    return (double)Random_Next() * (1.0 / 4294967296.0) * x;
}

int Random_Int(int n)
{
    uint32_t word = Random_Next();
    // |n| in unsigned arithmetic, so that -2147483648 has a magnitude too.
    uint32_t m = n < 0 ? 0u - (uint32_t)n : (uint32_t)n;
    return m == 0 ? 0 : (int)(word % m);
}
