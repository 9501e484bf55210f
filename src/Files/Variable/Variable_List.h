// Variables of an instance, of the global scope and of one run of code: each holds a value and,
// once indexed, a two-dimensional array stored by row (element [i, j] has index i * 32000 + j).
#pragma once
#include "Variable/Value.h"

#include <cstdint>
#include <utility>
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
    // The element [i, j], stored (with the gaps before it in its row set to 0) when new; null, with
    // nothing stored, when memory ran out (MemoryManager_Failed is set).
    TaggedValue* ElementForWrite(int i, int j);

    TaggedValue value;  // element [0, 0]
    // The other elements, row by row; rows[0][0] stands in for value and is never read.
    std::vector<std::vector<TaggedValue>> rows;
    bool defined = false;  // used by the locals of a run; list members are always defined
};

// The variables of an instance or of the global scope, in the order they were first set. A
// variable is found by its id through a hint (the position it had where it was last found, in
// this list or another): the instances of one object set their variables in the same order, so
// the code that reads one of them finds it at once in each. Pointers to variables stay valid
// until a variable is added or removed.
class CVariableList {
public:
    CVariable* Find(int id)
    {
        int hint = 0;
        return Find(id, &hint);
    }
    CVariable* Find(int id, int* hint)
    {
        size_t at = (size_t)*hint;
        if (at < m_vars.size() && m_vars[at].first == id) return &m_vars[at].second;
        return Search(id, hint);
    }
    CVariable* FindOrAdd(int id)
    {
        int hint = 0;
        return FindOrAdd(id, &hint);
    }
    CVariable* FindOrAdd(int id, int* hint);
    // Reads element `index` (i * 32000 + j) of variable id.
    VariableStatus Lookup(int id, int index, TaggedValue* out) const;
    bool Get(int id, int index, TaggedValue* out) const { return Lookup(id, index, out) == VARIABLE_OK; }
    // Element `index` of variable id for writing, the variable added when missing; null, with
    // nothing added, when memory ran out (MemoryManager_Failed is set).
    TaggedValue* ElementForWrite(int id, int index, int* hint);
    // Writes element `index`; false (nothing written) for a negative or too large index, or when
    // memory ran out.
    bool Set(int id, int index, const TaggedValue& value);
    void Remove(int id);
    void Clear()
    {
        m_vars.clear();
        m_index.clear();
    }
    int Count() const { return (int)m_vars.size(); }
    // (id, variable) in the order the variables were added.
    const std::vector<std::pair<int, CVariable>>& Items() const { return m_vars; }

private:
    CVariable* Search(int id, int* hint);
    int Position(int id) const;
    void Reindex();
    std::vector<std::pair<int, CVariable>> m_vars;
    // Past a few variables, open addressing over a power-of-two table: position + 1, 0 free.
    std::vector<int32_t> m_index;
};

// Splits an element index into row and column; false when it is negative or past the last row.
inline bool Variable_SplitIndex(int index, int* i, int* j)
{
    if (index < 0 || index >= ARRAY_DIMENSION * ARRAY_DIMENSION) return false;
    *i = index / ARRAY_DIMENSION;
    *j = index % ARRAY_DIMENSION;
    return true;
}
