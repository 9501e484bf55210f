// CPhysicsWorld: the rigid-body world a room may own. Bodies move the instances that own them,
// touching bodies raise the instances' collision events (gathered in a contact buffer over a
// frame's sub-steps), and objects with collision events between them get one of 32 collision
// categories. Positions in the world are pixels times the scale; body angles are radians clockwise.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class CInstance;
class CRoom;
class CPhysicsFixture;
class CPhysicsObject;
struct PhysicsEngine;  // the engine's world and the callbacks installed in it (Linux half)

constexpr int PHYSICS_CATEGORIES = 32;
constexpr int PHYSICS_MANIFOLDS = 8;
constexpr int PHYSICS_DEFAULT_ITERATIONS = 10;

// One manifold of a contact in world terms: its normal and up to two points.
struct PhysicsManifold {
    int point_count = 0;
    float normal_x = 0, normal_y = 0;
    float x[2] = {}, y[2] = {};
};

// The manifolds a pair of fixtures gathered during one frame. The fixtures only identify the pair;
// an instance whose body goes while the events run is cleared from the records that name it.
struct PhysicsContact {
    const void* fixture_a = nullptr;
    const void* fixture_b = nullptr;
    CInstance* instance_a = nullptr;
    CInstance* instance_b = nullptr;
    int count = 0;
    PhysicsManifold manifolds[PHYSICS_MANIFOLDS];
};

struct PhysicsCategory {
    int object = -1;  // -1: free
    uint32_t category = 0;
    uint32_t mask = 0;
};

class CPhysicsWorld {
public:
    CPhysicsWorld(CRoom* room, float scale, int updateSpeed);
    ~CPhysicsWorld();
    CPhysicsWorld(const CPhysicsWorld&) = delete;
    CPhysicsWorld& operator=(const CPhysicsWorld&) = delete;

    CRoom* const room;
    int update_speed;  // steps per second
    int iterations = PHYSICS_DEFAULT_ITERATIONS;
    float scale;       // world units per pixel
    bool paused = false;
    PhysicsCategory categories[PHYSICS_CATEGORIES];

    // The per-frame step (see Physics_Step).
    void Update(int roomSpeed);
    // Gravity in world units per second squared; anything but (0, 0) wakes every dynamic body.
    void SetGravity(float x, float y);
    // Draws the engine's view: 1 shapes, 2 joints, 4 centres of mass, 8 bounding boxes, 64 pairs.
    void DrawDebug(int flags);
    // The collision-category slot of an object (with the message when none is free), or -1.
    int GetCollisionCategory(int object);
    // Whether some collision event names the object, or the object has one.
    static bool HasCollisionEvents(int object);
    // Gives the instance a body (or another fixture on its body); false, with a message, when the
    // fixture cannot be bound.
    bool BindFixture(const CPhysicsFixture* fixture, CInstance* inst, const char* who);
    // Destroys a body of this world with every joint on it; contacts not yet raised forget its
    // instance.
    void DestroyBody(CPhysicsObject* object);
    // Whether self's fixtures placed at (x, y) (world units) turned by angle (radians) overlap
    // any fixture of the other's body.
    bool TestOverlap(CInstance* self, CInstance* other, float x, float y, float angle);

    // Records a contact (from the engine's callbacks, during a step).
    void AddContact(const void* fixtureA, const void* fixtureB, CInstance* instanceA, CInstance* instanceB,
                    const PhysicsManifold& manifold);
    // Queries of the contact whose collision events run now; points are numbered through the
    // manifolds in order, in pixels; normals unscaled.
    int GetCollisionPointCount(int instanceId) const;
    bool GetCollisionPoint(int instanceId, int index, float* x, float* y) const;
    bool GetCollisionNormal(int instanceId, int index, float* x, float* y) const;

    PhysicsEngine* Engine() const { return m_engine; }
    // Engine steps taken so far.
    long long StepCount() const { return m_steps; }
    // Masks grew: every fixture's filter is set again before the next step.
    void FiltersChanged() { m_filtersDirty = true; }

private:
    int AssignCategory(int carrier);
    void SyncBodiesFromInstances();
    void SyncInstancesFromBodies();
    void StepEngine(float dt);
    void PrepareStep();
    void DispatchCollisions();
    void UpdateFilters();
    const PhysicsManifold* ManifoldOfPoint(int instanceId, int index, int* point) const;

    PhysicsEngine* m_engine;
    std::vector<PhysicsContact> m_contacts;
    // The record of each fixture pair during a frame: open addressing, a slot counting only when it
    // carries the frame's mark, so that nothing is allocated or cleared per contact.
    struct PairSlot {
        const void* a;
        const void* b;
        uint32_t record;
        uint32_t mark;
    };
    std::vector<PairSlot> m_pairs;
    uint32_t m_pairMark = 1;
    // The record of the pair, or null after taking a slot for the record about to be added.
    PhysicsContact* FindPair(const void* a, const void* b);
    PairSlot* Slot(const void* a, const void* b);
    void ForgetInstance(CInstance* inst);
    const PhysicsContact* m_current = nullptr;
    bool m_filtersDirty = false;
    long long m_steps = 0;
};
