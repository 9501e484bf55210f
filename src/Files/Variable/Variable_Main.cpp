#include "Variable/Variable_Main.h"
#include "Base/StringHash.h"
#include "Variable/Variable_BuiltIn.h"

#include <string>
#include <unordered_map>
#include <vector>

CVariableList Variable_Globals;
namespace {
TaggedValue g_outerSlots[ARGUMENT_SLOTS];
}
TaggedValue* ArgumentSlots = g_outerSlots;
int argument_count = 0;

ArgumentSlotsScope::ArgumentSlotsScope(int count, const TaggedValue* args) : m_slots(ArgumentSlots)
{
    for (int i = 0; i < ARGUMENT_SLOTS; i++) {
        m_saved[i] = std::move(m_slots[i]);
        if (i < count) m_slots[i] = args[i];
        else m_slots[i].SetReal(0.0);
    }
}

ArgumentSlotsScope::~ArgumentSlotsScope()
{
    for (int i = 0; i < ARGUMENT_SLOTS; i++) m_slots[i] = std::move(m_saved[i]);
}
int Argument_Relative = 0;
bool Variable_UnsetReadsZero = false;

namespace {
std::vector<std::string> g_names;
StringMap<int> g_nameIndex;
}

int Code_Variable_FindOrAdd(const char* name)
{
    if (!name || !*name) return -1;
    int b = Variable_BuiltIn_Find(name);
    if (b >= 0) return b;
    auto it = g_nameIndex.find(name);
    if (it != g_nameIndex.end()) return it->second + VARIABLE_USER_BASE;
    int index = (int)g_names.size();
    g_names.emplace_back(name);
    g_nameIndex.emplace(name, index);
    return index + VARIABLE_USER_BASE;
}

const char* Code_Variable_GetName(int id)
{
    if (id >= VARIABLE_USER_BASE) {
        size_t index = (size_t)(id - VARIABLE_USER_BASE);
        return index < g_names.size() ? g_names[index].c_str() : "<unknown>";
    }
    const RVariable* b = Variable_BuiltIn_Get(id);
    return b ? b->name : "<unknown>";
}

bool Variable_Global_Get(int id, int arrayIndex, TaggedValue* value)
{
    if (!value || id < VARIABLE_USER_BASE) return false;
    return Variable_Globals.Get(id, arrayIndex, value);
}

bool Variable_Global_Set(int id, int arrayIndex, const TaggedValue* value)
{
    if (!value || id < VARIABLE_USER_BASE) return false;
    return Variable_Globals.Set(id, arrayIndex, *value);
}
