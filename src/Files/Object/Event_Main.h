// Running events: one object's event for an instance, an event for every instance, and the stamp
// that keeps instances made during a pass out of that pass.
#pragma once
#include "Code/Error.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"

#include <cstdint>

// Advanced by one per event pass; an instance made or changed during a pass carries the stamp of
// that pass and the pass skips it.
extern int64_t EventStamp;
// The type, number and object (whose code runs) of the event running now; -1 when none.
extern int event_type, event_number, event_object;

// The pending room change: -1 none, a room index, or one of these codes.
constexpr int ROOM_CHANGE_NONE = -1;
constexpr int ROOM_CHANGE_END = -100;
constexpr int ROOM_CHANGE_RESTART = -200;
constexpr int ROOM_CHANGE_LOAD = -300;
constexpr int ROOM_CHANGE_ERROR_END = -400;
extern int Room_NewRoom;
// True while the room end (and game end) events run: a change they ask for is not carried out,
// so it does not cut those events short either.
extern bool Room_Ending;
// True when a room change waits for the end of the frame (events and passes then stop), or a
// fatal error is ending the game. Asked for each instance of each pass, hence inline.
inline bool Room_ChangePending() { return Error_FatalPending || (Room_NewRoom != ROOM_CHANGE_NONE && !Room_Ending); }

// Runs the event (type, number) of the object objectIndex, found along its parent chain, for self
// with other. Nothing while a room change is pending. Returns false when no object of the chain
// has the event.
bool Event_Perform(CInstance* self, CInstance* other, int objectIndex, int type, int number);
// Whether the instance's object (or an ancestor) has the event: the passes ask it before
// anything else, since most instances have few events.
bool Event_Has(const CInstance* inst, int type, int number);
// The event (type, number) that instances run, for a pass over instances: looked up again only
// when the object differs from the last instance's or the objects' events changed, since the
// instances of one object mostly come in runs.
class CEventLookup {
public:
    CEventLookup(int type, int number) : m_type(type), m_number(number) {}
    const EventOwner& For(const CInstance* inst)
    {
        if (inst->object_index != m_object || m_generation != Object_EventsGeneration) Find(inst->object_index);
        return m_owner;
    }

private:
    int m_type, m_number;
    int m_object = -1;
    uint64_t m_generation = 0;  // never current: the first instance looks its event up
    EventOwner m_owner;
    void Find(int object);
};
// The event of the instance's own object (with parents); nothing for a null instance.
bool Event_Perform_Instance(CInstance* inst, CInstance* other, int type, int number);
// The event for every live active instance of the current room (self = other), as one pass.
void Event_Perform_All(int type, int number);
// The other event of that number for every live instance of each object that has it.
void Event_Other_PerformAll(int number);
// The event (type, number) for every live instance of each object that has it, as one pass.
void Event_PerformForObjects(int type, int number);
// Runs the event that the running one overrides: the same event of the parent of event_object.
bool Event_Inherited(CInstance* self, CInstance* other);
// Starts a pass: advances EventStamp and returns it.
int64_t Event_BeginPass();
// Whether an instance still takes events: neither destroyed nor deactivated (say, by an earlier
// event of the same pass).
inline bool Event_Takes(const CInstance* inst) { return !inst->marked && !inst->deactivated; }
// Whether an instance takes part in a pass with the given stamp.
inline bool Event_InPass(const CInstance* inst, int64_t stamp)
{
    return Event_Takes(inst) && inst->creation_stamp < stamp;
}
