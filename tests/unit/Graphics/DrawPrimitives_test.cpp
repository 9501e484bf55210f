#include "../Graphics_API/GfxTest.h"
#include "../Graphics_API/PngBytes.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/DrawPrimitives_Internal.h"
#include "Base/MemoryManager.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/Image.h"

#include <cmath>
#include <functional>

namespace {

// What one drawing handed to the device: draw calls and vertices.
GR_BatchStats Drawn(const std::function<void()>& draw)
{
    GR_Batch_Flush();
    GR_BatchStats before = GR_Batch_Stats;
    draw();
    GR_Batch_Flush();
    return {GR_Batch_Stats.drawCalls - before.drawCalls, GR_Batch_Stats.vertices - before.vertices,
            GR_Batch_Stats.handovers - before.handovers};
}

class DrawTest : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        Draw_Init();
        Draw_SetColor(WHITE);
        Draw_SetAlpha(1);
    }
};

}  // namespace

TEST(DrawState, AlphaColourAndPrecision)
{
    Draw_SetAlpha(0.5);
    EXPECT_EQ(GR_Draw_Alpha, 127);
    EXPECT_DOUBLE_EQ(Draw_GetAlpha(), 127 / 255.0);
    Draw_SetAlpha(2);
    EXPECT_EQ(GR_Draw_Alpha, 255);
    Draw_SetAlpha(-3);
    EXPECT_EQ(GR_Draw_Alpha, 0);
    Draw_SetAlpha(NAN);
    EXPECT_EQ(GR_Draw_Alpha, 0);

    // The colour keeps the alpha in its top byte; the device word swaps red and blue.
    Draw_SetAlpha(0.5);
    Draw_SetColor(0xFF123456);
    EXPECT_EQ(Draw_GetColor(), 0x7F123456u);
    EXPECT_EQ(Draw_GetColorWord(), 0x7F563412u);
    GR_Draw_Alpha = 255;  // one store for the alpha: whoever sets it, the word follows
    EXPECT_EQ(Draw_GetColorWord(), 0xFF563412u);
    EXPECT_EQ(Color_ToARGB(0x0000FF, 0x80), 0x80FF0000u);
    EXPECT_EQ(Color_MakeRGB(1, 2, 3), 0x030201);

    const int cases[][2] = {{30, 28}, {2, 4}, {100, 64}, {-7, 4}, {24, 24}, {63, 60}};
    for (auto& c : cases) {
        Draw_SetCirclePrecision(c[0]);
        EXPECT_EQ(Draw_GetCirclePrecision(), c[1]) << c[0];
    }
    Draw_SetCirclePrecision(24);
    EXPECT_EQ(Draw_Cos[24], Draw_Cos[0]);
    EXPECT_EQ(Draw_Sin[24], Draw_Sin[0]);
    EXPECT_NEAR(Draw_Cos[6], 0, 1e-6);
    EXPECT_NEAR(Draw_Sin[6], 1, 1e-6);
    EXPECT_NEAR(Draw_Cos[12], -1, 1e-6);
}

TEST_F(DrawTest, VertexCountsOfShapes)
{
    auto count = [](const std::function<void()>& draw) { return Drawn(draw).vertices; };
    EXPECT_EQ(count([] { Draw_Circle(20, 20, 8, false); }), 72);
    EXPECT_EQ(count([] { Draw_Circle(20, 20, 8, true); }), 25);
    EXPECT_EQ(count([] { Draw_EllipseColor(0, 0, 30, 10, RED, BLUE, false); }), 72);
    EXPECT_EQ(count([] { Draw_RoundRect(0, 0, 30, 20, 8, 8, false); }), 30);
    EXPECT_EQ(count([] { Draw_RoundRectColor(0, 0, 30, 20, 99, -4, RED, BLUE, true); }), 30);
    Draw_SetCirclePrecision(8);
    EXPECT_EQ(count([] { Draw_Circle(20, 20, 8, false); }), 24);
    EXPECT_EQ(count([] { Draw_RoundRect(0, 0, 30, 20, 8, 8, true); }), 14);
    Draw_SetCirclePrecision(24);

    EXPECT_EQ(count([] { Draw_Rectangle(0, 0, 5, 5, false); }), 6);
    GR_BatchStats outline = Drawn([] { Draw_Rectangle(0, 0, 5, 5, true); });
    EXPECT_EQ(outline.vertices, 9);  // a strip of 5 and the 4 corners as points
    EXPECT_EQ(outline.drawCalls, 2);
    EXPECT_EQ(count([] { Draw_RectangleColor(0, 0, 5, 5, RED, GREEN, BLUE, WHITE, false); }), 5);
    EXPECT_EQ(count([] { Draw_Triangle(0, 0, 5, 0, 0, 5, true); }), 4);
    EXPECT_EQ(count([] { Draw_LineWidth(0, 0, 10, 3, 2); }), 4);
    EXPECT_EQ(count([] { Draw_Arrow(0, 0, 10, 3, 4); }), 5);
    EXPECT_EQ(count([] { Draw_Button(0, 0, 20, 10, true); }), 12);
    // Lines of no length draw nothing.
    EXPECT_EQ(count([] { Draw_LineWidth(5, 5, 5, 5, 3); Draw_LineWidthColor(5, 5, 5, 5, 3, RED, RED); }), 0);
    EXPECT_EQ(count([] { Draw_Arrow(5, 5, 5, 5, 3); }), 0);
    // A health bar with its back and borders: back, border, bar, border.
    EXPECT_EQ(count([] { Draw_Healthbar(0, 0, 40, 8, 30, BLACK, RED, GREEN, BLUE, 0, true, true); }), 20);
    EXPECT_EQ(count([] { Draw_Healthbar(0, 0, 40, 8, 0, BLACK, RED, GREEN, BLUE, 0, false, true); }), 0);
    EXPECT_EQ(count([] { Draw_Healthbar(0, 0, 40, 8, NAN, BLACK, RED, GREEN, BLUE, 0, false, false); }), 0);
}

TEST_F(DrawTest, RectanglesCoverTheirCornerPixels)
{
    // Corners given in any order; the filled rectangle covers 0..10 on both axes.
    Draw_Rectangle(10, 10, 0, 0, false);
    EXPECT_EQ(Pixel(0, 0), WHITE);
    EXPECT_EQ(Pixel(10, 10), WHITE);
    EXPECT_EQ(Pixel(11, 10), BLACK);
    EXPECT_EQ(Pixel(10, 11), BLACK);
    // The outline lies on the same pixels as the filled rectangle's border, corners included.
    Draw_SetColor(RED);
    Draw_Rectangle(20, 5, 30, 15, true);
    for (int i = 0; i <= 10; i++) {
        EXPECT_EQ(Pixel(20 + i, 5), RED) << i;
        EXPECT_EQ(Pixel(20 + i, 15), RED) << i;
        EXPECT_EQ(Pixel(20, 5 + i), RED) << i;
        EXPECT_EQ(Pixel(30, 5 + i), RED) << i;
    }
    EXPECT_EQ(Pixel(25, 10), BLACK);
    EXPECT_EQ(Pixel(31, 10), BLACK);
    EXPECT_EQ(Pixel(25, 16), BLACK);
    EXPECT_EQ(Pixel(19, 10), BLACK);
    EXPECT_EQ(Pixel(25, 4), BLACK);
    // The coloured rectangle's far edge reaches x2 + 1.01: x 40..50 covered, 51 not.
    Draw_RectangleColor(40, 30, 50, 35, GREEN, GREEN, GREEN, GREEN, false);
    EXPECT_EQ(Pixel(40, 30), GREEN);
    EXPECT_EQ(Pixel(50, 35), GREEN);
    EXPECT_EQ(Pixel(51, 35), BLACK);
    EXPECT_EQ(Pixel(50, 36), BLACK);
    EXPECT_EQ(Pixel(39, 30), BLACK);
}

TEST_F(DrawTest, PointsAndLineEnds)
{
    Draw_Point(5, 7);
    EXPECT_EQ(Pixel(5, 7), WHITE);
    for (auto [x, y] : {std::pair{4, 7}, {6, 7}, {5, 6}, {5, 8}}) EXPECT_EQ(Pixel(x, y), BLACK) << x << "," << y;
    Draw_PointColor(9, 7, BLUE);
    EXPECT_EQ(Pixel(9, 7), BLUE);

    // A line lights the pixels after its first end up to its second, on its own row or column.
    Draw_Line(10, 20, 20, 20);
    EXPECT_EQ(Pixel(10, 20), BLACK);
    EXPECT_EQ(Pixel(11, 20), WHITE);
    EXPECT_EQ(Pixel(20, 20), WHITE);
    EXPECT_EQ(Pixel(21, 20), BLACK);
    EXPECT_EQ(Pixel(15, 19), BLACK);
    EXPECT_EQ(Pixel(15, 21), BLACK);
    Draw_LineColor(30, 10, 30, 20, RED, RED);
    EXPECT_EQ(Pixel(30, 10), BLACK);
    EXPECT_EQ(Pixel(30, 11), RED);
    EXPECT_EQ(Pixel(30, 20), RED);
    EXPECT_EQ(Pixel(30, 21), BLACK);
    EXPECT_EQ(Pixel(29, 15), BLACK);
    EXPECT_EQ(Pixel(31, 15), BLACK);
}

TEST_F(DrawTest, WideLinesSpanTheirWidthAcrossTheLine)
{
    // Width 4 along x from 34 to 44: the band x 35..44, y 29..32 (ends and sides moved by +1).
    Draw_LineWidthColor(34, 30, 44, 30, 4, RED, BLUE);
    EXPECT_TRUE(Near(Pixel(35, 29), RED, 30));
    EXPECT_TRUE(Near(Pixel(44, 32), BLUE, 30));
    EXPECT_EQ(Pixel(34, 30), BLACK);
    EXPECT_EQ(Pixel(45, 30), BLACK);
    EXPECT_EQ(Pixel(40, 28), BLACK);
    EXPECT_EQ(Pixel(40, 33), BLACK);
    // Along y the band turns with the line.
    Draw_LineWidth(10, 5, 10, 15, 2);
    EXPECT_EQ(Pixel(10, 10), WHITE);
    EXPECT_EQ(Pixel(9, 10), BLACK);
    EXPECT_EQ(Pixel(12, 10), BLACK);
}

TEST_F(DrawTest, CirclesAndArrows)
{
    Draw_Circle(20, 20, 8, false);
    EXPECT_EQ(Pixel(20, 20), WHITE);
    EXPECT_EQ(Pixel(13, 20), WHITE);
    EXPECT_EQ(Pixel(26, 20), WHITE);
    EXPECT_EQ(Pixel(20, 13), WHITE);
    EXPECT_EQ(Pixel(20, 10), BLACK);
    EXPECT_EQ(Pixel(29, 20), BLACK);
    EXPECT_EQ(Pixel(13, 13), BLACK);  // outside the rim near the box corner
    // The outline leaves the inside empty.
    Draw_Circle(48, 20, 8, true);
    EXPECT_EQ(Pixel(48, 20), BLACK);
    EXPECT_EQ(Pixel(40, 20), WHITE);

    // A head larger than the line is cut to the line's length: its base reaches back to the start.
    Draw_Arrow(10, 40, 14, 40, 100);
    EXPECT_EQ(Pixel(11, 39), WHITE);
    Draw_Arrow(30, 40, 34, 40, 1);
    EXPECT_EQ(Pixel(31, 39), BLACK);
    EXPECT_EQ(Pixel(33, 40), WHITE);
}

TEST_F(DrawTest, HealthBarsMergeTheirColours)
{
    // Amount 150 counts as 100: the whole bar in the maximum colour.
    Draw_Healthbar(0, 0, 40, 9, 150, BLACK, RED, GREEN, BLUE, 0, false, false);
    EXPECT_EQ(Pixel(0, 5), BLUE);
    EXPECT_EQ(Pixel(40, 5), BLUE);
    EXPECT_EQ(Pixel(41, 5), BLACK);
    // Amount 50: the middle colour, half the length, over its back.
    Draw_Healthbar(0, 20, 40, 29, 50, 0x404040, RED, GREEN, BLUE, 0, true, false);
    EXPECT_EQ(Pixel(0, 25), GREEN);
    EXPECT_EQ(Pixel(20, 25), GREEN);
    EXPECT_EQ(Pixel(21, 25), 0x404040u);
    EXPECT_EQ(Pixel(40, 25), 0x404040u);
    // Bottom to top at 25: a quarter of the height in the half-way merge of red and green.
    Draw_Healthbar(50, 20, 60, 39, 25, BLACK, RED, GREEN, BLUE, 3, false, false);
    EXPECT_TRUE(Near(Pixel(55, 38), 0x008080, 1));
    EXPECT_EQ(Pixel(55, 30), BLACK);
}

TEST_F(DrawTest, ButtonsShadeByState)
{
    Draw_SetColor(BLUE);
    Draw_Button(0, 0, 20, 20, true);
    EXPECT_EQ(Pixel(1, 0), WHITE);      // top edge: light when up
    EXPECT_EQ(Pixel(19, 19), 0x808080u);  // bottom edge: dark
    EXPECT_EQ(Pixel(10, 10), BLUE);     // the face
    Draw_Button(30, 0, 50, 20, false);
    EXPECT_EQ(Pixel(31, 0), 0x808080u);
    EXPECT_EQ(Pixel(49, 19), WHITE);
}

TEST_F(DrawTest, ClearSetsEveryPixel)
{
    Draw_Clear(RED);
    EXPECT_EQ(Pixel(0, 0), RED);
    EXPECT_EQ(Pixel(W - 1, H - 1), RED);
    Draw_ClearAlpha(GREEN, 0.5);
    EXPECT_EQ(Pixel(5, 5), GREEN);
}

TEST_F(DrawTest, UserPrimitiveKeepsItsLimitAndWholePrimitives)
{
    // 1002 points: the last is ignored.
    Draw_PrimitiveBegin(GR_POINTLIST, -1);
    for (int i = 0; i < 1002; i++) Draw_Vertex((float)(i % 60), (float)(i / 60));
    EXPECT_EQ(Draw_PrimitiveCount(), DRAW_PRIMITIVE_MAX);
    EXPECT_EQ(Drawn(Draw_PrimitiveEnd).vertices, DRAW_PRIMITIVE_MAX);
    // An unknown kind draws nothing; an incomplete triangle draws nothing.
    Draw_PrimitiveBegin(7, -1);
    Draw_Vertex(0, 0);
    Draw_Vertex(1, 0);
    Draw_Vertex(0, 1);
    EXPECT_EQ(Drawn(Draw_PrimitiveEnd).vertices, 0);
    Draw_PrimitiveBegin(GR_TRIANGLELIST, -1);
    Draw_Vertex(0, 0);
    Draw_Vertex(1, 0);
    EXPECT_EQ(Drawn(Draw_PrimitiveEnd).vertices, 0);
    Draw_PrimitiveBegin(GR_LINELIST, -1);
    for (int i = 0; i < 5; i++) Draw_Vertex(0, (float)i);
    EXPECT_EQ(Drawn(Draw_PrimitiveEnd).vertices, 4);
}

TEST_F(DrawTest, IncompletePrimitiveLeavesTheNextShapeIntact)
{
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    // One triangle and two stray vertices, then a rectangle that joins the same batch.
    Draw_PrimitiveBegin(GR_TRIANGLELIST, -1);
    Draw_VertexColor(0, 40, RED, 1);
    Draw_VertexColor(8, 40, RED, 1);
    Draw_VertexColor(0, 47, RED, 1);
    Draw_VertexColor(60, 0, RED, 1);
    Draw_VertexColor(60, 47, RED, 1);
    Draw_PrimitiveEnd();
    Draw_SetColor(GREEN);
    Draw_Rectangle(20, 10, 30, 20, false);
    EXPECT_EQ(Pixel(1, 41), RED);
    EXPECT_EQ(Pixel(20, 10), GREEN);
    EXPECT_EQ(Pixel(30, 20), GREEN);
    EXPECT_EQ(Pixel(25, 15), GREEN);
    EXPECT_EQ(Pixel(40, 30), BLACK);  // nothing spans towards the stray vertices
    EXPECT_EQ(Pixel(31, 21), BLACK);
}

TEST_F(DrawTest, UserPrimitiveTextures)
{
    // A 2 x 1 texture, red then blue, stretched over a quad.
    CBitmap32 image(2, 1, 0xFF0000FFu);
    image.m_pixels[1] = 0xFFFF0000u;
    int tex = GR_Texture_Create_From_Bitmap32(&image);
    ASSERT_GE(tex, 0);
    Draw_PrimitiveBegin(GR_TRIANGLESTRIP, tex);
    Draw_VertexTexture(0, 0, 0, 0);
    Draw_VertexTexture(20, 0, 1, 0);
    Draw_VertexTexture(0, 10, 0, 1);
    Draw_VertexTexture(20, 10, 1, 1);
    Draw_PrimitiveEnd();
    EXPECT_EQ(Pixel(2, 5), RED);
    EXPECT_EQ(Pixel(17, 5), BLUE);
    // A number that is neither a texture nor a page handle draws untextured, in the vertex colour.
    for (int bogus : {12345, TPAGE_HANDLE_BASE + 77, -5}) {
        Draw_PrimitiveBegin(GR_TRIANGLESTRIP, bogus);
        Draw_VertexTextureColor(30, 20, 0, 0, GREEN, 1);
        Draw_VertexTextureColor(50, 20, 1, 0, GREEN, 1);
        Draw_VertexTextureColor(30, 30, 0, 1, GREEN, 1);
        Draw_VertexTextureColor(50, 30, 1, 1, GREEN, 1);
        Draw_PrimitiveEnd();
        EXPECT_EQ(Pixel(40, 25), GREEN) << bogus;
        Graphics::Clear(0xFF000000u, 1, 0, 7);
    }
    GR_Texture_Free(tex);
}

TEST_F(DrawTest, UserPrimitiveOnAPageEntry)
{
    // A 16 x 16 black page holding a 4 x 4 red square at (4, 4) whose top-left pixel is blue.
    CBitmap32 page(16, 16, 0xFF000000u);
    for (int y = 4; y < 8; y++)
        for (int x = 4; x < 8; x++) page.m_pixels[y * 16 + x] = 0xFF0000FFu;
    page.m_pixels[4 * 16 + 4] = 0xFFFF0000u;
    std::vector<uint8_t> png = PngBytes(page);
    const uint8_t* pngs[1] = {png.data()};
    size_t sizes[1] = {png.size()};
    ASSERT_TRUE(TPage_LoadTextures(pngs, sizes, 1));
    TPageEntry entry = {4, 4, 4, 4, 0, 0, 4, 4, 4, 4, 0};
    ASSERT_TRUE(TPage_LoadEntries(&entry, 1));
    // Texture coordinates 0..1 span the entry, not the page.
    Draw_PrimitiveBegin(GR_TRIANGLESTRIP, TPAGE_HANDLE_BASE);
    Draw_VertexTexture(10, 10, 0, 0);
    Draw_VertexTexture(18, 10, 1, 0);
    Draw_VertexTexture(10, 18, 0, 1);
    Draw_VertexTexture(18, 18, 1, 1);
    Draw_PrimitiveEnd();
    EXPECT_EQ(Pixel(10, 10), BLUE);
    EXPECT_EQ(Pixel(11, 11), BLUE);
    EXPECT_EQ(Pixel(12, 10), RED);
    EXPECT_EQ(Pixel(17, 17), RED);
    EXPECT_EQ(Pixel(18, 17), BLACK);
    TPage_Free();
}
