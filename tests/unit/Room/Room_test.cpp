#include "Code/Error.h"
#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Room/Instance_Ops.h"
#include "Room/Room_Main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

RoomTile Tile(float x, float y, int w, int h, float depth)
{
    RoomTile t;
    t.x = x; t.y = y; t.width = w; t.height = h; t.depth = depth;
    return t;
}

TEST(RoomTiles, FindAndDeleteByPointAndLayer)
{
    CRoom room;
    Room_LastTileId = 500;
    EXPECT_EQ(room.AddTile(Tile(0, 0, 16, 16, 10)), 0);
    EXPECT_EQ(room.AddTile(Tile(16, 0, 16, 16, -5)), 1);
    EXPECT_EQ(room.AddTile(Tile(0, 0, 32, 32, 0)), 2);
    EXPECT_EQ(room.tiles[2].id, 503);
    EXPECT_EQ(room.FindTile(502), 1);
    EXPECT_EQ(room.FindTile(999), -1);
    // Half-open bounds: the right edge belongs to the next tile.
    EXPECT_EQ(room.FindTileAt(16, 5, false), 2);
    EXPECT_EQ(room.FindTileAt(16, 5, true), 1);
    EXPECT_EQ(room.FindTileAt(15.9f, 5, false), 0);
    EXPECT_EQ(room.FindTileAt(40, 40, false), -1);
    EXPECT_EQ(room.FindLayerTileAt(0, 31, 31), 2);
    EXPECT_EQ(room.FindLayerTileAt(0, 32, 31), -1);
    // Closed bounds, and depth 0 counts as both foreground and background.
    room.DeleteTilesAt(16, 0, true);
    ASSERT_EQ(room.tiles.size(), 1u);
    EXPECT_EQ(room.tiles[0].depth, 10.0f);
    room.DeleteTile(5);
    room.DeleteTile(-1);
    EXPECT_EQ(room.tiles.size(), 1u);
    room.ClearTiles();
    EXPECT_TRUE(room.tiles.empty());
}

TEST(RoomTiles, LayerEditsKeepTheOrder)
{
    CRoom room;
    for (int i = 0; i < 5; i++) room.AddTile(Tile((float)i * 10, 0, 10, 10, i % 2 ? 100.0f : 50.0f));
    room.HideLayer(100);
    EXPECT_EQ(room.tiles[1].visible, 0);
    EXPECT_EQ(room.tiles[2].visible, 1);
    room.ShowLayer(100);
    EXPECT_EQ(room.tiles[3].visible, 1);
    room.ShiftLayer(50, 1, 2);
    EXPECT_EQ(room.tiles[4].x, 41.0f);
    EXPECT_EQ(room.tiles[4].y, 2.0f);
    EXPECT_EQ(room.tiles[1].x, 10.0f);
    room.SetLayerDepth(50, 60);
    EXPECT_EQ(room.tiles[0].depth, 60.0f);
    room.DeleteLayerTilesAt(100, 35, 5);
    ASSERT_EQ(room.tiles.size(), 4u);
    room.DeleteLayer(60);
    ASSERT_EQ(room.tiles.size(), 1u);
    EXPECT_EQ(room.tiles[0].x, 10.0f);
}

TEST(RoomRecord, CreationRecordIdsFollowTheCounters)
{
    CRoom room;
    Room_LastInstanceId = 100010;
    Room_LastTileId = 7;
    EXPECT_EQ(room.AddInstance(3, 4, 2), 100011);
    EXPECT_EQ(room.AddInstance(5, 6, 2), 100012);
    EXPECT_EQ(room.CreateTile(0, 0, 0, 16, 16, 1, 2, 5, 1, 1, 0xFFFFFF), 8);
    EXPECT_EQ(room.entries[1].x, 5);
    EXPECT_EQ(room.entries[1].colour, 0xFFFFFFFFu);
    room.ClearInstances();
    EXPECT_TRUE(room.entries.empty());
    room.SetCaption("hello");
    EXPECT_STREQ(room.caption, "hello");
    room.SetCaption(nullptr);
    EXPECT_EQ(room.caption, nullptr);
}

// A counter at its bound (or past it, from a crafted value) gives no more ids and never wraps.
TEST(RoomRecord, CountersStopAtTheirBound)
{
    CRoom room;
    int savedInstance = Room_LastInstanceId, savedTile = Room_LastTileId;
    for (int counter : {INSTANCE_ID_LAST, INT32_MAX}) {
        Room_LastInstanceId = counter;
        Room_LastTileId = counter;
        EXPECT_EQ(room.AddInstance(0, 0, 0), -1);
        EXPECT_EQ(room.CreateTile(0, 0, 0, 16, 16, 0, 0, 0, 1, 1, 0), -1);
        EXPECT_EQ(room.AddTile(RoomTile()), -1);
        EXPECT_EQ(Room_LastInstanceId, counter);
        EXPECT_EQ(Room_LastTileId, counter);
    }
    EXPECT_TRUE(room.entries.empty() && room.entry_tiles.empty() && room.tiles.empty());
    Room_LastInstanceId = INSTANCE_ID_LAST - 1;
    Room_LastTileId = -5;
    EXPECT_EQ(room.AddInstance(0, 0, 0), INSTANCE_ID_LAST);
    EXPECT_EQ(room.AddInstance(0, 0, 0), -1);
    EXPECT_EQ(room.AddTile(RoomTile()), 0);
    EXPECT_EQ(room.tiles[0].id, 1);
    // Later tests in the same process create instances.
    Room_LastInstanceId = savedInstance;
    Room_LastTileId = savedTile;
}

class RoomInstances : public ::testing::Test {
protected:
    void SetUp() override
    {
        Object_Clear();
        for (int i = 0; i < 3; i++) Object_Add();
        Object_Find(1)->parent_index = 0;  // 2 -> 1 -> 0
        Object_Find(2)->parent_index = 1;
        Object_Find(2)->depth = -5;
        ASSERT_TRUE(Object_LinkParents());
        Run_Room = &room;
    }
    void TearDown() override
    {
        room.FreeAllInstances();
        Run_Room = nullptr;
        Object_Clear();
    }
    std::vector<int> ActiveIds()
    {
        std::vector<int> ids;
        for (CInstance* i : room.active) ids.push_back(i->id);
        return ids;
    }
    CRoom room;
};

TEST_F(RoomInstances, ActiveListIsOrderedByDepthThenCreation)
{
    CInstance* a = room.CreateInstance(0, 0, 0, 100001);
    CInstance* b = room.CreateInstance(0, 0, 2, 100002);
    CInstance* c = room.CreateInstance(0, 0, 0, 100003);
    EXPECT_EQ(b->depth, -5.0f);
    EXPECT_EQ(ActiveIds(), (std::vector<int>{100002, 100001, 100003}));
    b->depth = 50;
    room.ChangeDepth(b);
    EXPECT_EQ(ActiveIds(), (std::vector<int>{100001, 100003, 100002}));
    EXPECT_EQ(Instance_Find(100003), c);
    // Object lists hold the instances of descendants too.
    EXPECT_EQ(Object_Find(0)->instances.size(), 3u);
    EXPECT_EQ(Object_Find(1)->instances.size(), 1u);
    EXPECT_EQ(Instance_Number(0), 3);
    EXPECT_EQ(Instance_Number(1), 1);
    EXPECT_EQ(Instance_Number(-3), 3);
    EXPECT_EQ(Instance_Number(100001), 1);
    EXPECT_EQ(Instance_Number(100009), 0);
    std::vector<CInstance*> out;
    Instance_CollectTargets(1, nullptr, nullptr, out);
    EXPECT_EQ(out, (std::vector<CInstance*>{b}));
    a->marked = true;
    EXPECT_EQ(Instance_Number(0), 2);
    EXPECT_EQ(room.FreeMarked(), 1);
    EXPECT_EQ(Instance_Find(100001), nullptr);
    EXPECT_EQ(Object_Find(0)->instances.size(), 2u);
}

TEST_F(RoomInstances, DeactivationMovesBetweenTheLists)
{
    CInstance* a = room.CreateInstance(0, 0, 1);
    CInstance* b = room.CreateInstance(0, 0, 1);
    a->deactivated = true;
    room.UpdateActivation();
    EXPECT_EQ(room.active.Snapshot(), (std::vector<CInstance*>{b}));
    EXPECT_EQ(room.deactivated.Snapshot(), (std::vector<CInstance*>{a}));
    EXPECT_EQ(Object_Find(0)->instances.size(), 1u);
    EXPECT_EQ(Instance_Find(a->id), a);  // deactivated instances stay findable
    std::vector<CInstance*> out;
    Instance_CollectTargets(a->id, nullptr, nullptr, out);
    EXPECT_TRUE(out.empty());
    a->deactivated = false;
    room.UpdateActivation();
    EXPECT_EQ(room.active.size(), 2u);
    EXPECT_TRUE(room.deactivated.empty());
    EXPECT_EQ(Object_Find(0)->instances.size(), 2u);
}

TEST_F(RoomInstances, ChangingObjectRelinksAndSkipsTheCurrentPass)
{
    CInstance* a = room.CreateInstance(0, 0, 0);
    int64_t stamp = Event_BeginPass();
    EXPECT_TRUE(Event_InPass(a, stamp));
    Instance_ChangeObject(a, 2, false);
    EXPECT_FALSE(Event_InPass(a, stamp));
    EXPECT_EQ(a->object_index, 2);
    EXPECT_EQ(a->depth, -5.0f);
    EXPECT_EQ(Object_Find(1)->instances.size(), 1u);
    EXPECT_EQ(Object_Find(2)->instances.size(), 1u);
    Instance_ChangeObject(a, 99, false);  // reported, nothing changes
    EXPECT_EQ(a->object_index, 2);
    EXPECT_TRUE(Event_InPass(a, Event_BeginPass()));
}

// Depth writes (changed, unchanged, NaN), changes of object and (de)activation in any mix keep the
// room's list in depth order and every object's list holding the active instances of it and its
// descendants, each once; an unchanged depth moves nothing.
TEST_F(RoomInstances, ListsKeepTheirOrderThroughAnyChanges)
{
    std::mt19937 random(49);
    std::vector<CInstance*> made;
    for (int k = 0; k < 300; k++) made.push_back(room.CreateInstance(0, 0, k % 3));
    auto deeper = [](const CInstance* a, const CInstance* b) {
        return std::isnan(a->depth) ? !std::isnan(b->depth) : a->depth > b->depth;
    };
    for (int step = 0; step < 4000; step++) {
        CInstance* i = made[random() % made.size()];
        std::vector<CInstance*> before = room.active.Snapshot();
        switch (random() % 5) {
        case 0: i->depth = random() % 50 ? (float)(random() % 9) - 4.0f : NAN; room.ChangeDepth(i); break;
        case 1: Instance_ChangeObject(i, (int)(random() % 3), false); break;
        case 2:
            i->deactivated = !i->deactivated;
            room.UpdateActivation();
            break;
        default:
            room.ChangeDepth(i);  // depth as it was
            ASSERT_EQ(room.active.Snapshot(), before) << "step " << step;
            break;
        }
        if (step % 40 != 0) continue;
        std::vector<CInstance*> active = room.active.Snapshot(), gone = room.deactivated.Snapshot();
        ASSERT_EQ(active.size() + gone.size(), made.size());
        ASSERT_TRUE(std::is_sorted(active.begin(), active.end(), [&](auto* a, auto* b) { return deeper(b, a); }));
        for (CInstance* a : active) ASSERT_FALSE(a->deactivated);
        for (CInstance* d : gone) ASSERT_TRUE(d->deactivated);
        for (int o = 0; o < 3; o++) {
            std::vector<CInstance*> listed = Object_Find(o)->instances.Snapshot(), want;
            for (CInstance* a : active)
                if (a->object_index == o || Object_Find(a->object_index)->IsDescendant(o)) want.push_back(a);
            std::sort(listed.begin(), listed.end());
            std::sort(want.begin(), want.end());
            ASSERT_EQ(listed, want) << "object " << o << ", step " << step;
        }
    }
}

TEST_F(RoomInstances, SuspendedRoomsLeaveTheHashAndLists)
{
    CInstance* a = room.CreateInstance(0, 0, 0);
    CInstance* b = room.CreateInstance(0, 0, 0);
    b->depth = -50;
    room.ChangeDepth(b);
    room.Suspend();
    EXPECT_EQ(Instance_Find(a->id), nullptr);
    EXPECT_TRUE(Object_Find(0)->instances.empty());
    room.Resume();
    EXPECT_EQ(Instance_Find(a->id), a);
    // The object's list comes back in creation order, the room's in depth order.
    EXPECT_EQ(Object_Find(0)->instances.Snapshot(), (std::vector<CInstance*>{a, b}));
    EXPECT_EQ(room.active.Snapshot(), (std::vector<CInstance*>{b, a}));
}

TEST_F(RoomInstances, ViewsFollowTheirObjectInsideTheRoom)
{
    room.width = 1000;
    room.height = 1000;
    room.enable_views = true;
    RoomView& v = room.views[0];
    v.visible = true;
    v.wview = 200;
    v.hview = 100;
    v.hborder = 50;
    v.vborder = 20;
    v.object = 1;
    CInstance* a = room.CreateInstance(180, 50, 1);
    room.FollowViews();
    EXPECT_EQ(v.xview, 30);  // 180 + 50 - 200
    EXPECT_EQ(v.yview, 0);
    a->SetPosition(990, 5);
    room.FollowViews();
    EXPECT_EQ(v.xview, 800);  // held inside the room
    EXPECT_EQ(v.yview, 0);
    v.hspeed = 10;
    a->SetPosition(100, a->y);
    room.FollowViews();
    EXPECT_EQ(v.xview, 790);  // at most 10 a step
    a->SetPosition(3e30f, a->y);  // absurd positions are ignored
    room.FollowViews();
    EXPECT_EQ(v.xview, 790);
}

TEST(RoomOrder, PreviousNextAndTheFatalEnds)
{
    Room_Clear();
    for (int i = 0; i < 3; i++) Room_Add();
    int order[] = {2, 0};
    Room_SetOrder(order, 2);
    EXPECT_EQ(Room_GetFirst(), 2);
    EXPECT_EQ(Room_GetLast(), 0);
    EXPECT_EQ(Room_Next(2), 0);
    EXPECT_EQ(Room_Next(0), -1);
    EXPECT_EQ(Room_Previous(0), 2);
    EXPECT_EQ(Room_Next(1), -1);  // outside the order
    Run_RoomIndex = 0;
    Room_GotoNext();
    EXPECT_EQ(Room_NewRoom, ROOM_CHANGE_ERROR_END);
    Room_NewRoom = ROOM_CHANGE_NONE;
    Room_GotoPrevious();
    EXPECT_EQ(Room_NewRoom, 2);
    Room_Goto(7);
    EXPECT_EQ(Room_NewRoom, ROOM_CHANGE_ERROR_END);
    EXPECT_TRUE(Error_FatalPending);
    Error_FatalPending = false;
    Room_NewRoom = ROOM_CHANGE_NONE;
    EXPECT_EQ(Room_Duplicate(1), 3);
    EXPECT_EQ(Room_GetName(3), std::string("__newroom3"));
    EXPECT_EQ(Room_GetName(9), std::string("<undefined>"));
    Run_RoomIndex = -1;
    Room_Clear();
}

}  // namespace
