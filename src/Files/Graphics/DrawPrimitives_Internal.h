// What the shape files share: the circle tables and vertex writers.
#pragma once
#include "Graphics_API/GR_Batch.h"

#include <cstdint>

extern int Draw_CircleN;
extern float Draw_Cos[65], Draw_Sin[65];

// Room for count vertices without texture; null (the shape is skipped) when the batch refuses.
inline VertexXYZColor* Draw_Reserve16(int kind, int count)
{
    return (VertexXYZColor*)GR_Batch_Reserve(kind, nullptr, sizeof(VertexXYZColor), count);
}
inline VertexXYZColorUV* Draw_Reserve24(int kind, int count)
{
    return (VertexXYZColorUV*)GR_Batch_Reserve(kind, nullptr, sizeof(VertexXYZColorUV), count);
}
void Draw_Put(VertexXYZColor* v, float x, float y, uint32_t colour);
void Draw_Put(VertexXYZColorUV* v, float x, float y, uint32_t colour);
// A game colour with the drawing alpha, as a device colour.
uint32_t Draw_Word(uint32_t colour);
// An alpha 0..1 as a byte: clamped, NaN as 0, x 255 truncated.
int Draw_AlphaByte(double alpha);
// A whole far edge nudged by 0.01, so that it reaches the pixel it ends on.
float Draw_Nudge(float edge);
// Two triangles covering (x1, y1) to (x2, y2), corners already ordered and offset.
void Draw_Quad(float x1, float y1, float x2, float y2, uint32_t word);
