#include "Room/Room_Collision.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "Variable/Variable_Main.h"
#include "World.h"

#include <map>
#include <random>
#include <set>

namespace {

class Collisions : public WorldTest {};

TEST_F(Collisions, PreciseTestsAskTheMasks)
{
    // A precise one-pixel sprite whose mask is a hole: precise tests miss, box tests do not.
    Sprite_Clear();
    int sprite = Sprite_AddNew();
    CSprite* s = Sprite_Get(sprite);
    s->m_numb = 1;
    s->m_masks.assign(1, std::vector<uint8_t>(1, 0));
    s->m_hasMasks = true;
    int o = Object();
    Object_Find(o)->sprite = sprite;
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* a = Put(o, 10, 10);
    CInstance* b = Put(o, 10, 10);
    EXPECT_FALSE(Collision_InstanceCoversPoint(a, 10.5f, 10.5f, true));
    EXPECT_TRUE(Collision_InstanceCoversPoint(a, 10.5f, 10.5f, false));
    EXPECT_FALSE(Collision_InstancesOverlap(a, b, true));
    EXPECT_TRUE(Collision_InstancesOverlap(a, b, false));
    EXPECT_EQ(Collision_Line(nullptr, 0, 0, 20, 20, -3, true, false), nullptr);
    EXPECT_EQ(Collision_Line(nullptr, 0, 0, 20, 20, -3, false, false), a);
    EXPECT_EQ(Instance_AtPosition(10, 10, o), nullptr);  // always precise
    s->m_masks[0][0] = 1;
    EXPECT_EQ(Instance_AtPosition(10, 10, o), a);
    Sprite_Clear();
}

TEST_F(Collisions, TargetsNotmeAndDestroyedInstances)
{
    int base = Object(), child = Object(false, base), other = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* self = Put(other, 5, 5);
    CInstance* c = Put(child, 5, 5);
    EXPECT_EQ(Collision_AtPoint(self, 5, 5, -3, false, true), c);
    EXPECT_EQ(Collision_AtPoint(self, 5, 5, -3, false, false), self);
    EXPECT_EQ(Collision_AtPoint(self, 5, 5, base, false, true), c);
    EXPECT_EQ(Collision_AtPoint(self, 5, 5, self->id, false, true), nullptr);
    EXPECT_EQ(Collision_AtPoint(self, 5, 5, -1, false, false), nullptr);  // -1 names no object here
    EXPECT_EQ(Instance_Place(self, 5, 5, base), c);
    EXPECT_TRUE(Instance_PlaceFree(self, 5, 5));
    EXPECT_FALSE(Instance_PlaceEmpty(self, 5, 5));
    c->marked = true;
    EXPECT_EQ(Collision_AtPoint(self, 5, 5, base, false, false), nullptr);
    EXPECT_EQ(Collision_AtPoint(self, 5, 5, c->id, false, false), nullptr);
    EXPECT_TRUE(Instance_PlaceEmpty(self, 5, 5));
}

TEST_F(Collisions, PlacingLeavesSelfExactlyWhereItWas)
{
    int o = Object(true);
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* self = Put(o, 3.25f, 7.75f);
    Put(o, 40, 40);
    self->Compute_BoundingBox();
    EXPECT_FALSE(Instance_PlaceFree(self, 40, 40));
    EXPECT_NE(Instance_Place(self, 40.2f, 39.9f, -3), nullptr);
    EXPECT_EQ(self->x, 3.25f);
    EXPECT_EQ(self->y, 7.75f);
    EXPECT_FALSE(self->bbox_dirty);
    EXPECT_EQ(self->bbox_left, 3);
    EXPECT_EQ(self->bbox_top, 8);
}

TEST_F(Collisions, ShapesAtTheEdges)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* a = Put(o, 10, 10);  // the pixel cell [10, 11) x [10, 11)
    EXPECT_TRUE(Collision_InstanceCoversPoint(a, 10.99f, 10, false));
    EXPECT_FALSE(Collision_InstanceCoversPoint(a, 11, 10, false));
    EXPECT_FALSE(Collision_InstanceCoversPoint(a, 9.99f, 10, false));
    EXPECT_TRUE(Collision_InstanceTouchesEllipse(a, 8, 10.5f, 12, 14.5f, false));
    EXPECT_FALSE(Collision_InstanceTouchesEllipse(a, 6, 12, 14, 20, false));
    EXPECT_TRUE(Collision_InstanceTouchesLine(a, 0, 20, 20, 0, false));
    EXPECT_FALSE(Collision_InstanceTouchesLine(a, 0, 25, 25, 0, false));
    EXPECT_TRUE(Collision_InstanceTouchesLine(a, 10.5f, 10.5f, 10.5f, 10.5f, false));  // a point
    EXPECT_FALSE(Collision_InstanceCoversPoint(a, NAN, 10, false));
    EXPECT_FALSE(Collision_InstanceTouchesRectangle(a, -1e30f, -1e30f, -1e20f, 1e30f, false));
    EXPECT_TRUE(Collision_InstanceTouchesRectangle(a, -1e30f, -1e30f, 1e30f, 1e30f, false));
}

// The events of a step agree with every pair checked one by one, with parents on the other side,
// however many instances share a place.
TEST_F(Collisions, StepEventsMatchEveryPairChecked)
{
    int a = Object(), b = Object(), b2 = Object(false, b);
    Object_Find(a)->AddEvent(EVENT_COLLISION, b, "global.ab += 1;");
    Object_Find(b)->AddEvent(EVENT_COLLISION, a, "global.ba += 1;");
    ASSERT_NO_FATAL_FAILURE(Start());
    Code_Variable_FindOrAdd("ab");
    TaggedValue zero(0.0);
    Variable_Global_Set(Code_Variable_FindOrAdd("ab"), 0, &zero);
    Variable_Global_Set(Code_Variable_FindOrAdd("ba"), 0, &zero);
    std::mt19937 random(7);
    std::vector<CInstance*> as, bs;
    for (int i = 0; i < 400; i++) {
        int object = i % 3 == 0 ? a : (i % 3 == 1 ? b : b2);
        CInstance* inst = Put(object, (float)(random() % 30), (float)(random() % 30));
        (object == a ? as : bs).push_back(inst);
    }
    int expected = 0;
    for (CInstance* i : as)
        for (CInstance* j : bs)
            if (std::lrint(i->x) == std::lrint(j->x) && std::lrint(i->y) == std::lrint(j->y)) expected++;
    ASSERT_GT(expected, 0);
    Collision_StepEvents();
    TaggedValue ab, ba;
    ASSERT_TRUE(Variable_Global_Get(Code_Variable_FindOrAdd("ab"), 0, &ab));
    ASSERT_TRUE(Variable_Global_Get(Code_Variable_FindOrAdd("ba"), 0, &ba));
    EXPECT_EQ(ab.GetReal(), expected);
    EXPECT_EQ(ba.GetReal(), expected);  // b2 inherits b's event
}

TEST_F(Collisions, DestroyedInEventMeetsNoMore)
{
    int a = Object(), b = Object();
    Object_Find(a)->AddEvent(EVENT_COLLISION, b, "global.hits += 1; instance_destroy();");
    ASSERT_NO_FATAL_FAILURE(Start());
    TaggedValue zero(0.0);
    Variable_Global_Set(Code_Variable_FindOrAdd("hits"), 0, &zero);
    Put(a, 1, 1);
    Put(b, 1, 1);
    Put(b, 1, 1);
    Put(a, 2, 2);
    Collision_StepEvents();
    TaggedValue hits;
    Variable_Global_Get(Code_Variable_FindOrAdd("hits"), 0, &hits);
    EXPECT_EQ(hits.GetReal(), 1);
}

}  // namespace

#include "Motion/Motion_Main.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

namespace {

// Instances with a 16 x 16 sprite, origin in the middle, whose precise mask is the diagonal.
class SpriteShapes : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        Sprite_Clear();
        sprite = Sprite_AddNew();
        CSprite* s = Sprite_Get(sprite);
        s->m_numb = 1;
        s->m_width = s->m_height = 16;
        s->m_xorigin = s->m_yorigin = 8;
        s->m_bboxMode = BBOX_MANUAL;
        s->m_bbox = {0, 0, 15, 15};
        s->m_precise = s->m_hasMasks = true;
        s->m_masks.assign(1, std::vector<uint8_t>(256, 0));
        for (int i = 0; i < 16; i++) s->m_masks[0][i * 16 + i] = 1;
        object = Object();
        Object_Find(object)->sprite = sprite;
    }
    void TearDown() override
    {
        Motion_Grid_DestroyAll();
        WorldTest::TearDown();
        Sprite_Clear();
    }
    int sprite = -1, object = -1;
};

TEST_F(SpriteShapes, BoxesFollowScaleAndAngle)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* a = Put(object, 100, 100);
    a->Compute_BoundingBox();
    EXPECT_EQ(a->bbox_left, 92);
    EXPECT_EQ(a->bbox_right, 107);
    a->SetImageXScale(-2);
    a->Compute_BoundingBox();
    EXPECT_EQ(a->bbox_left, 84);
    EXPECT_EQ(a->bbox_right, 115);
    EXPECT_EQ(a->bbox_top, 92);
    a->SetImageXScale(1);
    a->SetImageAngle(45);
    a->Compute_BoundingBox();
    EXPECT_EQ(a->bbox_left, 89);  // 8 * sqrt(2) to either side
    EXPECT_EQ(a->bbox_bottom, 110);
    // Absurd scales give a box held within the pixel range, and precise tests over it still end.
    a->SetImageAngle(0);
    a->SetImageXScale(1e30f);
    a->SetImageYScale(1e5f);
    a->Compute_BoundingBox();
    EXPECT_EQ(a->bbox_left, -1000000000);
    EXPECT_EQ(a->bbox_right, 999999999);
    CInstance* b = Put(object, 0, 0);
    b->SetImageXScale(-1e5f);
    b->SetImageYScale(1e5f);
    EXPECT_TRUE(Collision_InstancesOverlap(a, b, true));
    EXPECT_TRUE(Collision_InstanceTouchesEllipse(a, -1e8f, -1e8f, 1e8f, 1e8f, true));
    a->SetImageXScale(NAN);
    a->Compute_BoundingBox();
    EXPECT_LE(a->bbox_left, a->bbox_right);
}

TEST_F(SpriteShapes, PreciseTestsUseTheMask)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* a = Put(object, 100, 100);
    CInstance* below = Put(object, 100, 101);
    CInstance* along = Put(object, 104, 104);
    EXPECT_TRUE(Collision_InstanceCoversPoint(a, 92.5f, 92.5f, true));
    EXPECT_FALSE(Collision_InstanceCoversPoint(a, 93.5f, 92.5f, true));
    EXPECT_TRUE(Collision_InstanceCoversPoint(a, 93.5f, 92.5f, false));
    EXPECT_FALSE(Collision_InstancesOverlap(a, below, true));
    EXPECT_TRUE(Collision_InstancesOverlap(a, below, false));
    EXPECT_TRUE(Collision_InstancesOverlap(a, along, true));
    EXPECT_FALSE(Collision_InstanceTouchesLine(a, 93.5f, 92, 107.5f, 106, true));
    EXPECT_TRUE(Collision_InstanceTouchesLine(a, 93.5f, 92, 107.5f, 106, false));
    EXPECT_TRUE(Collision_InstanceTouchesLine(a, 92, 106, 106, 92, true));
    // This one crosses the diagonal between two of its pixels: one point a column misses it.
    EXPECT_FALSE(Collision_InstanceTouchesLine(a, 92, 107, 107, 92, true));
    EXPECT_EQ(Instance_Place(a, 100, 100, object), along);
    EXPECT_EQ(Instance_Place(a, 100, 101, object), below);
    EXPECT_EQ(Instance_Place(a, 100, 99, object), nullptr);  // the boxes meet, the masks do not
    // A grid blocks only the cells the mask touches when precise.
    int g = Motion_Grid_Create(92, 92, 4, 4, 4, 4);
    Motion_Grid_AddInstance(g, a, true);
    int blocked = 0;
    for (int v = 0; v < 4; v++)
        for (int h = 0; h < 4; h++) blocked += Motion_Grid_GetCell(g, h, v);
    EXPECT_EQ(blocked, 4);
    EXPECT_EQ(Motion_Grid_GetCell(g, 2, 2), 1);
    Motion_Grid_AddInstance(g, a, false);
    EXPECT_EQ(Motion_Grid_GetCell(g, 3, 0), 1);
}

}  // namespace
