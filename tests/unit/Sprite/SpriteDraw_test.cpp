// Sprite drawing, read back from the screen: frames, turns, scales, blending, view culling.
#include "../Base/CapturedWarnings.h"
#include "../Graphics_API/GfxTest.h"
#include "../Graphics_API/PngBytes.h"
#include "SprtBuilder.h"

#include "Base/Console.h"
#include "Graphics/Graphics3D.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/DrawRegion.h"
#include "Graphics_API/Image.h"
#include "Platform/TBitmap.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

#include <cmath>

namespace {

class SpriteDraw : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        sprt::Game g;
        g.pageEntries = 3;
        sprt::Record squares;
        squares.width = squares.height = 8;
        squares.xorig = 2, squares.yorig = 3;
        squares.frames = {0, 1};
        sprt::Record bar;
        bar.name = 1;
        bar.width = 16, bar.height = 4;
        bar.frames = {2};
        g.sprites = {squares, bar};
        ASSERT_TRUE(sprt::Load(g.File())) << quiet.text;
        // The file's own page records are empty: these replace them.
        // Page: a red and a green 8 x 8 square side by side, a white 16 x 4 bar below them.
        CBitmap32 page(16, 12, 0xFFFFFFFFu);
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 16; x++) page.m_pixels[y * 16 + x] = x < 8 ? 0xFF0000FFu : 0xFF00FF00u;
        png = PngBytes(page);
        const uint8_t* pngs[1] = {png.data()};
        size_t sizes[1] = {png.size()};
        ASSERT_TRUE(TPage_LoadTextures(pngs, sizes, 1));
        TPageEntry entries[3] = {{0, 0, 8, 8, 0, 0, 8, 8, 8, 8, 0},
                                 {8, 0, 8, 8, 0, 0, 8, 8, 8, 8, 0},
                                 {0, 8, 16, 4, 0, 0, 16, 4, 16, 4, 0}};
        ASSERT_TRUE(TPage_LoadEntries(entries, 3));

        DrawRegion = {0, 0, W - 1, H - 1};
    }
    void TearDown() override
    {
        DrawRegion = saved;
        GameFile_Free();
        TPage_Free();
        GfxTest::TearDown();
    }
    // The room drawn with its left edge at x.
    static void ViewFrom(float x)
    {
        float eye[3] = {x + W / 2.0f, H / 2.0f, -16000}, at[3] = {x + W / 2.0f, H / 2.0f, 0}, up[3] = {0, 1, 0}, m[16];
        Matrix_LookAt(m, eye, at, up);
        GR_D3D_Set_Transform(GR_TRANSFORM_VIEW, m);
    }
    // Vertices that a drawing adds: 4 a quad.
    template <typename F>
    static int Vertices(F draw)
    {
        GR_Batch_Flush();
        int before = GR_Batch_Stats.vertices;
        draw();
        GR_Batch_Flush();
        return GR_Batch_Stats.vertices - before;
    }
    std::vector<uint8_t> png;
    TCapturedWarnings quiet;
    TDrawRegion saved = DrawRegion;
};

TEST_F(SpriteDraw, FrameIndexesWrap)
{
    const CSprite* s = Sprite_Get(0);
    s->Draw(-1, 10, 10);  // the last frame, its corner at (8, 7)
    s->Draw(7, 30, 10);
    s->Draw(2, 50, 10);
    s->DrawExt(-3, 10, 30, 1, 1, 0, WHITE, 1);
    EXPECT_EQ(Pixel(8, 7), GREEN);
    EXPECT_EQ(Pixel(15, 14), GREEN);
    EXPECT_EQ(Pixel(7, 7), BLACK);
    EXPECT_EQ(Pixel(16, 14), BLACK);
    EXPECT_EQ(Pixel(30, 10), GREEN);
    EXPECT_EQ(Pixel(50, 10), RED);
    EXPECT_EQ(Pixel(10, 30), GREEN);
    // Stretched from the top-left corner, the origin unused.
    s->DrawStretched(-2, 40, 30, 16, 4, WHITE, 1);
    EXPECT_EQ(Pixel(40, 30), RED);
    EXPECT_EQ(Pixel(55, 33), RED);
    EXPECT_EQ(Pixel(56, 33), BLACK);
}

TEST_F(SpriteDraw, TurnsScalesBlendAndAlpha)
{
    const CSprite* bar = Sprite_Get(1);
    // Turned 90 degrees about its origin the bar points up from (20, 40).
    bar->DrawExt(0, 20, 40, 1, 1, 90, WHITE, 1);
    EXPECT_EQ(Pixel(21, 25), WHITE);
    EXPECT_EQ(Pixel(21, 39), WHITE);
    EXPECT_EQ(Pixel(25, 41), BLACK);
    EXPECT_EQ(Pixel(30, 38), BLACK);
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    bar->DrawExt(0, 0, 0, 2, 2, 0, WHITE, 1);
    EXPECT_EQ(Pixel(31, 7), WHITE);
    EXPECT_EQ(Pixel(32, 2), BLACK);
    EXPECT_EQ(Pixel(2, 8), BLACK);
    // Blend colour and alpha over black.
    bar->DrawExt(0, 0, 20, 1, 1, 0, RED, 1);
    bar->DrawExt(0, 0, 30, 1, 1, 0, WHITE, 0.5f);
    EXPECT_EQ(Pixel(5, 21), RED);
    EXPECT_TRUE(Near(Pixel(5, 31), 0x808080));
    // A part, scaled, and a general draw with corner colours.
    const CSprite* squares = Sprite_Get(0);
    squares->DrawPart(1, 0, 0, 2, 2, 40, 20, 2, 2, WHITE, 1);
    EXPECT_EQ(Pixel(43, 23), GREEN);
    EXPECT_EQ(Pixel(44, 23), BLACK);
    squares->DrawGeneral(0, 0, 0, 8, 8, 50, 36, 1, 1, 0, BLUE, BLUE, BLUE, BLUE, 1);
    EXPECT_EQ(Pixel(51, 37), BLACK);  // red times blue
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    squares->DrawGeneral(0, 0, 0, 8, 8, 50, 36, 1, 1, 0, WHITE, WHITE, WHITE, WHITE, 1);
    EXPECT_EQ(Pixel(51, 37), RED);
}

TEST_F(SpriteDraw, OutsideTheRegionIsCulledExceptIntoASurface)
{
    const CSprite* s = Sprite_Get(0);
    // The screen shows room x -128..-65, but the region being drawn is 0..63: the sprite at -100
    // would show, yet it lies outside the region by more than its radius.
    ViewFrom(-128);
    s->Draw(1, -100, 20);
    s->DrawExt(1, -100, 30, 1, 1, 0, WHITE, 1);
    EXPECT_EQ(Pixel(28, 17), BLACK);
    EXPECT_EQ(Pixel(28, 27), BLACK);
    DrawRegion = {-128, 0, -65, H - 1};
    s->Draw(1, -100, 20);
    s->DrawExt(1, -100, 30, 1, 1, 0, WHITE, 1);
    EXPECT_EQ(Pixel(28, 17), GREEN);
    EXPECT_EQ(Pixel(28, 27), GREEN);

    DrawRegion = {0, 0, W - 1, H - 1};
    int surface = GR_Surface_Create(W, H);
    ASSERT_GE(surface, 0);
    ASSERT_TRUE(GR_Surface_Set_Target(surface));
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    ViewFrom(-128);
    s->Draw(1, -100, 20);
    s->DrawExt(1, -100, 30, 1, 1, 0, WHITE, 1);
    GR_Surface_Reset_Target();
    TBitmap* grab = GR_Surface_Grab_Bitmap(surface, 0, 0, W, H);
    ASSERT_NE(grab, nullptr);
    const uint8_t* p = grab->Lock();
    for (int y : {17, 27}) {
        const uint8_t* px = p + ((size_t)y * W + 28) * 4;
        EXPECT_EQ(px[0], 0) << y;
        EXPECT_EQ(px[1], 255) << y;
    }
    delete grab;
    GR_Surface_Free(surface);
}

TEST_F(SpriteDraw, CullRadiusFollowsScaleAndSkipsIn3D)
{
    CSprite* s = Sprite_Get(0);
    s->m_cullRadius = 20;
    EXPECT_EQ(Vertices([&] { s->DrawExt(0, -59, 10, 3, 1, 0, WHITE, 1); }), 4);
    EXPECT_EQ(Vertices([&] { s->DrawExt(0, -61, 10, 3, 1, 0, WHITE, 1); }), 0);
    EXPECT_EQ(Vertices([&] { s->DrawExt(0, -61, 10, 1, -3.1f, 0, WHITE, 1); }), 4);
    EXPECT_EQ(Vertices([&] { s->Draw(0, -21, 10); }), 0);
    EXPECT_EQ(Vertices([&] { s->Draw(0, 10, H + 19); }), 4);
    EXPECT_EQ(Vertices([&] { s->Draw(0, 10, H + 21); }), 0);
    // A part is culled by its own quad: 8 x 8 from (10, H + 7) reaches up into the region only
    // when turned 90 degrees (it then spans H - 1 .. H + 7), and 16 wide only from H + 15.
    EXPECT_EQ(Vertices([&] { s->DrawGeneral(0, 0, 0, 8, 8, 10, H + 7, 1, 2, 0, WHITE, WHITE, WHITE, WHITE, 1); }), 0);
    EXPECT_EQ(Vertices([&] { s->DrawGeneral(0, 0, 0, 8, 8, 10, H + 7, 1, 1, 90, WHITE, WHITE, WHITE, WHITE, 1); }), 4);
    EXPECT_EQ(Vertices([&] { s->DrawGeneral(0, 0, 0, 8, 8, 10, H + 9, 1, 1, 90, WHITE, WHITE, WHITE, WHITE, 1); }), 0);
    EXPECT_EQ(Vertices([&] { s->DrawGeneral(0, 0, 0, 8, 8, 10, H + 15, 2, 1, 90, WHITE, WHITE, WHITE, WHITE, 1); }), 4);
    Graphics3D_SetMode(true);
    EXPECT_EQ(Vertices([&] { s->DrawExt(0, -1000, 10, 1, 1, 0, WHITE, 1); }), 4);
    EXPECT_EQ(Vertices([&] { s->Draw(0, -1000, 10); }), 0);
    Graphics3D_SetMode(false);
    Graphics3D_SetProjectionOrtho(0, 0, W, H, 0);
    EXPECT_EQ(Vertices([&] { s->Draw(0, -1000, 10); }), 4);
    Graphics3D_SetProjectionPerspective(0, 0, W, H, 0);
    EXPECT_EQ(Vertices([&] { s->Draw(0, -1000, 10); }), 0);
}

TEST_F(SpriteDraw, GeneralPartsReachingInAreDrawnWhateverTheOrigin)
{
    // The cull radius of a sprite whose origin is its centre is about half its diagonal; a part
    // whose top-left corner lies farther out than that still shows where its quad reaches in.
    CSprite* s = Sprite_Get(0);
    s->m_cullRadius = 6;
    EXPECT_EQ(Vertices([&] { s->DrawGeneral(0, 0, 0, 8, 8, -7, 10, 1, 1, 0, WHITE, WHITE, WHITE, WHITE, 1); }), 4);
    EXPECT_EQ(Vertices([&] { s->DrawGeneral(0, 0, 0, 8, 8, -9, 10, 1, 1, 0, WHITE, WHITE, WHITE, WHITE, 1); }), 0);
    EXPECT_EQ(Vertices([&] { s->DrawGeneral(0, 0, 0, 8, 8, -15, 10, 2, 1, 0, WHITE, WHITE, WHITE, WHITE, 1); }), 4);
    EXPECT_EQ(Vertices([&] { s->DrawGeneral(0, 0, 0, 8, 8, W + 7, 10, 1, 1, 180, WHITE, WHITE, WHITE, WHITE, 1); }), 4);
    EXPECT_EQ(Vertices([&] { s->DrawGeneral(0, 0, 0, 8, 8, 10, 10, NAN, 1, 0, WHITE, WHITE, WHITE, WHITE, 1); }), 0);
}

TEST_F(SpriteDraw, DegenerateSizesDrawNothingAndTilingEnds)
{
    const CSprite* s = Sprite_Get(0);
    EXPECT_EQ(Vertices([&] { s->DrawStretched(0, 0, 0, 0, 8, WHITE, 1); }), 0);
    EXPECT_EQ(Vertices([&] { s->DrawStretched(0, 0, 0, 8, -1, WHITE, 1); }), 0);
    EXPECT_EQ(Vertices([&] { s->DrawTiled(0, 0, 0, 0, 1, true, true, 0, 0, W, H, WHITE, 1); }), 0);
    EXPECT_EQ(Vertices([&] { s->DrawTiled(0, 0, 0, 0.0001f, 1, true, true, 0, 0, W, H, WHITE, 1); }), 0);
    // A negative scale tiles as well as a positive one: 8 x 6 copies of 8 x 8 cover 64 x 48.
    EXPECT_EQ(Vertices([&] { s->DrawTiled(0, 0, 0, -1, 1, true, true, 0, 0, W, H, WHITE, 1); }),
              Vertices([&] { s->DrawTiled(0, 0, 0, 1, 1, true, true, 0, 0, W, H, WHITE, 1); }));
    EXPECT_EQ(Pixel(W - 1, H - 1), RED);
    EXPECT_EQ(Vertices([&] { s->DrawPos(1, 0, 0, 8, 0, 8, 8, 0, 8, 1); }), 4);
    CSprite empty;
    EXPECT_EQ(Vertices([&] {
                  empty.Draw(0, 10, 10);
                  empty.DrawExt(0, 10, 10, 1, 1, 0, WHITE, 1);
                  empty.DrawTiled(0, 0, 0, 1, 1, true, true, 0, 0, W, H, WHITE, 1);
              }),
              0);
}

TEST_F(SpriteDraw, SpritesMadeAtRunTimeDrawTheirOwnTextures)
{
    TBitmap image(4, 4, 24);
    uint8_t* p = image.Lock();
    for (int i = 0; i < 16; i++) p[i * 3] = 255, p[i * 3 + 1] = 0, p[i * 3 + 2] = 0;  // blue
    p[(3 * 4) * 3] = p[(3 * 4) * 3 + 1] = p[(3 * 4) * 3 + 2] = 0;                      // black corner
    CSprite s;
    ASSERT_TRUE(s.CreateFromBitmap(&image, true, true, false, true, 0, 0, false));
    ASSERT_GE(s.GetTexture(0), 0);
    EXPECT_NE(s.GetTexture(0), TPAGE_HANDLE_BASE);
    s.Draw(0, 20, 20);
    EXPECT_EQ(Pixel(20, 20), BLUE);
    EXPECT_EQ(Pixel(23, 22), BLUE);
    // The bottom-left colour was the background: transparent, and not in the mask.
    EXPECT_FALSE(s.m_masks[0][12]);
    EXPECT_EQ(Vertices([&] { s.DrawPos(0, 0, 0, 8, 0, 8, 8, 0, 8, 1); }), 0);
    // A second frame of another size is stretched to the sprite's.
    TBitmap small(2, 2, 24);
    memset(small.Lock(), 255, 12);
    memset(small.Lock() + 6, 0, 3);  // bottom-left: the background
    ASSERT_TRUE(s.AddFromBitmap(&small, false));
    EXPECT_EQ(s.m_numb, 2);
    s.DrawExt(-1, 40, 20, 1, 1, 0, WHITE, 1);
    EXPECT_EQ(Pixel(43, 23), WHITE);
    EXPECT_EQ(Pixel(41, 23), BLACK);
    EXPECT_EQ(Pixel(44, 23), BLACK);
}

}  // namespace
