// The table of built-in variables (x, speed, room, score...): each has a getter and a setter.
#pragma once
#include "Variable/Value.h"

#include <vector>

class CInstance;

// arrayIndex is the element index (i * 32000 + j) the code addressed, 0 for a plain name.
typedef bool (*BuiltinGetter)(CInstance* self, int arrayIndex, TaggedValue* out);
typedef bool (*BuiltinSetter)(CInstance* self, int arrayIndex, const TaggedValue* value);

struct RVariable {
    char name[64];
    BuiltinGetter getter;
    BuiltinSetter setter;
    bool canSet;
    // Set (one of them) when the getter reads this field of the instance and nothing else, for
    // every index: the code machine then reads the field in place.
    float CInstance::*floatField;
    int CInstance::*intField;
    bool CInstance::*boolField;
};

// Registers a built-in variable; canSet false makes assignments to it an error. A name that is
// registered again keeps its index and takes the new getter and setter.
void Variable_BuiltIn_Add(const char* name, BuiltinGetter getter, BuiltinSetter setter, bool canSet);
// The built-in variable's index, or -1.
int Variable_BuiltIn_Find(const char* name);
// Marks a registered built-in as a plain field read (see RVariable); an unknown name is ignored.
void Variable_BuiltIn_SetField(const char* name, float CInstance::*field);
void Variable_BuiltIn_SetField(const char* name, int CInstance::*field);
void Variable_BuiltIn_SetField(const char* name, bool CInstance::*field);

// The table, by index, and its size (kept apart: the vector's size takes a division by the
// entry's size); changed only through the functions above.
extern std::vector<RVariable> Variable_BuiltIns;
extern unsigned Variable_BuiltIn_Entries;

inline const RVariable* Variable_BuiltIn_Get(int index)  // null outside the table
{
    return (unsigned)index < Variable_BuiltIn_Entries ? &Variable_BuiltIns[(size_t)index] : nullptr;
}
int Variable_BuiltIn_Count();
