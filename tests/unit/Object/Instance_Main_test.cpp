#include "Object/Instance_Class.h"

#include <gtest/gtest.h>
#include <memory>

namespace {
std::vector<int> Ids(int target, CInstance* self, CInstance* other)
{
    std::vector<CInstance*> found;
    Instance_CollectTargets(target, self, other, found);
    // A dotted read's instance: the first of them, found on its own.
    EXPECT_EQ(Instance_FirstTarget(target, self, other), found.empty() ? nullptr : found[0]) << "target " << target;
    std::vector<int> ids;
    for (CInstance* i : found) ids.push_back(i->id);
    return ids;
}
bool ChildOfFive(int object, int ancestor) { return ancestor == 5 && object == 6; }
}  // namespace

TEST(Instances, TargetsFollowCreationOrderAndSkipInactive)
{
    auto a = std::make_unique<CInstance>(800001, 5, 0, 0);
    auto b = std::make_unique<CInstance>(800002, 6, 0, 0);
    auto c = std::make_unique<CInstance>(800003, 5, 0, 0);
    EXPECT_EQ(Instance_Find(800002), b.get());
    EXPECT_EQ(b->alarm[11], -1);
    EXPECT_EQ(Ids(5, a.get(), b.get()), (std::vector<int>{800001, 800003}));
    Instance_ObjectIsDescendant = ChildOfFive;
    EXPECT_EQ(Ids(5, a.get(), b.get()), (std::vector<int>{800001, 800002, 800003}));
    Instance_ObjectIsDescendant = nullptr;
    c->deactivated = true;
    a->marked = true;
    EXPECT_EQ(Ids(5, a.get(), b.get()), (std::vector<int>{}));
    EXPECT_EQ(Ids(-1, a.get(), b.get()), (std::vector<int>{}));
    EXPECT_EQ(Ids(-2, a.get(), b.get()), (std::vector<int>{800002}));
    EXPECT_EQ(Ids(800003, a.get(), b.get()), (std::vector<int>{}));
    EXPECT_EQ(Ids(-4, a.get(), b.get()), (std::vector<int>{}));
    b.reset();
    EXPECT_EQ(Instance_Find(800002), nullptr);
    EXPECT_EQ(Instance_Find(800003), c.get());
}
