#include "Graphics/Graphics_3D_Model.h"
#include "Graphics/Graphics3D_Primitive.h"
#include "Graphics/DrawPrimitives.h"
#include "Base/Console.h"
#include "Variable/Arguments.h"
#include "Graphics_API/GraphicsRecorder.h"

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct BatchDeleter {
    void operator()(D3DModelBatch* batch) const
    {
        GraphicsRecorder_Free(batch);
        delete batch;
    }
};
using BatchPtr = std::unique_ptr<D3DModelBatch, BatchDeleter>;

struct D3DModel {
    std::vector<D3DModelCommand> commands;
    // The file's lines of the commands of kinds the runner does not draw, by command index.
    std::map<int, std::string> keptLines;
    std::vector<BatchPtr> batches;
};

std::vector<std::unique_ptr<D3DModel>> g_models;

D3DModel* Get(int model)
{
    return model >= 0 && model < (int)g_models.size() ? g_models[model].get() : nullptr;
}

void Append(int model, int kind, std::initializer_list<float> values)
{
    D3DModelCommand c = {kind, {}};
    int i = 0;
    for (float v : values) c.values[i++] = v;
    D3DModel_AddCommand(model, c);
}

// Colour numbers of commands are exact in single precision; others (from files) convert safely.
uint32_t ColourOf(float value)
{
    return (uint32_t)RealToInt(value);
}

// Replays one command into the primitive buffer with the draw's texture.
void Replay(const D3DModelCommand& c, int texture)
{
    const float* v = c.values;
    switch (c.kind) {
    case MODEL_PRIMITIVE_BEGIN: Graphics3D_PrimitiveBegin(RealToInt(v[0]), texture); break;
    case MODEL_PRIMITIVE_END: Graphics3D_PrimitiveEnd(); break;
    case MODEL_VERTEX: Graphics3D_Vertex(v[0], v[1], v[2]); break;
    case MODEL_VERTEX_COLOR: Graphics3D_VertexColor(v[0], v[1], v[2], ColourOf(v[3]), v[4]); break;
    case MODEL_VERTEX_TEXTURE: Graphics3D_VertexTexture(v[0], v[1], v[2], v[3], v[4]); break;
    case MODEL_VERTEX_TEXTURE_COLOR: Graphics3D_VertexTextureColor(v[0], v[1], v[2], v[3], v[4], ColourOf(v[5]), v[6]); break;
    case MODEL_VERTEX_NORMAL: Graphics3D_VertexNormal(v[0], v[1], v[2], v[3], v[4], v[5]); break;
    case MODEL_VERTEX_NORMAL_COLOR: Graphics3D_VertexNormalColor(v[0], v[1], v[2], v[3], v[4], v[5], ColourOf(v[6]), v[7]); break;
    case MODEL_VERTEX_NORMAL_TEXTURE: Graphics3D_VertexNormalTexture(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]); break;
    case MODEL_VERTEX_NORMAL_TEXTURE_COLOR:
        Graphics3D_VertexNormalTextureColor(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], ColourOf(v[8]), v[9]);
        break;
    case MODEL_BLOCK: Graphics3D_DrawBlock(v[0], v[1], v[2], v[3], v[4], v[5], texture, v[6], v[7]); break;
    case MODEL_CYLINDER: Graphics3D_DrawCylinder(v[0], v[1], v[2], v[3], v[4], v[5], texture, v[6], v[7], v[8] >= 0.5f, RealToInt(v[9])); break;
    case MODEL_CONE: Graphics3D_DrawCone(v[0], v[1], v[2], v[3], v[4], v[5], texture, v[6], v[7], v[8] >= 0.5f, RealToInt(v[9])); break;
    case MODEL_ELLIPSOID: Graphics3D_DrawEllipsoid(v[0], v[1], v[2], v[3], v[4], v[5], texture, v[6], v[7], RealToInt(v[8])); break;
    case MODEL_WALL: Graphics3D_DrawWall(v[0], v[1], v[2], v[3], v[4], v[5], texture, v[6], v[7]); break;
    case MODEL_FLOOR: Graphics3D_DrawFloor(v[0], v[1], v[2], v[3], v[4], v[5], texture, v[6], v[7]); break;
    default: break;
    }
}

// Records the model's commands into a new batch for the texture.
D3DModelBatch* Build(D3DModel* m, int texture)
{
    BatchPtr batch(new D3DModelBatch);
    batch->key = texture;
    batch->colour = Draw_GetColorWord();
    Graphics3D_SetRecordTarget(batch.get());
    for (const D3DModelCommand& c : m->commands) Replay(c, texture);
    Graphics3D_SetRecordTarget(nullptr);
    if (batch->full)
        Console_Warnings->Output("d3d_model_draw: the model has more than %zu vertices; only the first are drawn.\n",
                                 RECORDER_MAX_VERTICES);
    m->batches.push_back(std::move(batch));
    return m->batches.back().get();
}

}  // namespace

int D3DModel_Create()
{
    for (size_t i = 0; i < g_models.size(); i++) {
        if (!g_models[i]) {
            g_models[i] = std::make_unique<D3DModel>();
            return (int)i;
        }
    }
    g_models.push_back(std::make_unique<D3DModel>());
    return (int)g_models.size() - 1;
}

bool D3DModel_Exists(int model)
{
    return Get(model) != nullptr;
}

void D3DModel_Destroy(int model)
{
    if (Get(model)) g_models[model].reset();
}

void D3DModel_Clear(int model)
{
    D3DModel* m = Get(model);
    if (!m) return;
    std::vector<D3DModelCommand>().swap(m->commands);
    m->keptLines.clear();
    m->batches.clear();
}

void D3DModel_Free()
{
    g_models.clear();
}

void D3DModel_Draw(int model, float x, float y, float z, int texture)
{
    D3DModel* m = Get(model);
    if (!m) return;
    D3DModelBatch* batch = nullptr;
    for (const BatchPtr& b : m->batches)
        if (b->key == texture) batch = b.get();
    if (batch) GraphicsRecorder_Recolor(batch, Draw_GetColorWord());
    else batch = Build(m, texture);
    GraphicsRecorder_Replay(batch, x, y, z);
}

void D3DModel_PrimitiveBegin(int model, int kind) { Append(model, MODEL_PRIMITIVE_BEGIN, {(float)kind}); }
void D3DModel_PrimitiveEnd(int model) { Append(model, MODEL_PRIMITIVE_END, {}); }
void D3DModel_Vertex(int model, float x, float y, float z) { Append(model, MODEL_VERTEX, {x, y, z}); }

void D3DModel_VertexColor(int model, float x, float y, float z, int colour, float alpha)
{
    Append(model, MODEL_VERTEX_COLOR, {x, y, z, (float)colour, alpha});
}

void D3DModel_VertexTexture(int model, float x, float y, float z, float u, float v)
{
    Append(model, MODEL_VERTEX_TEXTURE, {x, y, z, u, v});
}

void D3DModel_VertexTextureColor(int model, float x, float y, float z, float u, float v, int colour, float alpha)
{
    Append(model, MODEL_VERTEX_TEXTURE_COLOR, {x, y, z, u, v, (float)colour, alpha});
}

void D3DModel_VertexNormal(int model, float x, float y, float z, float nx, float ny, float nz)
{
    Append(model, MODEL_VERTEX_NORMAL, {x, y, z, nx, ny, nz});
}

void D3DModel_VertexNormalColor(int model, float x, float y, float z, float nx, float ny, float nz, int colour, float alpha)
{
    Append(model, MODEL_VERTEX_NORMAL_COLOR, {x, y, z, nx, ny, nz, (float)colour, alpha});
}

void D3DModel_VertexNormalTexture(int model, float x, float y, float z, float nx, float ny, float nz, float u, float v)
{
    Append(model, MODEL_VERTEX_NORMAL_TEXTURE, {x, y, z, nx, ny, nz, u, v});
}

void D3DModel_VertexNormalTextureColor(int model, float x, float y, float z, float nx, float ny, float nz, float u, float v, int colour, float alpha)
{
    Append(model, MODEL_VERTEX_NORMAL_TEXTURE_COLOR, {x, y, z, nx, ny, nz, u, v, (float)colour, alpha});
}

void D3DModel_Block(int model, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat)
{
    Append(model, MODEL_BLOCK, {x1, y1, z1, x2, y2, z2, hrepeat, vrepeat});
}

void D3DModel_Cylinder(int model, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat, bool closed, int steps)
{
    Append(model, MODEL_CYLINDER, {x1, y1, z1, x2, y2, z2, hrepeat, vrepeat, closed ? 1.0f : 0.0f, (float)steps});
}

void D3DModel_Cone(int model, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat, bool closed, int steps)
{
    Append(model, MODEL_CONE, {x1, y1, z1, x2, y2, z2, hrepeat, vrepeat, closed ? 1.0f : 0.0f, (float)steps});
}

void D3DModel_Ellipsoid(int model, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat, int steps)
{
    Append(model, MODEL_ELLIPSOID, {x1, y1, z1, x2, y2, z2, hrepeat, vrepeat, (float)steps});
}

void D3DModel_Wall(int model, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat)
{
    Append(model, MODEL_WALL, {x1, y1, z1, x2, y2, z2, hrepeat, vrepeat});
}

void D3DModel_Floor(int model, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat)
{
    Append(model, MODEL_FLOOR, {x1, y1, z1, x2, y2, z2, hrepeat, vrepeat});
}

int D3DModel_CommandCount(int model)
{
    D3DModel* m = Get(model);
    return m ? (int)m->commands.size() : 0;
}

const D3DModelCommand* D3DModel_GetCommand(int model, int index)
{
    D3DModel* m = Get(model);
    return m && index >= 0 && index < (int)m->commands.size() ? &m->commands[index] : nullptr;
}

int D3DModel_BatchCount(int model)
{
    D3DModel* m = Get(model);
    return m ? (int)m->batches.size() : 0;
}

void D3DModel_AddCommand(int model, const D3DModelCommand& command)
{
    if (D3DModel* m = Get(model)) m->commands.push_back(command);
}

void D3DModel_AddKeptLine(int model, const D3DModelCommand& command, const std::string& line)
{
    D3DModel* m = Get(model);
    if (!m) return;
    m->keptLines[(int)m->commands.size()] = line;
    m->commands.push_back(command);
}

const std::string* D3DModel_GetKeptLine(int model, int index)
{
    D3DModel* m = Get(model);
    if (!m) return nullptr;
    auto it = m->keptLines.find(index);
    return it != m->keptLines.end() ? &it->second : nullptr;
}
