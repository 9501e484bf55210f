#include "Base/MemoryManager.h"
#include "Object/Object_Main.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

// Runs frames of an empty room of the given speed and returns the seconds they took.
double TimeFrames(int speed, int frames, bool noWait)
{
    Room_Clear();
    Object_Clear();
    int r = Room_Add();
    Room_Get(r)->speed = speed;
    Run_NoWait = noWait;
    size_t blocks = MemoryManager_LiveBlocks();
    EXPECT_TRUE(Run_StartGame());
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; i++) Run_Frame();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(Run_Frames, frames);
    Run_EndGame();
    EXPECT_EQ(MemoryManager_LiveBlocks(), blocks);  // the run leaves nothing behind
    Run_NoWait = false;
    Room_Clear();
    return seconds;
}

TEST(RunFrame, FramesAreTimedByTheRoomSpeed)
{
    // 12 frames at 60 a second take at least 11 frame times; unpaced they take far less.
    EXPECT_GE(TimeFrames(60, 12, false), 11.0 / 60.0);
    EXPECT_LT(TimeFrames(60, 200, true), 0.5);
}

TEST(RunFrame, ASpeedBelowOneCountsAsOneAndGameEndStops)
{
    // A frame of a room of speed 0 waits one second (no division by zero).
    EXPECT_GE(TimeFrames(0, 1, false), 0.9);
    Room_Clear();
    Room_Add();
    Run_NoWait = true;
    ASSERT_TRUE(Run_StartGame());
    Run_Frame();
    EXPECT_TRUE(Run_Running);
    Game_End();
    Run_Frame();
    EXPECT_FALSE(Run_Running);
    EXPECT_EQ(Run_Room, nullptr);
    Run_NoWait = false;
    Room_Clear();
}

TEST(RunFrame, AGameWithoutRoomsDoesNotStart)
{
    Room_Clear();
    EXPECT_FALSE(Run_StartGame());
    EXPECT_FALSE(Run_Running);
}

}  // namespace
