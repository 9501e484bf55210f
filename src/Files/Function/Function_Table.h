// A family's registrar is a table of its built-ins in registration order: ENTRY(name, argc)
// names the handler F_name.
#pragma once
#include "Code/Function.h"

#include <cstddef>

struct FunctionEntry {
    const char* name;
    BuiltinHandler handler;
    int argc;
};

#define ENTRY(name, argc) {#name, F_##name, argc}

// Adds a table's built-ins to the function table, in order.
template <size_t N>
void Function_Register(const FunctionEntry (&table)[N])
{
    for (const FunctionEntry& e : table) Function_Add(e.name, e.handler, e.argc);
}
