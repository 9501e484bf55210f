// The drawing colour, alpha and blend state, colour arithmetic, clearing and reading the screen.
#include "Function/Function_Graphics_Internal.h"
#include "Base/Color.h"
#include "Variable/Arguments.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Surface.h"
#include "Room/View.h"

namespace {

// The red, green or blue byte of a colour: the signed remainder, so a negative colour gives a
// negative channel.
int Channel(const TaggedValue& colour, int divisor)
{
    return Arg_I(colour) / divisor % 256;
}

ColorHSV ToHSV(const TaggedValue& colour)
{
    ColorHSV hsv;
    Color_ToHSV(&hsv, Arg_I(colour));
    return hsv;
}

}  // namespace

void F_draw_set_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_SetColor((uint32_t)Arg_I(args[0]));
}

void F_draw_set_alpha(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_SetAlpha(Arg_F(args[0]));
}

void F_draw_get_color(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal((double)(Draw_GetColor() & 0xFFFFFFu));
}

void F_draw_get_alpha(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Draw_GetAlpha());
}

// Components are not masked: one above 255 carries into the next. The sum is formed in unsigned
// arithmetic so that it wraps at 32 bits, then read as a signed colour.
void F_make_color(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    uint32_t red = (uint32_t)Arg_T(args[0]), green = (uint32_t)Arg_T(args[1]), blue = (uint32_t)Arg_T(args[2]);
    result->SetReal((double)(int32_t)((blue * 256u + green) * 256u + red));
}

void F_make_color_hsv(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    ColorHSV hsv;
    ColorHSV_Set(&hsv, Arg_I(args[0]) & 0xFF, Arg_I(args[1]) & 0xFF, Arg_I(args[2]) & 0xFF);
    Graphics_SetUnsigned(result, (uint32_t)Color_FromHSV(&hsv));
}

void F_color_get_red(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(Channel(args[0], 1));
}

void F_color_get_green(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(Channel(args[0], 256));
}

void F_color_get_blue(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(Channel(args[0], 65536));
}

void F_color_get_hue(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(ToHSV(args[0]).hue);
}

void F_color_get_saturation(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(ToHSV(args[0]).saturation);
}

void F_color_get_value(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(ToHSV(args[0]).value);
}

void F_merge_color(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    Graphics_SetUnsigned(result, (uint32_t)Color_Merge(Arg_FI(args[0]), Arg_FI(args[1]), Arg_F(args[2])));
}

void F_draw_set_blend_mode(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_D3D_Set_Blend_Mode(Arg_FI(args[0]));
}

void F_draw_set_blend_mode_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_D3D_Set_Blend_Factors(Arg_FI(args[0]), Arg_FI(args[1]));
}

void F_draw_set_color_write_enable(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_D3D_Set_Color_Write_Enable(Arg_Above(args[0]), Arg_Above(args[1]), Arg_Above(args[2]), Arg_Above(args[3]));
}

// Draw_Clear is opaque whatever the drawing alpha.
void F_draw_clear(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_Clear((uint32_t)Arg_FI(args[0]));
}

void F_draw_clear_alpha(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_ClearAlpha((uint32_t)Arg_FI(args[0]), Arg_F(args[1]));
}

void F_draw_set_circle_precision(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_SetCirclePrecision(Arg_FI(args[0]));
}

// The room point seen through the view being drawn, read from the back buffer.
void F_draw_getpixel(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    int x, y;
    View_RoomToWindow(view_current, Arg_F(args[0]), Arg_F(args[1]), &x, &y);
    Graphics_SetUnsigned(result, GR_Screen_Get_Pixel(x, y));
}
