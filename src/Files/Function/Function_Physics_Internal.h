// What the files of the physics built-ins share: every handler (the registrar names them all), the
// messages many of them give, and the lookups of the current world.
#pragma once
#include "Code/Function.h"

class CPhysicsWorld;

#define PHYSICS_BUILTIN(name) void F_##name(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)

// World, fixtures and bodies (Function_Physics.cpp).
PHYSICS_BUILTIN(physics_world_create);
PHYSICS_BUILTIN(physics_world_gravity);
PHYSICS_BUILTIN(physics_world_update_speed);
PHYSICS_BUILTIN(physics_world_update_iterations);
PHYSICS_BUILTIN(physics_world_draw_debug);
PHYSICS_BUILTIN(physics_pause_enable);
PHYSICS_BUILTIN(physics_fixture_create);
PHYSICS_BUILTIN(physics_fixture_set_kinematic);
PHYSICS_BUILTIN(physics_fixture_set_awake);
PHYSICS_BUILTIN(physics_fixture_set_density);
PHYSICS_BUILTIN(physics_fixture_set_restitution);
PHYSICS_BUILTIN(physics_fixture_set_friction);
PHYSICS_BUILTIN(physics_fixture_set_collision_group);
PHYSICS_BUILTIN(physics_fixture_set_sensor);
PHYSICS_BUILTIN(physics_fixture_set_linear_damping);
PHYSICS_BUILTIN(physics_fixture_set_angular_damping);
PHYSICS_BUILTIN(physics_fixture_set_circle_shape);
PHYSICS_BUILTIN(physics_fixture_set_box_shape);
PHYSICS_BUILTIN(physics_fixture_set_polygon_shape);
PHYSICS_BUILTIN(physics_fixture_add_point);
PHYSICS_BUILTIN(physics_fixture_bind);
PHYSICS_BUILTIN(physics_fixture_delete);
PHYSICS_BUILTIN(physics_apply_force);
PHYSICS_BUILTIN(physics_apply_impulse);
PHYSICS_BUILTIN(physics_apply_local_force);
PHYSICS_BUILTIN(physics_apply_local_impulse);
PHYSICS_BUILTIN(physics_apply_torque);
PHYSICS_BUILTIN(physics_mass_properties);
PHYSICS_BUILTIN(physics_draw_debug);
PHYSICS_BUILTIN(physics_test_overlap);

// Joints (Function_Physics_Joint.cpp).
PHYSICS_BUILTIN(physics_joint_distance_create);
PHYSICS_BUILTIN(physics_joint_revolute_create);
PHYSICS_BUILTIN(physics_joint_prismatic_create);
PHYSICS_BUILTIN(physics_joint_pulley_create);
PHYSICS_BUILTIN(physics_joint_gear_create);
PHYSICS_BUILTIN(physics_joint_enable_motor);
PHYSICS_BUILTIN(physics_joint_get_value);
PHYSICS_BUILTIN(physics_joint_set_value);
PHYSICS_BUILTIN(physics_joint_delete);

#undef PHYSICS_BUILTIN

// The messages many handlers give.
extern const char* const PHYSICS_NO_ROOM;
extern const char* const PHYSICS_NO_WORLD;
extern const char* const PHYSICS_NO_FIXTURE;
extern const char* const PHYSICS_NO_BODY;
extern const char* const PHYSICS_NO_JOINT;

// The current room's world; null (with the message NW) when there is none.
CPhysicsWorld* Physics_CurrentWorld();
// Shows a message as a non-fatal run-time error.
void Physics_Error(const char* message);
// Degrees to radians with pi in single precision.
float Physics_Radians(float degrees);
