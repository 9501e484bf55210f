// The primitive recorder: 3D primitives kept as vertex lists so that a model is built once and
// replayed at any position. The lists go to the device as vertex buffers when it has them.
#pragma once
#include "Graphics_API/GR_Batch.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct GR_DeviceBuffer;

// The most vertices a batch holds in its three lists together.
const size_t RECORDER_MAX_VERTICES = 1 << 23;

struct D3DModelBatch {
    // The drawing colour's word when the batch was last drawn: the colour of the vertices that
    // take the drawing colour.
    uint32_t colour = 0;
    // The texture argument the batch was built for; the texture it names is looked up at each
    // replay, so a freed texture draws nothing and a texture made again under its id is drawn.
    int key = -1;
    std::vector<VertexXYZNormalColorUV> triangles, lines, points;
    // Places in the three lists of the vertices that take the drawing colour.
    std::vector<uint32_t> drawColour[3];
    GR_DeviceBuffer* buffers[3] = {};  // the three lists on the device, null while not made
    bool changed = false;              // the lists changed since the buffers were made
    bool full = false;                 // a primitive was refused for RECORDER_MAX_VERTICES
};

// Appends a finished primitive of count 36-byte vertices: line lists and strips to the line
// list, triangle lists, strips and fans to the triangle list, points to the point list.
// drawColour (or null for none) tells which vertices take the drawing colour. Incomplete
// primitives at the end are dropped; a bad kind adds nothing. A primitive that would take the
// batch past RECORDER_MAX_VERTICES is refused and marks the batch full.
void GraphicsRecorder_AddPrimitive(D3DModelBatch* batch, int kind, int count, const VertexXYZNormalColorUV* vertices,
                                   const bool* drawColour = nullptr);
// Gives the vertices that take the drawing colour a new colour word.
void GraphicsRecorder_Recolor(D3DModelBatch* batch, uint32_t word);
// Draws the lists with the world transform preceded by a translation, texture repeat on.
void GraphicsRecorder_Replay(D3DModelBatch* batch, float x, float y, float z);
// Releases the lists and the device's buffers; the batch is empty afterwards.
void GraphicsRecorder_Free(D3DModelBatch* batch);
