// Built-ins of the game world: instances, events, rooms and the game.
#pragma once

void Function_Game_Init();
