// Room transitions: a room change never plays one here, but games read and write the settings.
#pragma once

// Values below 1 store 1; 80 at start-up.
void GR_Transition_Set_Steps(int steps);
int GR_Transition_Get_Steps();
// True for the built-in kinds 1 to 21; any other kind writes a console line and gives false.
bool GR_Transition_Exists(int kind);
// Registers the function of that name for a kind 1..999999; returns whether the name names a
// function (also when the kind is out of range and nothing was stored).
bool GR_Transition_Define(int kind, const char* name);
// The function id defined for a kind, -1 when none.
int GR_Transition_Get_Function(int kind);
// Forgets every definition (game end and tests).
void GR_Transition_Clear();
