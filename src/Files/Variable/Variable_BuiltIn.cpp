#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_Main.h"
#include "Base/StringHash.h"

#include <cstring>
#include <string>
#include <utility>
#include <unordered_map>
#include <vector>

std::vector<RVariable> Variable_BuiltIns;
unsigned Variable_BuiltIn_Entries = 0;

namespace {

StringMap<int> g_byName;

bool GetArgumentSlot(int slot, int arrayIndex, TaggedValue* out)
{
    if (arrayIndex != 0 || slot < 0 || slot >= ARGUMENT_SLOTS) return false;
    *out = ArgumentSlots[slot];
    return true;
}

bool SetArgumentSlot(int slot, int arrayIndex, const TaggedValue* value)
{
    if (arrayIndex != 0 || slot < 0 || slot >= ARGUMENT_SLOTS) return false;
    ArgumentSlots[slot] = *value;
    return true;
}

template <int N>
bool GetArgumentN(CInstance*, int arrayIndex, TaggedValue* out) { return GetArgumentSlot(N, arrayIndex, out); }
template <int N>
bool SetArgumentN(CInstance*, int arrayIndex, const TaggedValue* value) { return SetArgumentSlot(N, arrayIndex, value); }

// argument[i]: the element index is the slot.
bool GetArgument(CInstance*, int arrayIndex, TaggedValue* out) { return GetArgumentSlot(arrayIndex, 0, out); }
bool SetArgument(CInstance*, int arrayIndex, const TaggedValue* value) { return SetArgumentSlot(arrayIndex, 0, value); }

bool GetArgumentCount(CInstance*, int arrayIndex, TaggedValue* out)
{
    out->SetReal(argument_count);
    return arrayIndex == 0;
}

bool GetArgumentRelative(CInstance*, int arrayIndex, TaggedValue* out)
{
    out->SetReal(Argument_Relative ? 1.0 : 0.0);
    return arrayIndex == 0;
}

template <int... N>
void AddArgumentSlots(std::integer_sequence<int, N...>)
{
    (Variable_BuiltIn_Add(("argument" + std::to_string(N)).c_str(), GetArgumentN<N>, SetArgumentN<N>, true), ...);
}

}  // namespace

void Variable_BuiltIn_Add(const char* name, BuiltinGetter getter, BuiltinSetter setter, bool canSet, BuiltinShape shape)
{
    if (!name || !*name) return;
    RVariable v{};
    strncpy(v.name, name, sizeof v.name - 1);
    v.getter = getter;
    v.setter = setter;
    v.canSet = canSet && setter;
    v.shape = shape;
    auto it = g_byName.find(v.name);
    if (it != g_byName.end()) {
        Variable_BuiltIns[(size_t)it->second] = v;
        return;
    }
    g_byName.emplace(v.name, (int)Variable_BuiltIns.size());
    Variable_BuiltIns.push_back(v);
    Variable_BuiltIn_Entries = (unsigned)Variable_BuiltIns.size();
}

int Variable_BuiltIn_Find(const char* name)
{
    if (!name) return -1;
    auto it = g_byName.find(name);
    return it == g_byName.end() ? -1 : it->second;
}

namespace {

RVariable* Named(const char* name)
{
    int index = Variable_BuiltIn_Find(name);
    return index < 0 ? nullptr : &Variable_BuiltIns[(size_t)index];
}

}  // namespace

void Variable_BuiltIn_SetField(const char* name, float CInstance::*field)
{
    if (RVariable* v = Named(name)) v->fieldKind = RVariable::FLOAT_FIELD, v->floatField = field;
}

void Variable_BuiltIn_SetField(const char* name, int CInstance::*field)
{
    if (RVariable* v = Named(name)) v->fieldKind = RVariable::INT_FIELD, v->intField = field;
}

void Variable_BuiltIn_SetField(const char* name, bool CInstance::*field)
{
    if (RVariable* v = Named(name)) v->fieldKind = RVariable::BOOL_FIELD, v->boolField = field;
}

void Variable_BuiltIn_SetField(const char* name, CInstanceField<float> CInstance::*field)
{
    if (RVariable* v = Named(name)) v->fieldKind = RVariable::OWN_FLOAT_FIELD, v->ownFloatField = field;
}

void Variable_BuiltIn_SetField(const char* name, CInstanceField<int> CInstance::*field)
{
    if (RVariable* v = Named(name)) v->fieldKind = RVariable::OWN_INT_FIELD, v->ownIntField = field;
}

int Variable_BuiltIn_Count() { return (int)Variable_BuiltIns.size(); }

void Variable_BuiltIn_Init()
{
    Variable_BuiltIn_Add("argument", GetArgument, SetArgument, true, {false, ARGUMENT_SLOTS});
    AddArgumentSlots(std::make_integer_sequence<int, ARGUMENT_SLOTS>());
    Variable_BuiltIn_Add("argument_count", GetArgumentCount, nullptr, false);
    Variable_BuiltIn_Add("argument_relative", GetArgumentRelative, nullptr, false);
}
