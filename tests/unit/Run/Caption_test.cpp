// The window's caption: the room's caption and the game state the game shows.
#include "IO/Window.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(RunCaption, CaptionShowsTheRoomCaptionAndTheShownGameState)
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
    Run_UpdateCaption();
    EXPECT_STREQ(Window_GetCaption(), "Maze  Score: 20");
    show_lives = show_health = true;
    Run_UpdateCaption();
    EXPECT_STREQ(Window_GetCaption(), "Maze  Score: 20  Lives: 3  Health: 58");
    show_score = show_lives = false;
    health = INFINITY;  // a health that is not finite shows as 0, not garbage
    room.SetCaption(nullptr);
    Run_UpdateCaption();
    EXPECT_STREQ(Window_GetCaption(), "Health: 0");
    show_health = false;
    Run_UpdateCaption();
    EXPECT_STREQ(Window_GetCaption(), "");
    Window_SetCaption("set by the game");
    EXPECT_STREQ(Window_GetCaption(), "set by the game");
    Run_Room = saved;
    for (char** slot : {&caption_score, &caption_lives, &caption_health}) Run_SetCaptionText(slot, "");
    score = 0, lives = -1, health = 100, show_score = true;
    Window_Destroy();
}

}  // namespace
