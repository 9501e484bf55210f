// The parts of the world that do not touch the engine: the frame's step order, collision
// categories, the contact buffer and the collision events it raises.
#include "Physics/Physics_World.h"
#include "Physics/Physics_Object.h"

#include "Base/Console.h"
#include "Code/Error.h"
#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"
#include "Object/Object_Main.h"
#include "Room/Room_Main.h"

#include <algorithm>
#include <string>

void CPhysicsWorld::Update(int roomSpeed)
{
    if (roomSpeed < 1) return;
    SyncBodiesFromInstances();
    if (paused) return;
    PrepareStep();
    float steps = update_speed >= 1 ? (float)update_speed / (float)roomSpeed : 0.0f;
    float dt = update_speed >= 1 ? 1.0f / (float)update_speed : 0.0f;
    for (; steps > 0.0f; steps -= 1.0f) StepEngine(steps > 1.0f ? dt : steps * dt);
    SyncInstancesFromBodies();
    DispatchCollisions();
}

// Instances on paths advance; bodies that the solver does not move follow them.
void CPhysicsWorld::SyncBodiesFromInstances()
{
    std::vector<CInstance*> list = room->active;
    for (CInstance* inst : list) {
        if (inst->path_index < 0 || !Event_Takes(inst) || Room_ChangePending()) continue;
        if (inst->AdvancePath()) Event_Perform_Instance(inst, inst, EVENT_OTHER, OTHER_END_OF_PATH);
        CPhysicsObject* body = inst->physics;
        if (body && body->world == this && !body->Dynamic())
            body->SetPosition(inst->x * scale, inst->y * scale, "path");
    }
}

void CPhysicsWorld::DispatchCollisions()
{
    while (!m_contacts.empty()) {
        PhysicsContact record = m_contacts.back();
        m_contacts.pop_back();
        // An earlier event may have destroyed either instance (and its body).
        CInstance* a = Instance_Find(record.instance_a);
        CInstance* b = Instance_Find(record.instance_b);
        if (!a || !b || !Event_Takes(a) || !Event_Takes(b) || Room_ChangePending()) continue;
        m_current = &record;
        Event_Perform_Instance(a, b, EVENT_COLLISION, b->object_index);
        if (Event_Takes(a) && Event_Takes(b)) Event_Perform_Instance(b, a, EVENT_COLLISION, a->object_index);
        m_current = nullptr;
    }
    m_contacts.clear();
    m_contactIndex.clear();
}

void CPhysicsWorld::AddContact(const void* fixtureA, const void* fixtureB, int instanceA, int instanceB,
                               const PhysicsManifold& manifold)
{
    auto key = fixtureA < fixtureB ? std::make_pair(fixtureA, fixtureB) : std::make_pair(fixtureB, fixtureA);
    auto found = m_contactIndex.find(key);
    if (found != m_contactIndex.end()) {
        PhysicsContact& record = m_contacts[found->second];
        if (record.count >= PHYSICS_MANIFOLDS) {
            Console_Warnings->Output("WARNING: Too many manifolds in collision\n");
            return;
        }
        record.manifolds[record.count++] = manifold;
        return;
    }
    m_contactIndex.emplace(key, m_contacts.size());
    PhysicsContact& record = m_contacts.emplace_back();
    record.fixture_a = fixtureA;
    record.fixture_b = fixtureB;
    record.instance_a = instanceA;
    record.instance_b = instanceB;
    record.count = 1;
    record.manifolds[0] = manifold;
}

int CPhysicsWorld::GetCollisionPointCount(int instanceId) const
{
    const PhysicsContact* c = m_current;
    if (!c || (c->instance_a != instanceId && c->instance_b != instanceId)) return 0;
    int total = 0;
    for (int m = 0; m < c->count; m++) total += c->manifolds[m].point_count;
    return total;
}

// The manifold holding point `index` of the current contact, and the point's place in it.
const PhysicsManifold* CPhysicsWorld::ManifoldOfPoint(int instanceId, int index, int* point) const
{
    const PhysicsContact* c = m_current;
    if (!c || (c->instance_a != instanceId && c->instance_b != instanceId) || index < 0) return nullptr;
    for (int m = 0; m < c->count; m++) {
        const PhysicsManifold& manifold = c->manifolds[m];
        if (index < manifold.point_count) {
            *point = index;
            return &manifold;
        }
        index -= manifold.point_count;
    }
    return nullptr;
}

bool CPhysicsWorld::GetCollisionPoint(int instanceId, int index, float* x, float* y) const
{
    int n;
    const PhysicsManifold* m = ManifoldOfPoint(instanceId, index, &n);
    if (!m) return false;
    *x = m->x[n] / scale;
    *y = m->y[n] / scale;
    return true;
}

bool CPhysicsWorld::GetCollisionNormal(int instanceId, int index, float* x, float* y) const
{
    int n;
    const PhysicsManifold* m = ManifoldOfPoint(instanceId, index, &n);
    if (!m) return false;
    *x = m->normal_x;
    *y = m->normal_y;
    return true;
}

namespace {

// The objects that have a collision event with the object, or that it has one with.
std::vector<int> Partners(int object)
{
    std::vector<int> out;
    for (const auto& [a, b] : Object_CollisionPairs()) {
        int partner = a == object ? b : b == object ? a : -1;
        if (partner >= 0 && std::find(out.begin(), out.end(), partner) == out.end()) out.push_back(partner);
    }
    return out;
}

}  // namespace

int CPhysicsWorld::GetCollisionCategory(int object)
{
    std::vector<int> partners = Partners(object);
    if (partners.empty()) return -1;
    // Children that inherit all their collision events share their parent's category.
    int carrier = object;
    CObject* o = Object_Find(object);
    for (int guard = 0; o && o->parent && guard < Object_Count(); guard++) {
        if (Partners(o->parent->index).size() != partners.size()) break;
        o = o->parent;
        carrier = o->index;
    }
    int slot = AssignCategory(carrier);
    if (slot < 0) return -1;
    for (int partner : partners)
        for (PhysicsCategory& other : categories)
            if (other.object == partner) {
                uint32_t mask = categories[slot].mask | other.category, otherMask = other.mask | categories[slot].category;
                if (mask != categories[slot].mask || otherMask != other.mask) m_filtersDirty = true;
                categories[slot].mask = mask;
                other.mask = otherMask;
            }
    return slot;
}

int CPhysicsWorld::AssignCategory(int carrier)
{
    int free = -1;
    for (int s = 0; s < PHYSICS_CATEGORIES; s++) {
        if (categories[s].object == carrier) return s;
        if (categories[s].object < 0 && free < 0) free = s;
    }
    if (free < 0) {
        std::string text = std::string("Unable to assign a collision category for object ") + Object_GetName(carrier) +
                           ".\nConsider using parenting to reduce collision overheads where possible.";
        Error_Show_Action(text.c_str(), false);
        return -1;
    }
    categories[free] = {carrier, 1u << free, 0};
    return free;
}
