// Surfaces as framebuffer objects with depth, and reads of the back buffer.
#include "Graphics_API/Linux/GL_Internal.h"
#include "Graphics_API/GR_Surface.h"
#include "Graphics_API/GR_Backend.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Texture.h"
#include "Graphics_API/Matrix.h"
#include "Base/MemoryManager.h"
#include "Platform/Array.h"
#include "Platform/TBitmap.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {
struct Surface {
    GR_DeviceTexture* texture;
    int textureId;
    bool valid;
};
}
static std::vector<Surface> g_surfaces;

// The targets that surface_set_target replaced, innermost last, each with the transforms and
// viewport it had; a reset goes back to the last one.
namespace {
struct SavedTarget {
    int surface;  // -1: the back buffer
    float view[16], projection[16];
    int viewport[4];
};
}
static std::vector<SavedTarget> g_targets;

static Surface* Find(int index)
{
    if (index < 0 || index >= (int)g_surfaces.size() || !g_surfaces[index].valid) return nullptr;
    return &g_surfaces[index];
}

int GR_Surface_Create(int width, int height)
{
    int max = GRB_Max_Texture_Size();
    if (width <= 0 || height <= 0 || width > max || height > max) return -1;
    GR_Batch_Flush();
    GR_DeviceTexture* texture = GRB_Texture_Create(width, height, nullptr);
    if (!texture) return -1;
    GLint target = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &target);
    bool ok = GRL_Texture_Framebuffer(texture, true);
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    int id = ok ? GR_Texture_Wrap(texture, width, height) : -1;
    if (id < 0) {
        GRB_Texture_Destroy(texture);
        return -1;
    }
    return Array_PlaceInFreeSlot(g_surfaces, Surface{texture, id, true});
}

bool GR_Surface_Exists(int index)
{
    return Find(index) != nullptr;
}

// Whether the surface is the target or one that a reset would go back to.
static bool OnTargetStack(int index)
{
    if (SurfaceTarget == index) return true;
    for (const SavedTarget& t : g_targets)
        if (t.surface == index) return true;
    return false;
}

void GR_Surface_Free(int index)
{
    Surface* s = Find(index);
    if (!s) return;
    while (OnTargetStack(index) && GR_Surface_Reset_Target()) {}
    GR_Texture_Free(s->textureId);
    GRB_Texture_Destroy(s->texture);
    *s = Surface{};
}

void GR_Surface_Free_All()
{
    for (size_t i = 0; i < g_surfaces.size(); i++) GR_Surface_Free((int)i);
    g_surfaces.clear();
    g_targets.clear();
}

int GR_Surface_Get_Width(int index)
{
    Surface* s = Find(index);
    return s ? s->texture->width : -1;
}

int GR_Surface_Get_Height(int index)
{
    Surface* s = Find(index);
    return s ? s->texture->height : -1;
}

int GR_Surface_Get_Texture(int index)
{
    Surface* s = Find(index);
    return s ? s->textureId : -1;
}

// Binds a surface with a 2D projection of its size.
static void BindSurface(int index, Surface* s)
{
    SurfaceTarget = index;
    ProjectionOverride = true;
    GRL_Bind_Target(s->texture->fbo, s->texture->width, s->texture->height);
    float w = (float)s->texture->width, h = (float)s->texture->height;
    float eye[3] = {w / 2, h / 2, -16000}, at[3] = {w / 2, h / 2, 0}, up[3] = {0, 1, 0}, m[16];
    Matrix_LookAt(m, eye, at, up);
    GR_D3D_Set_Transform(GR_TRANSFORM_VIEW, m);
    Matrix_Ortho(m, w, -h, 1, 32000);
    GR_D3D_Set_Transform(GR_TRANSFORM_PROJECTION, m);
}

static void BindScreen()
{
    SurfaceTarget = -1;
    ProjectionOverride = false;
    GRL_Bind_Target(0, 0, 0);
}

// Keeps the current target, with its transforms and viewport, on the stack.
static void PushCurrent()
{
    GR_Batch_Flush();
    SavedTarget saved;
    saved.surface = SurfaceTarget;
    GR_D3D_Get_Transform(GR_TRANSFORM_VIEW, saved.view);
    GR_D3D_Get_Transform(GR_TRANSFORM_PROJECTION, saved.projection);
    GR_D3D_Get_Viewport(&saved.viewport[0], &saved.viewport[1], &saved.viewport[2], &saved.viewport[3]);
    g_targets.push_back(saved);
}

bool GR_Surface_Set_Target(int index)
{
    Surface* s = Find(index);
    if (!s || !GRL_Has_Device() || g_targets.size() >= GR_SURFACE_STACK_DEPTH) return false;
    PushCurrent();
    BindSurface(index, s);
    return true;
}

bool GR_Surface_Set_Screen_Target()
{
    if (!GRL_Has_Device()) return false;
    PushCurrent();
    BindScreen();
    return true;
}

bool GR_Surface_Reset_Target()
{
    if (!GRL_Has_Device() || g_targets.empty()) return false;
    GR_Batch_Flush();
    SavedTarget saved = g_targets.back();
    g_targets.pop_back();
    Surface* s = Find(saved.surface);
    if (s) BindSurface(saved.surface, s);
    else BindScreen();
    GR_D3D_Set_Viewport(saved.viewport[0], saved.viewport[1], saved.viewport[2], saved.viewport[3]);
    GR_D3D_Set_Transform(GR_TRANSFORM_VIEW, saved.view);
    GR_D3D_Set_Transform(GR_TRANSFORM_PROJECTION, saved.projection);
    return true;
}

// A surface drawn into itself would read what it writes: such draws are skipped.
static int DrawableTexture(int index)
{
    Surface* s = Find(index);
    if (!s || index == SurfaceTarget) return -1;
    return s->textureId;
}

void GR_Surface_Draw(int index, float x, float y)
{
    int tex = DrawableTexture(index);
    if (tex >= 0) GR_Texture_Draw(tex, x, y);
}

void GR_Surface_Draw_Ext(int index, float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha)
{
    int tex = DrawableTexture(index);
    if (tex >= 0) GR_Texture_Draw_Ext(tex, 0, 0, x, y, xscale, yscale, angle, colour, alpha);
}

void GR_Surface_Draw_Stretched(int index, float x, float y, float w, float h, uint32_t colour, float alpha)
{
    int tex = DrawableTexture(index);
    if (tex < 0) return;
    Surface* s = Find(index);
    GR_Texture_Draw_Ext(tex, 0, 0, x, y, w / s->texture->width, h / s->texture->height, 0, colour, alpha);
}

void GR_Surface_Draw_Part(int index, float left, float top, float w, float h, float x, float y, float xscale, float yscale, uint32_t colour, float alpha)
{
    int tex = DrawableTexture(index);
    if (tex >= 0) GR_Texture_Draw_Part(tex, left, top, w, h, x, y, xscale, yscale, colour, alpha);
}

void GR_Surface_Draw_General(int index, float left, float top, float w, float h, float x, float y, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha)
{
    int tex = DrawableTexture(index);
    if (tex >= 0) GR_Texture_Draw_General(tex, left, top, w, h, x, y, xscale, yscale, angle, c1, c2, c3, c4, alpha);
}

void GR_Surface_Draw_Tiled(int index, float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float areaLeft, float areaTop, float areaWidth, float areaHeight, uint32_t colour, float alpha)
{
    int tex = DrawableTexture(index);
    if (tex >= 0) GR_Texture_Draw_Tiled(tex, 0, 0, x, y, xscale, yscale, htiled, vtiled, areaLeft, areaTop, areaWidth, areaHeight, colour, alpha);
}

// A 32-bit RGBA image of the part of a framebuffer rectangle that lies inside it.
static TBitmap* Grab(GLuint fbo, int fboW, int fboH, int x, int y, int w, int h)
{
    // Clipped in 64 bits: scripts give any corner and size.
    int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    int64_t right = std::min<int64_t>((int64_t)x + w, fboW), bottom = std::min<int64_t>((int64_t)y + h, fboH);
    if (right <= left || bottom <= top) return nullptr;
    x = (int)left, y = (int)top, w = (int)(right - left), h = (int)(bottom - top);
    uint32_t* pixels = GRL_Read_Framebuffer(fbo, fboW, fboH, x, y, w, h, 0);
    if (!pixels) return nullptr;
    TBitmap* bitmap = TBitmap_New(w, h, 32);
    if (!bitmap) {
        MemFree(pixels);
        return nullptr;
    }
    uint8_t* out = bitmap->Lock();
    for (size_t i = 0, n = (size_t)w * h; i < n; i++) {
        uint32_t p = pixels[i];
        out[i * 4] = p >> 16 & 0xFF;
        out[i * 4 + 1] = p >> 8 & 0xFF;
        out[i * 4 + 2] = p & 0xFF;
        out[i * 4 + 3] = p >> 24;
    }
    bitmap->Unlock();
    MemFree(pixels);
    return bitmap;
}

TBitmap* GR_Surface_Grab_Bitmap(int index, int x, int y, int w, int h)
{
    Surface* s = Find(index);
    if (!s || !GRL_Has_Device()) return nullptr;
    GR_Batch_Flush();
    return Grab(s->texture->fbo, s->texture->width, s->texture->height, x, y, w, h);
}

TBitmap* GR_Screen_Grab_Bitmap(int x, int y, int w, int h)
{
    if (!GRL_Has_Device()) return nullptr;
    GR_Batch_Flush();
    return Grab(GRL_Backbuffer_Read(), GR_D3D_Get_Backbuffer_Width(), GR_D3D_Get_Backbuffer_Height(), x, y, w, h);
}

uint32_t* GR_Screen_Read_Pixels(int screenW, int screenH, int x, int y, int w, int h)
{
    if (!GRL_Has_Device() || w <= 0 || h <= 0) return nullptr;
    GR_Batch_Flush();
    int bw = GR_D3D_Get_Backbuffer_Width(), bh = GR_D3D_Get_Backbuffer_Height();
    if (screenW < bw) bw = screenW;
    if (screenH < bh) bh = screenH;
    if (bw <= 0 || bh <= 0) return nullptr;
    return GRL_Read_Framebuffer(GRL_Backbuffer_Read(), bw, bh, x, y, w, h, 0xFF000000u);
}

uint32_t GR_Screen_Get_Pixel(int x, int y)
{
    if (!GRL_Has_Device()) return 0;
    GR_Batch_Flush();
    uint32_t* pixel = GRL_Read_Framebuffer(GRL_Backbuffer_Read(), GR_D3D_Get_Backbuffer_Width(), GR_D3D_Get_Backbuffer_Height(), x, y, 1, 1, 0);
    if (!pixel) return 0;
    uint32_t p = *pixel;
    MemFree(pixel);
    return (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF);
}
