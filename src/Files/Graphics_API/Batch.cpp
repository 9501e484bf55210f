#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Backend.h"

#include <algorithm>
#include <cmath>

GR_BatchStats GR_Batch_Stats;

static uint8_t g_staging[GR_BATCH_BYTES] __attribute__((aligned(16)));
static int g_kind = 0;
static GR_DeviceTexture* g_texture = nullptr;
static int g_stride = 0;
static int g_count = 0;
static int g_handoverAt = GR_BATCH_HANDOVER;  // the vertices of the frame's next hand-over

static bool IsStripOrFan(int kind)
{
    return kind == GR_LINESTRIP || kind == GR_TRIANGLESTRIP || kind == GR_TRIANGLEFAN;
}

// The batch kind of GR_Batch_Reserve_Quads: 4 vertices a quad, drawn through shared indices.
static const int QUADS = GR_TRIANGLEFAN + 1;

static bool GoodStride(int stride)
{
    return stride == 16 || stride == 24 || stride == 36;
}

// The vertices a batch of the kind and stride holds; quads index theirs with 16 bits.
static int Room(int kind, int stride)
{
    int room = GR_BATCH_BYTES / stride;
    return kind == QUADS && room > 4 * GR_BATCH_MAX_QUADS ? 4 * GR_BATCH_MAX_QUADS : room;
}

// Room for count vertices once kind, texture, stride and count are known to be good.
static void* Reserve(int kind, GR_DeviceTexture* texture, int stride, int count)
{
    if (g_count >= g_handoverAt) {
        GR_Batch_Flush();
        GR_Batch_Stats.handovers++;
        GRB_Submit();
        g_handoverAt = std::min(2 * g_handoverAt, GR_BATCH_HANDOVER_MOST);
    } else if (g_count > 0 && (kind != g_kind || texture != g_texture || stride != g_stride || IsStripOrFan(kind) ||
                               g_count + count > Room(kind, stride))) {
        GR_Batch_Flush();
    }
    g_kind = kind;
    g_texture = texture;
    g_stride = stride;
    void* at = g_staging + (size_t)g_count * stride;
    g_count += count;
    return at;
}

void* GR_Batch_Reserve(int kind, GR_DeviceTexture* texture, int stride, int count)
{
    if (kind < GR_POINTLIST || kind > GR_TRIANGLEFAN || !GoodStride(stride)) return nullptr;
    if (count <= 0 || count > Room(kind, stride)) return nullptr;
    return Reserve(kind, texture, stride, count);
}

void* GR_Batch_Reserve_Quads(GR_DeviceTexture* texture, int stride, int quads)
{
    if (!GoodStride(stride) || quads <= 0 || quads > Room(QUADS, stride) / 4) return nullptr;
    return Reserve(QUADS, texture, stride, 4 * quads);
}

void GR_Batch_New_Frame()
{
    g_handoverAt = GR_BATCH_HANDOVER;
}

void GR_Batch_Unreserve(int count)
{
    if (count <= 0) return;
    g_count = count < g_count ? g_count - count : 0;
}

void GR_Batch_Flush()
{
    if (g_count <= 0) return;
    int count = g_count;
    g_count = 0;
    GR_Batch_Stats.drawCalls++;
    GR_Batch_Stats.vertices += count;
    if (g_kind == QUADS) GRB_Draw_Quads(g_texture, g_stride, g_staging, count / 4);
    else GRB_Draw(g_kind, g_texture, g_stride, g_staging, count);
}

int GR_Batch_WholeCount(int kind, int count)
{
    switch (kind) {
    case GR_POINTLIST: return count;
    case GR_LINELIST: return count - count % 2;
    case GR_LINESTRIP: return count >= 2 ? count : 0;
    case GR_TRIANGLELIST: return count - count % 3;
    case GR_TRIANGLESTRIP:
    case GR_TRIANGLEFAN: return count >= 3 ? count : 0;
    default: return 0;
    }
}

uint32_t GR_Color_Alpha_To_ARGB(uint32_t colour, float alpha)
{
    float scaled = alpha * 255.0f;
    uint32_t a = 0;
    if (scaled >= 255.0f) a = 255;
    else if (scaled > 0) a = (uint32_t)std::lround(scaled);
    return a << 24 | (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}
