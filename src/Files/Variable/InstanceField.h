// CInstanceField: a field of an instance that anyone reads and only CInstance writes: what the
// bounding box depends on (position, scale, angle, sprite, mask), written through the setters that
// mark the box dirty, and the box itself, so that no write can leave a stale box behind. The
// built-in variables name such fields, and code reads them in place.
#pragma once

class CInstance;

template <class T>
class CInstanceField {
public:
    constexpr operator T() const { return m_value; }

private:
    friend class CInstance;
    constexpr explicit CInstanceField(T value) : m_value(value) {}
    CInstanceField& operator=(const CInstanceField&) = default;
    CInstanceField& operator=(T value)
    {
        m_value = value;
        return *this;
    }
    T m_value;
};
