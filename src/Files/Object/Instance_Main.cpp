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

CInstance* Instance_Find(int id)
{
    auto it = ById.find(id);
    return it == ById.end() ? nullptr : it->second;
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
    } else if (!Run_Room && (target == -3 || (target >= 0 && target < INSTANCE_ID_FIRST))) {
        for (auto& entry : Order) {
            CInstance* inst = entry.second;
            bool of = target == -3 || inst->object_index == target ||
                      (Instance_ObjectIsDescendant && Instance_ObjectIsDescendant(inst->object_index, target));
            if (of && Usable(inst) && !visit(inst)) return;
        }
    } else if (target == -3) {
        each(Run_Room->active);
    } else if (target >= INSTANCE_ID_FIRST) {
        CInstance* inst = Instance_Find(target);
        if (Usable(inst)) visit(inst);
    } else if (CObject* o = Object_Find(target)) {
        // The object's list holds its active instances and those of its descendants.
        each(o->instances);
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

CInstance* Instance_FirstTarget(int target, CInstance* self, CInstance* other)
{
    CInstance* first = nullptr;
    VisitTargets(target, self, other, [&](CInstance* inst) {
        first = inst;
        return false;
    });
    return first;
}
