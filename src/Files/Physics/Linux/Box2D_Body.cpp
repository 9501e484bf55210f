// Instance bodies on Box2D: the CPhysicsObject operations and reads, and the checks of shapes and
// masses that stand in for the engine's own (which would end the process).
#include "Physics/Linux/Box2D_Internal.h"
#include "Physics/Physics_Check.h"
#include "Physics/Physics_Object.h"
#include "Physics/Physics_World.h"

#include "Object/Instance_Class.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr float kPi = 3.1415927f;

// The length of the velocity change that a force makes over one step of the body's world.
double StepChange(const b2Body* body, double fx, double fy, const CPhysicsWorld* world)
{
    double dt = world->update_speed >= 1 ? 1.0 / world->update_speed : 1.0;
    double inverseMass = Box2D_InverseMass(body);
    return std::hypot(fx, fy) * inverseMass * dt;
}

double SpinChange(const b2Body* body, double torque, const CPhysicsWorld* world)
{
    double dt = world->update_speed >= 1 ? 1.0 / world->update_speed : 1.0;
    double inertia = Box2D_CentredInertia(body);
    return inertia > 0.0 ? std::fabs(torque) / inertia * dt : 0.0;
}

bool RefuseTooFast(const char* who)
{
    Physics_Refuse(who, "the body would move too fast", "b2IsValid(v)");
    return false;
}

}  // namespace

double Box2D_CentredInertia(const b2Body* body)
{
    return (double)body->GetInertia() - (double)body->GetMass() * b2Dot(body->GetLocalCenter(), body->GetLocalCenter());
}

float Box2D_InverseMass(const b2Body* body)
{
    return body->GetType() == b2_dynamicBody && body->GetMass() > 0.0f ? 1.0f / body->GetMass() : 0.0f;
}

float Box2D_InverseInertia(const b2Body* body)
{
    double inertia = body->GetType() == b2_dynamicBody ? Box2D_CentredInertia(body) : 0.0;
    return inertia > 0.0 ? (float)(1.0 / inertia) : 0.0f;
}

float Box2D_StepDamping(float damping, float h)
{
    // Where the factor is 0, a damping that leaves less than 1e-28 of the velocity.
    constexpr double stop = 1e30;
    double factor = 1.0 - (double)h * damping;
    if (damping <= 0.0f) return 0.0f;
    return factor > 0.0 ? (float)std::min((double)damping / factor, stop) : (float)stop;
}

void Box2D_SetDamping(PhysicsEngine* engine, float h)
{
    engine->damping_step = h;
    for (b2Body* b = engine->world.GetBodyList(); b; b = b->GetNext()) {
        CInstance* inst = Box2D_Instance(b);
        const CPhysicsObject* object = inst ? inst->physics : nullptr;
        if (!object || object->body != b) continue;
        b->SetLinearDamping(Box2D_StepDamping(object->linear_damping, h));
        b->SetAngularDamping(Box2D_StepDamping(object->angular_damping, h));
    }
}

bool Box2D_CheckShape(const b2Shape& shape, const char* who)
{
    if (shape.GetType() == b2Shape::e_circle) return Physics_CheckSize(who, "radius", shape.m_radius);
    const b2PolygonShape& polygon = static_cast<const b2PolygonShape&>(shape);
    if (polygon.m_count < 3 || polygon.m_count > b2_maxPolygonVertices) {
        Physics_Refuse(who, "a polygon needs 3 to 8 points", "3 <= count && count <= b2_maxPolygonVertices");
        return false;
    }
    // The engine welds points closer than half its slop, then takes the convex hull.
    std::vector<b2Vec2> unique;
    for (int i = 0; i < polygon.m_count; i++) {
        const b2Vec2& v = polygon.m_vertices[i];
        if (!(std::fabs(v.x) <= PHYSICS_MAX_SIZE && std::fabs(v.y) <= PHYSICS_MAX_SIZE)) {
            Physics_Refuse(who, "a point of the shape is too far from its origin", "b2IsValid(v)");
            return false;
        }
        constexpr float weld = 0.5f * b2_linearSlop;
        if (std::none_of(unique.begin(), unique.end(), [&](const b2Vec2& u) { return b2DistanceSquared(u, v) < weld * weld; }))
            unique.push_back(v);
    }
    // Monotone chain hull; its area (shoelace) and the spread of the points.
    std::sort(unique.begin(), unique.end(), [](const b2Vec2& a, const b2Vec2& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    auto cross = [](const b2Vec2& o, const b2Vec2& a, const b2Vec2& b) {
        return ((double)a.x - o.x) * ((double)b.y - o.y) - ((double)a.y - o.y) * ((double)b.x - o.x);
    };
    std::vector<b2Vec2> hull;
    for (int pass = 0; pass < 2; pass++) {
        size_t start = hull.size();
        for (const b2Vec2& p : unique) {
            while (hull.size() >= start + 2 && cross(hull[hull.size() - 2], hull.back(), p) <= 0.0) hull.pop_back();
            hull.push_back(p);
        }
        hull.pop_back();
        std::reverse(unique.begin(), unique.end());
    }
    double area = 0.0, spread = 0.0;
    for (size_t i = 0; i < hull.size(); i++) {
        const b2Vec2& a = hull[i];
        const b2Vec2& b = hull[(i + 1) % hull.size()];
        area += ((double)a.x * b.y - (double)b.x * a.y) / 2.0;
        for (const b2Vec2& c : hull) spread = std::max(spread, (double)b2DistanceSquared(a, c));
    }
    // The engine needs an area above its epsilon, worked out in single precision.
    if (hull.size() < 3 || !(area > 1e-5 + 1e-5 * spread)) {
        Physics_Refuse(who, "the polygon is too small, too thin, or has points too close together", "area > b2_epsilon");
        return false;
    }
    return true;
}

bool Box2D_CheckMass(const b2Body* body, const b2Shape* shape, float density, const char* who)
{
    double mass = 0.0, cx = 0.0, cy = 0.0, inertia = 0.0;
    auto add = [&](const b2MassData& m) {
        mass += m.mass;
        cx += (double)m.mass * m.center.x;
        cy += (double)m.mass * m.center.y;
        inertia += m.I;
    };
    b2MassData m;
    if (body)
        for (const b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext())
            if (f->GetDensity() > 0.0f) {
                f->GetMassData(&m);
                add(m);
            }
    if (shape && density > 0.0f) {
        shape->ComputeMass(&m, density);
        add(m);
    }
    if (mass <= 0.0) return true;  // the engine gives the body a mass of 1 and no inertia
    if (!(mass >= PHYSICS_MIN_MASS && mass <= PHYSICS_MAX_MASS)) {
        Physics_Refuse(who, "the body's mass would be out of range", "m_mass > 0.0f");
        return false;
    }
    // Checked whether or not the rotation is fixed now: it may be freed later.
    if (inertia <= 0.0) return true;
    cx /= mass;
    cy /= mass;
    double centred = inertia - mass * (cx * cx + cy * cy);
    // The engine subtracts in single precision: keep well clear of its rounding.
    if (!(centred >= PHYSICS_MIN_INERTIA && centred <= PHYSICS_MAX_INERTIA && centred > 1e-5 * inertia)) {
        Physics_Refuse(who, "the body's inertia about its centre of mass would be out of range", "m_I > 0.0f");
        return false;
    }
    return true;
}

bool CPhysicsObject::SetPosition(float x, float y, const char* who)
{
    if (!Physics_CheckValues(who, {x, y})) return false;
    body->SetTransform(b2Vec2(x, y), body->GetAngle());
    body->SetAwake(true);
    return true;
}

bool CPhysicsObject::SetAngle(float degrees, const char* who)
{
    float radians = degrees * kPi / 180.0f;
    if (!Physics_CheckValues(who, {radians})) return false;
    body->SetTransform(body->GetPosition(), radians);
    body->SetAwake(true);
    return true;
}

bool CPhysicsObject::SetLinearVelocity(float vx, float vy, const char* who)
{
    if (!Physics_CheckValues(who, {vx, vy})) return false;
    if (body->GetType() == b2_staticBody) {
        if (vx == 0.0f && vy == 0.0f) return true;
        body->SetType(b2_kinematicBody);
    }
    body->SetLinearVelocity(b2Vec2(vx, vy));
    body->SetAwake(true);
    return true;
}

bool CPhysicsObject::SetAngularVelocity(float degreesPerSecond, const char* who)
{
    float radians = degreesPerSecond * kPi / 180.0f;
    if (!Physics_CheckValues(who, {radians})) return false;
    if (body->GetType() != b2_staticBody) body->SetAngularVelocity(radians);
    body->SetAwake(true);
    return true;
}

bool CPhysicsObject::SetMassData(float mass, float centreX, float centreY, float inertia, const char* who)
{
    if (!Physics_CheckValues(who, {mass, centreX, centreY, inertia})) return false;
    if (!(inertia > 0.0f)) {
        Physics_Refuse(who, "the inertia must be greater than 0", "m_I > 0.0f");
        return false;
    }
    b2MassData data;
    data.mass = mass;
    data.center.Set(centreX, centreY);
    data.I = inertia;
    if (body->GetType() != b2_dynamicBody) return true;  // the engine keeps no mass for other bodies
    // As the engine works it out, in single precision.
    float used = mass > 0.0f ? mass : 1.0f;
    float centred = inertia - used * b2Dot(data.center, data.center);
    if (!(used >= PHYSICS_MIN_MASS && used <= PHYSICS_MAX_MASS)) {
        Physics_Refuse(who, "the mass is out of range", "m_mass > 0.0f");
        return false;
    }
    if (!body->IsFixedRotation() && !(centred >= PHYSICS_MIN_INERTIA && centred <= PHYSICS_MAX_INERTIA)) {
        Physics_Refuse(who, "the inertia about the centre of mass must be greater than 0", "m_I > 0.0f");
        return false;
    }
    body->SetMassData(&data);
    return true;
}

bool CPhysicsObject::ApplyForce(float px, float py, float fx, float fy, const char* who)
{
    if (!Physics_CheckValues(who, {px, py, fx, fy}) || body->GetType() != b2_dynamicBody) return false;
    if (pending_step != world->StepCount()) {
        pending_fx = pending_fy = pending_torque = 0.0;
        pending_step = world->StepCount();
    }
    const b2Vec2& c = body->GetWorldCenter();
    double torque = ((double)px - c.x) * fy - ((double)py - c.y) * fx;
    if (StepChange(body, pending_fx + fx, pending_fy + fy, world) > PHYSICS_MAX_VALUE ||
        SpinChange(body, pending_torque + torque, world) > PHYSICS_MAX_VALUE)
        return RefuseTooFast(who);
    pending_fx += fx;
    pending_fy += fy;
    pending_torque += torque;
    body->ApplyForce(b2Vec2(fx, fy), b2Vec2(px, py), true);
    return true;
}

bool CPhysicsObject::ApplyImpulse(float px, float py, float ix, float iy, const char* who)
{
    if (!Physics_CheckValues(who, {px, py, ix, iy}) || body->GetType() != b2_dynamicBody) return false;
    const b2Vec2& c = body->GetWorldCenter();
    const b2Vec2& v = body->GetLinearVelocity();
    double inverseMass = Box2D_InverseMass(body);
    double inertia = Box2D_CentredInertia(body);
    double spin = body->GetAngularVelocity() + (inertia > 0.0 ? (((double)px - c.x) * iy - ((double)py - c.y) * ix) / inertia : 0.0);
    if (std::hypot(v.x + inverseMass * ix, v.y + inverseMass * iy) > PHYSICS_MAX_VALUE || !(std::fabs(spin) <= PHYSICS_MAX_VALUE))
        return RefuseTooFast(who);
    body->ApplyLinearImpulse(b2Vec2(ix, iy), b2Vec2(px, py), true);
    return true;
}

bool CPhysicsObject::ApplyLocalForce(float px, float py, float fx, float fy, const char* who)
{
    if (!Physics_CheckValues(who, {px, py, fx, fy})) return false;
    b2Vec2 p = body->GetWorldPoint(b2Vec2(px, py)), f = body->GetWorldVector(b2Vec2(fx, fy));
    return ApplyForce(p.x, p.y, f.x, f.y, who);
}

bool CPhysicsObject::ApplyLocalImpulse(float px, float py, float ix, float iy, const char* who)
{
    if (!Physics_CheckValues(who, {px, py, ix, iy})) return false;
    b2Vec2 p = body->GetWorldPoint(b2Vec2(px, py)), i = body->GetWorldVector(b2Vec2(ix, iy));
    return ApplyImpulse(p.x, p.y, i.x, i.y, who);
}

bool CPhysicsObject::ApplyTorque(float torque, const char* who)
{
    if (!Physics_CheckValues(who, {torque}) || body->GetType() != b2_dynamicBody) return false;
    if (pending_step != world->StepCount()) {
        pending_fx = pending_fy = pending_torque = 0.0;
        pending_step = world->StepCount();
    }
    if (SpinChange(body, pending_torque + torque, world) > PHYSICS_MAX_VALUE) return RefuseTooFast(who);
    pending_torque += torque;
    body->ApplyTorque(torque, true);
    return true;
}

void CPhysicsObject::SetBullet(bool on) { body->SetBullet(on); }
void CPhysicsObject::SetFixedRotation(bool on) { body->SetFixedRotation(on); }
void CPhysicsObject::SetEnabled(bool on) { body->SetEnabled(on); }

float CPhysicsObject::X() const { return body->GetPosition().x; }
float CPhysicsObject::Y() const { return body->GetPosition().y; }
float CPhysicsObject::Angle() const { return body->GetAngle() * 180.0f / kPi; }
float CPhysicsObject::VelocityX() const { return body->GetLinearVelocity().x; }
float CPhysicsObject::VelocityY() const { return body->GetLinearVelocity().y; }
float CPhysicsObject::AngularVelocity() const { return body->GetAngularVelocity() * 180.0f / kPi; }
float CPhysicsObject::Mass() const { return body->GetMass(); }
float CPhysicsObject::Inertia() const { return body->GetInertia(); }
float CPhysicsObject::CentreX() const { return body->GetWorldCenter().x; }
float CPhysicsObject::CentreY() const { return body->GetWorldCenter().y; }
bool CPhysicsObject::Dynamic() const { return body->GetType() == b2_dynamicBody; }
bool CPhysicsObject::Kinematic() const { return body->GetType() == b2_kinematicBody; }
bool CPhysicsObject::Awake() const { return body->IsAwake(); }
bool CPhysicsObject::Bullet() const { return body->IsBullet(); }
bool CPhysicsObject::FixedRotation() const { return body->IsFixedRotation(); }
bool CPhysicsObject::Active() const { return body->IsEnabled(); }
