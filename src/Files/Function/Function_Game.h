// Built-ins of the game world: motion and planning, instances and collisions, rooms and the game.
#pragma once

// Registers the game table in its order (motion first, then instances, then rooms and the game).
void Function_Game_Init();
