// 2D drawing: the drawing colour, alpha and circle precision, and the shapes and user primitives
// that become vertices in the vertex batch. Game colours are 0xBBGGRR; device colours 0xAARRGGBB.
// The drawing alpha lives in GR_Draw_Alpha (0..255), the z of every vertex in GR_Depth.
#pragma once
#include <cstdint>

void Draw_Init();
void Draw_SetColor(uint32_t colour);
// alpha 0..1; values outside count as the nearest end, NaN as 0; stored as x 255 truncated.
void Draw_SetAlpha(double alpha);
// 0xBBGGRR with the drawing alpha still in bits 24-31.
uint32_t Draw_GetColor();
double Draw_GetAlpha();
// The colour word: drawing colour and alpha as 0xAARRGGBB.
uint32_t Draw_GetColorWord();
// Clear the render target's colour (opaque, or with the alpha 0..1), depth and stencil.
void Draw_Clear(uint32_t colour);
void Draw_ClearAlpha(uint32_t colour, double alpha);
uint32_t Color_ToARGB(uint32_t colour, int alpha);
int Color_MakeRGB(int red, int green, int blue);

// n is raised to 4, lowered to 64, then rounded down to a multiple of 4.
void Draw_SetCirclePrecision(int n);
int Draw_GetCirclePrecision();

// Shapes. Points and the ends of lines are moved by +1 on both axes (a point given as (x, y)
// lights pixel (x, y)); filled rectangles cover x1..x2 and y1..y2 inclusive.
void Draw_Point(float x, float y);
void Draw_PointColor(float x, float y, uint32_t colour);
void Draw_Line(float x1, float y1, float x2, float y2);
void Draw_LineColor(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2);
void Draw_LineWidth(float x1, float y1, float x2, float y2, float width);
void Draw_LineWidthColor(float x1, float y1, float x2, float y2, float width, uint32_t colour1, uint32_t colour2);
void Draw_Triangle(float x1, float y1, float x2, float y2, float x3, float y3, bool outline);
void Draw_TriangleColor(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t colour1, uint32_t colour2, uint32_t colour3, bool outline);
void Draw_Rectangle(float x1, float y1, float x2, float y2, bool outline);
// Corner colours top-left, top-right, bottom-right, bottom-left.
void Draw_RectangleColor(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2, uint32_t colour3, uint32_t colour4, bool outline);
void Draw_Circle(float x, float y, float r, bool outline);
void Draw_CircleColor(float x, float y, float r, uint32_t centre, uint32_t edge, bool outline);
void Draw_Ellipse(float x1, float y1, float x2, float y2, bool outline);
void Draw_EllipseColor(float x1, float y1, float x2, float y2, uint32_t centre, uint32_t edge, bool outline);
void Draw_RoundRect(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight, bool outline);
void Draw_RoundRectColor(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight, uint32_t centre, uint32_t edge, bool outline);
void Draw_Arrow(float x1, float y1, float x2, float y2, float size);
void Draw_Button(float x1, float y1, float x2, float y2, bool up);
// direction 0 left to right (and any unknown value), 1 right to left, 2 top to bottom, 3 bottom
// to top; amount 0..100.
void Draw_Healthbar(float x1, float y1, float x2, float y2, float amount, uint32_t backColour, uint32_t minColour,
                    uint32_t midColour, uint32_t maxColour, int direction, bool showBack, bool showBorder);

// The user primitive: at most DRAW_PRIMITIVE_MAX vertices, further ones are ignored. The texture
// is -1 (none), a texture id, or a page-entry handle; anything else draws untextured. Kinds are
// the GR_ primitive kinds; another kind draws nothing, and lists are trimmed to whole
// primitives so that an incomplete one cannot join the next shape in the batch.
const int DRAW_PRIMITIVE_MAX = 1001;
void Draw_PrimitiveBegin(int kind, int texture);
void Draw_Vertex(float x, float y);
void Draw_VertexColor(float x, float y, uint32_t colour, double alpha);
void Draw_VertexTexture(float x, float y, float u, float v);
void Draw_VertexTextureColor(float x, float y, float u, float v, uint32_t colour, double alpha);
void Draw_PrimitiveEnd();
int Draw_PrimitiveCount();  // vertices held by the pending primitive
