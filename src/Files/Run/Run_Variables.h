// The built-in variables of instances (x, speed, alarm...) and of the game (room, score, view_*...).
#pragma once

// Registers these and those of the program (the families add theirs after them).
void Run_Variables_Init();
// Those of the player's input, the clock, the game and its folders, and errors
// (Run_Variables_Program.cpp); Run_Variables_Init calls it.
void Run_Variables_Program_Init();
