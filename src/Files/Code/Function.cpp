#include "Code/Function.h"
#include "Code/Code_Interp.h"
#include "Code/Error.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {
std::vector<RFunction> g_functions;
std::unordered_map<std::string, int> g_byName;

const int NoScriptsGeneration = 0;
}

CodeScripts Code_Scripts = {
    [](const char*) { return -1; },
    [] { return 0; },
    [](int) { return "<undefined>"; },
    [](int) -> CCode* { return nullptr; },
    [](int, CInstance*, CInstance*, int, TaggedValue*, const TaggedValue*) { return false; },
    &NoScriptsGeneration,
};

void Function_Add(const char* name, BuiltinHandler handler, int argc)
{
    if (!name || !handler) return;
    RFunction f{};
    strncpy(f.name, name, sizeof f.name - 1);
    f.handler = handler;
    f.argc = argc;
    // The first registration of a name wins, as the lookup walks the table from its start.
    g_byName.emplace(f.name, (int)g_functions.size());
    g_functions.push_back(f);
}

void Function_CallFailed(const RFunction* f, TaggedValue* result)
{
    bool outOfMemory = MemoryManager_TakeFailure();
    if (result->GetLength() > VALUE_STRING_MAX) {
        result->SetString("");
        Error_Show_Action((std::string(f->name) + " : result too long").c_str(), false);
    } else if (outOfMemory) {
        Error_Show_Action(ERROR_OUT_OF_MEMORY, false);
    }
}

bool Function_Find(const char* name, int* id)
{
    *id = -1;
    if (!name) return false;
    int script = Code_Scripts.find(name);
    if (script >= 0) {
        *id = script + FUNCTION_SCRIPT_BASE;
        return true;
    }
    int extension;
    if (Code_Extension_FindHook && Code_Extension_FindHook(name, &extension) && extension >= 0) {
        *id = extension + FUNCTION_EXTENSION_BASE;
        return true;
    }
    auto it = g_byName.find(name);
    if (it == g_byName.end()) return false;
    *id = it->second;
    return true;
}

int Function_Count() { return (int)g_functions.size(); }

const RFunction* Function_Get(int id)
{
    if (id < 0 || id >= (int)g_functions.size()) return nullptr;
    return &g_functions[(size_t)id];
}

void Function_Clear()
{
    g_functions.clear();
    g_byName.clear();
}
