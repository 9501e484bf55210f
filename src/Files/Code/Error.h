// The run-time error reporter: a message and a fatal flag, shown with the context of the running
// action (object and event, or time line and moment).
#pragma once
#include <string>

struct ErrorContext {
    const char* objectName = nullptr;  // null: no action is running
    const char* eventName = nullptr;   // "Create Event", "Step Event"...
    const char* timeLineName = nullptr;  // set instead of objectName for time-line moments
    int moment = 0;
    int actionNumber = 1;
    int line = 0;  // line of the running code, 0 when unknown
};

// The context of the code running now; whoever runs an event saves, sets and restores it.
extern ErrorContext Error_Context;
// The text of the most recent compile or run-time error.
extern std::string LastErrorText;
// error_occurred and error_last: set by every error the reporter shows (its message, without the
// action's context); games may clear and change them.
extern bool Error_Occurred;
extern std::string Error_Last;
// Set by a fatal error: the running code stops at every level, no event runs, no further action
// error is shown, and the frame loop ends the game.
extern bool Error_FatalPending;
// Shows a formatted error; the shell installs a dialog, the default writes to standard error.
extern void (*Error_Display_Hook)(const char* text, bool fatal);
// Writes a formatted error to standard error, as the default display does.
void Error_Print(const char* text);

// The run-time error of a change that found no memory for what it would add: what it would have
// changed stays as it was, and the game goes on.
#define ERROR_OUT_OF_MEMORY "Out of memory."

// A script's run-time error, kept for the code that called the script to report (set by the
// scripts' runner, which the game's scripts and extension functions share).
struct PendingError {
    bool pending = false;
    std::string message;
    bool fatal = false;  // the error must end the game
};
extern PendingError PendingScriptError;

void Error_Show_Action(const char* message, bool fatal);
void Error_Show(const char* message, bool fatal);
