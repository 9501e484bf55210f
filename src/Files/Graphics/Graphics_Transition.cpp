#include "Graphics/Graphics_Transition.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Code/Function.h"

static int g_steps = 80;
// Parallel arrays indexed by kind: function ids (-1 none) and owned copies of their names.
static int* g_functions = nullptr;
static char** g_names = nullptr;
static int g_length = 0;

void GR_Transition_Set_Steps(int steps)
{
    g_steps = steps < 1 ? 1 : steps;
}

int GR_Transition_Get_Steps()
{
    return g_steps;
}

bool GR_Transition_Exists(int kind)
{
    if (kind >= 1 && kind <= 21) return true;
    Console_Warnings->Output("TransFunctionExists()\n");
    return false;
}

bool GR_Transition_Define(int kind, const char* name)
{
    int id;
    if (!name || !Function_Find(name, &id)) return false;
    if (kind <= 0 || kind >= 1000000) return true;
    if (kind >= g_length) {
        int length = kind + 1000;
        MemRealloc(&g_functions, sizeof(int) * length);
        MemRealloc(&g_names, sizeof(char*) * length);
        for (int i = g_length; i < length; i++) g_functions[i] = -1;
        g_length = length;
    }
    MemFree(g_names[kind]);
    g_names[kind] = MemStrDup(name);
    g_functions[kind] = id;
    return true;
}

int GR_Transition_Get_Function(int kind)
{
    return kind > 0 && kind < g_length ? g_functions[kind] : -1;
}

void GR_Transition_Clear()
{
    for (int i = 0; i < g_length; i++) MemFree(g_names[i]);
    MemFree(g_functions);
    MemFree(g_names);
    g_functions = nullptr;
    g_names = nullptr;
    g_length = 0;
    g_steps = 80;
}
