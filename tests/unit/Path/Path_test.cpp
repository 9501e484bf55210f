#include "Path/Path_Class.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

CPath Square()
{
    CPath p;
    p.SetClosed(false);
    p.AddPoint(0, 0, 100);
    p.AddPoint(100, 0, 100);
    p.AddPoint(100, 100, 50);
    return p;
}

TEST(Path, LengthAndPointsAlongAStraightPath)
{
    CPath p = Square();
    EXPECT_FLOAT_EQ(p.GetLength(), 200.0f);
    PathPoint mid = p.GetPointAt(0.5f);
    EXPECT_FLOAT_EQ(mid.x, 100.0f);
    EXPECT_FLOAT_EQ(mid.y, 0.0f);
    PathPoint q = p.GetPointAt(0.75f);
    EXPECT_FLOAT_EQ(q.x, 100.0f);
    EXPECT_FLOAT_EQ(q.y, 50.0f);
    EXPECT_FLOAT_EQ(q.speed, 75.0f);
    // Fractions outside 0..1 (and NaN) clamp to the ends.
    EXPECT_FLOAT_EQ(p.GetPointAt(2.0f).y, 100.0f);
    EXPECT_FLOAT_EQ(p.GetPointAt(-1.0f).x, 0.0f);
    EXPECT_FLOAT_EQ(p.GetPointAt(NAN).x, 0.0f);
    p.SetClosed(true);
    EXPECT_NEAR(p.GetLength(), 200.0f + 141.421356f, 1e-3);
}

TEST(Path, OutOfRangePointsAndEmptyPaths)
{
    CPath p = Square();
    EXPECT_EQ(p.GetPoint(3).x, 0.0f);
    EXPECT_EQ(p.GetPoint(-1).speed, 0.0f);
    p.ChangePoint(7, 5, 5, 5);
    p.DeletePoint(-2);
    EXPECT_EQ(p.GetCount(), 3);
    p.Clear();
    EXPECT_EQ(p.GetCount(), 0);
    EXPECT_EQ(p.GetLength(), 0.0f);
    EXPECT_EQ(p.GetPointAt(0.5f).x, 0.0f);
    p.AddPoint(7, 8, 100);
    EXPECT_FLOAT_EQ(p.GetPointAt(0.9f).x, 7.0f);
}

TEST(Path, SettingsAreClampedAndRecomputed)
{
    CPath p = Square();
    p.SetKind(5);
    EXPECT_EQ(p.GetKind(), 0);
    p.SetPrecision(12);
    EXPECT_EQ(p.GetPrecision(), 8);
    p.SetPrecision(-3);
    EXPECT_EQ(p.GetPrecision(), 0);
    p.SetPrecision(3);
    p.SetKind(1);
    // Smooth: the corner is cut, so the curve is shorter, but keeps its ends.
    EXPECT_LT(p.GetLength(), 200.0f);
    EXPECT_GT(p.GetLength(), 150.0f);
    EXPECT_FLOAT_EQ(p.GetPointAt(1.0f).y, 100.0f);
    EXPECT_EQ(p.GetInternal().size(), 2u + 8u + 1u);
}

TEST(Path, PointEdits)
{
    CPath p = Square();
    p.InsertPoint(1, 50, 0, 100);
    ASSERT_EQ(p.GetCount(), 4);
    EXPECT_EQ(p.GetPoint(1).x, 50.0f);
    EXPECT_EQ(p.GetPoint(2).x, 100.0f);
    p.InsertPoint(99, 0, 100, 100);  // past the end appends
    EXPECT_EQ(p.GetPoint(4).y, 100.0f);
    p.DeletePoint(1);
    p.ChangePoint(3, 0, 200, 100);
    EXPECT_EQ(p.GetCount(), 4);
    EXPECT_NEAR(p.GetLength(), 100 + 100 + 141.421356f, 1e-3);
    p.Reverse();
    EXPECT_EQ(p.GetPoint(0).y, 200.0f);
    EXPECT_EQ(p.GetPoint(3).x, 0.0f);
    p.Append(p);  // appending a path to itself doubles it
    EXPECT_EQ(p.GetCount(), 8);
    EXPECT_EQ(p.GetPoint(4).y, 200.0f);
}

TEST(Path, TransformsAboutTheCentre)
{
    CPath p = Square();  // bounding box 0..100 x 0..100, centre (50, 50)
    p.Shift(10, -10);
    EXPECT_EQ(p.GetPoint(0).x, 10.0f);
    EXPECT_EQ(p.GetPoint(0).y, -10.0f);
    p.Shift(-10, 10);
    p.MirrorX();
    EXPECT_FLOAT_EQ(p.GetPoint(0).x, 100.0f);
    EXPECT_FLOAT_EQ(p.GetPoint(1).x, 0.0f);
    p.MirrorX();
    p.FlipY();
    EXPECT_FLOAT_EQ(p.GetPoint(0).y, 100.0f);
    EXPECT_FLOAT_EQ(p.GetPoint(2).y, 0.0f);
    p.FlipY();
    // 90 degrees: x' = y, y' = -x about the centre, so (0, 0) goes to (0, 100).
    p.Rotate(90);
    EXPECT_NEAR(p.GetPoint(0).x, 0.0f, 1e-4);
    EXPECT_NEAR(p.GetPoint(0).y, 100.0f, 1e-4);
    EXPECT_NEAR(p.GetPoint(1).x, 0.0f, 1e-4);
    EXPECT_NEAR(p.GetPoint(1).y, 0.0f, 1e-4);
    p.Rotate(-90);
    p.Rescale(2, 0.5f);
    EXPECT_FLOAT_EQ(p.GetPoint(0).x, -50.0f);
    EXPECT_FLOAT_EQ(p.GetPoint(0).y, 25.0f);
    EXPECT_FLOAT_EQ(p.GetLength(), 200.0f + 50.0f);
    EXPECT_FLOAT_EQ(p.GetPoint(2).speed, 50.0f);
}

}  // namespace

// The curve is worked out when it is read: a path built a point at a time, read between some of
// its edits and not others, reads as the same points set at once, for every kind.
TEST(Path, ReadsBetweenEditsSeeEveryEdit)
{
    for (int kind : {0, 1})
        for (bool closed : {false, true}) {
            CPath built, whole;
            built.SetKind(kind);
            built.SetClosed(closed);
            std::vector<PathPoint> points;
            for (int i = 0; i < 60; i++) {
                PathPoint p{(float)(i * 7 % 50), (float)(i * i % 40), (float)(50 + i)};
                points.push_back(p);
                built.AddPoint(p.x, p.y, p.speed);
                if (i % 7 == 3) {
                    whole.Set(kind, closed, 4, points);
                    ASSERT_EQ(built.GetLength(), whole.GetLength()) << kind << closed << i;
                    ASSERT_EQ(built.GetPointAt(0.37f).y, whole.GetPointAt(0.37f).y) << kind << closed << i;
                }
            }
            built.InsertPoint(5, 1, 2, 3);
            points.insert(points.begin() + 5, PathPoint{1, 2, 3});
            whole.Set(kind, closed, 4, points);
            ASSERT_EQ(built.GetInternal().size(), whole.GetInternal().size());
            for (size_t k = 0; k < whole.GetInternal().size(); k++) {
                EXPECT_EQ(built.GetInternal()[k].x, whole.GetInternal()[k].x);
                EXPECT_EQ(built.GetInternal()[k].y, whole.GetInternal()[k].y);
            }
            CPath copy = built;  // a copy reads its own curve, out of date or not
            copy.DeletePoint(0);
            EXPECT_EQ(built.GetLength(), whole.GetLength());
            EXPECT_NE(copy.GetLength(), whole.GetLength());
        }
}
