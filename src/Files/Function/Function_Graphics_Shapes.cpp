// Shapes, paths, user primitives and textures.
#include "Function/Function_Graphics_Internal.h"
#include "Background/Background_Main.h"
#include "Base/Color.h"
#include "Variable/Arguments.h"
#include "Code/Error.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics_API/GR_Texture.h"
#include "Path/Path_Main.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

namespace {

// Corner width and height of the round rectangles.
constexpr float kCorner = 10.0f;

uint32_t Colour(const TaggedValue& a)
{
    return (uint32_t)Arg_FI(a);
}

// The texture a script value names: a texture id, or a page-entry handle standing for its page's
// texture; -1 for anything else.
int TextureOf(const TaggedValue& a)
{
    return GR_Texture_Resolve(Arg_FI(a)).texture;
}

}  // namespace

void F_draw_point(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_Point(Arg_F(args[0]), Arg_F(args[1]));
}

void F_draw_line(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_Line(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]));
}

void F_draw_line_width(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_LineWidth(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]));
}

void F_draw_rectangle(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_Rectangle(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_B(args[4]));
}

void F_draw_roundrect(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_RoundRect(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), kCorner, kCorner, Arg_B(args[4]));
}

void F_draw_triangle(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_Triangle(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]), Arg_B(args[6]));
}

void F_draw_circle(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_Circle(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_B(args[3]));
}

void F_draw_ellipse(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_Ellipse(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_B(args[4]));
}

void F_draw_arrow(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_Arrow(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]));
}

void F_draw_button(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_Button(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_B(args[4]));
}

// The middle colour of the bar is halfway between the minimum and maximum colours.
void F_draw_healthbar(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int minColour = Arg_FI(args[6]), maxColour = Arg_FI(args[7]);
    uint32_t midColour = (uint32_t)Color_Merge(minColour, maxColour, 0.5f);
    Draw_Healthbar(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Colour(args[5]),
                   (uint32_t)minColour, midColour, (uint32_t)maxColour, Arg_FI(args[8]), Arg_B(args[9]), Arg_B(args[10]));
}

void F_draw_point_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_PointColor(Arg_F(args[0]), Arg_F(args[1]), Colour(args[2]));
}

void F_draw_line_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_LineColor(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Colour(args[4]), Colour(args[5]));
}

void F_draw_line_width_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_LineWidthColor(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Colour(args[5]),
                        Colour(args[6]));
}

void F_draw_rectangle_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_RectangleColor(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Colour(args[4]), Colour(args[5]),
                        Colour(args[6]), Colour(args[7]), Arg_B(args[8]));
}

void F_draw_roundrect_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_RoundRectColor(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), kCorner, kCorner, Colour(args[4]),
                        Colour(args[5]), Arg_B(args[6]));
}

void F_draw_triangle_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_TriangleColor(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                       Colour(args[6]), Colour(args[7]), Colour(args[8]), Arg_B(args[9]));
}

void F_draw_circle_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_CircleColor(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Colour(args[3]), Colour(args[4]), Arg_B(args[5]));
}

void F_draw_ellipse_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_EllipseColor(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Colour(args[4]), Colour(args[5]),
                      Arg_B(args[6]));
}

void F_draw_path(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    CPath* path = Path_Get(Arg_I(args[0]));
    if (!path) {
        Error_Show_Action("Trying to drawn non-existing path.", false);
        return;
    }
    if (Arg_B(args[3])) path->Draw(0.0f, 0.0f, true);
    else path->Draw(Arg_F(args[1]), Arg_F(args[2]), false);
}

void F_draw_primitive_begin(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_PrimitiveBegin(Arg_FI(args[0]), -1);
}

// The texture is converted from the double, not narrowed, so that page-entry handles stay exact;
// the primitive draws untextured when it names no texture.
void F_draw_primitive_begin_texture(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_PrimitiveBegin(Arg_I(args[0]), Arg_I(args[1]));
}

void F_draw_primitive_end(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    Draw_PrimitiveEnd();
}

void F_draw_vertex(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_Vertex(Arg_F(args[0]), Arg_F(args[1]));
}

void F_draw_vertex_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_VertexColor(Arg_F(args[0]), Arg_F(args[1]), Colour(args[2]), Arg_F(args[3]));
}

void F_draw_vertex_texture(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_VertexTexture(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]));
}

void F_draw_vertex_texture_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Draw_VertexTextureColor(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Colour(args[4]), Arg_F(args[5]));
}

// The frame is converted to the nearest integer (not floored as for drawing) and wrapped by the
// sprite.
void F_sprite_get_texture(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = Sprite_Get(Arg_I(args[0]));
    if (!sprite) {
        Error_Show_Action("Trying to get texture from non-existing sprite.", false);
        return;
    }
    result->SetReal(sprite->GetTexture(Arg_FI(args[1])));
}

void F_background_get_texture(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    const CBackground* background = Background_Get(Arg_I(args[0]));
    if (!background) {
        Error_Show_Action("Trying to get texture from non-existing background.", false);
        return;
    }
    result->SetReal(background->GetTexture());
}

void F_texture_exists(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(TextureOf(args[0]) >= 0 ? 1.0 : 0.0);
}

void F_texture_set_interpolation(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_Texture_Set_Interpolation(Arg_B(args[0]));
}

void F_texture_set_blending(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_Texture_Set_Blending(Arg_B(args[0]));
}

void F_texture_set_repeat(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_Texture_Set_Repeat(Arg_B(args[0]));
}

void F_texture_get_width(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(GR_Texture_Get_Width(TextureOf(args[0])));
}

void F_texture_get_height(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(GR_Texture_Get_Height(TextureOf(args[0])));
}

void F_texture_preload(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_Texture_Preload(TextureOf(args[0]));
}

void F_texture_set_priority(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_Texture_Set_Priority(TextureOf(args[0]), (float)Arg_FI(args[1]));
}
