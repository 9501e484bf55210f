#include "Object/Instance_Class.h"
#include "Path/Path_Main.h"
#include "Variable/Variable_List.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(InstanceMotion, DirectionAndSpeedStayConsistent)
{
    CInstance inst(100001, 0, 0, 0);
    inst.SetSpeed(2);
    inst.SetDirection(450);  // folds to 90: straight up
    EXPECT_FLOAT_EQ(inst.direction, 90);
    EXPECT_NEAR(inst.hspeed, 0, 1e-6);
    EXPECT_FLOAT_EQ(inst.vspeed, -2);
    inst.SetDirection(-90);
    EXPECT_FLOAT_EQ(inst.direction, 270);
    inst.SetDirection(NAN);
    EXPECT_FLOAT_EQ(inst.direction, 0);
    inst.SetHSpeed(3);
    inst.SetVSpeed(4);
    EXPECT_FLOAT_EQ(inst.speed, 5);
    EXPECT_NEAR(inst.direction, 360 - 53.1301f, 1e-3);
    inst.SetHSpeed(0);
    inst.SetVSpeed(0);
    inst.AddMotion(180, 1.5f);
    EXPECT_FLOAT_EQ(inst.hspeed, -1.5f);
    EXPECT_FLOAT_EQ(inst.direction, 180);
}

TEST(InstanceMotion, ChangesMarkTheBoundingBoxDirty)
{
    CInstance inst(100001, 0, 5, 5);
    inst.Compute_BoundingBox();
    EXPECT_FALSE(inst.bbox_dirty);
    inst.SetPosition(5, 5);
    EXPECT_FALSE(inst.bbox_dirty);
    inst.SetPosition(6, 5);
    EXPECT_TRUE(inst.bbox_dirty);
    inst.Compute_BoundingBox();
    EXPECT_EQ(inst.bbox_left, 6);
    inst.SetImageXScale(1);
    EXPECT_FALSE(inst.bbox_dirty);
    inst.SetImageAngle(30);
    EXPECT_TRUE(inst.bbox_dirty);
}

TEST(InstanceMotion, AlarmsAndPathPositionStayInRange)
{
    CInstance inst(100001, 0, 0, 0);
    EXPECT_EQ(inst.GetAlarm(11), -1);
    inst.SetAlarm(11, 4);
    inst.SetAlarm(12, 4);
    inst.SetAlarm(-1, 4);
    EXPECT_EQ(inst.GetAlarm(11), 4);
    EXPECT_EQ(inst.GetAlarm(12), -1);
    inst.SetPathPosition(1.5f);
    EXPECT_EQ(inst.path_position, 1.0f);
    inst.SetPathPosition(-0.5f);
    EXPECT_EQ(inst.path_position, 0.0f);
}

TEST(InstanceMotion, RelativePathsStartWhereTheInstanceIs)
{
    Path_Clear();
    int p = Path_Add();
    Path_Get(p)->SetClosed(false);
    Path_Get(p)->AddPoint(10, 10, 100);
    Path_Get(p)->AddPoint(10, 50, 100);
    CInstance inst(100001, 0, 200, 300);
    inst.StartPath(p, 10, 2, 90, true, 0);  // doubled and turned a quarter
    EXPECT_FLOAT_EQ(inst.x, 200);
    EXPECT_FLOAT_EQ(inst.y, 300);
    int steps = 0;
    while (!inst.AdvancePath() && steps < 100) steps++;
    EXPECT_EQ(steps, 7);  // 80 pixels at 10 a step
    EXPECT_NEAR(inst.x, 280, 1e-3);  // down the path (+y) turned 90 degrees is +x
    EXPECT_NEAR(inst.y, 300, 1e-3);
    EXPECT_EQ(inst.path_index, -1);
    inst.StartPath(-1, 1, 1, 0, false, 0);
    EXPECT_EQ(inst.path_index, -1);
    EXPECT_FALSE(inst.AdvancePath());
    Path_Clear();
}

TEST(PathTable, NamesCopiesAndSelfAssignment)
{
    Path_Clear();
    int a = Path_Add();
    EXPECT_EQ(Path_GetName(a), std::string("__newpath0"));
    Path_Get(a)->AddPoint(1, 2, 3);
    int b = Path_Duplicate(a);
    EXPECT_EQ(Path_GetName(b), std::string("__newpath1"));
    EXPECT_EQ(Path_Get(b)->GetPoint(0).y, 2.0f);
    EXPECT_FALSE(Path_Assign(a, a));
    EXPECT_TRUE(Path_Delete(a));
    EXPECT_FALSE(Path_Exists(a));
    EXPECT_EQ(Path_Duplicate(a), -1);
    EXPECT_EQ(Path_GetName(a), std::string("<undefined>"));
    Path_Clear();
}

}  // namespace

namespace {

TEST(InstanceAssign, CopiesStateButNotIdentityOrLifeCycle)
{
    CInstance a(100001, 3, 10, 20), b(100002, 4, 0, 0);
    a.SetSpeed(3);
    a.alarm[5] = 7;
    a.depth = -4;
    a.variables->Set(100000, 0, TaggedValue("kept"));
    a.marked = true;
    a.destroy_guard = true;
    b.Assign(&a);
    EXPECT_EQ(b.id, 100002);
    EXPECT_EQ(b.object_index, 3);
    EXPECT_EQ(b.x, 10.0f);
    EXPECT_EQ(b.speed, 3.0f);
    EXPECT_EQ(b.alarm[5], 7);
    EXPECT_EQ(b.depth, -4.0f);
    EXPECT_FALSE(b.marked);
    EXPECT_FALSE(b.destroy_guard);
    // The variables are a copy: changing the source leaves the copy as it was.
    a.variables->Set(100000, 0, TaggedValue("changed"));
    TaggedValue v;
    ASSERT_TRUE(b.variables->Get(100000, 0, &v));
    EXPECT_STREQ(v.GetString(), "kept");
    b.Assign(&b);
    EXPECT_EQ(b.x, 10.0f);
}

}  // namespace
