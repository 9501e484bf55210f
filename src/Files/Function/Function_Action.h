// The action built-ins: the drag-and-drop actions of a game, each placed in an event as a call of
// one of these names with its arguments and relative flag.
#pragma once

void Function_Action_Init();
// Forgets the action particle system and its type and emitter slots, as when the program starts
// (tests begin from there).
void Function_Action_ResetParticles();
