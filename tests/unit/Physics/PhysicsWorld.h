// A running room for physics tests: the physics built-ins and variables registered, a world made
// through physics_world_create, bodies bound through fixtures, frames stepped.
#pragma once
#include "../Room/World.h"
#include "Function/Function_Physics.h"
#include "Physics/Physics_Main.h"
#include "Physics/Physics_World.h"
#include "Variable/Variable_Main.h"

#include <cmath>

class PhysicsTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        int id;
        if (!Function_Find("physics_world_create", &id)) Function_Physics_Init();
        Physics_Variables_Init();
    }
    // Calls a built-in as compiled code does: by name, padded with real zeros.
    static TaggedValue Call(const char* name, CInstance* self, std::vector<TaggedValue> args = {}, CInstance* other = nullptr)
    {
        int id = -1;
        EXPECT_TRUE(Function_Find(name, &id)) << name;
        const RFunction* f = Function_Get(id);
        TaggedValue result;
        if (!f) return result;
        int given = (int)args.size();
        while ((int)args.size() < f->argc) args.emplace_back(0.0);
        f->handler(&result, self, other ? other : self, given, args.data());
        return result;
    }
    static double Real(const char* name, CInstance* self, std::vector<TaggedValue> args = {}, CInstance* other = nullptr)
    {
        return Call(name, self, std::move(args), other).GetReal();
    }
    CPhysicsWorld* MakeWorld(double scale = 0.1)
    {
        Call("physics_world_create", nullptr, {scale});
        return Run_Room->physics_world;
    }
    // A box fixture (half size in pixels); density 0 makes static bodies.
    int Box(double density, double half = 10)
    {
        int f = (int)Real("physics_fixture_create", nullptr);
        Call("physics_fixture_set_box_shape", nullptr, {(double)f, half, half});
        Call("physics_fixture_set_density", nullptr, {(double)f, density});
        return f;
    }
    CInstance* Body(int object, float x, float y, double density, double half = 10)
    {
        CInstance* inst = Put(object, x, y);
        Call("physics_fixture_bind", inst, {(double)Box(density, half), -1.0});
        return inst;
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; i++) Physics_Step(Run_Room);
    }
    static double Var(CInstance* inst, const char* name, int index = 0)
    {
        TaggedValue v;
        EXPECT_TRUE(Instance_GetVariable(inst, Code_Variable_FindOrAdd(name), index, &v)) << name;
        return v.GetReal();
    }
    static void SetVar(CInstance* inst, const char* name, double value)
    {
        TaggedValue v(value);
        Instance_SetVariable(inst, Code_Variable_FindOrAdd(name), 0, &v);
    }
    // Whether some error shown since the last Errors().clear() holds the text.
    static bool Said(const std::string& text)
    {
        for (const std::string& e : Errors())
            if (e.find(text) != std::string::npos) return true;
        return false;
    }
};
