// The table of built-in variables (x, speed, room, score...): each has a getter and a setter.
#pragma once
#include "Variable/InstanceField.h"
#include "Variable/Value.h"

#include <cstdint>
#include <vector>

class CInstance;

// arrayIndex is the element index (i * 32000 + j) the code addressed, 0 for a plain name.
typedef bool (*BuiltinGetter)(CInstance* self, int arrayIndex, TaggedValue* out);
typedef bool (*BuiltinSetter)(CInstance* self, int arrayIndex, const TaggedValue* value);

// Whose state a built-in reads, and its elements: one value, whatever index names it (0), the
// elements 0..elements-1 of an array (row 0), or every index, each answered by the getter (-1).
constexpr int BUILTIN_ANY_INDEX = -1;
struct BuiltinShape {
    bool instance = false;  // the instance's own state, else the game's
    int elements = 0;
};
constexpr BuiltinShape BUILTIN_GLOBAL{false, 0};
constexpr BuiltinShape BUILTIN_INSTANCE{true, 0};

struct RVariable {
    char name[64];
    BuiltinGetter getter;
    BuiltinSetter setter;
    bool canSet;
    BuiltinShape shape;
    // Set when the getter reads this field of the instance and nothing else, for every index:
    // the code machine then reads the field in place.
    enum FieldKind : uint8_t { NO_FIELD, FLOAT_FIELD, INT_FIELD, BOOL_FIELD, OWN_FLOAT_FIELD, OWN_INT_FIELD } fieldKind;
    union {
        float CInstance::*floatField;
        int CInstance::*intField;
        bool CInstance::*boolField;
        CInstanceField<float> CInstance::*ownFloatField;
        CInstanceField<int> CInstance::*ownIntField;
    };
};

// Registers a built-in variable; canSet false makes assignments to it an error. A name that is
// registered again keeps its index and takes the new getter, setter and shape.
void Variable_BuiltIn_Add(const char* name, BuiltinGetter getter, BuiltinSetter setter, bool canSet,
                          BuiltinShape shape = BUILTIN_GLOBAL);
// The built-in variable's index, or -1.
int Variable_BuiltIn_Find(const char* name);
// Marks a registered built-in as a plain field read (see RVariable); an unknown name is ignored.
void Variable_BuiltIn_SetField(const char* name, float CInstance::*field);
void Variable_BuiltIn_SetField(const char* name, int CInstance::*field);
void Variable_BuiltIn_SetField(const char* name, bool CInstance::*field);
void Variable_BuiltIn_SetField(const char* name, CInstanceField<float> CInstance::*field);
void Variable_BuiltIn_SetField(const char* name, CInstanceField<int> CInstance::*field);

// The table, by index, and its size (kept apart: the vector's size takes a division by the
// entry's size); changed only through the functions above.
extern std::vector<RVariable> Variable_BuiltIns;
extern unsigned Variable_BuiltIn_Entries;

inline const RVariable* Variable_BuiltIn_Get(int index)  // null outside the table
{
    return (unsigned)index < Variable_BuiltIn_Entries ? &Variable_BuiltIns[(size_t)index] : nullptr;
}
int Variable_BuiltIn_Count();

// Whether the element index (i * 32000 + j) names an element of the built-in: outside an array's
// elements a read gives 0 and a write goes nowhere, both reported.
inline bool Variable_BuiltIn_HasElement(const RVariable* b, int arrayIndex)
{
    return b->shape.elements <= 0 || (unsigned)arrayIndex < (unsigned)b->shape.elements;
}
// Whether a write to that element of built-in `id` goes nowhere: past a writable array's elements.
inline bool Variable_BuiltIn_WritesNowhere(int id, int arrayIndex)
{
    const RVariable* b = Variable_BuiltIn_Get(id);
    return b && b->canSet && !Variable_BuiltIn_HasElement(b, arrayIndex);
}
