// Virtual buttons from options.ini and their drawing over the frame.
#include "IO/IO.h"
#include "../Base/CapturedWarnings.h"
#include "../Graphics_API/GfxTest.h"

#include "Graphics/DrawPrimitives.h"
#include "Support/IniFile.h"

#include <cstring>
#include <string>

namespace {

void FreeAll()
{
    for (int i = 0; i < IO_VirtualButtonCount; i++) IO_VirtualButton_Delete(i);
}

TEST(VirtualButtonOptions, EachGoodLineAddsAShownButtonInFileOrder)
{
    FreeAll();
    TCapturedWarnings warnings;
    const char text[] = "[DEFAULT]\nDebug=0\n[IO_Virtual_Buttons]\nleft = 0, 400, 80, 60, 37\nbad=1,2,3\n"
                        "right=100,400,80,60,39\nwide=1,2,0,4,5\nkey=1,2,3,4,256\ntail=1,2,3,4,5x\n"
                        "huge=2147483647,0,10,10,40\nover=4294967336,0,10,10,40\n";
    IniFile ini("options.ini", text, (int64_t)strlen(text));
    IO_VirtualButton_ReadOptions(ini);
    const IO_VirtualButton& left = IO_VirtualButtons[0];
    EXPECT_EQ(left.flags, IO_VB_IN_USE | IO_VB_SHOWN);
    EXPECT_EQ(left.x, 0);
    EXPECT_EQ(left.bottom, 460);
    EXPECT_EQ(left.key, 37);
    EXPECT_EQ(IO_VirtualButtons[1].key, 39);
    EXPECT_EQ(IO_VirtualButtons[2].right, INT32_MAX) << "the edge does not wrap round";
    EXPECT_EQ(IO_VirtualButtons[3].flags, 0);
    for (const char* name : {"\"bad\"", "\"wide\"", "\"key\"", "\"tail\"", "\"over\""})
        EXPECT_NE(warnings.text.find(std::string("the virtual button ") + name), std::string::npos) << name;

    // More lines than records: the rest are reported once.
    FreeAll();
    std::string many = "[IO_VIRTUAL_BUTTONS]\n";
    for (int i = 0; i <= IO_VirtualButtonCount; i++) many += "b" + std::to_string(i) + "=0,0,1,1,1\n";
    IniFile full("options.ini", many.c_str(), (int64_t)many.size());
    IO_VirtualButton_ReadOptions(full);
    EXPECT_EQ(IO_VirtualButton_FindFree(), nullptr);
    EXPECT_NE(warnings.text.find("no room for the virtual button \"b32\""), std::string::npos);
    FreeAll();
}

class VirtualButtonDrawing : public GfxTest {
protected:
    void TearDown() override
    {
        FreeAll();
        GfxTest::TearDown();
    }
};

TEST_F(VirtualButtonDrawing, ShownButtonsDrawOverTheFrameAndLeaveTheGameState)
{
    Draw_Clear(0x0000FF);
    IO_VirtualButton* hidden = IO_VirtualButton_Add(2, 2, 8, 8, 65);
    IO_VirtualButton* shown = IO_VirtualButton_Add(20, 10, 20, 12, 66);
    ASSERT_TRUE(hidden && shown);
    shown->flags |= IO_VB_SHOWN;
    // The game looks through a view elsewhere and draws in green at half alpha.
    GR_D3D_Set_Projection_2D(500, 500, W, H, 30);
    GR_D3D_Set_Viewport(0, 0, W / 2, H / 2);
    Draw_SetColor(GREEN);
    Draw_SetAlpha(0.5);
    double alpha = Draw_GetAlpha();
    IO_VirtualButtons_Draw();
    GR_Batch_Flush();
    EXPECT_EQ(Pixel(5, 5), RED) << "a hidden button is not drawn";
    EXPECT_EQ(Pixel(20, 10), WHITE) << "the edge";
    EXPECT_EQ(Pixel(39, 21), WHITE);
    EXPECT_EQ(Pixel(40, 22), RED) << "right and bottom are outside";
    EXPECT_TRUE(Near(Pixel(30, 16), 0x2D2DD2, 3)) << "a translucent grey box over the red frame";
    EXPECT_EQ(Draw_GetColor() & 0xFFFFFF, GREEN);
    EXPECT_EQ(Draw_GetAlpha(), alpha);
    int x, y, w, h;
    GR_D3D_Get_Viewport(&x, &y, &w, &h);
    EXPECT_EQ(w, W / 2);
    // Drawing goes on through the game's view: its projection is back.
    float game[16], room[16];
    GR_D3D_Set_Projection_2D(500, 500, W, H, 30);
    GR_D3D_Get_Transform(GR_TRANSFORM_VIEW, game);
    IO_VirtualButtons_Draw();
    GR_D3D_Get_Transform(GR_TRANSFORM_VIEW, room);
    EXPECT_EQ(memcmp(game, room, sizeof game), 0);
}

}  // namespace
