// The multiplayer layer behind the mplay built-ins. This platform has no network transport: every
// operation that would talk to other players answers "nothing" (false, 0, no name), and the state
// the getters read stays as it was at start. What the layer still keeps: the last received message,
// the player list, a local queue of received messages and the shared-data slots.
#pragma once
#include "Variable/Value.h"

#include <cstdint>

// Start-up of a connection of each kind; false here.
bool DPlay_InitIPX();
bool DPlay_InitTCPIP(const char* address);
int DPlay_InitModem(const char* initialisation, const char* phoneNumber);
bool DPlay_InitSerial(int port, int baudRate, int stopBits, int parity, int flowControl);
void DPlay_End();
// The connection and session states that mplay_connect_status and mplay_session_status read.
int DPlay_ConnectStatus();
int DPlay_SessionStatus();

// Sessions: the mode flag is stored; creating, finding and joining find no one.
void DPlay_SetSessionMode(bool on);
bool DPlay_GetSessionMode();
bool DPlay_SessionCreate(const char* sessionName, int maxPlayers, const char* playerName);
int DPlay_SessionFind();
const char* DPlay_SessionName(int session);  // null: no such session
bool DPlay_SessionJoin(int session, const char* playerName);
void DPlay_SessionEnd();

// Players: the list of the session's players, empty here.
int DPlay_PlayerFind();
const char* DPlay_PlayerName(int player);  // null: no such player
int DPlay_PlayerId(int player);
// Appends a player (a copy of the name; null counts as ""). Only a transport adds players.
void DPlay_AddPlayer(int id, const char* name);

// Shared data between the players, kept in local slots 0..DPLAY_SHARED_MAX.
constexpr int DPLAY_SHARED_MAX = 1000000;
bool DPlay_DataWrite(int index, const TaggedValue& value);
// Copies the slot into *out (which keeps its value for an index outside the slots); the answer
// of the network read, false here.
bool DPlay_DataRead(int index, TaggedValue* out);
void DPlay_DataMode(bool guaranteed);
// The slots themselves. An index outside 0..DPLAY_SHARED_MAX answers false and touches nothing;
// a read or write inside makes the slots reach it (new slots hold the real 0). A write changes the
// slot only when the network took the value (never here); Set stores it whatever happens.
bool DPlay_Shared_Read(int index, TaggedValue* out);
bool DPlay_Shared_Write(int index, const TaggedValue& value);
bool DPlay_Shared_Set(int index, const TaggedValue& value);
int DPlay_Shared_Length();
void DPlay_Shared_Free();

// Messages. A player is named by its id or by its name.
bool DPlay_MessageSendToId(int player, int id, const TaggedValue& value);
bool DPlay_MessageSendToName(const char* player, int id, const TaggedValue& value);
bool DPlay_MessageSendGuaranteedToId(int player, int id, const TaggedValue& value);
bool DPlay_MessageSendGuaranteedToName(const char* player, int id, const TaggedValue& value);
bool DPlay_MessageReceiveFromId(int player);
bool DPlay_MessageReceiveFromName(const char* player);
// The last received message: its id, a copy of its value, its sender and the sender's listed
// name ("(unknown)" when the sender is not on the player list).
int DPlay_MessageId();
TaggedValue DPlay_MessageValue();
int DPlay_MessagePlayer();
const char* DPlay_MessageName();
int DPlay_MessageCount(int player);
void DPlay_MessageClear(int player);
// This machine's address as the transport sees it; null here.
const char* DPlay_IpAddress();

// The local queue of received messages: at most DPLAY_QUEUE_MAX; further ones are dropped.
constexpr int DPLAY_QUEUE_MAX = 4000;
struct DPlay_Message {
    int32_t from = 0;
    int32_t to = 0;
    int32_t id = 0;
    int32_t flags = 0;
    TaggedValue value;
};
bool DPlay_MessageQueue_Push(const DPlay_Message& message);
int DPlay_MessageQueue_Count();
const DPlay_Message* DPlay_MessageQueue_Get(int index);  // null outside the queue
void DPlay_MessageQueue_Clear();

// Empties the message queue, the shared slots and the player list, and clears the session mode.
void DPlay_Reset();
