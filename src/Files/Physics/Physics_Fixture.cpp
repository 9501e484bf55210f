#include "Physics/Physics_Fixture.h"

#include "Code/Error.h"

#include <memory>
#include <string>
#include <vector>

namespace {
std::vector<std::unique_ptr<CPhysicsFixture>> Fixtures;
int LastFixtureId = 0;
}  // namespace

CPhysicsFixture* PhysicsFixture_Create()
{
    Fixtures.push_back(std::make_unique<CPhysicsFixture>());
    Fixtures.back()->id = ++LastFixtureId;
    return Fixtures.back().get();
}

CPhysicsFixture* PhysicsFixture_Find(int id)
{
    for (const auto& f : Fixtures)
        if (f->id == id) return f.get();
    return nullptr;
}

bool PhysicsFixture_Delete(int id)
{
    for (auto it = Fixtures.begin(); it != Fixtures.end(); ++it)
        if ((*it)->id == id) {
            Fixtures.erase(it);
            return true;
        }
    return false;
}

void CPhysicsFixture::SetCircleShape(float r)
{
    shape = PhysicsShape::Circle;
    radius = r;
    point_count = 0;
}

void CPhysicsFixture::SetBoxShape(float halfWidth, float halfHeight)
{
    shape = PhysicsShape::Box;
    half_width = halfWidth;
    half_height = halfHeight;
    point_count = 0;
}

void CPhysicsFixture::SetPolygonShape()
{
    shape = PhysicsShape::Polygon;
    point_count = 0;
}

bool CPhysicsFixture::AddPoint(float x, float y)
{
    if (shape != PhysicsShape::Polygon || point_count >= PHYSICS_MAX_POINTS) return false;
    points[point_count][0] = x;
    points[point_count][1] = y;
    int n = ++point_count;
    if (n < 3) return true;
    // Every other point lies strictly to the same side of each edge: convex and clockwise on a
    // screen whose y grows downwards.
    for (int i = 0; i < n; i++) {
        int j = (i + 1) % n;
        for (int k = 0; k < n; k++) {
            if (k == i || k == j) continue;
            double cross = ((double)points[k][1] - points[i][1]) * ((double)points[j][0] - points[i][0]) -
                           ((double)points[k][0] - points[i][0]) * ((double)points[j][1] - points[i][1]);
            if (!(cross > 0.0)) {
                std::string text = "ERROR: The polygon shape for fixture " + std::to_string(id) +
                                   " is concave or ordered anti-clockwise";
                Error_Show_Action(text.c_str(), false);
                return false;
            }
        }
    }
    return true;
}
