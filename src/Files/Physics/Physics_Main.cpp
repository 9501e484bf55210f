#include "Physics/Physics_Main.h"
#include "Physics/Physics_Check.h"
#include "Physics/Physics_Fixture.h"
#include "Physics/Physics_Object.h"
#include "Physics/Physics_World.h"

#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"
#include "Object/Object_Main.h"
#include "Room/Room_Main.h"

#include <cmath>

CPhysicsWorld* Physics_CreateWorld(CRoom* room, float scale, const char* who)
{
    if (!(scale > 0.0f) || scale > PHYSICS_MAX_VALUE) {
        Physics_Refuse(who, "the scale must be a finite number greater than 0");
        return nullptr;
    }
    CPhysicsWorld* world = room->physics_world;
    if (world) {
        world->scale = scale;
        world->update_speed = room->speed;
    } else {
        world = room->physics_world = new CPhysicsWorld(room, scale, room->speed);
    }
    return world;
}

void Physics_RoomStart(CRoom* room)
{
    if (!room->physics || room->physics_world) return;
    const char* who = room->name.c_str();
    CPhysicsWorld* world = Physics_CreateWorld(room, room->physics_scale, who);
    if (world && Physics_CheckValues(who, {room->physics_gravity_x, room->physics_gravity_y}))
        world->SetGravity(room->physics_gravity_x, room->physics_gravity_y);
}

void Physics_DestroyWorld(CRoom* room)
{
    delete room->physics_world;
    room->physics_world = nullptr;
}

void Physics_Step(CRoom* room)
{
    if (room->physics_world && !Room_ChangePending()) room->physics_world->Update(room->speed);
}

void Physics_InstanceCreated(CRoom* room, CInstance* inst)
{
    CPhysicsWorld* world = room ? room->physics_world : nullptr;
    const ObjectPhysics* p = inst->object ? inst->object->physics.get() : nullptr;
    if (!world || !p) return;
    CPhysicsFixture f;
    float s = world->scale;
    if (p->shape == ObjectPhysics::CIRCLE) {
        f.SetCircleShape(p->radius * s);
    } else if (p->shape == ObjectPhysics::BOX) {
        f.SetBoxShape(p->half_width * s, p->half_height * s);
    } else {
        f.SetPolygonShape();
        for (const auto& [x, y] : p->points) {
            f.points[f.point_count][0] = x * s;
            f.points[f.point_count][1] = y * s;
            if (++f.point_count == PHYSICS_MAX_POINTS) break;
        }
    }
    f.sensor = p->sensor;
    f.density = p->density;
    f.restitution = p->restitution;
    f.friction = p->friction;
    f.linear_damping = p->linear_damping;
    f.angular_damping = p->angular_damping;
    f.group = p->group;
    f.awake = p->awake;
    f.kinematic = p->kinematic;
    world->BindFixture(&f, inst, Object_GetName(inst->object_index));
}

void Physics_RemoveBody(CInstance* inst)
{
    CPhysicsObject* body = inst->physics;
    if (!body) return;
    body->world->DestroyBody(body);
    inst->physics = nullptr;
    delete body;
}
