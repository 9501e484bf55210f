// A family's registrar as tables of its built-ins, each registered in its order.
#pragma once
#include "Code/Function.h"

#include <cstddef>

struct FunctionEntry {
    const char* name;
    BuiltinHandler handler;
    int argc;
};

// The entry of the built-in `name`, whose handler is F_name.
#define FUNCTION_ENTRY(name, argc) {#name, F_##name, argc}

template <size_t N>
void Function_AddTable(const FunctionEntry (&table)[N])
{
    for (const FunctionEntry& e : table) Function_Add(e.name, e.handler, e.argc);
}
