#include "GfxTest.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Graphics_API/Bitmap32.h"

#include <string>

// Opens the device in a fresh process with the environment changed; exits 0 when opening fails
// with a warning that contains the expected text.
static void OpenFailsWith(const char* name, const char* value, const char* expected)
{
    if (value) setenv(name, value, 1);
    else unsetenv(name);
    TCaptureConsole capture;
    Console_Warnings = &capture;
    SDL_Window* window = GR_Window_Open_Hidden(16, 16);
    fprintf(stderr, "%s", capture.text.c_str());
    exit(!window && capture.text.find(expected) != std::string::npos ? 0 : 1);
}

TEST(GraphicsDevice, StartUpNamesWhatIsMissing)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(OpenFailsWith("MESA_GL_VERSION_OVERRIDE", "2.0", "OpenGL 2.1 is needed, found version 2.0"),
                ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(OpenFailsWith("MESA_EXTENSION_OVERRIDE", "-GL_ARB_framebuffer_object", "framebuffer objects"),
                ::testing::ExitedWithCode(0), "");
    setenv("MESA_GL_VERSION_OVERRIDE", "2.1", 1);
    EXPECT_EXIT(OpenFailsWith("MESA_EXTENSION_OVERRIDE", "-GL_ARB_framebuffer_object", "not offered by OpenGL 2.1"),
                ::testing::ExitedWithCode(0), "");
    unsetenv("MESA_GL_VERSION_OVERRIDE");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    EXPECT_EXIT(OpenFailsWith("DISPLAY", nullptr, "no display"), ::testing::ExitedWithCode(0), "");
    unsetenv("SDL_VIDEODRIVER");
}

TEST(GraphicsDevice, EverythingFailsQuietlyWithoutADevice)
{
    ASSERT_FALSE(GR_D3D_HasDevice());
    EXPECT_FALSE(GR_D3D_Start_Frame());
    EXPECT_FALSE(GR_D3D_Finish_Frame(true));
    EXPECT_FALSE(GR_D3D_Reset_Device());
    EXPECT_FALSE(Graphics::Clear(0, 1, 0, 7));
    EXPECT_EQ(GR_Surface_Create(8, 8), -1);
    EXPECT_FALSE(GR_Surface_Reset_Target());
    CBitmap32 image(2, 2, 0);
    EXPECT_EQ(GR_Texture_Create_From_Bitmap32(&image), -1);
    EXPECT_EQ(GR_Screen_Get_Pixel(0, 0), 0u);
    EXPECT_EQ(GR_Screen_Read_Pixels(8, 8, 0, 0, 2, 2), nullptr);
    EXPECT_EQ(GR_Screen_Grab_Bitmap(0, 0, 2, 2), nullptr);
    VertexXYZColor* v = (VertexXYZColor*)GR_Batch_Reserve(GR_POINTLIST, nullptr, 16, 1);
    ASSERT_NE(v, nullptr);
    GR_Batch_Flush();  // counted, drawn nowhere
}

TEST_F(GfxTest, FrameEndFlushesAndPresentKeepsTheFrame)
{
    ASSERT_TRUE(GR_D3D_Start_Frame());
    GR_Batch_Flush();
    int draws = GR_Batch_Stats.drawCalls;
    VertexXYZColor* v = (VertexXYZColor*)GR_Batch_Reserve(GR_POINTLIST, nullptr, 16, 1);
    *v = {3, 3, 0, 0xFFFFFFFFu};
    ASSERT_TRUE(GR_D3D_Finish_Frame(true));
    EXPECT_EQ(GR_Batch_Stats.drawCalls, draws + 1);
    EXPECT_EQ(Pixel(2, 2), WHITE);
    // Changing a transform or a render state draws what is batched first.
    v = (VertexXYZColor*)GR_Batch_Reserve(GR_POINTLIST, nullptr, 16, 1);
    *v = {5, 5, 0, 0xFFFFFFFFu};
    GR_D3D_Set_Render_State(GR_RS_ALPHABLEND, 1);  // unchanged: nothing drawn
    EXPECT_EQ(GR_Batch_Stats.drawCalls, draws + 1);
    GR_D3D_Set_Render_State(GR_RS_ALPHABLEND, 0);
    EXPECT_EQ(GR_Batch_Stats.drawCalls, draws + 2);
    float m[16];
    Matrix_Identity(m);
    v = (VertexXYZColor*)GR_Batch_Reserve(GR_POINTLIST, nullptr, 16, 1);
    GR_D3D_Set_Transform(GR_TRANSFORM_WORLD, m);
    EXPECT_EQ(GR_Batch_Stats.drawCalls, draws + 3);
}

TEST_F(GfxTest, LinesAndFlatShading)
{
    // A line from (1, 6) to (11, 6), as a line from (0, 5) to (10, 5) is given to the device.
    VertexXYZColor* v = (VertexXYZColor*)GR_Batch_Reserve(GR_LINELIST, nullptr, 16, 2);
    v[0] = {1, 6, 0, 0xFFFFFFFFu};
    v[1] = {11, 6, 0, 0xFFFFFFFFu};
    EXPECT_EQ(Pixel(1, 5), WHITE);
    EXPECT_EQ(Pixel(10, 5), WHITE);
    EXPECT_EQ(Pixel(5, 4), BLACK);
    EXPECT_EQ(Pixel(5, 6), BLACK);
    EXPECT_EQ(Pixel(11, 5), BLACK);
    // Flat shading takes the first vertex's colour.
    GR_D3D_Set_Shading(false);
    v = (VertexXYZColor*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 16, 3);
    v[0] = {20, 20, 0, 0xFFFF0000u};
    v[1] = {40, 20, 0, 0xFF00FF00u};
    v[2] = {20, 40, 0, 0xFF0000FFu};
    EXPECT_EQ(Pixel(25, 25), RED);
    GR_D3D_Set_Shading(true);
}

TEST_F(GfxTest, LinearInterpolationBlendsTexels)
{
    CBitmap32 image(2, 1, 0xFF000000u);
    image.m_pixels[1] = 0xFFFFFFFFu;
    int tex = GR_Texture_Create_From_Bitmap32(&image);
    GR_Texture_Draw_Ext(tex, 0, 0, 0, 0, 16, 1, 0, WHITE, 1);
    EXPECT_EQ(Pixel(7, 0), BLACK);
    GR_Texture_Set_Interpolation(true);
    EXPECT_TRUE(GR_Texture_Get_Interpolation());
    GR_Texture_Draw_Ext(tex, 0, 0, 0, 2, 16, 1, 0, WHITE, 1);
    uint32_t mid = Pixel(16, 2);  // halfway between the two texel centres
    EXPECT_GT(mid & 0xFF, 0x20u);
    EXPECT_LT(mid & 0xFF, 0xE0u);
    GR_Texture_Set_Interpolation(false);
}
