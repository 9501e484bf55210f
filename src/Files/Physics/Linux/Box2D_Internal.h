// What the Box2D half of the physics module shares: the engine world with the callbacks the
// runner installs in it, and the helpers that read runner data out of engine objects.
#pragma once
#include <box2d/box2d.h>

#include <cstdint>

class CInstance;
class CPhysicsJoint;
class CPhysicsWorld;

// Box2D's own filter holds 16 categories; the world has 32. A fixture keeps its object's category
// bits in the low word of its user data and its mask bits in the high word, and the contact filter
// below reads them (the group index stays in the engine's filter).
inline uint32_t Box2D_Category(b2Fixture* f) { return (uint32_t)(f->GetUserData().pointer & 0xFFFFFFFFu); }
inline uint32_t Box2D_Mask(b2Fixture* f) { return (uint32_t)(f->GetUserData().pointer >> 32); }
inline void Box2D_SetBits(b2Fixture* f, uint32_t category, uint32_t mask)
{
    f->GetUserData().pointer = (uintptr_t)category | (uintptr_t)mask << 32;
}

// The instance owning a body (null for the hidden static bodies that hold pulley ropes).
inline CInstance* Box2D_Instance(b2Body* b) { return (CInstance*)b->GetUserData().pointer; }
// The joint record of an engine joint or pulley rope (null when the runner keeps none).
inline CPhysicsJoint* Box2D_Record(b2Joint* j) { return (CPhysicsJoint*)j->GetUserData().pointer; }

class Box2D_ContactFilter : public b2ContactFilter {
public:
    bool ShouldCollide(b2Fixture* a, b2Fixture* b) override;
};

// Records sensor contacts when they begin and every other contact after each solve.
class Box2D_ContactListener : public b2ContactListener {
public:
    explicit Box2D_ContactListener(CPhysicsWorld* world) : m_world(world) {}
    void BeginContact(b2Contact* contact) override;
    void PostSolve(b2Contact* contact, const b2ContactImpulse* impulse) override;
private:
    void Record(b2Contact* contact);
    CPhysicsWorld* m_world;
};

// Drops the records of joints the engine destroys with a body.
class Box2D_DestructionListener : public b2DestructionListener {
public:
    void SayGoodbye(b2Joint* joint) override;
    void SayGoodbye(b2Fixture*) override {}
};

// Draws the engine's debug view with the runner's 2D primitives, in pixels.
class Box2D_DebugRenderer : public b2Draw {
public:
    explicit Box2D_DebugRenderer(CPhysicsWorld* world) : m_world(world) {}
    void DrawPolygon(const b2Vec2* vertices, int32 count, const b2Color& color) override;
    void DrawSolidPolygon(const b2Vec2* vertices, int32 count, const b2Color& color) override;
    void DrawCircle(const b2Vec2& centre, float radius, const b2Color& color) override;
    void DrawSolidCircle(const b2Vec2& centre, float radius, const b2Vec2& axis, const b2Color& color) override;
    void DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color) override;
    void DrawTransform(const b2Transform& xf) override;
    void DrawPoint(const b2Vec2& p, float size, const b2Color& color) override;
    // The bounding-box centres of each touching fixture pair (the engine no longer draws them).
    void DrawPairs(b2World& world);
    // A game colour (0xBBGGRR) from the engine's 0..1 channels, each times 256 within a byte.
    static int Colour(const b2Color& color);
private:
    CPhysicsWorld* m_world;
};

struct PhysicsEngine {
    explicit PhysicsEngine(CPhysicsWorld* owner);
    b2World world;
    Box2D_ContactFilter filter;
    Box2D_ContactListener listener;
    Box2D_DestructionListener destruction;
    Box2D_DebugRenderer renderer;
    // The step length the bodies' engine damping was worked out for (0: none yet).
    float damping_step = 0.0f;
};

// A body's inertia about its centre of mass (0 for a rotation held fixed and for bodies that are
// not dynamic), and the inverses of it and of the mass as the solver uses them (0: not moved).
double Box2D_CentredInertia(const b2Body* body);
float Box2D_InverseMass(const b2Body* body);
float Box2D_InverseInertia(const b2Body* body);
// The engine divides a step's velocities by (1 + h x damping), while games were made for one that
// multiplies them by clamp(1 - h x damping, 0, 1): the damping that gives the engine the same
// factor for a step of length h.
float Box2D_StepDamping(float damping, float h);
// Gives every body of the world the engine damping of its game damping for steps of length h.
void Box2D_SetDamping(PhysicsEngine* engine, float h);

// Whether a shape can be given to the engine (sizes, welded points, hull and area as the engine
// computes them); refuses with a message otherwise.
bool Box2D_CheckShape(const b2Shape& shape, const char* who);
// Whether the body's mass data, after adding a fixture of this shape and density (none: shape
// null), leaves a mass and an inertia about the centre that the engine can divide by.
bool Box2D_CheckMass(const b2Body* body, const b2Shape* shape, float density, const char* who);
// The spring of a distance joint from its frequency and damping ratio and the mass the joint moves
// now (the bodies' masses and inertias along its line, as they stand).
void Box2D_ApplySpring(CPhysicsJoint* joint);
// Before each engine step: the springs of the world's distance joints for the bodies' places now.
void Box2D_SetSprings(CPhysicsWorld* world);
// After each engine step: every limited revolute joint of the world at or past a limit is solved
// with its point as one block, its velocities and then its positions.
void Box2D_HoldLimits(CPhysicsWorld* world);
// Destroys every runner joint on the body, gears first.
void Box2D_DestroyJointsOn(b2Body* body);
