// The instance and collision built-ins called by name in a running room: targets of every kind,
// notme and precise tests, counting and finding, copying, and (de)activation.
#include "../Room/World.h"
#include "Base/Random.h"
#include "Base/Timer.h"
#include "Room/Instance_Ops.h"
#include "Room/Room_Collision.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "Variable/Variable_Main.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <set>

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

class GameBuiltins : public WorldTest {
protected:
    void TearDown() override
    {
        WorldTest::TearDown();
        Sprite_Clear();
    }
    // Calls the built-in as compiled code does: by name, padded with real zeros.
    static double Call(const char* name, CInstance* self, std::vector<TaggedValue> args = {}, CInstance* other = nullptr)
    {
        int id = -1;
        EXPECT_TRUE(Function_Find(name, &id)) << name;
        const RFunction* f = Function_Get(id);
        if (!f) return 0;
        int given = (int)args.size();
        while ((int)args.size() < f->argc) args.emplace_back(0.0);
        TaggedValue result;
        f->handler(&result, self, other, given, args.data());
        EXPECT_TRUE(result.IsReal()) << name;
        return result.GetReal();
    }
    static double Id(const CInstance* inst) { return inst ? inst->id : -4; }
    static void SetVar(CInstance* inst, const char* name, const TaggedValue& v)
    {
        Instance_SetVariable(inst, Code_Variable_FindOrAdd(name), 0, &v);
    }
    static TaggedValue GetVar(CInstance* inst, const char* name)
    {
        TaggedValue v;
        EXPECT_TRUE(Instance_GetVariable(inst, Code_Variable_FindOrAdd(name), 0, &v)) << name;
        return v;
    }
};

// Gives the instance a precise one-pixel sprite whose mask is a hole: precise tests miss it.
void MakeHoled(CInstance* inst)
{
    int index = Sprite_AddNew();
    CSprite* s = Sprite_Get(index);
    s->m_numb = 1;
    s->m_masks.assign(1, std::vector<uint8_t>(1, 0));
    s->m_hasMasks = true;
    inst->SetSprite(index);
}

TEST_F(GameBuiltins, CollisionQueriesOverTargetsNotmeAndPrecise)
{
    int parent = Object(), child = Object(false, parent), lone = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* me = Put(child, 10, 10);     // self, first in every list
    CInstance* other = Put(parent, 10, 10); // has the hole
    Put(lone, 300, 300);
    MakeHoled(other);

    struct Row {
        double target;
        bool notme, precise;
        CInstance* expected;
    };
    const Row rows[] = {
        {-3, false, false, me},    {-3, true, false, other},   {-3, false, true, me},    {-3, true, true, nullptr},
        {(double)parent, false, false, me}, {(double)parent, true, false, other},
        {(double)parent, false, true, me},  {(double)parent, true, true, nullptr},
        {(double)child, false, false, me},  {(double)child, true, false, nullptr},
        {(double)child, false, true, me},   {(double)child, true, true, nullptr},
        {(double)me->id, false, false, me}, {(double)me->id, true, false, nullptr},
        {(double)other->id, true, false, other}, {(double)other->id, true, true, nullptr},
        {(double)lone, false, false, nullptr},  // far away
        {parent + 0.4, true, false, other},     // targets are rounded
        {-1, false, false, nullptr}, {-2, false, false, nullptr}, {-4, false, false, nullptr},
        {NaN, false, false, nullptr}, {1e300, false, false, nullptr}, {100000 + 1e6, false, false, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "target " << r.target << " notme " << r.notme << " precise " << r.precise);
        TaggedValue t(r.target), n(r.notme ? 1.0 : 0.0), p(r.precise ? 1.0 : 0.0);
        EXPECT_EQ(Call("collision_point", me, {10.5, 10.5, t, p, n}), Id(r.expected));
        EXPECT_EQ(Call("collision_rectangle", me, {8, 8, 12, 12, t, p, n}), Id(r.expected));
        EXPECT_EQ(Call("collision_circle", me, {10.5, 10.5, 3, t, p, n}), Id(r.expected));
        EXPECT_EQ(Call("collision_ellipse", me, {7, 9, 14, 12, t, p, n}), Id(r.expected));
        EXPECT_EQ(Call("collision_line", me, {0, 0, 20, 20, t, p, n}), Id(r.expected));
    }
    // Flags are true from 0.5 on.
    EXPECT_EQ(Call("collision_point", me, {10, 10, -3, 0, 0.49}), me->id);
    EXPECT_EQ(Call("collision_point", me, {10, 10, -3, 0, 0.5}), other->id);
    // Always precise: the holed instance is never at its own pixel.
    EXPECT_EQ(Call("instance_position", me, {10, 10, (double)parent}), me->id);
    Call("instance_destroy", me);
    EXPECT_EQ(Call("instance_position", nullptr, {10, 10, (double)parent}), -4);
    EXPECT_EQ(Call("collision_point", nullptr, {10, 10, -3, 0, 0}), other->id);
}

TEST_F(GameBuiltins, NearestAndFurthestTiesLimitsAndIds)
{
    int o = Object(), child = Object(false, o);
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* a = Put(o, 10, 0);
    CInstance* b = Put(child, -10, 0);  // as near as a, later
    CInstance* c = Put(o, 0, 30);
    CInstance* d = Put(child, 0, -30);  // as far as c, later
    EXPECT_EQ(Call("instance_nearest", a, {0, 0, (double)o}), a->id);
    EXPECT_EQ(Call("instance_nearest", a, {0, 0, (double)child}), b->id);
    EXPECT_EQ(Call("instance_furthest", a, {0, 0, (double)o}), c->id);
    EXPECT_EQ(Call("instance_furthest", a, {0, 0, -3}), c->id);
    EXPECT_EQ(Call("instance_furthest", a, {0, 0, (double)child}), d->id);
    // An instance id is not a target here, even of a live instance.
    EXPECT_EQ(Call("instance_nearest", a, {0, 0, (double)a->id}), -4);
    EXPECT_EQ(Call("instance_furthest", a, {0, 0, (double)a->id}), -4);
    // 10000 pixels or more away is never nearest; furthest still finds it.
    EXPECT_EQ(Call("instance_nearest", a, {10010, 0, (double)o}), -4);  // a exactly 10000 away
    EXPECT_EQ(Call("instance_nearest", a, {10009, 0, (double)o}), a->id);
    EXPECT_EQ(Call("instance_furthest", a, {10010, 0, (double)o}), b->id);
    // Destroyed instances are not measured.
    Call("instance_destroy", a);
    EXPECT_EQ(Call("instance_nearest", a, {0, 0, (double)o}), b->id);
    for (double bad : {NaN, 1e300, -1.0, -2.0, -4.0})
        EXPECT_EQ(Call("instance_nearest", b, {0, 0, bad}), -4) << bad;
}

TEST_F(GameBuiltins, CountingAndFindingWithEveryKindOfTarget)
{
    int o = Object(), child = Object(false, o);
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* a = Put(o, 0, 0);
    CInstance* b = Put(child, 0, 0);
    CInstance* c = Put(o, 0, 0);
    EXPECT_EQ(Call("instance_number", a, {(double)o}), 3);
    EXPECT_EQ(Call("instance_number", a, {(double)child}), 1);
    EXPECT_EQ(Call("instance_number", a, {-3}), 3);
    EXPECT_EQ(Call("instance_number", a, {-1}), 1);
    EXPECT_EQ(Call("instance_number", a, {-2}, b), 1);
    EXPECT_EQ(Call("instance_exists", a, {-1}), 1);
    EXPECT_EQ(Call("instance_exists", a, {-4}), 0);
    EXPECT_EQ(Call("instance_exists", a, {(double)b->id + 0.9}), 1);  // truncated
    EXPECT_EQ(Call("instance_find", a, {(double)o, 1}), b->id);
    EXPECT_EQ(Call("instance_find", a, {(double)o, 2.9}), c->id);
    EXPECT_EQ(Call("instance_find", a, {(double)o, 3}), -4);
    EXPECT_EQ(Call("instance_find", a, {(double)o, -1}), -4);
    EXPECT_EQ(Call("instance_find", a, {(double)b->id, 0}), b->id);
    EXPECT_EQ(Call("instance_find", a, {(double)b->id, 1}), -4);
    EXPECT_EQ(Call("instance_find", a, {-1, 0}), -4);  // self is an object index here
    for (double bad : {NaN, 1e300, -1e300, 2147483648.0, -4.0, 999999.0}) {
        EXPECT_EQ(Call("instance_find", a, {bad, 0}), -4) << bad;
        EXPECT_EQ(Call("instance_exists", a, {bad}), 0) << bad;
        EXPECT_EQ(Call("instance_number", a, {bad}), 0) << bad;
        EXPECT_EQ(Call("instance_find", a, {(double)o, bad}), -4) << bad;
    }
    // Destroyed in this step: neither counted, found nor existing; a destroyed self neither.
    Call("instance_destroy", b);
    EXPECT_EQ(Call("instance_number", a, {(double)o}), 2);
    EXPECT_EQ(Call("instance_find", a, {(double)o, 1}), c->id);
    EXPECT_EQ(Call("instance_exists", a, {(double)b->id}), 0);
    EXPECT_EQ(Call("instance_exists", a, {(double)child}), 0);
    EXPECT_EQ(Call("instance_exists", b, {-1}), 0);
    EXPECT_EQ(Call("instance_number", b, {-1}), 0);
    EXPECT_EQ(Call("instance_number", a, {(double)b->id}), 0);
}

TEST_F(GameBuiltins, CreateRefusesStringsAndMissingObjects)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* a = Put(o, 0, 0);
    EXPECT_EQ(Call("instance_create", a, {TaggedValue("1"), 0, (double)o}), -1);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("instance_create( ) error: Illegal type"), std::string::npos);
    EXPECT_EQ(Call("instance_create", a, {0, 0, 57}), -1);
    EXPECT_EQ(Call("instance_create", a, {0, 0, NaN}), -1);
    EXPECT_EQ(Call("instance_number", a, {-3}), 1);
    double made = Call("instance_create", a, {5, 6, o + 0.9});
    ASSERT_GE(made, INSTANCE_ID_FIRST);
    EXPECT_EQ(Instance_Find((int)made)->x, 5);
}

// Once every instance id is used, creating and copying report it and make nothing.
TEST_F(GameBuiltins, NoInstanceOnceTheIdsAreUsedUp)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* self = Put(o, 0, 0);
    Room_LastInstanceId = INSTANCE_ID_LAST;
    EXPECT_EQ(Call("instance_create", self, {1, 2, (double)o}), -1);
    EXPECT_EQ(Call("instance_copy", self, {1}), -4);
    EXPECT_EQ(Run_Room->active.size(), 1u);
    EXPECT_EQ(Room_LastInstanceId, INSTANCE_ID_LAST);
    ASSERT_EQ(Errors().size(), 2u);
    EXPECT_NE(Errors()[0].find("No instance can be made: every instance id has been used."), std::string::npos);
}

TEST_F(GameBuiltins, CopyTakesStateButNotIdentity)
{
    int o = Object();
    Object_Find(o)->AddEvent(EVENT_CREATE, 0, "made += 1;");
    Object_Find(o)->AddEvent(EVENT_DESTROY, 0, "global.destroyed += 1;");
    ASSERT_NO_FATAL_FAILURE(Start());
    TaggedValue zero(0.0);
    Variable_Global_Set(Code_Variable_FindOrAdd("destroyed"), 0, &zero);
    CInstance* src = Put(o, 12, 34);
    SetVar(src, "made", TaggedValue(0.0));
    SetVar(src, "name", TaggedValue("a text long enough to live on the heap"));
    src->depth = -50;
    Run_Room->ChangeDepth(src);
    src->destroy_guard = true;  // as while its destroy event runs
    src->alarm[3] = 9;
    int body = 0;  // stands for a physics body: never shared with a copy
    src->physics = reinterpret_cast<CPhysicsObject*>(&body);
    CInstance* mid = Put(o, 0, 0);
    mid->depth = -10;
    Run_Room->ChangeDepth(mid);

    CInstance* plain = Instance_Find((int)Call("instance_copy", src, {0}));
    CInstance* performed = Instance_Find((int)Call("instance_copy", src, {1}));
    ASSERT_TRUE(plain && performed);
    EXPECT_NE(plain->id, src->id);
    EXPECT_NE(performed->id, plain->id);
    EXPECT_EQ(plain->x, 12);
    EXPECT_EQ(plain->y, 34);
    EXPECT_EQ(plain->alarm[3], 9);
    EXPECT_EQ(GetVar(plain, "made").GetReal(), 0);
    EXPECT_EQ(GetVar(performed, "made").GetReal(), 1);
    EXPECT_FALSE(plain->created);
    EXPECT_TRUE(performed->created);
    EXPECT_FALSE(plain->destroy_guard);
    EXPECT_EQ(plain->physics, nullptr);
    EXPECT_EQ(performed->physics, nullptr);
    src->physics = nullptr;
    EXPECT_EQ(Instance_Find(plain->id), plain);
    // The copies stand with self in the depth order, and are found and counted.
    EXPECT_EQ(Run_Room->active.Snapshot(), (std::vector<CInstance*>{src, plain, performed, mid}));
    EXPECT_EQ(performed->depth, -50);
    EXPECT_EQ(Call("instance_number", src, {(double)o}), 4);

    // The source goes; its copies keep their own variables, and their destroy events run.
    src->destroy_guard = false;
    Call("instance_destroy", src);
    Run_Room->FreeMarked();
    EXPECT_STREQ(GetVar(plain, "name").GetString(), "a text long enough to live on the heap");
    Call("instance_destroy", plain);
    Call("instance_destroy", performed);
    TaggedValue destroyed;
    Variable_Global_Get(Code_Variable_FindOrAdd("destroyed"), 0, &destroyed);
    EXPECT_EQ(destroyed.GetReal(), 3);
    // Nothing to copy: noone.
    EXPECT_EQ(Call("instance_copy", nullptr, {1}), -4);
    EXPECT_EQ(Call("instance_copy", plain, {1}), -4);
}

TEST_F(GameBuiltins, DeactivationByObjectRegionAndNotme)
{
    int parent = Object(), child = Object(false, parent), other = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* me = Put(other, 500, 500);
    CInstance* kid = Put(child, 10, 10);
    CInstance* dad = Put(parent, 50, 50);
    CInstance* far = Put(other, 300, 300);

    // Inside false selects the instances wholly outside; notme keeps self.
    Call("instance_deactivate_region", me, {0, 0, 100, 100, 0, 1});
    EXPECT_FALSE(me->deactivated);
    EXPECT_TRUE(far->deactivated);
    EXPECT_FALSE(kid->deactivated);
    Call("instance_deactivate_region", me, {0, 0, 100, 100, 0, 0});
    EXPECT_TRUE(me->deactivated);
    Call("instance_activate_all", nullptr);
    EXPECT_EQ(Run_Room->deactivated.size(), 0u);

    // The edge of the region counts as inside.
    Call("instance_deactivate_region", me, {10, 10, 40, 40, 1, 1});
    EXPECT_TRUE(kid->deactivated);
    EXPECT_TRUE(dad->deactivated);
    EXPECT_FALSE(far->deactivated);
    Call("instance_activate_region", me, {0, 0, 20, 20, 1});
    EXPECT_FALSE(kid->deactivated);
    EXPECT_TRUE(dad->deactivated);
    Call("instance_activate_all", nullptr);

    // A deactivated instance is reached by its id, not through its object.
    Call("instance_deactivate_object", me, {(double)child});
    EXPECT_TRUE(kid->deactivated);
    EXPECT_FALSE(dad->deactivated);
    EXPECT_EQ(Call("instance_exists", me, {(double)kid->id}), 1);
    EXPECT_EQ(Call("instance_exists", me, {(double)child}), 0);
    EXPECT_EQ(Call("instance_number", me, {(double)parent}), 1);
    EXPECT_EQ(Call("collision_point", me, {10, 10, -3, 0, 0}), -4);
    EXPECT_EQ(Call("collision_point", me, {10, 10, (double)kid->id, 0, 0}), kid->id);
    // Activating the parent object revives its children.
    Call("instance_activate_object", me, {(double)parent});
    EXPECT_FALSE(kid->deactivated);
    EXPECT_EQ(Call("instance_exists", me, {(double)child}), 1);

    // All but self, then self and other, then by id.
    Call("instance_deactivate_all", me, {1});
    EXPECT_EQ(Run_Room->active.size(), 1u);
    Call("instance_activate_object", me, {(double)dad->id});
    EXPECT_FALSE(dad->deactivated);
    Call("instance_deactivate_object", me, {-2}, dad);
    EXPECT_TRUE(dad->deactivated);
    Call("instance_deactivate_object", me, {-1});
    EXPECT_TRUE(me->deactivated);
    Call("instance_activate_object", nullptr, {-3});
    EXPECT_EQ(Run_Room->active.size(), 4u);
    // Targets that name nothing change nothing.
    for (double bad : {NaN, 1e300, -4.0, -1.0, 999999.0}) {
        Call("instance_deactivate_object", nullptr, {bad});
        EXPECT_EQ(Run_Room->active.size(), 4u) << bad;
    }
    // A destroyed instance is not deactivated.
    Call("instance_destroy", far);
    Call("instance_deactivate_object", me, {(double)far->id});
    EXPECT_FALSE(far->deactivated);
}

TEST_F(GameBuiltins, SleepIsBounded)
{
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    for (double bad : {NaN, -1e300, -5.0, 0.0}) Call("sleep", nullptr, {bad});
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50));
    start = Clock::now();
    Call("sleep", nullptr, {1e300});
    auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(2900));
    EXPECT_LT(waited, std::chrono::milliseconds(4500));
}

TEST_F(GameBuiltins, RoomsNamedByAnyNumber)
{
    ASSERT_NO_FATAL_FAILURE(Start(2));
    EXPECT_EQ(Call("room_next", nullptr, {0.4}), 1);
    for (double bad : {NaN, 1e300, -1.0, 2.0}) {
        EXPECT_EQ(Call("room_next", nullptr, {bad}), -1) << bad;
        EXPECT_EQ(Call("room_previous", nullptr, {bad}), -1) << bad;
    }
    Call("room_goto", nullptr, {NaN});
    EXPECT_EQ(Room_NewRoom, ROOM_CHANGE_ERROR_END);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("Unexisting room number: -2147483648"), std::string::npos);
}

TEST_F(GameBuiltins, MoveRandomSnapsStaysInsideAndGivesUpWhenFull)
{
    int o = Object(), wall = Object(true);
    ASSERT_NO_FATAL_FAILURE(Start(1, 8, 8));
    Random_Seed(11);
    CInstance* me = Put(o, 3, 3);
    std::set<std::pair<float, float>> seen;
    for (int i = 0; i < 100; i++) {
        Call("move_random", me, {4, 2.6});  // rounded: 4 and 3
        EXPECT_EQ(std::fmod(me->x, 4.0f), 0) << me->x;
        EXPECT_EQ(std::fmod(me->y, 3.0f), 0) << me->y;
        EXPECT_TRUE(me->x >= 0 && me->x < 8 && me->y >= 0 && me->y < 8);
        seen.insert({me->x, me->y});
    }
    EXPECT_EQ(seen.size(), 6u);  // x in {0, 4}, y in {0, 3, 6}
    // Every pixel of the room taken by a solid instance: self stays after its attempts.
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) Put(wall, (float)x, (float)y);
    me->SetPosition(2.5f, 5.25f);
    Call("move_random", me, {0, 0});
    EXPECT_EQ(me->x, 2.5f);
    EXPECT_EQ(me->y, 5.25f);
}

TEST_F(GameBuiltins, SnappedAndDistances)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start(1, 640, 480));
    CInstance* me = Put(o, 48.0005f, 7);
    EXPECT_EQ(Call("place_snapped", me, {16, 0}), 1);
    EXPECT_EQ(Call("place_snapped", me, {16, 5}), 0);
    me->SetPosition(48.01f, me->y);
    EXPECT_EQ(Call("place_snapped", me, {16, 0}), 0);
    EXPECT_EQ(Call("place_snapped", me, {0, -3}), 1);

    me->SetPosition(10, 10);
    EXPECT_EQ(Call("distance_to_point", me, {10, 10}), 0);
    EXPECT_EQ(Call("distance_to_point", me, {13, 14}), 5);
    EXPECT_EQ(Call("distance_to_point", me, {7, 6}), 5);
    EXPECT_EQ(Call("distance_to_object", me, {-3}), 1000000);  // only self
    CInstance* near = Put(o, 20, 10);
    CInstance* far = Put(o, 2e9f, -2e9f);  // the squares overflow 32 bits
    EXPECT_EQ(Call("distance_to_object", me, {-3}), 10);
    EXPECT_EQ(Call("distance_to_object", me, {(double)far->id}), 1000000);
    EXPECT_EQ(Call("distance_to_object", far, {(double)me->id}), 1000000);
    EXPECT_EQ(Call("distance_to_object", me, {-2}, near), 10);
    EXPECT_EQ(Call("distance_to_object", me, {-1}), 1000000);
    Call("instance_deactivate_object", me, {(double)near->id});
    EXPECT_EQ(Call("distance_to_object", me, {(double)near->id}), 10);  // reached by id
    EXPECT_EQ(Call("distance_to_object", me, {(double)o}), 1000000);
    for (double bad : {NaN, 1e300, -4.0})
        EXPECT_EQ(Call("distance_to_object", me, {bad}), 1000000) << bad;
}

TEST_F(GameBuiltins, MissingSpritesAndObjectsAreReported)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* me = Put(o, 0, 0);
    Call("instance_sprite", me, {7.9});
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("Setting instance to non-existing sprite: 7"), std::string::npos);
    EXPECT_EQ(me->sprite_index, -1);
    Call("instance_change", me, {42, 1});
    ASSERT_EQ(Errors().size(), 2u);
    EXPECT_NE(Errors()[1].find("Asking to change into non-existing object: 42"), std::string::npos);
    EXPECT_EQ(me->object_index, o);
    int sprite = Sprite_AddNew();
    Call("instance_sprite", me, {sprite + 0.7});
    EXPECT_EQ(me->sprite_index, sprite);
    EXPECT_EQ(Errors().size(), 2u);
    Sprite_Delete(sprite);
}

}  // namespace
