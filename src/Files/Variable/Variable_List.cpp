#include "Variable/Variable_List.h"
#include "Base/MemoryManager.h"

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
    size_t had = rows.size();
    bool ok = MemoryManager_Try([&] {
        if ((size_t)i >= rows.size()) rows.resize((size_t)i + 1);
        std::vector<TaggedValue>& row = rows[(size_t)i];
        if ((size_t)j >= row.size()) row.resize((size_t)j + 1);
    });
    if (ok) return &rows[(size_t)i][(size_t)j];
    // The row that found no memory is as it was; empty rows added before it go again.
    if (rows.size() > had) rows.resize(had);
    return nullptr;
}

namespace {

// Lists this short are searched in order; longer ones through the index.
constexpr size_t SHORT_LIST = 8;

size_t Home(int id, size_t mask) { return ((uint32_t)id * 0x9E3779B1u >> 7) & mask; }

}  // namespace

int CVariableList::Position(int id) const
{
    if (m_index.empty()) {
        for (size_t k = 0; k < m_vars.size(); k++)
            if (m_vars[k].first == id) return (int)k;
        return -1;
    }
    size_t mask = m_index.size() - 1;
    for (size_t i = Home(id, mask);; i = (i + 1) & mask) {
        int32_t at = m_index[i];
        if (at == 0) return -1;
        if (m_vars[(size_t)at - 1].first == id) return at - 1;
    }
}

void CVariableList::Reindex()
{
    m_index.clear();
    if (m_vars.size() <= SHORT_LIST) return;
    size_t size = 16;
    while (size < 2 * m_vars.size()) size *= 2;
    m_index.assign(size, 0);
    size_t mask = size - 1;
    for (size_t k = 0; k < m_vars.size(); k++) {
        size_t i = Home(m_vars[k].first, mask);
        while (m_index[i]) i = (i + 1) & mask;
        m_index[i] = (int32_t)k + 1;
    }
}

CVariable* CVariableList::Search(int id, int* hint)
{
    int at = Position(id);
    if (at < 0) return nullptr;
    *hint = at;
    return &m_vars[(size_t)at].second;
}

CVariable* CVariableList::FindOrAdd(int id, int* hint)
{
    if (CVariable* v = Find(id, hint)) return v;
    m_vars.emplace_back(id, CVariable());
    CVariable& v = m_vars.back().second;
    v.defined = true;
    *hint = (int)m_vars.size() - 1;
    // The index keeps at most half its slots taken.
    if (m_vars.size() > SHORT_LIST && 2 * m_vars.size() > m_index.size()) {
        Reindex();
    } else if (!m_index.empty()) {
        size_t mask = m_index.size() - 1;
        size_t i = Home(id, mask);
        while (m_index[i]) i = (i + 1) & mask;
        m_index[i] = (int32_t)m_vars.size();
    }
    return &v;
}

void CVariableList::Remove(int id)
{
    int at = Position(id);
    if (at < 0) return;
    m_vars.erase(m_vars.begin() + at);
    Reindex();
}

VariableStatus CVariableList::Lookup(int id, int index, TaggedValue* out) const
{
    int at = Position(id);
    if (at < 0) return VARIABLE_MISSING;
    int i, j;
    if (!Variable_SplitIndex(index, &i, &j)) return VARIABLE_RANGE;
    const TaggedValue* e = m_vars[(size_t)at].second.Element(i, j);
    if (!e) return VARIABLE_RANGE;
    if (out) *out = *e;
    return VARIABLE_OK;
}

TaggedValue* CVariableList::ElementForWrite(int id, int index, int* hint)
{
    int i, j;
    if (!Variable_SplitIndex(index, &i, &j)) return nullptr;
    CVariable* v = Find(id, hint);
    bool added = !v;
    TaggedValue* e = nullptr;
    if ((added && !MemoryManager_Try([&] { v = FindOrAdd(id, hint); })) || !(e = v->ElementForWrite(i, j))) {
        if (added && Find(id)) Remove(id);
        return nullptr;
    }
    return e;
}

bool CVariableList::Set(int id, int index, const TaggedValue& value)
{
    // The value may be an element of this list, which adding a variable or an element moves.
    TaggedValue copy = value;
    int hint = 0;
    TaggedValue* e = ElementForWrite(id, index, &hint);
    if (e) *e = std::move(copy);
    return e != nullptr;
}
