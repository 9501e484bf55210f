// CPhysicsFixture: a shape and material that scripts describe once and bind to instances, kept in a
// global list by id (ids from 1, never reused). Sizes are in world units.
#pragma once

constexpr int PHYSICS_MAX_POINTS = 8;

enum class PhysicsShape { None, Circle, Box, Polygon };

class CPhysicsFixture {
public:
    int id = 0;
    float linear_damping = 0.0f;
    float angular_damping = 0.0f;
    bool awake = true;
    bool kinematic = false;  // a body made with density 0 is kinematic instead of static

    // The definition: shape and material.
    PhysicsShape shape = PhysicsShape::None;
    float radius = 0.0f;                    // circle
    float half_width = 0.0f, half_height = 0.0f;  // box
    int point_count = 0;                    // polygon points given so far
    float points[PHYSICS_MAX_POINTS][2] = {};
    float friction = 0.2f;
    float restitution = 0.0f;
    float density = 0.0f;
    bool sensor = false;
    int group = 0;

    void SetCircleShape(float r);
    void SetBoxShape(float halfWidth, float halfHeight);
    void SetPolygonShape();
    // Appends a point (kept even when the test fails); false when the shape is not a polygon, it
    // has 8 points already, or, from 3 points on, the points are not convex and clockwise on the
    // screen (which also shows "ERROR: The polygon shape for fixture %d is concave or ordered
    // anti-clockwise").
    bool AddPoint(float x, float y);
};

CPhysicsFixture* PhysicsFixture_Create();
CPhysicsFixture* PhysicsFixture_Find(int id);
bool PhysicsFixture_Delete(int id);
