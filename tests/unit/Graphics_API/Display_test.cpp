#include "GfxTest.h"
#include "Graphics_API/GR_Display.h"

// Xvfb offers one mode: the 1024 x 768 x 24 screen that scripts/test starts.
TEST_F(GfxTest, DisplayModesOfTheScreen)
{
    int w = GR_Display_Get_Width(), h = GR_Display_Get_Height();
    EXPECT_GT(w, 0);
    EXPECT_GT(h, 0);
    EXPECT_GE(GR_Display_Get_ColorDepth(), 15);
    int hz = GR_Display_Get_Frequency();
    EXPECT_TRUE(hz == -1 || hz > 0);
    EXPECT_TRUE(GR_Display_Test_All(w, h, 0, 0));
    EXPECT_TRUE(GR_Display_Test_All(0, 0, 0, 0));
    EXPECT_FALSE(GR_Display_Test_All(w + 7, h, 0, 0));
    EXPECT_FALSE(GR_Display_Test_All(0, 0, 0, 7));
    // Only a full-screen window changes the display mode.
    EXPECT_FALSE(GR_Display_Set_All(w, h, 0, 0));
    EXPECT_FALSE(GR_Display_Set_Size(w + 7, h));
    GR_Display_Leave_Fullscreen();  // not full screen: nothing happens
    EXPECT_EQ(GR_D3D_Get_Backbuffer_Width(), W);
}

TEST_F(GfxTest, VSyncAndAntialiasWaitForTheReset)
{
    GR_Display_Reset_Pending = false;
    GR_Display_Set_VSync(true);
    EXPECT_TRUE(GR_Display_Get_VSync());
    EXPECT_TRUE(GR_Display_Reset_Pending);
    GR_Display_Set_Antialias(16);
    EXPECT_EQ(GR_Display_Get_Antialias(), 16);
    ASSERT_TRUE(GR_D3D_Reset_Device());
    // Whatever the device offers, the back buffer draws and reads as before.
    Use2D(W, H);
    Graphics::Clear(0xFF00FF00u, 1, 0, 1);
    EXPECT_EQ(Pixel(W - 1, 0), GREEN);
    GR_Display_Set_VSync(false);
    GR_Display_Set_Antialias(0);
    ASSERT_TRUE(GR_D3D_Reset_Device());
}
