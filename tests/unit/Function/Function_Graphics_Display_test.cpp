// The display and window built-ins without a window: the caption as a copy, the reset that waits
// for the next frame, the cursor option, and the mouse seen through views (the display_tiles test
// game plays the rest in a window).
#include "Function/Function_Graphics.h"
#include "BuiltinCall.h"

#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Display.h"
#include "IO/IO.h"
#include "IO/Window.h"
#include "Option/Option_Main.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"

#include <cmath>

namespace {

class DisplayBuiltins : public BuiltinTest {
protected:
    void Register() override { Function_Graphics_Init(); }
    void TearDown() override
    {
        Window_Destroy();
        Window_SetBaseSize(640, 480);
        Option_Reset();
        GR_Display_Set_Antialias(0);
        GR_Display_Set_VSync(false);
        GR_Display_Reset_Pending = false;
        RawMouse = {};
        Run_Room = nullptr;
        BuiltinTest::TearDown();
    }
};

TEST_F(DisplayBuiltins, CaptionAndColourRoundTrip)
{
    Call("window_set_caption", {S("Level 1")});
    TaggedValue caption = Call("window_get_caption");
    EXPECT_STREQ(caption.GetString(), "Level 1");
    // The result is a copy: a later caption leaves it alone, and freeing it leaves the window's.
    Call("window_set_caption", {S("Level 2")});
    EXPECT_STREQ(caption.GetString(), "Level 1");
    caption.SetReal(0);
    EXPECT_EQ(Text("window_get_caption"), "Level 2");
    Call("window_set_caption", {3.0});  // a real is no text
    EXPECT_EQ(Text("window_get_caption"), "");

    Call("window_set_color", {-1.0});
    EXPECT_EQ(Real("window_get_color"), 16777215);
    Call("window_set_color", {NAN});
    EXPECT_EQ(Real("window_get_color"), 0);
}

TEST_F(DisplayBuiltins, CursorAndFullScreenAndTheFixedAnswers)
{
    Call("window_set_cursor", {-1.0});  // cr_none
    EXPECT_EQ(Real("window_get_cursor"), -1);
    EXPECT_EQ(Option_ShowCursor, 0);
    Call("window_set_cursor", {-21.0});
    EXPECT_EQ(Real("window_get_cursor"), -21);
    EXPECT_EQ(Option_ShowCursor, 1);
    Call("window_set_cursor", {-1.0});
    Call("window_set_cursor", {5.0});  // no cursor: nothing changes
    EXPECT_EQ(Real("window_get_cursor"), -1);
    EXPECT_EQ(Option_ShowCursor, 0);

    // Full screen takes "at least 0.5" on the double, and waits for the next frame.
    Call("window_set_fullscreen", {0.49999999});
    EXPECT_EQ(Real("window_get_fullscreen"), 0);
    Call("window_set_fullscreen", {0.5});
    EXPECT_EQ(Real("window_get_fullscreen"), 1);
    EXPECT_TRUE(Window_DisplayResetPending);

    Call("window_set_rectangle", {10.0, 20.0, -5.0, 1e300});  // the position is taken, the size refused
    EXPECT_EQ(Real("window_get_x") + Real("window_get_y"), 30);
    EXPECT_EQ(Real("window_get_width"), 640);

    // The window counts as visible from the start, without a window too.
    EXPECT_EQ(Real("window_get_visible"), 1);
    for (const char* name : {"window_get_showborder", "window_get_showicons", "window_get_stayontop",
                             "window_get_sizeable", "display_get_orientation"})
        EXPECT_EQ(Real(name), 0) << name;
    Call("window_set_showborder", {1.0});
    EXPECT_EQ(Real("window_get_showborder"), 0);
}

TEST_F(DisplayBuiltins, ResetsWaitForTheNextFrame)
{
    GR_Display_Reset_Pending = false;
    Call("display_reset", {258.0});  // the low byte: 2 samples
    EXPECT_EQ(GR_Display_Get_Antialias(), 2);
    EXPECT_TRUE(GR_Display_Reset_Pending);
    Call("display_reset", {3.0});
    EXPECT_EQ(GR_Display_Get_Antialias(), 0);
    Call("display_reset", {8.9});  // truncated
    EXPECT_EQ(GR_Display_Get_Antialias(), 8);
    Call("display_reset", {-1e300});
    EXPECT_EQ(GR_Display_Get_Antialias(), 0);
    // A script gives one argument: synchronisation stays; a caller that gives two sets it.
    GR_Display_Set_VSync(true);
    CallExact("display_reset", {4.0});
    EXPECT_TRUE(GR_Display_Get_VSync());
    CallExact("display_reset", {4.0, 0.0});
    EXPECT_FALSE(GR_Display_Get_VSync());
    CallExact("display_reset", {4.0, 1.0});
    EXPECT_TRUE(GR_Display_Get_VSync());

    // The set forms answer and reset whatever the answer; the test form resets nothing.
    GR_Display_Reset_Pending = false;
    EXPECT_EQ(Real("display_test_all", {0.0, 0.0, 0.0, 0.0}), GR_Display_Test_All(0, 0, 0, 0) ? 1 : 0);
    EXPECT_FALSE(GR_Display_Reset_Pending);
    for (const char* name : {"display_set_size", "display_set_colordepth", "display_set_frequency", "display_set_all"}) {
        GR_Display_Reset_Pending = false;
        EXPECT_EQ(Real(name, {-7.0, 0.0, 0.0, 0.0}), 0) << name;  // no window in full screen here
        EXPECT_TRUE(GR_Display_Reset_Pending) << name;
    }
}

TEST_F(DisplayBuiltins, TheMouseInWindowAndRoomCoordinates)
{
    RawMouse.x[0] = 30, RawMouse.y[0] = 40;
    EXPECT_EQ(Real("window_mouse_get_x"), 30);
    EXPECT_EQ(Real("window_mouse_get_y"), 40);
    Call("window_mouse_set", {1.0, 2.0});  // no window with the focus: not moved
    EXPECT_EQ(Real("window_mouse_get_x"), 30);

    // View 1 shows the room from (100, 50) at half size in a port at (20, 30).
    CRoom room;
    room.enable_views = true;
    RoomView& v = room.views[1];
    v.visible = true;
    v.xview = 100, v.yview = 50, v.wview = 40, v.hview = 40;
    v.xport = 20, v.yport = 30, v.wport = 20, v.hport = 20;
    Run_Room = &room;
    EXPECT_EQ(Real("window_view_mouse_get_x", {1.0}), 120);
    EXPECT_EQ(Real("window_view_mouse_get_y", {1.0}), 70);
    // The views under the mouse: view 1 holds the point.
    EXPECT_EQ(Real("window_views_mouse_get_x"), 120);
    EXPECT_EQ(Real("window_views_mouse_get_y"), 70);
    Call("window_view_mouse_set", {1.0, 0.0, 0.0});
    Call("window_views_mouse_set", {0.0, 0.0});
    EXPECT_EQ(RawMouse.x[0], 30);
    EXPECT_TRUE(std::isfinite(Real("window_view_mouse_get_x", {NAN})));
}

}  // namespace
