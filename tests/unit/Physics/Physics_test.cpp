// The physics module below the built-ins: polygon points, the contact buffer and the collision
// events it raises, the shape and mass checks that keep the engine's own checks from failing, the
// debug colours, and the lifetimes of bodies and joints.
#include "PhysicsWorld.h"
#include "Base/Console.h"
#include "Graphics/DrawPrimitives.h"
#include "Room/Instance_Ops.h"
#include "Physics/Linux/Box2D_Internal.h"
#include "Physics/Physics_Check.h"
#include "Physics/Physics_Fixture.h"
#include "Physics/Physics_Joint.h"
#include "Physics/Physics_Object.h"
#include "Run/Run_Save.h"
#include "Support/LoadSave.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

TEST(PhysicsFixture, PolygonPointsMustRunClockwiseOnTheScreen)
{
    Error_Display_Hook = [](const char* text, bool) { LastErrorText = text; };
    CPhysicsFixture* f = PhysicsFixture_Create();
    CPhysicsFixture* g = PhysicsFixture_Create();
    EXPECT_EQ(g->id, f->id + 1);
    EXPECT_FALSE(f->AddPoint(0, 0));  // not a polygon yet
    f->SetBoxShape(1, 1);
    EXPECT_FALSE(f->AddPoint(0, 0));  // a box has no points
    f->SetPolygonShape();
    EXPECT_TRUE(f->AddPoint(0, 0));
    EXPECT_TRUE(f->AddPoint(10, 0));
    EXPECT_TRUE(f->AddPoint(10, 10));
    g->SetPolygonShape();
    EXPECT_TRUE(g->AddPoint(0, 0));
    EXPECT_TRUE(g->AddPoint(10, 10));
    EXPECT_FALSE(g->AddPoint(10, 0));  // anti-clockwise: reported, kept
    EXPECT_NE(LastErrorText.find("fixture " + std::to_string(g->id) + " is concave or ordered anti-clockwise"), std::string::npos);
    EXPECT_EQ(g->point_count, 3);
    for (int i = f->point_count; i < PHYSICS_MAX_POINTS; i++) f->AddPoint(0, 0);
    EXPECT_FALSE(f->AddPoint(1, 1));   // a ninth point
    EXPECT_EQ(f->point_count, PHYSICS_MAX_POINTS);
    int deleted = f->id;
    EXPECT_TRUE(PhysicsFixture_Delete(deleted));
    EXPECT_FALSE(PhysicsFixture_Delete(deleted));
    EXPECT_EQ(PhysicsFixture_Find(deleted), nullptr);
    EXPECT_EQ(PhysicsFixture_Create()->id, g->id + 1);  // ids are never reused
    Error_Display_Hook = nullptr;
}

class PhysicsContacts : public PhysicsTest {};

// Contacts are gathered per fixture pair over a frame, and raise events from the last pair back.
TEST_F(PhysicsContacts, PairsGatherManifoldsWhosePointsAreNumberedInOrder)
{
    int a = Object(), b = Object(), c = Object();
    Object_Find(a)->AddEvent(EVENT_COLLISION, b,
                             "global.order += 'a'; n = phy_collision_points; px = phy_collision_x[2]; py = phy_collision_y[2];"
                             "nx = phy_col_normal_x[2]; ny = phy_col_normal_y[1]; beyond = phy_collision_x[3];");
    Object_Find(b)->AddEvent(EVENT_COLLISION, a, "global.order += 'b';");
    Object_Find(c)->AddEvent(EVENT_COLLISION, a, "global.order += 'c';");
    ASSERT_NO_FATAL_FAILURE(Start());
    CPhysicsWorld* world = MakeWorld(0.5);
    world->update_speed = 0;  // no engine steps: only the buffer below is dispatched
    CInstance* ia = Put(a, 0, 0);
    CInstance* ib = Put(b, 0, 0);
    CInstance* ic = Put(c, 0, 0);
    TaggedValue empty("");
    Variable_Global_Set(Code_Variable_FindOrAdd("order"), 0, &empty);

    PhysicsManifold one, two;
    one.point_count = 1;
    one.x[0] = 1;
    one.normal_y = 1;
    two.point_count = 2;
    two.x[1] = 3;
    two.y[1] = 4;
    two.normal_x = -1;
    int keyA, keyB, keyC;
    world->AddContact(&keyA, &keyB, ia, ib, one);
    world->AddContact(&keyB, &keyA, ib, ia, two);  // the same pair the other way round
    world->AddContact(&keyC, &keyA, ic, ia, one);
    Frames(1);
    TaggedValue order;
    ASSERT_TRUE(Variable_Global_Get(Code_Variable_FindOrAdd("order"), 0, &order));
    EXPECT_STREQ(order.GetString(), "cab");  // the pair with c came last, so it goes first
    EXPECT_EQ(Var(ia, "n"), 3);
    EXPECT_EQ(Var(ia, "px"), 6);  // point 2 is the second point of the second manifold, in pixels
    EXPECT_EQ(Var(ia, "py"), 8);
    EXPECT_EQ(Var(ia, "nx"), -1);
    EXPECT_EQ(Var(ia, "ny"), 0);
    EXPECT_EQ(Var(ia, "beyond"), 0);
    EXPECT_EQ(Var(ia, "phy_collision_points"), 0);  // outside the event

    // A ninth manifold of one pair is dropped with a warning.
    TCaptureConsole console;
    tagIConsole* saved = Console_Warnings;
    Console_Warnings = &console;
    for (int i = 0; i < 9; i++) world->AddContact(&keyA, &keyB, ia, ib, one);
    Console_Warnings = saved;
    EXPECT_EQ(console.text, "WARNING: Too many manifolds in collision\n");
    Frames(1);
    EXPECT_EQ(Var(ia, "n"), 8);

    // A pair whose instance went before its event runs raises nothing.
    world->AddContact(&keyA, &keyB, ia, ib, one);
    Instance_Destroy(ib);
    SetVar(ia, "n", -1);
    Frames(1);
    EXPECT_EQ(Var(ia, "n"), -1);
}

TEST(PhysicsChecks, ShapesAndMassesTheEngineWouldRefuse)
{
    Error_Display_Hook = [](const char*, bool) {};
    auto polygon = [](std::vector<b2Vec2> points) {
        b2PolygonShape p;
        p.m_count = (int32)points.size();
        for (size_t i = 0; i < points.size() && i < 8; i++) p.m_vertices[i] = points[i];
        return Box2D_CheckShape(p, "test");
    };
    EXPECT_TRUE(polygon({{0, 0}, {1, 0}, {1, 1}}));
    EXPECT_TRUE(polygon({{0, 0}, {1, 1}, {1, 0}}));                       // any order: the engine takes the hull
    EXPECT_FALSE(polygon({{0, 0}, {1, 0}}));                              // too few
    EXPECT_FALSE(polygon({{0, 0}, {1, 0}, {2, 0}}));                      // collinear
    EXPECT_FALSE(polygon({{0, 0}, {1, 0}, {1, 0.001f}}));                 // welded into two points
    EXPECT_FALSE(polygon({{0, 0}, {0.003f, 0}, {0.003f, 0.003f}}));      // area near the engine's epsilon
    EXPECT_FALSE(polygon({{0, 0}, {1e7f, 0}, {1e7f, 1e7f}}));             // too far out
    EXPECT_FALSE(polygon({{0, 0}, {NAN, 0}, {1, 1}}));
    EXPECT_FALSE(polygon({{0, 0}, {1000, 0}, {1000, 0.001f}}));           // a sliver
    b2CircleShape circle;
    circle.m_radius = 0;
    EXPECT_FALSE(Box2D_CheckShape(circle, "test"));
    circle.m_radius = 0.5f;
    EXPECT_TRUE(Box2D_CheckShape(circle, "test"));

    EXPECT_TRUE(Box2D_CheckMass(nullptr, &circle, 1, "test"));
    EXPECT_TRUE(Box2D_CheckMass(nullptr, &circle, 0, "test"));            // no mass: the engine gives 1
    EXPECT_FALSE(Box2D_CheckMass(nullptr, &circle, 1e-20f, "test"));      // 1 / mass overflows
    // A tiny circle far from the body's origin: its inertia about the centre drowns in rounding.
    circle.m_radius = 0.01f;
    circle.m_p.Set(1000, 0);
    EXPECT_FALSE(Box2D_CheckMass(nullptr, &circle, 1, "test"));
    Error_Display_Hook = nullptr;
}

int Shown = 0;

// Under "-debug" a refused call also names the engine check it stood in for (in a child process:
// the hook stays installed).
TEST(PhysicsLogHook, UnderDebugARefusalAlsoNamesTheEngineCheck)
{
    Error_Display_Hook = [](const char*, bool) { Shown++; };
    Physics_Refuse("physics_joint_pulley_create", "the ratio must be greater than 0", "ratio > b2_epsilon");
    EXPECT_EQ(Shown, 1);
    EXPECT_EQ(LastErrorText, "physics_joint_pulley_create: the ratio must be greater than 0");
    EXPECT_EXIT(
        {
            Physics_InstallLogHook();
            Physics_Refuse("physics_joint_pulley_create", "the ratio must be greater than 0", "ratio > b2_epsilon");
            std::_Exit(Shown == 3 && LastErrorText == "ratio > b2_epsilon" ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    Error_Display_Hook = nullptr;
}

TEST(PhysicsDebugView, EngineColoursStayWithinAByte)
{
    EXPECT_EQ(Box2D_DebugRenderer::Colour(b2Color(0.5f, 0.9f, 0.5f)), Color_MakeRGB(128, 230, 128));
    EXPECT_EQ(Box2D_DebugRenderer::Colour(b2Color(1.0f, 0.0f, 1.0f)), Color_MakeRGB(255, 0, 255));
    EXPECT_EQ(Box2D_DebugRenderer::Colour(b2Color(0.0f, 1.0f, -1.0f)), Color_MakeRGB(0, 255, 0));
}

class PhysicsLifetimes : public PhysicsTest {};

TEST_F(PhysicsLifetimes, BodiesGoWithTheirInstancesAndWorlds)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CPhysicsWorld* world = MakeWorld();
    CInstance* a = Body(o, 100, 100, 1);
    CInstance* b = Body(o, 140, 100, 1);
    ASSERT_TRUE(a->physics && b->physics);
    EXPECT_EQ(world->Engine()->world.GetBodyCount(), 2);
    double joint = Real("physics_joint_distance_create", a, {(double)a->id, (double)b->id, 100.0, 100.0, 140.0, 100.0, 0.0});
    ASSERT_GT(joint, 0);
    Instance_Destroy(b);  // the body goes at once, and the joint on it
    EXPECT_EQ(b->physics, nullptr);
    EXPECT_EQ(world->Engine()->world.GetBodyCount(), 1);
    EXPECT_EQ(world->Engine()->world.GetJointCount(), 0);
    EXPECT_EQ(PhysicsJoint_Find((int)joint), nullptr);
    // Deactivated, a body takes no part; back, it does again.
    a->deactivated = true;
    Run_Room->UpdateActivation();
    float y = a->y;
    Frames(2);
    EXPECT_EQ(Var(a, "phy_active"), 0);
    EXPECT_EQ(a->y, y);
    a->deactivated = false;
    Run_Room->UpdateActivation();
    Frames(2);
    EXPECT_EQ(Var(a, "phy_active"), 1);
    EXPECT_GT(a->y, y);
    // A world that goes leaves its instances without bodies.
    Physics_DestroyWorld(Run_Room);
    EXPECT_EQ(a->physics, nullptr);
    Run_Room->FreeMarked();
}

// A room with physics settings starts its world, instances of objects with physics properties get
// bodies, and a loaded game gives them bodies again.
TEST_F(PhysicsLifetimes, RoomsStartTheirWorldsAndLoadedGamesRebuildBodies)
{
    int o = Object();
    Object_Find(o)->physics = std::make_unique<ObjectPhysics>();
    ASSERT_TRUE(Object_LinkParents());
    ASSERT_TRUE(Object_Prepare());
    CRoom* room = Room_Get(Room_Add());
    room->physics = true;
    room->physics_gravity_y = 5;
    room->AddInstance(100, 50, o);
    Run_NoWait = true;
    ASSERT_TRUE(Run_StartGame());
    ASSERT_NE(Run_Room->physics_world, nullptr);
    ASSERT_EQ(Run_Room->active.size(), 1u);
    CInstance* inst = Run_Room->active.front();
    double mass = Var(inst, "phy_mass");
    EXPECT_NEAR(mass, 0.5 * 3.1415927 * 1.6 * 1.6, 1e-3);  // radius 16 pixels, density 0.5
    Frames(30);  // a second at gravity 5: 2.5 world units, 25 pixels (less a little damping)
    EXPECT_NEAR(inst->y, 75, 1.5);
    float y = inst->y;
    // Saves go through the folder mapping, into the save folder.
    std::string data = testing::TempDir() + "physics_" + std::to_string(getpid());
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    LoadSave_SetGameName("game");
    std::string file = std::string(LoadSave_GetSaveFolder()) + "physics.sav";
    ASSERT_TRUE(Game_Save(file.c_str()));
    LoadGame_Pending(file.c_str());
    Run_DoRoomChange();
    std::filesystem::remove_all(data);
    ASSERT_NE(Run_Room->physics_world, nullptr);
    ASSERT_EQ(Run_Room->active.size(), 1u);
    CInstance* loaded = Run_Room->active.front();
    EXPECT_NEAR(Var(loaded, "phy_mass"), mass, 1e-6);
    EXPECT_FLOAT_EQ((float)Var(loaded, "phy_position_y"), y);
}

}  // namespace
