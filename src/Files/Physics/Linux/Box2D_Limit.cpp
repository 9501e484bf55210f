// Revolute limits that hold. Box2D 2.4.1 solves a revolute joint's limit apart from its point,
// with the mass of the bare rotation: a bob far from its pin has a small inertia about its own
// centre, so each limit impulse stops little of the swing, and the bob passes its limit by many
// degrees and bounces off it. Games were made for an engine that solves the point and the limit
// as one block. After each engine step, each limited joint at or past a limit is solved that way
// here: first its velocities (nothing may turn further into the limit), then its positions (the
// angle back on the limit, the anchors together), a few passes each so that chains of joints
// (ragdolls, flails) settle together.
#include "Physics/Linux/Box2D_Internal.h"
#include "Physics/Physics_Joint.h"
#include "Physics/Physics_World.h"

#include <cmath>

namespace {

constexpr int kPasses = 4;
// Angles past a limit by less than this are left to the engine (radians, about 0.06 degrees).
constexpr float kAngleTolerance = 1e-3f;

enum class Side { None, Lower, Upper, Both };

// A limited joint at or past a limit, with its bodies' masses and the block of point and angle.
struct LimitBlock {
    b2Body* a;
    b2Body* b;
    float massA, massB, inertiaA, inertiaB;  // inverses
    b2Vec2 rA, rB;                           // centres of mass to the anchors
    float excess;                            // the angle past the limit (signed)
    Side side;
    b2Mat33 k;
};

bool MakeBlock(b2RevoluteJoint* joint, LimitBlock* out)
{
    if (!joint->IsLimitEnabled() || !joint->IsEnabled()) return false;
    b2Body* a = joint->GetBodyA();
    b2Body* b = joint->GetBodyB();
    if (!a->IsAwake() && !b->IsAwake()) return false;
    float angle = joint->GetJointAngle(), lower = joint->GetLowerLimit(), upper = joint->GetUpperLimit();
    Side side = std::fabs(upper - lower) < 2.0f * b2_angularSlop ? Side::Both
                : angle <= lower                                  ? Side::Lower
                : angle >= upper                                  ? Side::Upper
                                                                  : Side::None;
    if (side == Side::None) return false;
    LimitBlock& l = *out;
    l = {a, b, Box2D_InverseMass(a), Box2D_InverseMass(b), Box2D_InverseInertia(a), Box2D_InverseInertia(b),
         b2Mul(a->GetTransform().q, joint->GetLocalAnchorA() - a->GetLocalCenter()),
         b2Mul(b->GetTransform().q, joint->GetLocalAnchorB() - b->GetLocalCenter()),
         angle - (side == Side::Upper ? upper : lower), side, {}};
    if (l.inertiaA + l.inertiaB == 0.0f) return false;  // neither turns: nothing to limit
    float mA = l.massA, mB = l.massB, iA = l.inertiaA, iB = l.inertiaB;
    const b2Vec2 &rA = l.rA, &rB = l.rB;
    l.k.ex.Set(mA + mB + rA.y * rA.y * iA + rB.y * rB.y * iB, -rA.y * rA.x * iA - rB.y * rB.x * iB, -rA.y * iA - rB.y * iB);
    l.k.ey.Set(l.k.ex.y, mA + mB + rA.x * rA.x * iA + rB.x * rB.x * iB, rA.x * iA + rB.x * iB);
    l.k.ez.Set(l.k.ex.z, l.k.ey.z, iA + iB);
    return true;
}

// Whether an impulse about the joint pushes away from the limit it is on.
bool PushesAway(Side side, float impulse)
{
    return side == Side::Both || (side == Side::Lower ? impulse >= 0.0f : impulse <= 0.0f);
}

void SolveVelocities(b2RevoluteJoint* joint)
{
    LimitBlock l;
    if (!MakeBlock(joint, &l)) return;
    b2Vec2 vA = l.a->GetLinearVelocity(), vB = l.b->GetLinearVelocity();
    float wA = l.a->GetAngularVelocity(), wB = l.b->GetAngularVelocity();
    float turn = wB - wA;
    if (l.side == Side::Lower ? turn >= 0.0f : l.side == Side::Upper ? turn <= 0.0f : false) return;  // leaving it
    b2Vec2 point = vB + b2Cross(wB, l.rB) - vA - b2Cross(wA, l.rA);
    b2Vec3 impulse = l.k.Solve33(-b2Vec3(point.x, point.y, turn));
    if (!PushesAway(l.side, impulse.z)) return;
    b2Vec2 p(impulse.x, impulse.y);
    if (l.a->GetType() == b2_dynamicBody) {
        l.a->SetLinearVelocity(vA - l.massA * p);
        l.a->SetAngularVelocity(wA - l.inertiaA * (b2Cross(l.rA, p) + impulse.z));
    }
    if (l.b->GetType() == b2_dynamicBody) {
        l.b->SetLinearVelocity(vB + l.massB * p);
        l.b->SetAngularVelocity(wB + l.inertiaB * (b2Cross(l.rB, p) + impulse.z));
    }
}

void SolvePositions(b2RevoluteJoint* joint)
{
    LimitBlock l;
    if (!MakeBlock(joint, &l) || std::fabs(l.excess) < kAngleTolerance) return;
    b2Vec2 cA = l.a->GetWorldCenter(), cB = l.b->GetWorldCenter();
    b2Vec2 apart = cB + l.rB - cA - l.rA;
    b2Vec3 impulse = l.k.Solve33(-b2Vec3(apart.x, apart.y, l.excess));
    b2Vec2 p(impulse.x, impulse.y);
    auto move = [](b2Body* body, b2Vec2 centre, float angle) {
        if (body->GetType() != b2_dynamicBody) return;
        body->SetTransform(centre - b2Mul(b2Rot(angle), body->GetLocalCenter()), angle);
    };
    move(l.a, cA - l.massA * p, l.a->GetAngle() - l.inertiaA * (b2Cross(l.rA, p) + impulse.z));
    move(l.b, cB + l.massB * p, l.b->GetAngle() + l.inertiaB * (b2Cross(l.rB, p) + impulse.z));
}

}  // namespace

void Box2D_HoldLimits(CPhysicsWorld* world)
{
    for (void (*solve)(b2RevoluteJoint*) : {SolveVelocities, SolvePositions})
        for (int pass = 0; pass < kPasses; pass++)
            for (int i = 0; i < PhysicsJoint_Count(); i++) {
                CPhysicsJoint* j = PhysicsJoint_At(i);
                if (j->world == world && j->kind == JOINT_REVOLUTE) solve(static_cast<b2RevoluteJoint*>(j->joint));
            }
}
