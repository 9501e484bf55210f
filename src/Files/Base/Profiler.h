// The profiler: nested, coloured, labelled sections timed within a frame. While no profiler is
// shown, Begin and End only test one flag.
#pragma once
#include <cstdint>

constexpr int PROFILER_MAX_DEPTH = 32;
constexpr int PROFILER_MAX_SECTIONS = 4096;  // per frame; further sections are not timed
constexpr int PROFILER_LABEL = 32;

struct ProfilerSection {
    uint32_t colour;
    char label[PROFILER_LABEL];
    int depth;
    int64_t start;     // microseconds since the frame started
    int64_t duration;  // microseconds; -1 while still open
};

void Profiler_Begin(uint32_t colour, const char* label);
void Profiler_End();

void Profiler_Show(bool shown);
bool Profiler_Shown();
// Starts a new frame: the sections of the previous one are dropped.
void Profiler_StartFrame();
int Profiler_SectionCount();
const ProfilerSection* Profiler_GetSection(int index);
