#include "Graphics_API/GraphicsRecorder.h"
#include "Graphics_API/GR_Backend.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Texture.h"
#include "Graphics_API/Matrix.h"

void GraphicsRecorder_AddPrimitive(D3DModelBatch* batch, int kind, int count, const VertexXYZNormalColorUV* v)
{
    if (!batch || !v || count <= 0) return;
    auto& tris = batch->triangles;
    auto& lines = batch->lines;
    switch (kind) {
    case GR_POINTLIST: batch->points.insert(batch->points.end(), v, v + count); break;
    case GR_LINELIST: lines.insert(lines.end(), v, v + count / 2 * 2); break;
    case GR_LINESTRIP:
        for (int i = 1; i < count; i++) lines.push_back(v[i - 1]), lines.push_back(v[i]);
        break;
    case GR_TRIANGLELIST: tris.insert(tris.end(), v, v + count / 3 * 3); break;
    case GR_TRIANGLESTRIP:
        // Every other triangle of a strip is turned round so that all keep their winding.
        for (int k = 0; k + 2 < count; k++) {
            tris.push_back(v[k]);
            tris.push_back(v[k % 2 ? k + 2 : k + 1]);
            tris.push_back(v[k % 2 ? k + 1 : k + 2]);
        }
        break;
    case GR_TRIANGLEFAN:
        for (int i = 2; i < count; i++) tris.push_back(v[0]), tris.push_back(v[i - 1]), tris.push_back(v[i]);
        break;
    }
}

void GraphicsRecorder_Recolor(D3DModelBatch* batch, uint32_t word)
{
    // A recorded word of 0 means the batch has no draw-colour vertices to repaint.
    if (!batch || (batch->colour & 1) || batch->colour == 0) return;
    uint32_t from = batch->colour, to = word & ~1u;
    for (auto* list : {&batch->triangles, &batch->lines, &batch->points})
        for (VertexXYZNormalColorUV& vertex : *list)
            if (vertex.color == from) vertex.color = to;
    batch->colour = to;
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
    const struct { int kind; const std::vector<VertexXYZNormalColorUV>* list; } parts[3] = {
        {GR_TRIANGLELIST, &batch->triangles}, {GR_LINELIST, &batch->lines}, {GR_POINTLIST, &batch->points}};
    for (const auto& part : parts) {
        if (part.list->empty()) continue;
        GR_Batch_Stats.drawCalls++;
        GR_Batch_Stats.vertices += (int)part.list->size();
        GRB_Draw(part.kind, batch->texture, sizeof(VertexXYZNormalColorUV), part.list->data(), (int)part.list->size());
    }
    GR_Texture_Set_Repeat(repeat);
    GR_D3D_Set_Transform(GR_TRANSFORM_WORLD, world);
}

void GraphicsRecorder_Free(D3DModelBatch* batch)
{
    if (!batch) return;
    std::vector<VertexXYZNormalColorUV>().swap(batch->triangles);
    std::vector<VertexXYZNormalColorUV>().swap(batch->lines);
    std::vector<VertexXYZNormalColorUV>().swap(batch->points);
}
