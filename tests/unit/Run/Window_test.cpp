// Window settings kept without a window (headless runs read back what they set).
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"
#include "Run/Window.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Window, CaptionShowsTheRoomCaptionAndTheShownGameState)
{
    CRoom room;
    room.SetCaption("Maze");
    CRoom* saved = Run_Room;
    Run_Room = &room;
    Run_SetCaptionText(&caption_score, "Score: ");
    Run_SetCaptionText(&caption_lives, "Lives: ");
    Run_SetCaptionText(&caption_health, "Health: ");
    score = 20, lives = 3, health = 57.6;
    show_score = true, show_lives = false, show_health = false;
    Window_UpdateCaption();
    EXPECT_STREQ(Window_GetCaption(), "Maze  Score: 20");
    show_lives = show_health = true;
    Window_UpdateCaption();
    EXPECT_STREQ(Window_GetCaption(), "Maze  Score: 20  Lives: 3  Health: 58");
    show_score = show_lives = false;
    health = INFINITY;  // a health that is not finite shows as 0, not garbage
    room.SetCaption(nullptr);
    Window_UpdateCaption();
    EXPECT_STREQ(Window_GetCaption(), "Health: 0");
    show_health = false;
    Window_UpdateCaption();
    EXPECT_STREQ(Window_GetCaption(), "");
    Window_SetCaption("set by the game");
    EXPECT_STREQ(Window_GetCaption(), "set by the game");
    Run_Room = saved;
    for (char** slot : {&caption_score, &caption_lives, &caption_health}) Run_SetCaptionText(slot, "");
    score = 0, lives = -1, health = 100, show_score = true;
    Window_Destroy();
}

TEST(Window, SettingsAreStoredAndCheckedWithoutAWindow)
{
    Window_SetColor(0x123456);
    EXPECT_EQ(Window_GetColor(), 0x123456u);
    Window_SetColor(0xAB654321);
    EXPECT_EQ(Window_GetColor(), 0x654321u);
    Window_SetCursor(-22);
    EXPECT_EQ(Window_GetCursor(), -22);
    Window_SetCursor(-23);  // out of range: unchanged
    Window_SetCursor(1);
    EXPECT_EQ(Window_GetCursor(), -22);
    Window_SetBaseSize(320, 200);
    EXPECT_EQ(Window_GetBaseWidth(), 320);
    EXPECT_EQ(Window_GetWidth(), 320);
    EXPECT_FALSE(Window_DisplayResetPending);
    Window_SetSize(800, 600);
    EXPECT_TRUE(Window_DisplayResetPending);
    EXPECT_EQ(Window_GetWidth(), 800);
    EXPECT_EQ(Window_GetBaseHeight(), 200);
    Window_SetSize(-5, 0);  // refused
    EXPECT_EQ(Window_GetHeight(), 600);
    Window_SetFullscreen(true);
    EXPECT_TRUE(Window_GetFullscreen());
    Window_ApplyDisplayReset();
    EXPECT_FALSE(Window_DisplayResetPending);
    Window_Destroy();
    EXPECT_EQ(Window_GetColor(), 0u);
    EXPECT_FALSE(Window_GetFullscreen());
    Window_SetBaseSize(640, 480);
}

}  // namespace
