// Drawing a path as the line segments between its internal points.
#include "Path/Path_Class.h"
#include "Graphics/DrawPrimitives.h"

#include <cstddef>

void CPath::Draw(float x, float y, bool absolute) const
{
    if (m_internal.empty()) return;
    float dx = 0.0f, dy = 0.0f;
    if (!absolute) {
        dx = x - m_internal[0].x;
        dy = y - m_internal[0].y;
    }
    if (m_internal.size() == 1) {
        Draw_Point(m_internal[0].x + dx, m_internal[0].y + dy);
        return;
    }
    for (std::size_t i = 1; i < m_internal.size(); i++)
        Draw_Line(m_internal[i - 1].x + dx, m_internal[i - 1].y + dy, m_internal[i].x + dx, m_internal[i].y + dy);
}
