#include "Variable/Variable_List.h"

#include <atomic>

const TaggedValue* CVariable::Element(int i, int j) const
{
    if ((i | j) == 0) return &value;
    if ((size_t)i >= rows.size()) return nullptr;
    const std::vector<TaggedValue>& row = rows[(size_t)i];
    if ((size_t)j >= row.size()) return nullptr;
    return &row[(size_t)j];
}

TaggedValue* CVariable::ElementForWrite(int i, int j)
{
    if ((i | j) == 0) return &value;
    if ((size_t)i >= rows.size()) rows.resize((size_t)i + 1);
    std::vector<TaggedValue>& row = rows[(size_t)i];
    if ((size_t)j >= row.size()) row.resize((size_t)j + 1);
    return &row[(size_t)j];
}

CVariable* CVariableList::Find(int id)
{
    auto it = m_vars.find(id);
    return it == m_vars.end() ? nullptr : &it->second;
}

CVariable* CVariableList::FindOrAdd(int id)
{
    CVariable& v = m_vars[id];
    v.defined = true;
    return &v;
}

VariableStatus CVariableList::Lookup(int id, int index, TaggedValue* out) const
{
    auto it = m_vars.find(id);
    if (it == m_vars.end()) return VARIABLE_MISSING;
    int i, j;
    if (!Variable_SplitIndex(index, &i, &j)) return VARIABLE_RANGE;
    const TaggedValue* e = it->second.Element(i, j);
    if (!e) return VARIABLE_RANGE;
    if (out) *out = *e;
    return VARIABLE_OK;
}

bool CVariableList::Set(int id, int index, const TaggedValue& value)
{
    int i, j;
    if (!Variable_SplitIndex(index, &i, &j)) return false;
    *FindOrAdd(id)->ElementForWrite(i, j) = value;
    return true;
}

uint64_t CVariableList::NewSerial()
{
    static std::atomic<uint64_t> s_next{0};
    return ++s_next;
}
