#include "Motion/Motion_Main.h"
#include "Path/Path_Class.h"
#include "Path/Path_Main.h"
#include "Room/Room_Collision.h"
#include "../Room/World.h"

#include <cmath>

namespace {

class Motion : public WorldTest {
protected:
    void TearDown() override
    {
        Motion_Grid_DestroyAll();
        Path_Clear();
        WorldTest::TearDown();
    }
    // A wall of solid one-pixel instances filling the rectangle.
    void Wall(int object, int x1, int y1, int x2, int y2)
    {
        for (int y = y1; y <= y2; y++)
            for (int x = x1; x <= x2; x++) Put(object, (float)x, (float)y);
    }
};

// The grid of the tests: 10 x 10 cells of 10 pixels, column 5 blocked but for its last row.
int WalledGrid()
{
    int g = Motion_Grid_Create(0, 0, 10, 10, 10, 10);
    Motion_Grid_AddRectangle(g, 50, 0, 59, 89);
    return g;
}

int CellOf(float v) { return (int)std::floor(v / 10); }

void ExpectPathAvoids(int g, const CPath* p, bool diagonal)
{
    for (int i = 1; i < p->GetCount() - 1; i++)
        EXPECT_EQ(Motion_Grid_GetCell(g, CellOf(p->GetPoint(i).x), CellOf(p->GetPoint(i).y)), 0) << i;
    for (int i = 1; i < p->GetCount(); i++) {
        int h0 = CellOf(p->GetPoint(i - 1).x), v0 = CellOf(p->GetPoint(i - 1).y);
        int h1 = CellOf(p->GetPoint(i).x), v1 = CellOf(p->GetPoint(i).y);
        EXPECT_LE(std::abs(h1 - h0) + std::abs(v1 - v0), diagonal ? 2 : 1) << i;
        EXPECT_LE(std::abs(h1 - h0), 1);
        EXPECT_LE(std::abs(v1 - v0), 1);
        if (h1 != h0 && v1 != v0) {  // a diagonal step cuts no corner
            EXPECT_EQ(Motion_Grid_GetCell(g, h1, v0), 0);
            EXPECT_EQ(Motion_Grid_GetCell(g, h0, v1), 0);
        }
    }
}

TEST_F(Motion, GridPathsGoAroundObstacles)
{
    int g = WalledGrid();
    int path = Path_Add();
    CPath* p = Path_Get(path);
    ASSERT_TRUE(Motion_Grid_Path(g, path, 5, 5, 95, 5, false));
    EXPECT_EQ(p->GetPoint(0).x, 5);
    EXPECT_EQ(p->GetPoint(p->GetCount() - 1).x, 95);
    ExpectPathAvoids(g, p, false);
    // Down 9 cells, across 9, up 9: the shortest four-way path has 28 cells.
    EXPECT_EQ(p->GetCount(), 28);
    int straight = p->GetCount();
    ASSERT_TRUE(Motion_Grid_Path(g, path, 5, 5, 95, 5, true));
    ExpectPathAvoids(g, p, true);
    EXPECT_LT(p->GetCount(), straight);
    EXPECT_FALSE(p->GetClosed());
}

TEST_F(Motion, UnreachableOrBadRequestsLeaveThePath)
{
    int g = WalledGrid();
    Motion_Grid_AddCell(g, 5, 9);
    int path = Path_Add();
    CPath* p = Path_Get(path);
    p->AddPoint(1, 2, 3);
    EXPECT_FALSE(Motion_Grid_Path(g, path, 5, 5, 95, 5, true));
    EXPECT_FALSE(Motion_Grid_Path(g, path, 55, 5, 5, 5, true));   // start blocked
    EXPECT_FALSE(Motion_Grid_Path(g, path, 5, 5, 100, 5, true));  // goal outside
    EXPECT_FALSE(Motion_Grid_Path(g, path, NAN, 5, 5, 5, true));
    EXPECT_FALSE(Motion_Grid_Path(g, path, 1e30f, 5, 5, 5, true));
    EXPECT_EQ(p->GetCount(), 1);
    EXPECT_EQ(p->GetPoint(0).x, 1);
    // Diagonals do not squeeze between two blocked corners.
    int d = Motion_Grid_Create(0, 0, 2, 2, 1, 1);
    Motion_Grid_AddCell(d, 1, 0);
    Motion_Grid_AddCell(d, 0, 1);
    EXPECT_FALSE(Motion_Grid_Path(d, path, 0.5f, 0.5f, 1.5f, 1.5f, true));
}

TEST_F(Motion, GridsRefuseBadSizesAndIds)
{
    EXPECT_EQ(Motion_Grid_Create(0, 0, 0, 5, 10, 10), -1);
    EXPECT_EQ(Motion_Grid_Create(0, 0, 5, 5, 0, 10), -1);
    EXPECT_EQ(Motion_Grid_Create(0, 0, 100000, 100000, 1, 1), -1);
    int g = Motion_Grid_Create(-100, -100, 3, 3, 50, 50);
    ASSERT_EQ(g, 0);
    Motion_Grid_AddRectangle(g, -2000000000, -2000000000, 2000000000, 2000000000);
    for (int v = 0; v < 3; v++)
        for (int h = 0; h < 3; h++) EXPECT_EQ(Motion_Grid_GetCell(g, h, v), 1);
    Motion_Grid_ClearRectangle(g, -100, -100, -51, -51);
    EXPECT_EQ(Motion_Grid_GetCell(g, 0, 0), 0);
    EXPECT_EQ(Motion_Grid_GetCell(g, 1, 0), 1);
    Motion_Grid_AddCell(g, 3, 0);
    Motion_Grid_ClearCell(g, -1, 0);
    Motion_Grid_Destroy(g);
    Errors().clear();
    Motion_Grid_ClearAll(g);
    Motion_Grid_AddCell(7, 0, 0);
    EXPECT_EQ(Errors().size(), 2u);
    EXPECT_EQ(Motion_Grid_Create(0, 0, 1, 1, 1, 1), 0);  // the freed slot again
}

TEST_F(Motion, InstancesBlockTheCellsTheyTouch)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    int g = Motion_Grid_Create(0, 0, 4, 4, 10, 10);
    Motion_Grid_AddInstance(g, Put(o, 25, 12), false);
    CInstance* gone = Put(o, 5, 5);
    gone->marked = true;
    Motion_Grid_AddInstance(g, gone, false);
    for (int v = 0; v < 4; v++)
        for (int h = 0; h < 4; h++) EXPECT_EQ(Motion_Grid_GetCell(g, h, v), h == 2 && v == 1 ? 1 : 0) << h << "," << v;
}

TEST_F(Motion, BounceMirrorsOffAWall)
{
    int wall = Object(true), ball = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    Wall(wall, 50, 0, 52, 100);
    for (bool advanced : {false, true}) {
        CInstance* b = Put(ball, 47, 50);
        b->SetHSpeed(3);
        b->SetVSpeed(2);
        Instance_Bounce(b, advanced, true);
        EXPECT_NEAR(b->hspeed, -3, 1e-4) << advanced;
        EXPECT_NEAR(b->vspeed, 2, 1e-4) << advanced;
        Instance_Bounce(b, advanced, true);  // now free ahead: unchanged
        EXPECT_NEAR(b->hspeed, -3, 1e-4);
    }
}

TEST_F(Motion, ContactAndOutsideStopAtTheWall)
{
    int wall = Object(true), mover = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    Wall(wall, 30, 0, 30, 20);
    CInstance* m = Put(mover, 10, 10);
    Instance_MoveContact(m, 0, 5, true);
    EXPECT_FLOAT_EQ(m->x, 15);
    Instance_MoveContact(m, NAN, 5, true);
    Instance_MoveOutside(m, INFINITY, 5, false);
    EXPECT_FLOAT_EQ(m->x, 15);
    Instance_MoveContact(m, 0, -1, true);
    EXPECT_FLOAT_EQ(m->x, 29);
    Instance_MoveContact(m, 0, 1e30f, true);  // already in contact: nothing
    EXPECT_FLOAT_EQ(m->x, 29);
    m->SetPosition(30, 10);
    Instance_MoveContact(m, 0, 0, true);  // inside: contact does not move
    EXPECT_FLOAT_EQ(m->x, 30);
    Instance_MoveOutside(m, 180, 0, true);
    EXPECT_FLOAT_EQ(m->x, 29);
    m->SetPosition(30, 10);
    Instance_MoveOutside(m, 0, 0, false);  // non-solid count too; one pixel clears a thin wall
    EXPECT_FLOAT_EQ(m->x, 31);
}

TEST_F(Motion, PotentialStepsGetAroundAWall)
{
    int wall = Object(true), walker = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    Wall(wall, 50, 0, 50, 60);
    CInstance* w = Put(walker, 20, 30);
    int path = Path_Add();
    EXPECT_TRUE(Motion_Potential_Path(w, path, 80, 30, 2, 4, -3, false));
    EXPECT_EQ(w->x, 20);  // planning does not move the instance
    EXPECT_EQ(w->y, 30);
    const CPath* p = Path_Get(path);
    EXPECT_GT(p->GetCount(), 30);
    for (int i = 0; i < p->GetCount(); i++) EXPECT_TRUE(Instance_PlaceFree(w, p->GetPoint(i).x, p->GetPoint(i).y)) << i;
    bool reached = false;
    int steps = 0;
    while (!reached && steps < 1000) {
        reached = Motion_Potential_Step(w, 80, 30, 1, -3, false);
        steps++;
        ASSERT_TRUE(Instance_PlaceFree(w, w->x, w->y));
    }
    EXPECT_TRUE(reached);
    EXPECT_EQ(w->x, 80);
    // A linear planner stays stuck at the wall, its path ends there.
    CInstance* l = Put(walker, 20, 30);
    EXPECT_FALSE(Motion_Linear_Path(l, path, 80, 30, 1, -3, false));
    EXPECT_EQ(Path_Get(path)->GetPoint(Path_Get(path)->GetCount() - 1).x, 49);
    // Walled in on every side, a potential planner gives up within its budget.
    Wall(wall, 100, 100, 104, 100);
    Wall(wall, 100, 104, 104, 104);
    Wall(wall, 100, 101, 100, 103);
    Wall(wall, 104, 101, 104, 103);
    CInstance* boxed = Put(walker, 102, 102);
    EXPECT_FALSE(Motion_Potential_Path(boxed, path, 300, 300, 1, 2, -3, false));
    EXPECT_FALSE(Motion_Linear_Step(w, 1, 1, NAN, -3, false));
    EXPECT_FALSE(Motion_Potential_Step(w, NAN, 1, 1, -3, false));
    // Settings far beyond sense are kept, and a step with them still ends: the look-ahead is
    // bounded like every planner loop.
    Motion_Potential_Settings(1e30f, 1e30f, 1e30f, true);
    CInstance* far = Put(walker, 300, 300);
    EXPECT_FALSE(Motion_Potential_Step(far, 600, 300, 1, -3, false));
    EXPECT_EQ(far->x, 301);
    Motion_Potential_Settings(30, 10, 3, true);
}

TEST_F(Motion, PotentialPlansWithHugeSettingsEnd)
{
    int wall = Object(true), walker = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    Put(wall, 100, 100);
    Put(wall, 3000, 100);
    Motion_Potential_Settings(180, 1, 1e30f, true);
    int path = Path_Add();
    // Far away and heading for the posts, every step looks ahead as far as it may: only the
    // steps that could reach them are looked at.
    CInstance* far = Put(walker, 1000000, 90);
    EXPECT_FALSE(Motion_Potential_Path(far, path, 1500, 90, 1, 1, -3, false));
    const CPath* p = Path_Get(path);
    ASSERT_EQ(p->GetCount(), 100001);  // as many one-pixel steps as a plan may take
    EXPECT_NEAR(p->GetPoint(p->GetCount() - 1).x, 900000, 1);
    // Between the posts with tiny steps, each step looks thousands of steps ahead: the plan
    // ends early, every point of it free.
    CInstance* between = Put(walker, 200, 100);
    EXPECT_FALSE(Motion_Potential_Path(between, path, 1000, 100, 0.001f, 1, -3, false));
    EXPECT_GT(p->GetCount(), 1);
    EXPECT_LT(p->GetCount(), 100001);
    for (int i = 0; i < p->GetCount(); i++) EXPECT_TRUE(Instance_PlaceFree(between, p->GetPoint(i).x, p->GetPoint(i).y)) << i;
    EXPECT_EQ(between->x, 200);
    Motion_Potential_Settings(30, 10, 3, true);
}

}  // namespace
