// The vertex batcher: shapes and quads are written into one staging array and handed to the
// device together while primitive kind, texture and vertex format stay the same.
#pragma once
#include <cstdint>

struct GR_DeviceTexture;

// Primitive kinds.
enum {
    GR_POINTLIST = 1,
    GR_LINELIST = 2,
    GR_LINESTRIP = 3,
    GR_TRIANGLELIST = 4,
    GR_TRIANGLESTRIP = 5,
    GR_TRIANGLEFAN = 6,
};

// Vertex formats; colours are words 0xAARRGGBB.
struct VertexXYZColor {
    float x, y, z;
    uint32_t color;
};
struct VertexXYZColorUV {
    float x, y, z;
    uint32_t color;
    float u, v;
};
struct VertexXYZNormalColorUV {
    float x, y, z;
    float nx, ny, nz;
    uint32_t color;
    float u, v;
};
static_assert(sizeof(VertexXYZColor) == 16 && sizeof(VertexXYZColorUV) == 24 && sizeof(VertexXYZNormalColorUV) == 36);

// Size of the staging array in bytes.
const int GR_BATCH_BYTES = 65536 * 24;

// A frame's first batch that holds this many vertices is drawn and handed over before more join
// it: the device then draws it while the next one is built, rather than all at the end of the
// frame. Each later hand-over of the frame waits for twice as many vertices as the last, up to
// GR_BATCH_HANDOVER_MOST: the device still gets each batch before it has drawn the one before,
// and a frame of many shapes wakes its threads a few times instead of every few thousand vertices.
const int GR_BATCH_HANDOVER = 4096;
const int GR_BATCH_HANDOVER_MOST = 16384;
// Starts the hand-overs of a new frame (the next at GR_BATCH_HANDOVER vertices).
void GR_Batch_New_Frame();

// Room for count vertices of the given stride (16, 24 or 36 bytes) in the staging array. The
// batch is drawn first unless kind, texture and stride match the batch being built and the kind
// is neither a strip nor a fan, or when the vertices would not fit, or when it holds the vertices
// of the next hand-over. Null for a bad kind or stride, a count of 0 or less, or more
// vertices than the array holds.
void* GR_Batch_Reserve(int kind, GR_DeviceTexture* texture, int stride, int count);
// Room for quads x 4 vertices: each quad's corners in the order top-left, top-right,
// bottom-right, bottom-left, drawn as the triangles (0, 1, 3) and (1, 2, 3) of them. Quads of
// one texture and stride share a batch as triangle lists do; null for a bad stride, a count of 0
// or less, or more quads than a batch holds (GR_BATCH_MAX_QUADS, fewer of 36 bytes).
const int GR_BATCH_MAX_QUADS = 16384;
void* GR_Batch_Reserve_Quads(GR_DeviceTexture* texture, int stride, int quads);
// Gives back the last count vertices reserved.
void GR_Batch_Unreserve(int count);
// Draws and empties the staging array.
void GR_Batch_Flush();
// The first of count vertices that make whole primitives of the kind (0 for an unknown kind):
// the rest would join the next shape's in the batch.
int GR_Batch_WholeCount(int kind, int count);

// What the batcher has handed to the device since the last reset (tests count these).
struct GR_BatchStats {
    int drawCalls;
    int vertices;
    int handovers;
};
extern GR_BatchStats GR_Batch_Stats;

// 0xBBGGRR colour and alpha 0..1 -> 0xAARRGGBB (alpha x 255 to the nearest, clamped).
uint32_t GR_Color_Alpha_To_ARGB(uint32_t colour, float alpha);

namespace Graphics {
enum { CLEAR_COLOR = 1, CLEAR_DEPTH = 2, CLEAR_STENCIL = 4 };
// Clears the parts named by flags of the current viewport of the render target, whatever the
// colour write mask; depth always to 1.0 and stencil to 0 (a depth clear clears the stencil too).
bool Clear(uint32_t argb, float depth, uint32_t stencil, uint32_t flags);
}
