// 3D models: lists of 3D drawing commands (primitive begin and end, the eight vertex forms and the
// six shapes) that a game builds once, saves, loads and draws many times. The first draw with a
// texture records the commands into a batch of the primitive recorder; later draws with that
// texture replay the batch. Commands added after a batch was built appear in no batch until the
// model is cleared or loaded.
//
// A model is named by its index; every operation on an index that names no model does nothing
// (or gives false).
#pragma once
#include <cstdint>
#include <string>

// Command kinds, with the values each takes (the others are 0).
enum {
    MODEL_PRIMITIVE_BEGIN = 0,              // primitive kind
    MODEL_PRIMITIVE_END = 1,                //
    MODEL_VERTEX = 2,                       // x, y, z
    MODEL_VERTEX_COLOR = 3,                 // x, y, z, colour, alpha
    MODEL_VERTEX_TEXTURE = 4,               // x, y, z, u, v
    MODEL_VERTEX_TEXTURE_COLOR = 5,         // x, y, z, u, v, colour, alpha
    MODEL_VERTEX_NORMAL = 6,                // x, y, z, nx, ny, nz
    MODEL_VERTEX_NORMAL_COLOR = 7,          // x, y, z, nx, ny, nz, colour, alpha
    MODEL_VERTEX_NORMAL_TEXTURE = 8,        // x, y, z, nx, ny, nz, u, v
    MODEL_VERTEX_NORMAL_TEXTURE_COLOR = 9,  // x, y, z, nx, ny, nz, u, v, colour, alpha
    MODEL_BLOCK = 10,                       // x1, y1, z1, x2, y2, z2, hrepeat, vrepeat
    MODEL_CYLINDER = 11,                    // x1, y1, z1, x2, y2, z2, hrepeat, vrepeat, closed, steps
    MODEL_CONE = 12,                        // as the cylinder
    MODEL_ELLIPSOID = 13,                   // x1, y1, z1, x2, y2, z2, hrepeat, vrepeat, steps
    MODEL_WALL = 14,                        // as the block
    MODEL_FLOOR = 15,                       // as the block
    MODEL_KIND_COUNT
};

struct D3DModelCommand {
    int kind;
    float values[10];
};

// The most commands a model file gives a model; further lines are not read.
const int MODEL_FILE_MAX_COMMANDS = 1 << 22;

// The first free index, else a new one at the end.
int D3DModel_Create();
bool D3DModel_Exists(int model);
void D3DModel_Destroy(int model);
// Empties the command list and frees the batches.
void D3DModel_Clear(int model);
// Destroys every model (the end of the game).
void D3DModel_Free();

// The text of the model file: "100", the command count, then one line a command of its kind
// ("%d") and ten values (" %10.4f"), lines ending in LF, numbers in the C locale. False for no
// model.
bool D3DModel_ToText(int model, std::string* text);
// Clears the model and reads the text of a model file. False, with the model left empty, when the
// first line is not "100", the count is missing or the text ends before the count's lines.
// Lines of kinds the runner does not draw are kept, not drawn, and written back as they stood.
bool D3DModel_FromText(int model, const char* bytes, int64_t size);

// Draws the model moved by (x, y, z) in its own coordinates (before the world transform), with
// the texture (-1, a texture id or a page-entry handle); its drawing-colour vertices take the
// drawing colour of the moment.
void D3DModel_Draw(int model, float x, float y, float z, int texture);

// Appends a command (a kind of 0..15 with its values).
void D3DModel_AddCommand(int model, const D3DModelCommand& command);
// Appends a command of a kind the runner does not draw, with its line of a model file.
void D3DModel_AddKeptLine(int model, const D3DModelCommand& command, const std::string& line);
void D3DModel_PrimitiveBegin(int model, int kind);
void D3DModel_PrimitiveEnd(int model);
void D3DModel_Vertex(int model, float x, float y, float z);
void D3DModel_VertexColor(int model, float x, float y, float z, int colour, float alpha);
void D3DModel_VertexTexture(int model, float x, float y, float z, float u, float v);
void D3DModel_VertexTextureColor(int model, float x, float y, float z, float u, float v, int colour, float alpha);
void D3DModel_VertexNormal(int model, float x, float y, float z, float nx, float ny, float nz);
void D3DModel_VertexNormalColor(int model, float x, float y, float z, float nx, float ny, float nz, int colour, float alpha);
void D3DModel_VertexNormalTexture(int model, float x, float y, float z, float nx, float ny, float nz, float u, float v);
void D3DModel_VertexNormalTextureColor(int model, float x, float y, float z, float nx, float ny, float nz, float u, float v, int colour, float alpha);
void D3DModel_Block(int model, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat);
void D3DModel_Cylinder(int model, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat, bool closed, int steps);
void D3DModel_Cone(int model, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat, bool closed, int steps);
void D3DModel_Ellipsoid(int model, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat, int steps);
void D3DModel_Wall(int model, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat);
void D3DModel_Floor(int model, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat);

// What a model holds (tests).
int D3DModel_CommandCount(int model);
const D3DModelCommand* D3DModel_GetCommand(int model, int index);
// The line of a command of a kind the runner does not draw; null for the others.
const std::string* D3DModel_GetKeptLine(int model, int index);
int D3DModel_BatchCount(int model);
