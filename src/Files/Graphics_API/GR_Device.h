// The graphics device: start-up on a window, frames, device reset, transforms and render states.
// Matrices are the row-major left-handed ones of Matrix.h with a 0..1 depth range; the layer maps
// them, the pixel centres and the winding to the device so that the same numbers give the same
// pixels: a vertex at (x, y) of a 2D projection lies on the corner of pixel (x, y), and a point
// at (x + 1, y + 1) lights pixel (x, y).
#pragma once
#include <cstdint>

struct SDL_Window;

// Asks for the window framebuffer the frame can be drawn into directly (8 bits of alpha, 24 of
// depth, 8 of stencil); called before a window for the device is made.
void GR_Window_Prepare();
// Makes the device on a window created with SDL_WINDOW_OPENGL and logs the vendor, renderer and
// version; false with a message naming what was found when OpenGL 2.1 or framebuffer objects are
// missing. The frame is drawn into a back buffer of the window's size: the window's own
// framebuffer when it can serve, an off-screen one otherwise.
bool GR_D3D_Init(SDL_Window* window);
// Whether the window's own framebuffer may serve as the back buffer (on unless switched off, as
// tests do to compare both); taken at the next device start or reset.
void GR_D3D_Allow_Window_Drawing(bool allow);
bool GR_D3D_Draws_To_Window();
void GR_D3D_Shutdown();
bool GR_D3D_HasDevice();
// Opens a hidden window of that size and makes the device on it (tests and tools); null, with a
// message on the warnings console, when there is no display or no suitable OpenGL.
SDL_Window* GR_Window_Open_Hidden(int width, int height);
void GR_Window_Close(SDL_Window* window);

bool GR_D3D_Start_Frame();
// Ends the scene, and with present shows the back buffer in the window.
bool GR_D3D_Finish_Frame(bool present);
// Makes the back buffer again at the window's current size with the antialias and vsync asked
// for; every texture and surface keeps its content.
bool GR_D3D_Reset_Device();
int GR_D3D_Get_Backbuffer_Width();
int GR_D3D_Get_Backbuffer_Height();
// The rectangle of the render target drawn into (the whole target after a change of target).
void GR_D3D_Set_Viewport(int x, int y, int w, int h);
void GR_D3D_Get_Viewport(int* x, int* y, int* w, int* h);

enum { GR_TRANSFORM_VIEW = 0, GR_TRANSFORM_PROJECTION = 1, GR_TRANSFORM_WORLD = 2 };
// 16 floats; an unknown kind reads the identity and sets nothing.
void GR_D3D_Get_Transform(int kind, float* matrix);
void GR_D3D_Set_Transform(int kind, const float* matrix);
// The transforms of 2D drawing: the rectangle (x, y, w, h), turned by angle degrees about its
// centre, fills the viewport, y downwards; the world transform is the identity.
void GR_D3D_Set_Projection_2D(float x, float y, float w, float h, float angle);
// The same for a view of a room, which in perspective is seen from its width away: what lies at
// z = 0 keeps its place and what lies deeper looks smaller.
void GR_D3D_Set_Projection_View(float x, float y, float w, float h, float angle, bool perspective);

// Render-state kinds of GR_D3D_Set_Render_State; values are those of the setters below.
enum {
    GR_RS_ZENABLE = 0,      // bool
    GR_RS_ZWRITEENABLE = 1, // bool
    GR_RS_ALPHATEST = 2,    // bool: pixels of alpha 0 are dropped
    GR_RS_SRCBLEND = 3,     // a GR_BLEND_ factor
    GR_RS_DESTBLEND = 4,
    GR_RS_CULLMODE = 5,     // GR_CULL_
    GR_RS_LIGHTING = 6,     // bool
    GR_RS_SHADEMODE = 7,    // GR_SHADE_
    GR_RS_FOGENABLE = 8,    // bool
    GR_RS_FOGCOLOR = 9,     // 0xAARRGGBB
    GR_RS_COLORWRITE = 10,  // bits 1 red, 2 green, 4 blue, 8 alpha
    GR_RS_AMBIENT = 11,     // 0xAARRGGBB
    GR_RS_ALPHABLEND = 12,  // bool
    GR_RS_FOGSTART = 13,    // integer distance
    GR_RS_FOGEND = 14,
    GR_RS_COUNT
};
enum { GR_CULL_NONE = 1, GR_CULL_CW = 2, GR_CULL_CCW = 3 };
enum { GR_SHADE_FLAT = 1, GR_SHADE_GOURAUD = 2 };
// Blend factors.
enum {
    GR_BLEND_ZERO = 1, GR_BLEND_ONE, GR_BLEND_SRCCOLOR, GR_BLEND_INVSRCCOLOR, GR_BLEND_SRCALPHA,
    GR_BLEND_INVSRCALPHA, GR_BLEND_DESTALPHA, GR_BLEND_INVDESTALPHA, GR_BLEND_DESTCOLOR,
    GR_BLEND_INVDESTCOLOR, GR_BLEND_SRCALPHASAT, GR_BLEND_BOTHSRCALPHA, GR_BLEND_BOTHINVSRCALPHA
};
// Sets a render state; the batch is drawn and the device changed only when the value differs.
// False for an unknown kind.
bool GR_D3D_Set_Render_State(int kind, uint32_t value);
uint32_t GR_D3D_Get_Render_State(int kind);

// 0 normal, 1 additive, 2 maximum (source alpha, inverse source colour), 3 subtract (zero,
// inverse source colour); other values are ignored.
void GR_D3D_Set_Blend_Mode(int mode);
// Two GR_BLEND_ factors; the two BOTH factors set both ends; unknown factors are ignored.
void GR_D3D_Set_Blend_Factors(int source, int dest);
void GR_D3D_Set_Color_Write_Enable(bool red, bool green, bool blue, bool alpha);
void GR_D3D_Set_Perspective(bool on);
bool GR_D3D_Get_Perspective();
// Depth test (less or equal) and alpha test together.
void GR_D3D_Set_Hidden(bool on);
void GR_D3D_Set_Lighting(bool on);
// true: smooth (Gouraud), false: flat with the colour of each primitive's first vertex.
void GR_D3D_Set_Shading(bool smooth);
// true: counter-clockwise triangles (as seen on the screen) are not drawn.
void GR_D3D_Set_Culling(bool on);
void GR_D3D_Set_ZWriteEnable(bool on);
// Linear fog by distance from the eye, colour 0xBBGGRR.
void GR_D3D_Set_Fog(bool on, uint32_t colour, uint16_t start, uint16_t end);

// Lights, colours 0xBBGGRR; the index is taken modulo 8. Positions and directions are in world
// space (the view transform at the time of the call applies).
void GR_D3D_Light_Define_Ambient(uint32_t colour);
void GR_D3D_Light_Define_Direction(int index, float dx, float dy, float dz, uint32_t colour);
void GR_D3D_Light_Define_Point(int index, float x, float y, float z, float range, uint32_t colour);
void GR_D3D_Light_Enable(int index, bool on);

// The surface being drawn into, -1 for the screen.
extern int SurfaceTarget;
// Set while a surface is the target or a game's orthographic projection is in force.
extern bool ProjectionOverride;
// The z of 2D drawing and the drawing alpha (0..255) that the whole-image drawers use.
extern float GR_Depth;
extern int GR_Draw_Alpha;
// Set by the antialias and vsync setters: the frame loop resets the device before its next frame.
extern bool GR_Display_Reset_Pending;
