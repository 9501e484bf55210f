#include "Code/Error.h"
#include "Base/Console.h"

#include <cstdio>

ErrorContext Error_Context;
std::string LastErrorText;
bool Error_Occurred = false;
std::string Error_Last;
bool Error_FatalPending = false;
PendingError PendingScriptError;
void (*Error_Display_Hook)(const char* text, bool fatal) = nullptr;

namespace {

void Display(const std::string& text, bool fatal)
{
    Error_Occurred = true;
    Error_Last = LastErrorText;
    if (Error_Display_Hook) Error_Display_Hook(text.c_str(), fatal);
    else Error_Print(text.c_str());
    if (fatal) Error_FatalPending = true;
}

}  // namespace

void Error_Print(const char* text) { fprintf(stderr, "%s\n", text); }

void Error_Show_Action(const char* message, bool fatal)
{
    // After a fatal error the game is ending and no action runs: what code still unwinding
    // reports is not shown.
    if (Error_FatalPending) return;
    const char* prefix = fatal ? "FATAL " : "";
    const ErrorContext& c = Error_Context;
    char head[1024];
    if (c.timeLineName) {
        snprintf(head, sizeof head, "%sERROR in\naction number %d\nof time line %s\nat moment %d:\n\n\n",
                 prefix, c.actionNumber, c.timeLineName, c.moment);
    } else {
        snprintf(head, sizeof head, "%sERROR in\naction number %d\nof %s\nfor object %s:\n\n\n", prefix,
                 c.actionNumber, c.eventName ? c.eventName : "<unknown event>",
                 c.objectName ? c.objectName : "<undefined>");
    }
    LastErrorText = message ? message : "";
    Display(head + LastErrorText, fatal);
}

void Error_Show(const char* message, bool fatal)
{
    LastErrorText = message ? message : "";
    Display(LastErrorText, fatal);
}
