// The id hash and the instances a target names.
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"

#include <map>
#include <unordered_map>
#include <vector>

namespace {
// Instances by id: open addressing over a power-of-two table at most half full, an id's home
// slot its low bits (ids count up, so the instances alive fill neighbouring slots without
// collisions, and no division finds them); a removal moves later entries of the run back.
class IdTable {
public:
    CInstance* Find(int id) const
    {
        if (m_slots.empty()) return nullptr;
        size_t mask = m_slots.size() - 1;
        for (size_t i = Home(id, mask);; i = (i + 1) & mask) {
            const Slot& s = m_slots[i];
            if (!s.inst || s.id == id) return s.inst;
        }
    }

    void Set(int id, CInstance* inst)
    {
        if (2 * (m_count + 1) > m_slots.size()) Grow();
        size_t mask = m_slots.size() - 1;
        size_t i = Home(id, mask);
        while (m_slots[i].inst && m_slots[i].id != id) i = (i + 1) & mask;
        if (!m_slots[i].inst) m_count++;
        m_slots[i] = Slot{id, inst};
    }

    // Removes id when inst is what it finds.
    void Remove(int id, const CInstance* inst)
    {
        if (m_slots.empty()) return;
        size_t mask = m_slots.size() - 1;
        size_t i = Home(id, mask);
        while (m_slots[i].inst && m_slots[i].id != id) i = (i + 1) & mask;
        if (m_slots[i].inst != inst || !inst) return;
        m_count--;
        // Entries after the gap whose home is not between the gap and them move into it.
        for (size_t j = (i + 1) & mask; m_slots[j].inst; j = (j + 1) & mask) {
            size_t home = Home(m_slots[j].id, mask);
            if (((j - home) & mask) >= ((j - i) & mask)) {
                m_slots[i] = m_slots[j];
                i = j;
            }
        }
        m_slots[i] = Slot{};
    }

private:
    struct Slot {
        int id = 0;
        CInstance* inst = nullptr;
    };
    static size_t Home(int id, size_t mask) { return (size_t)(uint32_t)id & mask; }
    void Grow()
    {
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.assign(old.empty() ? 64 : 2 * old.size(), Slot{});
        m_count = 0;
        for (const Slot& s : old)
            if (s.inst) Set(s.id, s.inst);
    }
    std::vector<Slot> m_slots;
    size_t m_count = 0;
};

IdTable ById;
// Registration order, walked when no room runs: a sequence number per instance.
std::map<uint64_t, CInstance*> Order;
std::unordered_map<CInstance*, uint64_t> Sequence;
uint64_t NextSequence = 0;

bool ObjectIsDescendant(int object, int ancestor)
{
    if (object == ancestor) return true;
    CObject* o = Object_Find(object);
    return o && o->IsDescendant(ancestor);
}

bool Usable(const CInstance* inst) { return inst && !inst->marked && !inst->deactivated; }
}  // namespace

bool (*Instance_ObjectIsDescendant)(int object, int ancestor) = ObjectIsDescendant;
CInstanceList* (*Instance_RoomActive)() = nullptr;

void Instance_Register(CInstance* inst)
{
    ById.Set(inst->id, inst);
    if (Sequence.count(inst)) return;
    Sequence[inst] = NextSequence;
    Order[NextSequence++] = inst;
}

void Instance_Unregister(CInstance* inst)
{
    ById.Remove(inst->id, inst);
    auto seq = Sequence.find(inst);
    if (seq == Sequence.end()) return;
    Order.erase(seq->second);
    Sequence.erase(seq);
}

CInstance* Instance_Find(int id)
{
    return ById.Find(id);
}

CInstance* Instance_FindUsable(int id, CVariableList** variables)
{
    CInstance* inst = ById.Find(id);
    if (!Usable(inst)) return nullptr;
    *variables = inst->variables;
    return inst;
}

namespace {

// Calls visit for each instance a target names, in order, until it returns false. Without a
// room (code run on its own, as by zuzrun) every registered instance takes part.
template <class Visit>
void VisitTargets(int target, CInstance* self, CInstance* other, Visit visit)
{
    auto each = [&](const auto& list) {
        for (CInstance* inst : list)
            if (Usable(inst) && !visit(inst)) return;
    };
    if (target == -1) {
        if (self && !self->marked) visit(self);
    } else if (target == -2) {
        if (other && !other->marked) visit(other);
    } else if (target >= INSTANCE_ID_FIRST) {
        CInstance* inst = Instance_Find(target);
        if (Usable(inst)) visit(inst);
    } else if (target == -3 || target >= 0) {
        CInstanceList* active = Instance_RunningRoomActive();
        if (!active) {
            for (auto& entry : Order) {
                CInstance* inst = entry.second;
                bool of = target == -3 || inst->object_index == target ||
                          (Instance_ObjectIsDescendant && Instance_ObjectIsDescendant(inst->object_index, target));
                if (of && Usable(inst) && !visit(inst)) return;
            }
        } else if (target == -3) {
            each(*active);
        } else if (CObject* o = Object_Find(target)) {
            // The object's list holds its active instances and those of its descendants.
            each(o->instances);
        }
    }
}

}  // namespace

void Instance_CollectTargets(int target, CInstance* self, CInstance* other, std::vector<CInstance*>& out)
{
    out.clear();
    VisitTargets(target, self, other, [&](CInstance* inst) {
        out.push_back(inst);
        return true;
    });
}

void Instance_CollectTargetIds(int target, CInstance* self, CInstance* other, std::vector<int>& out)
{
    out.clear();
    VisitTargets(target, self, other, [&](CInstance* inst) {
        out.push_back(inst->id);
        return true;
    });
}

CInstance* Instance_FirstTarget(int target, CInstance* self, CInstance* other)
{
    CInstance* first = nullptr;
    VisitTargets(target, self, other, [&](CInstance* inst) {
        first = inst;
        return false;
    });
    return first;
}
