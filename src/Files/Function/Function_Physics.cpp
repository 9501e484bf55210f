// The registrar of the physics built-ins, and those of the world, fixtures and bodies. Sizes and
// positions given in pixels are multiplied by the world's scale; angles become radians.
#include "Function/Function_Physics.h"
#include "Function/Function_Physics_Internal.h"

#include "Code/Error.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"
#include "Object/Object_Main.h"
#include "Physics/Physics_Check.h"
#include "Physics/Physics_Fixture.h"
#include "Physics/Physics_Main.h"
#include "Physics/Physics_Object.h"
#include "Physics/Physics_World.h"
#include "Room/Room_Main.h"
#include "Variable/Arguments.h"

#include <cmath>
#include <string>
#include <vector>

const char* const PHYSICS_NO_ROOM = "No room is available to create a physics world for";
const char* const PHYSICS_NO_WORLD = "The current room does not have a physics world representation";
const char* const PHYSICS_NO_FIXTURE = "The physics fixture does not exist";
const char* const PHYSICS_NO_BODY = "The instance does not have an associated physics representation";
const char* const PHYSICS_NO_JOINT = "A joint does not exist";

void Physics_Error(const char* message)
{
    Error_Show_Action(message, false);
}

CPhysicsWorld* Physics_CurrentWorld()
{
    CPhysicsWorld* world = Run_Room ? Run_Room->physics_world : nullptr;
    if (!world) Physics_Error(PHYSICS_NO_WORLD);
    return world;
}

float Physics_Radians(float degrees)
{
    return degrees * 3.1415927f / 180.0f;
}

namespace {

#define ENTRY(name, argc) FUNCTION_ENTRY(name, argc)

const FunctionEntry kPhysics[] = {
    ENTRY(physics_world_create, 1),
    ENTRY(physics_world_gravity, 2),
    ENTRY(physics_world_update_speed, 1),
    ENTRY(physics_world_update_iterations, 1),
    ENTRY(physics_world_draw_debug, 1),
    ENTRY(physics_pause_enable, 1),
    ENTRY(physics_fixture_create, 0),
    ENTRY(physics_fixture_set_kinematic, 1),
    ENTRY(physics_fixture_set_awake, 2),
    ENTRY(physics_fixture_set_density, 2),
    ENTRY(physics_fixture_set_restitution, 2),
    ENTRY(physics_fixture_set_friction, 2),
    ENTRY(physics_fixture_set_collision_group, 2),
    ENTRY(physics_fixture_set_sensor, 2),
    ENTRY(physics_fixture_set_linear_damping, 2),
    ENTRY(physics_fixture_set_angular_damping, 2),
    ENTRY(physics_fixture_set_circle_shape, 2),
    ENTRY(physics_fixture_set_box_shape, 3),
    ENTRY(physics_fixture_set_polygon_shape, 1),
    ENTRY(physics_fixture_add_point, 3),
    ENTRY(physics_fixture_bind, 2),
    ENTRY(physics_fixture_delete, 1),
    ENTRY(physics_apply_force, 4),
    ENTRY(physics_apply_impulse, 4),
    ENTRY(physics_apply_local_force, 4),
    ENTRY(physics_apply_local_impulse, 4),
    ENTRY(physics_apply_torque, 1),
    ENTRY(physics_mass_properties, 4),
    ENTRY(physics_draw_debug, 0),
    ENTRY(physics_test_overlap, 4),
    ENTRY(physics_joint_distance_create, 7),
    ENTRY(physics_joint_revolute_create, 11),
    ENTRY(physics_joint_prismatic_create, 13),
    ENTRY(physics_joint_pulley_create, 14),
    ENTRY(physics_joint_gear_create, 5),
    ENTRY(physics_joint_enable_motor, 2),
    ENTRY(physics_joint_get_value, 2),
    ENTRY(physics_joint_set_value, 3),
    ENTRY(physics_joint_delete, 1),
};

#undef ENTRY

// The room's world after the no-room test.
CPhysicsWorld* RoomWorld()
{
    if (!Run_Room) {
        Physics_Error(PHYSICS_NO_ROOM);
        return nullptr;
    }
    return Physics_CurrentWorld();
}

CPhysicsFixture* Fixture(const TaggedValue& id)
{
    CPhysicsFixture* f = PhysicsFixture_Find(Arg_I(id));
    if (!f) Physics_Error(PHYSICS_NO_FIXTURE);
    return f;
}

// Self's body, then the current world (NB, then NW).
CPhysicsObject* SelfBody(CInstance* self, CPhysicsWorld** world)
{
    CPhysicsObject* body = self ? self->physics : nullptr;
    if (!body) {
        Physics_Error(PHYSICS_NO_BODY);
        return nullptr;
    }
    *world = Physics_CurrentWorld();
    return *world ? body : nullptr;
}

// The live instances of an instance target: -1 self, -3 the room's active list, an id, or an
// object with its descendants; an unknown id shows "<who>  is not valid.".
std::vector<CInstance*> Targets(int target, CInstance* self, const char* who)
{
    std::vector<CInstance*> out;
    const CInstanceList* list = nullptr;
    if (target == -1) {
        if (self) out.push_back(self);
    } else if (target == -3) {
        list = &Run_Room->active;
    } else if (target >= INSTANCE_ID_FIRST) {
        CInstance* inst = Instance_Find(target);
        if (inst) out.push_back(inst);
        else Physics_Error((std::string(who) + "  is not valid.").c_str());
    } else if (CObject* o = Object_Find(target)) {
        list = &o->instances;
    }
    if (list)
        for (CInstance* inst : *list)
            if (!inst->marked) out.push_back(inst);
    return out;
}

// Apply a force or an impulse at a point (world or local, scaled) of self's body.
using Apply = bool (CPhysicsObject::*)(float, float, float, float, const char*);
void ApplyAt(CInstance* self, TaggedValue* args, Apply apply, const char* who)
{
    CPhysicsWorld* world;
    CPhysicsObject* body = SelfBody(self, &world);
    if (!body) return;
    float s = world->scale;
    (body->*apply)(Arg_F(args[0]) * s, Arg_F(args[1]) * s, Arg_F(args[2]), Arg_F(args[3]), who);
}

}  // namespace

void Function_Physics_Init()
{
    Function_AddTable(kPhysics);
}

void F_physics_world_create(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (!Run_Room) {
        Physics_Error(PHYSICS_NO_ROOM);
        return;
    }
    Physics_CreateWorld(Run_Room, Arg_F(args[0]), "physics_world_create");
}

void F_physics_world_gravity(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    CPhysicsWorld* world = RoomWorld();
    float x = Arg_F(args[0]), y = Arg_F(args[1]);
    if (world && Physics_CheckValues("physics_world_gravity", {x, y})) world->SetGravity(x, y);
}

namespace {
// A count of the world (steps a second, iterations), refused above its limit.
void SetWorldCount(const TaggedValue& arg, int CPhysicsWorld::*field, int limit, const char* who, const char* problem)
{
    CPhysicsWorld* world = RoomWorld();
    int count = Arg_I(arg);
    if (!world) return;
    if (count > limit) Physics_Refuse(who, problem);
    else world->*field = count;
}
}  // namespace

void F_physics_world_update_speed(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SetWorldCount(args[0], &CPhysicsWorld::update_speed, PHYSICS_MAX_UPDATE_SPEED, "physics_world_update_speed",
                  "the speed must not be above 10000");
}

void F_physics_world_update_iterations(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SetWorldCount(args[0], &CPhysicsWorld::iterations, PHYSICS_MAX_ITERATIONS, "physics_world_update_iterations",
                  "the count must not be above 1000");
}

void F_physics_world_draw_debug(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CPhysicsWorld* world = Physics_CurrentWorld()) world->DrawDebug(Arg_I(args[0]));
}

void F_physics_pause_enable(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    CPhysicsWorld* world = Run_Room ? Run_Room->physics_world : nullptr;
    if (!world) {
        Physics_Error("physics_pause_enable() The current room does not have a physics world representation");
        return;
    }
    world->paused = Arg_Above(args[0]);
}

void F_physics_fixture_create(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(PhysicsFixture_Create()->id);
}

void F_physics_fixture_set_kinematic(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CPhysicsFixture* f = Fixture(args[0])) f->kinematic = true;
}

void F_physics_fixture_set_awake(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CPhysicsFixture* f = Fixture(args[0])) f->awake = Arg_Above(args[1]);
}

namespace {
// A material value: stored when it is at least 0 and within its limit.
void SetMaterial(TaggedValue* args, float CPhysicsFixture::*field, const char* who, const char* what, double limit)
{
    CPhysicsFixture* f = Fixture(args[0]);
    float v = Arg_F(args[1]);
    if (f && Physics_CheckNotNegative(who, what, v, limit)) f->*field = v;
}
}  // namespace

void F_physics_fixture_set_density(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SetMaterial(args, &CPhysicsFixture::density, "physics_fixture_set_density", "density", PHYSICS_MAX_VALUE);
}

void F_physics_fixture_set_restitution(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SetMaterial(args, &CPhysicsFixture::restitution, "physics_fixture_set_restitution", "restitution", PHYSICS_MAX_MATERIAL);
}

void F_physics_fixture_set_friction(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SetMaterial(args, &CPhysicsFixture::friction, "physics_fixture_set_friction", "friction", PHYSICS_MAX_MATERIAL);
}

void F_physics_fixture_set_collision_group(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CPhysicsFixture* f = Fixture(args[0])) f->group = Arg_I(args[1]);
}

void F_physics_fixture_set_sensor(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CPhysicsFixture* f = Fixture(args[0])) f->sensor = Arg_Above(args[1]);
}

void F_physics_fixture_set_linear_damping(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SetMaterial(args, &CPhysicsFixture::linear_damping, "physics_fixture_set_linear_damping", "damping", PHYSICS_MAX_VALUE);
}

void F_physics_fixture_set_angular_damping(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SetMaterial(args, &CPhysicsFixture::angular_damping, "physics_fixture_set_angular_damping", "damping", PHYSICS_MAX_VALUE);
}

void F_physics_fixture_set_circle_shape(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    CPhysicsFixture* f = Fixture(args[0]);
    CPhysicsWorld* world = f ? Physics_CurrentWorld() : nullptr;
    if (!world) return;
    float radius = Arg_F(args[1]) * world->scale;
    if (Physics_CheckSize("physics_fixture_set_circle_shape", "radius", radius)) f->SetCircleShape(radius);
}

void F_physics_fixture_set_box_shape(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    CPhysicsFixture* f = Fixture(args[0]);
    CPhysicsWorld* world = f ? Physics_CurrentWorld() : nullptr;
    if (!world) return;
    float w = Arg_F(args[1]) * world->scale, h = Arg_F(args[2]) * world->scale;
    const char* who = "physics_fixture_set_box_shape";
    if (Physics_CheckSize(who, "half width", w) && Physics_CheckSize(who, "half height", h)) f->SetBoxShape(w, h);
}

void F_physics_fixture_set_polygon_shape(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CPhysicsFixture* f = Fixture(args[0])) f->SetPolygonShape();
}

void F_physics_fixture_add_point(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    CPhysicsFixture* f = Fixture(args[0]);
    CPhysicsWorld* world = f ? Physics_CurrentWorld() : nullptr;
    if (!world) return;
    float x = Arg_F(args[1]) * world->scale, y = Arg_F(args[2]) * world->scale;
    if (!(std::fabs(x) <= PHYSICS_MAX_SIZE && std::fabs(y) <= PHYSICS_MAX_SIZE)) {
        Physics_Refuse("physics_fixture_add_point", "the point is too far from the origin (or not a number)");
        return;
    }
    if (!f->AddPoint(x, y))
        Physics_Error("The fixture must be a polygon shape, convex, ordered clockwise and have no more than 8 points");
}

void F_physics_fixture_bind(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    CPhysicsFixture* f = Fixture(args[0]);
    if (!f) return;
    CPhysicsWorld* world = Run_Room ? Run_Room->physics_world : nullptr;
    if (!world) {
        Physics_Error("Cannot bind a fixture if no physics world exists for the current room");
        return;
    }
    for (CInstance* inst : Targets(Arg_I(args[1]), self, ""))
        if (!world->BindFixture(f, inst, "physics_fixture_bind")) break;
}

void F_physics_fixture_delete(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    PhysicsFixture_Delete(Arg_I(args[0]));
}

void F_physics_apply_force(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    ApplyAt(self, args, &CPhysicsObject::ApplyForce, "physics_apply_force");
}

void F_physics_apply_impulse(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    ApplyAt(self, args, &CPhysicsObject::ApplyImpulse, "physics_apply_impulse");
}

void F_physics_apply_local_force(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    ApplyAt(self, args, &CPhysicsObject::ApplyLocalForce, "physics_apply_local_force");
}

void F_physics_apply_local_impulse(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    ApplyAt(self, args, &CPhysicsObject::ApplyLocalImpulse, "physics_apply_local_impulse");
}

void F_physics_apply_torque(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    CPhysicsObject* body = self ? self->physics : nullptr;
    if (!body) Physics_Error(PHYSICS_NO_BODY);
    else body->ApplyTorque(Arg_F(args[0]), "physics_apply_torque");
}

void F_physics_mass_properties(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    CPhysicsWorld* world;
    CPhysicsObject* body = SelfBody(self, &world);
    if (!body) return;
    float s = world->scale;
    body->SetMassData(Arg_F(args[0]), Arg_F(args[1]) * s, Arg_F(args[2]) * s, Arg_F(args[3]), "physics_mass_properties");
}

void F_physics_draw_debug(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue*)
{
    CPhysicsWorld* world = Physics_CurrentWorld();
    if (world && self && self->physics) self->physics->DrawDebug(1.0f / world->scale);
}

void F_physics_test_overlap(TaggedValue* result, CInstance* self, CInstance*, int, TaggedValue* args)
{
    CPhysicsWorld* world;
    if (!SelfBody(self, &world)) return;
    float s = world->scale;
    float x = Arg_F(args[0]) * s, y = Arg_F(args[1]) * s, angle = Physics_Radians(Arg_F(args[2]));
    if (!Physics_CheckValues("physics_test_overlap", {x, y, angle})) return;
    for (CInstance* inst : Targets(Arg_I(args[3]), self, "physics_test_overlap: "))
        if (inst->physics && inst->physics->world == world && world->TestOverlap(self, inst, x, y, angle)) {
            result->SetReal(1.0);
            return;
        }
}
