// The start-up list (the subsystems' initialisers, called in a fixed order before the game is
// loaded) and the shut-down list (FiniRunner, which frees every subsystem's tables).
#pragma once

// Whether the lists name each step on the warnings console as they run it ("-trace").
extern bool StartUp_Trace;

// Calls the initialisers in order, after installing the hooks; false at the first that fails
// (the program then ends).
bool StartUp_Run();
// Fills in the calls that lower modules make up into higher ones (the program's own are filled
// where it sets them). Tests and tools that run code without the start-up list call it first.
void StartUp_InstallHooks();
// The start-up list's constants (the engine's, then the families') and built-in variables (after
// the script engine's own: the run's, then the families'), in the order that fixes their ids.
void StartUp_Constants();
void StartUp_Variables();
// Frees every table: the game's resources, the built-in table, input devices, the graphics
// device, the window and the switches. Safe to call whatever the start-up reached.
void FiniRunner();
// Reads "options.ini" in the program folder when it is there: section "DEFAULT", keys "Debug"
// and "Trace" (a non-zero number or "true" turns the mode on), and the virtual on-screen buttons
// of section "IO_VIRTUAL_BUTTONS".
void StartUp_ReadOptions();
