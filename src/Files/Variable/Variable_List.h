// Variables of an instance, of the global scope and of one run of code: each holds a value and,
// once indexed, a two-dimensional array stored by row (element [i, j] has index i * 32000 + j).
#pragma once
#include "Variable/Value.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

constexpr int ARRAY_DIMENSION = 32000;

enum VariableStatus {
    VARIABLE_OK = 0,
    VARIABLE_MISSING,  // never set
    VARIABLE_RANGE,    // the element is not stored (or the index is negative)
};

class CVariable {
public:
    // The element [i, j] (both within 0..31999), null when it is not stored.
    const TaggedValue* Element(int i, int j) const;
    // The element [i, j], stored (with the gaps before it in its row set to 0) when new.
    TaggedValue* ElementForWrite(int i, int j);

    TaggedValue value;  // element [0, 0]
    // The other elements, row by row; rows[0][0] stands in for value and is never read.
    std::vector<std::vector<TaggedValue>> rows;
    bool defined = false;  // used by the locals of a run; list members are always defined
};

class CVariableList {
public:
    CVariableList() : m_serial(NewSerial()) {}
    CVariableList(const CVariableList& other) : m_vars(other.m_vars), m_serial(NewSerial()) {}
    CVariableList& operator=(const CVariableList& other)
    {
        m_vars = other.m_vars;
        m_serial = NewSerial();
        return *this;
    }
    CVariable* Find(int id);
    CVariable* FindOrAdd(int id);
    // Reads element `index` (i * 32000 + j) of variable id.
    VariableStatus Lookup(int id, int index, TaggedValue* out) const;
    bool Get(int id, int index, TaggedValue* out) const { return Lookup(id, index, out) == VARIABLE_OK; }
    // Writes element `index`; false (nothing written) for a negative or too large index.
    bool Set(int id, int index, const TaggedValue& value);
    void Remove(int id)
    {
        m_vars.erase(id);
        m_serial = NewSerial();
    }
    void Clear()
    {
        m_vars.clear();
        m_serial = NewSerial();
    }
    // Changes whenever a variable of the list may have moved or gone, so that a pointer found by
    // Find stays good while the serial is the same (no two lists ever share one).
    uint64_t Serial() const { return m_serial; }
    int Count() const { return (int)m_vars.size(); }
    const std::unordered_map<int, CVariable>& Items() const { return m_vars; }

private:
    static uint64_t NewSerial();
    std::unordered_map<int, CVariable> m_vars;
    uint64_t m_serial;
};

// Splits an element index into row and column; false when it is negative or past the last row.
inline bool Variable_SplitIndex(int index, int* i, int* j)
{
    if (index < 0 || index >= ARRAY_DIMENSION * ARRAY_DIMENSION) return false;
    *i = index / ARRAY_DIMENSION;
    *j = index % ARRAY_DIMENSION;
    return true;
}
