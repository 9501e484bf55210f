// CPath: a path resource, a list of points {x, y, speed} joined straight or smoothly, with the
// internal points (the curve as line segments) and the length recomputed after every edit.
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
    float GetLength() const { return m_length; }

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
    const std::vector<PathPoint>& GetInternal() const { return m_internal; }

private:
    void Compute();
    void Centre(float* cx, float* cy) const;
    void AddSmoothSegment(const PathPoint& a, const PathPoint& b, const PathPoint& c);

    std::vector<PathPoint> m_points;
    std::vector<PathPoint> m_internal;
    std::vector<float> m_distance;  // distance along the path at each internal point
    int m_kind = 0;
    bool m_closed = true;
    int m_precision = 4;
    float m_length = 0.0f;
};
