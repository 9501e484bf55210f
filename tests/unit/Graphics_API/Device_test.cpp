#include "GfxTest.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Graphics_API/Bitmap32.h"

#include <string>
#include <vector>

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

// Draws what depends on the target's row order: a viewport off the origin with a clear and a
// triangle in it, culling of one turn, lines and points on pixel corners, a turned image scaled
// with and without interpolation, half-transparent blending that leaves alpha below 255, and a
// surface drawn from and into the screen; then presents, and draws a second frame over the first.
// Returns the screen's pixels as read after each present.
static std::vector<uint32_t> DrawOrientedScene(int w, int h)
{
    std::vector<uint32_t> frames;
    auto keep = [&]() {
        uint32_t* pixels = GR_Screen_Read_Pixels(w, h, 0, 0, w, h);
        if (pixels) frames.insert(frames.end(), pixels, pixels + w * h);
        MemFree(pixels);
    };
    GR_D3D_Set_Projection_2D(0, 0, (float)w, (float)h, 0);
    Graphics::Clear(0xFF102030u, 1, 0, 7);
    GR_D3D_Set_Viewport(4, 30, 20, 10);
    GR_D3D_Set_Projection_2D(0, 0, 20, 10, 0);
    Graphics::Clear(0xFF00FF00u, 1, 0, 1);
    VertexXYZColor* v = (VertexXYZColor*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 16, 3);
    v[0] = {0, 0, 0, 0xFFFF0000u}, v[1] = {12, 0, 0, 0xFF0000FFu}, v[2] = {0, 9, 0, 0xFFFFFFFFu};
    GR_D3D_Set_Viewport(0, 0, w, h);
    GR_D3D_Set_Projection_2D(0, 0, (float)w, (float)h, 0);
    GR_D3D_Set_Culling(true);
    for (int turn = 0; turn < 2; turn++) {
        v = (VertexXYZColor*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 16, 3);
        float x = 30.0f + 12 * turn;
        v[0] = {x, 2, 0, 0xFFFFFF00u}, v[1] = turn ? VertexXYZColor{x, 12, 0, 0xFFFFFF00u} : VertexXYZColor{x + 10, 2, 0, 0xFFFFFF00u};
        v[2] = turn ? VertexXYZColor{x + 10, 2, 0, 0xFF00FFFFu} : VertexXYZColor{x, 12, 0, 0xFF00FFFFu};
    }
    GR_D3D_Set_Culling(false);
    v = (VertexXYZColor*)GR_Batch_Reserve(GR_LINELIST, nullptr, 16, 4);
    v[0] = {1, 20, 0, 0xFFFFFFFFu}, v[1] = {11, 20, 0, 0xFFFFFFFFu};
    v[2] = {14, 14, 0, 0xFFFF00FFu}, v[3] = {14, 26, 0, 0xFFFF00FFu};
    v = (VertexXYZColor*)GR_Batch_Reserve(GR_POINTLIST, nullptr, 16, 2);
    v[0] = {1, 1, 0, 0xFFFFFFFFu}, v[1] = {(float)w, (float)h, 0, 0xFF808080u};
    CBitmap32 image(3, 2, 0xFF0000FFu);
    image.m_pixels[1] = 0xFFFFFFFFu, image.m_pixels[5] = 0x80FF0000u;
    int tex = GR_Texture_Create_From_Bitmap32(&image);
    GR_Texture_Draw_Ext(tex, 1, 1, 40, 30, 4, 3, 30, WHITE, 0.75f);
    GR_Texture_Set_Interpolation(true);
    GR_Texture_Draw_Ext(tex, 0, 0, 46, 20, 3.5f, 2.5f, 0, WHITE, 1);
    GR_Texture_Set_Interpolation(false);
    int s = GR_Surface_Create(8, 8);
    GR_Surface_Set_Target(s);
    Graphics::Clear(0xFF0000FFu, 1, 0, 1);
    GR_Texture_Draw_Ext(tex, 0, 0, 1, 1, 2, 2, 0, WHITE, 1);
    GR_Surface_Reset_Target();
    GR_Surface_Draw_Ext(s, 20, 36, 1, 1, 90, WHITE, 1);
    keep();
    GR_D3D_Finish_Frame(true);
    keep();
    // The next frame builds on the last.
    v = (VertexXYZColor*)GR_Batch_Reserve(GR_POINTLIST, nullptr, 16, 1);
    v[0] = {3, 3, 0, 0xFF00FF00u};
    GR_D3D_Finish_Frame(true);
    keep();
    GR_Surface_Free(s);
    GR_Texture_Free(tex);
    return frames;
}

TEST_F(GfxTest, TheWindowsFramebufferGivesThePixelsOfTheOffScreenOne)
{
    // Under the test display (Xvfb, llvmpipe) the window's framebuffer serves as the back buffer.
    ASSERT_TRUE(GR_D3D_Draws_To_Window());
    std::vector<uint32_t> direct = DrawOrientedScene(W, H);
    GR_D3D_Allow_Window_Drawing(false);
    ASSERT_TRUE(GR_D3D_Reset_Device());
    GR_D3D_Allow_Window_Drawing(true);
    ASSERT_FALSE(GR_D3D_Draws_To_Window());
    std::vector<uint32_t> offscreen = DrawOrientedScene(W, H);
    ASSERT_EQ(direct.size(), (size_t)3 * W * H);
    ASSERT_EQ(offscreen.size(), direct.size());
    int differ = 0;
    for (size_t i = 0; i < direct.size(); i++)
        if (direct[i] != offscreen[i] && differ++ < 8)
            ADD_FAILURE() << "frame " << i / (W * H) << " pixel (" << i % W << ", " << i / W % H << "): window 0x"
                          << std::hex << direct[i] << ", off-screen 0x" << offscreen[i];
    EXPECT_EQ(differ, 0);
    // The scene is what it says: the two triangles' turns, the translucent alpha, the later point.
    const uint32_t* last = &direct[2 * W * H];
    const uint32_t background = 0xFF102030u;
    EXPECT_NE(last[4 * W + 32], background);
    EXPECT_EQ(last[4 * W + 44], background);
    EXPECT_NE(last[31 * W + 5], 0xFF00FF00u);  // the triangle at the viewport's corner
    EXPECT_EQ(last[39 * W + 23], 0xFF00FF00u);  // its clear's far corner
    EXPECT_EQ(last[40 * W + 23], background);
    EXPECT_EQ(last[2 * W + 2], 0xFF00FF00u);
    EXPECT_EQ(direct[2 * W + 2], background);
    int translucent = 0;
    for (int i = 0; i < W * H; i++) translucent += (last[i] >> 24) < 0xFF;
    EXPECT_GT(translucent, 0);
    // Back on the window, and what a reset leaves is usable.
    ASSERT_TRUE(GR_D3D_Reset_Device());
    EXPECT_TRUE(GR_D3D_Draws_To_Window());
}

// Textured drawing goes through the device's own program while lighting and fog are off and
// through the fixed-function pipeline while either is on; the two give the same pixels. Fog that
// starts far beyond the drawing has a factor of 1 and changes no colour, so a scene drawn under it
// shows the pipeline's own pixels: turned, scaled and filtered images, translucent texels and
// colours, and corner colours shaded flat and smooth.
TEST_F(GfxTest, TexturedDrawingGivesThePixelsOfTheFixedFunctionPipeline)
{
    CBitmap32 image(3, 2, 0xFF0000FFu);
    image.m_pixels[1] = 0xFFFFFFFFu, image.m_pixels[4] = 0x80FF0000u, image.m_pixels[5] = 0x4000FF00u;
    int tex = GR_Texture_Create_From_Bitmap32(&image);
    auto scene = [&]() {
        Graphics::Clear(0xFF203040u, 1, 0, 1);
        GR_Texture_Draw_Ext(tex, 1, 1, 10, 10, 5, 4, 30, 0x80FFC0, 0.75f);
        GR_Texture_Set_Interpolation(true);
        GR_Texture_Draw_Ext(tex, 0, 0, 30, 2, 7.3f, 5.1f, 0, WHITE, 1);
        GR_Texture_Draw_Ext(tex, 0, 0, 44, 12, 3.7f, 2.9f, 17, 0x40FF40, 0.5f);
        for (int smooth = 0; smooth < 2; smooth++) {
            GR_D3D_Set_Shading(smooth);
            auto* v = (VertexXYZColorUV*)GR_Batch_Reserve_Quads(GR_Texture_Get_API_Texture(tex), sizeof(VertexXYZColorUV), 1);
            ASSERT_NE(v, nullptr);
            float x = 2.0f + 30 * smooth;
            v[0] = {x, 27, 0, 0xFFFF0000u, 0, 0}, v[1] = {x + 19.5f, 27, 0, 0x8000FF00u, 1, 0};
            v[2] = {x + 19.5f, 46, 0, 0xFF0000FFu, 1, 1}, v[3] = {x, 46, 0, 0xC0FFFFFFu, 0, 1};
        }
        GR_Texture_Set_Interpolation(false);
    };
    scene();
    std::vector<uint32_t> plain = ScreenPixels(W, H);
    GR_D3D_Set_Fog(true, GREEN, 60000, 65000);
    scene();
    std::vector<uint32_t> fixed = ScreenPixels(W, H);
    ASSERT_EQ(plain.size(), (size_t)W * H);
    ASSERT_EQ(fixed.size(), plain.size());
    EXPECT_EQ(Differences(plain, fixed, W, "program", "fixed function"), 0);
    int drawn = 0;
    for (uint32_t pixel : plain) drawn += pixel != 0xFF203040u;
    EXPECT_GT(drawn, W * H / 4);
    // Fog that has begun before the drawing gives its colour to textured drawing as to the rest.
    GR_D3D_Set_Fog(true, GREEN, 0, 1);
    GR_Texture_Draw_Ext(tex, 0, 0, 0, 0, 4, 4, 0, WHITE, 1);
    EXPECT_EQ(Pixel(1, 1), GREEN);
    GR_D3D_Set_Fog(false, 0, 0, 1);
    GR_Texture_Free(tex);
}

// Quads whose corners share a colour are shaded flat by the device, which must leave their pixels
// as smooth shading gives them: the same quads drawn as triangles give the same pixels. A quad of
// corners of different colours in the batch keeps its gradient.
TEST_F(GfxTest, QuadsOfOneColourGiveThePixelsOfSmoothShading)
{
    CBitmap32 image(3, 2, 0xFF0000FFu);
    image.m_pixels[1] = 0xFFFFFFFFu, image.m_pixels[4] = 0x80FF0000u;
    int tex = GR_Texture_Create_From_Bitmap32(&image);
    GR_DeviceTexture* device = GR_Texture_Get_API_Texture(tex);
    const uint32_t colours[3] = {0xC0FF8040u, 0x8040FF80u, 0xFFFFFFFFu};
    // Quad q's corners: top-left, top-right, bottom-right, bottom-left, a little turned.
    auto corner = [&](int q, int k, uint32_t colour) {
        float x = 3.0f + 20 * q + (k == 1 || k == 2 ? 15.5f : 0) + (k >= 2 ? 2.25f : 0);
        float y = 5.0f + (k >= 2 ? 30.0f : 0) - (k == 1 || k == 2 ? 3.5f : 0);
        return VertexXYZColorUV{x, y, 0, colour, k == 1 || k == 2 ? 1.0f : 0.0f, k >= 2 ? 1.0f : 0.0f};
    };
    auto read = [&]() {
        GR_Batch_Flush();
        std::vector<uint32_t> kept = ScreenPixels(W, H);
        Graphics::Clear(0xFF000000u, 1, 0, 1);
        return kept;
    };
    GR_Texture_Set_Interpolation(true);
    auto* quads = (VertexXYZColorUV*)GR_Batch_Reserve_Quads(device, sizeof(VertexXYZColorUV), 3);
    ASSERT_NE(quads, nullptr);
    for (int q = 0; q < 3; q++)
        for (int k = 0; k < 4; k++) quads[4 * q + k] = corner(q, k, colours[q]);
    std::vector<uint32_t> flat = read();
    static const int triangles[6] = {0, 1, 3, 1, 2, 3};
    auto* list = (VertexXYZColorUV*)GR_Batch_Reserve(GR_TRIANGLELIST, device, sizeof(VertexXYZColorUV), 18);
    ASSERT_NE(list, nullptr);
    for (int q = 0; q < 3; q++)
        for (int i = 0; i < 6; i++) list[6 * q + i] = corner(q, triangles[i], colours[q]);
    std::vector<uint32_t> smooth = read();
    ASSERT_EQ(flat.size(), (size_t)W * H);
    ASSERT_EQ(smooth.size(), flat.size());
    EXPECT_EQ(Differences(flat, smooth, W, "quads", "triangles"), 0);
    // White on the left, black on the right: halfway across, a grey.
    quads = (VertexXYZColorUV*)GR_Batch_Reserve_Quads(nullptr, sizeof(VertexXYZColorUV), 2);
    ASSERT_NE(quads, nullptr);
    quads[0] = {0, 0, 0, 0xFFFFFFFFu, 0, 0}, quads[1] = {32, 0, 0, 0xFF000000u, 0, 0};
    quads[2] = {32, 8, 0, 0xFF000000u, 0, 0}, quads[3] = {0, 8, 0, 0xFFFFFFFFu, 0, 0};
    for (int k = 0; k < 4; k++) quads[4 + k] = {quads[k].x, quads[k].y + 10, 0, 0xFF00FF00u, 0, 0};
    GR_Batch_Flush();
    uint32_t grey = Pixel(16, 4);
    EXPECT_TRUE(Near(grey, 0x7F7F7F, 8)) << std::hex << grey;
    EXPECT_EQ(Pixel(16, 14), GREEN);
    GR_Texture_Set_Interpolation(false);
    GR_Texture_Free(tex);
}

// The window's framebuffer has no depth under the test display, so the device draws screen-aligned
// quads as rectangles there, and the off-screen back buffer (with depth) as triangles: both give
// the same pixels. 400 overlapping translucent quads, scaled and filtered, on and off pixel edges,
// some mirrored, more than one draw of the device takes, so a quad lost or drawn out of order
// between two draws changes the picture.
TEST_F(GfxTest, ScreenAlignedQuadsGiveThePixelsOfTriangles)
{
    CBitmap32 image(4, 4, 0xFFFFFFFFu);
    for (int i = 0; i < 16; i += 3) image.m_pixels[i] = 0x40FF8000u;
    int tex = GR_Texture_Create_From_Bitmap32(&image);
    GR_DeviceTexture* device = GR_Texture_Get_API_Texture(tex);
    const int count = 400;
    auto scene = [&]() {
        Graphics::Clear(0xFF203040u, 1, 0, 1);
        GR_Texture_Set_Interpolation(true);
        auto* v = (VertexXYZColorUV*)GR_Batch_Reserve_Quads(device, sizeof(VertexXYZColorUV), count);
        ASSERT_NE(v, nullptr);
        for (int q = 0; q < count; q++, v += 4) {
            float x = (float)(q % 20 * 3) + (q % 3) * 0.5f, y = (float)(q / 20) * 2.25f, side = 3.0f + q % 4;
            uint32_t colour = (0x60u + q % 0xA0u) << 24 | (uint32_t)(q * 2654435761u >> 8 & 0xFFFFFF);
            // Some mirrored across, some upside down (their triangles turn the other way).
            float left = q % 5 == 0 ? x + side : x, right = q % 5 == 0 ? x : x + side;
            float top = q % 7 == 0 ? y + side : y, bottom = q % 7 == 0 ? y : y + side;
            v[0] = {left, top, 0, colour, 0, 0}, v[1] = {right, top, 0, colour, 1, 0};
            v[2] = {right, bottom, 0, colour, 1, 1}, v[3] = {left, bottom, 0, colour, 0, 1};
        }
        GR_Batch_Flush();
        GR_Texture_Set_Interpolation(false);
    };
    ASSERT_TRUE(GR_D3D_Draws_To_Window());
    scene();
    std::vector<uint32_t> rectangles = ScreenPixels(W, H);
    GR_D3D_Allow_Window_Drawing(false);
    ASSERT_TRUE(GR_D3D_Reset_Device());
    GR_D3D_Allow_Window_Drawing(true);
    ASSERT_FALSE(GR_D3D_Draws_To_Window());
    tex = GR_Texture_Create_From_Bitmap32(&image);
    device = GR_Texture_Get_API_Texture(tex);
    scene();
    std::vector<uint32_t> triangles = ScreenPixels(W, H);
    ASSERT_EQ(rectangles.size(), (size_t)W * H);
    ASSERT_EQ(triangles.size(), rectangles.size());
    EXPECT_EQ(Differences(rectangles, triangles, W, "rectangles", "triangles"), 0);
    // Most of the picture is drawn, and the last quad (6 pixels from (57, 42.75)) lies over the others.
    int background = 0;
    for (uint32_t pixel : rectangles) background += pixel == 0xFF203040u;
    EXPECT_LT(background, W * H / 8);
    EXPECT_NE(rectangles[45 * W + 59], rectangles[42 * W + 59]);
    GR_Texture_Free(tex);
}

// A draw that tests depth in the window, which has none, first moves the frame off-screen with
// what it holds: the earlier drawing stays where it was (rows not turned over), the viewport and
// its projection still place the shapes, depth hides the farther shape, and the frame presents as
// one drawn off-screen from the start. A new device draws into the window again.
TEST_F(GfxTest, DepthMovesTheWindowsFrameOffScreenWithItsPixels)
{
    CBitmap32 solid(1, 1, 0xFFFFFFFFu);
    int tex = GR_Texture_Create_From_Bitmap32(&solid);
    auto scene = [&]() {
        Graphics::Clear(0xFF102030u, 1, 0, 7);
        GR_Texture_Draw_Ext(tex, 0, 0, 0, 0, 10, 5, 0, RED, 1);
        GR_D3D_Set_Viewport(32, 8, 32, 40);
        GR_D3D_Set_Projection_2D(0, 0, 32, 40, 0);
        GR_D3D_Set_Hidden(true);
        GR_Depth = -100;
        GR_Texture_Draw_Ext(tex, 0, 0, 4, 4, 10, 10, 0, BLUE, 1);
        GR_Depth = 100;
        GR_Texture_Draw_Ext(tex, 0, 0, 8, 8, 10, 10, 0, GREEN, 1);
        GR_D3D_Set_Hidden(false);
        GR_Depth = 0;
        GR_D3D_Set_Viewport(0, 0, W, H);
        Use2D(W, H);
        GR_Batch_Flush();
        std::vector<uint32_t> drawn = ScreenPixels(W, H);
        GR_D3D_Finish_Frame(true);
        std::vector<uint32_t> presented = ScreenPixels(W, H);
        drawn.insert(drawn.end(), presented.begin(), presented.end());
        return drawn;
    };
    ASSERT_TRUE(GR_D3D_Draws_To_Window());
    std::vector<uint32_t> moved = scene();
    EXPECT_FALSE(GR_D3D_Draws_To_Window());
    ASSERT_EQ(moved.size(), (size_t)2 * W * H);
    EXPECT_EQ(moved[2 * W + 2], 0xFFFF0000u);            // red, top-left
    EXPECT_EQ(moved[(H - 3) * W + 2], 0xFF102030u);      // not at the bottom
    EXPECT_EQ(moved[(8 + 13) * W + 32 + 13], 0xFF0000FFu);  // the nearer blue over the green
    EXPECT_EQ(moved[(8 + 16) * W + 32 + 16], 0xFF00FF00u);  // the green beyond it
    EXPECT_EQ(moved[(8 + 13) * W + 13], 0xFF102030u);       // nothing left of the viewport
    GR_D3D_Allow_Window_Drawing(false);
    ASSERT_TRUE(GR_D3D_Reset_Device());
    GR_D3D_Allow_Window_Drawing(true);
    tex = GR_Texture_Create_From_Bitmap32(&solid);
    std::vector<uint32_t> offscreen = scene();
    ASSERT_EQ(offscreen.size(), moved.size());
    EXPECT_EQ(Differences(moved, offscreen, W, "moved", "off-screen"), 0);
    ASSERT_TRUE(GR_D3D_Reset_Device());
    EXPECT_TRUE(GR_D3D_Draws_To_Window());
    GR_Texture_Free(tex);
}
