// The table of built-in variables (x, speed, room, score...): each has a getter and a setter.
#pragma once
#include "Variable/Value.h"

class CInstance;

// arrayIndex is the element index (i * 32000 + j) the code addressed, 0 for a plain name.
typedef bool (*BuiltinGetter)(CInstance* self, int arrayIndex, TaggedValue* out);
typedef bool (*BuiltinSetter)(CInstance* self, int arrayIndex, const TaggedValue* value);

struct RVariable {
    char name[64];
    BuiltinGetter getter;
    BuiltinSetter setter;
    bool canSet;
};

// Registers a built-in variable; canSet false makes assignments to it an error. A name that is
// registered again keeps its index and takes the new getter and setter.
void Variable_BuiltIn_Add(const char* name, BuiltinGetter getter, BuiltinSetter setter, bool canSet);
// The built-in variable's index, or -1.
int Variable_BuiltIn_Find(const char* name);
const RVariable* Variable_BuiltIn_Get(int index);  // null outside the table
int Variable_BuiltIn_Count();
