#include "Path/Path_Class.h"
#include "Base/MemoryManager.h"

#include <algorithm>
#include <cmath>

static const PathPoint ZeroPoint;

const PathPoint& CPath::GetPoint(int n) const
{
    if (n < 0 || n >= (int)m_points.size()) return ZeroPoint;
    return m_points[n];
}

PathPoint CPath::GetPointAt(float fraction) const
{
    const Curve& c = Refresh();
    const std::vector<PathPoint>& internal = c.internal;
    const std::vector<float>& distance = c.distance;
    if (internal.empty()) return PathPoint();
    if (internal.size() == 1 || c.length <= 0.0f) return internal[0];
    if (!(fraction > 0.0f)) fraction = 0.0f;  // also NaN
    if (fraction > 1.0f) fraction = 1.0f;
    float d = fraction * c.length;
    size_t i = std::upper_bound(distance.begin(), distance.end(), d) - distance.begin();
    if (i == 0) return internal[0];
    if (i >= internal.size()) return internal.back();
    const PathPoint& a = internal[i - 1];
    const PathPoint& b = internal[i];
    float span = distance[i] - distance[i - 1];
    float t = span > 0.0f ? (d - distance[i - 1]) / span : 0.0f;
    return PathPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.speed + (b.speed - a.speed) * t};
}

void CPath::SetKind(int kind) { m_kind = (kind == 1) ? 1 : 0; Changed(); }
void CPath::SetClosed(bool closed) { m_closed = closed; Changed(); }
void CPath::SetPrecision(int precision) { m_precision = std::clamp(precision, 0, 8); Changed(); }
void CPath::AddPoint(float x, float y, float speed) { m_points.push_back({x, y, speed}); Changed(); }

void CPath::InsertPoint(int n, float x, float y, float speed)
{
    n = std::clamp(n, 0, (int)m_points.size());
    m_points.insert(m_points.begin() + n, PathPoint{x, y, speed});
    Changed();
}

void CPath::ChangePoint(int n, float x, float y, float speed)
{
    if (n < 0 || n >= (int)m_points.size()) return;
    m_points[n] = {x, y, speed};
    Changed();
}

void CPath::DeletePoint(int n)
{
    if (n < 0 || n >= (int)m_points.size()) return;
    m_points.erase(m_points.begin() + n);
    Changed();
}

void CPath::Clear() { m_points.clear(); Changed(); }

void CPath::Append(const CPath& other)
{
    std::vector<PathPoint> copy = other.m_points;  // other may be this path
    m_points.insert(m_points.end(), copy.begin(), copy.end());
    Changed();
}

void CPath::Reverse() { std::reverse(m_points.begin(), m_points.end()); Changed(); }

void CPath::Shift(float dx, float dy)
{
    for (PathPoint& p : m_points) { p.x += dx; p.y += dy; }
    Changed();
}

void CPath::Centre(float* cx, float* cy) const
{
    if (m_points.empty()) { *cx = *cy = 0.0f; return; }
    float l = m_points[0].x, r = l, t = m_points[0].y, b = t;
    for (const PathPoint& p : m_points) {
        l = std::min(l, p.x); r = std::max(r, p.x);
        t = std::min(t, p.y); b = std::max(b, p.y);
    }
    *cx = (l + r) / 2.0f;
    *cy = (t + b) / 2.0f;
}

void CPath::MirrorX()
{
    float cx, cy;
    Centre(&cx, &cy);
    for (PathPoint& p : m_points) p.x = 2.0f * cx - p.x;
    Changed();
}

void CPath::FlipY()
{
    float cx, cy;
    Centre(&cx, &cy);
    for (PathPoint& p : m_points) p.y = 2.0f * cy - p.y;
    Changed();
}

void CPath::Rotate(float degrees)
{
    float cx, cy;
    Centre(&cx, &cy);
    double a = degrees * M_PI / 180.0, c = cos(a), s = sin(a);
    for (PathPoint& p : m_points) {
        double x = p.x - cx, y = p.y - cy;
        p.x = (float)(cx + c * x + s * y);
        p.y = (float)(cy + c * y - s * x);
    }
    Changed();
}

void CPath::Rescale(float xscale, float yscale)
{
    float cx, cy;
    Centre(&cx, &cy);
    for (PathPoint& p : m_points) {
        p.x = cx + (p.x - cx) * xscale;
        p.y = cy + (p.y - cy) * yscale;
    }
    Changed();
}

void CPath::Assign(const CPath& other)
{
    if (&other == this) return;
    m_points = other.m_points;
    m_kind = other.m_kind;
    m_closed = other.m_closed;
    m_precision = other.m_precision;
    Changed();
}

void CPath::Set(int kind, bool closed, int precision, std::vector<PathPoint> points)
{
    m_kind = (kind == 1) ? 1 : 0;
    m_closed = closed;
    m_precision = std::clamp(precision, 0, 8);
    m_points = std::move(points);
    Changed();
}

// A quadratic curve from the midpoint of a-b to the midpoint of b-c with b as its control point,
// cut into 2^precision pieces; the start point is left to the previous piece.
void CPath::AddSmoothSegment(std::vector<PathPoint>& internal, const PathPoint& a, const PathPoint& b,
                             const PathPoint& c) const
{
    int pieces = 1 << m_precision;
    PathPoint s{(a.x + b.x) / 2, (a.y + b.y) / 2, (a.speed + b.speed) / 2};
    PathPoint e{(b.x + c.x) / 2, (b.y + c.y) / 2, (b.speed + c.speed) / 2};
    for (int i = 1; i <= pieces; i++) {
        float t = (float)i / pieces, u = 1.0f - t;
        internal.push_back({u * u * s.x + 2 * u * t * b.x + t * t * e.x,
                            u * u * s.y + 2 * u * t * b.y + t * t * e.y,
                            u * u * s.speed + 2 * u * t * b.speed + t * t * e.speed});
    }
}

const CPath::Curve& CPath::Refresh() const
{
    if (!m_stale) return m_curve;
    Curve c;
    bool made = MemoryManager_Try([&] {
        size_t n = m_points.size();
        std::vector<PathPoint>& internal = c.internal;
        if (n > 0) {
            if (m_kind == 0 || n < 3) {
                internal = m_points;
                if (m_closed && n > 1) internal.push_back(m_points[0]);
            } else if (m_closed) {
                PathPoint first{(m_points[n - 1].x + m_points[0].x) / 2, (m_points[n - 1].y + m_points[0].y) / 2,
                                (m_points[n - 1].speed + m_points[0].speed) / 2};
                internal.push_back(first);
                for (size_t i = 0; i < n; i++)
                    AddSmoothSegment(internal, m_points[(i + n - 1) % n], m_points[i], m_points[(i + 1) % n]);
            } else {
                // An open smooth path keeps its two end points.
                internal.push_back(m_points[0]);
                PathPoint mid{(m_points[0].x + m_points[1].x) / 2, (m_points[0].y + m_points[1].y) / 2,
                              (m_points[0].speed + m_points[1].speed) / 2};
                internal.push_back(mid);
                for (size_t i = 1; i + 1 < n; i++) AddSmoothSegment(internal, m_points[i - 1], m_points[i], m_points[i + 1]);
                internal.push_back(m_points[n - 1]);
            }
        }
        c.distance.assign(internal.size(), 0.0f);
    });
    if (!made) return m_curve;
    double total = 0.0;
    for (size_t i = 1; i < c.internal.size(); i++) {
        total += hypot(c.internal[i].x - c.internal[i - 1].x, c.internal[i].y - c.internal[i - 1].y);
        c.distance[i] = (float)total;
    }
    c.length = (float)total;
    m_curve = std::move(c);
    m_stale = false;
    return m_curve;
}
