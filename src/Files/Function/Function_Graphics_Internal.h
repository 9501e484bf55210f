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

#undef GRAPHICS_BUILTIN

// Results that are colours or device words: the 32-bit value read as unsigned.
inline void Graphics_SetUnsigned(TaggedValue* result, uint32_t value)
{
    result->SetReal((double)value);
}
