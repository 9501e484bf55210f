// Window settings kept without a window (headless runs read back what they set).
#include "IO/Window.h"

#include <gtest/gtest.h>

namespace {

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
