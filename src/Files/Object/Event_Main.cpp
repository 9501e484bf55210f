#include "Object/Event_Main.h"

#include "Code/Code_Class.h"
#include "Code/Error.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Variable/Variable_Main.h"

#include <vector>

int64_t EventStamp = 0;
int event_type = -1, event_number = -1, event_object = -1;
int Room_NewRoom = ROOM_CHANGE_NONE;
bool Room_Ending = false;

namespace {

// The state code of an event runs in (the event, the context an error report names, the relative
// flag): set for an event, restored when it ends. A pass over instances sets it once and keeps it
// from one instance to the next; only the object changes.
struct EventScope {
    int savedType = event_type, savedNumber = event_number, savedObject = event_object;
    ErrorContext savedContext = Error_Context;
    RelativeFlagScope relative;
    ErrorContext context;  // what each run of the event starts from
    EventScope(int type, int number)
    {
        event_type = type;
        event_number = number;
        context.eventName = Event_GetName(type, number);
    }
    ~EventScope()
    {
        Error_Context = savedContext;
        event_type = savedType;
        event_number = savedNumber;
        event_object = savedObject;
    }
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;

    // Runs the event's code on self for object o; an error is reported with o's name.
    void Run(CInstance* self, CInstance* other, const CObject* o, CCode* code) const
    {
        event_object = o->index;
        Error_Context = context;
        Error_Context.objectName = o->name.c_str();
        Argument_Relative = 0;
        Code_Execute_ShowError(self, other, code, nullptr);
    }
};

bool RunEvent(CInstance* self, CInstance* other, EventOwner owner, int type, int number)
{
    CEvent* e = owner.event;
    if (!e || !e->GetCode()) return false;
    EventScope scope(type, number);
    scope.Run(self, other, owner.object, e->GetCode());
    return true;
}

}  // namespace

bool Event_Perform(CInstance* self, CInstance* other, int objectIndex, int type, int number)
{
    if (Room_ChangePending()) return false;
    const CObject* o = Object_Find(objectIndex);
    return o && RunEvent(self, other, o->FindEvent(type, number), type, number);
}

bool Event_Has(const CInstance* inst, int type, int number)
{
    const CObject* o = Object_Find(inst->object_index);
    return o && o->FindEvent(type, number).event;
}

bool Event_Perform_Instance(CInstance* inst, CInstance* other, int type, int number)
{
    if (!inst) return false;
    return Event_Perform(inst, other, inst->object_index, type, number);
}

bool Event_Inherited(CInstance* self, CInstance* other)
{
    CObject* o = Object_Find(event_object);
    if (!o || !o->parent || Room_ChangePending()) return false;
    return RunEvent(self, other, o->parent->FindEvent(event_type, event_number), event_type, event_number);
}

void CEventLookup::Find(int object)
{
    m_object = object;
    m_generation = Object_EventsGeneration;
    const CObject* o = Object_Find(object);
    m_owner = o ? o->FindEvent(m_type, m_number) : EventOwner{};
}

int64_t Event_BeginPass() { return ++EventStamp; }

void Event_Perform_All(int type, int number)
{
    CInstanceList* active = Instance_RunningRoomActive();
    if (!active || Room_ChangePending()) return;
    int64_t stamp = Event_BeginPass();
    if (!Object_EventUsed(type, number)) return;
    std::vector<CInstance*> list = active->Snapshot();
    EventScope scope(type, number);
    CEventLookup lookup(type, number);
    CInstance* const* items = list.data();
    for (size_t i = 0, count = list.size(); i < count; i++) {
        Instance_Prefetch(items, count, i);
        CInstance* inst = items[i];
        if (Room_ChangePending()) break;
        if (!Event_InPass(inst, stamp)) continue;
        const EventOwner& owner = lookup.For(inst);
        if (owner.event && owner.event->GetCode()) scope.Run(inst, inst, owner.object, owner.event->GetCode());
    }
}

void Event_Other_PerformAll(int number) { Event_PerformForObjects(EVENT_OTHER, number); }

void Event_PerformForObjects(int type, int number)
{
    if (!Instance_RunningRoomActive() || Room_ChangePending()) return;
    int64_t stamp = Event_BeginPass();
    std::vector<int> objects = Object_EventList(type, number);
    for (int index : objects) {
        CObject* o = Object_Find(index);
        if (!o) continue;
        std::vector<CInstance*> list = o->instances.Snapshot();
        for (CInstance* inst : list) {
            if (Room_ChangePending()) return;
            if (inst->object_index == index && Event_InPass(inst, stamp))
                Event_Perform(inst, inst, index, type, number);
        }
    }
}
