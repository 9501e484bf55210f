#include "IO/IO.h"
#include "IO/Window.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Room/View.h"

#include <gtest/gtest.h>

namespace {

// A running room of 640 x 480 with views on; the test sets them up.
class ViewMapping : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = Run_Room;
        Run_Room = &room;
        room.enable_views = true;
    }
    void TearDown() override { Run_Room = saved; }
    RoomView& View(int v, int xv, int yv, int wv, int hv, int xp, int yp, int wp, int hp, float angle = 0)
    {
        RoomView& view = room.views[v];
        view = RoomView();
        view.visible = true;
        view.xview = xv, view.yview = yv, view.wview = wv, view.hview = hv;
        view.xport = xp, view.yport = yp, view.wport = wp, view.hport = hp;
        view.angle = angle;
        return view;
    }
    void ExpectMaps(int view, float x, float y, int wx, int wy)
    {
        int ox = 0, oy = 0;
        View_RoomToWindow(view, x, y, &ox, &oy);
        EXPECT_EQ(ox, wx) << "room " << x << "," << y;
        EXPECT_EQ(oy, wy) << "room " << x << "," << y;
    }
    CRoom room;
    CRoom* saved = nullptr;
};

TEST_F(ViewMapping, ScaledViewMapsBothWays)
{
    View(0, 100, 50, 200, 100, 10, 20, 400, 300);
    ExpectMaps(0, 150, 75, 110, 95);
    ExpectMaps(0, 99.6f, 49.5f, 10, 20);  // rounded to the nearest integers before mapping
    ExpectMaps(0, 300, 150, 410, 320);
    EXPECT_FLOAT_EQ(View_WindowToRoomX(0, 110, 95), 150);
    EXPECT_FLOAT_EQ(View_WindowToRoomY(0, 110, 95), 75);
}

TEST_F(ViewMapping, RotatedViewTurnsAboutThePortCentre)
{
    View(1, 0, 0, 100, 100, 20, 10, 100, 100, 90);
    // The view's right edge comes to the port's bottom: the room turns clockwise on the screen.
    ExpectMaps(1, 100, 50, 70, 110);
    ExpectMaps(1, 50, 0, 120, 60);
    ExpectMaps(1, 50, 50, 70, 60);
    View(1, 0, 0, 200, 100, 0, 0, 100, 100, 30);
    int wx, wy;
    View_RoomToWindow(1, 160, 20, &wx, &wy);
    EXPECT_NEAR(View_WindowToRoomX(1, wx, wy), 160, 2);
    EXPECT_NEAR(View_WindowToRoomY(1, wx, wy), 20, 1);
    // Below 0.01 degrees no rotation applies.
    View(1, 0, 0, 100, 100, 0, 0, 100, 100, 0.005f);
    ExpectMaps(1, 100, 50, 100, 50);
}

TEST_F(ViewMapping, UnusableViewsLeaveThePointUnmapped)
{
    View(0, 100, 100, 50, 50, 0, 0, 100, 100);
    ExpectMaps(0, 110, 110, 20, 20);
    ExpectMaps(32, 10.6f, -3.4f, 11, -3);
    ExpectMaps(-1, 10.6f, -3.4f, 11, -3);
    room.views[0].wview = 0;
    ExpectMaps(0, 10.6f, -3.4f, 11, -3);
    View(0, 100, 100, 50, 50, 0, 0, 100, 100).visible = false;
    ExpectMaps(0, 10.6f, -3.4f, 11, -3);
    View(0, 100, 100, 50, 50, 0, 0, 100, 100);
    room.enable_views = false;
    ExpectMaps(0, 10.6f, -3.4f, 11, -3);
    ExpectMaps(0, 1e30f, -1e30f, (int)0x80000000u, (int)0x80000000u);  // out of range: no overflow
}

TEST_F(ViewMapping, MousePositionsGoThroughTheViewUnderThePointer)
{
    View(0, 0, 0, 100, 100, 0, 0, 200, 200);
    View(3, 500, 300, 50, 50, 300, 0, 100, 100);
    IO_Event_MouseMove(0, 320, 40);  // over view 3's port
    IO_Event_MouseMove(2, 50, 60);   // over view 0's
    EXPECT_FLOAT_EQ(Mouse_GetRoomX(0), 510);
    EXPECT_FLOAT_EQ(Mouse_GetRoomY(0), 320);
    EXPECT_FLOAT_EQ(Mouse_GetRoomX(2), 25);
    EXPECT_FLOAT_EQ(Mouse_GetRoomY(2), 30);
    EXPECT_FLOAT_EQ(View_GetMouseX(0), 160);  // the first mouse seen through view 0
    IO_Event_MouseMove(0, 250, 250);          // over no port: through view 0
    EXPECT_FLOAT_EQ(Mouse_GetRoomX(0), 125);
    EXPECT_FLOAT_EQ(Mouse_GetRoomX(7), 0);  // no such device
    // Views off: the window is scaled onto the room.
    room.enable_views = false;
    Window_SetBaseSize(320, 240);
    EXPECT_FLOAT_EQ(Mouse_GetRoomX(0), 500);
    EXPECT_FLOAT_EQ(Mouse_GetRoomY(0), 500);
    Window_SetBaseSize(640, 480);
    IO_Clear();
    for (int d = 0; d < IO_MOUSE_DEVICES; d++) IO_Event_MouseMove(d, 0, 0);
}

}  // namespace
