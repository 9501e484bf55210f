// The object table, the per-event object lists and the collision pairs.
#pragma once
#include "Object/Object_Class.h"

#include <vector>

struct GameFileReader;

CObject* Object_Find(int index);  // null when missing
bool Object_Exists(int index);
const char* Object_GetName(int index);  // "<undefined>" when missing
int Object_Count();
int Object_FindByName(const char* name);  // -1 when missing
int Object_Add();                         // a new object named "__newobject" plus its index
bool Object_Delete(int index);
void Object_Clear();
// Links each object to its parent; false when a parent chain loops (with the message written).
bool Object_LinkParents();
// Compiles every event; false (LastErrorText set) at the first failure.
bool Object_Prepare();
// Rebuilds the list of objects having each event (own or inherited) and the collision pairs.
void Object_Lists_Build();
// The objects that have (type, number), own or inherited; an empty list when none.
const std::vector<int>& Object_EventList(int type, int number);
// Every unordered pair of objects (a, b) where a has a collision event with b, own or inherited.
const std::vector<std::pair<int, int>>& Object_CollisionPairs();
// The object whose event (type, number) an instance of the object runs: the object itself or the
// nearest ancestor with it; -1 when none.
int Object_FindEventOwner(int index, int type, int number);
// Whether any object has the event (type, number) of its own: when none has, no instance runs it.
bool Object_EventUsed(int type, int number);
// Reads the OBJT chunk (see docs/gamefile.md); false on a damaged record.
bool Object_Load(GameFileReader chunk);
