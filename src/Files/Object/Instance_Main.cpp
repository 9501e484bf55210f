// The id hash and the instances a target names.
#include "Object/Instance_Class.h"
#include "Object/Instance_Ops.h"
#include "Object/Object_Main.h"
#include "Room/Room_Main.h"

#include <map>
#include <unordered_map>

namespace {
std::unordered_map<int, CInstance*> ById;
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

void Instance_Register(CInstance* inst)
{
    ById[inst->id] = inst;
    if (Sequence.count(inst)) return;
    Sequence[inst] = NextSequence;
    Order[NextSequence++] = inst;
}

void Instance_Unregister(CInstance* inst)
{
    auto it = ById.find(inst->id);
    if (it != ById.end() && it->second == inst) ById.erase(it);
    auto seq = Sequence.find(inst);
    if (seq == Sequence.end()) return;
    Order.erase(seq->second);
    Sequence.erase(seq);
}

// Without a room (code run on its own, as by zuzrun) every registered instance takes part.
static void CollectUnplaced(int target, std::vector<CInstance*>& out)
{
    for (auto& entry : Order) {
        CInstance* inst = entry.second;
        if (!Usable(inst)) continue;
        bool of = target == -3 || inst->object_index == target ||
                  (Instance_ObjectIsDescendant && Instance_ObjectIsDescendant(inst->object_index, target));
        if (of) out.push_back(inst);
    }
}

CInstance* Instance_Find(int id)
{
    auto it = ById.find(id);
    return it == ById.end() ? nullptr : it->second;
}

void Instance_CollectTargets(int target, CInstance* self, CInstance* other, std::vector<CInstance*>& out)
{
    out.clear();
    if (target == -1) {
        if (self && !self->marked) out.push_back(self);
    } else if (target == -2) {
        if (other && !other->marked) out.push_back(other);
    } else if (!Run_Room && (target == -3 || (target >= 0 && target < INSTANCE_ID_FIRST))) {
        CollectUnplaced(target, out);
    } else if (target == -3) {
        for (CInstance* inst : Run_Room->active)
            if (Usable(inst)) out.push_back(inst);
    } else if (target >= INSTANCE_ID_FIRST) {
        CInstance* inst = Instance_Find(target);
        if (Usable(inst)) out.push_back(inst);
    } else if (CObject* o = Object_Find(target)) {
        // The object's list holds its active instances and those of its descendants.
        for (CInstance* inst : o->instances)
            if (Usable(inst)) out.push_back(inst);
    }
}
