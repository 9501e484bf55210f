#include "Object/Instance_List.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace {

// The list never looks behind its pointers: numbers stand for instances.
CInstance* Fake(int k) { return reinterpret_cast<CInstance*>((uintptr_t)(k + 1) * 64); }

TEST(InstanceList, DepthsSortAsNumbersWithNaNLast)
{
    const float order[] = {-INFINITY, -1e30f, -1.0f, 0.0f, 1e-30f, 1.0f, 12000.0f, INFINITY, NAN};
    for (size_t i = 0; i + 1 < sizeof order / sizeof *order; i++)
        EXPECT_LT(InstanceKey_Order(order[i]), InstanceKey_Order(order[i + 1])) << order[i];
    EXPECT_EQ(InstanceKey_Order(-0.0f), InstanceKey_Order(0.0f));
    EXPECT_EQ(InstanceKey_Order(-NAN), InstanceKey_Order(NAN));
}

// A list under random insertions, removals and moves, with right and wrong search hints, keeps
// the order of a plain sorted copy; walks pass the empty slots by.
TEST(InstanceList, RandomChangesKeepTheOrderOfASortedCopy)
{
    std::mt19937 random(49);
    CInstanceList list;
    std::vector<InstanceKey> keys(400);  // by instance number; seq 0: not in the list
    uint64_t seq = 0;
    auto model = [&] {
        std::vector<std::pair<InstanceKey, int>> in;
        for (int k = 0; k < (int)keys.size(); k++)
            if (keys[k].seq) in.push_back({keys[k], k});
        std::sort(in.begin(), in.end(), [](auto& a, auto& b) { return InstanceKey_Less(a.first, b.first); });
        std::vector<CInstance*> out;
        for (auto& e : in) out.push_back(Fake(e.second));
        return out;
    };
    // Few depths, so that many entries share one and their sequence decides.
    auto fresh = [&] {
        InstanceKey key;
        key.order = InstanceKey_Order((float)(random() % 7) - 3.0f);
        key.seq = ++seq;
        return key;
    };
    for (int step = 0; step < 20000; step++) {
        int k = (int)(random() % keys.size());
        if (random() % 3 == 0) keys[k].hint = (uint32_t)random();  // a stale hint
        if (!keys[k].seq) {
            keys[k] = fresh();
            list.Insert(Fake(k), keys[k]);
        } else if (random() % 3 == 0) {
            ASSERT_TRUE(list.Remove(Fake(k), keys[k]));
            ASSERT_FALSE(list.Remove(Fake(k), keys[k]));
            keys[k].seq = 0;
        } else {
            InstanceKey to = fresh();
            if (random() % 4 == 0) to.order = UINT32_MAX;  // past every entry
            ASSERT_TRUE(list.Move(Fake(k), keys[k], to));
            ASSERT_EQ(keys[k].seq, to.seq);
        }
        // Another's key, or a key of no entry, finds nothing.
        int other = (int)(random() % keys.size());
        if (other != k && keys[other].seq) {
            ASSERT_FALSE(list.Contains(Fake(k), keys[other]));
            ASSERT_FALSE(list.Move(Fake(k), keys[other], fresh()));
        }
        if (step % 97 == 0 || step > 19900) {
            std::vector<CInstance*> want = model();
            ASSERT_EQ(list.Snapshot(), want) << "after step " << step;
            ASSERT_EQ(list.size(), want.size());
            ASSERT_EQ(list.front(), want.empty() ? nullptr : want.front());
            ASSERT_EQ(list.back(), want.empty() ? nullptr : want.back());
            for (int j = 0; j < (int)keys.size(); j++) {
                if (keys[j].seq) {
                    ASSERT_TRUE(list.Contains(Fake(j), keys[j]));
                }
            }
        }
    }
    // Every second instance at once.
    list.RemoveIf([](CInstance* i) { return (uintptr_t)i % 128 == 0; });
    for (int k = 1; k < (int)keys.size(); k += 2) keys[k].seq = 0;
    EXPECT_EQ(list.Snapshot(), model());
    list.Clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
    EXPECT_EQ(list.front(), nullptr);
    EXPECT_EQ(list.back(), nullptr);
}

// Entries that leave the front for the end, one after another (as instance_change into an object
// of a greater depth moves them), leave empty slots that walks pass by and that are dropped once
// they outnumber the entries.
TEST(InstanceList, MovesToTheEndLeaveEmptySlots)
{
    CInstanceList list;
    std::vector<InstanceKey> keys(1000);
    uint64_t seq = 0;
    for (int k = 0; k < 1000; k++) {
        keys[k].order = InstanceKey_Order(0);
        keys[k].seq = ++seq;
        list.Insert(Fake(k), keys[k]);
    }
    for (int k = 0; k < 1000; k++) {
        InstanceKey to;
        to.order = InstanceKey_Order(1);
        to.seq = ++seq;
        ASSERT_TRUE(list.Move(Fake(k), keys[k], to));
        ASSERT_EQ(list.size(), 1000u);
        ASSERT_EQ(list.back(), Fake(k));
        ASSERT_EQ(list.front(), Fake((k + 1) % 1000));
    }
    std::vector<CInstance*> all;
    for (int k = 0; k < 1000; k++) all.push_back(Fake(k));
    EXPECT_EQ(list.Snapshot(), all);
}

}  // namespace
