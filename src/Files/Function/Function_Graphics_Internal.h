// What the files of the graphics built-ins share: every handler (the registrar names them all) and
// the helpers their arguments and results need.
#pragma once
#include "Code/Function.h"

#include <cstdint>

#define GRAPHICS_BUILTIN(name) void F_##name(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)

// Colour and drawing state, reading the screen (Function_Graphics_State.cpp).
GRAPHICS_BUILTIN(draw_set_color);
GRAPHICS_BUILTIN(draw_set_alpha);
GRAPHICS_BUILTIN(draw_get_color);
GRAPHICS_BUILTIN(draw_get_alpha);
GRAPHICS_BUILTIN(make_color);
GRAPHICS_BUILTIN(make_color_hsv);
GRAPHICS_BUILTIN(color_get_red);
GRAPHICS_BUILTIN(color_get_green);
GRAPHICS_BUILTIN(color_get_blue);
GRAPHICS_BUILTIN(color_get_hue);
GRAPHICS_BUILTIN(color_get_saturation);
GRAPHICS_BUILTIN(color_get_value);
GRAPHICS_BUILTIN(merge_color);
GRAPHICS_BUILTIN(draw_set_blend_mode);
GRAPHICS_BUILTIN(draw_set_blend_mode_ext);
GRAPHICS_BUILTIN(draw_set_color_write_enable);
GRAPHICS_BUILTIN(draw_clear);
GRAPHICS_BUILTIN(draw_clear_alpha);
GRAPHICS_BUILTIN(draw_set_circle_precision);
GRAPHICS_BUILTIN(draw_getpixel);

// Shapes, paths, user primitives and textures (Function_Graphics_Shapes.cpp).
GRAPHICS_BUILTIN(draw_point);
GRAPHICS_BUILTIN(draw_line);
GRAPHICS_BUILTIN(draw_line_width);
GRAPHICS_BUILTIN(draw_rectangle);
GRAPHICS_BUILTIN(draw_roundrect);
GRAPHICS_BUILTIN(draw_triangle);
GRAPHICS_BUILTIN(draw_circle);
GRAPHICS_BUILTIN(draw_ellipse);
GRAPHICS_BUILTIN(draw_arrow);
GRAPHICS_BUILTIN(draw_button);
GRAPHICS_BUILTIN(draw_healthbar);
GRAPHICS_BUILTIN(draw_point_color);
GRAPHICS_BUILTIN(draw_line_color);
GRAPHICS_BUILTIN(draw_line_width_color);
GRAPHICS_BUILTIN(draw_rectangle_color);
GRAPHICS_BUILTIN(draw_roundrect_color);
GRAPHICS_BUILTIN(draw_triangle_color);
GRAPHICS_BUILTIN(draw_circle_color);
GRAPHICS_BUILTIN(draw_ellipse_color);
GRAPHICS_BUILTIN(draw_path);
GRAPHICS_BUILTIN(draw_primitive_begin);
GRAPHICS_BUILTIN(draw_primitive_begin_texture);
GRAPHICS_BUILTIN(draw_primitive_end);
GRAPHICS_BUILTIN(draw_vertex);
GRAPHICS_BUILTIN(draw_vertex_color);
GRAPHICS_BUILTIN(draw_vertex_texture);
GRAPHICS_BUILTIN(draw_vertex_texture_color);
GRAPHICS_BUILTIN(sprite_get_texture);
GRAPHICS_BUILTIN(background_get_texture);
GRAPHICS_BUILTIN(texture_exists);
GRAPHICS_BUILTIN(texture_set_interpolation);
GRAPHICS_BUILTIN(texture_set_blending);
GRAPHICS_BUILTIN(texture_set_repeat);
GRAPHICS_BUILTIN(texture_get_width);
GRAPHICS_BUILTIN(texture_get_height);
GRAPHICS_BUILTIN(texture_preload);
GRAPHICS_BUILTIN(texture_set_priority);

// Text (Function_Graphics_Text.cpp).
GRAPHICS_BUILTIN(draw_set_font);
GRAPHICS_BUILTIN(draw_set_halign);
GRAPHICS_BUILTIN(draw_set_valign);
GRAPHICS_BUILTIN(string_width);
GRAPHICS_BUILTIN(string_height);
GRAPHICS_BUILTIN(string_width_ext);
GRAPHICS_BUILTIN(string_height_ext);
GRAPHICS_BUILTIN(draw_text);
GRAPHICS_BUILTIN(draw_text_ext);
GRAPHICS_BUILTIN(draw_text_transformed);
GRAPHICS_BUILTIN(draw_text_ext_transformed);
GRAPHICS_BUILTIN(draw_text_color);
GRAPHICS_BUILTIN(draw_text_ext_color);
GRAPHICS_BUILTIN(draw_text_transformed_color);
GRAPHICS_BUILTIN(draw_text_ext_transformed_color);

// Sprites and backgrounds (Function_Graphics_Sprite.cpp).
GRAPHICS_BUILTIN(draw_sprite);
GRAPHICS_BUILTIN(draw_sprite_ext);
GRAPHICS_BUILTIN(draw_sprite_stretched);
GRAPHICS_BUILTIN(draw_sprite_stretched_ext);
GRAPHICS_BUILTIN(draw_sprite_part);
GRAPHICS_BUILTIN(draw_sprite_part_ext);
GRAPHICS_BUILTIN(draw_sprite_general);
GRAPHICS_BUILTIN(draw_sprite_tiled);
GRAPHICS_BUILTIN(draw_sprite_tiled_ext);
GRAPHICS_BUILTIN(draw_sprite_pos);
GRAPHICS_BUILTIN(draw_self);
GRAPHICS_BUILTIN(draw_background);
GRAPHICS_BUILTIN(draw_background_ext);
GRAPHICS_BUILTIN(draw_background_stretched);
GRAPHICS_BUILTIN(draw_background_stretched_ext);
GRAPHICS_BUILTIN(draw_background_part);
GRAPHICS_BUILTIN(draw_background_part_ext);
GRAPHICS_BUILTIN(draw_background_general);
GRAPHICS_BUILTIN(draw_background_tiled);
GRAPHICS_BUILTIN(draw_background_tiled_ext);

// The display, the window, the mouse and screen captures (Function_Graphics_Display.cpp).
GRAPHICS_BUILTIN(display_get_width);
GRAPHICS_BUILTIN(display_get_height);
GRAPHICS_BUILTIN(display_get_colordepth);
GRAPHICS_BUILTIN(display_get_frequency);
GRAPHICS_BUILTIN(display_set_size);
GRAPHICS_BUILTIN(display_set_colordepth);
GRAPHICS_BUILTIN(display_set_frequency);
GRAPHICS_BUILTIN(display_set_all);
GRAPHICS_BUILTIN(display_test_all);
GRAPHICS_BUILTIN(display_reset);
GRAPHICS_BUILTIN(display_mouse_get_x);
GRAPHICS_BUILTIN(display_mouse_get_y);
GRAPHICS_BUILTIN(display_mouse_set);
GRAPHICS_BUILTIN(window_default);
GRAPHICS_BUILTIN(window_get_visible);
GRAPHICS_BUILTIN(window_set_fullscreen);
GRAPHICS_BUILTIN(window_get_fullscreen);
GRAPHICS_BUILTIN(window_set_caption);
GRAPHICS_BUILTIN(window_get_caption);
GRAPHICS_BUILTIN(window_set_cursor);
GRAPHICS_BUILTIN(window_get_cursor);
GRAPHICS_BUILTIN(window_set_color);
GRAPHICS_BUILTIN(window_get_color);
GRAPHICS_BUILTIN(window_set_position);
GRAPHICS_BUILTIN(window_set_size);
GRAPHICS_BUILTIN(window_set_rectangle);
GRAPHICS_BUILTIN(window_center);
GRAPHICS_BUILTIN(window_get_x);
GRAPHICS_BUILTIN(window_get_y);
GRAPHICS_BUILTIN(window_get_width);
GRAPHICS_BUILTIN(window_get_height);
GRAPHICS_BUILTIN(window_mouse_get_x);
GRAPHICS_BUILTIN(window_mouse_get_y);
GRAPHICS_BUILTIN(window_mouse_set);
GRAPHICS_BUILTIN(window_view_mouse_get_x);
GRAPHICS_BUILTIN(window_view_mouse_get_y);
GRAPHICS_BUILTIN(window_views_mouse_get_x);
GRAPHICS_BUILTIN(window_views_mouse_get_y);
GRAPHICS_BUILTIN(screen_save);
GRAPHICS_BUILTIN(screen_save_part);

// Tiles of the current room (Function_Graphics_Tile.cpp).
GRAPHICS_BUILTIN(tile_add);
GRAPHICS_BUILTIN(tile_delete);
GRAPHICS_BUILTIN(tile_exists);
GRAPHICS_BUILTIN(tile_get_x);
GRAPHICS_BUILTIN(tile_get_y);
GRAPHICS_BUILTIN(tile_get_left);
GRAPHICS_BUILTIN(tile_get_top);
GRAPHICS_BUILTIN(tile_get_width);
GRAPHICS_BUILTIN(tile_get_height);
GRAPHICS_BUILTIN(tile_get_depth);
GRAPHICS_BUILTIN(tile_get_visible);
GRAPHICS_BUILTIN(tile_get_xscale);
GRAPHICS_BUILTIN(tile_get_yscale);
GRAPHICS_BUILTIN(tile_get_blend);
GRAPHICS_BUILTIN(tile_get_alpha);
GRAPHICS_BUILTIN(tile_get_background);
GRAPHICS_BUILTIN(tile_set_position);
GRAPHICS_BUILTIN(tile_set_visible);
GRAPHICS_BUILTIN(tile_set_background);
GRAPHICS_BUILTIN(tile_set_region);
GRAPHICS_BUILTIN(tile_set_depth);
GRAPHICS_BUILTIN(tile_set_scale);
GRAPHICS_BUILTIN(tile_set_blend);
GRAPHICS_BUILTIN(tile_set_alpha);
GRAPHICS_BUILTIN(tile_find);
GRAPHICS_BUILTIN(tile_delete_at);
GRAPHICS_BUILTIN(tile_layer_hide);
GRAPHICS_BUILTIN(tile_layer_show);
GRAPHICS_BUILTIN(tile_layer_delete);
GRAPHICS_BUILTIN(tile_layer_shift);
GRAPHICS_BUILTIN(tile_layer_find);
GRAPHICS_BUILTIN(tile_layer_delete_at);
GRAPHICS_BUILTIN(tile_layer_depth);

// Surfaces (Function_Graphics_Surface.cpp).
GRAPHICS_BUILTIN(surface_create);
GRAPHICS_BUILTIN(surface_free);
GRAPHICS_BUILTIN(surface_exists);
GRAPHICS_BUILTIN(surface_get_width);
GRAPHICS_BUILTIN(surface_get_height);
GRAPHICS_BUILTIN(surface_get_texture);
GRAPHICS_BUILTIN(surface_set_target);
GRAPHICS_BUILTIN(surface_reset_target);
GRAPHICS_BUILTIN(draw_surface);
GRAPHICS_BUILTIN(draw_surface_ext);
GRAPHICS_BUILTIN(draw_surface_stretched);
GRAPHICS_BUILTIN(draw_surface_stretched_ext);
GRAPHICS_BUILTIN(draw_surface_part);
GRAPHICS_BUILTIN(draw_surface_part_ext);
GRAPHICS_BUILTIN(draw_surface_general);
GRAPHICS_BUILTIN(draw_surface_tiled);
GRAPHICS_BUILTIN(draw_surface_tiled_ext);
GRAPHICS_BUILTIN(surface_getpixel);
GRAPHICS_BUILTIN(surface_copy);
GRAPHICS_BUILTIN(surface_copy_part);
GRAPHICS_BUILTIN(surface_save);
GRAPHICS_BUILTIN(surface_save_part);

#undef GRAPHICS_BUILTIN

// Tiled drawing covers the current room: its size, false without a room.
bool Graphics_RoomArea(float* width, float* height);
// Clips a rectangle to an area of areaW x areaH from (0, 0); false when nothing of it is left.
bool Graphics_ClipRect(int* x, int* y, int* w, int* h, int areaW, int areaH);
// Writes w x h pixel words 0xAARRGGBB (rows top first) under the name in the save folder as a
// 24-bit BMP file, whatever the name's extension; a failed write is a line on the warnings
// console. Frees the pixels (MemFree).
void Graphics_SaveBMP(const char* name, uint32_t* pixels, int w, int h);

// Results that are colours or device words: the 32-bit value read as unsigned.
inline void Graphics_SetUnsigned(TaggedValue* result, uint32_t value)
{
    result->SetReal((double)value);
}
