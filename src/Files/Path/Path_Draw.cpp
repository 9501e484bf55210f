// Drawing a path as the line segments between its internal points.
#include "Path/Path_Class.h"
#include "Graphics/DrawPrimitives.h"

#include <cstddef>

void CPath::Draw(float x, float y, bool absolute) const
{
    const std::vector<PathPoint>& internal = GetInternal();
    if (internal.empty()) return;
    float dx = 0.0f, dy = 0.0f;
    if (!absolute) {
        dx = x - internal[0].x;
        dy = y - internal[0].y;
    }
    if (internal.size() == 1) {
        Draw_Point(internal[0].x + dx, internal[0].y + dy);
        return;
    }
    for (std::size_t i = 1; i < internal.size(); i++)
        Draw_Line(internal[i - 1].x + dx, internal[i - 1].y + dy, internal[i].x + dx, internal[i].y + dy);
}
