// The world on Box2D: stepping, bodies to instances, binding fixtures, the 32-category contact
// filter, the contact listener that fills the contact buffer, and the destruction listener.
#include "Physics/Linux/Box2D_Internal.h"
#include "Physics/Physics_Check.h"
#include "Physics/Physics_Fixture.h"
#include "Physics/Physics_Joint.h"
#include "Physics/Physics_Object.h"
#include "Physics/Physics_World.h"

#include "Code/Error.h"
#include "Graphics/DrawPrimitives.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Room/Room_Class.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {
constexpr float kPi = 3.1415927f;
}

PhysicsEngine::PhysicsEngine(CPhysicsWorld* owner) : world(b2Vec2(0.0f, 10.0f)), listener(owner), renderer(owner)
{
    world.SetAllowSleeping(true);
    world.SetContactFilter(&filter);
    world.SetContactListener(&listener);
    world.SetDestructionListener(&destruction);
    world.SetDebugDraw(&renderer);
}

CPhysicsWorld::CPhysicsWorld(CRoom* room, float scale, int updateSpeed)
    : room(room), update_speed(updateSpeed), scale(scale), m_engine(new PhysicsEngine(this))
{
}

CPhysicsWorld::~CPhysicsWorld()
{
    // Instances keep living (persistent ones elsewhere, too): they lose their bodies.
    for (b2Body* b = m_engine->world.GetBodyList(); b; b = b->GetNext()) {
        CInstance* inst = Box2D_Instance(b);
        if (inst && inst->physics && inst->physics->body == b) {
            delete inst->physics;
            inst->physics = nullptr;
        }
    }
    PhysicsJoint_ForgetWorld(this);
    delete m_engine;
}

void CPhysicsWorld::SetGravity(float x, float y)
{
    m_engine->world.SetGravity(b2Vec2(x, y));
    if (x == 0.0f && y == 0.0f) return;
    for (b2Body* b = m_engine->world.GetBodyList(); b; b = b->GetNext())
        if (b->GetType() == b2_dynamicBody) b->SetAwake(true);
}

void CPhysicsWorld::PrepareStep()
{
    if (m_filtersDirty) UpdateFilters();
    // Deactivated instances take no part; active ones take part again.
    for (CInstance* inst : room->deactivated)
        if (inst->physics && inst->physics->world == this) inst->physics->SetEnabled(false);
    for (CInstance* inst : room->active)
        if (inst->physics && inst->physics->world == this && !inst->physics->Active()) inst->physics->SetEnabled(true);
}

// Damping, springs and limits as games expect them, around the engine's own step.
void CPhysicsWorld::StepEngine(float dt)
{
    if (dt != m_engine->damping_step) Box2D_SetDamping(m_engine, dt);
    Box2D_SetSprings(this);
    m_engine->world.Step(dt, iterations, iterations);
    Box2D_HoldLimits(this);
    m_steps++;
}

void CPhysicsWorld::SyncInstancesFromBodies()
{
    m_engine->world.ClearForces();
    for (b2Body* b = m_engine->world.GetBodyList(); b; b = b->GetNext()) {
        CInstance* inst = Box2D_Instance(b);
        if (!inst) continue;
        const b2Vec2& p = b->GetPosition();
        inst->SetPosition(p.x / scale, p.y / scale);
        inst->SetImageAngle(-b->GetAngle() * 180.0f / kPi);
    }
}

void CPhysicsWorld::UpdateFilters()
{
    m_filtersDirty = false;
    for (b2Body* b = m_engine->world.GetBodyList(); b; b = b->GetNext()) {
        CInstance* inst = Box2D_Instance(b);
        int slot = inst && inst->physics ? inst->physics->slot : -1;
        if (slot < 0) continue;
        for (b2Fixture* f = b->GetFixtureList(); f; f = f->GetNext())
            if (Box2D_Mask(f) != categories[slot].mask || Box2D_Category(f) != categories[slot].category) {
                Box2D_SetBits(f, categories[slot].category, categories[slot].mask);
                f->Refilter();  // pairs that now collide are found in the next step
            }
    }
}

namespace {

// The engine shape of a fixture description (already checked by its built-ins).
struct FixtureShape {
    b2CircleShape circle;
    b2PolygonShape polygon;
    const b2Shape* shape = nullptr;
};

bool MakeShape(const CPhysicsFixture* f, FixtureShape* out, const char* who)
{
    switch (f->shape) {
    case PhysicsShape::Circle:
        out->circle.m_radius = f->radius;
        out->shape = &out->circle;
        break;
    case PhysicsShape::Box:
        if (!Physics_CheckSize(who, "half width", f->half_width) || !Physics_CheckSize(who, "half height", f->half_height))
            return false;
        out->polygon.SetAsBox(f->half_width, f->half_height);
        out->shape = &out->polygon;
        break;
    case PhysicsShape::Polygon: {
        b2Vec2 points[PHYSICS_MAX_POINTS];
        for (int i = 0; i < f->point_count; i++) points[i].Set(f->points[i][0], f->points[i][1]);
        b2PolygonShape probe;  // the points as given, for the checks below
        probe.m_count = f->point_count;
        for (int i = 0; i < f->point_count; i++) probe.m_vertices[i] = points[i];
        if (!Box2D_CheckShape(probe, who)) return false;
        out->polygon.Set(points, f->point_count);
        out->shape = &out->polygon;
        break;
    }
    case PhysicsShape::None:
        Physics_Refuse(who, ("fixture " + std::to_string(f->id) + " has no shape").c_str(), "def->shape != nullptr");
        return false;
    }
    return Box2D_CheckShape(*out->shape, who);
}

bool CheckMaterial(const CPhysicsFixture* f, const char* who)
{
    return Physics_CheckNotNegative(who, "density", f->density) &&
           Physics_CheckNotNegative(who, "friction", f->friction, PHYSICS_MAX_MATERIAL) &&
           Physics_CheckNotNegative(who, "restitution", f->restitution, PHYSICS_MAX_MATERIAL) &&
           Physics_CheckNotNegative(who, "linear damping", f->linear_damping) &&
           Physics_CheckNotNegative(who, "angular damping", f->angular_damping);
}

}  // namespace

bool CPhysicsWorld::BindFixture(const CPhysicsFixture* f, CInstance* inst, const char* who)
{
    if (f->shape == PhysicsShape::Polygon && f->point_count < 3) {
        std::string text = std::string("Too few vertices in polygon shape fixture for ") + Object_GetName(inst->object_index);
        Error_Show_Action(text.c_str(), true);
        return false;
    }
    FixtureShape shape;
    if (!MakeShape(f, &shape, who) || !CheckMaterial(f, who)) return false;
    CPhysicsObject* object = inst->physics;
    if (object && object->world != this) {
        Physics_Refuse(who, "the instance has a body in another room's world", "body->GetWorld() == this");
        return false;
    }
    int slot = GetCollisionCategory(inst->object_index);
    uint32_t category = slot >= 0 ? categories[slot].category : 0, mask = slot >= 0 ? categories[slot].mask : 0;

    b2FixtureDef def;
    def.shape = shape.shape;
    def.friction = f->friction;
    def.restitution = f->restitution;
    def.density = f->density;
    def.isSensor = f->sensor;
    def.filter.groupIndex = (int16)f->group;
    if (object) {
        b2Body* body = object->body;
        if (body->GetType() == b2_dynamicBody && !Box2D_CheckMass(body, shape.shape, f->density, who)) return false;
        Box2D_SetBits(body->CreateFixture(&def), category, mask);
        return true;
    }

    b2BodyDef bd;
    bd.type = f->density > 0.0f ? b2_dynamicBody : f->kinematic ? b2_kinematicBody : b2_staticBody;
    bd.position.Set(inst->x * scale, inst->y * scale);
    bd.angle = -inst->image_angle * kPi / 180.0f;
    if (!Physics_CheckValues(who, {bd.position.x, bd.position.y, bd.angle})) return false;
    if (bd.type == b2_dynamicBody && !Box2D_CheckMass(nullptr, shape.shape, f->density, who)) return false;
    bd.linearDamping = Box2D_StepDamping(f->linear_damping, m_engine->damping_step);
    bd.angularDamping = Box2D_StepDamping(f->angular_damping, m_engine->damping_step);
    bd.allowSleep = true;
    bd.awake = f->awake;
    bd.userData.pointer = (uintptr_t)inst;
    b2Body* body = m_engine->world.CreateBody(&bd);
    Box2D_SetBits(body->CreateFixture(&def), category, mask);
    inst->physics = new CPhysicsObject(this, body, slot, HasCollisionEvents(inst->object_index));
    inst->physics->linear_damping = f->linear_damping;
    inst->physics->angular_damping = f->angular_damping;
    return true;
}

void CPhysicsWorld::DestroyBody(CPhysicsObject* object)
{
    if (CInstance* inst = Box2D_Instance(object->body)) ForgetInstance(inst);
    Box2D_DestroyJointsOn(object->body);
    m_engine->world.DestroyBody(object->body);
}

bool CPhysicsWorld::TestOverlap(CInstance* self, CInstance* other, float x, float y, float angle)
{
    if (!self->physics || !other->physics) return false;
    b2Transform placed(b2Vec2(x, y), b2Rot(angle));
    const b2Body* body = other->physics->body;
    for (const b2Fixture* a = self->physics->body->GetFixtureList(); a; a = a->GetNext())
        for (const b2Fixture* b = body->GetFixtureList(); b; b = b->GetNext())
            if (b2TestOverlap(a->GetShape(), 0, b->GetShape(), 0, placed, body->GetTransform())) return true;
    return false;
}

void CPhysicsWorld::DrawDebug(int flags)
{
    static const struct { int ours; uint32 engine; } Flags[] = {
        {1, b2Draw::e_shapeBit}, {2, b2Draw::e_jointBit}, {4, b2Draw::e_centerOfMassBit}, {8, b2Draw::e_aabbBit}};
    uint32 engineFlags = 0;
    for (const auto& f : Flags)
        if (flags & f.ours) engineFlags |= f.engine;
    uint32_t colour = Draw_GetColor();
    m_engine->renderer.SetFlags(engineFlags);
    m_engine->world.DebugDraw();
    if (flags & 64) m_engine->renderer.DrawPairs(m_engine->world);
    m_engine->renderer.SetFlags(0);
    Draw_SetColor(colour & 0xFFFFFF);
}

bool Box2D_ContactFilter::ShouldCollide(b2Fixture* a, b2Fixture* b)
{
    const b2Filter& fa = a->GetFilterData();
    const b2Filter& fb = b->GetFilterData();
    if (fa.groupIndex == fb.groupIndex && fa.groupIndex != 0) return fa.groupIndex > 0;
    return (Box2D_Mask(a) & Box2D_Category(b)) != 0 && (Box2D_Category(a) & Box2D_Mask(b)) != 0;
}

void Box2D_ContactListener::BeginContact(b2Contact* contact)
{
    if (contact->GetFixtureA()->IsSensor() || contact->GetFixtureB()->IsSensor()) Record(contact);
}

void Box2D_ContactListener::PostSolve(b2Contact* contact, const b2ContactImpulse*)
{
    Record(contact);
}

void Box2D_ContactListener::Record(b2Contact* contact)
{
    b2Fixture* fa = contact->GetFixtureA();
    b2Fixture* fb = contact->GetFixtureB();
    CInstance* a = Box2D_Instance(fa->GetBody());
    CInstance* b = Box2D_Instance(fb->GetBody());
    if (!a || !b || !a->physics->events || !b->physics->events) return;
    PhysicsManifold m;
    m.point_count = std::min(contact->GetManifold()->pointCount, 2);
    if (m.point_count > 0) {  // a sensor's contact has no points
        b2WorldManifold wm;
        contact->GetWorldManifold(&wm);
        m.normal_x = wm.normal.x;
        m.normal_y = wm.normal.y;
        for (int i = 0; i < m.point_count; i++) {
            m.x[i] = wm.points[i].x;
            m.y[i] = wm.points[i].y;
        }
    }
    m_world->AddContact(fa, fb, a, b, m);
}

void Box2D_DestructionListener::SayGoodbye(b2Joint* joint)
{
    CPhysicsJoint* record = Box2D_Record(joint);
    if (!record) return;
    if (joint == record->rope_a) record->rope_a = nullptr;
    else if (joint == record->rope_b) record->rope_b = nullptr;
    if (joint != record->joint) return;
    for (b2Joint* rope : {record->rope_a, record->rope_b})
        if (rope) rope->GetUserData().pointer = 0;
    PhysicsJoint_Forget(record);
}
