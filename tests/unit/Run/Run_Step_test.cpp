#include "Base/Console.h"
#include "Code/Function.h"
#include "Function/Function_Misc.h"
#include "IO/IO.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"
#include "StartUp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A one-room game whose object logs its input events on the debug console.
class InputEvents : public ::testing::Test {
protected:
    void SetUp() override
    {
        int id;
        if (!Function_Find("show_debug_message", &id)) Function_Misc_Init();
        saved = Console_Debug;
        Console_Debug = &log;
        Object_Clear();
        Room_Clear();
        int o = Object_Add();
        CObject* obj = Object_Find(o);
        obj->AddEvent(5, 0, "show_debug_message('no key');");
        obj->AddEvent(5, 37, "show_debug_message('left held');");
        obj->AddEvent(9, 37, "show_debug_message('left pressed');");
        obj->AddEvent(10, 37, "show_debug_message('left released');");
        obj->AddEvent(9, 1, "show_debug_message('any pressed');");
        obj->AddEvent(6, 53, "show_debug_message('global left pressed');");
        obj->AddEvent(6, 61, "show_debug_message('wheel down');");
        ASSERT_TRUE(Object_LinkParents());
        ASSERT_TRUE(Object_Prepare());
        int r = Room_Add();
        Room_Get(r)->AddInstance(0, 0, o);
        IO_Clear();
        Run_NoWait = true;
        ASSERT_TRUE(Run_StartGame());
    }
    void TearDown() override
    {
        Run_EndGame();
        Run_NoWait = false;
        Room_Clear();
        Object_Clear();
        Console_Debug = saved;
    }
    std::string Frame()
    {
        log.text.clear();
        Run_Frame();
        return log.text;
    }
    TCaptureConsole log;
    tagIConsole* saved = nullptr;
};

TEST_F(InputEvents, KeysRaiseHeldThenPressedThenReleased)
{
    EXPECT_EQ(Frame(), "no key\n");
    IO_Event_Key(37, true);
    EXPECT_EQ(Frame(), "left held\nany pressed\nleft pressed\n");  // by key code within a kind
    EXPECT_EQ(Frame(), "left held\n");
    IO_Event_Key(37, false);
    EXPECT_EQ(Frame(), "no key\nleft released\n");
    EXPECT_EQ(Frame(), "no key\n");
}

TEST_F(InputEvents, GlobalMouseButtonsAndTheWheel)
{
    IO_Event_MouseButton(0, 1, true);
    IO_Event_MouseWheel(0, -1);
    EXPECT_EQ(Frame(), "no key\nglobal left pressed\nwheel down\n");
    EXPECT_EQ(Frame(), "no key\n");
}

}  // namespace

namespace {

int ThreeImages(int sprite) { return sprite == 0 ? 3 : 0; }

TEST(Animation, EndsEachTimeTheImagesWrap)
{
    int id;
    if (!Function_Find("show_debug_message", &id)) Function_Misc_Init();
    StartUp_Variables();
    TCaptureConsole log;
    tagIConsole* saved = Console_Debug;
    Console_Debug = &log;
    Object_Clear();
    Room_Clear();
    int o = Object_Add();
    Object_Find(o)->sprite = 0;
    Object_Find(o)->AddEvent(7, 7, "show_debug_message(image_index);");
    Object_Find(o)->AddEvent(0, 0, "image_speed = 0.75;");
    ASSERT_TRUE(Object_LinkParents());
    ASSERT_TRUE(Object_Prepare());
    Room_Get(Room_Add())->AddInstance(0, 0, o);
    Run_SpriteImageCount = ThreeImages;
    Run_NoWait = true;
    ASSERT_TRUE(Run_StartGame());
    for (int i = 0; i < 8; i++) Run_Frame();  // 8 x 0.75 = 6: wraps at frames 4 and 8
    EXPECT_EQ(log.text, "0\n0\n");
    log.text.clear();
    Run_Room->active.front()->image_speed = -1.25f;  // 0 -> -1.25 wraps to 1.75
    Run_Frame();
    EXPECT_EQ(log.text, "1.75\n");
    Run_EndGame();
    Run_SpriteImageCount = nullptr;
    Run_NoWait = false;
    Room_Clear();
    Object_Clear();
    Console_Debug = saved;
}

}  // namespace
