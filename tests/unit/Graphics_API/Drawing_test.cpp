#include "GfxTest.h"
#include "Graphics_API/Bitmap32.h"
#include "Base/MemoryManager.h"

#include <cmath>
#include <vector>

// A texture of w x h pixels of one opaque colour (0xBBGGRR).
static int SolidTexture(int w, int h, uint32_t colour)
{
    CBitmap32 image(w, h, colour | 0xFF000000u);
    return GR_Texture_Create_From_Bitmap32(&image);
}

TEST_F(GfxTest, ClearFillsTheViewportWhateverTheWriteMask)
{
    GR_D3D_Set_Color_Write_Enable(false, false, false, false);
    Graphics::Clear(0xFF00FF00u, 1, 0, Graphics::CLEAR_COLOR);
    EXPECT_EQ(Pixel(0, 0), GREEN);
    EXPECT_EQ(Pixel(W - 1, H - 1), GREEN);
    GR_D3D_Set_Color_Write_Enable(true, true, true, true);
    GR_D3D_Set_Viewport(10, 10, 5, 5);
    Graphics::Clear(0xFFFF0000u, 1, 0, Graphics::CLEAR_COLOR);
    EXPECT_EQ(Pixel(10, 10), RED);
    EXPECT_EQ(Pixel(14, 14), RED);
    EXPECT_EQ(Pixel(15, 14), GREEN);
    EXPECT_EQ(Pixel(9, 10), GREEN);
}

TEST_F(GfxTest, PixelCornersMatchTheMatrices)
{
    // A filled rectangle from (0, 0) to (11, 11) covers pixels 0..10; a point at (x + 1, y + 1)
    // lights pixel (x, y); rows are read top first.
    VertexXYZColor* v = (VertexXYZColor*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 16, 6);
    ASSERT_NE(v, nullptr);
    float xs[6] = {0, 11, 0, 11, 11, 0}, ys[6] = {0, 0, 11, 0, 11, 11};
    for (int i = 0; i < 6; i++) v[i] = {xs[i], ys[i], 0, 0xFFFF0000u};
    v = (VertexXYZColor*)GR_Batch_Reserve(GR_POINTLIST, nullptr, 16, 1);
    *v = {31, 21, 0, 0xFF00FF00u};
    EXPECT_EQ(Pixel(0, 0), RED);
    EXPECT_EQ(Pixel(10, 10), RED);
    EXPECT_EQ(Pixel(11, 10), BLACK);
    EXPECT_EQ(Pixel(10, 11), BLACK);
    EXPECT_EQ(Pixel(30, 20), GREEN);
    EXPECT_EQ(Pixel(31, 20), BLACK);
    EXPECT_EQ(Pixel(30, 21), BLACK);
}

TEST_F(GfxTest, TexturedQuadsPlaceScaleAndRotate)
{
    int tex = SolidTexture(4, 2, RED);
    ASSERT_GE(tex, 0);
    GR_Texture_Draw(tex, 2, 3);
    EXPECT_EQ(Pixel(2, 3), RED);
    EXPECT_EQ(Pixel(5, 4), RED);
    EXPECT_EQ(Pixel(6, 4), BLACK);
    EXPECT_EQ(Pixel(5, 5), BLACK);
    // Scaled by 2 across, turned 90 degrees counter-clockwise about its origin at (40, 30): the
    // 8 x 2 quad now runs upwards from the origin.
    GR_Texture_Draw_Ext(tex, 0, 0, 40, 30, 2, 1, (float)M_PI / 2, WHITE, 1);
    EXPECT_EQ(Pixel(40, 29), RED);
    EXPECT_EQ(Pixel(41, 22), RED);
    EXPECT_EQ(Pixel(41, 21), BLACK);
    EXPECT_EQ(Pixel(42, 25), BLACK);
    EXPECT_EQ(Pixel(40, 30), BLACK);
    EXPECT_EQ(Pixel(39, 25), BLACK);
    // Colour and alpha modulate the texture.
    int white = SolidTexture(2, 2, WHITE);
    GR_Texture_Draw_Ext(white, 1, 1, 20, 20, 1, 1, 0, BLUE, 1);
    EXPECT_EQ(Pixel(19, 19), BLUE);
    EXPECT_EQ(Pixel(20, 20), BLUE);
    EXPECT_EQ(Pixel(21, 21), BLACK);
    GR_Texture_Draw_Ext(white, 0, 0, 50, 40, 1, 1, 0, WHITE, 0.5f);
    EXPECT_TRUE(Near(Pixel(50, 40), 0x808080));
}

TEST_F(GfxTest, QuadsOfMoreThanOneBatchLandInOrder)
{
    // One-pixel quads over every pixel in turn, more than a batch holds: each pixel shows the
    // colour of the last quad drawn on it, on both sides of the batch's end.
    int white = SolidTexture(1, 1, WHITE);
    ASSERT_GE(white, 0);
    const int quads = GR_BATCH_MAX_QUADS + W * H / 2;
    auto colour = [](int i) { return (uint32_t)i * 2654435761u >> 8; };
    for (int i = 0; i < quads; i++)
        GR_Texture_Draw_Ext(white, 0, 0, (float)(i % W), (float)(i / W % H), 1, 1, 0, colour(i), 1);
    uint32_t* pixels = GR_Screen_Read_Pixels(W, H, 0, 0, W, H);
    ASSERT_NE(pixels, nullptr);
    int wrong = 0;
    for (int i = quads - W * H; i < quads; i++) {
        uint32_t want = colour(i), got = pixels[i % (W * H)];
        // 0xBBGGRR against 0xAARRGGBB
        uint32_t asBGR = (got & 0xFF) << 16 | (got & 0xFF00) | (got >> 16 & 0xFF);
        if (asBGR != want && wrong++ < 5) ADD_FAILURE() << "quad " << i << std::hex << ": 0x" << asBGR << ", want 0x" << want;
    }
    EXPECT_EQ(wrong, 0);
    MemFree(pixels);
}

TEST_F(GfxTest, PartsAreClippedToTheImage)
{
    // Left half red, right half blue.
    CBitmap32 image(4, 4, 0xFF0000FFu);
    for (int y = 0; y < 4; y++) image.m_pixels[y * 4 + 2] = image.m_pixels[y * 4 + 3] = 0xFFFF0000u;
    int tex = GR_Texture_Create_From_Bitmap32(&image);
    GR_Texture_Draw_Part(tex, 2, 0, 10, 2, 10, 10, 1, 1, WHITE, 1);
    EXPECT_EQ(Pixel(10, 10), BLUE);
    EXPECT_EQ(Pixel(11, 11), BLUE);
    EXPECT_EQ(Pixel(12, 10), BLACK);
    EXPECT_EQ(Pixel(10, 12), BLACK);
    // A part starting left of the image keeps its place: the image starts two pixels in.
    GR_Texture_Draw_Part(tex, -2, 0, 4, 1, 30, 10, 1, 1, WHITE, 1);
    EXPECT_EQ(Pixel(31, 10), BLACK);
    EXPECT_EQ(Pixel(32, 10), RED);
    EXPECT_EQ(Pixel(33, 10), RED);
    // General: four corner colours on a white image.
    int white = SolidTexture(8, 8, WHITE);
    GR_Texture_Draw_General(white, 0, 0, 8, 8, 40, 20, 1, 1, 0, RED, RED, BLUE, BLUE, 1);
    EXPECT_TRUE(Near(Pixel(43, 20), RED, 40));
    EXPECT_TRUE(Near(Pixel(43, 27), BLUE, 40));
}

TEST_F(GfxTest, TilingCoversTheAreaAndStopsOnDegenerateScales)
{
    // 2 x 2 image: red top-left pixel, the rest green.
    CBitmap32 image(2, 2, 0xFF00FF00u);
    image.m_pixels[0] = 0xFF0000FFu;
    int tex = GR_Texture_Create_From_Bitmap32(&image);
    GR_Texture_Draw_Tiled(tex, 0, 0, 1, 1, 1, 1, true, true, 0, 0, 16, 8, WHITE, 1);
    EXPECT_EQ(Pixel(1, 1), RED);
    EXPECT_EQ(Pixel(15, 7), RED);
    EXPECT_EQ(Pixel(0, 0), GREEN);  // a copy to the left and above reaches into the area
    EXPECT_EQ(Pixel(16, 1), GREEN);   // the last copy that meets the area is drawn whole
    EXPECT_EQ(Pixel(17, 1), BLACK);
    EXPECT_EQ(Pixel(1, 9), BLACK);
    // Horizontal only.
    GR_Texture_Draw_Tiled(tex, 0, 0, 0, 20, 2, 2, true, false, 0, 0, W, H, WHITE, 1);
    EXPECT_EQ(Pixel(0, 20), RED);
    EXPECT_EQ(Pixel(60, 21), RED);
    EXPECT_EQ(Pixel(60, 24), BLACK);
    // Scales of 0 and tiny scales draw nothing; negative scales mirror and still cover.
    GR_Batch_Flush();
    GR_BatchStats before = GR_Batch_Stats;
    GR_Texture_Draw_Tiled(tex, 0, 0, 0, 0, 0, 1, true, true, 0, 0, W, H, WHITE, 1);
    GR_Texture_Draw_Tiled(tex, 0, 0, 0, 0, 1e-6f, 1, true, true, 0, 0, W, H, WHITE, 1);
    GR_Texture_Draw_Tiled(tex, 0, 0, 0, 0, 1, 1, true, true, 0, 0, -5, H, WHITE, 1);
    GR_Batch_Flush();
    EXPECT_EQ(GR_Batch_Stats.vertices, before.vertices);
    Graphics::Clear(0xFF000000u, 1, 0, 1);
    GR_Texture_Draw_Tiled(tex, 0, 0, 0, 0, -1, -1, true, true, 0, 0, W, H, WHITE, 1);
    EXPECT_EQ(Pixel(1, 1), RED);  // mirrored: the red pixel is bottom-right of each copy
    EXPECT_EQ(Pixel(0, 0), GREEN);
    EXPECT_EQ(Pixel(W - 1, H - 1), RED);
}

TEST_F(GfxTest, BlendModesAndFactors)
{
    int white = SolidTexture(4, 4, WHITE);
    Graphics::Clear(0xFF640000u, 1, 0, 1);  // red 100
    GR_D3D_Set_Blend_Mode(1);
    GR_Texture_Draw_Ext(white, 0, 0, 0, 0, 1, 1, 0, WHITE, 0.5f);
    EXPECT_TRUE(Near(Pixel(1, 1), 0x8080E3));  // 100 + 128 red, 128 green and blue
    GR_D3D_Set_Blend_Mode(0);
    GR_Texture_Draw_Ext(white, 0, 0, 10, 0, 1, 1, 0, WHITE, 0.5f);
    EXPECT_TRUE(Near(Pixel(11, 1), 0x8080B2));  // halfway from 100 to 255
    // Zero and one keep what is there; the two BOTH factors set both ends.
    GR_D3D_Set_Blend_Factors(GR_BLEND_ZERO, GR_BLEND_ONE);
    GR_Texture_Draw_Ext(white, 0, 0, 20, 0, 1, 1, 0, WHITE, 1);
    EXPECT_TRUE(Near(Pixel(21, 1), 0x000064));
    GR_D3D_Set_Blend_Factors(GR_BLEND_BOTHINVSRCALPHA, 0);
    GR_Texture_Draw_Ext(white, 0, 0, 30, 0, 1, 1, 0, WHITE, 1);
    EXPECT_TRUE(Near(Pixel(31, 1), 0x000064));  // inverse source alpha of an opaque image is 0
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_DESTBLEND), (uint32_t)GR_BLEND_SRCALPHA);
    GR_D3D_Set_Blend_Factors(99, GR_BLEND_ZERO);  // an unknown factor is ignored
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_SRCBLEND), (uint32_t)GR_BLEND_INVSRCALPHA);
    // Alpha blending off draws the source as it is.
    GR_D3D_Set_Blend_Mode(0);
    GR_D3D_Set_Render_State(GR_RS_ALPHABLEND, 0);
    GR_Texture_Draw_Ext(white, 0, 0, 40, 0, 1, 1, 0, BLUE, 0.1f);
    EXPECT_EQ(Pixel(41, 1), BLUE);
    EXPECT_FALSE(GR_D3D_Set_Render_State(GR_RS_COUNT, 1));
}

TEST_F(GfxTest, ColourWriteMaskKeepsMaskedChannels)
{
    Graphics::Clear(0xFFFF0000u, 1, 0, 1);
    int white = SolidTexture(4, 4, WHITE);
    GR_D3D_Set_Color_Write_Enable(false, true, true, true);
    GR_Texture_Draw_Ext(white, 0, 0, 0, 0, 1, 1, 0, BLUE, 1);
    EXPECT_EQ(Pixel(1, 1), BLUE | RED);
    GR_D3D_Set_Color_Write_Enable(true, true, true, true);
    GR_Texture_Draw_Ext(white, 0, 0, 0, 0, 1, 1, 0, GREEN, 1);
    EXPECT_EQ(Pixel(1, 1), GREEN);
}

TEST_F(GfxTest, MissingTexturesAndHandlesDrawNothing)
{
    GR_Batch_Flush();
    GR_BatchStats before = GR_Batch_Stats;
    GR_Texture_Draw(-1, 0, 0);
    GR_Texture_Draw(12345, 0, 0);
    GR_Texture_Draw_TPage(TPage_Get(12345), 0, 0);
    GR_Texture_Draw_TPage(TPage_Get(-5), 0, 0);
    GR_Texture_Draw_Ext_TPage(nullptr, 0, 0, 0, 0, 1, 1, 0, WHITE, 1);
    GR_Surface_Draw(7, 0, 0);
    GR_Batch_Flush();
    EXPECT_EQ(GR_Batch_Stats.vertices, before.vertices);
    EXPECT_EQ(GR_Texture_Get_API_Texture(12345), nullptr);
    EXPECT_FLOAT_EQ(GR_Texture_Get_Width(-3), 1.0f);
    // Sizes beyond the device fail; ids are reused after a free.
    CBitmap32 huge(20000, 1, 0);
    EXPECT_EQ(GR_Texture_Create_From_Bitmap32(&huge), -1);
    EXPECT_EQ(GR_Texture_Create_From_Bitmap32(nullptr), -1);
    int a = SolidTexture(2, 2, RED), b = SolidTexture(2, 2, RED);
    EXPECT_NE(a, b);
    GR_Texture_Free(a);
    EXPECT_FALSE(GR_Texture_Exists(a));
    EXPECT_EQ(SolidTexture(2, 2, RED), a);
    uint8_t alpha[4] = {0, 255, 255, 0};
    EXPECT_EQ(GR_Texture_Create_From_Alpha(2, 2, 3, alpha), -1);
    int mask = GR_Texture_Create_From_Alpha(2, 2, 4, alpha);
    ASSERT_GE(mask, 0);
    uint32_t* pixels = GR_D3D_Texture_Read_Pixels(GR_Texture_Get_API_Texture(mask), 0, 0, 2, 2);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[0], 0x00FFFFFFu);
    EXPECT_EQ(pixels[1], 0xFFFFFFFFu);
    MemFree(pixels);
}

TEST_F(GfxTest, HiddenSurfacesAndCulling)
{
    // With depth testing the nearer of two quads wins whatever the order.
    GR_D3D_Set_Hidden(true);
    int red = SolidTexture(8, 8, RED), blue = SolidTexture(8, 8, BLUE);
    GR_Depth = -100;
    GR_Texture_Draw(red, 0, 0);
    GR_Depth = 100;
    GR_Texture_Draw(blue, 4, 4);
    EXPECT_EQ(Pixel(5, 5), RED);
    GR_D3D_Set_Hidden(false);
    GR_Texture_Draw(blue, 4, 4);
    EXPECT_EQ(Pixel(5, 5), BLUE);
    GR_Depth = 0;
    // Culling drops triangles that turn counter-clockwise on the screen.
    GR_D3D_Set_Culling(true);
    VertexXYZColor* v = (VertexXYZColor*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 16, 6);
    float clockwise[6] = {20, 20, 30, 20, 20, 30}, counter[6] = {40, 20, 40, 30, 50, 20};
    for (int i = 0; i < 3; i++) v[i] = {clockwise[i * 2], clockwise[i * 2 + 1], 0, 0xFF00FF00u};
    for (int i = 0; i < 3; i++) v[3 + i] = {counter[i * 2], counter[i * 2 + 1], 0, 0xFF00FF00u};
    EXPECT_EQ(Pixel(22, 22), GREEN);
    EXPECT_EQ(Pixel(42, 22), BLACK);
    GR_D3D_Set_Culling(false);
}

TEST_F(GfxTest, DepthClearsFollowWhatWroteDepth)
{
    // A clear of depth after shapes wrote it lets farther shapes through again, over the whole
    // screen: also after a clear of a viewport inside it, which leaves the depth around it as it was.
    int red = SolidTexture(W, H, RED), blue = SolidTexture(W, H, BLUE), green = SolidTexture(W, H, GREEN);
    GR_D3D_Set_Hidden(true);
    for (int round = 0; round < 2; round++) {
        Graphics::Clear(0xFF000000u, 1, 0, Graphics::CLEAR_COLOR | Graphics::CLEAR_DEPTH);
        Graphics::Clear(0xFF000000u, 1, 0, Graphics::CLEAR_DEPTH);  // nothing written since
        GR_Depth = -100;
        GR_Texture_Draw(red, 0, 0);
        GR_Depth = 100;
        GR_Texture_Draw(blue, 0, 0);
        EXPECT_EQ(Pixel(5, 5), RED);
        if (round == 1) {
            GR_D3D_Set_Viewport(10, 10, 8, 8);
            Graphics::Clear(0xFF000000u, 1, 0, Graphics::CLEAR_DEPTH);
            GR_D3D_Set_Viewport(0, 0, W, H);
            Use2D(W, H);
        }
        Graphics::Clear(0xFF000000u, 1, 0, Graphics::CLEAR_DEPTH);
        GR_Texture_Draw(green, 0, 0);
        EXPECT_EQ(Pixel(5, 5), GREEN) << "round " << round;
        EXPECT_EQ(Pixel(W - 1, H - 1), GREEN) << "round " << round;
    }
    // Shapes drawn without depth writes leave the depth as it was.
    Graphics::Clear(0xFF000000u, 1, 0, Graphics::CLEAR_COLOR | Graphics::CLEAR_DEPTH);
    GR_D3D_Set_ZWriteEnable(false);
    GR_Depth = -100;
    GR_Texture_Draw(red, 0, 0);
    GR_D3D_Set_ZWriteEnable(true);
    GR_Depth = 100;
    GR_Texture_Draw(blue, 0, 0);
    EXPECT_EQ(Pixel(5, 5), BLUE);
    GR_D3D_Set_Hidden(false);
    GR_Depth = 0;
    GR_Texture_Free(red);
    GR_Texture_Free(blue);
    GR_Texture_Free(green);
}

TEST_F(GfxTest, CopyRectClipsToBothTextures)
{
    CBitmap32 source(4, 4, 0xFF0000FFu);
    source.m_pixels[0] = 0xFFFF0000u;
    int from = GR_Texture_Create_From_Bitmap32(&source);
    CBitmap32 dest(4, 4, 0xFF000000u);
    int to = GR_Texture_Create_From_Bitmap32(&dest);
    GR_DeviceTexture* a = GR_Texture_Get_API_Texture(from);
    GR_DeviceTexture* b = GR_Texture_Get_API_Texture(to);
    // A negative source corner counts as 0; the size is clipped to the destination.
    GR_D3D_Texture_Copy_Rect(b, 2, 1, a, -1, -1, 10, 10);
    uint32_t* pixels = GR_D3D_Texture_Read_Pixels(b, 0, 0, 4, 4);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[1 * 4 + 2], 0xFF0000FFu);  // the blue corner, as 0xAARRGGBB
    EXPECT_EQ(pixels[3 * 4 + 3], 0xFFFF0000u);
    EXPECT_EQ(pixels[1 * 4 + 1], 0xFF000000u);
    EXPECT_EQ(pixels[0], 0xFF000000u);
    MemFree(pixels);
    GR_D3D_Texture_Copy_Rect(b, 5, 0, a, 0, 0, 2, 2);  // clips to nothing
    GR_D3D_Texture_Copy_Rect(nullptr, 0, 0, a, 0, 0, 2, 2);
    EXPECT_EQ(GR_D3D_Texture_Read_Pixels(b, 4, 0, 2, 2), nullptr);
    EXPECT_EQ(GR_D3D_Texture_Read_Pixels(nullptr, 0, 0, 2, 2), nullptr);
}

// A white quad facing the camera with 36-byte vertices.
static void LitQuad(float x, float y)
{
    VertexXYZNormalColorUV* v = (VertexXYZNormalColorUV*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 36, 6);
    float xs[6] = {0, 8, 0, 8, 8, 0}, ys[6] = {0, 0, 8, 0, 8, 8};
    for (int i = 0; i < 6; i++) v[i] = {x + xs[i], y + ys[i], 0, 0, 0, -1, 0xFFFFFFFFu, 0, 0};
}

TEST_F(GfxTest, LightsAndFog)
{
    GR_D3D_Set_Lighting(true);
    GR_D3D_Light_Define_Ambient(0x202020);
    GR_D3D_Light_Define_Direction(8, 0, 0, 1, WHITE);  // index 8 is light 0
    GR_D3D_Light_Enable(0, true);
    LitQuad(0, 0);
    EXPECT_TRUE(Near(Pixel(4, 4), WHITE));
    GR_D3D_Light_Define_Direction(0, 0, 0, -1, WHITE);  // shining from behind
    LitQuad(10, 0);
    EXPECT_TRUE(Near(Pixel(14, 4), 0x202020));
    GR_D3D_Light_Enable(0, false);
    // A point light in front of the quad, fading with distance.
    GR_D3D_Light_Define_Point(1, 24, 4, -10, 10, WHITE);
    GR_D3D_Light_Enable(1, true);
    LitQuad(20, 0);
    uint32_t lit = Pixel(24, 4);
    EXPECT_GT(lit & 0xFF, 0x40u);
    EXPECT_LT(lit & 0xFF, 0xF0u);
    GR_D3D_Set_Lighting(false);
    // Fog by distance from the eye: the quads lie 16000 away.
    GR_D3D_Set_Fog(true, RED, 0, 8000);
    LitQuad(30, 0);
    EXPECT_EQ(Pixel(34, 4), RED);
    GR_D3D_Set_Fog(true, RED, 0, 32000);
    LitQuad(40, 0);
    EXPECT_TRUE(Near(Pixel(44, 4), 0x8080FF, 3));
    GR_D3D_Set_Fog(false, RED, 0, 1);
    LitQuad(50, 0);
    EXPECT_EQ(Pixel(54, 4), WHITE);
}

// Draws shapes into the current target, seen as a room of w x h: turned, scaled and translucent
// images inside it at fractional places, solid shapes across each edge and one reaching far past
// all four, lines out of it. Returns its w x h pixels (0xAARRGGBB, rows top first) read from the
// surface.
static std::vector<uint32_t> DrawAcrossTheEdges(int surface, int w, int h, int texture)
{
    GR_D3D_Set_Projection_2D(0, 0, (float)w, (float)h, 0);
    Graphics::Clear(0xFF203040u, 1, 0, 7);
    for (int i = 0; i < 12; i++)
        GR_Texture_Draw_Ext(texture, 1.5f, 0.75f, 9.3f + 3.7f * i, 7.1f + 2.9f * i, 1.7f + 0.3f * i, 2.3f - 0.2f * i,
                            0.37f * i, 0xFFFFFFu - 0x111111u * i, 0.9f - 0.05f * i);
    // The far one first, so that the others show their own colours over its tint.
    VertexXYZColor* v = (VertexXYZColor*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 16, 12);
    v[0] = {-1e5f, -1e5f, 0, 0x40FFFF00u}, v[1] = {1e5f, -0.5e5f, 0, 0x40FFFF00u}, v[2] = {0, 1e5f, 0, 0x40FFFF00u};
    v[3] = {-7.3f, 5.2f, 0, 0xFFFF0000u}, v[4] = {12.6f, 3.9f, 0, 0xFFFF0000u}, v[5] = {3.1f, 19.7f, 0, 0xFFFF0000u};
    v[6] = {w - 9.4f, h - 3.3f, 0, 0xFF00FF00u}, v[7] = {w + 6.8f, h - 12.1f, 0, 0xFF00FF00u}, v[8] = {w + 2.2f, h + 7.5f, 0, 0xFF00FF00u};
    v[9] = {20.5f, -4.25f, 0, 0xC00000FFu}, v[10] = {w - 20.5f, -6.5f, 0, 0xC00000FFu}, v[11] = {w / 2.0f, 9.75f, 0, 0xC00000FFu};
    v = (VertexXYZColor*)GR_Batch_Reserve(GR_LINELIST, nullptr, 16, 4);
    v[0] = {-30, 13, 0, 0xFFFFFFFFu}, v[1] = {w + 30.0f, 13, 0, 0xFFFFFFFFu};
    v[2] = {18, -30, 0, 0xFFFF00FFu}, v[3] = {18, h + 30.0f, 0, 0xFFFF00FFu};
    GR_Batch_Flush();
    std::vector<uint32_t> pixels;
    uint32_t* read = GR_D3D_Texture_Read_Pixels(GR_Texture_Get_API_Texture(GR_Surface_Get_Texture(surface)), 0, 0,
                                                GR_Surface_Get_Width(surface), GR_Surface_Get_Height(surface));
    if (!read) return pixels;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) pixels.push_back(read[y * GR_Surface_Get_Width(surface) + x]);
    MemFree(read);
    return pixels;
}

TEST_F(GfxTest, ShapesAcrossTheTargetsEdgesDrawAsInsideALargerOne)
{
    // A target drawn whole (even sides: its viewport may reach past its edges on the device) and
    // the same room drawn into the corner of a larger target, where the viewport ends inside it:
    // every pixel of the room alike, and nothing past the smaller viewport.
    CBitmap32 image(3, 2, 0xFF0000FFu);
    image.m_pixels[1] = 0xFFFFFFFFu, image.m_pixels[4] = 0x80FF0000u;
    int tex = GR_Texture_Create_From_Bitmap32(&image);
    const int w = 48, h = 32;
    int whole = GR_Surface_Create(w, h), larger = GR_Surface_Create(w + 5, h + 3);
    ASSERT_GE(whole, 0);
    ASSERT_GE(larger, 0);
    ASSERT_TRUE(GR_Surface_Set_Target(whole));
    std::vector<uint32_t> a = DrawAcrossTheEdges(whole, w, h, tex);
    GR_Surface_Reset_Target();
    ASSERT_TRUE(GR_Surface_Set_Target(larger));
    GR_D3D_Set_Projection_2D(0, 0, w + 5.0f, h + 3.0f, 0);
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    GR_D3D_Set_Viewport(0, 0, w, h);
    std::vector<uint32_t> b = DrawAcrossTheEdges(larger, w, h, tex);
    uint32_t* outside = GR_D3D_Texture_Read_Pixels(GR_Texture_Get_API_Texture(GR_Surface_Get_Texture(larger)), 0, 0, w + 5, h + 3);
    GR_Surface_Reset_Target();
    ASSERT_EQ(a.size(), (size_t)w * h);
    ASSERT_EQ(b.size(), a.size());
    EXPECT_EQ(Differences(a, b, w, "whole", "larger"), 0);
    ASSERT_NE(outside, nullptr);
    int spilt = 0;
    for (int y = 0; y < h + 3; y++)
        for (int x = 0; x < w + 5; x++) spilt += (x >= w || y >= h) && outside[y * (w + 5) + x] != 0xFF000000u;
    EXPECT_EQ(spilt, 0);
    MemFree(outside);
    // The scene is what it says: the shapes across the corners, the far one's tint, the lines.
    EXPECT_EQ(a[10 * w + 0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(a[(h - 1) * w + w - 1] & 0xFFFFFF, 0x00FF00u);
    EXPECT_NE(a[(h - 1) * w + 0], 0xFF203040u);
    EXPECT_EQ(a[12 * w + w - 1], 0xFFFFFFFFu);
    EXPECT_EQ(a[0 * w + 17] & 0xFFFFFF, 0xFF00FFu);
    GR_Surface_Free(whole);
    GR_Surface_Free(larger);
    GR_Texture_Free(tex);
}
