// The room table, the room order and room changes.
#pragma once
#include "Object/Event_Main.h"
#include "Room/Room_Class.h"

#include <map>

struct GameFileReader;

// The room that runs now (null when none) and its index.
extern CRoom* Run_Room;
extern int Run_RoomIndex;
// The running room's speed; false when no room runs.
bool Room_RunningSpeed(int* speed);
// The running room's active instances; null when no room runs.
CInstanceList* Room_RunningActive();

extern int transition_kind;

bool Room_Exists(int index);
const char* Room_GetName(int index);  // "<undefined>" when missing
CRoom* Room_Get(int index);           // the resource room, null when missing
int Room_Count();
int Room_Add();                        // a new room named "__newroom" plus its index, last in the order
// Copies compile their code at once; code that does not compile stays uncompiled (LastErrorText
// set) and does not run.
int Room_Duplicate(int index);         // -1 when missing
bool Room_Assign(int target, int source);
void Room_Clear();

// The room order.
int Room_GetFirst();  // -1 when the order is empty
int Room_GetLast();
int Room_Previous(int index);  // -1 at the start or for a room outside the order
int Room_Next(int index);      // -1 at the end or for a room outside the order
void Room_SetOrder(const int* rooms, int count);

void Room_Goto(int index);
void Room_GotoPrevious();
void Room_GotoNext();
void Room_Restart();
void Game_End();
void Game_Restart();

// Compiles the creation code of every room and every placed instance; false (LastErrorText set)
// at the first failure.
bool Room_Prepare();
// The same for one room's code not compiled yet (after a copy or a new creation code).
bool Room_PrepareRoom(CRoom& room);
// Reads the ROOM chunk (see docs/gamefile.md); false on a damaged record.
bool Room_Load(GameFileReader chunk);
// Checks that the room order names rooms; false with a message otherwise.
bool Room_CheckOrder();

// A visited persistent room kept while the game is elsewhere, or null; Room_Keep hands one over.
CRoom* Room_TakeKept(int index);
void Room_Keep(int index, CRoom* room);
void Room_FreeKept();
// The kept rooms by index.
const std::map<int, CRoom*>& Room_Kept();
