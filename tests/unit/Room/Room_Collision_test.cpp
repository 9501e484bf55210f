#include "Room/Room_Collision.h"
#include "Variable/Variable_Main.h"
#include "World.h"

#include <map>
#include <random>
#include <set>

namespace {

class Collisions : public WorldTest {};

// A mask hook that leaves out one room pixel: precise tests miss there, box tests do not.
int HolePixel = 0;
bool AlwaysPrecise(CInstance*) { return true; }
bool CoversAllButHole(CInstance*, int px, int py) { return !(px == HolePixel && py == HolePixel); }

TEST_F(Collisions, PreciseTestsAskTheMaskHooks)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* a = Put(o, 10, 10);
    CInstance* b = Put(o, 10, 10);
    HolePixel = 10;
    Collision_MaskPrecise = AlwaysPrecise;
    Collision_MaskCovers = CoversAllButHole;
    EXPECT_FALSE(Collision_InstanceCoversPoint(a, 10.5f, 10.5f, true));
    EXPECT_TRUE(Collision_InstanceCoversPoint(a, 10.5f, 10.5f, false));
    EXPECT_FALSE(Collision_InstancesOverlap(a, b, true));
    EXPECT_TRUE(Collision_InstancesOverlap(a, b, false));
    EXPECT_EQ(Collision_Line(nullptr, 0, 0, 20, 20, -3, true, false), nullptr);
    EXPECT_EQ(Collision_Line(nullptr, 0, 0, 20, 20, -3, false, false), a);
    EXPECT_EQ(Instance_AtPosition(10, 10, o), nullptr);  // always precise
    HolePixel = -1;
    EXPECT_EQ(Instance_AtPosition(10, 10, o), a);
    Collision_MaskPrecise = nullptr;
    Collision_MaskCovers = nullptr;
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
