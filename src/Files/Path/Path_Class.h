// CPath: a path resource, a list of points {x, y, speed} joined straight or smoothly, with the
// internal points (the curve as line segments) and the length worked out again when they are
// next read after an edit: a path built point by point costs time in proportion to its points.
#pragma once
#include <vector>

struct PathPoint {
    float x = 0.0f, y = 0.0f, speed = 0.0f;
};

class CPath {
public:
    CPath() = default;
    int GetCount() const { return (int)m_points.size(); }
    int GetKind() const { return m_kind; }
    bool GetClosed() const { return m_closed; }
    int GetPrecision() const { return m_precision; }
    float GetLength() const { return Refresh().length; }

    // The point record n, a shared zero point when n is out of range.
    const PathPoint& GetPoint(int n) const;
    // The position and speed at the fraction 0..1 of the length (clamped).
    PathPoint GetPointAt(float fraction) const;

    void SetKind(int kind);            // above 1 becomes 0 (straight)
    void SetClosed(bool closed);
    void SetPrecision(int precision);  // clamped to 0..8
    void AddPoint(float x, float y, float speed);
    void InsertPoint(int n, float x, float y, float speed);  // before n; past the end appends
    void ChangePoint(int n, float x, float y, float speed);  // nothing when n is out of range
    void DeletePoint(int n);                                  // nothing when n is out of range
    void Clear();
    void Append(const CPath& other);
    void Reverse();
    void Shift(float dx, float dy);
    void MirrorX();  // about the centre of the points' bounding box
    void FlipY();
    void Rotate(float degrees);
    void Rescale(float xscale, float yscale);
    void Assign(const CPath& other);
    // Replaces everything at once (the loader's form of the edits above).
    void Set(int kind, bool closed, int precision, std::vector<PathPoint> points);

    // Lines through the internal points in the drawing colour: at the path's own coordinates when
    // absolute, else shifted so that the path starts at (x, y).
    void Draw(float x, float y, bool absolute) const;

    // The internal points, for drawing and tests.
    const std::vector<PathPoint>& GetInternal() const { return Refresh().internal; }

private:
    // What the points make: the curve as line segments and the distance along it.
    struct Curve {
        std::vector<PathPoint> internal;
        std::vector<float> distance;  // distance along the path at each internal point
        float length = 0.0f;
    };
    // Marks the curve out of date.
    void Changed() { m_stale = true; }
    // The curve, worked out first when it is out of date. Without the memory for a new one the
    // last one stays (and is worked out again at the next read).
    const Curve& Refresh() const;
    void Centre(float* cx, float* cy) const;
    void AddSmoothSegment(std::vector<PathPoint>& internal, const PathPoint& a, const PathPoint& b,
                          const PathPoint& c) const;

    std::vector<PathPoint> m_points;
    int m_kind = 0;
    bool m_closed = true;
    int m_precision = 4;
    mutable Curve m_curve;
    mutable bool m_stale = false;
};
