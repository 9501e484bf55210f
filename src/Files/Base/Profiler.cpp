// Profiler sections, timed with the monotonic clock of the timer.
#include "Base/Profiler.h"

#include "Base/Timer.h"

#include <cstdio>

namespace {

bool shown;
ProfilerSection sections[PROFILER_MAX_SECTIONS];
int sectionCount;
// Open sections: their index in sections[], or -1 when the section could not be kept.
int openStack[PROFILER_MAX_DEPTH];
int openDepth;
// Begin calls beyond the depth limit, so that their End calls are matched.
int overflowDepth;
int64_t frameStart;

int64_t Now() { return Timer_GetMicroseconds() - frameStart; }

}  // namespace

void Profiler_Begin(uint32_t colour, const char* label)
{
    if (!shown) return;
    if (openDepth == PROFILER_MAX_DEPTH) {
        overflowDepth++;
        return;
    }
    int index = -1;
    if (sectionCount < PROFILER_MAX_SECTIONS) {
        index = sectionCount++;
        ProfilerSection& s = sections[index];
        s.colour = colour;
        snprintf(s.label, sizeof s.label, "%s", label ? label : "");
        s.depth = openDepth;
        s.duration = -1;
        s.start = Now();
    }
    openStack[openDepth++] = index;
}

void Profiler_End()
{
    if (!shown) return;
    if (overflowDepth > 0) {
        overflowDepth--;
        return;
    }
    if (openDepth == 0) return;
    int index = openStack[--openDepth];
    if (index >= 0) sections[index].duration = Now() - sections[index].start;
}

void Profiler_Show(bool on)
{
    shown = on;
    Profiler_StartFrame();
}

bool Profiler_Shown() { return shown; }

void Profiler_StartFrame()
{
    sectionCount = 0;
    openDepth = 0;
    overflowDepth = 0;
    frameStart = Timer_GetMicroseconds();
}

int Profiler_SectionCount() { return sectionCount; }

const ProfilerSection* Profiler_GetSection(int index)
{
    return index >= 0 && index < sectionCount ? &sections[index] : nullptr;
}
