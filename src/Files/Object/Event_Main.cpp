#include "Object/Event_Main.h"

#include "Code/Code_Class.h"
#include "Code/Error.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Room/Room_Main.h"
#include "Variable/Variable_Main.h"

#include <vector>

int64_t EventStamp = 0;
int event_type = -1, event_number = -1, event_object = -1;

static bool RunEvent(CInstance* self, CInstance* other, EventOwner owner, int type, int number)
{
    const CObject* o = owner.object;
    CEvent* e = owner.event;
    if (!e || !e->GetCode()) return false;
    int savedType = event_type, savedNumber = event_number, savedObject = event_object;
    ErrorContext savedContext = Error_Context;
    event_type = type;
    event_number = number;
    event_object = o->index;
    Error_Context = ErrorContext();
    Error_Context.objectName = o->name.c_str();
    Error_Context.eventName = Event_GetName(type, number);
    TaggedValue result;
    {
        RelativeFlagScope relative;
        Code_Execute_ShowError(self, other, e->GetCode(), &result);
    }
    Error_Context = savedContext;
    event_type = savedType;
    event_number = savedNumber;
    event_object = savedObject;
    return true;
}

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

int64_t Event_BeginPass() { return ++EventStamp; }

void Event_Perform_All(int type, int number)
{
    CRoom* room = Run_Room;
    if (!room || Room_ChangePending()) return;
    int64_t stamp = Event_BeginPass();
    if (!Object_EventUsed(type, number)) return;
    std::vector<CInstance*> list = room->active;
    for (CInstance* inst : list) {
        if (Room_ChangePending()) break;
        if (Event_InPass(inst, stamp)) Event_Perform(inst, inst, inst->object_index, type, number);
    }
}

void Event_Other_PerformAll(int number) { Event_PerformForObjects(EVENT_OTHER, number); }

void Event_PerformForObjects(int type, int number)
{
    if (!Run_Room || Room_ChangePending()) return;
    int64_t stamp = Event_BeginPass();
    std::vector<int> objects = Object_EventList(type, number);
    for (int index : objects) {
        CObject* o = Object_Find(index);
        if (!o) continue;
        std::vector<CInstance*> list = o->instances;
        for (CInstance* inst : list) {
            if (Room_ChangePending()) return;
            if (inst->object_index == index && Event_InPass(inst, stamp))
                Event_Perform(inst, inst, index, type, number);
        }
    }
}
