#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// Objects 0 <- 1 <- 2 (parents), and 3 alone.
class Objects : public ::testing::Test {
protected:
    void SetUp() override
    {
        Object_Clear();
        for (int i = 0; i < 4; i++) Object_Add();
        Object_Find(1)->parent_index = 0;
        Object_Find(2)->parent_index = 1;
        Object_Find(0)->AddEvent(EVENT_STEP, STEP_NORMAL, "a = 1;");
        Object_Find(0)->AddEvent(EVENT_COLLISION, 3, "b = 1;");
        Object_Find(2)->AddEvent(EVENT_STEP, STEP_NORMAL, "c = 1;");
        Object_Find(3)->AddEvent(EVENT_COLLISION, 2, "d = 1;");
        Object_Find(3)->AddEvent(EVENT_COLLISION, 3, "e = 1;");
        ASSERT_TRUE(Object_LinkParents());
        Object_Lists_Build();
    }
    void TearDown() override { Object_Clear(); }
};

TEST_F(Objects, EventsAreFoundAlongTheParentChain)
{
    EXPECT_EQ(Object_FindEventOwner(2, EVENT_STEP, STEP_NORMAL), 2);
    EXPECT_EQ(Object_FindEventOwner(1, EVENT_STEP, STEP_NORMAL), 0);  // object 1 has none of its own
    EXPECT_EQ(Object_FindEventOwner(1, EVENT_STEP, STEP_END), -1);
    EXPECT_EQ(Object_EventList(EVENT_STEP, STEP_NORMAL), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(Object_EventList(EVENT_DRAW, 0).empty());
    EXPECT_TRUE(Object_Find(2)->IsDescendant(0));
    EXPECT_FALSE(Object_Find(0)->IsDescendant(2));
    EXPECT_FALSE(Object_Find(2)->IsDescendant(2));
    EXPECT_EQ(Object_Find(1)->GetEvent(EVENT_STEP, STEP_NORMAL), nullptr);
}

TEST_F(Objects, CollisionPairsAreUnorderedAndCountInheritedEvents)
{
    std::vector<std::pair<int, int>> pairs = Object_CollisionPairs();
    std::sort(pairs.begin(), pairs.end());
    // 0, 1 and 2 collide with 3 (1 and 2 by inheritance); 3 with 2 is the pair (2, 3) again.
    EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
}

TEST_F(Objects, LoopsMadeWhileRunningEndTheWalks)
{
    Object_Find(0)->parent_index = 2;  // 0 -> 2 -> 1 -> 0
    Object_Find(0)->parent = Object_Find(2);
    EXPECT_FALSE(Object_Find(1)->IsDescendant(3));
    EXPECT_EQ(Object_FindEventOwner(1, EVENT_DRAW, 0), -1);
    Object_Lists_Build();
    EXPECT_FALSE(Object_LinkParents());
}

TEST_F(Objects, AppendedCodeAndDeletion)
{
    CObject* o = Object_Find(3);
    o->AddEvent(EVENT_COLLISION, 3, "f = 1;");
    EXPECT_STREQ(o->GetEvent(EVENT_COLLISION, 3)->GetText(), "e = 1;\nf = 1;");
    o->GetEvent(EVENT_COLLISION, 3)->Clear();
    EXPECT_STREQ(o->GetEvent(EVENT_COLLISION, 3)->GetText(), "");
    EXPECT_EQ(Object_GetName(3), std::string("__newobject3"));
    EXPECT_TRUE(Object_Delete(0));
    EXPECT_FALSE(Object_Exists(0));
    EXPECT_EQ(Object_Find(1)->parent, nullptr);
    EXPECT_FALSE(Object_Delete(0));
    EXPECT_EQ(Object_GetName(0), std::string("<undefined>"));
    EXPECT_EQ(Object_Add(), 4);
}

// Each object's table of the events its instances run is made on first use: every later change
// of events, parents or the object table must show in it.
TEST_F(Objects, EventTablesFollowEveryChange)
{
    CObject* child = Object_Find(2);
    EXPECT_EQ(child->FindEvent(EVENT_STEP, STEP_NORMAL).object, child);
    EXPECT_EQ(child->FindEvent(EVENT_COLLISION, 3).object, Object_Find(0));
    EXPECT_EQ(child->FindEvent(EVENT_DRAW, 0).event, nullptr);
    EXPECT_EQ(child->FindEvent(EVENT_COLLISION, 99).event, nullptr);
    EXPECT_EQ(child->FindEvent(-1, 0).event, nullptr);
    EXPECT_EQ(child->FindEvent(EVENT_TYPE_COUNT, 0).event, nullptr);
    EXPECT_EQ(child->FindEvent(EVENT_STEP, -1).event, nullptr);
    EXPECT_FALSE(Object_EventUsed(EVENT_DRAW, 0));

    // An event added to an ancestor reaches the child; one replacing compiled code is found anew.
    Object_Find(0)->AddEvent(EVENT_DRAW, 0, "g = 1;");
    EXPECT_EQ(child->FindEvent(EVENT_DRAW, 0).object, Object_Find(0));
    EXPECT_TRUE(Object_EventUsed(EVENT_DRAW, 0));
    CEvent* before = Object_Find(0)->GetEvent(EVENT_DRAW, 0);
    ASSERT_TRUE(before->Compile("test"));
    Object_Find(0)->AddEvent(EVENT_DRAW, 0, "h = 1;");
    EXPECT_NE(child->FindEvent(EVENT_DRAW, 0).event, before);
    EXPECT_EQ(child->FindEvent(EVENT_DRAW, 0).event, Object_Find(0)->GetEvent(EVENT_DRAW, 0));

    // A new parent link, then the ancestor deleted: the inherited events go with it.
    Object_Find(3)->parent_index = 0;
    ASSERT_TRUE(Object_LinkParents());
    EXPECT_EQ(Object_FindEventOwner(3, EVENT_STEP, STEP_NORMAL), 0);
    EXPECT_EQ(Object_FindEventOwner(3, EVENT_COLLISION, 3), 3);  // its own comes first
    ASSERT_TRUE(Object_Delete(0));
    EXPECT_EQ(Object_FindEventOwner(3, EVENT_STEP, STEP_NORMAL), -1);
    EXPECT_EQ(Object_FindEventOwner(1, EVENT_STEP, STEP_NORMAL), -1);
    EXPECT_EQ(Object_FindEventOwner(2, EVENT_STEP, STEP_NORMAL), 2);
    EXPECT_FALSE(Object_EventUsed(EVENT_DRAW, 0));  // only the deleted object had it
    EXPECT_TRUE(Object_EventUsed(EVENT_COLLISION, 2));
    EXPECT_FALSE(Object_EventUsed(EVENT_COLLISION, 1000000));

    // A loop made by hand, announced as parent changes are: the table is made without hanging.
    Object_Find(1)->parent = Object_Find(2);
    Object_Find(2)->parent = Object_Find(1);
    Object_EventsChanged();
    EXPECT_EQ(Object_FindEventOwner(1, EVENT_STEP, STEP_NORMAL), 2);
    EXPECT_EQ(Object_FindEventOwner(1, EVENT_KEYPRESS, 5), -1);

    // An event of a high number (a collision with an object of a high index) is found without a
    // table as long as the number.
    Object_Find(1)->AddEvent(EVENT_COLLISION, 2000000000, "k = 1;");
    EXPECT_EQ(Object_FindEventOwner(2, EVENT_COLLISION, 2000000000), 1);
    EXPECT_EQ(Object_FindEventOwner(2, EVENT_COLLISION, 1999999999), -1);
}

// A pass looks an object's event up once for a run of its instances: a change of events made by
// one of them reaches the next, and instances of missing or deleted objects run nothing.
TEST_F(Objects, PassLookupsFollowChangesWithinARunOfInstances)
{
    CInstance a(100001, 1, 0, 0), b(100002, 1, 0, 0), plain(100003, 3, 0, 0), lost(100004, 99, 0, 0);
    CEventLookup step(EVENT_STEP, STEP_NORMAL);
    EXPECT_EQ(step.For(&a).object, Object_Find(0));
    Object_Find(1)->AddEvent(EVENT_STEP, STEP_NORMAL, "z = 1;");
    EXPECT_EQ(step.For(&b).object, Object_Find(1));
    EXPECT_EQ(step.For(&b).event, Object_Find(1)->GetEvent(EVENT_STEP, STEP_NORMAL));
    EXPECT_EQ(step.For(&plain).event, nullptr);
    EXPECT_EQ(step.For(&lost).event, nullptr);
    EXPECT_EQ(step.For(&a).object, Object_Find(1));
    ASSERT_TRUE(Object_Delete(1));
    EXPECT_EQ(step.For(&b).event, nullptr);
}

TEST(EventNumbers, OnlyKnownEventsAreValid)
{
    EXPECT_TRUE(Event_IsValid(EVENT_ALARM, 11));
    EXPECT_FALSE(Event_IsValid(EVENT_ALARM, 12));
    EXPECT_TRUE(Event_IsValid(EVENT_OTHER, 25));
    EXPECT_FALSE(Event_IsValid(EVENT_CREATE, 1));
    EXPECT_FALSE(Event_IsValid(EVENT_TYPE_COUNT, 0));
    EXPECT_FALSE(Event_IsValid(EVENT_COLLISION, -1));
    EXPECT_STREQ(Event_GetName(EVENT_STEP, STEP_BEGIN), "Begin Step Event");
    EXPECT_STREQ(Event_GetName(99, 0), "Unknown Event");
}

}  // namespace
