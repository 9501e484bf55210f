// Miscellaneous built-ins: code given as text, variables by name and the debug console.
#pragma once
#include "Variable/Value.h"

class CInstance;

void Function_Misc_Init();

void F_execute_string(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_execute_file(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
void F_show_debug_message(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
// Registered with the resource built-ins; made here as it is part of the script engine.
void F_script_execute(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);
