#include "Object/Object_Main.h"

#include "Base/Console.h"
#include "Code/Error.h"
#include "Runner/GameFile.h"

#include <cmath>
#include <map>
#include <memory>
#include <string>

namespace {
std::vector<std::unique_ptr<CObject>> Objects;
// Deleted objects stay allocated until the table is cleared: instances may still point at them.
std::vector<std::unique_ptr<CObject>> Deleted;
std::map<std::pair<int, int>, std::vector<int>> EventLists;
std::vector<std::pair<int, int>> CollisionPairs;
const std::vector<int> NoObjects;
}

CObject* Object_Find(int index)
{
    return index >= 0 && index < (int)Objects.size() ? Objects[index].get() : nullptr;
}
bool Object_Exists(int index) { return Object_Find(index) != nullptr; }
const char* Object_GetName(int index)
{
    CObject* o = Object_Find(index);
    return o ? o->name.c_str() : "<undefined>";
}
int Object_Count() { return (int)Objects.size(); }

int Object_FindByName(const char* name)
{
    for (size_t i = 0; i < Objects.size(); i++)
        if (Objects[i] && Objects[i]->name == name) return (int)i;
    return -1;
}

int Object_Add()
{
    int index = (int)Objects.size();
    auto o = std::make_unique<CObject>();
    o->name = "__newobject" + std::to_string(index);
    o->index = index;
    Objects.push_back(std::move(o));
    Object_EventsChanged();
    return index;
}

bool Object_Delete(int index)
{
    if (!Object_Exists(index)) return false;
    for (auto& o : Objects)
        if (o && o->parent == Objects[index].get()) o->parent = nullptr;
    Objects[index]->instances.Clear();
    Deleted.push_back(std::move(Objects[index]));
    Object_EventsChanged();
    return true;
}

void Object_Clear()
{
    Objects.clear();
    Deleted.clear();
    EventLists.clear();
    CollisionPairs.clear();
    Object_EventsChanged();
}

bool Object_LinkParents()
{
    Object_EventsChanged();
    for (auto& o : Objects) {
        if (!o) continue;
        o->parent = (o->parent_index >= 0 && o->parent_index <= 999999) ? Object_Find(o->parent_index) : nullptr;
    }
    // Each chain is walked once: 1 marks objects on the walk in progress, 2 those known to end.
    std::vector<char> state(Objects.size(), 0);
    for (auto& o : Objects) {
        if (!o) continue;
        std::vector<CObject*> walk;
        CObject* p = o.get();
        while (p && state[p->index] == 0) {
            state[p->index] = 1;
            walk.push_back(p);
            p = p->parent;
        }
        if (p && state[p->index] == 1) {
            Console_Warnings->Output("The parent chain of object %s loops.\n", o->name.c_str());
            return false;
        }
        for (CObject* w : walk) state[w->index] = 2;
    }
    return true;
}

bool Object_Prepare()
{
    for (auto& o : Objects) {
        if (!o) continue;
        for (auto& e : o->Events()) {
            std::string label = o->name + ", " + Event_GetName(e.first.first, e.first.second);
            if (!e.second->Compile(label.c_str())) return false;
        }
    }
    return true;
}

int Object_FindEventOwner(int index, int type, int number)
{
    const CObject* o = Object_Find(index);
    const CObject* owner = o ? o->FindEvent(type, number).object : nullptr;
    return owner ? owner->index : -1;
}

bool Object_EventUsed(int type, int number)
{
    // By type, by number: whether some object has the event of its own.
    static std::vector<char> used[EVENT_TYPE_COUNT];
    static uint64_t generation = 0;
    if (type < 0 || type >= EVENT_TYPE_COUNT || number < 0) return false;
    if (generation != Object_EventsGeneration) {
        for (std::vector<char>& row : used) row.clear();
        for (auto& o : Objects) {
            if (!o) continue;
            for (auto& e : o->Events()) {
                auto [t, n] = e.first;
                if (t < 0 || t >= EVENT_TYPE_COUNT || n < 0) continue;
                if ((size_t)n >= used[t].size()) used[t].resize((size_t)n + 1);
                used[t][(size_t)n] = 1;
            }
        }
        generation = Object_EventsGeneration;
    }
    return (size_t)number < used[type].size() && used[type][(size_t)number];
}

void Object_Lists_Build()
{
    Object_EventsChanged();
    EventLists.clear();
    CollisionPairs.clear();
    std::map<std::pair<int, int>, bool> seen;
    for (auto& o : Objects) {
        if (!o) continue;
        // The events of the object and of its ancestors, each once.
        std::map<std::pair<int, int>, bool> has;
        int guard = (int)Objects.size() + 1;
        for (CObject* p = o.get(); p && guard-- > 0; p = p->parent)
            for (auto& e : p->Events()) has[e.first] = true;
        for (auto& h : has) {
            EventLists[h.first].push_back(o->index);
            if (h.first.first != EVENT_COLLISION) continue;
            int a = o->index, b = h.first.second;
            std::pair<int, int> key{std::min(a, b), std::max(a, b)};
            if (!seen[key]) {
                seen[key] = true;
                CollisionPairs.push_back(key);
            }
        }
    }
}

const std::vector<int>& Object_EventList(int type, int number)
{
    auto it = EventLists.find({type, number});
    return it == EventLists.end() ? NoObjects : it->second;
}

const std::vector<std::pair<int, int>>& Object_CollisionPairs() { return CollisionPairs; }

// The physics block of an object record (docs/gamefile.md): a shape the engine can take, finite
// numbers.
static bool LoadPhysics(GameFileReader& r, CObject* o)
{
    auto p = std::make_unique<ObjectPhysics>();
    p->shape = r.I32();
    p->radius = r.F32();
    p->half_width = r.F32();
    p->half_height = r.F32();
    uint32_t points = r.U32();
    if (!r.ok || p->shape < ObjectPhysics::CIRCLE || p->shape > ObjectPhysics::POLYGON || points > 8 ||
        (p->shape == ObjectPhysics::POLYGON && points < 3))
        return false;
    for (uint32_t i = 0; i < points; i++) {
        float x = r.F32(), y = r.F32();
        p->points.emplace_back(x, y);
    }
    p->sensor = r.Bool();
    p->density = r.F32();
    p->restitution = r.F32();
    p->friction = r.F32();
    p->linear_damping = r.F32();
    p->angular_damping = r.F32();
    p->group = r.I32();
    p->awake = r.Bool();
    p->kinematic = r.Bool();
    float numbers[] = {p->radius, p->half_width, p->half_height, p->density, p->restitution,
                       p->friction, p->linear_damping, p->angular_damping};
    for (float v : numbers)
        if (!std::isfinite(v)) return false;
    for (const auto& [x, y] : p->points)
        if (!std::isfinite(x) || !std::isfinite(y)) return false;
    if (!r.ok) return false;
    o->physics = std::move(p);
    return true;
}

bool Object_Load(GameFileReader chunk)
{
    uint32_t count;
    if (!chunk.Count(&count, 4)) return false;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset = chunk.U32();
        if (offset == 0) { Objects.push_back(nullptr); continue; }
        GameFileReader r = chunk.At(offset);
        auto o = std::make_unique<CObject>();
        const char* name = r.Str();
        o->index = (int)i;
        o->sprite = r.I32();
        uint32_t flags = r.U32();
        o->flags = flags & 7;
        o->depth = r.I32();
        o->parent_index = r.I32();
        o->mask = r.I32();
        uint32_t events;
        if (!r.Count(&events, 12) || !name) return false;
        o->name = name;
        for (uint32_t e = 0; e < events; e++) {
            int type = r.I32(), number = r.I32();
            const char* text = r.Str();
            if (!r.ok) return false;
            if (!Event_IsValid(type, number) || (type == EVENT_COLLISION && number >= (int)count)) {
                Console_Warnings->Output("Object %s has an unknown event (%d, %d).\n", name, type, number);
                return false;
            }
            o->AddEvent(type, number, text);
        }
        if ((flags & OBJECT_HAS_PHYSICS) && !LoadPhysics(r, o.get())) {
            Console_Warnings->Output("Object %s has damaged physics properties.\n", name);
            return false;
        }
        Objects.push_back(std::move(o));
    }
    Object_EventsChanged();
    return chunk.ok;
}
