#include "Support/DataStructures.h"
#include "Base/Console.h"
#include "Base/Random.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

TaggedValue Str(const char* text) { return TaggedValue(text); }

class DataStructures : public ::testing::Test {
protected:
    void SetUp() override
    {
        DS_FreeAll();
        DS_SetPrecision(0.0000001);
    }
    void TearDown() override
    {
        DS_FreeAll();
        DS_SetPrecision(0.0000001);
    }
};

// A list of reals as its doubles, for comparisons.
std::vector<double> Reals(const CDS_List& l)
{
    std::vector<double> out;
    for (const TaggedValue& v : l.m_values) out.push_back(v.val);
    return out;
}

}  // namespace

TEST_F(DataStructures, ValueComparison)
{
    TaggedValue one(1.0), two(2.0), nearOne(1.0 + 1e-9), abc = Str("abc"), abd = Str("abd");
    EXPECT_EQ(DS_CompareValues(&one, &nearOne), 0);  // equal in single precision
    EXPECT_EQ(DS_CompareValues(&one, &two), -1);
    EXPECT_EQ(DS_CompareValues(&two, &one), 1);
    EXPECT_EQ(DS_CompareValues(&abc, &abd), -1);
    EXPECT_EQ(DS_CompareValues(&abd, &abc), 1);
    EXPECT_EQ(DS_CompareValues(&abc, &abc), 0);
    // Mixed kinds and strings without text are unequal both ways.
    TaggedValue noText;
    noText.kind = VALUE_STRING;
    EXPECT_EQ(DS_CompareValues(&one, &abc), 1);
    EXPECT_EQ(DS_CompareValues(&abc, &one), 1);
    EXPECT_EQ(DS_CompareValues(&noText, &noText), 1);

    DS_SetPrecision(-0.5);
    EXPECT_EQ(DS_Precision, 0.5);
    TaggedValue onePointFour(1.4);
    EXPECT_EQ(DS_CompareValues(&one, &onePointFour), 0);
    // With precision 0 equal reals still compare equal; different ones do not.
    DS_SetPrecision(0.0);
    EXPECT_EQ(DS_CompareValues(&one, &one), 0);
    EXPECT_EQ(DS_CompareValues(&one, &onePointFour), -1);
    // Reals beyond single precision: equal ones stay equal, and the sign still orders them.
    TaggedValue huge(1e300), minusHuge(-1e300);
    EXPECT_EQ(DS_CompareValues(&huge, &huge), 0);
    EXPECT_EQ(DS_CompareValues(&minusHuge, &huge), -1);
    EXPECT_EQ(DS_CompareValues(&huge, &one), 1);
}

TEST_F(DataStructures, ListPositionsOutsideTheirRangesChangeNothing)
{
    CDS_List l;
    for (double v : {10.0, 20.0, 30.0}) l.Add(v);
    for (int bad : {-1, 3, 8}) {
        EXPECT_FALSE(l.Replace(bad, 99.0)) << bad;
        EXPECT_FALSE(l.Delete(bad)) << bad;
        EXPECT_EQ(l.Get(bad), nullptr) << bad;
    }
    EXPECT_FALSE(l.Insert(-1, 99.0));
    EXPECT_FALSE(l.Insert(8, 99.0));
    EXPECT_EQ(Reals(l), (std::vector<double>{10, 20, 30}));
    // Insert accepts the size itself: it appends.
    EXPECT_TRUE(l.Insert(3, 40.0));
    EXPECT_TRUE(l.Insert(0, 5.0));
    EXPECT_TRUE(l.Delete(2));
    EXPECT_TRUE(l.Replace(3, 35.0));
    EXPECT_EQ(Reals(l), (std::vector<double>{5, 10, 30, 35}));
    EXPECT_EQ(l.FindIndex(30.0), 2);
    EXPECT_EQ(l.FindIndex(31.0), -1);
}

TEST_F(DataStructures, SortIsStableAndSafeWithMixedKinds)
{
    // Values the precision makes equal keep their order, in both directions.
    DS_SetPrecision(0.5);
    CDS_List l;
    for (double v : {1.2, 0.0, 1.0, 3.0}) l.Add(v);
    l.Sort(true);
    EXPECT_EQ(Reals(l), (std::vector<double>{0.0, 1.2, 1.0, 3.0}));
    l.Sort(false);
    EXPECT_EQ(Reals(l), (std::vector<double>{3.0, 1.2, 1.0, 0.0}));

    DS_SetPrecision(0.0000001);
    CDS_List strings;
    for (const char* s : {"pear", "apple", "fig", ""}) strings.Add(Str(s));
    strings.Sort(false);
    std::vector<std::string> got;
    for (const TaggedValue& v : strings.m_values) got.push_back(v.GetString());
    EXPECT_EQ(got, (std::vector<std::string>{"pear", "fig", "apple", ""}));

    // A large mix of reals, strings, texts without text and NaN: nothing is lost or duplicated.
    CDS_List mixed;
    double realSum = 0;
    int strings_ = 0;
    for (int i = 0; i < 2000; i++) {
        if (i % 3 == 0) {
            mixed.Add(Str(std::to_string(i * 7919 % 1000).c_str()));
            strings_++;
        } else if (i % 101 == 0) {
            mixed.Add(NAN);
        } else {
            double v = (i * 104729) % 997;
            mixed.Add(v);
            realSum += v;
        }
    }
    TaggedValue noText;
    noText.kind = VALUE_STRING;
    mixed.Add(noText);
    for (bool ascending : {true, false}) {
        mixed.Sort(ascending);
        ASSERT_EQ(mixed.Size(), 2001);
        double sum = 0;
        int s = 0;
        for (const TaggedValue& v : mixed.m_values) {
            if (v.IsString()) s++;
            else if (!std::isnan(v.val)) sum += v.val;
        }
        EXPECT_EQ(sum, realSum);
        EXPECT_EQ(s, strings_ + 1);
    }
}

TEST_F(DataStructures, ShufflesPermute)
{
    CDS_List l;
    CDS_Grid g(7, 3);
    for (int i = 0; i < 21; i++) {
        l.Add((double)i);
        g.At(i % 7, i / 7) = (double)i;
    }
    l.Shuffle();
    g.Shuffle();
    std::vector<double> fromList = Reals(l), fromGrid;
    for (int i = 0; i < 21; i++) fromGrid.push_back(g.At(i % 7, i / 7).val);
    std::vector<double> sortedList = fromList, sortedGrid = fromGrid;
    std::sort(sortedList.begin(), sortedList.end());
    std::sort(sortedGrid.begin(), sortedGrid.end());
    for (int i = 0; i < 21; i++) {
        EXPECT_EQ(sortedList[i], i);
        EXPECT_EQ(sortedGrid[i], i);
    }
    // The game's seed repeats a shuffle.
    CDS_List again;
    again.Assign(l);
    Random_Seed(1234);
    l.Shuffle();
    Random_Seed(1234);
    again.Shuffle();
    EXPECT_EQ(Reals(l), Reals(again));
}

TEST_F(DataStructures, MapOrderLookupAndCopies)
{
    CDS_Map m;
    EXPECT_TRUE(m.Add(Str("a"), 1.0));
    EXPECT_TRUE(m.Add(2.0, Str("two")));
    EXPECT_TRUE(m.Add(Str("c"), 3.0));
    EXPECT_TRUE(m.Add(Str("2"), 4.0));  // the text "2" and the real 2 are different keys
    EXPECT_FALSE(m.Add(Str("a"), 9.0));
    EXPECT_FALSE(m.ReplaceOrAdd(-0.0, Str("zero")));
    EXPECT_TRUE(m.ReplaceOrAdd(0.0, Str("nought")));  // -0 and 0 are one key
    EXPECT_STREQ(m.Find(Str("a"))->value.GetString(), "");
    EXPECT_EQ(m.Find(Str("a"))->value.val, 1.0);
    m.Delete(Str("c"));
    m.Delete(Str("missing"));
    EXPECT_FALSE(m.Exists(Str("c")));

    // Walking forward visits each key once in insertion order; backward reverses it.
    std::vector<std::string> forward;
    for (const TaggedValue* k = m.First(); k; k = m.Next(*k))
        forward.push_back(k->IsString() ? k->GetString() : std::to_string((int)k->val));
    EXPECT_EQ(forward, (std::vector<std::string>{"a", "2", "2", "0"}));
    EXPECT_TRUE(m.First()->IsString());
    EXPECT_EQ(m.Last()->val, 0.0);
    int backward = 0;
    for (const TaggedValue* k = m.Last(); k; k = m.Previous(*k)) backward++;
    EXPECT_EQ(backward, 4);
    EXPECT_EQ(m.Next(Str("missing")), nullptr);
    EXPECT_EQ(m.Previous(Str("a")), nullptr);

    m.Assign(m);
    EXPECT_EQ(m.Size(), 4);
    CDS_Map copy(m);
    EXPECT_NE(copy.Serial(), m.Serial());
    m.Clear();
    EXPECT_EQ(copy.Size(), 4);
    EXPECT_STREQ(copy.Find(2.0)->value.GetString(), "two");
}

TEST_F(DataStructures, MapKeyIdentity)
{
    CDS_Map m;
    double nan = std::nan("");
    EXPECT_TRUE(m.Add(nan, 1.0));
    EXPECT_FALSE(m.Add(nan, 2.0));  // a NaN finds itself
    EXPECT_EQ(m.Find(nan)->value.val, 1.0);
    EXPECT_TRUE(m.Add(-nan, 3.0));  // but not a NaN of other bits
    EXPECT_TRUE(m.Add(7.0, 4.0));
    EXPECT_FALSE(m.Add(14.0 / 2.0, 5.0));
    EXPECT_EQ(m.Find(7.0 + 1e-12)->value.val, 4.0);  // keys compare within the precision
    EXPECT_EQ(m.Find(7.001), nullptr);

    TaggedValue marked(7.0);
    marked.kind |= VALUE_MARK_MAP;  // a nesting mark does not change the key
    EXPECT_EQ(m.Find(marked)->value.val, 4.0);
    TaggedValue odd;
    odd.kind = 5;  // a value of no known kind reads as real 0
    EXPECT_TRUE(m.Add(0.0, 6.0));
    EXPECT_EQ(m.Find(odd)->value.val, 6.0);

    // Texts match by all their bytes, a prefix is another key; a string without text is "".
    TaggedValue none;
    none.kind = VALUE_STRING;
    EXPECT_TRUE(m.Add(Str("ab"), 7.0));
    EXPECT_TRUE(m.Add(Str("abc"), 8.0));
    EXPECT_TRUE(m.Add(Str(""), 9.0));
    EXPECT_FALSE(m.Add(none, 10.0));
    EXPECT_EQ(m.Find(Str("abc"))->value.val, 8.0);
    EXPECT_EQ(m.Find(Str("ab"))->value.val, 7.0);
    EXPECT_EQ(m.Size(), 7);
}

TEST_F(DataStructures, MapKeysCompareWithThePrecision)
{
    CDS_Map m;
    EXPECT_TRUE(m.Add(0.3, 1.0));
    EXPECT_EQ(m.Find(0.1 + 0.2)->value.val, 1.0);
    EXPECT_FALSE(m.Add(0.3 + 5e-8, 2.0));
    EXPECT_TRUE(m.Exists(0.3 - 5e-8));
    // Of two stored keys within the precision, the nearer is found; every kind of lookup agrees.
    DS_SetPrecision(0.01);
    EXPECT_TRUE(m.Add(1.0, 10.0));
    EXPECT_TRUE(m.Add(1.015, 20.0));
    EXPECT_FALSE(m.Add(1.006, 30.0));
    EXPECT_EQ(m.Find(1.009)->value.val, 20.0);
    EXPECT_EQ(m.Find(1.006)->value.val, 10.0);
    EXPECT_TRUE(m.ReplaceOrAdd(1.012, 21.0));
    EXPECT_EQ(m.Find(1.015)->value.val, 21.0);
    EXPECT_EQ(m.Next(1.004)->val, 1.015);
    EXPECT_EQ(m.Previous(1.018)->val, 1.0);
    // A changed precision holds for keys stored before it: 1.3 now meets both, and 1.015 is nearer.
    DS_SetPrecision(0.5);
    EXPECT_EQ(m.Find(1.3)->value.val, 21.0);
    DS_SetPrecision(0);
    EXPECT_EQ(m.Find(1.0151), nullptr);
    EXPECT_EQ(m.Find(1.015)->value.val, 21.0);
    DS_SetPrecision(0.01);
    m.Delete(1.004);
    EXPECT_EQ(m.Find(1.0), nullptr);
    EXPECT_EQ(m.Size(), 2);
    // Keys kept apart though they compare equal, the later one further along the probe: each is
    // found by its very value, a value between them by the nearer.
    CDS_Map near;
    EXPECT_TRUE(near.AddDistinct(1.001, 1.0));
    EXPECT_TRUE(near.AddDistinct(1.0, 2.0));
    EXPECT_EQ(near.Find(1.0)->value.val, 2.0);
    EXPECT_EQ(near.Find(1.001)->value.val, 1.0);
    EXPECT_EQ(near.Find(1.0004)->value.val, 2.0);
    EXPECT_EQ(near.Find(1.0008)->value.val, 1.0);

    // Whole numbers stored under one precision, looked up under another.
    CDS_Map many;
    for (int i = 0; i < 3000; i++) ASSERT_TRUE(many.Add((double)(i * 7), (double)i));
    DS_SetPrecision(0.25);
    for (int i = 0; i < 3000; i++) {
        ASSERT_EQ(many.Find(i * 7 + 0.2)->value.val, (double)i) << i;
        ASSERT_EQ(many.Find(i * 7 - 0.2)->value.val, (double)i) << i;
        ASSERT_EQ(many.Find(i * 7 + 0.3), nullptr) << i;
    }
    DS_SetPrecision(3.6);
    for (int i = 0; i < 3000; i++) ASSERT_EQ(many.Find(i * 7 + 3.4)->value.val, (double)i) << i;
    EXPECT_FALSE(many.Add(3.5, 0.0));
    EXPECT_TRUE(many.Add(1e39, 0.0));
    EXPECT_FALSE(many.Add(1e300, 0.0));  // beyond single precision both are infinity
}

TEST_F(DataStructures, LargeMapsKeepOrderAndLookupsThroughDeletes)
{
    // Enough keys to grow the index many times, deletes scattered over colliding runs, and the
    // store compacted on the way: every survivor must stay findable and in insertion order.
    CDS_Map m;
    const int n = 20000;
    for (int i = 0; i < n; i++) {
        if (i % 2) ASSERT_TRUE(m.Add((double)((i * 7919) % 1000003), (double)i));
        else ASSERT_TRUE(m.Add(Str(("k" + std::to_string(i)).c_str()), (double)i));
    }
    auto key = [](int i) { return i % 2 ? TaggedValue((double)((i * 7919) % 1000003)) : Str(("k" + std::to_string(i)).c_str()); };
    for (int i = 0; i < n; i++)
        if (i % 3) m.Delete(key(i));
    EXPECT_EQ(m.Size(), (n + 2) / 3);
    for (int i = 0; i < n; i++) {
        const CDS_Map::Entry* e = m.Find(key(i));
        ASSERT_EQ(e != nullptr, i % 3 == 0) << i;
        if (e) {
            ASSERT_EQ(e->value.val, (double)i);
        }
    }
    std::vector<double> order, walked;
    for (const CDS_Map::Entry& e : m.Entries()) order.push_back(e.value.val);
    for (const TaggedValue* k = m.First(); k; k = m.Next(*k)) walked.push_back(m.Find(*k)->value.val);
    ASSERT_EQ((int)order.size(), m.Size());
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_EQ(walked, order);
    EXPECT_EQ(m.Find(*m.Last())->value.val, order.back());
    EXPECT_EQ(m.Previous(*m.First()), nullptr);

    // A deleted key comes back at the end; a copy is independent of its source.
    CDS_Map copy(m);
    m.Delete(key(0));
    EXPECT_TRUE(m.Add(key(0), -1.0));
    EXPECT_EQ(m.Last()->GetString(), std::string("k0"));
    EXPECT_EQ(m.Previous(key(0))->val, copy.Last()->val);
    EXPECT_STREQ(copy.First()->GetString(), "k0");
    EXPECT_EQ(copy.Find(key(0))->value.val, 0.0);

    // Emptied by deletes, then used again.
    for (int i = 0; i < n; i++) m.Delete(key(i));
    EXPECT_TRUE(m.Empty());
    EXPECT_EQ(m.First(), nullptr);
    EXPECT_EQ(m.Entries().begin(), m.Entries().end());
    EXPECT_TRUE(m.Add(1.0, 2.0));
    EXPECT_EQ(m.First(), m.Last());
}

TEST_F(DataStructures, PriorityTiesAndUnorderedPriorities)
{
    CDS_Priority p;
    p.Add(Str("first-low"), 1.0);
    p.Add(Str("high"), 5.0);
    p.Add(Str("second-low"), 1.0);
    p.Add(Str("second-high"), 5.0);
    p.Add(Str("text-priority"), Str("zzz"));  // cannot be ordered against reals: never chosen
    EXPECT_STREQ(p.FindMin()->GetString(), "first-low");
    EXPECT_STREQ(p.FindMax()->GetString(), "high");
    TaggedValue out;
    EXPECT_TRUE(p.DeleteMin(&out));
    EXPECT_STREQ(out.GetString(), "first-low");
    EXPECT_STREQ(p.FindMin()->GetString(), "second-low");
    p.ChangePriority(Str("second-high"), 9.0);
    EXPECT_STREQ(p.FindMax()->GetString(), "second-high");
    EXPECT_EQ(p.FindPriority(Str("second-high"))->val, 9.0);
    EXPECT_EQ(p.FindPriority(Str("absent")), nullptr);
    p.DeleteValue(Str("high"));
    EXPECT_EQ(p.Size(), 3);
    p.Clear();
    EXPECT_EQ(p.FindMin(), nullptr);
    EXPECT_FALSE(p.DeleteMax(&out));
}

TEST_F(DataStructures, GridRegionsAndDisksAtTheEdges)
{
    CDS_Grid g(10, 10);
    g.RegionOp(DS_GRID_SET, 5, 5, -3, 2, 1.0);
    EXPECT_EQ(g.RegionAggregate(CDS_Grid::SUM, 0, 0, 9, 9), 24.0);  // x 0..5, y 2..5
    EXPECT_EQ(g.At(0, 2).val, 1.0);
    EXPECT_EQ(g.At(5, 5).val, 1.0);
    EXPECT_EQ(g.At(6, 5).val, 0.0);
    EXPECT_EQ(g.At(0, 1).val, 0.0);

    // A disk at the corner keeps the cells inside both the grid and the circle.
    CDS_Grid d(5, 5);
    d.DiskOp(DS_GRID_SET, 0.0, 0.0, 1.5, 1.0);
    EXPECT_EQ(d.RegionAggregate(CDS_Grid::SUM, 0, 0, 4, 4), 4.0);
    EXPECT_EQ(d.DiskAggregate(CDS_Grid::MEAN, 0.0, 0.0, 1.5), 1.0);
    d.DiskOp(DS_GRID_ADD, 2.0, 2.0, 1e300, 1.0);  // covers every cell
    EXPECT_EQ(d.RegionAggregate(CDS_Grid::SUM, 0, 0, 4, 4), 29.0);
    d.DiskOp(DS_GRID_SET, NAN, 0.0, 3.0, 7.0);
    d.DiskOp(DS_GRID_SET, 2.0, 2.0, -1.0, 7.0);
    EXPECT_EQ(d.RegionAggregate(CDS_Grid::MAX, 0, 0, 4, 4), 2.0);

    // Aggregates count real cells only.
    CDS_Grid s(3, 3);
    s.Clear(Str("x"));
    EXPECT_EQ(s.DiskAggregate(CDS_Grid::MAX, 1.0, 1.0, 5.0), -100000000.0);
    EXPECT_EQ(s.RegionAggregate(CDS_Grid::MIN, 0, 0, 2, 2), 100000000.0);
    EXPECT_EQ(s.RegionAggregate(CDS_Grid::MEAN, 0, 0, 2, 2), 0.0);
    s.CellOp(0, DS_GRID_ADD, 1, 1, Str("y"));
    s.CellOp(0, DS_GRID_MULTIPLY, 1, 1, 3.0);
    EXPECT_STREQ(s.At(1, 1).GetString(), "xy");
    s.CellOp(0, DS_GRID_SET, 2, 0, 4.0);
    s.CellOp(0, DS_GRID_SET, 0, 2, 2.0);
    EXPECT_EQ(s.RegionAggregate(CDS_Grid::MEAN, 0, 0, 2, 2), 3.0);

    // Searches scan x first, then y within x.
    CDS_Grid f(6, 6);
    f.At(3, 1) = 8.0;
    f.At(1, 4) = 8.0;
    int x = -1, y = -1;
    ASSERT_TRUE(f.RegionFind(8.0, 5, 5, 0, 0, &x, &y));
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 4);
    ASSERT_TRUE(f.DiskFind(8.0, 3.0, 1.0, 0.5, &x, &y));
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 1);
    EXPECT_FALSE(f.RegionFind(8.0, 2, 0, 5, 0, &x, &y));
}

TEST_F(DataStructures, GridCellsOutsideAndSizes)
{
    tagIConsole* saved = Console_Debug;
    TCaptureConsole capture;
    Console_Debug = &capture;
    CDS_Grid g(4, 3);
    EXPECT_EQ(g.Read(7, 4, 0), nullptr);
    g.CellOp(7, DS_GRID_SET, -1, 2, 5.0);
    Console_Debug = saved;
    EXPECT_EQ(capture.text, "Grid 7, index out of bounds reading [4,0] - size is [4,3]\n"
                            "Grid 7, index out of bounds writing [-1,2] - size is [4,3]\n");
    EXPECT_EQ(g.RegionAggregate(CDS_Grid::SUM, 0, 0, 3, 2), 0.0);

    g.At(1, 1) = Str("kept");
    EXPECT_TRUE(g.Resize(2, 5));
    EXPECT_STREQ(g.At(1, 1).GetString(), "kept");
    EXPECT_TRUE(g.At(1, 4).IsReal());
    EXPECT_FALSE(g.Resize(100000, 100000));
    EXPECT_FALSE(g.Resize(2147483647, 2147483647));
    EXPECT_EQ(g.Width(), 2);
    EXPECT_TRUE(g.Resize(-5, 3));
    EXPECT_EQ(g.Width(), 0);
    g.RegionOp(DS_GRID_SET, 0, 0, 9, 9, 1.0);  // an empty grid has no cells to touch
    EXPECT_FALSE(CDS_Grid::SizeAllowed(65536, 65536));
    EXPECT_TRUE(CDS_Grid::SizeAllowed(-100000, 100000));
}

TEST_F(DataStructures, GridRegionWithinOneGridUsesTheValuesBeforeTheCopy)
{
    CDS_Grid g(5, 2);
    for (int x = 0; x < 5; x++) g.At(x, 0) = (double)x;
    // Shift row 0 right by one onto itself: a cell-by-cell copy would smear 0 along the row.
    g.GridRegionOp(DS_GRID_SET, g, 0, 0, 3, 0, 1, 0);
    double row[5];
    for (int x = 0; x < 5; x++) row[x] = g.At(x, 0).val;
    EXPECT_EQ(std::vector<double>(row, row + 5), (std::vector<double>{0, 0, 1, 2, 3}));
    // A rectangle reaching out of the source keeps its placement; cells landing outside are dropped.
    CDS_Grid src(3, 3);
    src.Clear(2.0);
    CDS_Grid dst(4, 4);
    dst.Clear(1.0);
    dst.GridRegionOp(DS_GRID_ADD, src, -1, -1, 1, 1, 2, 2);
    EXPECT_EQ(dst.At(2, 2).val, 1.0);  // source (-1,-1) does not exist
    EXPECT_EQ(dst.At(3, 3).val, 3.0);
    EXPECT_EQ(dst.RegionAggregate(CDS_Grid::SUM, 0, 0, 3, 3), 18.0);
    dst.GridRegionOp(DS_GRID_MULTIPLY, src, 0, 0, 2, 2, 2147483647, -2147483647 - 1);
    EXPECT_EQ(dst.RegionAggregate(CDS_Grid::SUM, 0, 0, 3, 3), 18.0);
}

TEST_F(DataStructures, SlotsAreReusedAndMapsDestroyedOnlyWhenTheSame)
{
    EXPECT_EQ(DS_List_Create(), 0);
    EXPECT_EQ(DS_List_Create(), 1);
    EXPECT_TRUE(DS_List_Destroy(0));
    EXPECT_FALSE(DS_List_Destroy(0));
    EXPECT_EQ(DS_List_Find(0), nullptr);
    EXPECT_EQ(DS_List_Find(-1), nullptr);
    EXPECT_EQ(DS_List_Find(2), nullptr);
    EXPECT_EQ(DS_List_Create(), 0);
    EXPECT_EQ(DS_List_Create(), 2);
    // A new list takes the first free slot, whatever the order the slots were freed in.
    for (int k = 3; k < 6; k++) EXPECT_EQ(DS_List_Create(), k);
    for (int k : {4, 1, 3}) EXPECT_TRUE(DS_List_Destroy(k));
    for (int k : {1, 3, 4, 6}) EXPECT_EQ(DS_List_Create(), k);
    EXPECT_EQ(DS_Map_Create(), 0);  // every kind has its own table
    EXPECT_EQ(DS_Grid_Create(70000, 70000), -1);

    int async = CDS_Map_CreateFromList(3, "id", 4.0, (const char*)nullptr, "url", 0.0, "http://x/",
                                       "status", -1.0, (const char*)nullptr);
    ASSERT_EQ(async, 1);
    CDS_Map* m = DS_Map_Find(async);
    std::vector<std::string> keys;
    for (const CDS_Map::Entry& e : m->Entries()) keys.push_back(e.key.GetString());
    EXPECT_EQ(keys, (std::vector<std::string>{"id", "url", "status"}));
    EXPECT_STREQ(m->Find(Str("url"))->value.GetString(), "http://x/");
    EXPECT_EQ(m->Find(Str("status"))->value.val, -1.0);

    // The game frees the event map and its slot goes to a new map: the late clean-up spares it.
    uint64_t serial = m->Serial();
    EXPECT_TRUE(DS_Map_Destroy(async));
    EXPECT_EQ(DS_Map_Create(), async);
    EXPECT_FALSE(DS_Map_DestroyIfSame(async, serial));
    ASSERT_NE(DS_Map_Find(async), nullptr);
    EXPECT_TRUE(DS_Map_DestroyIfSame(async, DS_Map_Find(async)->Serial()));
    EXPECT_EQ(DS_Map_Find(async), nullptr);
}

TEST_F(DataStructures, GridsWithoutCellsButALongSideStayQuick)
{
    // 0 x 2147483647 holds no cell; nothing may walk its 2147483647 rows.
    CDS_Grid thin(0, 2147483647);
    CDS_Grid flat(2147483647, 0);
    for (CDS_Grid* g : {&thin, &flat}) {
        g->RegionOp(DS_GRID_SET, -2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647, 1.0);
        EXPECT_EQ(g->RegionAggregate(CDS_Grid::SUM, 0, 0, 2147483647, 2147483647), 0.0);
        g->DiskOp(DS_GRID_SET, 0.0, 0.0, 1e300, 1.0);
        EXPECT_TRUE(g->Resize(g->Width(), g->Height()));
        TaggedValue text;
        ASSERT_TRUE(DS_WriteString(*g, &text));
        CDS_Grid back(1, 1);
        ASSERT_TRUE(DS_ReadString(back, text.GetString()));
        EXPECT_EQ(back.Width(), g->Width());
        EXPECT_EQ(back.Height(), g->Height());
        back.GridRegionOp(DS_GRID_SET, *g, 0, 0, 2147483647, 2147483647, 0, 0);
    }
}
