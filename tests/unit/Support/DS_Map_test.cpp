// The map's index against plain scans of what it holds: reals at every scale and precision,
// texts and NaNs side by side, deletes, growth and large maps.
#include "Support/DataStructures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

class DSMap : public ::testing::Test {
protected:
    void SetUp() override { DS_SetPrecision(0.0000001); }
    void TearDown() override { DS_SetPrecision(0.0000001); }
};

bool Equal(double a, double b)
{
    TaggedValue x(a), y(b);
    return DS_CompareValues(&x, &y) == 0;
}

// Of the stored reals (in insertion order) that compare equal with the key, the position of the
// nearest, or of the first added of two as near; -1 when none does.
int NearestEqual(const std::vector<double>& stored, double key)
{
    int best = -1;
    double nearest = 0;
    for (int i = 0; i < (int)stored.size(); i++) {
        if (!Equal(stored[i], key)) continue;
        double distance = std::fabs((double)DS_Narrow(stored[i]) - (double)DS_Narrow(key));
        if (best < 0 || distance < nearest) {
            best = i;
            nearest = distance;
        }
    }
    return best;
}

// A real NaN whose single-precision bits are these.
double NaNOfBits(uint32_t bits)
{
    float f;
    memcpy(&f, &bits, sizeof f);
    return (double)f;
}

// The NaN whose bits mark a text's slot in the index.
double MarkOf(const TaggedValue& text)
{
    return NaNOfBits(0x7FC00000u | text.TextHash());
}

}  // namespace

// Reals scattered about zero, whole numbers, both sides of the size from which single precision is
// coarser than the precision, the tiny and the huge: the map adds what no stored key equals and
// finds what the scan finds, under several precisions (one whose coarse size is near the least
// normal single-precision real, one whose is beyond the largest).
TEST_F(DSMap, RealsAgreeWithTheComparisonAtEveryScale)
{
    std::mt19937 rng(7);
    for (double precision : {0.0000001, 0.01, 0.5, 3.6, 0.0, 1e-45, 1e35}) {
        DS_SetPrecision(precision);
        const double coarse = std::ldexp(precision, 27);
        const std::vector<double> centres = {0, 1, 1000, 1e6, coarse, -coarse, coarse / 2, 1e-30, 3e38, -1e300};
        auto pick = [&]() {
            double c = centres[rng() % centres.size()];
            double spread = 4 * std::max(precision, std::fabs(c) * 1e-6);
            double k = c + std::uniform_real_distribution<double>(-spread, spread)(rng);
            return rng() % 3 ? k : std::round(k);
        };
        CDS_Map m;
        std::vector<double> stored;
        for (int i = 0; i < 600; i++) {
            double k = pick();
            bool equalStored = NearestEqual(stored, k) >= 0;
            ASSERT_EQ(m.Add(k, (double)stored.size()), !equalStored) << precision << " " << k;
            if (!equalStored) stored.push_back(k);
        }
        for (int i = 0; i < 3000; i++) {
            double k = i % 2 ? pick() : stored[rng() % stored.size()];
            if (i % 4 == 0) k += std::uniform_real_distribution<double>(-1.5, 1.5)(rng) * precision;
            int expected = NearestEqual(stored, k);
            const CDS_Map::Entry* e = m.Find(k);
            ASSERT_EQ(e ? (int)e->value.val : -1, expected) << precision << " " << k;
        }
    }
}

// Texts, NaNs (one of the very bits a text's slot of the index is marked with), -0, infinities and
// reals in one map, added, replaced and deleted in a random order: after each change the map
// holds what a list of the live entries in insertion order holds.
TEST_F(DSMap, TextsNaNsAndRealsThroughDeletesAndAddsAgain)
{
    std::vector<TaggedValue> pool;
    for (int i = 0; i < 150; i++) pool.push_back(TaggedValue(("key" + std::to_string(i)).c_str()));
    pool.push_back(MarkOf(pool[0]));
    for (uint32_t bits : {0x7FC00000u, 0xFFC00000u, 0x7FC12345u, 0xFFC54321u, 0x7F800001u}) pool.push_back(NaNOfBits(bits));
    for (double real : {-0.0, (double)INFINITY, -(double)INFINITY, 1e30, -3e38, 1e-3, 0.5}) pool.push_back(real);
    for (int i = 1; i <= 150; i++) pool.push_back((double)((i * 7919) % 1000003) + 0.25 * (i % 4));

    // Each pool key equals only itself; the live ones with their values, in insertion order.
    CDS_Map m;
    std::vector<std::pair<int, double>> live;
    auto at = [&](int key) {
        return std::find_if(live.begin(), live.end(), [&](const std::pair<int, double>& e) { return e.first == key; });
    };
    auto check = [&]() {
        ASSERT_EQ(m.Size(), (int)live.size());
        size_t i = 0;
        for (const CDS_Map::Entry& e : m.Entries()) {
            ASSERT_LT(i, live.size());
            ASSERT_EQ(e.value.val, live[i++].second);
        }
        for (int key = 0; key < (int)pool.size(); key++) {
            const CDS_Map::Entry* e = m.Find(pool[key]);
            auto it = at(key);
            ASSERT_EQ(e != nullptr, it != live.end()) << key;
            if (e) {
                ASSERT_EQ(e->value.val, it->second) << key;
            }
        }
    };
    std::mt19937 rng(11);
    for (int step = 0; step < 6000; step++) {
        int key = (int)(rng() % pool.size());
        double value = step;
        switch (rng() % 3) {
        case 0:
            ASSERT_EQ(m.Add(pool[key], value), at(key) == live.end()) << key;
            if (at(key) == live.end()) live.push_back({key, value});
            break;
        case 1:
            ASSERT_EQ(m.ReplaceOrAdd(pool[key], value), at(key) != live.end()) << key;
            if (at(key) != live.end()) at(key)->second = value;
            else live.push_back({key, value});
            break;
        default:
            m.Delete(pool[key]);
            if (at(key) != live.end()) live.erase(at(key));
        }
        if (step % 250 == 0) check();
    }
    check();

    // A text and the NaN of its mark's bits, each alone in a small map and then together: small
    // maps make the NaN's probe meet the text's slot for some of the texts.
    for (int i = 0; i < 300; i++) {
        TaggedValue text(("t" + std::to_string(i)).c_str());
        double nan = MarkOf(text);
        CDS_Map small;
        ASSERT_TRUE(small.Add(text, 1.0));
        ASSERT_EQ(small.Find(nan), nullptr) << i;
        small.Delete(nan);
        ASSERT_TRUE(small.Add(nan, 2.0)) << i;
        ASSERT_EQ(small.Find(text)->value.val, 1.0);
        ASSERT_EQ(small.Find(nan)->value.val, 2.0);
        small.Delete(text);
        ASSERT_EQ(small.Find(text), nullptr) << i;
        ASSERT_EQ(small.Find(nan)->value.val, 2.0);
    }
}

// A walk by Next while every step adds a key (the index grows many times over), keys deleted and
// added again, the store compacted, and a map of half a million keys.
TEST_F(DSMap, WalksGrowthAndLargeMaps)
{
    CDS_Map m;
    for (int i = 0; i < 10; i++) ASSERT_TRUE(m.Add((double)i, (double)i));
    std::vector<double> walked;
    int added = 10;
    for (const TaggedValue* k = m.First(); k; k = m.Next(TaggedValue(walked.back()))) {
        walked.push_back(k->val);
        if (added < 3000) {
            ASSERT_TRUE(m.Add((double)added, (double)added));
            added++;
        }
    }
    ASSERT_EQ((int)walked.size(), 3000);
    for (int i = 0; i < 3000; i++) ASSERT_EQ(walked[i], (double)i);

    // Every other key deleted (the store compacts on the way), then all added again: the ones
    // kept stay first, the ones added again follow in their new order.
    for (int i = 0; i < 3000; i += 2) m.Delete((double)i);
    for (int i = 2998; i >= 0; i -= 2) ASSERT_TRUE(m.Add((double)i, -(double)i));
    ASSERT_EQ(m.Size(), 3000);
    std::vector<double> order;
    for (const CDS_Map::Entry& e : m.Entries()) order.push_back(e.key.val);
    for (int i = 0; i < 1500; i++) {
        ASSERT_EQ(order[i], (double)(2 * i + 1));
        ASSERT_EQ(order[1500 + i], (double)(2998 - 2 * i));
    }
    EXPECT_EQ(m.Find(2998.0)->value.val, -2998.0);
    EXPECT_EQ(m.Previous(2998.0)->val, 2999.0);

    CDS_Map large;
    const int n = 500000;
    for (int i = 0; i < n; i++) ASSERT_TRUE(large.Add((double)(((int64_t)i * 7919) % 1000003) - 500000.5, (double)i));
    ASSERT_EQ(large.Size(), n);
    for (int i = 0; i < n; i++) ASSERT_EQ(large.Find((double)(((int64_t)i * 7919) % 1000003) - 500000.5)->value.val, (double)i);
    EXPECT_EQ(large.Find(0.0), nullptr);
    EXPECT_EQ(large.Last()->val, (double)(((int64_t)(n - 1) * 7919) % 1000003) - 500000.5);
}
