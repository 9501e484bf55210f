// CPhysicsJoint: the record behind a joint id (ids from 1, never reused), kept in a global list.
// A joint goes with its world, with either of its bodies, or through physics_joint_delete; a gear
// goes before either joint it couples.
#pragma once

class b2Joint;
class b2Body;
class CPhysicsWorld;

// Kinds as the engine numbers them.
enum { JOINT_REVOLUTE = 1, JOINT_PRISMATIC = 2, JOINT_DISTANCE = 3, JOINT_PULLEY = 4, JOINT_GEAR = 6 };

// Value numbers of physics_joint_get_value and physics_joint_set_value.
enum {
    JOINT_ANCHOR_1_X, JOINT_ANCHOR_1_Y, JOINT_ANCHOR_2_X, JOINT_ANCHOR_2_Y, JOINT_REACTION_FORCE_X,
    JOINT_REACTION_FORCE_Y, JOINT_REACTION_TORQUE, JOINT_MOTOR_SPEED, JOINT_ANGLE, JOINT_MOTOR_TORQUE,
    JOINT_MAX_MOTOR_TORQUE, JOINT_TRANSLATION, JOINT_SPEED, JOINT_MOTOR_FORCE, JOINT_MAX_MOTOR_FORCE,
    JOINT_LENGTH_1, JOINT_LENGTH_2, JOINT_DAMPING_RATIO, JOINT_FREQUENCY, JOINT_VALUE_COUNT
};

class CPhysicsJoint {
public:
    int id = 0;
    int kind = 0;
    CPhysicsWorld* world = nullptr;
    b2Joint* joint = nullptr;
    // A distance joint keeps its spring as frequency and damping ratio; the engine wants
    // stiffness and damping, worked out from them and the bodies' masses.
    float frequency = 0.0f, damping_ratio = 0.0f;
    // A pulley's maximum lengths are ropes from its ground anchors (null when unlimited).
    b2Joint* rope_a = nullptr;
    b2Joint* rope_b = nullptr;

    // Revolute and prismatic joints: wakes both bodies and turns the motor on or off.
    void EnableMotor(bool on);
    // The value table; other kinds and numbers give 0 and set nothing.
    double GetValue(int value) const;
    void SetValue(int value, double v, const char* who);
};

// Joint creation. Bodies are those of two instances of one world; points and lengths in world
// units, angles in radians. Each returns the new joint's id, or -1 with a message.
struct PhysicsJointBodies {
    CPhysicsWorld* world;
    b2Body* a;
    b2Body* b;
    const char* who;
};
int PhysicsJoint_CreateDistance(const PhysicsJointBodies& on, float ax, float ay, float bx, float by, bool collide);
int PhysicsJoint_CreateRevolute(const PhysicsJointBodies& on, float x, float y, float lower, float upper, bool limit,
                                float maxTorque, float speed, bool motor, bool collide);
int PhysicsJoint_CreatePrismatic(const PhysicsJointBodies& on, float x, float y, float axisX, float axisY, float lower,
                                 float upper, bool limit, float maxForce, float speed, bool motor, bool collide);
int PhysicsJoint_CreatePulley(const PhysicsJointBodies& on, const float groundA[2], const float groundB[2],
                              const float localA[2], const float localB[2], float ratio, float maxA, float maxB,
                              bool collide);
// -1 without a message unless both joints are revolute or prismatic.
int PhysicsJoint_CreateGear(const PhysicsJointBodies& on, CPhysicsJoint* joint1, CPhysicsJoint* joint2, float ratio);

CPhysicsJoint* PhysicsJoint_Find(int id);
// Adds a record with the next id for an engine joint; the record's id.
CPhysicsJoint* PhysicsJoint_Add(CPhysicsWorld* world, b2Joint* joint, int kind);
// Destroys the joint (gears coupling it first) and drops its record.
void PhysicsJoint_Destroy(CPhysicsJoint* joint);
// Drops the record without touching the engine (the engine destroyed the joint, or its world goes).
void PhysicsJoint_Forget(CPhysicsJoint* joint);
// Every record of a world, for dropping them with it.
void PhysicsJoint_ForgetWorld(CPhysicsWorld* world);
// The record whose engine joint (or pulley rope) this is, or null.
CPhysicsJoint* PhysicsJoint_FindEngine(const b2Joint* joint);
// Records in creation order, for walking (gears using a joint, joints on a body).
int PhysicsJoint_Count();
CPhysicsJoint* PhysicsJoint_At(int index);
