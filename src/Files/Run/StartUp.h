// The start-up list (the subsystems' initialisers, called in a fixed order before the game is
// loaded) and the shut-down list (FiniRunner, which frees every subsystem's tables).
#pragma once

// Whether the lists name each step on the warnings console as they run it ("-trace").
extern bool StartUp_Trace;

// Calls the initialisers in order; false at the first that fails (the program then ends).
bool StartUp_Run();
// Frees every table: the game's resources, the built-in table, input devices, the graphics
// device, the window and the switches. Safe to call whatever the start-up reached.
void FiniRunner();
// Reads "options.ini" in the program folder when it is there: section "DEFAULT", keys "Debug"
// and "Trace" (a non-zero number or "true" turns the mode on), and the virtual on-screen buttons
// of section "IO_VIRTUAL_BUTTONS".
void StartUp_ReadOptions();
