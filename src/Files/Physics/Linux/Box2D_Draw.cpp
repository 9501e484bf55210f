// The debug views: the engine's, drawn through the runner's 2D primitives, and one body's outline.
#include "Physics/Linux/Box2D_Internal.h"
#include "Physics/Physics_Joint.h"
#include "Physics/Physics_Object.h"
#include "Physics/Physics_World.h"

#include "Graphics/DrawPrimitives.h"

#include <algorithm>

namespace {
constexpr float kAxisLength = 0.4f;  // world units
constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000;

int Channel(float c)
{
    // 1.0 itself would spill into the next byte.
    return std::clamp((int)(c * 256.0f), 0, 255);
}

void SetColour(const b2Color& color)
{
    Draw_SetColor((uint32_t)Box2D_DebugRenderer::Colour(color));
}
}  // namespace

int Box2D_DebugRenderer::Colour(const b2Color& color)
{
    return Color_MakeRGB(Channel(color.r), Channel(color.g), Channel(color.b));
}

void Box2D_DebugRenderer::DrawPolygon(const b2Vec2* v, int32 count, const b2Color& color)
{
    SetColour(color);
    float s = m_world->scale;
    for (int32 i = 0; i < count; i++) {
        const b2Vec2& a = v[i];
        const b2Vec2& b = v[(i + 1) % count];
        Draw_Line(a.x / s, a.y / s, b.x / s, b.y / s);
    }
}

void Box2D_DebugRenderer::DrawSolidPolygon(const b2Vec2* v, int32 count, const b2Color& color)
{
    SetColour(color);
    float s = m_world->scale;
    for (int32 i = 1; i + 1 < count; i++)
        Draw_Triangle(v[0].x / s, v[0].y / s, v[i].x / s, v[i].y / s, v[i + 1].x / s, v[i + 1].y / s, false);
}

void Box2D_DebugRenderer::DrawCircle(const b2Vec2& c, float radius, const b2Color& color)
{
    SetColour(color);
    float s = m_world->scale;
    Draw_Ellipse((c.x - radius) / s, (c.y - radius) / s, (c.x + radius) / s, (c.y + radius) / s, true);
}

void Box2D_DebugRenderer::DrawSolidCircle(const b2Vec2& c, float radius, const b2Vec2&, const b2Color& color)
{
    SetColour(color);
    float s = m_world->scale;
    Draw_Ellipse((c.x - radius) / s, (c.y - radius) / s, (c.x + radius) / s, (c.y + radius) / s, false);
}

void Box2D_DebugRenderer::DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color)
{
    SetColour(color);
    float s = m_world->scale;
    Draw_Line(p1.x / s, p1.y / s, p2.x / s, p2.y / s);
}

void Box2D_DebugRenderer::DrawTransform(const b2Transform& xf)
{
    float s = m_world->scale;
    b2Vec2 x = xf.p + kAxisLength * xf.q.GetXAxis(), y = xf.p + kAxisLength * xf.q.GetYAxis();
    Draw_SetColor(kRed);
    Draw_Line(xf.p.x / s, xf.p.y / s, x.x / s, x.y / s);
    Draw_SetColor(kBlue);
    Draw_Line(xf.p.x / s, xf.p.y / s, y.x / s, y.y / s);
}

void Box2D_DebugRenderer::DrawPoint(const b2Vec2& p, float size, const b2Color& color)
{
    SetColour(color);
    float s = m_world->scale, half = size / 2.0f;
    Draw_Rectangle(p.x / s - half, p.y / s - half, p.x / s + half, p.y / s + half, false);
}

void Box2D_DebugRenderer::DrawPairs(b2World& world)
{
    const b2Color colour(0.3f, 0.9f, 0.9f);
    for (b2Contact* c = world.GetContactList(); c; c = c->GetNext()) {
        b2Fixture* a = c->GetFixtureA();
        b2Fixture* b = c->GetFixtureB();
        if (a->GetBody()->IsEnabled() && b->GetBody()->IsEnabled())
            DrawSegment(a->GetAABB(c->GetChildIndexA()).GetCenter(), b->GetAABB(c->GetChildIndexB()).GetCenter(), colour);
    }
}

void CPhysicsObject::DrawDebug(float inverseScale) const
{
    const float k = inverseScale;
    const b2Transform& xf = body->GetTransform();
    for (const b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext()) {
        const b2Shape* shape = f->GetShape();
        if (shape->GetType() == b2Shape::e_circle) {
            b2Vec2 c = b2Mul(xf, static_cast<const b2CircleShape*>(shape)->m_p);
            float r = shape->m_radius;
            Draw_Ellipse((c.x - r) * k, (c.y - r) * k, (c.x + r) * k, (c.y + r) * k, true);
            continue;
        }
        const b2PolygonShape* polygon = static_cast<const b2PolygonShape*>(shape);
        for (int32 i = 0; i < polygon->m_count; i++) {
            b2Vec2 a = b2Mul(xf, polygon->m_vertices[i]), b = b2Mul(xf, polygon->m_vertices[(i + 1) % polygon->m_count]);
            Draw_Line(a.x * k, a.y * k, b.x * k, b.y * k);
        }
    }
    auto line = [k](const b2Vec2& a, const b2Vec2& b) { Draw_Line(a.x * k, a.y * k, b.x * k, b.y * k); };
    auto cross = [k](const b2Vec2& p) {
        float x = p.x * k, y = p.y * k;
        Draw_Line(x - 2, y - 2, x + 2, y + 2);
        Draw_Line(x - 2, y + 2, x + 2, y - 2);
    };
    for (b2JointEdge* e = body->GetJointList(); e; e = e->next) {
        b2Joint* j = e->joint;
        const CPhysicsJoint* record = Box2D_Record(j);
        if (!record || record->joint != j) continue;  // a pulley's rope is drawn with its pulley
        b2Vec2 a = j->GetAnchorA(), b = j->GetAnchorB();
        cross(a);
        cross(b);
        line(j->GetBodyA()->GetPosition(), a);
        line(j->GetBodyB()->GetPosition(), b);
        if (j->GetType() == e_pulleyJoint) {
            b2PulleyJoint* p = static_cast<b2PulleyJoint*>(j);
            line(a, p->GetGroundAnchorA());
            line(p->GetGroundAnchorA(), p->GetGroundAnchorB());
            line(p->GetGroundAnchorB(), b);
        } else {
            line(a, b);
        }
    }
}
