// Miscellaneous built-ins: performing events, external library functions, code given as text,
// variables by name, the debug console, the program's priority, the window and the clipboard.
#pragma once
#include "Variable/Value.h"

class CInstance;

// Set from the "-steam" switch before the registrar runs: the external-code and execute built-ins
// are then left out of the table, so code that calls them does not compile.
extern bool Function_Misc_Steam;

void Function_Misc_Init();

void F_execute_string(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_execute_file(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_show_debug_message(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
// Also the inherited action.
void F_event_inherited(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
// Runs a script with its arguments (at most 16, copied into the argument slots for the call);
// an error the run leaves is reported as the calling action's.
void Function_ExecuteScript(int index, CInstance* self, CInstance* other, int argc, const TaggedValue* args,
                            TaggedValue* result);

// The system half (Linux/Function_MiscM.cpp).
void F_window_handle(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_set_program_priority(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_set_application_title(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_clipboard_has_text(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_clipboard_get_text(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_clipboard_set_text(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
