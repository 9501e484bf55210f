#include "Support/DataStructures.h"
#include "Base/Random.h"

#include <utility>

bool CDS_List::Insert(int position, const TaggedValue& value)
{
    if (position < 0 || position > Size()) return false;
    m_values.insert(m_values.begin() + position, value);
    return true;
}

bool CDS_List::Replace(int position, const TaggedValue& value)
{
    if (position < 0 || position >= Size()) return false;
    m_values[position] = value;
    return true;
}

bool CDS_List::Delete(int position)
{
    if (position < 0 || position >= Size()) return false;
    m_values.erase(m_values.begin() + position);
    return true;
}

int CDS_List::FindIndex(const TaggedValue& value) const
{
    for (int i = 0; i < Size(); i++)
        if (DS_CompareValues(&m_values[i], &value) == 0) return i;
    return -1;
}

const TaggedValue* CDS_List::Get(int position) const
{
    if (position < 0 || position >= Size()) return nullptr;
    return &m_values[position];
}

void CDS_List::Sort(bool ascending)
{
    // Bottom-up merge sort. A value from the right run goes first only when it is strictly before
    // the left one, so every pair the comparison cannot order keeps its order.
    size_t n = m_values.size();
    if (n < 2) return;
    auto before = [ascending](const TaggedValue& right, const TaggedValue& left) {
        return ascending ? DS_CompareValues(&right, &left) < 0 : DS_CompareValues(&left, &right) < 0;
    };
    std::vector<TaggedValue> buffer(n);
    std::vector<TaggedValue>* from = &m_values;
    std::vector<TaggedValue>* to = &buffer;
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            size_t mid = lo + width < n ? lo + width : n;
            size_t hi = lo + 2 * width < n ? lo + 2 * width : n;
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                if (before((*from)[j], (*from)[i])) (*to)[k++] = std::move((*from)[j++]);
                else (*to)[k++] = std::move((*from)[i++]);
            }
            while (i < mid) (*to)[k++] = std::move((*from)[i++]);
            while (j < hi) (*to)[k++] = std::move((*from)[j++]);
        }
        std::swap(from, to);
    }
    if (from != &m_values) m_values = std::move(*from);
}

void CDS_List::Shuffle()
{
    for (int i = Size() - 1; i > 0; i--) std::swap(m_values[i], m_values[Random_Int(i + 1)]);
}
