// Surfaces (off-screen render targets with depth) and reads of the back buffer.
#pragma once
#include <cstddef>
#include <cstdint>

class TBitmap;

// Sizes of 0 or less or beyond the device's largest texture give -1.
int GR_Surface_Create(int width, int height);
bool GR_Surface_Exists(int index);
void GR_Surface_Free(int index);
void GR_Surface_Free_All();
int GR_Surface_Get_Width(int index);
int GR_Surface_Get_Height(int index);
int GR_Surface_Get_Texture(int index);
// Targets nest: setting one keeps the target it replaces (with its transforms and viewport) on
// a stack of at most GR_SURFACE_STACK_DEPTH entries, and a reset goes back to the last one kept.
const size_t GR_SURFACE_STACK_DEPTH = 64;
// Draws into the surface with a 2D projection of its size; false for a surface that does not
// exist or when the stack is full.
bool GR_Surface_Set_Target(int index);
// Draws to the back buffer for a while (a prompt over the game), keeping the current target on
// the stack whatever its depth; false without a device.
bool GR_Surface_Set_Screen_Target();
// Back to the target kept last; false when no target was kept. Freeing a surface resets the
// targets down to below its first place on the stack.
bool GR_Surface_Reset_Target();

void GR_Surface_Draw(int index, float x, float y);
void GR_Surface_Draw_Ext(int index, float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha);
void GR_Surface_Draw_Stretched(int index, float x, float y, float w, float h, uint32_t colour, float alpha);
void GR_Surface_Draw_Part(int index, float left, float top, float w, float h, float x, float y, float xscale, float yscale, uint32_t colour, float alpha);
void GR_Surface_Draw_General(int index, float left, float top, float w, float h, float x, float y, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha);
void GR_Surface_Draw_Tiled(int index, float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft, float areaTop, float areaWidth, float areaHeight, uint32_t colour, float alpha);

// New 32-bit images (RGBA) of a rectangle, clipped; null when it is empty or cannot be read.
TBitmap* GR_Surface_Grab_Bitmap(int index, int x, int y, int w, int h);
TBitmap* GR_Screen_Grab_Bitmap(int x, int y, int w, int h);
// A new buffer (MemFree) of w x h pixel words 0xAARRGGBB, rows top first; pixels outside the
// screen of screenW x screenH and outside the back buffer read as opaque black. Null for an empty
// rectangle or a failed read.
uint32_t* GR_Screen_Read_Pixels(int screenW, int screenH, int x, int y, int w, int h);
// The back-buffer pixel as 0xBBGGRR, 0 when it cannot be read.
uint32_t GR_Screen_Get_Pixel(int x, int y);
