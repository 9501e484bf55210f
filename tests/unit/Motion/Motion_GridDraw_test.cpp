#include "../Graphics_API/GfxTest.h"
#include "Code/Error.h"
#include "Graphics/DrawPrimitives.h"
#include "Motion/Motion_Main.h"

namespace {

class GridDraw : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        Draw_Init();
        Draw_SetAlpha(1);
    }
    void TearDown() override
    {
        Motion_Grid_DestroyAll();
        Error_Display_Hook = nullptr;
        GfxTest::TearDown();
    }
};

TEST_F(GridDraw, CellsShowFreeAndBlockedAndTheColourStays)
{
    int grid = Motion_Grid_Create(4, 2, 3, 2, 10, 8);
    ASSERT_GE(grid, 0);
    Motion_Grid_AddCell(grid, 1, 0);
    Motion_Grid_AddCell(grid, 2, 1);
    Draw_SetColor(BLUE);
    Motion_Grid_Draw(grid);
    GR_Batch_Flush();
    EXPECT_EQ(Draw_GetColor() & 0xFFFFFF, BLUE);
    EXPECT_EQ(Pixel(4, 2), GREEN);    // cell (0, 0), first pixel
    EXPECT_EQ(Pixel(13, 9), GREEN);   // cell (0, 0), last pixel
    EXPECT_EQ(Pixel(14, 2), RED);     // cell (1, 0)
    EXPECT_EQ(Pixel(23, 9), RED);
    EXPECT_EQ(Pixel(24, 9), GREEN);   // cell (2, 0) is free, (2, 1) blocked below it
    EXPECT_EQ(Pixel(24, 10), RED);
    EXPECT_EQ(Pixel(33, 17), RED);
    EXPECT_EQ(Pixel(34, 17), BLACK);  // right of the grid
    EXPECT_EQ(Pixel(3, 2), BLACK);    // left of it
    EXPECT_EQ(Pixel(4, 18), BLACK);   // below it
    // A grid that does not exist draws nothing and says so.
    static int errors = 0;
    Error_Display_Hook = [](const char*, bool) { errors++; };
    Motion_Grid_Draw(grid + 1);
    EXPECT_EQ(errors, 1);
}

}  // namespace
