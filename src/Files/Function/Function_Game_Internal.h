// What the files of the game built-ins share: their registrars, in the order of the game table,
// and the helpers for targets and results.
#pragma once
#include "Object/Instance_Class.h"
#include "Variable/Value.h"

#include <vector>

// Motion, paths, planners and grids; then the instance and collision queries; then rooms and the
// game.
void Function_Game_Motion_Add();
void Function_Game_Instance_Add();
void Function_Game_Room_Add();

// The instance id that a target of -1 (self) or -2 (other) stands for, where a handler allows
// them and the instance is given; any other target unchanged.
inline int Function_Game_SelfOrOther(int target, CInstance* self, CInstance* other)
{
    if (target == -1 && self) return self->id;
    if (target == -2 && other) return other->id;
    return target;
}

// The live instances (not marked destroyed) that a target names, in list order: -3 the room's
// active list, 100000 and above that instance (also a deactivated one), another index the
// object's list of it and its descendants; -1, -2 and other values name none.
std::vector<CInstance*> Function_Game_Targets(int target);

// Moves self to a random free place in the room (its box inside it, on the snap grid), trying at
// most that many places; it stays where it is when none is free.
void Function_Game_MoveRandom(CInstance* self, int hsnap, int vsnap, int attempts);

// An instance result: its id, or -4 (noone) for none.
inline void Function_Game_SetInstance(TaggedValue* result, const CInstance* inst)
{
    result->SetReal(inst ? inst->id : -4);
}
