#include "Graphics_API/GraphicsRecorder.h"
#include "Graphics_API/GR_Backend.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Texture.h"
#include "Graphics_API/Matrix.h"

namespace {
enum { TRIANGLES, LINES, POINTS };

std::vector<VertexXYZNormalColorUV>& List(D3DModelBatch* batch, int part)
{
    return part == TRIANGLES ? batch->triangles : part == LINES ? batch->lines : batch->points;
}

// Appends vertex i of a primitive to a list, noting it when it takes the drawing colour.
struct Appender {
    D3DModelBatch* batch;
    const VertexXYZNormalColorUV* v;
    const bool* drawColour;
    void operator()(int part, int i) const
    {
        std::vector<VertexXYZNormalColorUV>& list = List(batch, part);
        if (drawColour && drawColour[i]) batch->drawColour[part].push_back((uint32_t)list.size());
        list.push_back(v[i]);
    }
};
}  // namespace

void GraphicsRecorder_AddPrimitive(D3DModelBatch* batch, int kind, int count, const VertexXYZNormalColorUV* v, const bool* drawColour)
{
    if (!batch || !v || count <= 0) return;
    // A strip or fan becomes three vertices a triangle; lists keep their size.
    size_t held = batch->triangles.size() + batch->lines.size() + batch->points.size();
    if (held + (size_t)count * 3 > RECORDER_MAX_VERTICES) {
        batch->full = true;
        return;
    }
    Appender add = {batch, v, drawColour};
    switch (kind) {
    case GR_POINTLIST:
        for (int i = 0; i < count; i++) add(POINTS, i);
        break;
    case GR_LINELIST:
        for (int i = 0; i < count / 2 * 2; i++) add(LINES, i);
        break;
    case GR_LINESTRIP:
        for (int i = 1; i < count; i++) add(LINES, i - 1), add(LINES, i);
        break;
    case GR_TRIANGLELIST:
        for (int i = 0; i < count / 3 * 3; i++) add(TRIANGLES, i);
        break;
    case GR_TRIANGLESTRIP:
        // Every other triangle of a strip is turned round so that all keep their winding.
        for (int k = 0; k + 2 < count; k++) {
            add(TRIANGLES, k);
            add(TRIANGLES, k % 2 ? k + 2 : k + 1);
            add(TRIANGLES, k % 2 ? k + 1 : k + 2);
        }
        break;
    case GR_TRIANGLEFAN:
        for (int i = 2; i < count; i++) add(TRIANGLES, 0), add(TRIANGLES, i - 1), add(TRIANGLES, i);
        break;
    default: return;
    }
    batch->changed = true;
}

void GraphicsRecorder_Recolor(D3DModelBatch* batch, uint32_t word)
{
    if (!batch || batch->colour == word) return;
    batch->colour = word;
    for (int part = TRIANGLES; part <= POINTS; part++) {
        std::vector<VertexXYZNormalColorUV>& list = List(batch, part);
        for (uint32_t i : batch->drawColour[part]) list[i].color = word;
        batch->changed |= !batch->drawColour[part].empty();
    }
}

// Draws one list, from the device's buffer when it has one for it.
static void DrawList(D3DModelBatch* batch, int part, int kind, const std::vector<VertexXYZNormalColorUV>& list, GR_DeviceTexture* texture)
{
    const int stride = (int)sizeof(VertexXYZNormalColorUV);
    int count = (int)list.size();
    GR_DeviceBuffer*& buffer = batch->buffers[part];
    if (buffer && (batch->changed || !GRB_Buffer_Usable(buffer))) {
        GRB_Buffer_Destroy(buffer);
        buffer = nullptr;
    }
    if (!buffer) buffer = GRB_Buffer_Create(list.data(), (int64_t)count * stride);
    GR_Batch_Stats.drawCalls++;
    GR_Batch_Stats.vertices += count;
    if (buffer) GRB_Draw_Buffer(kind, texture, stride, buffer, count);
    else GRB_Draw(kind, texture, stride, list.data(), count);
}

void GraphicsRecorder_Replay(D3DModelBatch* batch, float x, float y, float z)
{
    if (!batch) return;
    GR_Batch_Flush();
    float world[16], moved[16], translation[16];
    GR_D3D_Get_Transform(GR_TRANSFORM_WORLD, world);
    Matrix_Translation(translation, x, y, z);
    Matrix_Multiply(moved, translation, world);
    GR_D3D_Set_Transform(GR_TRANSFORM_WORLD, moved);
    bool repeat = GR_Texture_Get_Repeat();
    GR_Texture_Set_Repeat(true);
    GR_DeviceTexture* texture = GR_Texture_Get_API_Texture(GR_Texture_Resolve(batch->key).texture);
    const int kinds[3] = {GR_TRIANGLELIST, GR_LINELIST, GR_POINTLIST};
    for (int part = TRIANGLES; part <= POINTS; part++)
        if (!List(batch, part).empty()) DrawList(batch, part, kinds[part], List(batch, part), texture);
    batch->changed = false;
    GR_Texture_Set_Repeat(repeat);
    GR_D3D_Set_Transform(GR_TRANSFORM_WORLD, world);
}

void GraphicsRecorder_Free(D3DModelBatch* batch)
{
    if (!batch) return;
    std::vector<VertexXYZNormalColorUV>().swap(batch->triangles);
    std::vector<VertexXYZNormalColorUV>().swap(batch->lines);
    std::vector<VertexXYZNormalColorUV>().swap(batch->points);
    for (std::vector<uint32_t>& places : batch->drawColour) std::vector<uint32_t>().swap(places);
    for (GR_DeviceBuffer*& buffer : batch->buffers) {
        GRB_Buffer_Destroy(buffer);
        buffer = nullptr;
    }
    batch->changed = false;
}
