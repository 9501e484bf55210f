// The registrar of the graphics built-ins.
//
// Blend modes (draw_set_blend_mode): 0 normal, 1 additive, 2 (bm_max) maximum: the source
// weighted by its alpha plus the destination weighted by the inverse source colour, 3
// (bm_subtract) subtract: the destination weighted by the inverse source colour; other modes are
// ignored.
#include "Function/Function_Graphics.h"
#include "Function/Function_Graphics_Internal.h"

namespace {

using Entry = FunctionEntry;

// Each section is registered in turn; the table of a section keeps its names in order.
#define ENTRY FUNCTION_ENTRY

const Entry kDrawState[] = {
    ENTRY(draw_set_color, 1),
    ENTRY(draw_set_alpha, 1),
    ENTRY(draw_get_color, 0),
    ENTRY(draw_get_alpha, 0),
    ENTRY(make_color, 3),
    {"make_color_rgb", F_make_color, 3},
    ENTRY(make_color_hsv, 3),
    ENTRY(color_get_red, 1),
    ENTRY(color_get_green, 1),
    ENTRY(color_get_blue, 1),
    ENTRY(color_get_hue, 1),
    ENTRY(color_get_saturation, 1),
    ENTRY(color_get_value, 1),
    ENTRY(merge_color, 3),
    ENTRY(draw_set_blend_mode, 1),
    ENTRY(draw_set_blend_mode_ext, 2),
    ENTRY(draw_set_color_write_enable, 4),
    ENTRY(draw_clear, 1),
    ENTRY(draw_clear_alpha, 2),
    ENTRY(draw_set_circle_precision, 1),
};

const Entry kShapes[] = {
    ENTRY(draw_point, 2),
    ENTRY(draw_line, 4),
    ENTRY(draw_line_width, 5),
    ENTRY(draw_rectangle, 5),
    ENTRY(draw_roundrect, 5),
    ENTRY(draw_triangle, 7),
    ENTRY(draw_circle, 4),
    ENTRY(draw_ellipse, 5),
    ENTRY(draw_arrow, 5),
    ENTRY(draw_button, 5),
    ENTRY(draw_healthbar, 11),
    ENTRY(draw_point_color, 3),
    ENTRY(draw_line_color, 6),
    ENTRY(draw_line_width_color, 7),
    ENTRY(draw_rectangle_color, 9),
    ENTRY(draw_roundrect_color, 7),
    ENTRY(draw_triangle_color, 10),
    ENTRY(draw_circle_color, 6),
    ENTRY(draw_ellipse_color, 7),
    ENTRY(draw_path, 4),
};

const Entry kPrimitives[] = {
    ENTRY(draw_primitive_begin, 1),
    ENTRY(draw_primitive_begin_texture, 2),
    ENTRY(draw_primitive_end, 0),
    ENTRY(draw_vertex, 2),
    ENTRY(draw_vertex_color, 4),
    ENTRY(draw_vertex_texture, 4),
    ENTRY(draw_vertex_texture_color, 6),
};

const Entry kTextures[] = {
    ENTRY(sprite_get_texture, 2),
    ENTRY(background_get_texture, 1),
    ENTRY(texture_exists, 1),
    ENTRY(texture_set_interpolation, 1),
    ENTRY(texture_set_blending, 1),
    ENTRY(texture_set_repeat, 1),
    ENTRY(texture_get_width, 1),
    ENTRY(texture_get_height, 1),
    ENTRY(texture_preload, 1),
    ENTRY(texture_set_priority, 2),
};

const Entry kText[] = {
    ENTRY(draw_set_font, 1),
    ENTRY(draw_set_halign, 1),
    ENTRY(draw_set_valign, 1),
    ENTRY(string_width, 1),
    ENTRY(string_height, 1),
    ENTRY(string_width_ext, 3),
    ENTRY(string_height_ext, 3),
    ENTRY(draw_text, 3),
    ENTRY(draw_text_ext, 5),
    ENTRY(draw_text_transformed, 6),
    ENTRY(draw_text_ext_transformed, 8),
    ENTRY(draw_text_color, 8),
    ENTRY(draw_text_ext_color, 10),
    ENTRY(draw_text_transformed_color, 11),
    ENTRY(draw_text_ext_transformed_color, 13),
};

const Entry kSprites[] = {
    ENTRY(draw_sprite, 4),
    ENTRY(draw_sprite_ext, 9),
    ENTRY(draw_sprite_stretched, 6),
    ENTRY(draw_sprite_stretched_ext, 8),
    ENTRY(draw_sprite_part, 8),
    ENTRY(draw_sprite_part_ext, 12),
    ENTRY(draw_sprite_general, 16),
    ENTRY(draw_sprite_tiled, 4),
    ENTRY(draw_sprite_tiled_ext, 8),
    ENTRY(draw_sprite_pos, 11),
    ENTRY(draw_self, 0),
};

const Entry kBackgrounds[] = {
    ENTRY(draw_background, 3),
    ENTRY(draw_background_ext, 8),
    ENTRY(draw_background_stretched, 5),
    ENTRY(draw_background_stretched_ext, 7),
    ENTRY(draw_background_part, 7),
    ENTRY(draw_background_part_ext, 11),
    ENTRY(draw_background_general, 15),
    ENTRY(draw_background_tiled, 3),
    ENTRY(draw_background_tiled_ext, 7),
};

const Entry kScreen[] = {
    ENTRY(draw_getpixel, 2),
};

#undef ENTRY

}  // namespace

void Function_Graphics_Init()
{
    // The display, window and screen names come first.
    Function_AddTable(kDrawState);
    Function_AddTable(kShapes);
    Function_AddTable(kPrimitives);
    Function_AddTable(kTextures);
    Function_AddTable(kText);
    Function_AddTable(kSprites);
    Function_AddTable(kBackgrounds);
    Function_AddTable(kScreen);
    // The tile and surface names follow.
}
