// Surfaces: off-screen render targets that scripts create, draw into and from, read, copy and
// save.
#include "Function/Function_Graphics_Internal.h"
#include "Base/MemoryManager.h"
#include "Variable/Arguments.h"
#include "Code/Error.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics_API/GR_Surface.h"
#include "Graphics_API/GR_Texture.h"

#include <cmath>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
const float kDegrees = 3.1415927f / 180;

// The surface of an argument; a missing one is reported and gives -1.
int SurfaceArgument(const TaggedValue& a)
{
    int index = Arg_I(a);
    if (GR_Surface_Exists(index)) return index;
    Error_Show_Action("Trying to use non-existing surface.", false);
    return -1;
}

GR_DeviceTexture* SurfaceTexture(int index)
{
    return GR_Texture_Get_API_Texture(GR_Surface_Get_Texture(index));
}

float DrawAlpha()
{
    return (float)Draw_GetAlpha();
}

// The pixels of a rectangle of a surface, clipped to it first, so that the image holds what
// the surface has and nothing else.
void SaveSurface(const TaggedValue& surface, const TaggedValue& name, int x, int y, int w, int h, bool whole)
{
    int index = SurfaceArgument(surface);
    if (index < 0) return;
    const char* text = Arg_S(name);
    if (!text || !*text) {
        Error_Show_Action("Trying to save surface to empty image file name.", false);
        return;
    }
    int surfaceW = GR_Surface_Get_Width(index), surfaceH = GR_Surface_Get_Height(index);
    if (whole) x = 0, y = 0, w = surfaceW, h = surfaceH;
    if (!Graphics_ClipRect(&x, &y, &w, &h, surfaceW, surfaceH)) return;
    uint32_t* pixels = GR_D3D_Texture_Read_Pixels(SurfaceTexture(index), x, y, w, h);
    if (pixels) Graphics_SaveBMP(text, pixels, w, h);
}

void CopySurface(const TaggedValue& dest, int x, int y, const TaggedValue& source, int left, int top, int w, int h, bool whole)
{
    int to = SurfaceArgument(dest);
    int from = to >= 0 ? SurfaceArgument(source) : -1;
    if (from < 0) return;
    if (whole) w = GR_Surface_Get_Width(from), h = GR_Surface_Get_Height(from);
    GR_D3D_Texture_Copy_Rect(SurfaceTexture(to), x, y, SurfaceTexture(from), left, top, w, h);
}

}  // namespace

// Sizes are tested once converted: 0.3 is no size, and gives -1 (0 would name a surface).
void F_surface_create(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    int w = Arg_I(args[0]), h = Arg_I(args[1]);
    if (w <= 0 || h <= 0) {
        Error_Show_Action("Invalid surface dimensions", false);
        result->SetReal(-1.0);
        return;
    }
    result->SetReal(GR_Surface_Create(w, h));
}

void F_surface_free(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_Surface_Free(Arg_I(args[0]));
}

void F_surface_exists(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(GR_Surface_Exists(Arg_I(args[0])) ? 1 : 0);
}

void F_surface_get_width(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(GR_Surface_Get_Width(Arg_I(args[0])));
}

void F_surface_get_height(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(GR_Surface_Get_Height(Arg_I(args[0])));
}

void F_surface_get_texture(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(GR_Surface_Get_Texture(Arg_I(args[0])));
}

void F_surface_set_target(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(GR_Surface_Set_Target(Arg_I(args[0])) ? 1 : 0);
}

void F_surface_reset_target(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(GR_Surface_Reset_Target() ? 1 : 0);
}

// Snapped to whole pixels, unlike the other forms.
void F_draw_surface(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = SurfaceArgument(args[0]);
    if (index >= 0) GR_Surface_Draw(index, std::floor(Arg_F(args[1])), std::floor(Arg_F(args[2])));
}

void F_draw_surface_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = SurfaceArgument(args[0]);
    if (index < 0) return;
    GR_Surface_Draw_Ext(index, Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]) * kDegrees,
                        (uint32_t)Arg_I(args[6]), Arg_F(args[7]));
}

void F_draw_surface_stretched(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = SurfaceArgument(args[0]);
    if (index < 0) return;
    GR_Surface_Draw_Stretched(index, Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), kWhite, DrawAlpha());
}

void F_draw_surface_stretched_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = SurfaceArgument(args[0]);
    if (index < 0) return;
    GR_Surface_Draw_Stretched(index, Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]),
                              (uint32_t)Arg_I(args[5]), Arg_F(args[6]));
}

void F_draw_surface_part(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = SurfaceArgument(args[0]);
    if (index < 0) return;
    GR_Surface_Draw_Part(index, Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                         Arg_F(args[6]), 1, 1, kWhite, DrawAlpha());
}

void F_draw_surface_part_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = SurfaceArgument(args[0]);
    if (index < 0) return;
    GR_Surface_Draw_Part(index, Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                         Arg_F(args[6]), Arg_F(args[7]), Arg_F(args[8]), (uint32_t)Arg_I(args[9]), Arg_F(args[10]));
}

void F_draw_surface_general(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = SurfaceArgument(args[0]);
    if (index < 0) return;
    GR_Surface_Draw_General(index, Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                            Arg_F(args[6]), Arg_F(args[7]), Arg_F(args[8]), Arg_F(args[9]) * kDegrees,
                            (uint32_t)Arg_I(args[10]), (uint32_t)Arg_I(args[11]), (uint32_t)Arg_I(args[12]),
                            (uint32_t)Arg_I(args[13]), Arg_F(args[14]));
}

void F_draw_surface_tiled(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = SurfaceArgument(args[0]);
    float w, h;
    if (index < 0 || !Graphics_RoomArea(&w, &h)) return;
    GR_Surface_Draw_Tiled(index, Arg_F(args[1]), Arg_F(args[2]), 1, 1, true, true, 0, 0, w, h, kWhite, DrawAlpha());
}

void F_draw_surface_tiled_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = SurfaceArgument(args[0]);
    float w, h;
    if (index < 0 || !Graphics_RoomArea(&w, &h)) return;
    GR_Surface_Draw_Tiled(index, Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), true, true, 0, 0, w, h,
                          (uint32_t)Arg_I(args[5]), Arg_F(args[6]));
}

// The pixel as a colour with red in the low byte; 0 off the surface.
void F_surface_getpixel(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = SurfaceArgument(args[0]);
    if (index < 0) return;
    uint32_t* pixel = GR_D3D_Texture_Read_Pixels(SurfaceTexture(index), Arg_FI(args[1]), Arg_FI(args[2]), 1, 1);
    if (!pixel) return;
    uint32_t p = *pixel;
    MemFree(pixel);
    Graphics_SetUnsigned(result, (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF));
}

void F_surface_copy(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    CopySurface(args[0], Arg_I(args[1]), Arg_I(args[2]), args[3], 0, 0, 0, 0, true);
}

void F_surface_copy_part(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    CopySurface(args[0], Arg_I(args[1]), Arg_I(args[2]), args[3], Arg_I(args[4]), Arg_I(args[5]), Arg_I(args[6]),
                Arg_I(args[7]), false);
}

void F_surface_save(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SaveSurface(args[0], args[1], 0, 0, 0, 0, true);
}

void F_surface_save_part(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SaveSurface(args[0], args[1], Arg_FI(args[2]), Arg_FI(args[3]), Arg_FI(args[4]), Arg_FI(args[5]), false);
}
