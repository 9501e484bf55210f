// The physics built-ins called by name in a running room: the table, their messages, binding,
// overlap tests, joints and their values, and inputs that the physics engine would not survive
// (run first in a child process, so that an abort fails the test and not the whole suite).
#include "../Physics/PhysicsWorld.h"
#include "Physics/Linux/Box2D_Internal.h"
#include "Physics/Physics_Fixture.h"
#include "Physics/Physics_Joint.h"
#include "Physics/Physics_Object.h"
#include "Room/Instance_Ops.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

class PhysicsBuiltins : public PhysicsTest {};

TEST_F(PhysicsBuiltins, RegistersThePhysicsFamilyInOrder)
{
    Function_Clear();
    Function_Physics_Init();
    const std::pair<const char*, int> table[] = {
        {"physics_world_create", 1}, {"physics_world_gravity", 2}, {"physics_world_update_speed", 1},
        {"physics_world_update_iterations", 1}, {"physics_world_draw_debug", 1}, {"physics_pause_enable", 1},
        {"physics_fixture_create", 0}, {"physics_fixture_set_kinematic", 1}, {"physics_fixture_set_awake", 2},
        {"physics_fixture_set_density", 2}, {"physics_fixture_set_restitution", 2}, {"physics_fixture_set_friction", 2},
        {"physics_fixture_set_collision_group", 2}, {"physics_fixture_set_sensor", 2},
        {"physics_fixture_set_linear_damping", 2}, {"physics_fixture_set_angular_damping", 2},
        {"physics_fixture_set_circle_shape", 2}, {"physics_fixture_set_box_shape", 3},
        {"physics_fixture_set_polygon_shape", 1}, {"physics_fixture_add_point", 3}, {"physics_fixture_bind", 2},
        {"physics_fixture_delete", 1}, {"physics_apply_force", 4}, {"physics_apply_impulse", 4},
        {"physics_apply_local_force", 4}, {"physics_apply_local_impulse", 4}, {"physics_apply_torque", 1},
        {"physics_mass_properties", 4}, {"physics_draw_debug", 0}, {"physics_test_overlap", 4},
        {"physics_joint_distance_create", 7}, {"physics_joint_revolute_create", 11},
        {"physics_joint_prismatic_create", 13}, {"physics_joint_pulley_create", 14}, {"physics_joint_gear_create", 5},
        {"physics_joint_enable_motor", 2}, {"physics_joint_get_value", 2}, {"physics_joint_set_value", 3},
        {"physics_joint_delete", 1},
    };
    ASSERT_EQ(Function_Count(), 39);
    for (int i = 0; i < 39; i++) {
        EXPECT_STREQ(Function_Get(i)->name, table[i].first);
        EXPECT_EQ(Function_Get(i)->argc, table[i].second) << table[i].first;
    }
    Function_Clear();
}

TEST_F(PhysicsBuiltins, MissingRoomWorldFixtureBodyAndJointAreNamed)
{
    Call("physics_world_create", nullptr, {0.1});
    Call("physics_world_gravity", nullptr, {0.0, 1.0});
    EXPECT_TRUE(Said("No room is available to create a physics world for"));
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* self = Put(o, 10, 10);
    Errors().clear();
    Call("physics_world_gravity", nullptr, {0.0, 1.0});
    EXPECT_TRUE(Said("The current room does not have a physics world representation"));
    Call("physics_pause_enable", nullptr, {1.0});
    EXPECT_TRUE(Said("physics_pause_enable() The current room does not have a physics world representation"));
    int f = (int)Real("physics_fixture_create", nullptr);
    Call("physics_fixture_bind", self, {(double)f, -1.0});
    EXPECT_TRUE(Said("Cannot bind a fixture if no physics world exists for the current room"));
    MakeWorld();
    Errors().clear();
    Call("physics_fixture_set_density", nullptr, {(double)f + 1000, 1.0});
    EXPECT_TRUE(Said("The physics fixture does not exist"));
    Call("physics_apply_force", self, {0.0, 0.0, 1.0, 1.0});
    EXPECT_TRUE(Said("The instance does not have an associated physics representation"));
    EXPECT_EQ(Real("physics_joint_get_value", nullptr, {12345.0, 0.0}), 0);
    EXPECT_TRUE(Said("A joint does not exist"));
    Call("physics_fixture_bind", self, {(double)f, 999999.0});
    EXPECT_TRUE(Said("\n  is not valid."));
    CInstance* b1 = Body(o, 10, 10, 1);
    CInstance* b2 = Body(o, 50, 50, 1);
    Errors().clear();
    Call("physics_test_overlap", b2, {0.0, 0.0, 0.0, 999999.0});
    EXPECT_TRUE(Said("physics_test_overlap:   is not valid."));
    Errors().clear();
    EXPECT_EQ(Real("physics_joint_gear_create", nullptr, {(double)b1->id, (double)b2->id, 777.0, 778.0, 1.0}), -1);
    EXPECT_TRUE(Said("A joint does not exist"));
    EXPECT_EQ(Real("physics_joint_revolute_create", self, {-1.0, 999999.0}), -1);
    EXPECT_TRUE(Said("Unable to find instance: 999999"));
}

TEST_F(PhysicsBuiltins, BindingScalingOverlapAndASecondWorldCreate)
{
    int o = Object(), other = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CPhysicsWorld* world = MakeWorld(0.1);
    CInstance* a = Put(o, 100, 100);
    CInstance* b = Put(o, 200, 100);
    CInstance* c = Put(o, 300, 100);
    CInstance* d = Put(other, 400, 100);
    Instance_Destroy(b);
    int f = (int)Real("physics_fixture_create", nullptr);
    Call("physics_fixture_set_circle_shape", nullptr, {(double)f, 16.0});
    EXPECT_FLOAT_EQ(PhysicsFixture_Find(f)->radius, 1.6f);
    Call("physics_fixture_set_density", nullptr, {(double)f, 1.0});
    Call("physics_fixture_bind", nullptr, {(double)f, (double)o});  // the object's live instances
    EXPECT_TRUE(a->physics && c->physics);
    EXPECT_EQ(b->physics, nullptr);
    EXPECT_EQ(d->physics, nullptr);
    Call("physics_fixture_bind", nullptr, {(double)f, -3.0});
    EXPECT_NE(d->physics, nullptr);
    EXPECT_EQ(b->physics, nullptr);
    Call("physics_fixture_bind", a, {(double)Box(0), -1.0});  // a second fixture keeps the body's kind
    EXPECT_EQ(Var(a, "phy_dynamic"), 1);

    // Self's fixtures placed elsewhere, against a target's body where it is.
    EXPECT_EQ(Real("physics_test_overlap", a, {100.0, 100.0, 0.0, -1.0}), 1);
    EXPECT_EQ(Real("physics_test_overlap", a, {290.0, 100.0, 45.0, (double)c->id}), 1);
    EXPECT_EQ(Real("physics_test_overlap", a, {250.0, 100.0, 0.0, (double)c->id}), 0);
    EXPECT_EQ(Real("physics_test_overlap", a, {395.0, 100.0, 0.0, (double)other}), 1);
    EXPECT_EQ(Real("physics_test_overlap", a, {600.0, 100.0, 0.0, -3.0}), 0);

    // Creating the world again changes its scale and keeps its bodies.
    MakeWorld(0.2);
    EXPECT_EQ(Run_Room->physics_world, world);
    EXPECT_FLOAT_EQ(world->scale, 0.2f);
    EXPECT_NE(a->physics, nullptr);
    EXPECT_FLOAT_EQ((float)Var(a, "phy_position_x"), 50.0f);  // 10 world units are 50 pixels now
}

TEST_F(PhysicsBuiltins, VariablesReadAndMoveTheBody)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    MakeWorld(0.1);
    CInstance* a = Body(o, 100, 50, 1);
    CInstance* ground = Body(o, 300, 50, 0);
    EXPECT_FLOAT_EQ((float)Var(a, "phy_mass"), 4.0f);  // 2 x 2 world units of density 1
    SetVar(a, "phy_position_x", 150);
    SetVar(a, "phy_rotation", 90);
    SetVar(a, "phy_linear_velocity_x", 30);
    EXPECT_FLOAT_EQ((float)Var(a, "phy_position_x"), 150.0f);
    EXPECT_NEAR(Var(a, "phy_rotation"), 90.0, 1e-4);
    EXPECT_FLOAT_EQ((float)Var(a, "phy_linear_velocity_x"), 30.0f);
    EXPECT_FLOAT_EQ((float)Var(a, "phy_speed_x"), 1.0f);  // pixels per step at room speed 30
    Frames(1);
    EXPECT_NEAR(a->image_angle, -90.0, 1e-3);  // the instance takes the body's angle, turned the other way
    // A static body given a speed becomes kinematic; given none it stays static.
    SetVar(ground, "phy_linear_velocity_x", 0);
    EXPECT_EQ(Var(ground, "phy_kinematic"), 0);
    SetVar(ground, "phy_linear_velocity_y", 5);
    EXPECT_EQ(Var(ground, "phy_kinematic"), 1);
    // Without a body everything reads 0.
    EXPECT_EQ(Var(Put(o, 0, 0), "phy_mass"), 0);
}

// Two bodies joined: a static anchor and a dynamic arm to its right.
class PhysicsJoints : public PhysicsTest {
protected:
    void SetUp() override
    {
        PhysicsTest::SetUp();
        o_ = Object();
        ASSERT_NO_FATAL_FAILURE(Start());
        world = MakeWorld(0.1);
        Call("physics_world_gravity", nullptr, {0.0, 0.0});
        anchor = Body(o_, 100, 100, 0);
        arm = Body(o_, 200, 100, 1);
    }
    double Get(double joint, int value) { return Real("physics_joint_get_value", nullptr, {joint, (double)value}); }
    void SetValue(double joint, int value, double v) { Call("physics_joint_set_value", nullptr, {joint, (double)value, v}); }
    std::vector<TaggedValue> Pair() { return {(double)anchor->id, (double)arm->id}; }
    int o_ = -1;
    CPhysicsWorld* world = nullptr;
    CInstance* anchor = nullptr;
    CInstance* arm = nullptr;
};

TEST_F(PhysicsJoints, RevoluteLimitsHoldAMotorAt45Degrees)
{
    // The arm turns about its centre, driven into one limit and then, from there, into the other.
    for (double speed : {3.0, -3.0}) {
        double j = Real("physics_joint_revolute_create", nullptr,
                        {(double)anchor->id, (double)arm->id, 200.0, 100.0, -45.0, 45.0, 1.0, 500.0, speed, 1.0, 0.0});
        ASSERT_GT(j, 0);
        double furthest = 0;
        for (int i = 0; i < 60; i++) {
            Frames(1);
            furthest = std::max(furthest, std::fabs(Get(j, JOINT_ANGLE)));
        }
        EXPECT_NEAR(Get(j, JOINT_ANGLE), speed > 0 ? 0.785398 : -0.785398, 0.01);
        EXPECT_LT(furthest, 0.785398 + 0.035);
        EXPECT_EQ(Get(j, JOINT_MOTOR_SPEED), speed);
        EXPECT_NE(Get(j, JOINT_MOTOR_TORQUE), 0);  // pushing against the limit
        EXPECT_EQ(Get(j, JOINT_LENGTH_1), 0);      // not a value of this kind
        Call("physics_joint_delete", nullptr, {j});
        EXPECT_EQ(PhysicsJoint_Find((int)j), nullptr);
    }
    EXPECT_NEAR(arm->image_angle, 0, 1);  // back where it started
}

TEST_F(PhysicsJoints, LimitsOfBodiesOfExtremeMassesStayFinite)
{
    // A feather a kilometre from its pin and a heavy weight on it, each held within a degree: the
    // engine cannot hold them, and what is done for the limits must not make numbers of rounding.
    Call("physics_world_gravity", nullptr, {0.0, 10.0});
    CInstance* weight = Body(o_, 300, 100, 1);
    Call("physics_mass_properties", arm, {1e-12, 0.0, 0.0, 1e-20});
    Call("physics_mass_properties", weight, {1e12, 0.0, 0.0, 1e12});
    ASSERT_GT(Real("physics_joint_revolute_create", nullptr,
                   {(double)anchor->id, (double)arm->id, 100000.0, 100.0, -1.0, 1.0, 1.0, 0.0, 0.0, 0.0, 0.0}), 0);
    ASSERT_GT(Real("physics_joint_revolute_create", nullptr,
                   {(double)arm->id, (double)weight->id, 250.0, 100.0, -1.0, 1.0, 1.0, 0.0, 0.0, 0.0, 0.0}), 0);
    Frames(60);
    for (CInstance* inst : {arm, weight}) {
        EXPECT_TRUE(std::isfinite(inst->x) && std::isfinite(inst->y) && std::isfinite(inst->image_angle));
        EXPECT_LT(std::fabs(inst->x) + std::fabs(inst->y), 1e4);
    }
}

TEST_F(PhysicsJoints, DistanceJointValuesRoundTripAndItsSpring)
{
    double j = Real("physics_joint_distance_create", nullptr,
                    {(double)anchor->id, (double)arm->id, 100.0, 100.0, 200.0, 100.0, 0.0});
    ASSERT_GT(j, 0);
    EXPECT_FLOAT_EQ((float)Get(j, JOINT_LENGTH_1), 10.0f);  // world units
    EXPECT_FLOAT_EQ((float)Get(j, JOINT_ANCHOR_2_X), 20.0f);
    EXPECT_EQ(Get(j, JOINT_FREQUENCY), 0);
    EXPECT_EQ(Get(j, JOINT_ANGLE), 0);
    // A rod holds its length against a pull.
    SetVar(arm, "phy_linear_velocity_x", 300);
    Frames(10);
    EXPECT_NEAR(arm->x, 200, 0.5);
    SetValue(j, JOINT_FREQUENCY, 2);
    SetValue(j, JOINT_DAMPING_RATIO, 0.5);
    SetValue(j, JOINT_LENGTH_1, 12);
    EXPECT_FLOAT_EQ((float)Get(j, JOINT_FREQUENCY), 2.0f);
    EXPECT_FLOAT_EQ((float)Get(j, JOINT_DAMPING_RATIO), 0.5f);
    EXPECT_FLOAT_EQ((float)Get(j, JOINT_LENGTH_1), 12.0f);
    // A spring lets the arm swing past its length, then draws it back towards 12 world units.
    SetVar(arm, "phy_linear_velocity_x", 300);
    Frames(6);
    EXPECT_GT(arm->x, 223);
    Frames(120);
    EXPECT_NEAR(arm->x, 220, 1);
    // Without a frequency it is a rod again, of the new length.
    SetValue(j, JOINT_FREQUENCY, 0);
    SetVar(arm, "phy_linear_velocity_x", 300);
    Frames(10);
    EXPECT_NEAR(arm->x, 220, 0.5);
}

TEST_F(PhysicsJoints, PulleyLengthsAndTheirMaximum)
{
    Call("physics_world_gravity", nullptr, {0.0, 10.0});
    // Both bodies hang from ground anchors 50 pixels above them; side B may grow to 80 pixels.
    double j = Real("physics_joint_pulley_create", nullptr,
                    {(double)arm->id, (double)Body(0, 300, 100, 3)->id, 200.0, 50.0, 300.0, 50.0, 0.0, 0.0, 0.0, 0.0,
                     1.0, 0.0, 80.0, 0.0});
    ASSERT_GT(j, 0);
    EXPECT_FLOAT_EQ((float)Get(j, JOINT_LENGTH_1), 5.0f);
    EXPECT_FLOAT_EQ((float)Get(j, JOINT_LENGTH_2), 5.0f);
    // The heavier side B goes down, as far as the rope of side A lets it.
    Frames(120);
    double a = Get(j, JOINT_LENGTH_1), b = Get(j, JOINT_LENGTH_2);
    EXPECT_NEAR(a + b, 10.0, 0.05);
    EXPECT_NEAR(a, 2.0, 0.1);
    EXPECT_NEAR(b, 8.0, 0.1);
    EXPECT_EQ(Get(j, JOINT_DAMPING_RATIO), 0);
}

TEST_F(PhysicsJoints, GearsGoBeforeTheirJointsAndJointsWithTheirBodies)
{
    CInstance* wheel = Body(0, 400, 100, 1);
    double r1 = Real("physics_joint_revolute_create", nullptr, {(double)anchor->id, (double)arm->id, 200.0, 100.0});
    double r2 = Real("physics_joint_revolute_create", nullptr, {(double)anchor->id, (double)wheel->id, 400.0, 100.0});
    double rod = Real("physics_joint_distance_create", nullptr, {(double)arm->id, (double)wheel->id, 200.0, 100.0, 400.0, 100.0});
    EXPECT_EQ(r2, r1 + 1);
    EXPECT_EQ(rod, r2 + 1);
    Errors().clear();
    EXPECT_EQ(Real("physics_joint_gear_create", nullptr, {(double)arm->id, (double)wheel->id, r1, rod, 1.0}), -1);
    EXPECT_TRUE(Errors().empty());  // a gear of a distance joint is refused without a message
    double gear = Real("physics_joint_gear_create", nullptr, {(double)arm->id, (double)wheel->id, r1, r2, 2.0});
    ASSERT_GT(gear, 0);
    EXPECT_EQ(gear, rod + 1);  // ids are never reused, failed creations take none
    SetVar(arm, "phy_angular_velocity", 90);
    Frames(10);
    double turn = Var(arm, "phy_angular_velocity");
    EXPECT_GT(turn, 30);
    EXPECT_NEAR(Var(wheel, "phy_angular_velocity"), -turn / 2, 0.5);  // turned through the gear
    Call("physics_joint_delete", nullptr, {r1});
    EXPECT_EQ(PhysicsJoint_Find((int)gear), nullptr);  // the gear went first
    EXPECT_EQ(world->Engine()->world.GetJointCount(), 2);
    Frames(2);
    // Destroying an instance takes the joints on its body.
    Instance_Destroy(wheel);
    EXPECT_EQ(world->Engine()->world.GetJointCount(), 0);
    Errors().clear();
    EXPECT_EQ(Get(r2, JOINT_ANGLE), 0);
    EXPECT_TRUE(Said("A joint does not exist"));
    EXPECT_EQ(Real("physics_joint_revolute_create", nullptr, {(double)anchor->id, (double)wheel->id, 0.0, 0.0}), -1);
    EXPECT_TRUE(Said("physics_joint_revolute_create: An instance does not have an associated physics representation"));
    Run_Room->FreeMarked();
}

void SetVarOf(CInstance* inst, const char* name, double value)
{
    TaggedValue v(value);
    Instance_SetVariable(inst, Code_Variable_FindOrAdd(name), 0, &v);
}

// Every input that would fail one of the engine's checks: each gives a message and does nothing.
void AbortingInputs(CInstance* a, CInstance* b, CInstance* elsewhere, CInstance* staticBody)
{
    using V = std::vector<TaggedValue>;
    auto call = [](const char* name, CInstance* self, V args) {
        int id;
        Function_Find(name, &id);
        const RFunction* f = Function_Get(id);
        while ((int)args.size() < f->argc) args.emplace_back(0.0);
        TaggedValue result;
        f->handler(&result, self, self, (int)args.size(), args.data());
    };
    double A = a->id, E = elsewhere->id, S = staticBody->id;
    for (double scale : {0.0, -1.0, NaN, 1e300}) call("physics_world_create", nullptr, {scale});
    call("physics_world_gravity", nullptr, {NaN, 0.0});
    call("physics_world_gravity", nullptr, {0.0, 1e300});
    call("physics_world_update_speed", nullptr, {1e9});
    call("physics_world_update_iterations", nullptr, {1e9});
    double f = PhysicsFixture_Create()->id;
    call("physics_fixture_set_linear_damping", nullptr, {f, -1.0});
    call("physics_fixture_set_angular_damping", nullptr, {f, NaN});
    call("physics_fixture_set_density", nullptr, {f, -1.0});
    call("physics_fixture_set_friction", nullptr, {f, -1.0});
    call("physics_fixture_set_restitution", nullptr, {f, 1e300});
    call("physics_fixture_set_circle_shape", nullptr, {f, 0.0});
    call("physics_fixture_set_circle_shape", nullptr, {f, NaN});
    call("physics_fixture_set_box_shape", nullptr, {f, 5.0, -5.0});
    call("physics_fixture_bind", a, {f, -1.0});  // no shape
    call("physics_fixture_set_polygon_shape", nullptr, {f});
    for (double x : {0.0, 10.0, 20.0}) call("physics_fixture_add_point", nullptr, {f, x, 0.0});  // collinear
    call("physics_fixture_add_point", nullptr, {f, NaN, 5.0});
    call("physics_fixture_set_density", nullptr, {f, 1.0});
    call("physics_fixture_bind", a, {f, -1.0});
    double tiny = PhysicsFixture_Create()->id;
    call("physics_fixture_set_box_shape", nullptr, {tiny, 0.001, 0.001});
    call("physics_fixture_set_density", nullptr, {tiny, 1.0});
    call("physics_fixture_bind", a, {tiny, -1.0});
    double ok = PhysicsFixture_Create()->id;
    call("physics_fixture_set_circle_shape", nullptr, {ok, 5.0});
    b->SetPosition(NAN, b->y);
    call("physics_fixture_bind", b, {ok, -1.0});  // at no place
    call("physics_mass_properties", a, {1e-6, 0.0, 0.0, 1e-6});  // light enough to be pushed too fast
    call("physics_mass_properties", a, {1.0, 0.0, 0.0, 0.0});
    call("physics_mass_properties", a, {1.0, 50.0, 0.0, 1.0});  // inertia below mass x distance²
    call("physics_mass_properties", a, {NaN, 0.0, 0.0, 1.0});
    call("physics_apply_force", a, {0.0, 0.0, 1e300, 0.0});
    call("physics_apply_impulse", a, {0.0, 0.0, 1e5, 0.0});
    for (int i = 0; i < 3; i++) call("physics_apply_force", a, {0.0, 0.0, 9e9, 9e9});  // too much together
    call("physics_apply_torque", a, {NaN});
    call("physics_apply_local_impulse", a, {NaN, 0.0, 1.0, 1.0});
    call("physics_joint_distance_create", nullptr, {A, A, 0.0, 0.0, 1.0, 1.0});
    call("physics_joint_revolute_create", nullptr, {A, A});
    call("physics_joint_prismatic_create", nullptr, {A, S, 0.0, 0.0, 0.0, 0.0});
    call("physics_joint_prismatic_create", nullptr, {A, S, 0.0, 0.0, 1.0, 0.0, 5.0, -5.0});
    call("physics_joint_pulley_create", nullptr, {A, S, 0.0, 0.0, 10.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
    call("physics_joint_pulley_create", nullptr, {A, S, 0.0, 0.0, 10.0, 0.0, 0.0, 0.0, 0.0, 0.0, -1.0});
    call("physics_joint_revolute_create", nullptr, {A, E, 0.0, 0.0});  // a body of another world
    V revolute = {S, A, 0.0, 0.0};
    double r1 = PhysicsJoint_Count(), r2;
    call("physics_joint_revolute_create", nullptr, revolute);
    r1 = PhysicsJoint_At((int)r1)->id;
    call("physics_joint_revolute_create", nullptr, {A, S, 0.0, 0.0});  // moves the static body
    r2 = r1 + 1;
    call("physics_joint_gear_create", nullptr, {S, A, r1, r2, 1.0});
    call("physics_joint_gear_create", nullptr, {S, A, r1, r1, 0.0});
    double d = PhysicsJoint_Count();
    call("physics_joint_distance_create", nullptr, {A, S, 0.0, 0.0, 10.0, 10.0});
    d = PhysicsJoint_At((int)d)->id;
    call("physics_joint_set_value", nullptr, {d, (double)JOINT_DAMPING_RATIO, -1.0});
    call("physics_joint_set_value", nullptr, {d, (double)JOINT_FREQUENCY, NaN});
    call("physics_joint_set_value", nullptr, {d, (double)JOINT_LENGTH_1, 1e300});
    SetVarOf(a, "phy_position_x", NaN);
    SetVarOf(a, "phy_rotation", 1e300);
    SetVarOf(a, "phy_linear_velocity_y", NaN);
    SetVarOf(a, "phy_angular_velocity", 1e300);
    for (int i = 0; i < 3; i++) Physics_Step(Run_Room);
}

class PhysicsHostile : public PhysicsTest {
protected:
    void SetUp() override
    {
        PhysicsTest::SetUp();
        int o = Object();
        ASSERT_NO_FATAL_FAILURE(Start());
        MakeWorld(0.1);
        a = Body(o, 100, 100, 1);
        b = Put(o, 200, 100);
        staticBody = Body(o, 300, 100, 0);
        // An instance with a body in a world that is not the current room's.
        other.speed = 30;
        CPhysicsWorld* world = Physics_CreateWorld(&other, 0.1f, "test");
        elsewhere = new CInstance(++Room_LastInstanceId, o, 0, 0);
        CPhysicsFixture* f = PhysicsFixture_Create();
        f->SetCircleShape(1);
        world->BindFixture(f, elsewhere, "test");
        Errors().clear();
    }
    void TearDown() override
    {
        delete elsewhere;
        Physics_DestroyWorld(&other);
        PhysicsTest::TearDown();
    }
    CRoom other;
    CInstance* a = nullptr;
    CInstance* b = nullptr;
    CInstance* staticBody = nullptr;
    CInstance* elsewhere = nullptr;
};

TEST_F(PhysicsHostile, InputsTheEngineWouldAbortOnGiveMessages)
{
    EXPECT_EXIT(
        {
            AbortingInputs(a, b, elsewhere, staticBody);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    if (HasFailure()) return;  // an abort: not again in this process
    AbortingInputs(a, b, elsewhere, staticBody);
    for (const char* text : {"the scale must be a finite number greater than 0", "an argument is not a finite number",
                             "the damping must be 0 or more", "the density must be 0 or more",
                             "the radius must be greater than 0", "the half height must be greater than 0",
                             "has no shape", "the polygon is too small, too thin", "the inertia must be greater than 0",
                             "the inertia about the centre of mass must be greater than 0", "the body would move too fast",
                             "a joint needs two different instances", "the axis must not be of zero length",
                             "the lower translation must not be above the upper one", "the ratio must be greater than 0",
                             "another room's world", "the second body of each joint must be dynamic",
                             "the ratio must not be 0", "the damping ratio must be 0 or more",
                             "the speed must not be above 10000", "the count must not be above 1000"})
        EXPECT_TRUE(Said(text)) << text;
    EXPECT_EQ(a->physics->body->GetFixtureList()->GetNext(), nullptr);  // no fixture of the refused ones
    EXPECT_EQ(b->physics, nullptr);
    EXPECT_TRUE(std::isfinite(Var(a, "phy_position_x")));
    EXPECT_FALSE(Error_FatalPending);
}

TEST_F(PhysicsHostile, ABoundPolygonOfTwoPointsIsFatal)
{
    double f = Real("physics_fixture_create", nullptr);
    Call("physics_fixture_set_polygon_shape", nullptr, {f});
    Call("physics_fixture_add_point", nullptr, {f, 0.0, 0.0});
    Call("physics_fixture_add_point", nullptr, {f, 10.0, 0.0});
    Call("physics_fixture_bind", b, {f, -1.0});
    EXPECT_TRUE(Said("Too few vertices in polygon shape fixture for "));
    EXPECT_TRUE(Error_FatalPending);
    EXPECT_EQ(b->physics, nullptr);
}

// Every handler with hostile values in every argument, in a room with bodies, fixtures and joints.
TEST_F(PhysicsHostile, HostileArgumentsAreHarmless)
{
    auto run = [this]() {
        double j = Real("physics_joint_revolute_create", nullptr, {(double)staticBody->id, (double)a->id, 300.0, 100.0});
        double f = Real("physics_fixture_create", nullptr);
        const TaggedValue patterns[] = {TaggedValue(NaN), TaggedValue(1e300), TaggedValue(-1e300), TaggedValue(-1.0),
                                        TaggedValue(-5.0), TaggedValue(99999.0), TaggedValue((double)a->id), TaggedValue("x"),
                                        TaggedValue(0.0)};
        for (const TaggedValue& p : patterns)
            for (int id = 0; id < Function_Count(); id++) {
                const RFunction* fn = Function_Get(id);
                if (strncmp(fn->name, "physics_", 8)) continue;
                std::vector<TaggedValue> args((size_t)fn->argc, p);
                Call(fn->name, a, args);
                // The same with a live fixture or joint first.
                if (!args.empty()) args[0] = TaggedValue(strstr(fn->name, "joint") ? j : f);
                Call(fn->name, a, args);
                Physics_Step(Run_Room);
            }
        return 0;
    };
    EXPECT_EXIT(std::_Exit(run()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
