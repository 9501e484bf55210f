#include "Support/DataStructures.h"

#include <utility>

bool CDS_Stack::Pop(TaggedValue* out)
{
    if (m_values.empty()) return false;
    *out = std::move(m_values.back());
    m_values.pop_back();
    return true;
}

bool CDS_Queue::Dequeue(TaggedValue* out)
{
    if (m_values.empty()) return false;
    *out = std::move(m_values.front());
    m_values.pop_front();
    return true;
}
