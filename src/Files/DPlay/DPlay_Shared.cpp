// The state of the multiplayer layer that needs no transport: the session-mode flag, the player
// list, the last received message, the local message queue and the shared-data slots.
#include "DPlay/DPlay.h"
#include "DPlay/DPlay_Transport.h"

#include <string>
#include <vector>

namespace {

bool SessionMode = false;
bool Guaranteed = false;

struct Player {
    int id;
    std::string name;
};
std::vector<Player> Players;

struct {
    int sender = 0;
    int id = 0;
    TaggedValue value;
} LastMessage;

std::vector<DPlay_Message> Queue;
std::vector<TaggedValue> Slots;

bool SlotIndex(int index) { return index >= 0 && index <= DPLAY_SHARED_MAX; }

void Reach(int index)
{
    if ((size_t)index >= Slots.size()) Slots.resize((size_t)index + 1);
}

}  // namespace

void DPlay_SetSessionMode(bool on) { SessionMode = on; }
bool DPlay_GetSessionMode() { return SessionMode; }

int DPlay_PlayerFind() { return (int)Players.size(); }

const char* DPlay_PlayerName(int player)
{
    return player >= 0 && player < (int)Players.size() ? Players[(size_t)player].name.c_str() : nullptr;
}

int DPlay_PlayerId(int player) { return player >= 0 && player < (int)Players.size() ? Players[(size_t)player].id : 0; }

void DPlay_AddPlayer(int id, const char* name) { Players.push_back({id, name ? name : ""}); }

int DPlay_MessageId() { return LastMessage.id; }
TaggedValue DPlay_MessageValue() { return LastMessage.value; }
int DPlay_MessagePlayer() { return LastMessage.sender; }

const char* DPlay_MessageName()
{
    for (const Player& p : Players)
        if (p.id == LastMessage.sender) return p.name.c_str();
    return "(unknown)";
}

bool DPlay_DataWrite(int index, const TaggedValue& value) { return DPlay_Shared_Write(index, value); }
bool DPlay_DataRead(int index, TaggedValue* out) { return DPlay_Shared_Read(index, out); }
void DPlay_DataMode(bool guaranteed) { Guaranteed = guaranteed; }

bool DPlay_Shared_Read(int index, TaggedValue* out)
{
    if (!SlotIndex(index)) return false;
    Reach(index);
    bool read = DPlay_Network_SharedRead(index, &Slots[(size_t)index]);
    *out = Slots[(size_t)index];
    return read;
}

bool DPlay_Shared_Write(int index, const TaggedValue& value)
{
    if (!SlotIndex(index)) return false;
    Reach(index);
    if (DPlay_Network_SharedWrite(index, value, Guaranteed) <= 0) return false;
    Slots[(size_t)index] = value;
    return true;
}

bool DPlay_Shared_Set(int index, const TaggedValue& value)
{
    if (!SlotIndex(index)) return false;
    Reach(index);
    Slots[(size_t)index] = value;
    return true;
}

int DPlay_Shared_Length() { return (int)Slots.size(); }

void DPlay_Shared_Free() { std::vector<TaggedValue>().swap(Slots); }

bool DPlay_MessageQueue_Push(const DPlay_Message& message)
{
    if (Queue.size() >= (size_t)DPLAY_QUEUE_MAX) return false;
    Queue.push_back(message);
    return true;
}

int DPlay_MessageQueue_Count() { return (int)Queue.size(); }

const DPlay_Message* DPlay_MessageQueue_Get(int index)
{
    return index >= 0 && index < (int)Queue.size() ? &Queue[(size_t)index] : nullptr;
}

void DPlay_MessageQueue_Clear() { std::vector<DPlay_Message>().swap(Queue); }

void DPlay_Reset()
{
    DPlay_MessageQueue_Clear();
    DPlay_Shared_Free();
    std::vector<Player>().swap(Players);
    SessionMode = Guaranteed = false;
}
