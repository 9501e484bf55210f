// Room drawing with a graphics device: tiles merged with instances by depth.
#include "../Graphics_API/GfxTest.h"
#include "World.h"

#include "Background/Background_Class.h"
#include "Background/Background_Main.h"
#include "Graphics/Graphics3D.h"
#include "Object/Event_Main.h"
#include "Room/Room_Class.h"
#include "Room/Room_Draw.h"

namespace {
// The draw event's way to change the room's tiles while the room is being drawn.
void F_test_tiles_change(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    Run_Room->DeleteTile(0);
    RoomTile extra;
    for (int i = 0; i < 100; i++) Run_Room->AddTile(extra);
}

// The 2D depth each draw event sees.
std::vector<float> DepthsSeen;
void F_test_depth_seen(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    DepthsSeen.push_back(GR_Depth);
}

class RoomDrawTest : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        world.SetUp();
        int id;
        if (!Function_Find("test_tiles_change", &id)) Function_Add("test_tiles_change", F_test_tiles_change, 0);
        if (!Function_Find("test_depth_seen", &id)) Function_Add("test_depth_seen", F_test_depth_seen, 0);
        DepthsSeen.clear();
    }
    void TearDown() override
    {
        Graphics3D_SetMode(false);
        Graphics3D_SetDepth(0);
        world.TearDown();
        Background_Clear();
        GfxTest::TearDown();
    }
    struct World : WorldTest {
        void TestBody() override {}
        using WorldTest::Object;
        using WorldTest::Put;
        using WorldTest::SetUp;
        using WorldTest::Start;
        using WorldTest::TearDown;
    } world;
};

TEST_F(RoomDrawTest, TilesChangedByADrawEventAreDrawnAsThePassBegan)
{
    int o = world.Object();
    Object_Find(o)->AddEvent(EVENT_DRAW, 0, "test_tiles_change();");
    ASSERT_NO_FATAL_FAILURE(world.Start(1, W, H));
    int b = Background_AddEmpty();
    ASSERT_GE(Background_Get(b)->CreateColor(4, 4, RED, false), 0);
    // Both tiles lie below the instance, so they are drawn after its draw event has run.
    RoomTile first, second;
    first.background = second.background = b;
    first.width = first.height = second.width = second.height = 4;
    first.x = 10, first.y = 10, first.depth = -5;
    second.x = 30, second.y = 10, second.depth = -10;
    Run_Room->AddTile(first);
    Run_Room->AddTile(second);
    world.Put(o, 0, 0)->depth = 0;
    Run_Room->show_colour = true;
    Run_Room->colour = BLACK;
    Room_Draw(Run_Room);
    GR_Batch_Flush();
    EXPECT_EQ(Pixel(11, 11), RED);
    EXPECT_EQ(Pixel(31, 11), RED);
    EXPECT_EQ(Pixel(20, 11), BLACK);
    // The next frame shows the tiles as the event left them: the first is gone.
    EXPECT_EQ(Run_Room->tiles.size(), 101u);
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    Run_Room->tiles.resize(1);
    Room_Draw(Run_Room);
    GR_Batch_Flush();
    EXPECT_EQ(Pixel(11, 11), BLACK);
    EXPECT_EQ(Pixel(31, 11), RED);
}

TEST_F(RoomDrawTest, In3DModeInstancesAreDrawnAtTheirDepthBetweenTheLayers)
{
    int o = world.Object();
    Object_Find(o)->AddEvent(EVENT_DRAW, 0, "test_depth_seen();");
    ASSERT_NO_FATAL_FAILURE(world.Start(1, W, H));
    for (float depth : {20000.0f, 50.0f, -30000.0f}) {
        CInstance* inst = world.Put(o, 0, 0);
        inst->depth = depth;
        Run_Room->ChangeDepth(inst);
    }
    // Outside 3D mode everything lies at 0.
    Room_Draw(Run_Room);
    EXPECT_EQ(DepthsSeen, (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(GR_Depth, 0);
    DepthsSeen.clear();
    Graphics3D_SetMode(true);
    Room_Draw(Run_Room);
    // Nothing in front of the background layers at 12000; the foreground layers at -12000 and what
    // is drawn after the room (-13000) in front of everything within the clamp of -16000.
    EXPECT_EQ(DepthsSeen, (std::vector<float>{11000, 50, -16000}));
    EXPECT_EQ(GR_Depth, -13000);
}

}  // namespace
