#include "Support/DataStructures.h"

#include <utility>

namespace {

int FindValue(const std::vector<CDS_Priority::Item>& items, const TaggedValue& value)
{
    for (size_t i = 0; i < items.size(); i++)
        if (DS_CompareValues(&items[i].value, &value) == 0) return (int)i;
    return -1;
}

}  // namespace

void CDS_Priority::ChangePriority(const TaggedValue& value, const TaggedValue& priority)
{
    int i = FindValue(m_items, value);
    if (i >= 0) m_items[i].priority = priority;
}

const TaggedValue* CDS_Priority::FindPriority(const TaggedValue& value) const
{
    int i = FindValue(m_items, value);
    return i < 0 ? nullptr : &m_items[i].priority;
}

void CDS_Priority::DeleteValue(const TaggedValue& value)
{
    int i = FindValue(m_items, value);
    if (i >= 0) m_items.erase(m_items.begin() + i);
}

// Only a strictly lower (higher) priority replaces the best so far: ties keep the first stored,
// and priorities the comparison cannot order are passed over.
int CDS_Priority::MinIndex() const
{
    int best = m_items.empty() ? -1 : 0;
    for (int i = 1; i < Size(); i++)
        if (DS_CompareValues(&m_items[i].priority, &m_items[best].priority) < 0) best = i;
    return best;
}

int CDS_Priority::MaxIndex() const
{
    int best = m_items.empty() ? -1 : 0;
    for (int i = 1; i < Size(); i++)
        if (DS_CompareValues(&m_items[best].priority, &m_items[i].priority) < 0) best = i;
    return best;
}

const TaggedValue* CDS_Priority::FindMin() const
{
    int i = MinIndex();
    return i < 0 ? nullptr : &m_items[i].value;
}

const TaggedValue* CDS_Priority::FindMax() const
{
    int i = MaxIndex();
    return i < 0 ? nullptr : &m_items[i].value;
}

bool CDS_Priority::DeleteMin(TaggedValue* out)
{
    int i = MinIndex();
    if (i < 0) return false;
    *out = std::move(m_items[i].value);
    m_items.erase(m_items.begin() + i);
    return true;
}

bool CDS_Priority::DeleteMax(TaggedValue* out)
{
    int i = MaxIndex();
    if (i < 0) return false;
    *out = std::move(m_items[i].value);
    m_items.erase(m_items.begin() + i);
    return true;
}
