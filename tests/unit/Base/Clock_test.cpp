// The game's clock: the system's time from the game's start, standing still for recorded and
// replayed steps, and running on from where it stood.
#include "Base/Clock.h"

#include <chrono>
#include <ctime>
#include <gtest/gtest.h>
#include <thread>

namespace {

int64_t SystemMicroseconds()
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return (int64_t)ts.tv_sec * 1000000 + ts.tv_nsec / 1000;
}

TEST(Clock, CountsFromTheGameStartInTheSystemsTime)
{
    Clock_Start();
    int64_t since = Clock_SinceStart();
    EXPECT_GE(since, 0);
    EXPECT_LT(since, 1000000) << "get_timer counts from the game's start";
    EXPECT_LT(std::llabs(Clock_StartTime() - SystemMicroseconds()), 1000000);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_GE(Clock_SinceStart(), 2000);
    EXPECT_GE(Clock_Now() - Clock_StartTime(), 2000);
}

TEST(Clock, StandsForAStepAndRunsOnFromWhereItStood)
{
    Clock_Start();
    int64_t held = Clock_Hold();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(Clock_Now(), held);
    int64_t next = Clock_Hold();
    EXPECT_GE(next - held, 2000) << "a recorded step reads the time that passed";

    // A replay: the recorded game's start and its steps' times, whatever the system says.
    const int64_t start = 1700000000000000;
    Clock_HoldFromStart(start);
    EXPECT_EQ(Clock_SinceStart(), 0);
    Clock_HoldAt(start + 5000);
    EXPECT_EQ(Clock_Now(), start + 5000);
    EXPECT_EQ(Clock_SinceStart(), 5000);
    Clock_Run();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    int64_t after = Clock_SinceStart();
    EXPECT_GE(after, 6000) << "after the replay the clock runs on from the last step";
    EXPECT_LT(after, 1000000);
    Clock_Run();  // a running clock stays as it is
    EXPECT_GE(Clock_SinceStart(), after);
    Clock_Start();
}

}  // namespace
