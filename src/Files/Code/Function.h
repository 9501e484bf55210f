// The built-in function table: every built-in family's registrar adds its names here, and the
// compiler binds calls by name.
#pragma once
#include <cstddef>
#include "Base/MemoryManager.h"
#include "Variable/Value.h"

class CInstance;
class CCode;

// Every built-in receives the result (preset to the real 0), self, other, the argument count and
// the arguments. Callers pad missing arguments with the real 0 up to the registered count.
typedef void (*BuiltinHandler)(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args);

struct RFunction {
    char name[64];
    BuiltinHandler handler;
    int argc;  // -1: any number
};

// Function ids: a built-in's index; a script's index + 100000; an extension function's index + 500000.
constexpr int FUNCTION_SCRIPT_BASE = 100000;
constexpr int FUNCTION_EXTENSION_BASE = 500000;

// The game's scripts as compiled code reaches them (a script's function id is its index +
// FUNCTION_SCRIPT_BASE); the script table installs them. Until then there is no script: find
// gives -1, count 0, name "<undefined>", and compile and execute fail.
struct CodeScripts {
    int (*find)(const char* name);   // -1 when no script has that name
    int (*count)();
    const char* (*name)(int index);  // "<undefined>" when missing
    // The script's code, compiled now when it is not yet; null for a missing script, or with
    // LastErrorText set for one that does not compile.
    CCode* (*compile)(int index);
    // Runs a script with its arguments; false on a failure (a missing script, or an error that
    // it leaves in PendingScriptError).
    bool (*execute)(int index, CInstance* self, CInstance* other, int argc, TaggedValue* result, const TaggedValue* args);
    // Changes whenever a script is added, compiled or removed, so that code may keep what it
    // looked up until it changes.
    const int* generation;
};
extern CodeScripts Code_Scripts;

void Function_Add(const char* name, BuiltinHandler handler, int argc);

// Reports what a built-in's call broke of the rules every built-in keeps (out of line: rare).
void Function_CallFailed(const RFunction* f, TaggedValue* result);
// Calls a built-in as compiled code does, keeping two rules for every built-in: a text it makes is
// at most VALUE_STRING_MAX bytes (a longer one is refused with the error "<name> : result too
// long", the result ""), and an allocation that failed during the call (MemoryManager_Failed,
// which each run of code starts clear and which whatever reports a failure takes) is the error
// ERROR_OUT_OF_MEMORY, not a silent empty or zero result.
inline void Function_Call(const RFunction* f, TaggedValue* result, CInstance* self, CInstance* other, int argc,
                          TaggedValue* args)
{
    f->handler(result, self, other, argc, args);
    if (__builtin_expect(MemoryManager_Failed || result->GetLength() > VALUE_STRING_MAX, 0)) Function_CallFailed(f, result);
}

// One row of a family's registration table; FUNCTION_ENTRY(draw_line, 4) names F_draw_line.
struct FunctionEntry {
    const char* name;
    BuiltinHandler handler;
    int argc;
};
#define FUNCTION_ENTRY(name, argc) {#name, F_##name, argc}
// Registers a family's table, keeping its order.
template <size_t N>
void Function_AddTable(const FunctionEntry (&table)[N])
{
    for (const FunctionEntry& e : table) Function_Add(e.name, e.handler, e.argc);
}
bool Function_Find(const char* name, int* id);
int Function_Count();
const RFunction* Function_Get(int id);  // null outside the table
void Function_Clear();
