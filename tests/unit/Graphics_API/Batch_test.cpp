// The batcher's flush rules need no device: draws are counted, not made.
#include "Graphics_API/GR_Batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

static GR_DeviceTexture* const TEX_A = (GR_DeviceTexture*)0x10;
static GR_DeviceTexture* const TEX_B = (GR_DeviceTexture*)0x20;

static int DrawsAfterFlush()
{
    GR_Batch_Flush();
    return GR_Batch_Stats.drawCalls;
}

TEST(Batch, SameKindTextureAndStrideShareOneDraw)
{
    int start = DrawsAfterFlush();
    ASSERT_NE(GR_Batch_Reserve(GR_TRIANGLELIST, TEX_A, 24, 6), nullptr);
    ASSERT_NE(GR_Batch_Reserve(GR_TRIANGLELIST, TEX_A, 24, 6), nullptr);
    EXPECT_EQ(GR_Batch_Stats.drawCalls, start);
    EXPECT_EQ(DrawsAfterFlush(), start + 1);
    // Each change of texture, kind or stride starts a new draw.
    GR_Batch_Reserve(GR_TRIANGLELIST, TEX_A, 24, 6);
    GR_Batch_Reserve(GR_TRIANGLELIST, TEX_B, 24, 6);
    GR_Batch_Reserve(GR_LINELIST, TEX_B, 24, 2);
    GR_Batch_Reserve(GR_LINELIST, TEX_B, 16, 2);
    GR_Batch_Reserve(GR_LINELIST, nullptr, 16, 2);
    EXPECT_EQ(DrawsAfterFlush(), start + 6);
}

TEST(Batch, StripsAndFansAreNeverJoined)
{
    int start = DrawsAfterFlush();
    GR_Batch_Reserve(GR_TRIANGLEFAN, nullptr, 24, 4);
    GR_Batch_Reserve(GR_TRIANGLEFAN, nullptr, 24, 4);
    GR_Batch_Reserve(GR_TRIANGLESTRIP, nullptr, 24, 4);
    GR_Batch_Reserve(GR_TRIANGLESTRIP, nullptr, 24, 4);
    GR_Batch_Reserve(GR_LINESTRIP, nullptr, 16, 3);
    GR_Batch_Reserve(GR_LINESTRIP, nullptr, 16, 3);
    EXPECT_EQ(DrawsAfterFlush(), start + 6);
    int vertices = GR_Batch_Stats.vertices;
    GR_Batch_Reserve(GR_TRIANGLEFAN, nullptr, 24, 5);
    GR_Batch_Flush();
    EXPECT_EQ(GR_Batch_Stats.vertices, vertices + 5);
}

TEST(Batch, FullArrayFlushesAndOversizedReservationsFail)
{
    int start = DrawsAfterFlush();
    GR_Batch_New_Frame();
    int perBatch = GR_BATCH_BYTES / 36, handovers = GR_Batch_Stats.handovers;
    const int below = GR_BATCH_HANDOVER - 3;  // a batch not yet handed over
    uint8_t* first = (uint8_t*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 36, below);
    uint8_t* second = (uint8_t*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 36, perBatch - below);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second, first + (size_t)below * 36);  // still fits
    EXPECT_EQ(GR_Batch_Stats.drawCalls, start);
    uint8_t* third = (uint8_t*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 36, 6);
    EXPECT_EQ(GR_Batch_Stats.drawCalls, start + 1);  // the full array went first, handed over
    EXPECT_EQ(third, first);
    EXPECT_EQ(GR_Batch_Stats.handovers, handovers + 1);
    GR_Batch_Unreserve(6);
    first = (uint8_t*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 36, below);
    EXPECT_EQ(GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 36, perBatch - below + 3), first);  // would not fit
    EXPECT_EQ(GR_Batch_Stats.drawCalls, start + 2);
    EXPECT_EQ(GR_Batch_Stats.handovers, handovers + 1);
    EXPECT_EQ(GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 36, perBatch + 1), nullptr);
    EXPECT_EQ(GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 24, 0), nullptr);
    EXPECT_EQ(GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 24, -6), nullptr);
    EXPECT_EQ(GR_Batch_Reserve(7, nullptr, 24, 3), nullptr);
    EXPECT_EQ(GR_Batch_Reserve(0, nullptr, 24, 3), nullptr);
    EXPECT_EQ(GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 20, 3), nullptr);
    EXPECT_EQ(DrawsAfterFlush(), start + 3);
}

TEST(Batch, QuadsShareABatchUpToTheIndexLimit)
{
    int start = DrawsAfterFlush();
    uint8_t* first = (uint8_t*)GR_Batch_Reserve_Quads(TEX_A, 24, 1);
    uint8_t* second = (uint8_t*)GR_Batch_Reserve_Quads(TEX_A, 24, 2);
    EXPECT_EQ(second, first + 4 * 24);
    EXPECT_EQ(GR_Batch_Stats.drawCalls, start);
    // Quads and triangle lists of one texture are different draws.
    GR_Batch_Reserve(GR_TRIANGLELIST, TEX_A, 24, 6);
    GR_Batch_Reserve_Quads(TEX_A, 24, 1);
    GR_Batch_Reserve_Quads(TEX_B, 24, 1);
    EXPECT_EQ(DrawsAfterFlush(), start + 4);
    // 16-bit indices: one reservation takes up to GR_BATCH_MAX_QUADS quads even of short
    // vertices, and a batch that size is handed over before the next.
    int vertices = GR_Batch_Stats.vertices, handovers = GR_Batch_Stats.handovers;
    ASSERT_NE(GR_Batch_Reserve_Quads(nullptr, 16, GR_BATCH_MAX_QUADS), nullptr);
    EXPECT_EQ(GR_Batch_Stats.drawCalls, start + 4);
    GR_Batch_Reserve_Quads(nullptr, 16, 1);
    EXPECT_EQ(GR_Batch_Stats.drawCalls, start + 5);
    EXPECT_EQ(GR_Batch_Stats.handovers, handovers + 1);
    EXPECT_EQ(DrawsAfterFlush(), start + 6);
    EXPECT_EQ(GR_Batch_Stats.vertices, vertices + 4 * (GR_BATCH_MAX_QUADS + 1));
    // Quads one at a time: a frame's first batch is handed over at GR_BATCH_HANDOVER vertices.
    GR_Batch_New_Frame();
    for (int i = 0; i < GR_BATCH_HANDOVER / 4; i++) GR_Batch_Reserve_Quads(TEX_A, 24, 1);
    EXPECT_EQ(GR_Batch_Stats.drawCalls, start + 6);
    GR_Batch_Reserve_Quads(TEX_A, 24, 1);
    EXPECT_EQ(GR_Batch_Stats.drawCalls, start + 7);
    EXPECT_EQ(GR_Batch_Stats.handovers, handovers + 2);
    // A batch ended by a change of texture is not handed over.
    GR_Batch_Reserve_Quads(TEX_B, 24, 1);
    EXPECT_EQ(GR_Batch_Stats.drawCalls, start + 8);
    EXPECT_EQ(GR_Batch_Stats.handovers, handovers + 2);
    EXPECT_EQ(DrawsAfterFlush(), start + 9);
    // Long vertices fill the array first.
    int perBatch = GR_BATCH_BYTES / 36 / 4;
    ASSERT_LT(perBatch, GR_BATCH_MAX_QUADS);
    EXPECT_NE(GR_Batch_Reserve_Quads(nullptr, 36, perBatch), nullptr);
    EXPECT_EQ(GR_Batch_Reserve_Quads(nullptr, 36, perBatch + 1), nullptr);
    EXPECT_EQ(GR_Batch_Reserve_Quads(nullptr, 16, GR_BATCH_MAX_QUADS + 1), nullptr);
    EXPECT_EQ(GR_Batch_Reserve_Quads(nullptr, 24, 0), nullptr);
    EXPECT_EQ(GR_Batch_Reserve_Quads(nullptr, 20, 1), nullptr);
    EXPECT_EQ(DrawsAfterFlush(), start + 10);
}

TEST(Batch, UnreserveGivesBackTheLastVertices)
{
    DrawsAfterFlush();
    int vertices = GR_Batch_Stats.vertices;
    uint8_t* a = (uint8_t*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 24, 12);
    GR_Batch_Unreserve(6);
    uint8_t* b = (uint8_t*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, 24, 6);
    EXPECT_EQ(b, a + 6 * 24);
    GR_Batch_Unreserve(100);  // more than reserved empties the batch
    int draws = GR_Batch_Stats.drawCalls;
    GR_Batch_Flush();
    EXPECT_EQ(GR_Batch_Stats.drawCalls, draws);
    EXPECT_EQ(GR_Batch_Stats.vertices, vertices);
}

TEST(Batch, ColourWords)
{
    EXPECT_EQ(GR_Color_Alpha_To_ARGB(0x0000FF, 1), 0xFFFF0000u);
    EXPECT_EQ(GR_Color_Alpha_To_ARGB(0x123456, 0), 0x00563412u);
    EXPECT_EQ(GR_Color_Alpha_To_ARGB(0xFF0000, 0.5f), 0x800000FFu);  // 127.5 to the nearest
    EXPECT_EQ(GR_Color_Alpha_To_ARGB(0x00FF00, 7), 0xFF00FF00u);
    EXPECT_EQ(GR_Color_Alpha_To_ARGB(0x00FF00, -1), 0x0000FF00u);
    EXPECT_EQ(GR_Color_Alpha_To_ARGB(0xFFFFFFFF, NAN), 0x00FFFFFFu);
}

TEST(Batch, HandOversGrowThroughAFrame)
{
    // The vertices of each hand-over of a frame of quads: GR_BATCH_HANDOVER, then twice the last
    // up to GR_BATCH_HANDOVER_MOST; a new frame starts again.
    for (int frame = 0; frame < 2; frame++) {
        DrawsAfterFlush();
        GR_Batch_New_Frame();
        std::vector<int> sizes, expected;
        for (int at = GR_BATCH_HANDOVER; expected.size() < 5; at = std::min(2 * at, GR_BATCH_HANDOVER_MOST))
            expected.push_back(at);
        int handovers = GR_Batch_Stats.handovers, last = GR_Batch_Stats.vertices;
        while (sizes.size() < expected.size()) {
            ASSERT_NE(GR_Batch_Reserve_Quads(TEX_A, 24, 1), nullptr);
            if (GR_Batch_Stats.handovers == handovers) continue;
            handovers = GR_Batch_Stats.handovers;
            sizes.push_back(GR_Batch_Stats.vertices - last);
            last = GR_Batch_Stats.vertices;
        }
        EXPECT_EQ(sizes, expected);
    }
    DrawsAfterFlush();
}
