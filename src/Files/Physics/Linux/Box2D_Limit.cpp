// Revolute limits that hold. Box2D 2.4.1 solves a revolute joint's limit apart from its point,
// with the mass of the bare rotation: a bob far from its pin has a small inertia about its own
// centre, so each limit impulse stops little of the swing, and the bob passes its limit by many
// degrees and bounces off it. Games were made for an engine that solves the point and the limit
// as one block. After each engine step, each limited joint at or past a limit is solved that way
// here: first its velocities (nothing may turn further into the limit), then its positions (the
// angle back on the limit, the anchors together), a few passes each so that chains of joints
// (ragdolls, flails) settle together. The block is solved in double precision; a stop that would
// add energy is left out, a correction moves no point of a body further than the engine's own
// would, and a block too lopsided for single precision (a feather far from its pin) is left to the
// engine, so that bodies of wildly different masses never get numbers out of rounding.
#include "Physics/Linux/Box2D_Internal.h"
#include "Physics/Physics_Check.h"
#include "Physics/Physics_Joint.h"
#include "Physics/Physics_World.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPasses = 4;
// Angles past a limit by less than this are left to the engine (radians, about 0.06 degrees).
constexpr double kAngleTolerance = 1e-3;
// The largest ratio of a body's inertia about the anchor to that about its centre solved here.
constexpr double kLeverMax = 1e8;

enum class Side { None, Lower, Upper, Both };

// One body of a joint: inverse mass and inertia (0 for one the solver does not move) and the arm
// from its centre of mass to the anchor.
struct Part {
    b2Body* body;
    double mass, inertia;
    double rx, ry;
};

// Velocities or moves of the two bodies, A then B: linear x, y and angular.
using Motion = double[2][3];

// A limited joint at or past a limit, with the block of point and angle.
struct LimitBlock {
    Part part[2];  // A, B
    double excess;  // the angle past the limit (signed)
    Side side;
    double k[3][3];

    // The impulse (point x, y, angle) that changes the point's and angle's rates by `change`;
    // false when the block cannot be solved.
    bool Solve(const double change[3], double out[3]) const
    {
        auto det = [](const double m[3][3]) {
            return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                   m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
        };
        double d = det(k);
        if (!std::isfinite(d) || d == 0.0) return false;
        for (int c = 0; c < 3; c++) {  // Cramer's rule
            double m[3][3];
            for (int i = 0; i < 3; i++)
                for (int j = 0; j < 3; j++) m[i][j] = j == c ? change[i] : k[i][j];
            out[c] = det(m) / d;
            if (!std::isfinite(out[c])) return false;
        }
        return true;
    }
    // What the impulse does to each body, per unit of its inverse mass and inertia (A takes it
    // the other way).
    void Apply(const double impulse[3], Motion out) const
    {
        for (int i = 0; i < 2; i++) {
            const Part& p = part[i];
            double sign = i == 0 ? -1.0 : 1.0;
            out[i][0] = sign * p.mass * impulse[0];
            out[i][1] = sign * p.mass * impulse[1];
            out[i][2] = sign * p.inertia * (p.rx * impulse[1] - p.ry * impulse[0] + impulse[2]);
        }
    }
};

Part MakePart(b2Body* body, const b2Vec2& localAnchor)
{
    b2Vec2 r = b2Mul(body->GetTransform().q, localAnchor - body->GetLocalCenter());
    return {body, Box2D_InverseMass(body), Box2D_InverseInertia(body), r.x, r.y};
}

bool MakeBlock(b2RevoluteJoint* joint, LimitBlock* l)
{
    if (!joint->IsLimitEnabled() || !joint->IsEnabled()) return false;
    b2Body* a = joint->GetBodyA();
    b2Body* b = joint->GetBodyB();
    if (!a->IsAwake() && !b->IsAwake()) return false;
    double angle = joint->GetJointAngle(), lower = joint->GetLowerLimit(), upper = joint->GetUpperLimit();
    l->side = std::fabs(upper - lower) < 2.0 * b2_angularSlop ? Side::Both
              : angle <= lower                                   ? Side::Lower
              : angle >= upper                                   ? Side::Upper
                                                                 : Side::None;
    if (l->side == Side::None) return false;
    l->part[0] = MakePart(a, joint->GetLocalAnchorA());
    l->part[1] = MakePart(b, joint->GetLocalAnchorB());
    l->excess = angle - (l->side == Side::Upper ? upper : lower);
    const Part &pa = l->part[0], &pb = l->part[1];
    if (pa.inertia + pb.inertia == 0.0) return false;  // neither turns: nothing to limit
    // A body whose inertia about the anchor outweighs that about its centre beyond what single
    // precision holds (a feather far from its pin) gives a block of rounding: left to the engine.
    for (const Part* p : {&pa, &pb})
        if (p->mass > 0.0 && (p->rx * p->rx + p->ry * p->ry) * p->inertia > kLeverMax * p->mass) return false;
    double mass = pa.mass + pb.mass;
    l->k[0][0] = mass + pa.ry * pa.ry * pa.inertia + pb.ry * pb.ry * pb.inertia;
    l->k[0][1] = l->k[1][0] = -pa.ry * pa.rx * pa.inertia - pb.ry * pb.rx * pb.inertia;
    l->k[0][2] = l->k[2][0] = -pa.ry * pa.inertia - pb.ry * pb.inertia;
    l->k[1][1] = mass + pa.rx * pa.rx * pa.inertia + pb.rx * pb.rx * pb.inertia;
    l->k[1][2] = l->k[2][1] = pa.rx * pa.inertia + pb.rx * pb.inertia;
    l->k[2][2] = pa.inertia + pb.inertia;
    return true;
}

// Whether an impulse about the joint pushes away from the limit it is on.
bool PushesAway(Side side, double impulse)
{
    return side == Side::Both || (side == Side::Lower ? impulse >= 0.0 : impulse <= 0.0);
}

bool Usable(const double values[3])
{
    for (int i = 0; i < 3; i++)
        if (!(std::fabs(values[i]) <= PHYSICS_MAX_VALUE)) return false;
    return true;
}

// A body's kinetic energy (twice it), counting only what the block can change.
double Energy(const Part& p, const double v[3])
{
    double e = 0.0;
    if (p.mass > 0.0) e += (v[0] * v[0] + v[1] * v[1]) / p.mass;
    if (p.inertia > 0.0) e += v[2] * v[2] / p.inertia;
    return e;
}

void SolveVelocities(b2RevoluteJoint* joint)
{
    LimitBlock l;
    if (!MakeBlock(joint, &l)) return;
    Motion v, m;
    for (int i = 0; i < 2; i++) {
        const b2Body* body = l.part[i].body;
        v[i][0] = body->GetLinearVelocity().x, v[i][1] = body->GetLinearVelocity().y, v[i][2] = body->GetAngularVelocity();
    }
    // The rates of the point (B's anchor's velocity less A's, each v + w x r) and of the angle.
    const Part &a = l.part[0], &b = l.part[1];
    double turn = v[1][2] - v[0][2];
    if (l.side == Side::Lower ? turn >= 0.0 : l.side == Side::Upper ? turn <= 0.0 : false) return;  // leaving it
    double change[3] = {-(v[1][0] - v[1][2] * b.ry - v[0][0] + v[0][2] * a.ry), -(v[1][1] + v[1][2] * b.rx - v[0][1] - v[0][2] * a.rx),
                        -turn};
    double impulse[3];
    if (!l.Solve(change, impulse) || !PushesAway(l.side, impulse[2])) return;
    l.Apply(impulse, m);
    double before = 0.0, after = 0.0;
    for (int i = 0; i < 2; i++) {
        before += Energy(l.part[i], v[i]);
        for (int k = 0; k < 3; k++) m[i][k] += v[i][k];
        after += Energy(l.part[i], m[i]);
        if (!Usable(m[i])) return;
    }
    if (!(after <= before * (1.0 + 1e-6))) return;  // a stop never adds energy
    for (int i = 0; i < 2; i++)
        if (l.part[i].body->GetType() == b2_dynamicBody) {
            l.part[i].body->SetLinearVelocity(b2Vec2((float)m[i][0], (float)m[i][1]));
            l.part[i].body->SetAngularVelocity((float)m[i][2]);
        }
}

// How far the anchors of a body's joints lie from its centre of mass, at most.
double Reach(b2Body* body)
{
    const b2Vec2& c = body->GetWorldCenter();
    double reach = 0.0;
    for (b2JointEdge* e = body->GetJointList(); e; e = e->next) {
        b2Vec2 anchor = e->joint->GetBodyA() == body ? e->joint->GetAnchorA() : e->joint->GetAnchorB();
        reach = std::max(reach, (double)b2Distance(anchor, c));
    }
    return reach;
}

void SolvePositions(b2RevoluteJoint* joint)
{
    LimitBlock l;
    if (!MakeBlock(joint, &l) || std::fabs(l.excess) < kAngleTolerance) return;
    const Part &a = l.part[0], &b = l.part[1];
    const b2Vec2 &ca = a.body->GetWorldCenter(), &cb = b.body->GetWorldCenter();
    double change[3] = {-((double)cb.x + b.rx - ca.x - a.rx), -((double)cb.y + b.ry - ca.y - a.ry), -l.excess};
    double impulse[3];
    if (!l.Solve(change, impulse)) return;
    Motion m;
    l.Apply(impulse, m);
    // No body moves in one pass, at its centre or at any anchor of its joints, further than the
    // engine's own correction lets a point move.
    double scale = 1.0;
    for (int i = 0; i < 2; i++) {
        double moved = std::hypot(m[i][0], m[i][1]) + std::fabs(m[i][2]) * Reach(l.part[i].body);
        if (moved > b2_maxLinearCorrection) scale = std::min(scale, b2_maxLinearCorrection / moved);
    }
    for (int i = 0; i < 2; i++) {
        b2Body* body = l.part[i].body;
        if (body->GetType() != b2_dynamicBody) continue;
        const b2Vec2& c = body->GetWorldCenter();
        double to[3] = {c.x + scale * m[i][0], c.y + scale * m[i][1], body->GetAngle() + scale * m[i][2]};
        if (!Usable(to)) return;
        b2Vec2 centre((float)to[0], (float)to[1]);
        body->SetTransform(centre - b2Mul(b2Rot((float)to[2]), body->GetLocalCenter()), (float)to[2]);
    }
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
