// The joint built-ins: creation between the bodies of two instances of the current room's world,
// motors, the value table and deletion.
#include "Function/Function_Physics_Internal.h"

#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"
#include "Object/Object_Main.h"
#include "Physics/Physics_Joint.h"
#include "Physics/Physics_Object.h"
#include "Physics/Physics_World.h"
#include "Room/Room_Main.h"
#include "Variable/Arguments.h"

#include <string>

namespace {

// An instance argument of a joint creation: -1 self, -2 other, an id, or the first live instance
// of an object; "Unable to find instance: %d" when there is none.
CInstance* JointInstance(const TaggedValue& arg, CInstance* self, CInstance* other)
{
    int n = Arg_I(arg);
    CInstance* inst = nullptr;
    if (n == -1) inst = self;
    else if (n == -2) inst = other;
    else if (n >= INSTANCE_ID_FIRST) inst = Instance_Find(n);
    else if (CObject* o = Object_Find(n))
        for (CInstance* i : o->instances)
            if (!i->marked) {
                inst = i;
                break;
            }
    if (!inst) Physics_Error(("Unable to find instance: " + std::to_string(n)).c_str());
    return inst;
}

// The bodies of the first two arguments in the current world, or false with the message.
bool JointBodies(TaggedValue* args, CInstance* self, CInstance* other, const char* who, PhysicsJointBodies* out)
{
    CInstance* a = JointInstance(args[0], self, other);
    CInstance* b = a ? JointInstance(args[1], self, other) : nullptr;
    if (!b) return false;
    CPhysicsWorld* world = Run_Room ? Run_Room->physics_world : nullptr;
    if (!a->physics || !b->physics) {
        if (world) Physics_Error((std::string(who) + ": An instance does not have an associated physics representation").c_str());
        else Physics_Error(PHYSICS_NO_WORLD);
        return false;
    }
    if (!world) {
        Physics_Error(PHYSICS_NO_WORLD);
        return false;
    }
    *out = {world, a->physics->body, b->physics->body, who};
    return true;
}

bool AsInteger(const TaggedValue& arg)
{
    return Arg_I(arg) > 0;
}

CPhysicsJoint* Joint(const TaggedValue& id)
{
    CPhysicsJoint* j = PhysicsJoint_Find(Arg_I(id));
    if (!j) Physics_Error(PHYSICS_NO_JOINT);
    return j;
}

}  // namespace

void F_physics_joint_distance_create(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    result->SetReal(-1);
    PhysicsJointBodies on;
    if (!JointBodies(args, self, other, "physics_joint_distance_create", &on)) return;
    float s = on.world->scale;
    result->SetReal(PhysicsJoint_CreateDistance(on, Arg_F(args[2]) * s, Arg_F(args[3]) * s, Arg_F(args[4]) * s,
                                                Arg_F(args[5]) * s, AsInteger(args[6])));
}

void F_physics_joint_revolute_create(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    result->SetReal(-1);
    PhysicsJointBodies on;
    if (!JointBodies(args, self, other, "physics_joint_revolute_create", &on)) return;
    float s = on.world->scale;
    result->SetReal(PhysicsJoint_CreateRevolute(on, Arg_F(args[2]) * s, Arg_F(args[3]) * s, Physics_Radians(Arg_F(args[4])),
                                                Physics_Radians(Arg_F(args[5])), AsInteger(args[6]), Arg_F(args[7]),
                                                Arg_F(args[8]), AsInteger(args[9]), AsInteger(args[10])));
}

void F_physics_joint_prismatic_create(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    result->SetReal(-1);
    PhysicsJointBodies on;
    if (!JointBodies(args, self, other, "physics_joint_prismatic_create", &on)) return;
    float s = on.world->scale;
    result->SetReal(PhysicsJoint_CreatePrismatic(on, Arg_F(args[2]) * s, Arg_F(args[3]) * s, Arg_F(args[4]), Arg_F(args[5]),
                                                 Arg_F(args[6]) * s, Arg_F(args[7]) * s, AsInteger(args[8]),
                                                 Arg_F(args[9]), Arg_F(args[10]), AsInteger(args[11]), AsInteger(args[12])));
}

void F_physics_joint_pulley_create(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    result->SetReal(-1);
    PhysicsJointBodies on;
    if (!JointBodies(args, self, other, "physics_joint_pulley_create", &on)) return;
    float s = on.world->scale;
    float points[4][2];
    for (int i = 0; i < 4; i++) {
        points[i][0] = Arg_F(args[2 + 2 * i]) * s;
        points[i][1] = Arg_F(args[3 + 2 * i]) * s;
    }
    result->SetReal(PhysicsJoint_CreatePulley(on, points[0], points[1], points[2], points[3], Arg_F(args[10]),
                                              Arg_F(args[11]) * s, Arg_F(args[12]) * s, AsInteger(args[13])));
}

void F_physics_joint_gear_create(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    result->SetReal(-1);
    PhysicsJointBodies on;
    if (!JointBodies(args, self, other, "physics_joint_gear_create", &on)) return;
    CPhysicsJoint* joint1 = Joint(args[2]);
    CPhysicsJoint* joint2 = joint1 ? Joint(args[3]) : nullptr;
    if (joint2) result->SetReal(PhysicsJoint_CreateGear(on, joint1, joint2, Arg_F(args[4])));
}

void F_physics_joint_enable_motor(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CPhysicsJoint* j = Joint(args[0])) j->EnableMotor(AsInteger(args[1]));
}

void F_physics_joint_get_value(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CPhysicsJoint* j = Joint(args[0])) result->SetReal(j->GetValue(Arg_I(args[1])));
}

void F_physics_joint_set_value(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CPhysicsJoint* j = Joint(args[0])) j->SetValue(Arg_I(args[1]), args[2].GetReal(), "physics_joint_set_value");
}

void F_physics_joint_delete(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (!Physics_CurrentWorld()) return;
    if (CPhysicsJoint* j = PhysicsJoint_Find(Arg_I(args[0]))) PhysicsJoint_Destroy(j);
}
