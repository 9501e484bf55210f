// The registrar of the graphics built-ins: the display, window and screen names, the drawing
// names, then the tile and surface names.
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

const Entry kDisplay[] = {
    ENTRY(display_get_width, 0),
    ENTRY(display_get_height, 0),
    ENTRY(display_get_colordepth, 0),
    ENTRY(display_get_frequency, 0),
    {"display_get_orientation", F_window_default, 0},
    ENTRY(display_set_size, 2),
    ENTRY(display_set_colordepth, 1),
    ENTRY(display_set_frequency, 1),
    ENTRY(display_set_all, 4),
    ENTRY(display_test_all, 4),
    ENTRY(display_reset, 1),
    ENTRY(display_mouse_get_x, 0),
    ENTRY(display_mouse_get_y, 0),
    ENTRY(display_mouse_set, 2),
};

// F_window_default does nothing: it serves every name that has no effect here.
const Entry kWindow[] = {
    {"window_set_visible", F_window_default, 1},
    {"window_set_showborder", F_window_default, 1},
    {"window_set_showicons", F_window_default, 1},
    {"window_set_stayontop", F_window_default, 1},
    {"window_set_sizeable", F_window_default, 1},
    ENTRY(window_default, 0),
    ENTRY(window_get_visible, 0),
    {"window_get_showborder", F_window_default, 0},
    {"window_get_showicons", F_window_default, 0},
    {"window_get_stayontop", F_window_default, 0},
    {"window_get_sizeable", F_window_default, 0},
    ENTRY(window_set_fullscreen, 1),
    ENTRY(window_get_fullscreen, 0),
    ENTRY(window_set_caption, 1),
    ENTRY(window_get_caption, 0),
    ENTRY(window_set_cursor, 1),
    ENTRY(window_get_cursor, 0),
    ENTRY(window_set_color, 1),
    ENTRY(window_get_color, 0),
    ENTRY(window_set_position, 2),
    ENTRY(window_set_size, 2),
    ENTRY(window_set_rectangle, 4),
    ENTRY(window_center, 0),
    ENTRY(window_get_x, 0),
    ENTRY(window_get_y, 0),
    ENTRY(window_get_width, 0),
    ENTRY(window_get_height, 0),
    ENTRY(window_mouse_get_x, 0),
    ENTRY(window_mouse_get_y, 0),
    ENTRY(window_mouse_set, 2),
    ENTRY(window_view_mouse_get_x, 1),
    ENTRY(window_view_mouse_get_y, 1),
    {"window_view_mouse_set", F_window_default, 3},
    ENTRY(window_views_mouse_get_x, 0),
    ENTRY(window_views_mouse_get_y, 0),
    {"window_views_mouse_set", F_window_default, 2},
};

const Entry kScreenSave[] = {
    ENTRY(screen_save, 1),
    ENTRY(screen_save_part, 5),
};

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

const Entry kTiles[] = {
    ENTRY(tile_add, 8),
    ENTRY(tile_delete, 1),
    ENTRY(tile_exists, 1),
    ENTRY(tile_get_x, 1),
    ENTRY(tile_get_y, 1),
    ENTRY(tile_get_left, 1),
    ENTRY(tile_get_top, 1),
    ENTRY(tile_get_width, 1),
    ENTRY(tile_get_height, 1),
    ENTRY(tile_get_depth, 1),
    ENTRY(tile_get_visible, 1),
    ENTRY(tile_get_xscale, 1),
    ENTRY(tile_get_yscale, 1),
    ENTRY(tile_get_blend, 1),
    ENTRY(tile_get_alpha, 1),
    ENTRY(tile_get_background, 1),
    ENTRY(tile_set_position, 3),
    ENTRY(tile_set_visible, 2),
    ENTRY(tile_set_background, 2),
    ENTRY(tile_set_region, 5),
    ENTRY(tile_set_depth, 2),
    ENTRY(tile_set_scale, 3),
    ENTRY(tile_set_blend, 2),
    ENTRY(tile_set_alpha, 2),
    ENTRY(tile_find, 3),
    ENTRY(tile_delete_at, 3),
    ENTRY(tile_layer_hide, 1),
    ENTRY(tile_layer_show, 1),
    ENTRY(tile_layer_delete, 1),
    ENTRY(tile_layer_shift, 3),
    ENTRY(tile_layer_find, 3),
    ENTRY(tile_layer_delete_at, 3),
    ENTRY(tile_layer_depth, 2),
};

const Entry kSurfaces[] = {
    ENTRY(surface_create, 2),
    ENTRY(surface_free, 1),
    ENTRY(surface_exists, 1),
    ENTRY(surface_get_width, 1),
    ENTRY(surface_get_height, 1),
    ENTRY(surface_get_texture, 1),
    ENTRY(surface_set_target, 1),
    ENTRY(surface_reset_target, 0),
    ENTRY(draw_surface, 3),
    ENTRY(draw_surface_ext, 8),
    ENTRY(draw_surface_stretched, 5),
    ENTRY(draw_surface_stretched_ext, 7),
    ENTRY(draw_surface_part, 7),
    ENTRY(draw_surface_part_ext, 11),
    ENTRY(draw_surface_general, 15),
    ENTRY(draw_surface_tiled, 3),
    ENTRY(draw_surface_tiled_ext, 7),
    ENTRY(surface_getpixel, 3),
    ENTRY(surface_copy, 4),
    ENTRY(surface_copy_part, 8),
    ENTRY(surface_save, 2),
    ENTRY(surface_save_part, 6),
};

#undef ENTRY

}  // namespace

void Function_Graphics_Init()
{
    Function_AddTable(kDisplay);
    Function_AddTable(kWindow);
    Function_AddTable(kScreenSave);
    Function_AddTable(kDrawState);
    Function_AddTable(kShapes);
    Function_AddTable(kPrimitives);
    Function_AddTable(kTextures);
    Function_AddTable(kText);
    Function_AddTable(kSprites);
    Function_AddTable(kBackgrounds);
    Function_AddTable(kScreen);
    Function_AddTable(kTiles);
    Function_AddTable(kSurfaces);
}
