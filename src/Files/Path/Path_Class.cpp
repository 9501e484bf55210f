#include "Path/Path_Class.h"

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
    if (m_internal.empty()) return PathPoint();
    if (m_internal.size() == 1 || m_length <= 0.0f) return m_internal[0];
    if (!(fraction > 0.0f)) fraction = 0.0f;  // also NaN
    if (fraction > 1.0f) fraction = 1.0f;
    float d = fraction * m_length;
    size_t i = std::upper_bound(m_distance.begin(), m_distance.end(), d) - m_distance.begin();
    if (i == 0) return m_internal[0];
    if (i >= m_internal.size()) return m_internal.back();
    const PathPoint& a = m_internal[i - 1];
    const PathPoint& b = m_internal[i];
    float span = m_distance[i] - m_distance[i - 1];
    float t = span > 0.0f ? (d - m_distance[i - 1]) / span : 0.0f;
    return PathPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.speed + (b.speed - a.speed) * t};
}

void CPath::SetKind(int kind) { m_kind = (kind == 1) ? 1 : 0; Compute(); }
void CPath::SetClosed(bool closed) { m_closed = closed; Compute(); }
void CPath::SetPrecision(int precision) { m_precision = std::clamp(precision, 0, 8); Compute(); }
void CPath::AddPoint(float x, float y, float speed) { m_points.push_back({x, y, speed}); Compute(); }

void CPath::InsertPoint(int n, float x, float y, float speed)
{
    n = std::clamp(n, 0, (int)m_points.size());
    m_points.insert(m_points.begin() + n, PathPoint{x, y, speed});
    Compute();
}

void CPath::ChangePoint(int n, float x, float y, float speed)
{
    if (n < 0 || n >= (int)m_points.size()) return;
    m_points[n] = {x, y, speed};
    Compute();
}

void CPath::DeletePoint(int n)
{
    if (n < 0 || n >= (int)m_points.size()) return;
    m_points.erase(m_points.begin() + n);
    Compute();
}

void CPath::Clear() { m_points.clear(); Compute(); }

void CPath::Append(const CPath& other)
{
    std::vector<PathPoint> copy = other.m_points;  // other may be this path
    m_points.insert(m_points.end(), copy.begin(), copy.end());
    Compute();
}

void CPath::Reverse() { std::reverse(m_points.begin(), m_points.end()); Compute(); }

void CPath::Shift(float dx, float dy)
{
    for (PathPoint& p : m_points) { p.x += dx; p.y += dy; }
    Compute();
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
    Compute();
}

void CPath::FlipY()
{
    float cx, cy;
    Centre(&cx, &cy);
    for (PathPoint& p : m_points) p.y = 2.0f * cy - p.y;
    Compute();
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
    Compute();
}

void CPath::Rescale(float xscale, float yscale)
{
    float cx, cy;
    Centre(&cx, &cy);
    for (PathPoint& p : m_points) {
        p.x = cx + (p.x - cx) * xscale;
        p.y = cy + (p.y - cy) * yscale;
    }
    Compute();
}

void CPath::Assign(const CPath& other)
{
    if (&other == this) return;
    m_points = other.m_points;
    m_kind = other.m_kind;
    m_closed = other.m_closed;
    m_precision = other.m_precision;
    Compute();
}

void CPath::Set(int kind, bool closed, int precision, std::vector<PathPoint> points)
{
    m_kind = (kind == 1) ? 1 : 0;
    m_closed = closed;
    m_precision = std::clamp(precision, 0, 8);
    m_points = std::move(points);
    Compute();
}

// A quadratic curve from the midpoint of a-b to the midpoint of b-c with b as its control point,
// cut into 2^precision pieces; the start point is left to the previous piece.
void CPath::AddSmoothSegment(const PathPoint& a, const PathPoint& b, const PathPoint& c)
{
    int pieces = 1 << m_precision;
    PathPoint s{(a.x + b.x) / 2, (a.y + b.y) / 2, (a.speed + b.speed) / 2};
    PathPoint e{(b.x + c.x) / 2, (b.y + c.y) / 2, (b.speed + c.speed) / 2};
    for (int i = 1; i <= pieces; i++) {
        float t = (float)i / pieces, u = 1.0f - t;
        m_internal.push_back({u * u * s.x + 2 * u * t * b.x + t * t * e.x,
                              u * u * s.y + 2 * u * t * b.y + t * t * e.y,
                              u * u * s.speed + 2 * u * t * b.speed + t * t * e.speed});
    }
}

void CPath::Compute()
{
    m_internal.clear();
    size_t n = m_points.size();
    if (n > 0) {
        if (m_kind == 0 || n < 3) {
            m_internal = m_points;
            if (m_closed && n > 1) m_internal.push_back(m_points[0]);
        } else if (m_closed) {
            PathPoint first{(m_points[n - 1].x + m_points[0].x) / 2, (m_points[n - 1].y + m_points[0].y) / 2,
                            (m_points[n - 1].speed + m_points[0].speed) / 2};
            m_internal.push_back(first);
            for (size_t i = 0; i < n; i++)
                AddSmoothSegment(m_points[(i + n - 1) % n], m_points[i], m_points[(i + 1) % n]);
        } else {
            // An open smooth path keeps its two end points.
            m_internal.push_back(m_points[0]);
            PathPoint mid{(m_points[0].x + m_points[1].x) / 2, (m_points[0].y + m_points[1].y) / 2,
                          (m_points[0].speed + m_points[1].speed) / 2};
            m_internal.push_back(mid);
            for (size_t i = 1; i + 1 < n; i++) AddSmoothSegment(m_points[i - 1], m_points[i], m_points[i + 1]);
            m_internal.push_back(m_points[n - 1]);
        }
    }
    m_distance.assign(m_internal.size(), 0.0f);
    double total = 0.0;
    for (size_t i = 1; i < m_internal.size(); i++) {
        total += hypot(m_internal[i].x - m_internal[i - 1].x, m_internal[i].y - m_internal[i - 1].y);
        m_distance[i] = (float)total;
    }
    m_length = (float)total;
}
