// The built-in variables of instances (x, speed, alarm...) and of the game (room, score, view_*...).
#pragma once

void Run_Variables_Init();
