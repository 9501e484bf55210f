#include "GfxTest.h"
#include "PngBytes.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/Image.h"
#include "Base/MemoryManager.h"

#include <cmath>
#include <vector>

class PagesTest : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        // Page 0: 16 x 16 black with a 4 x 4 red square at (4, 4) whose top-left pixel is blue.
        CBitmap32 page(16, 16, 0xFF000000u);
        for (int y = 4; y < 8; y++)
            for (int x = 4; x < 8; x++) page.m_pixels[y * 16 + x] = 0xFF0000FFu;
        page.m_pixels[4 * 16 + 4] = 0xFFFF0000u;
        png = PngBytes(page);
        const uint8_t* pngs[1] = {png.data()};
        size_t sizes[1] = {png.size()};
        ASSERT_TRUE(TPage_LoadTextures(pngs, sizes, 1));
        // The square is an 8 x 8 image trimmed to 4 x 4 at (2, 3).
        TPageEntry entry = {4, 4, 4, 4, 2, 3, 4, 4, 8, 8, 0};
        ASSERT_TRUE(TPage_LoadEntries(&entry, 1));
    }
    void TearDown() override
    {
        TPage_Free();
        GfxTest::TearDown();
    }
    std::vector<uint8_t> png;
};

TEST_F(PagesTest, HandlesNameEntriesOnly)
{
    EXPECT_NE(TPage_Get(TPAGE_HANDLE_BASE), nullptr);
    EXPECT_EQ(TPage_Handle(TPage_Get(TPAGE_HANDLE_BASE)), TPAGE_HANDLE_BASE);
    EXPECT_EQ(TPage_Get(TPAGE_HANDLE_BASE + 1), nullptr);
    EXPECT_EQ(TPage_Get(TPAGE_HANDLE_BASE + 0.5), nullptr);
    EXPECT_EQ(TPage_Get(0), nullptr);
    EXPECT_EQ(TPage_Get(-1), nullptr);
    EXPECT_EQ(TPage_Get(NAN), nullptr);
    EXPECT_EQ(TPage_Get(1e300), nullptr);
    // A damaged entry (trim beyond the image) or page (not a PNG) is refused and the old
    // tables stay.
    TPageEntry bad = {0, 0, 4, 4, 6, 0, 4, 4, 8, 8, 0};
    EXPECT_FALSE(TPage_LoadEntries(&bad, 1));
    EXPECT_EQ(TPage_Count(), 1);
    const uint8_t junk[30] = {1, 2, 3};
    const uint8_t* pngs[1] = {junk};
    size_t sizes[1] = {sizeof junk};
    EXPECT_FALSE(TPage_LoadTextures(pngs, sizes, 1));
    EXPECT_GE(TPage_TextureId(TPage_Get(TPAGE_HANDLE_BASE)), 0);
    // An image trimmed to nothing loads and draws nothing.
    TPageEntry entries[2] = {{4, 4, 4, 4, 2, 3, 4, 4, 8, 8, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 8, 8, 0}};
    ASSERT_TRUE(TPage_LoadEntries(entries, 2));
    GR_Batch_Flush();
    int vertices = GR_Batch_Stats.vertices;
    GR_Texture_Draw_TPage(TPage_Get(TPAGE_HANDLE_BASE + 1), 0, 0);
    GR_Texture_Draw_Pos_TPage(TPage_Get(TPAGE_HANDLE_BASE + 1), 0, 0, 8, 0, 8, 8, 0, 8, 1);
    GR_Batch_Flush();
    EXPECT_EQ(GR_Batch_Stats.vertices, vertices);
}

TEST_F(PagesTest, TrimOffsetsPlaceTheContent)
{
    const TPageEntry* e = TPage_Get(TPAGE_HANDLE_BASE);
    GR_Texture_Draw_TPage(e, 10, 10);
    EXPECT_EQ(Pixel(12, 13), BLUE);
    EXPECT_EQ(Pixel(15, 16), RED);
    EXPECT_EQ(Pixel(11, 13), BLACK);
    EXPECT_EQ(Pixel(16, 16), BLACK);
    EXPECT_EQ(Pixel(12, 17), BLACK);
    // Origin (4, 4) at (40, 20), scaled twice: the content starts at 40 + (2 - 4) * 2.
    GR_Texture_Draw_Ext_TPage(e, 4, 4, 40, 20, 2, 2, 0, WHITE, 1);
    EXPECT_EQ(Pixel(36, 18), BLUE);
    EXPECT_EQ(Pixel(37, 19), BLUE);
    EXPECT_EQ(Pixel(38, 18), RED);
    EXPECT_EQ(Pixel(43, 25), RED);
    EXPECT_EQ(Pixel(44, 25), BLACK);
    EXPECT_EQ(Pixel(35, 18), BLACK);
}

TEST_F(PagesTest, PartsTilesAndCornersOfTrimmedEntries)
{
    const TPageEntry* e = TPage_Get(TPAGE_HANDLE_BASE);
    // The part from (1, 2), 2 x 2, of the 8 x 8 image: only its pixel (2, 3), the content's
    // blue corner, holds content, and it keeps its place in the part.
    GR_Texture_Draw_Part_TPage(e, 1, 2, 2, 2, 10, 30, 1, 1, WHITE, 1);
    EXPECT_EQ(Pixel(10, 30), BLACK);
    EXPECT_EQ(Pixel(11, 31), BLUE);
    EXPECT_EQ(Pixel(12, 31), BLACK);
    EXPECT_EQ(Pixel(11, 32), BLACK);
    // Copies repeat every 8 pixels (the untrimmed size).
    GR_Texture_Draw_Tiled_TPage(e, 0, 0, 0, 0, 1, 1, true, false, 0, 0, W, H, WHITE, 1);
    EXPECT_EQ(Pixel(2, 3), BLUE);
    EXPECT_EQ(Pixel(10, 3), BLUE);
    EXPECT_EQ(Pixel(58, 3), BLUE);
    EXPECT_EQ(Pixel(9, 3), BLACK);
    // The corners belong to the untrimmed image: 16 x 16 on the screen shows the content at
    // (4..11, 6..13).
    GR_Texture_Draw_Pos_TPage(e, 40, 24, 56, 24, 56, 40, 40, 40, 1);
    EXPECT_EQ(Pixel(44, 30), BLUE);
    EXPECT_EQ(Pixel(51, 37), RED);
    EXPECT_EQ(Pixel(43, 30), BLACK);
    EXPECT_EQ(Pixel(52, 37), BLACK);
}

TEST_F(PagesTest, FlushedPagesComeBackWhenDrawn)
{
    const TPageEntry* e = TPage_Get(TPAGE_HANDLE_BASE);
    int id = TPage_TextureId(e);
    GR_Texture_Preload(id);
    EXPECT_NE(GR_Texture_Slot(id)->texture, nullptr);
    GR_Texture_Flush();
    EXPECT_EQ(GR_Texture_Slot(id)->texture, nullptr);
    GR_Texture_Draw_TPage(e, 0, 0);
    EXPECT_EQ(Pixel(2, 3), BLUE);
}
