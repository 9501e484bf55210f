// The action built-ins called by name in a running room: the relative flag, motion and alarms,
// the counters with their events, creation, scripts, questions and the action particle system.
#include "Function/Function_Action.h"
#include "Function/Function_Math.h"
#include "../Room/World.h"

#include "Base/Random.h"
#include "Particle/Particle_Main.h"
#include "Room/Instance_Ops.h"
#include "Run/Run_Main.h"
#include "Script/Script_Main.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "StartUp.h"
#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_Main.h"

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

TaggedValue S(const char* text) { return TaggedValue(text); }

class Actions : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        Variable_BuiltIn_Init();
        StartUp_Variables();
        int id;
        if (!Function_Find("action_move", &id)) Function_Action_Init();
        if (!Function_Find("string", &id)) Function_Math_Init();
        Argument_Relative = 0;
        Particle_Init();
        Function_Action_ResetParticles();
    }
    void TearDown() override
    {
        Argument_Relative = 0;
        Particle_Init();
        Function_Action_ResetParticles();
        Script_Clear();
        Variable_Globals.Clear();
        WorldTest::TearDown();
        Sprite_Clear();
    }
    // Calls the action as compiled code does: by name, padded with real zeros.
    static TaggedValue Call(const char* name, CInstance* self, std::vector<TaggedValue> args = {}, bool relative = false)
    {
        int id = -1;
        EXPECT_TRUE(Function_Find(name, &id)) << name;
        const RFunction* f = Function_Get(id);
        TaggedValue result;
        if (!f) return result;
        while ((int)args.size() < f->argc) args.emplace_back(0.0);
        Argument_Relative = relative;
        f->handler(&result, self, self, (int)args.size(), args.data());
        Argument_Relative = 0;
        return result;
    }
    static double Global(const char* name)
    {
        TaggedValue v;
        Variable_Global_Get(Code_Variable_FindOrAdd(name), 0, &v);
        return v.GetReal();
    }
    static bool Reported(const char* text)
    {
        for (const std::string& e : Errors())
            if (e.find(text) != std::string::npos) return true;
        return false;
    }
    // The particle types that exist.
    static int Types()
    {
        int n = 0;
        for (int t = 0; t < 64; t++) n += ParticleType_Exists(t);
        return n;
    }
    static int Particles()
    {
        int n = 0;
        for (int s = 0; s < 8; s++) n += ParticleSystem_CountParticles(s);
        return n;
    }
};

TEST_F(Actions, RelativeMovesMotionAndAlarms)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* me = Put(o, 100, 50);
    Call("action_move_to", me, {10, 0}, true);
    EXPECT_EQ(me->x, 110);
    EXPECT_EQ(me->y, 50);
    Call("action_move_to", me, {10, 0});
    EXPECT_EQ(me->x, 10);

    Call("action_set_hspeed", me, {3});
    Call("action_set_hspeed", me, {2}, true);
    EXPECT_FLOAT_EQ(me->hspeed, 5);
    EXPECT_FLOAT_EQ(me->speed, 5);
    Call("action_set_motion", me, {90, 5}, true);  // adds straight up: 5 right and 5 up
    EXPECT_NEAR(me->hspeed, 5, 1e-4);
    EXPECT_NEAR(me->vspeed, -5, 1e-4);
    Call("action_set_motion", me, {180, 2});
    EXPECT_NEAR(me->hspeed, -2, 1e-4);
    Call("action_set_gravity", me, {270, 0.5});
    Call("action_set_gravity", me, {10, 0.25}, true);
    EXPECT_FLOAT_EQ(me->gravity_direction, 280);
    EXPECT_FLOAT_EQ(me->gravity, 0.75);

    // A relative alarm adds to one that is set; an unset one (-1) takes the value.
    EXPECT_EQ(me->alarm[0], -1);
    Call("action_set_alarm", me, {5, 0}, true);
    EXPECT_EQ(me->alarm[0], 5);
    Call("action_set_alarm", me, {3, 0}, true);
    EXPECT_EQ(me->alarm[0], 8);
    Call("action_set_alarm", me, {3, 0});
    EXPECT_EQ(me->alarm[0], 3);
    Call("action_set_alarm", me, {2147483647.0, 0}, true);
    EXPECT_EQ(me->alarm[0], 2147483647);
    Call("action_set_alarm", me, {7, 11.4});
    EXPECT_EQ(me->alarm[11], 7);
    Call("action_set_alarm", me, {7, 12});
    Call("action_set_alarm", me, {7, -1});
    Call("action_set_alarm", me, {7, NAN});

    Call("action_timeline_set", me, {2, 4.5, 0, 1});
    EXPECT_EQ(me->timeline_index, 2);
    EXPECT_TRUE(me->timeline_running);
    EXPECT_TRUE(me->timeline_loop);
    Call("action_timeline_set", me, {2, 4.5, 1, 0.9});
    EXPECT_FALSE(me->timeline_running);
    EXPECT_FALSE(me->timeline_loop);
    Call("action_set_timeline_position", me, {1.5}, true);
    EXPECT_FLOAT_EQ(me->timeline_position, 6);
    Call("action_timeline_stop", me);
    EXPECT_EQ(me->timeline_position, 0);

    Call("action_sprite_transform", me, {2, 3, 45, 3});
    EXPECT_EQ(me->image_xscale, -2);
    EXPECT_EQ(me->image_yscale, -3);
    EXPECT_EQ(me->image_angle, 45);
    Call("action_sprite_set", me, {-1, -1, 0.5});
    EXPECT_EQ(me->sprite_index, -1);
    EXPECT_EQ(me->image_speed, 0.5);
    EXPECT_TRUE(Errors().empty());
}

// The keypad layout from the bottom row up; the middle key stops.
TEST_F(Actions, MoveDrawsOnlyTheChosenDirections)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* me = Put(o, 0, 0);
    const float directions[9] = {225, 270, 315, 180, -1, 0, 135, 90, 45};
    Random_Seed(5);
    for (int k = 0; k < 9; k++) {
        std::string keys(9, '0');
        keys[k] = '1';
        me->SetSpeed(1);
        me->SetDirection(10);
        Call("action_move", me, {TaggedValue(keys.c_str()), 3});
        if (k == 4) {
            EXPECT_EQ(me->speed, 0) << k;
            EXPECT_EQ(me->direction, 0) << k;
        } else {
            EXPECT_EQ(me->speed, 3) << k;
            EXPECT_EQ(me->direction, directions[k]) << k;
        }
    }
    std::set<float> seen;
    me->SetSpeed(0);
    for (int i = 0; i < 200; i++) {
        Call("action_move", me, {TaggedValue("100000001"), 1}, true);
        seen.insert(me->direction);
    }
    EXPECT_EQ(seen, (std::set<float>{225, 45}));
    EXPECT_FLOAT_EQ(me->speed, 200) << "each relative move adds its speed";

    // Nine zeros change nothing, not even the speed; a wrong argument is reported.
    me->SetSpeed(2);
    Call("action_move", me, {TaggedValue("000000000"), 9});
    EXPECT_EQ(me->speed, 2);
    EXPECT_TRUE(Errors().empty());
    Call("action_move", me, {TaggedValue("00001000"), 9});
    Call("action_move", me, {TaggedValue(4.0), 9});
    EXPECT_EQ(Errors().size(), 2u);
    EXPECT_TRUE(Reported("Wrong argument to action_move()."));
    EXPECT_EQ(me->speed, 2);
}

TEST_F(Actions, LosingTheLastLifeOrHealthRaisesItsEventOnce)
{
    int o = Object();
    Object_Find(o)->AddEvent(EVENT_OTHER, OTHER_NO_MORE_LIVES, "global.lost_lives += 1;");
    Object_Find(o)->AddEvent(EVENT_OTHER, OTHER_NO_MORE_HEALTH, "global.lost_health += 1;");
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* me = Put(o, 0, 0);
    TaggedValue zero(0.0);
    Variable_Global_Set(Code_Variable_FindOrAdd("lost_lives"), 0, &zero);
    Variable_Global_Set(Code_Variable_FindOrAdd("lost_health"), 0, &zero);

    Call("action_set_life", me, {1});
    Call("action_set_life", me, {-1}, true);
    EXPECT_EQ(lives, 0);
    EXPECT_EQ(Global("lost_lives"), 1);
    Call("action_set_life", me, {-1}, true);
    EXPECT_EQ(lives, -1);
    EXPECT_EQ(Global("lost_lives"), 1) << "0 -> -1 raises nothing";
    Call("action_set_life", me, {3});
    Call("action_set_life", me, {0});
    EXPECT_EQ(Global("lost_lives"), 2);

    Call("action_set_health", me, {10});
    Call("action_set_health", me, {-10}, true);
    EXPECT_EQ(health, 0);
    EXPECT_EQ(Global("lost_health"), 1);
    Call("action_set_health", me, {-5}, true);
    EXPECT_EQ(Global("lost_health"), 1);
    Call("action_set_health", me, {0.5});
    Call("action_set_health", me, {-0.25}, true);
    EXPECT_EQ(Global("lost_health"), 1);

    Call("action_set_score", me, {10});
    Call("action_set_score", me, {2147483647.0}, true);
    EXPECT_EQ(score, 2147483647) << "kept in range";
    struct Row { double value, op, answer; };
    const Row rows[] = {{2147483647.0, 0, 1}, {2147483647.0, 1, 0}, {0, 2, 1}, {3e9, 1, 1}, {2147483646.6, 0, 0}};
    for (const Row& r : rows) EXPECT_EQ(Call("action_if_score", me, {r.value, r.op}).GetReal(), r.answer) << r.value;
    EXPECT_EQ(Call("action_if_life", me, {0, 1}).GetReal(), 0);
    EXPECT_EQ(Call("action_if_life", me, {1, 1}).GetReal(), 1);
    EXPECT_EQ(Call("action_if_health", me, {0.25, 0}).GetReal(), 1);
}

// Each event's code starts with the flag clear and gives back the flag of the action that ran it.
TEST_F(Actions, EventsRunWithTheFlagClearAndRestoreIt)
{
    int o = Object();
    Object_Find(o)->AddEvent(EVENT_CREATE, 0, "seen = argument_relative; action_set_relative(1);");
    ASSERT_NO_FATAL_FAILURE(Start());
    Argument_Relative = 1;
    CInstance* made = Instance_Create(o, 0, 0);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(Argument_Relative, 1);
    TaggedValue seen;
    Instance_GetVariable(made, Code_Variable_FindOrAdd("seen"), 0, &seen);
    EXPECT_EQ(seen.GetReal(), 0);
    Argument_Relative = 0;
    Instance_Create(o, 0, 0);
    EXPECT_EQ(Argument_Relative, 0);
}

// The redraw of a sleep runs every draw event once; a sleep inside a draw event does not draw the
// room again (it would run itself without end).
TEST_F(Actions, SleepRedrawsTheRoomOnceFromOutsideItsDrawing)
{
    int o = Object();
    Object_Find(o)->AddEvent(EVENT_DRAW, 0, "global.draws += 1; action_sleep(0, 1);");
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* me = Put(o, 0, 0);
    TaggedValue zero(0.0);
    Variable_Global_Set(Code_Variable_FindOrAdd("draws"), 0, &zero);
    Call("action_sleep", me, {0, 1});
    EXPECT_EQ(Global("draws"), 1);
    Call("action_sleep", me, {0, 0});
    EXPECT_EQ(Global("draws"), 1);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(Actions, CreationRelativeWithMotionAndAtRandom)
{
    int a = Object(), gone = Object(), b = Object();
    Object_Find(a)->AddEvent(EVENT_CREATE, 0, "made_speed = speed; made_direction = direction;");
    Object_Find(b)->AddEvent(EVENT_CREATE, 0, "made_speed = speed;");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(Object_Delete(gone));
    CInstance* me = Put(a, 100, 50);
    auto last = [] { return Run_Room->active.back(); };
    auto made = [](CInstance* inst, const char* name) {
        TaggedValue v;
        Instance_GetVariable(inst, Code_Variable_FindOrAdd(name), 0, &v);
        return v.GetReal();
    };

    Call("action_create_object", me, {(double)b, 5, 6}, true);
    EXPECT_EQ(last()->object_index, b);
    EXPECT_EQ(last()->x, 105);
    EXPECT_EQ(last()->y, 56);
    EXPECT_TRUE(last()->created);
    Call("action_create_object_motion", me, {(double)a, 1, 2, 4, 90});
    EXPECT_EQ(last()->x, 1);
    EXPECT_EQ(made(last(), "made_speed"), 4) << "speed and direction are set before the create event";
    EXPECT_EQ(made(last(), "made_direction"), 90);
    EXPECT_NEAR(last()->vspeed, -4, 1e-4);

    // The object is truncated for the test as for the creation: gone + 0.6 names the missing
    // object, not the next one.
    size_t count = Run_Room->active.size();
    Call("action_create_object", me, {gone + 0.6, 0, 0});
    Call("action_create_object_motion", me, {gone + 0.6, 0, 0, 1, 1});
    EXPECT_EQ(Run_Room->active.size(), count);
    ASSERT_EQ(Errors().size(), 2u) << Errors()[0];
    EXPECT_TRUE(Reported(("Creating instance for non-existing object: " + std::to_string(gone)).c_str()));
    Call("action_create_object", me, {a + 0.9, 0, 0});
    EXPECT_EQ(last()->object_index, a) << "a + 0.9 truncates to a";

    // At random among the objects that exist; nothing when none does.
    Random_Seed(3);
    std::set<int> objects;
    for (int i = 0; i < 60; i++) {
        Call("action_create_object_random", me, {(double)gone, (double)b, -1, 1e300, 7, 8}, true);
        objects.insert(last()->object_index);
        EXPECT_EQ(last()->x, 107);
    }
    EXPECT_EQ(objects, (std::set<int>{b}));
    for (int i = 0; i < 60; i++) {
        Call("action_create_object_random", me, {(double)a, (double)gone, (double)b, NAN, 0, 0});
        objects.insert(last()->object_index);
    }
    EXPECT_EQ(objects, (std::set<int>{a, b}));
    count = Run_Room->active.size();
    Call("action_create_object_random", me, {(double)gone, -1, 99, NAN, 0, 0});
    EXPECT_EQ(Run_Room->active.size(), count);
    EXPECT_EQ(Errors().size(), 2u);
}

TEST_F(Actions, ScriptsGetTheirFiveArguments)
{
    Script_Add("scr_args", "return string(argument0) + argument1 + string(argument4 * 10 + argument_count);");
    Script_Add("scr_fails", "return nope;");
    ASSERT_TRUE(Script_Prepare()) << LastErrorText;
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* me = Put(o, 0, 0);
    ArgumentSlots[0].SetString("kept");
    TaggedValue r = Call("action_execute_script", me, {0, 1, S("-two-"), 3, 4, 5});
    EXPECT_STREQ(r.GetString(), "1-two-55");
    EXPECT_STREQ(ArgumentSlots[0].GetString(), "kept");
    EXPECT_EQ(Call("action_execute_script", me, {0.4, 1, S("+"), 0, 0, 2}).GetString(), std::string("1+25"));
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(Call("action_execute_script", me, {1}).GetReal(), 0);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_TRUE(Reported("In script scr_fails:"));
    EXPECT_FALSE(Error_FatalPending);
    Call("action_execute_script", me, {7});
    Call("action_execute_script", me, {NAN});
    EXPECT_EQ(Errors().size(), 1u) << "a missing script does nothing";
    ArgumentSlots[0].SetReal(0);
}

TEST_F(Actions, QuestionsCompareAsTheirKindsSay)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* me = Put(o, 0, 0);
    struct Row { TaggedValue a, b; double op; double answer; };
    const Row rows[] = {
        {1, 2, 1, 1},  {2, 2, 1, 0}, {3, 2, 2, 1}, {2, 2, 2, 0}, {2, 2, 3, 1}, {3, 2, 3, 0}, {2, 2, 4, 1},
        {1, 2, 4, 0},  {2, 2, 0, 1}, {2, 2.0000001, 0, 0}, {2, 2, 9, 1}, {2, 3, -1, 0},
        {S("ab"), S("b"), 1, 1}, {S("b"), S("ab"), 2, 1}, {S("ab"), S("ab"), 0, 1}, {S("ab"), S("abc"), 1, 1},
        {S("abc"), S("ab"), 3, 0}, {S(""), S(""), 4, 1}, {NAN, 1, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.a.GetReal() << r.a.GetString() << " op " << r.op);
        EXPECT_EQ(Call("action_if_variable", me, {r.a, r.b, r.op}).GetReal(), r.answer);
    }
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(Call("action_if_variable", me, {S("1"), 1, 0}).GetReal(), 0);
    EXPECT_TRUE(Reported("Cannot compare arguments."));

    EXPECT_STREQ(Call("action_if", me, {S("as given")}).GetString(), "as given");
    Put(o, 0, 0);
    EXPECT_EQ(Call("action_if_number", me, {(double)o, 2, 0}).GetReal(), 1);
    EXPECT_EQ(Call("action_if_number", me, {(double)o, 3, 1}).GetReal(), 1);
    EXPECT_EQ(Call("action_if_number", me, {(double)o, 2, 2}).GetReal(), 0);
    EXPECT_EQ(Call("action_if_number", me, {-1, 1, 0}).GetReal(), 1) << "self";

    Random_Seed(9);
    int yes = 0;
    for (int i = 0; i < 2000; i++) {
        EXPECT_EQ(Call("action_if_dice", me, {1}).GetReal(), 1);
        yes += (int)Call("action_if_dice", me, {2}).GetReal();
    }
    EXPECT_NEAR(yes, 1001, 90);
    EXPECT_EQ(Call("action_if_dice", me, {NAN}).GetReal(), 1);
    EXPECT_EQ(Call("action_if_dice", me, {1e300}).GetReal(), 0);
}

// The place questions look at the point relative to self when the action is; against solid
// instances, every instance, or one object.
TEST_F(Actions, PlaceQuestionsFollowTheRelativeFlag)
{
    Sprite_Clear();
    int sprite = Sprite_AddNew();
    CSprite* s = Sprite_Get(sprite);
    s->m_numb = 1;
    s->m_width = s->m_height = 16;
    s->m_bboxMode = BBOX_MANUAL;
    s->m_bbox = {0, 0, 15, 15};
    int mover = Object(), wall = Object(true), ghost = Object();
    for (int o : {mover, wall, ghost}) Object_Find(o)->sprite = sprite;
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* me = Put(mover, 100, 100);
    Put(wall, 140, 100);
    Put(ghost, 100, 140);
    struct Row { const char* name; double a, b, c; bool relative; double answer; };
    const Row rows[] = {
        {"action_if_empty", 40, 0, 0, true, 0},     {"action_if_empty", 40, 0, 0, false, 1},
        {"action_if_collision", 40, 0, 0, true, 1}, {"action_if_collision", 40, 0, 1, false, 0},
        {"action_if_empty", 0, 40, 0, true, 1},     {"action_if_empty", 0, 40, 1, true, 0},
        {"action_if_collision", 0, 40, 0.4, true, 1},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Call(r.name, me, {r.a, r.b, r.c}, r.relative).GetReal(), r.answer)
            << r.name << " " << r.a << "," << r.b << " objects " << r.c << " relative " << r.relative;
    EXPECT_EQ(Call("action_if_object", me, {(double)wall, 40, 0}, true).GetReal(), 1);
    EXPECT_EQ(Call("action_if_object", me, {(double)wall, 40, 0}).GetReal(), 0);
    EXPECT_EQ(Call("action_if_object", me, {(double)ghost, 40, 0}, true).GetReal(), 0);
    EXPECT_TRUE(Errors().empty());
}

// Every slot names one of 16; an emitter slot is free again once its emitter or the system goes.
TEST_F(Actions, ParticleSlotsStayInsideTheirTables)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* me = Put(o, 0, 0);
    Call("action_partsyst_create", me, {-5});
    Call("action_parttype_create", me, {3, 1, -1, 1, 1, 0});
    Call("action_parttype_life", me, {3, 20, 20});
    Call("action_partemit_burst", me, {0, 3, 10});
    EXPECT_TRUE(Reported("The particle emitter must first be created."));
    EXPECT_EQ(Particles(), 0);
    Call("action_partemit_create", me, {0, 0, 10, 20, 10, 20});
    Call("action_partemit_burst", me, {0, 3, 10});
    EXPECT_EQ(Particles(), 10);
    Call("action_partemit_stream", me, {0, 3, 2});
    Call("action_partsyst_clear", me);
    EXPECT_EQ(Particles(), 0);

    // Slot 16, -1, NaN: reported, nothing done, nothing outside the tables touched.
    Errors().clear();
    for (double slot : {16.0, -1.0, (double)NAN, 1e300, 15.5}) {
        Call("action_partemit_create", me, {slot, 0, 0, 1, 0, 1});
        Call("action_partemit_burst", me, {slot, 3, 5});
        Call("action_partemit_burst", me, {0, slot, 5});
        Call("action_partemit_destroy", me, {slot});
        Call("action_parttype_life", me, {slot, 5, 5});
        Call("action_parttype_secondary", me, {3, slot, 1, 3, 1});
    }
    EXPECT_EQ(Errors().size(), 30u);
    EXPECT_EQ(Particles(), 0);
    Call("action_partemit_burst", me, {0, 15.4, 1});  // slot 15 holds no type: the module says so
    Errors().clear();

    // Destroyed emitters leave their slots empty, whether alone or with the system.
    Call("action_partemit_destroy", me, {0});
    Call("action_partemit_burst", me, {0, 3, 10});
    EXPECT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Particles(), 0);
    Call("action_partemit_create", me, {0, 0, 10, 20, 10, 20});
    Call("action_partsyst_destroy", me);
    Call("action_partemit_burst", me, {0, 3, 10});
    EXPECT_EQ(Errors().size(), 2u);
    EXPECT_EQ(Particles(), 0);
    Call("action_partemit_create", me, {0, 0, 10, 20, 10, 20});
    Call("action_partemit_burst", me, {0, 3, 4});
    EXPECT_EQ(Particles(), 4);

    // The secondary types are those the slots hold at the call; only the slot set up gets a type.
    Call("action_partsyst_clear", me);
    int before = Types();
    Call("action_parttype_secondary", me, {3, 4, 0, 5, 2});
    EXPECT_EQ(Types(), before) << "slot 3 had its type; slots 4 and 5 get none";
    Call("action_parttype_life", me, {3, 1, 1});
    Call("action_parttype_life", me, {5, 50, 50});
    Call("action_partemit_burst", me, {0, 3, 5});
    for (int s = 0; s < 8; s++) ParticleSystem_Update(s);
    EXPECT_EQ(Particles(), 0) << "slot 5 was empty at the call: type 3 dies into nothing";
    Call("action_parttype_secondary", me, {3, 4, 0, 5, 2});
    Call("action_partemit_burst", me, {0, 3, 5});
    for (int s = 0; s < 8; s++) ParticleSystem_Update(s);
    EXPECT_EQ(Particles(), 2 * 5) << "every particle of type 3 died into two of slot 5's type";
    EXPECT_EQ(Errors().size(), 2u);
}

// A new action system empties its slots but leaves their types to the scripts that kept them.
TEST_F(Actions, ANewActionSystemKeepsTheTypesOfItsSlots)
{
    int o = Object();
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* me = Put(o, 0, 0);
    Call("action_partsyst_create", me, {0});
    Call("action_parttype_life", me, {0, 30, 30});
    Call("action_parttype_life", me, {1, 30, 30});
    ASSERT_EQ(Types(), 2);
    Call("action_partsyst_create", me, {0});
    EXPECT_TRUE(ParticleType_Exists(0) && ParticleType_Exists(1)) << "the types of the old slots stay";
    // The emptied slots get new types when set up again.
    Call("action_parttype_life", me, {0, 30, 30});
    EXPECT_EQ(Types(), 3);
    // A type kept from before still makes particles in the new system.
    int system = ParticleSystem_Create();
    ParticleSystem_CreateParticles(system, 0, 0, 0, 4);
    EXPECT_EQ(ParticleSystem_CountParticles(system), 4);
    EXPECT_TRUE(Errors().empty());
}

}  // namespace
