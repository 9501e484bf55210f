#include "Support/DataStructures.h"
#include "Base/MemoryManager.h"
#include "Base/Random.h"
#include "Base/Console.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace {

int NonNegative(int size) { return size < 0 ? 0 : size; }

// The cells lo..hi of a disk's span along one axis, clipped to 0..size-1; false when none (also for
// a centre or radius that is not finite).
bool DiskSpan(double centre, double r, int size, int* lo, int* hi)
{
    double a = std::floor(centre - r);
    double b = std::ceil(centre + r);
    if (!(a <= b)) return false;
    a = std::max(a, 0.0);
    b = std::min(b, (double)size - 1);
    if (a > b) return false;
    *lo = (int)a;
    *hi = (int)b;
    return true;
}

}  // namespace

bool CDS_Grid::SizeAllowed(int width, int height)
{
    return (int64_t)NonNegative(width) * NonNegative(height) <= DS_GRID_MAX_CELLS;
}

CDS_Grid::CDS_Grid(int width, int height)
{
    Resize(width, height);
}

void CDS_Grid::Assign(const CDS_Grid& other)
{
    if (this == &other) return;
    DS_AssignCopy(m_cells, other.m_cells);
    m_width = other.m_width;
    m_height = other.m_height;
}

bool CDS_Grid::Resize(int width, int height)
{
    if (!SizeAllowed(width, height)) return false;
    width = NonNegative(width);
    height = NonNegative(height);
    std::vector<TaggedValue> cells;
    if (!MemoryManager_Try([&] { cells.resize((size_t)width * height); })) return false;
    int keepWidth = std::min(width, m_width);
    for (int y = 0; keepWidth > 0 && y < std::min(height, m_height); y++)
        for (int x = 0; x < keepWidth; x++) cells[(size_t)y * width + x] = std::move(At(x, y));
    m_cells = std::move(cells);
    m_width = width;
    m_height = height;
    return true;
}

void CDS_Grid::Clear(const TaggedValue& value)
{
    for (TaggedValue& cell : m_cells) cell = value;
}

void CDS_Grid::Apply(int op, TaggedValue& cell, const TaggedValue& value)
{
    switch (op) {
    case DS_GRID_SET:
        cell = value;
        break;
    case DS_GRID_ADD:
        if (cell.IsReal() && value.IsReal()) {
            cell.val += value.val;
        } else if (cell.IsString() && value.IsString()) {
            std::string joined(cell.GetString(), cell.GetLength());
            joined.append(value.GetString(), value.GetLength());
            cell.SetString(joined.data(), joined.size());
        }
        break;
    case DS_GRID_MULTIPLY:
        if (cell.IsReal() && value.IsReal()) cell.val *= value.val;
        break;
    }
}

const TaggedValue* CDS_Grid::Read(int index, int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        Console_Debug->Output("Grid %d, index out of bounds reading [%d,%d] - size is [%d,%d]\n", index, x, y,
                              m_width, m_height);
        return nullptr;
    }
    return &At(x, y);
}

void CDS_Grid::CellOp(int index, int op, int x, int y, const TaggedValue& value)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        Console_Debug->Output("Grid %d, index out of bounds writing [%d,%d] - size is [%d,%d]\n", index, x, y,
                              m_width, m_height);
        return;
    }
    Apply(op, At(x, y), value);
}

DS_Rect CDS_Grid::ClipRect(int x1, int y1, int x2, int y2) const
{
    DS_Rect r = {std::max(std::min(x1, x2), 0), std::max(std::min(y1, y2), 0),
                 std::min(std::max(x1, x2), m_width - 1), std::min(std::max(y1, y2), m_height - 1)};
    // Empty in both directions, so that no loop walks the long side of a grid 0 wide or high.
    if (r.x1 > r.x2 || r.y1 > r.y2) return {0, 0, -1, -1};
    return r;
}

void CDS_Grid::RegionOp(int op, int x1, int y1, int x2, int y2, const TaggedValue& value)
{
    DS_Rect r = ClipRect(x1, y1, x2, y2);
    for (int x = r.x1; x <= r.x2; x++)
        for (int y = r.y1; y <= r.y2; y++) Apply(op, At(x, y), value);
}

template <class Visit>
bool CDS_Grid::ForDisk(double xm, double ym, double r, Visit visit) const
{
    int xlo, xhi, ylo, yhi;
    if (!DiskSpan(xm, r, m_width, &xlo, &xhi) || !DiskSpan(ym, r, m_height, &ylo, &yhi)) return false;
    for (int x = xlo; x <= xhi; x++) {
        for (int y = ylo; y <= yhi; y++) {
            double dx = x - xm, dy = y - ym;
            if (dx * dx + dy * dy <= r * r && visit(x, y)) return true;
        }
    }
    return false;
}

void CDS_Grid::DiskOp(int op, double xm, double ym, double r, const TaggedValue& value)
{
    ForDisk(xm, ym, r, [&](int x, int y) {
        Apply(op, At(x, y), value);
        return false;
    });
}

void CDS_Grid::GridRegionOp(int op, const CDS_Grid& source, int x1, int y1, int x2, int y2, int xpos, int ypos)
{
    DS_Rect r = source.ClipRect(x1, y1, x2, y2);
    if (r.x1 > r.x2 || r.y1 > r.y2) return;
    // The rectangle's corner (before clipping) lands on (xpos, ypos).
    int64_t dx = (int64_t)xpos - std::min(x1, x2);
    int64_t dy = (int64_t)ypos - std::min(y1, y2);
    std::vector<TaggedValue> snapshot;
    snapshot.reserve((size_t)(r.x2 - r.x1 + 1) * (r.y2 - r.y1 + 1));
    for (int x = r.x1; x <= r.x2; x++)
        for (int y = r.y1; y <= r.y2; y++) snapshot.push_back(source.At(x, y));
    size_t k = 0;
    for (int x = r.x1; x <= r.x2; x++) {
        for (int y = r.y1; y <= r.y2; y++, k++) {
            int64_t tx = x + dx, ty = y + dy;
            if (tx >= 0 && ty >= 0 && tx < m_width && ty < m_height) Apply(op, At((int)tx, (int)ty), snapshot[k]);
        }
    }
}

namespace {

struct Accumulator {
    double sum = 0, min = 100000000.0, max = -100000000.0;
    int count = 0;
    void Add(const TaggedValue& cell)
    {
        if (!cell.IsReal()) return;
        sum += cell.val;
        min = std::min(min, cell.val);
        max = std::max(max, cell.val);
        count++;
    }
    double Result(CDS_Grid::Aggregate what) const
    {
        switch (what) {
        case CDS_Grid::SUM: return sum;
        case CDS_Grid::MIN: return min;
        case CDS_Grid::MAX: return max;
        case CDS_Grid::MEAN: return count ? sum / count : 0.0;
        }
        return 0.0;
    }
};

}  // namespace

double CDS_Grid::RegionAggregate(Aggregate what, int x1, int y1, int x2, int y2) const
{
    Accumulator acc;
    DS_Rect r = ClipRect(x1, y1, x2, y2);
    for (int x = r.x1; x <= r.x2; x++)
        for (int y = r.y1; y <= r.y2; y++) acc.Add(At(x, y));
    return acc.Result(what);
}

double CDS_Grid::DiskAggregate(Aggregate what, double xm, double ym, double r) const
{
    Accumulator acc;
    ForDisk(xm, ym, r, [&](int x, int y) {
        acc.Add(At(x, y));
        return false;
    });
    return acc.Result(what);
}

bool CDS_Grid::RegionFind(const TaggedValue& value, int x1, int y1, int x2, int y2, int* fx, int* fy) const
{
    DS_Rect r = ClipRect(x1, y1, x2, y2);
    for (int x = r.x1; x <= r.x2; x++) {
        for (int y = r.y1; y <= r.y2; y++) {
            if (DS_CompareValues(&At(x, y), &value) == 0) {
                *fx = x;
                *fy = y;
                return true;
            }
        }
    }
    return false;
}

bool CDS_Grid::DiskFind(const TaggedValue& value, double xm, double ym, double r, int* fx, int* fy) const
{
    return ForDisk(xm, ym, r, [&](int x, int y) {
        if (DS_CompareValues(&At(x, y), &value) != 0) return false;
        *fx = x;
        *fy = y;
        return true;
    });
}

void CDS_Grid::Shuffle()
{
    for (size_t i = m_cells.size(); i > 1; i--) std::swap(m_cells[i - 1], m_cells[Random_Int((int)i)]);
}
