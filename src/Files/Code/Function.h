// The built-in function table: every built-in family's registrar adds its names here, and the
// compiler binds calls by name.
#pragma once
#include <cstddef>
#include "Variable/Value.h"

class CInstance;

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

void Function_Add(const char* name, BuiltinHandler handler, int argc);

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
