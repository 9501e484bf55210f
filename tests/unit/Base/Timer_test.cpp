#include "Base/Timer.h"

#include <gtest/gtest.h>

namespace {
int g_pumps = 0;
void CountPump() { g_pumps++; }
}  // namespace

TEST(Timer, SleepWaitsAndPumps)
{
    Timer_PumpHook = CountPump;
    int64_t start = Timer_GetMicroseconds();
    Timer_Sleep(20000);
    int64_t slept = Timer_GetMicroseconds() - start;
    EXPECT_GE(slept, 20000);
    EXPECT_LT(slept, 500000);
    EXPECT_GT(g_pumps, 0);  // the last stretch pumps messages

    start = Timer_GetMicroseconds();
    Timer_Sleep(-5000000);
    Timer_Sleep(0);
    EXPECT_LT(Timer_GetMicroseconds() - start, 100000);  // far below the 3 s a clamp would give
    Timer_PumpHook = nullptr;
}
