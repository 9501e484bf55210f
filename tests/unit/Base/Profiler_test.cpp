// Profiler sections: nesting, timing, and the limits that keep it bounded.
#include "Base/Profiler.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(Profiler, NestedSectionsAreTimed)
{
    Profiler_Show(true);
    Profiler_End();  // an End without Begin is ignored
    Profiler_Begin(0xFF0000, "Step");
    Profiler_Begin(0xFFFF00, "Text drawing with a long label that does not fit");
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Profiler_End();
    Profiler_Begin(0x00FF00, "Draw");
    ASSERT_EQ(Profiler_SectionCount(), 3);
    EXPECT_EQ(Profiler_GetSection(2)->duration, -1) << "still open";
    Profiler_End();
    Profiler_End();

    const ProfilerSection* step = Profiler_GetSection(0);
    const ProfilerSection* text = Profiler_GetSection(1);
    const ProfilerSection* draw = Profiler_GetSection(2);
    EXPECT_STREQ(step->label, "Step");
    EXPECT_EQ(std::string(text->label), std::string("Text drawing with a long label that does not fit").substr(0, PROFILER_LABEL - 1));
    EXPECT_EQ(text->colour, 0xFFFF00u);
    EXPECT_EQ(step->depth, 0);
    EXPECT_EQ(text->depth, 1);
    EXPECT_EQ(draw->depth, 1);
    EXPECT_GE(text->duration, 2000);
    EXPECT_GE(draw->start, text->start + text->duration);
    EXPECT_GE(step->duration, text->duration + draw->duration);
    EXPECT_EQ(Profiler_GetSection(3), nullptr);
    EXPECT_EQ(Profiler_GetSection(-1), nullptr);

    Profiler_StartFrame();
    EXPECT_EQ(Profiler_SectionCount(), 0);
    Profiler_Show(false);
    Profiler_Begin(0xFFFF00, "Text");
    Profiler_End();
    EXPECT_EQ(Profiler_SectionCount(), 0) << "a hidden profiler keeps nothing";
}

TEST(Profiler, DepthAndCountLimitsKeepPairsMatched)
{
    Profiler_Show(true);
    for (int i = 0; i < PROFILER_MAX_DEPTH + 5; i++) Profiler_Begin(0, "deep");
    for (int i = 0; i < PROFILER_MAX_DEPTH + 5; i++) Profiler_End();
    EXPECT_EQ(Profiler_SectionCount(), PROFILER_MAX_DEPTH);
    for (int i = 0; i < PROFILER_MAX_DEPTH; i++) EXPECT_GE(Profiler_GetSection(i)->duration, 0) << i;

    Profiler_Begin(0, "after");
    Profiler_End();
    EXPECT_EQ(Profiler_GetSection(PROFILER_MAX_DEPTH)->depth, 0) << "the overflow ends were matched";

    for (int i = 0; i < PROFILER_MAX_SECTIONS + 10; i++) {
        Profiler_Begin(0, "many");
        Profiler_End();
    }
    EXPECT_EQ(Profiler_SectionCount(), PROFILER_MAX_SECTIONS);
    Profiler_Show(false);
}

}  // namespace
