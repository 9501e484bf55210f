// Joints on Box2D 2.4.1, which differs from the joints games were written for in four places:
// - the distance joint takes a stiffness and a damping instead of a frequency and a damping ratio:
//   the record keeps those two and, before each step, works the spring out of them and the mass
//   the joint moves along its line; without a spring the joint holds its length as a rod;
// - revolute limits are solved apart from the joint's point, too softly: see Box2D_Limit.cpp;
// - the pulley has no maximum lengths: each one is a rope (a distance joint with only an upper
//   limit) from a hidden static body at the ground anchor; its rope can no longer go slack;
// - motors report impulses per step, as the older engine's motor torque and force did.
#include "Physics/Linux/Box2D_Internal.h"
#include "Physics/Physics_Check.h"
#include "Physics/Physics_Joint.h"
#include "Physics/Physics_World.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

b2World& EngineWorld(const CPhysicsWorld* world)
{
    return world->Engine()->world;
}

// The checks every creation shares: two bodies of the world, not the same one.
bool CheckBodies(const PhysicsJointBodies& on)
{
    if (on.a == on.b) {
        Physics_Refuse(on.who, "a joint needs two different instances", "def->bodyA != def->bodyB");
        return false;
    }
    if (on.a->GetWorld() != &EngineWorld(on.world) || on.b->GetWorld() != &EngineWorld(on.world)) {
        Physics_Refuse(on.who, "an instance has a body in another room's world", "body->GetWorld() == this");
        return false;
    }
    return true;
}

int Add(const PhysicsJointBodies& on, const b2JointDef& def, int kind)
{
    on.a->SetAwake(true);
    on.b->SetAwake(true);
    b2Joint* joint = EngineWorld(on.world).CreateJoint(&def);
    CPhysicsJoint* record = PhysicsJoint_Add(on.world, joint, kind);
    joint->GetUserData().pointer = (uintptr_t)record;
    return record->id;
}

// A rope of a pulley side: the body's anchor stays within length of the ground anchor, where a
// static body of its own holds the rope's other end.
b2Joint* Rope(CPhysicsWorld* world, b2Body* body, const b2Vec2& ground, const b2Vec2& anchor, float length, CPhysicsJoint* pulley)
{
    b2BodyDef bd;
    bd.position = ground;
    b2DistanceJointDef def;
    def.bodyA = EngineWorld(world).CreateBody(&bd);
    def.bodyB = body;
    def.localAnchorB = body->GetLocalPoint(anchor);
    def.length = length;
    def.minLength = 0.0f;
    def.maxLength = length;
    b2Joint* rope = EngineWorld(world).CreateJoint(&def);
    rope->GetUserData().pointer = (uintptr_t)pulley;
    return rope;
}

b2DistanceJoint* Distance(const CPhysicsJoint* j) { return static_cast<b2DistanceJoint*>(j->joint); }
b2RevoluteJoint* Revolute(const CPhysicsJoint* j) { return static_cast<b2RevoluteJoint*>(j->joint); }
b2PrismaticJoint* Prismatic(const CPhysicsJoint* j) { return static_cast<b2PrismaticJoint*>(j->joint); }
b2PulleyJoint* Pulley(const CPhysicsJoint* j) { return static_cast<b2PulleyJoint*>(j->joint); }

void WakeBodies(const CPhysicsJoint* j)
{
    j->joint->GetBodyA()->SetAwake(true);
    j->joint->GetBodyB()->SetAwake(true);
}

// A rod keeps its length: both limits at it, set in an order that never crosses them.
void HoldLength(b2DistanceJoint* d)
{
    float length = d->GetLength();
    if (length > d->GetMaxLength()) {
        d->SetMaxLength(length);
        d->SetMinLength(length);
    } else {
        d->SetMinLength(length);
        d->SetMaxLength(length);
    }
}

// The mass a distance joint moves along its line: with anchors away from the centres of mass, the
// bodies' inertias count too, so a spring keeps its frequency wherever it is fixed.
double LineMass(b2DistanceJoint* d)
{
    const b2Body* a = d->GetBodyA();
    const b2Body* b = d->GetBodyB();
    b2Vec2 anchorA = d->GetAnchorA(), anchorB = d->GetAnchorB();
    b2Vec2 u = anchorB - anchorA;
    float length = u.Length();
    u = length > b2_linearSlop ? (1.0f / length) * u : b2Vec2(0.0f, 0.0f);
    double crossA = b2Cross(anchorA - a->GetWorldCenter(), u), crossB = b2Cross(anchorB - b->GetWorldCenter(), u);
    double inverse = (double)Box2D_InverseMass(a) + Box2D_InverseInertia(a) * crossA * crossA + Box2D_InverseMass(b) +
                     Box2D_InverseInertia(b) * crossB * crossB;
    return inverse > 0.0 ? 1.0 / inverse : 0.0;
}

}  // namespace

void Box2D_ApplySpring(CPhysicsJoint* j)
{
    b2DistanceJoint* d = Distance(j);
    double mass = LineMass(d);
    if (j->frequency > 0.0f && mass > 0.0) {
        // Kept finite, in double precision.
        double omega = 2.0 * M_PI * j->frequency;
        double stiffness = std::min(mass * omega * omega, PHYSICS_MAX_INERTIA);
        double damping = std::min(2.0 * mass * j->damping_ratio * omega, PHYSICS_MAX_INERTIA);
        d->SetMinLength(0.0f);
        d->SetMaxLength((float)PHYSICS_MAX_VALUE);
        d->SetStiffness((float)stiffness);
        d->SetDamping((float)damping);
    } else {
        HoldLength(d);
        d->SetStiffness(0.0f);
        d->SetDamping(0.0f);
    }
}

void Box2D_SetSprings(CPhysicsWorld* world)
{
    for (int i = 0; i < PhysicsJoint_Count(); i++) {
        CPhysicsJoint* j = PhysicsJoint_At(i);
        if (j->world == world && j->kind == JOINT_DISTANCE && j->frequency > 0.0f) Box2D_ApplySpring(j);
    }
}

int PhysicsJoint_CreateDistance(const PhysicsJointBodies& on, float ax, float ay, float bx, float by, bool collide)
{
    if (!Physics_CheckValues(on.who, {ax, ay, bx, by}) || !CheckBodies(on)) return -1;
    b2DistanceJointDef def;
    def.Initialize(on.a, on.b, b2Vec2(ax, ay), b2Vec2(bx, by));
    def.collideConnected = collide;
    return Add(on, def, JOINT_DISTANCE);
}

int PhysicsJoint_CreateRevolute(const PhysicsJointBodies& on, float x, float y, float lower, float upper, bool limit,
                                float maxTorque, float speed, bool motor, bool collide)
{
    if (!Physics_CheckValues(on.who, {x, y, lower, upper, maxTorque, speed}) || !CheckBodies(on)) return -1;
    b2RevoluteJointDef def;
    def.Initialize(on.a, on.b, b2Vec2(x, y));
    def.lowerAngle = lower;
    def.upperAngle = upper;
    def.enableLimit = limit;
    def.maxMotorTorque = maxTorque;
    def.motorSpeed = speed;
    def.enableMotor = motor;
    def.collideConnected = collide;
    return Add(on, def, JOINT_REVOLUTE);
}

int PhysicsJoint_CreatePrismatic(const PhysicsJointBodies& on, float x, float y, float axisX, float axisY, float lower,
                                 float upper, bool limit, float maxForce, float speed, bool motor, bool collide)
{
    if (!Physics_CheckValues(on.who, {x, y, axisX, axisY, lower, upper, maxForce, speed}) || !CheckBodies(on)) return -1;
    if (!(std::hypot(axisX, axisY) > b2_epsilon)) {
        Physics_Refuse(on.who, "the axis must not be of zero length", "axis.Length() > b2_epsilon");
        return -1;
    }
    if (lower > upper) {
        Physics_Refuse(on.who, "the lower translation must not be above the upper one", "m_lowerTranslation <= m_upperTranslation");
        return -1;
    }
    b2PrismaticJointDef def;
    def.Initialize(on.a, on.b, b2Vec2(x, y), b2Vec2(axisX, axisY));
    def.lowerTranslation = lower;
    def.upperTranslation = upper;
    def.enableLimit = limit;
    def.maxMotorForce = maxForce;
    def.motorSpeed = speed;
    def.enableMotor = motor;
    def.collideConnected = collide;
    return Add(on, def, JOINT_PRISMATIC);
}

int PhysicsJoint_CreatePulley(const PhysicsJointBodies& on, const float groundA[2], const float groundB[2],
                              const float localA[2], const float localB[2], float ratio, float maxA, float maxB,
                              bool collide)
{
    if (!Physics_CheckValues(on.who, {groundA[0], groundA[1], groundB[0], groundB[1], localA[0], localA[1], localB[0],
                                      localB[1], ratio, maxA, maxB}) ||
        !CheckBodies(on))
        return -1;
    if (!(ratio > b2_epsilon)) {
        Physics_Refuse(on.who, "the ratio must be greater than 0", "ratio > b2_epsilon");
        return -1;
    }
    b2Vec2 ga(groundA[0], groundA[1]), gb(groundB[0], groundB[1]);
    b2Vec2 anchorA = on.a->GetWorldPoint(b2Vec2(localA[0], localA[1]));
    b2Vec2 anchorB = on.b->GetWorldPoint(b2Vec2(localB[0], localB[1]));
    b2PulleyJointDef def;
    def.Initialize(on.a, on.b, ga, gb, anchorA, anchorB, ratio);
    def.collideConnected = collide;
    int id = Add(on, def, JOINT_PULLEY);
    CPhysicsJoint* record = PhysicsJoint_Find(id);
    // A maximum of 0 or less leaves that side unlimited.
    if (maxA > 0.0f) record->rope_a = Rope(on.world, on.a, ga, anchorA, maxA, record);
    if (maxB > 0.0f) record->rope_b = Rope(on.world, on.b, gb, anchorB, maxB, record);
    return id;
}

int PhysicsJoint_CreateGear(const PhysicsJointBodies& on, CPhysicsJoint* joint1, CPhysicsJoint* joint2, float ratio)
{
    auto turns = [](const CPhysicsJoint* j) { return j->kind == JOINT_REVOLUTE || j->kind == JOINT_PRISMATIC; };
    if (!turns(joint1) || !turns(joint2)) return -1;
    if (!Physics_CheckValues(on.who, {ratio}) || !CheckBodies(on)) return -1;
    if (joint1->world != on.world || joint2->world != on.world) {
        Physics_Refuse(on.who, "a joint belongs to another room's world", "joint->GetWorld() == this");
        return -1;
    }
    if (ratio == 0.0f) {
        Physics_Refuse(on.who, "the ratio must not be 0", "ratio != 0.0f");
        return -1;
    }
    // The gear moves the second body of each joint; the engine wants both dynamic and apart.
    b2Body* movedA = joint1->joint->GetBodyB();
    b2Body* movedB = joint2->joint->GetBodyB();
    if (movedA->GetType() != b2_dynamicBody || movedB->GetType() != b2_dynamicBody) {
        Physics_Refuse(on.who, "the second body of each joint must be dynamic", "m_bodyA->m_type == b2_dynamicBody");
        return -1;
    }
    if (movedA == movedB) {
        Physics_Refuse(on.who, "the two joints must move different bodies", "m_bodyA != m_bodyB");
        return -1;
    }
    b2GearJointDef def;
    def.bodyA = on.a;
    def.bodyB = on.b;
    def.joint1 = joint1->joint;
    def.joint2 = joint2->joint;
    def.ratio = ratio;
    return Add(on, def, JOINT_GEAR);
}

void PhysicsJoint_Destroy(CPhysicsJoint* j)
{
    // A gear keeps pointers to the joints it couples: it goes first.
    for (int i = PhysicsJoint_Count() - 1; i >= 0; i--) {
        CPhysicsJoint* gear = PhysicsJoint_At(i);
        if (!gear || gear->kind != JOINT_GEAR || gear == j) continue;
        b2GearJoint* g = static_cast<b2GearJoint*>(gear->joint);
        if (g->GetJoint1() == j->joint || g->GetJoint2() == j->joint) PhysicsJoint_Destroy(gear);
    }
    b2World& world = EngineWorld(j->world);
    for (b2Joint* rope : {j->rope_a, j->rope_b})
        if (rope) {
            b2Body* ground = rope->GetBodyA();
            world.DestroyJoint(rope);
            world.DestroyBody(ground);
        }
    world.DestroyJoint(j->joint);
    PhysicsJoint_Forget(j);
}

void Box2D_DestroyJointsOn(b2Body* body)
{
    // Collect first: destroying changes the body's joint list.
    std::vector<int> ids;
    for (b2JointEdge* e = body->GetJointList(); e; e = e->next)
        if (CPhysicsJoint* record = Box2D_Record(e->joint)) ids.push_back(record->id);
    for (int id : ids)
        if (CPhysicsJoint* record = PhysicsJoint_Find(id)) PhysicsJoint_Destroy(record);
}

void CPhysicsJoint::EnableMotor(bool on)
{
    if (kind == JOINT_REVOLUTE) Revolute(this)->EnableMotor(on);
    else if (kind == JOINT_PRISMATIC) Prismatic(this)->EnableMotor(on);
    else return;
    WakeBodies(this);
}

double CPhysicsJoint::GetValue(int value) const
{
    float inverseStep = world->update_speed > 0 ? (float)world->update_speed : 0.0f;
    switch (value) {
    case JOINT_ANCHOR_1_X: return joint->GetAnchorA().x;
    case JOINT_ANCHOR_1_Y: return joint->GetAnchorA().y;
    case JOINT_ANCHOR_2_X: return joint->GetAnchorB().x;
    case JOINT_ANCHOR_2_Y: return joint->GetAnchorB().y;
    case JOINT_REACTION_FORCE_X: return joint->GetReactionForce(inverseStep).x;
    case JOINT_REACTION_FORCE_Y: return joint->GetReactionForce(inverseStep).y;
    case JOINT_REACTION_TORQUE: return joint->GetReactionTorque(inverseStep);
    case JOINT_MOTOR_SPEED:
        if (kind == JOINT_REVOLUTE) return Revolute(this)->GetMotorSpeed();
        if (kind == JOINT_PRISMATIC) return Prismatic(this)->GetMotorSpeed();
        return 0.0;
    case JOINT_ANGLE: return kind == JOINT_REVOLUTE ? Revolute(this)->GetJointAngle() : 0.0;
    case JOINT_MOTOR_TORQUE: return kind == JOINT_REVOLUTE ? Revolute(this)->GetMotorTorque(1.0f) : 0.0;
    case JOINT_TRANSLATION: return kind == JOINT_PRISMATIC ? Prismatic(this)->GetJointTranslation() : 0.0;
    case JOINT_SPEED: return kind == JOINT_PRISMATIC ? Prismatic(this)->GetJointSpeed() : 0.0;
    case JOINT_MOTOR_FORCE: return kind == JOINT_PRISMATIC ? Prismatic(this)->GetMotorForce(1.0f) : 0.0;
    case JOINT_LENGTH_1:
        if (kind == JOINT_DISTANCE) return Distance(this)->GetLength();
        if (kind == JOINT_PULLEY) return Pulley(this)->GetCurrentLengthA();
        return 0.0;
    case JOINT_LENGTH_2: return kind == JOINT_PULLEY ? Pulley(this)->GetCurrentLengthB() : 0.0;
    case JOINT_DAMPING_RATIO: return kind == JOINT_DISTANCE ? damping_ratio : 0.0;
    case JOINT_FREQUENCY: return kind == JOINT_DISTANCE ? frequency : 0.0;
    default: return 0.0;
    }
}

void CPhysicsJoint::SetValue(int value, double v, const char* who)
{
    bool turns = kind == JOINT_REVOLUTE || kind == JOINT_PRISMATIC;
    bool known = (value == JOINT_MOTOR_SPEED && turns) || (value == JOINT_MAX_MOTOR_TORQUE && kind == JOINT_REVOLUTE) ||
                 (value == JOINT_MAX_MOTOR_FORCE && kind == JOINT_PRISMATIC) ||
                 ((value == JOINT_LENGTH_1 || value == JOINT_DAMPING_RATIO || value == JOINT_FREQUENCY) && kind == JOINT_DISTANCE);
    if (!known || !Physics_CheckValues(who, {v})) return;
    float f = (float)v;
    switch (value) {
    case JOINT_MOTOR_SPEED:
        WakeBodies(this);
        if (kind == JOINT_REVOLUTE) Revolute(this)->SetMotorSpeed(f);
        else Prismatic(this)->SetMotorSpeed(f);
        break;
    case JOINT_MAX_MOTOR_TORQUE: Revolute(this)->SetMaxMotorTorque(f); break;
    case JOINT_MAX_MOTOR_FORCE: Prismatic(this)->SetMaxMotorForce(f); break;
    case JOINT_LENGTH_1:
        Distance(this)->SetLength(f);
        if (frequency <= 0.0f) HoldLength(Distance(this));
        break;
    case JOINT_DAMPING_RATIO:
        if (!Physics_CheckNotNegative(who, "damping ratio", v)) return;
        damping_ratio = f;
        Box2D_ApplySpring(this);
        break;
    case JOINT_FREQUENCY:
        frequency = f;
        Box2D_ApplySpring(this);
        break;
    }
}
