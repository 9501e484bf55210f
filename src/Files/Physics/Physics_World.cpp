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
    std::vector<CInstance*> list = room->active.Snapshot();
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
        PhysicsContact& record = m_contacts.back();
        CInstance* a = record.instance_a;
        CInstance* b = record.instance_b;
        if (a && b && Event_Takes(a) && Event_Takes(b) && !Room_ChangePending()) {
            m_current = &record;
            Event_Perform_Instance(a, b, EVENT_COLLISION, b->object_index);
            if (Event_Takes(a) && Event_Takes(b)) Event_Perform_Instance(b, a, EVENT_COLLISION, a->object_index);
            m_current = nullptr;
        }
        m_contacts.pop_back();
    }
    if (++m_pairMark == 0) {  // the marks went round: every slot is free again
        for (PairSlot& s : m_pairs) s.mark = 0;
        m_pairMark = 1;
    }
}

void CPhysicsWorld::ForgetInstance(CInstance* inst)
{
    for (PhysicsContact& c : m_contacts) {
        if (c.instance_a == inst) c.instance_a = nullptr;
        if (c.instance_b == inst) c.instance_b = nullptr;
    }
}

PhysicsContact* CPhysicsWorld::FindPair(const void* a, const void* b)
{
    if (a > b) std::swap(a, b);
    // At most half full: grow (and move this frame's pairs) first.
    if (m_pairs.size() < 2 * (m_contacts.size() + 1)) {
        size_t size = 64;
        while (size < 4 * (m_contacts.size() + 1)) size *= 2;
        std::vector<PairSlot> old(size, PairSlot{nullptr, nullptr, 0, 0});
        old.swap(m_pairs);
        uint32_t mark = m_pairMark;
        m_pairMark = 1;
        for (const PairSlot& s : old)
            if (s.mark == mark) *Slot(s.a, s.b) = {s.a, s.b, s.record, m_pairMark};
    }
    PairSlot* slot = Slot(a, b);
    if (slot->mark == m_pairMark) return &m_contacts[slot->record];
    *slot = {a, b, (uint32_t)m_contacts.size(), m_pairMark};
    return nullptr;
}

// The slot of a pair: its own, or the free one where it would go.
CPhysicsWorld::PairSlot* CPhysicsWorld::Slot(const void* a, const void* b)
{
    size_t mask = m_pairs.size() - 1;
    size_t i = (std::hash<const void*>()(a) * 31 + std::hash<const void*>()(b)) * 0x9E3779B97F4A7C15ull >> 7 & mask;
    while (m_pairs[i].mark == m_pairMark && (m_pairs[i].a != a || m_pairs[i].b != b)) i = (i + 1) & mask;
    return &m_pairs[i];
}

void CPhysicsWorld::AddContact(const void* fixtureA, const void* fixtureB, CInstance* instanceA, CInstance* instanceB,
                               const PhysicsManifold& manifold)
{
    if (PhysicsContact* found = FindPair(fixtureA, fixtureB)) {
        PhysicsContact& record = *found;
        if (record.count >= PHYSICS_MANIFOLDS) {
            Console_Warnings->Output("WARNING: Too many manifolds in collision\n");
            return;
        }
        record.manifolds[record.count++] = manifold;
        return;
    }
    PhysicsContact& record = m_contacts.emplace_back();
    record.fixture_a = fixtureA;
    record.fixture_b = fixtureB;
    record.instance_a = instanceA;
    record.instance_b = instanceB;
    record.count = 1;
    record.manifolds[0] = manifold;
}

namespace {
bool Names(const PhysicsContact* c, int instanceId)
{
    return (c->instance_a && c->instance_a->id == instanceId) || (c->instance_b && c->instance_b->id == instanceId);
}
}  // namespace

int CPhysicsWorld::GetCollisionPointCount(int instanceId) const
{
    const PhysicsContact* c = m_current;
    if (!c || !Names(c, instanceId)) return 0;
    int total = 0;
    for (int m = 0; m < c->count; m++) total += c->manifolds[m].point_count;
    return total;
}

// The manifold holding point `index` of the current contact, and the point's place in it.
const PhysicsManifold* CPhysicsWorld::ManifoldOfPoint(int instanceId, int index, int* point) const
{
    const PhysicsContact* c = m_current;
    if (!c || !Names(c, instanceId) || index < 0) return nullptr;
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

bool CPhysicsWorld::HasCollisionEvents(int object)
{
    return !Partners(object).empty();
}

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
