// CTimeLine: moments (steps) sorted by time, each with one event of code.
#pragma once
#include "Code/Code_Class.h"

#include <string>
#include <vector>

// A moment: its code is a list of actions, one for each entry of the moment, joined in order.
struct TimeLineMoment {
    int time;
    CodeActions actions;
    CCode* code = nullptr;  // made by Compile
};

class CTimeLine {
public:
    CTimeLine() = default;
    ~CTimeLine();
    CTimeLine(const CTimeLine&) = delete;
    CTimeLine& operator=(const CTimeLine&) = delete;

    int GetCount() const { return (int)m_moments.size(); }
    const TimeLineMoment& GetMoment(int i) const { return m_moments[i]; }
    // Adds code to the moment at time (moments stay sorted; a second moment at the same time
    // gets its code appended as its next action).
    void AddMoment(int time, const char* text);
    // Finds the first moment with time at least step (the last when none) and, when its time
    // equals step, removes that moment.
    void ClearMoment(int step);
    // The index of the first moment with time at least step, or the count when none.
    int FindFrom(float step) const;
    // Compiles every moment under the time line's name; false with LastErrorText on failure.
    bool Compile(const char* name);
    int MaxTime() const { return m_moments.empty() ? 0 : m_moments.back().time; }

private:
    std::vector<TimeLineMoment> m_moments;
    // Code of removed or rewritten moments, kept until the time line goes: it may be running.
    std::vector<CCode*> m_retired;
};
