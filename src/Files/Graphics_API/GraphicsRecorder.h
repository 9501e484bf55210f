// The primitive recorder: 3D primitives kept as vertex lists so that a model is built once and
// replayed at any position.
#pragma once
#include "Graphics_API/GR_Batch.h"

#include <cstdint>
#include <vector>

struct D3DModelBatch {
    D3DModelBatch* next;
    D3DModelBatch* prev;
    // The word that the draw-colour vertices carry (lowest bit cleared); 0 when there are none.
    uint32_t colour;
    double key;  // the texture argument the batch was built for
    GR_DeviceTexture* texture;
    std::vector<VertexXYZNormalColorUV> triangles, lines, points;
};

// Appends a finished primitive of count 36-byte vertices: line lists and strips to the line
// list, triangle lists, strips and fans to the triangle list, points to the point list.
// Incomplete primitives at the end are dropped; a bad kind adds nothing.
void GraphicsRecorder_AddPrimitive(D3DModelBatch* batch, int kind, int count, const VertexXYZNormalColorUV* vertices);
// Gives the draw-colour vertices a new colour word.
void GraphicsRecorder_Recolor(D3DModelBatch* batch, uint32_t word);
// Draws the lists with the world transform preceded by a translation, texture repeat on.
void GraphicsRecorder_Replay(D3DModelBatch* batch, float x, float y, float z);
void GraphicsRecorder_Free(D3DModelBatch* batch);
