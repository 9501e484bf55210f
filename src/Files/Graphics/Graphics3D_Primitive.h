// 3D primitives and shapes: vertices with normals collected into one primitive, which goes to the
// vertex batch with its texture, or into a model's batch while a model is recorded.
//
// Textures are -1 (none), a texture id or a page-entry handle (texture coordinates then map into
// the entry's rectangle); any other value draws untextured. Colours are 0xBBGGRR, alphas 0..1.
// A vertex takes the drawing colour unless it is given a colour; a recorded model remembers which
// of its vertices took the drawing colour, and only those take the drawing colour of a later draw.
#pragma once
#include <cstdint>

struct D3DModelBatch;

// Vertices a primitive of the kind holds before it is sent and continued in a new one: 999 for
// triangle lists (whole triangles), 1000 for the other kinds, known or not.
const int PRIMITIVE3D_MAX = 1000;
int Graphics3D_VertexLimit(int kind);

// Starts a primitive of a GR_ primitive kind, dropping one not ended. A primitive of another kind
// collects vertices but draws nothing.
void Graphics3D_PrimitiveBegin(int kind, int texture);
// Draws the primitive's whole primitives (an incomplete last one is dropped).
void Graphics3D_PrimitiveEnd();
int Graphics3D_PrimitiveCount();  // vertices held by the pending primitive

// One vertex each; unnamed parts are 0. A full primitive is sent first and continued without a
// gap: a line strip keeps its last vertex, a triangle strip its last two (its winding kept), a
// fan its centre and last vertex.
void Graphics3D_Vertex(float x, float y, float z);
void Graphics3D_VertexColor(float x, float y, float z, uint32_t colour, double alpha);
void Graphics3D_VertexTexture(float x, float y, float z, float u, float v);
void Graphics3D_VertexTextureColor(float x, float y, float z, float u, float v, uint32_t colour, double alpha);
void Graphics3D_VertexNormal(float x, float y, float z, float nx, float ny, float nz);
void Graphics3D_VertexNormalColor(float x, float y, float z, float nx, float ny, float nz, uint32_t colour, double alpha);
void Graphics3D_VertexNormalTexture(float x, float y, float z, float nx, float ny, float nz, float u, float v);
void Graphics3D_VertexNormalTextureColor(float x, float y, float z, float nx, float ny, float nz, float u, float v, uint32_t colour, double alpha);

// Shapes in the drawing colour, replacing any primitive being built. The texture repeats hrepeat
// times across and vrepeat times up each face; texture repeat is on while a shape draws and is put
// back afterwards. Steps are clamped to 3..128.
void Graphics3D_DrawBlock(float x1, float y1, float z1, float x2, float y2, float z2, int texture, float hrepeat, float vrepeat);
void Graphics3D_DrawCylinder(float x1, float y1, float z1, float x2, float y2, float z2, int texture, float hrepeat, float vrepeat, bool closed, int steps);
void Graphics3D_DrawCone(float x1, float y1, float z1, float x2, float y2, float z2, int texture, float hrepeat, float vrepeat, bool closed, int steps);
void Graphics3D_DrawEllipsoid(float x1, float y1, float z1, float x2, float y2, float z2, int texture, float hrepeat, float vrepeat, int steps);
// A vertical wall from (x1, y1) to (x2, y2) between heights z1 and z2; nothing when the two ends
// meet.
void Graphics3D_DrawWall(float x1, float y1, float z1, float x2, float y2, float z2, int texture, float hrepeat, float vrepeat);
// A floor from (x1, y1) to (x2, y2) whose height runs from z1 at x1 to z2 at x2.
void Graphics3D_DrawFloor(float x1, float y1, float z1, float x2, float y2, float z2, int texture, float hrepeat, float vrepeat);

// While a batch is set, finished primitives are recorded into it instead of drawn. Setting one
// puts aside the primitive a game is building, and clearing it (null) brings that back.
void Graphics3D_SetRecordTarget(D3DModelBatch* batch);
