// Built-ins of the game world: motion and planning, instances and collisions, rooms and the game.
#pragma once
#include "Code/Function.h"

// Registers the game table in its order (motion first, then instances, then rooms and the game).
void Function_Game_Init();

// The game built-ins that the actions share.
#define GAME_BUILTIN(name) void F_##name(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
GAME_BUILTIN(move_snap);
GAME_BUILTIN(place_meeting);
GAME_BUILTIN(place_snapped);
GAME_BUILTIN(path_start);
GAME_BUILTIN(path_end);
GAME_BUILTIN(instance_number);
GAME_BUILTIN(instance_change);
GAME_BUILTIN(room_goto);
GAME_BUILTIN(room_goto_previous);
GAME_BUILTIN(room_goto_next);
GAME_BUILTIN(room_restart);
GAME_BUILTIN(game_end);
GAME_BUILTIN(game_restart);
GAME_BUILTIN(sleep);
#undef GAME_BUILTIN
