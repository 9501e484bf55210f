// What the files of the resource built-ins share: every handler (the registrar names them all)
// and the helpers of their results.
#pragma once
#include "Code/Error.h"
#include "Code/Function.h"

#define RESOURCE_BUILTIN(name) void F_##name(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)

// Sprites (Function_Resource_Sprite.cpp). sprite_set_cache_size also serves the other no-op
// names, sprite_add_sprite the unsupported ones.
RESOURCE_BUILTIN(sprite_exists);
RESOURCE_BUILTIN(sprite_get_name);
RESOURCE_BUILTIN(sprite_get_number);
RESOURCE_BUILTIN(sprite_get_width);
RESOURCE_BUILTIN(sprite_get_height);
RESOURCE_BUILTIN(sprite_get_transparent);
RESOURCE_BUILTIN(sprite_get_smooth);
RESOURCE_BUILTIN(sprite_get_preload);
RESOURCE_BUILTIN(sprite_get_xoffset);
RESOURCE_BUILTIN(sprite_get_yoffset);
RESOURCE_BUILTIN(sprite_get_bbox_mode);
RESOURCE_BUILTIN(sprite_get_bbox_left);
RESOURCE_BUILTIN(sprite_get_bbox_right);
RESOURCE_BUILTIN(sprite_get_bbox_top);
RESOURCE_BUILTIN(sprite_get_bbox_bottom);
RESOURCE_BUILTIN(sprite_get_precise);
RESOURCE_BUILTIN(sprite_collision_mask);
RESOURCE_BUILTIN(sprite_set_cache_size);
RESOURCE_BUILTIN(sprite_set_offset);
RESOURCE_BUILTIN(sprite_set_bbox_mode);
RESOURCE_BUILTIN(sprite_set_bbox);
RESOURCE_BUILTIN(sprite_set_precise);
RESOURCE_BUILTIN(sprite_set_alpha_from_sprite);
RESOURCE_BUILTIN(sprite_add);
RESOURCE_BUILTIN(sprite_create_from_screen);
RESOURCE_BUILTIN(sprite_add_from_screen);
RESOURCE_BUILTIN(sprite_create_from_surface);
RESOURCE_BUILTIN(sprite_add_from_surface);
RESOURCE_BUILTIN(sprite_replace);
RESOURCE_BUILTIN(sprite_add_alpha);
RESOURCE_BUILTIN(sprite_replace_alpha);
RESOURCE_BUILTIN(sprite_add_sprite);
RESOURCE_BUILTIN(sprite_save_strip);
RESOURCE_BUILTIN(sprite_delete);
RESOURCE_BUILTIN(sprite_duplicate);
RESOURCE_BUILTIN(sprite_assign);
RESOURCE_BUILTIN(sprite_merge);
RESOURCE_BUILTIN(sprite_save);

// Backgrounds (Function_Resource_Background.cpp).
RESOURCE_BUILTIN(background_exists);
RESOURCE_BUILTIN(background_get_name);
RESOURCE_BUILTIN(background_get_width);
RESOURCE_BUILTIN(background_get_height);
RESOURCE_BUILTIN(background_get_transparent);
RESOURCE_BUILTIN(background_get_smooth);
RESOURCE_BUILTIN(background_get_preload);
RESOURCE_BUILTIN(background_set_alpha_from_background);
RESOURCE_BUILTIN(background_create_color);
RESOURCE_BUILTIN(background_replace);
RESOURCE_BUILTIN(background_create_from_screen);
RESOURCE_BUILTIN(background_create_from_surface);
RESOURCE_BUILTIN(background_create_gradient);
RESOURCE_BUILTIN(background_add);
RESOURCE_BUILTIN(background_add_alpha);
RESOURCE_BUILTIN(background_replace_alpha);
RESOURCE_BUILTIN(background_delete);
RESOURCE_BUILTIN(background_duplicate);
RESOURCE_BUILTIN(background_assign);
RESOURCE_BUILTIN(background_save);

// Sounds (Function_Resource_Sound.cpp).
RESOURCE_BUILTIN(sound_exists);
RESOURCE_BUILTIN(sound_get_name);
RESOURCE_BUILTIN(sound_get_kind);
RESOURCE_BUILTIN(sound_get_preload);
RESOURCE_BUILTIN(sound_discard);
RESOURCE_BUILTIN(sound_restore);
RESOURCE_BUILTIN(sound_add);
RESOURCE_BUILTIN(sound_replace);
RESOURCE_BUILTIN(sound_delete);

// Fonts (Function_Resource_Font.cpp).
RESOURCE_BUILTIN(font_exists);
RESOURCE_BUILTIN(font_get_name);
RESOURCE_BUILTIN(font_get_fontname);
RESOURCE_BUILTIN(font_get_size);
RESOURCE_BUILTIN(font_get_bold);
RESOURCE_BUILTIN(font_get_italic);
RESOURCE_BUILTIN(font_get_first);
RESOURCE_BUILTIN(font_get_last);
RESOURCE_BUILTIN(font_add);
RESOURCE_BUILTIN(font_replace);
RESOURCE_BUILTIN(font_add_sprite);
RESOURCE_BUILTIN(font_add_sprite_ext);
RESOURCE_BUILTIN(font_replace_sprite);
RESOURCE_BUILTIN(font_replace_sprite_ext);
RESOURCE_BUILTIN(font_delete);

// Scripts, paths and time lines (Function_Resource_Path.cpp).
RESOURCE_BUILTIN(script_exists);
RESOURCE_BUILTIN(script_get_name);
RESOURCE_BUILTIN(script_get_text);
RESOURCE_BUILTIN(script_execute);
RESOURCE_BUILTIN(path_exists);
RESOURCE_BUILTIN(path_get_name);
RESOURCE_BUILTIN(path_get_length);
RESOURCE_BUILTIN(path_get_kind);
RESOURCE_BUILTIN(path_get_closed);
RESOURCE_BUILTIN(path_get_precision);
RESOURCE_BUILTIN(path_get_number);
RESOURCE_BUILTIN(path_get_point_x);
RESOURCE_BUILTIN(path_get_point_y);
RESOURCE_BUILTIN(path_get_point_speed);
RESOURCE_BUILTIN(path_get_x);
RESOURCE_BUILTIN(path_get_y);
RESOURCE_BUILTIN(path_get_speed);
RESOURCE_BUILTIN(path_set_kind);
RESOURCE_BUILTIN(path_set_closed);
RESOURCE_BUILTIN(path_set_precision);
RESOURCE_BUILTIN(path_add);
RESOURCE_BUILTIN(path_duplicate);
RESOURCE_BUILTIN(path_assign);
RESOURCE_BUILTIN(path_append);
RESOURCE_BUILTIN(path_delete);
RESOURCE_BUILTIN(path_add_point);
RESOURCE_BUILTIN(path_insert_point);
RESOURCE_BUILTIN(path_change_point);
RESOURCE_BUILTIN(path_delete_point);
RESOURCE_BUILTIN(path_clear_points);
RESOURCE_BUILTIN(path_reverse);
RESOURCE_BUILTIN(path_mirror);
RESOURCE_BUILTIN(path_flip);
RESOURCE_BUILTIN(path_rotate);
RESOURCE_BUILTIN(path_rescale);
RESOURCE_BUILTIN(path_shift);
RESOURCE_BUILTIN(timeline_exists);
RESOURCE_BUILTIN(timeline_get_name);
RESOURCE_BUILTIN(timeline_add);
RESOURCE_BUILTIN(timeline_delete);
RESOURCE_BUILTIN(timeline_moment_clear);
RESOURCE_BUILTIN(timeline_moment_add);

// Objects and rooms (Function_Resource_Room.cpp).
RESOURCE_BUILTIN(object_exists);
RESOURCE_BUILTIN(object_get_name);
RESOURCE_BUILTIN(object_get_sprite);
RESOURCE_BUILTIN(object_get_solid);
RESOURCE_BUILTIN(object_get_visible);
RESOURCE_BUILTIN(object_get_depth);
RESOURCE_BUILTIN(object_get_persistent);
RESOURCE_BUILTIN(object_get_mask);
RESOURCE_BUILTIN(object_get_parent);
RESOURCE_BUILTIN(object_is_ancestor);
RESOURCE_BUILTIN(object_set_sprite);
RESOURCE_BUILTIN(object_set_solid);
RESOURCE_BUILTIN(object_set_visible);
RESOURCE_BUILTIN(object_set_depth);
RESOURCE_BUILTIN(object_set_persistent);
RESOURCE_BUILTIN(object_set_mask);
RESOURCE_BUILTIN(object_set_parent);
RESOURCE_BUILTIN(object_add);
RESOURCE_BUILTIN(object_delete);
RESOURCE_BUILTIN(object_event_clear);
RESOURCE_BUILTIN(object_event_add);
RESOURCE_BUILTIN(room_exists);
RESOURCE_BUILTIN(room_get_name);
RESOURCE_BUILTIN(room_set_width);
RESOURCE_BUILTIN(room_set_height);
RESOURCE_BUILTIN(room_set_caption);
RESOURCE_BUILTIN(room_set_persistent);
RESOURCE_BUILTIN(room_set_code);
RESOURCE_BUILTIN(room_set_background_color);
RESOURCE_BUILTIN(room_set_background);
RESOURCE_BUILTIN(room_set_view);
RESOURCE_BUILTIN(room_set_view_enabled);
RESOURCE_BUILTIN(room_add);
RESOURCE_BUILTIN(room_duplicate);
RESOURCE_BUILTIN(room_assign);
RESOURCE_BUILTIN(room_instance_add);
RESOURCE_BUILTIN(room_instance_clear);
RESOURCE_BUILTIN(room_tile_add);
RESOURCE_BUILTIN(room_tile_add_ext);
RESOURCE_BUILTIN(room_tile_clear);

#undef RESOURCE_BUILTIN

// True when the resource exists; otherwise the message is reported.
inline bool Resource_Require(bool exists, const char* message)
{
    if (!exists) Error_Show_Action(message, false);
    return exists;
}

// Exists tests give 1 or 0.
inline void Resource_SetFlag(TaggedValue* result, bool value)
{
    result->SetReal(value ? 1.0 : 0.0);
}

// Getters give -1 for a missing resource (null), else the field.
template <class R, class F>
void Resource_Field(TaggedValue* result, R* resource, F field)
{
    result->SetReal(-1.0);
    if (resource) result->SetReal((double)field(*resource));
}
