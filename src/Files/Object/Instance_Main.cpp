#include "Object/Instance_Class.h"

#include <algorithm>
#include <unordered_map>

bool (*Instance_ObjectIsDescendant)(int object, int ancestor) = nullptr;

namespace {
std::unordered_map<int, CInstance*> g_byId;
std::vector<CInstance*> g_order;  // creation order

bool Usable(CInstance* inst) { return inst && !inst->marked && !inst->deactivated; }

bool OfObject(const CInstance* inst, int object)
{
    if (inst->object_index == object) return true;
    return Instance_ObjectIsDescendant && Instance_ObjectIsDescendant(inst->object_index, object);
}
}  // namespace

void Instance_Register(CInstance* inst)
{
    g_byId[inst->id] = inst;
    g_order.push_back(inst);
}

void Instance_Unregister(CInstance* inst)
{
    auto it = g_byId.find(inst->id);
    if (it != g_byId.end() && it->second == inst) g_byId.erase(it);
    auto pos = std::find(g_order.begin(), g_order.end(), inst);
    if (pos != g_order.end()) g_order.erase(pos);
}

CInstance* Instance_Find(int id)
{
    auto it = g_byId.find(id);
    return it == g_byId.end() ? nullptr : it->second;
}

void Instance_CollectTargets(int target, CInstance* self, CInstance* other, std::vector<CInstance*>& out)
{
    out.clear();
    if (target == -1) {
        if (self && !self->marked) out.push_back(self);
    } else if (target == -2) {
        if (other && !other->marked) out.push_back(other);
    } else if (target == -3) {
        for (CInstance* inst : g_order)
            if (Usable(inst)) out.push_back(inst);
    } else if (target >= INSTANCE_ID_FIRST) {
        CInstance* inst = Instance_Find(target);
        if (Usable(inst)) out.push_back(inst);
    } else if (target >= 0) {
        for (CInstance* inst : g_order)
            if (Usable(inst) && OfObject(inst, target)) out.push_back(inst);
    }
}
