#include "GfxTest.h"
#include "Base/MemoryManager.h"
#include "Platform/TBitmap.h"
#include "Graphics_API/GR_Display.h"

TEST_F(GfxTest, SurfacesDrawWithTheirOwnProjectionAndDepth)
{
    int s = GR_Surface_Create(32, 16);
    ASSERT_GE(s, 0);
    EXPECT_EQ(GR_Surface_Get_Width(s), 32);
    EXPECT_EQ(GR_Surface_Get_Height(s), 16);
    ASSERT_TRUE(GR_Surface_Set_Target(s));
    EXPECT_EQ(SurfaceTarget, s);
    EXPECT_TRUE(ProjectionOverride);
    Graphics::Clear(0xFF00FF00u, 1, 0, 7);
    VertexXYZColor* v = (VertexXYZColor*)GR_Batch_Reserve(GR_POINTLIST, nullptr, 16, 1);
    *v = {1, 1, 0, 0xFFFF0000u};  // pixel (0, 0)
    // Depth works inside a surface.
    GR_D3D_Set_Hidden(true);
    VertexXYZColor* q = (VertexXYZColor*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 16, 6);
    float xs[6] = {10, 20, 10, 20, 20, 10}, ys[6] = {0, 0, 10, 0, 10, 10};
    for (int i = 0; i < 6; i++) q[i] = {xs[i], ys[i], -50, 0xFF0000FFu};
    q = (VertexXYZColor*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 16, 6);
    for (int i = 0; i < 6; i++) q[i] = {xs[i], ys[i], 50, 0xFFFF0000u};
    GR_D3D_Set_Hidden(false);
    ASSERT_TRUE(GR_Surface_Reset_Target());
    EXPECT_EQ(SurfaceTarget, -1);
    EXPECT_FALSE(ProjectionOverride);

    uint32_t* pixels = GR_D3D_Texture_Read_Pixels(GR_Texture_Get_API_Texture(GR_Surface_Get_Texture(s)), -1, 0, 2, 2);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[0], 0u);            // outside the surface
    EXPECT_EQ(pixels[1], 0xFFFF0000u);   // (0, 0), 0xAARRGGBB
    EXPECT_EQ(pixels[3], 0xFF00FF00u);   // (0, 1)
    MemFree(pixels);

    // Drawn onto the back buffer, whose projection came back.
    GR_Surface_Draw(s, 8, 8);
    EXPECT_EQ(Pixel(8, 8), RED);
    EXPECT_EQ(Pixel(9, 8), GREEN);
    EXPECT_EQ(Pixel(8, 9), GREEN);
    EXPECT_EQ(Pixel(19, 9), BLUE);   // the nearer quad
    EXPECT_EQ(Pixel(7, 8), BLACK);
    Graphics::Clear(0xFF000000u, 1, 0, 1);
    GR_Surface_Draw_Stretched(s, 0, 16, 64, 32, WHITE, 1);
    EXPECT_EQ(Pixel(1, 17), RED);
    EXPECT_EQ(Pixel(2, 16), GREEN);
    EXPECT_EQ(Pixel(0, 15), BLACK);

    TBitmap* grab = GR_Surface_Grab_Bitmap(s, 30, 14, 10, 10);
    ASSERT_NE(grab, nullptr);
    EXPECT_EQ(grab->GetWidth(), 2);
    EXPECT_EQ(grab->GetHeight(), 2);
    EXPECT_EQ(grab->Lock()[1], 0xFF);  // green, stored R, G, B, A
    delete grab;

    GR_Surface_Free(s);
    EXPECT_FALSE(GR_Surface_Exists(s));
    EXPECT_FALSE(GR_Surface_Set_Target(s));
    EXPECT_EQ(GR_Surface_Get_Width(s), -1);
    EXPECT_EQ(GR_Surface_Get_Texture(-4), -1);
}

TEST_F(GfxTest, SurfaceSizesAreChecked)
{
    EXPECT_EQ(GR_Surface_Create(0, 10), -1);
    EXPECT_EQ(GR_Surface_Create(10, -1), -1);
    EXPECT_EQ(GR_Surface_Create(1 << 20, 4), -1);
    EXPECT_EQ(GR_Surface_Grab_Bitmap(3, 0, 0, 4, 4), nullptr);
    // Freeing the target surface goes back to the screen.
    int s = GR_Surface_Create(4, 4);
    ASSERT_TRUE(GR_Surface_Set_Target(s));
    GR_Surface_Free(s);
    EXPECT_EQ(SurfaceTarget, -1);
    Graphics::Clear(0xFF0000FFu, 1, 0, 1);
    EXPECT_EQ(Pixel(W - 1, H - 1), BLUE);
}

TEST_F(GfxTest, ScreenReadsClipAndPad)
{
    Graphics::Clear(0xFFFF0000u, 1, 0, 1);
    VertexXYZColor* v = (VertexXYZColor*)GR_Batch_Reserve(GR_POINTLIST, nullptr, 16, 1);
    *v = {1, H, 0, 0xFF00FF00u};  // pixel (0, H - 1)
    uint32_t* pixels = GR_Screen_Read_Pixels(W, H, -2, H - 1, 4, 2);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[0], 0xFF000000u);
    EXPECT_EQ(pixels[2], 0xFF00FF00u);
    EXPECT_EQ(pixels[3], 0xFFFF0000u);
    EXPECT_EQ(pixels[6], 0xFF000000u);  // below the screen
    MemFree(pixels);
    // A smaller screen than the back buffer clips too, and its first row is still the top one.
    v = (VertexXYZColor*)GR_Batch_Reserve(GR_POINTLIST, nullptr, 16, 1);
    *v = {1, 1, 0, 0xFF0000FFu};  // pixel (0, 0)
    pixels = GR_Screen_Read_Pixels(2, 2, 0, 0, 4, 1);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[0], 0xFF0000FFu);
    EXPECT_EQ(pixels[1], 0xFFFF0000u);
    EXPECT_EQ(pixels[2], 0xFF000000u);
    MemFree(pixels);
    EXPECT_EQ(GR_Screen_Read_Pixels(W, H, 0, 0, 0, 5), nullptr);
    EXPECT_EQ(GR_Screen_Read_Pixels(W, H, W, 0, 5, 5), nullptr);
    TBitmap* grab = GR_Screen_Grab_Bitmap(-10, H - 3, 100, 100);
    ASSERT_NE(grab, nullptr);
    EXPECT_EQ(grab->GetWidth(), W);
    EXPECT_EQ(grab->GetHeight(), 3);
    const uint8_t* rgba = grab->Lock();
    EXPECT_EQ(rgba[2 * W * 4 + 1], 0xFF);  // last row, first pixel green
    EXPECT_EQ(rgba[0], 0xFF);              // first row red
    EXPECT_EQ(rgba[1], 0);
    delete grab;
    EXPECT_EQ(GR_Screen_Grab_Bitmap(W, 0, 4, 4), nullptr);
    EXPECT_EQ(GR_Screen_Get_Pixel(-1, 0), 0u);
    // The back buffer is still readable after presenting.
    ASSERT_TRUE(GR_D3D_Finish_Frame(true));
    EXPECT_EQ(Pixel(0, H - 1), GREEN);
}

TEST_F(GfxTest, ResetKeepsTexturesAndTakesAntialias)
{
    int s = GR_Surface_Create(4, 4);
    GR_Surface_Set_Target(s);
    Graphics::Clear(0xFF0000FFu, 1, 0, 1);
    GR_Surface_Reset_Target();
    GR_Display_Reset_Pending = false;
    GR_Display_Set_Antialias(4);
    EXPECT_TRUE(GR_Display_Reset_Pending);
    ASSERT_TRUE(GR_D3D_Reset_Device());
    EXPECT_FALSE(GR_Display_Reset_Pending);
    Use2D(W, H);
    GR_Surface_Draw(s, 0, 0);
    EXPECT_EQ(Pixel(3, 3), BLUE);
    GR_Display_Set_Antialias(3);
    EXPECT_EQ(GR_Display_Get_Antialias(), 0);
    // The render states outlive the reset (making the back buffer writes every channel); the
    // frame drawn before it is still there, black at that pixel.
    GR_D3D_Set_Color_Write_Enable(true, false, false, true);
    ASSERT_TRUE(GR_D3D_Reset_Device());
    Use2D(W, H);
    VertexXYZColor* v = (VertexXYZColor*)GR_Batch_Reserve(GR_POINTLIST, nullptr, 16, 1);
    *v = {6, 6, 0, 0xFFFFFFFFu};
    EXPECT_EQ(Pixel(5, 5), RED);
    GR_D3D_Set_Color_Write_Enable(true, true, true, true);
}
