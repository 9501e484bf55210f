// Variable names and ids, reads and writes of global variables, and the argument
// slots of running code.
#pragma once
#include "Variable/Value.h"
#include "Variable/Variable_List.h"

// User variable ids are the name's index + 100000; smaller ids are built-in variables.
constexpr int VARIABLE_USER_BASE = 100000;
constexpr int ARGUMENT_SLOTS = 16;

// A built-in variable's index when the name is one, else the user variable's id (the name is
// added when it is new). -1 for a null or empty name.
int Code_Variable_FindOrAdd(const char* name);
// The name of a variable id (built-in or user), "<unknown>" when there is none.
const char* Code_Variable_GetName(int id);

// The global variables.
extern CVariableList Variable_Globals;
bool Variable_Global_Get(int id, int arrayIndex, TaggedValue* value);
bool Variable_Global_Set(int id, int arrayIndex, const TaggedValue* value);

// argument0 ... argument15 of the running code: the running script's own slots (the byte-code
// machine keeps them in the script's frame), else slots of no script; callers save, fill and
// restore them.
extern TaggedValue* ArgumentSlots;
// Holds the argument slots for code run with arguments of its own (a script, execute_string):
// the slots are saved, argument0 onward take copies of the first `count` arguments (at most
// ARGUMENT_SLOTS; args never points into the slots) and the others the real 0; the saved values
// come back when it ends.
class ArgumentSlotsScope {
public:
    ArgumentSlotsScope(int count, const TaggedValue* args);
    ~ArgumentSlotsScope();
    ArgumentSlotsScope(const ArgumentSlotsScope&) = delete;
    ArgumentSlotsScope& operator=(const ArgumentSlotsScope&) = delete;

private:
    TaggedValue* m_slots;  // the slots filled, which code run meanwhile may move ArgumentSlots from
    TaggedValue m_saved[ARGUMENT_SLOTS];
};
// The number of arguments of the running script.
extern int argument_count;
// The relative flag (0 or 1) of the running action, read by `argument_relative`.
extern int Argument_Relative;
// Whoever runs an event's or a moment's code holds one of these meanwhile: the code starts with
// the flag clear, and the flag of the action that caused the run (say, by creating an instance)
// comes back when it ends.
struct RelativeFlagScope {
    int saved = Argument_Relative;
    RelativeFlagScope() { Argument_Relative = 0; }
    ~RelativeFlagScope() { Argument_Relative = saved; }
    RelativeFlagScope(const RelativeFlagScope&) = delete;
    RelativeFlagScope& operator=(const RelativeFlagScope&) = delete;
};
// The game option that makes reads of unset variables give 0 instead of an error.
extern bool Variable_UnsetReadsZero;

// Registers the script engine's own built-in variables (argument slots, argument_count,
// argument_relative).
void Variable_BuiltIn_Init();
