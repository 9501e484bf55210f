#include "TimeLine/TimeLine_Class.h"

#include "Code/Code_Class.h"

#include <algorithm>
#include <string>

CTimeLine::~CTimeLine()
{
    for (TimeLineMoment& m : m_moments) delete m.code;
    for (CCode* code : m_retired) delete code;
}

void CTimeLine::AddMoment(int time, const char* text)
{
    size_t i = FindFrom((float)time);
    if (i < m_moments.size() && m_moments[i].time == time) {
        m_moments[i].actions.Append(text);
        if (m_moments[i].code) m_retired.push_back(m_moments[i].code);
        m_moments[i].code = nullptr;
        return;
    }
    TimeLineMoment moment{time, {}, nullptr};
    moment.actions.Append(text);
    m_moments.insert(m_moments.begin() + i, std::move(moment));
}

void CTimeLine::ClearMoment(int step)
{
    if (m_moments.empty()) return;
    size_t i = FindFrom((float)step);
    if (i == m_moments.size()) i--;
    if (m_moments[i].time != step) return;
    if (m_moments[i].code) m_retired.push_back(m_moments[i].code);
    m_moments.erase(m_moments.begin() + i);
}

int CTimeLine::FindFrom(float step) const
{
    auto it = std::lower_bound(m_moments.begin(), m_moments.end(), step,
                               [](const TimeLineMoment& m, float s) { return m.time < s; });
    return (int)(it - m_moments.begin());
}

bool CTimeLine::Compile(const char* name)
{
    for (TimeLineMoment& m : m_moments) {
        if (m.code) continue;
        m.code = new CCode(m.actions);
        std::string label = std::string(name) + ", moment " + std::to_string(m.time);
        if (!m.code->Compile(label.c_str())) return false;
    }
    return true;
}
