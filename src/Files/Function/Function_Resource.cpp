// The registrar of the resource built-ins.
#include "Function/Function_Resource.h"
#include "Function/Function_Resource_Internal.h"
#include "Runner/GameFile.h"

namespace {

using Entry = FunctionEntry;

// A name whose count depends on the data format version; NONE leaves it out of that set.
struct Versioned {
    const char* name;
    BuiltinHandler handler;
    int current;  // GameFileVersion 800 and above
    int older;
};
constexpr int NONE = -2;

#define ENTRY FUNCTION_ENTRY
#define VERSIONED(name, current, older) {#name, F_##name, current, older}

const Entry kSprites[] = {
    ENTRY(sprite_exists, 1),
    ENTRY(sprite_get_name, 1),
    {"sprite_name", F_sprite_get_name, 1},
    ENTRY(sprite_get_number, 1),
    ENTRY(sprite_get_width, 1),
    ENTRY(sprite_get_height, 1),
    ENTRY(sprite_get_transparent, 1),
    ENTRY(sprite_get_smooth, 1),
    ENTRY(sprite_get_preload, 1),
    ENTRY(sprite_get_xoffset, 1),
    ENTRY(sprite_get_yoffset, 1),
    ENTRY(sprite_get_bbox_mode, 1),
    ENTRY(sprite_get_bbox_left, 1),
    ENTRY(sprite_get_bbox_right, 1),
    ENTRY(sprite_get_bbox_top, 1),
    ENTRY(sprite_get_bbox_bottom, 1),
    ENTRY(sprite_get_precise, 1),
    ENTRY(sprite_collision_mask, 9),
    ENTRY(sprite_set_cache_size, 2),
    {"sprite_set_cache_size_ext", F_sprite_set_cache_size, 3},
    {"font_set_cache_size", F_sprite_set_cache_size, 2},
    {"sprite_get_tpe", F_sprite_set_cache_size, 2},
    ENTRY(sprite_set_offset, 3),
    ENTRY(sprite_set_bbox_mode, 2),
    ENTRY(sprite_set_bbox, 5),
    ENTRY(sprite_set_precise, 2),
    ENTRY(sprite_set_alpha_from_sprite, 2),
};

const Versioned kSpritesVersioned[] = {
    VERSIONED(sprite_add, 6, 8),
    VERSIONED(sprite_create_from_screen, 8, 10),
    VERSIONED(sprite_add_from_screen, 7, 5),
    VERSIONED(sprite_create_from_surface, 9, 11),
    VERSIONED(sprite_add_from_surface, 8, 6),
    VERSIONED(sprite_replace, 7, 9),
    VERSIONED(sprite_add_alpha, NONE, 6),
    VERSIONED(sprite_replace_alpha, NONE, 7),
    VERSIONED(sprite_add_sprite, 1, NONE),
    {"sprite_replace_sprite", F_sprite_add_sprite, 2, NONE},
    VERSIONED(sprite_save_strip, 2, NONE),
};

const Entry kSpritesRest[] = {
    ENTRY(sprite_delete, 1),
    ENTRY(sprite_duplicate, 1),
    ENTRY(sprite_assign, 2),
    ENTRY(sprite_merge, 2),
    ENTRY(sprite_save, 3),
};

const Entry kBackgrounds[] = {
    ENTRY(background_exists, 1),
    ENTRY(background_get_name, 1),
    {"background_name", F_background_get_name, 1},
    ENTRY(background_get_width, 1),
    ENTRY(background_get_height, 1),
    ENTRY(background_get_transparent, 1),
    ENTRY(background_get_smooth, 1),
    ENTRY(background_get_preload, 1),
    ENTRY(background_set_alpha_from_background, 2),
};

const Versioned kBackgroundsVersioned[] = {
    VERSIONED(background_create_color, 3, 4),
    VERSIONED(background_replace, 4, 5),
    VERSIONED(background_create_from_screen, 6, 7),
    VERSIONED(background_create_from_surface, 7, 8),
    VERSIONED(background_create_gradient, 5, 6),
    VERSIONED(background_add, 3, 4),
    VERSIONED(background_add_alpha, NONE, 2),
    VERSIONED(background_replace_alpha, NONE, 3),
    {"background_add_background", F_sprite_add_sprite, 1, NONE},
    {"background_replace_background", F_sprite_add_sprite, 2, NONE},
};

const Entry kBackgroundsRest[] = {
    ENTRY(background_delete, 1),
    ENTRY(background_duplicate, 1),
    ENTRY(background_assign, 2),
    ENTRY(background_save, 2),
};

const Entry kSounds[] = {
    ENTRY(sound_exists, 1),
    ENTRY(sound_get_name, 1),
    {"sound_name", F_sound_get_name, 1},
    ENTRY(sound_get_kind, 1),
    ENTRY(sound_get_preload, 1),
    ENTRY(sound_discard, 1),
    ENTRY(sound_restore, 1),
    ENTRY(sound_add, 3),
    ENTRY(sound_replace, 4),
    ENTRY(sound_delete, 1),
};

const Entry kFonts[] = {
    ENTRY(font_exists, 1),
    ENTRY(font_get_name, 1),
    {"font_name", F_font_get_name, 1},
    ENTRY(font_get_fontname, 1),
    ENTRY(font_get_size, 1),
    ENTRY(font_get_bold, 1),
    ENTRY(font_get_italic, 1),
    ENTRY(font_get_first, 1),
    ENTRY(font_get_last, 1),
    ENTRY(font_add, 6),
    ENTRY(font_replace, 7),
    ENTRY(font_add_sprite, 4),
    ENTRY(font_add_sprite_ext, 4),
    ENTRY(font_replace_sprite, 5),
    ENTRY(font_replace_sprite_ext, 5),
    ENTRY(font_delete, 1),
};

const Entry kScripts[] = {
    {"script_name", F_script_get_name, 1},
    ENTRY(script_exists, 1),
    ENTRY(script_get_name, 1),
    ENTRY(script_get_text, 1),
    ENTRY(script_execute, -1),
};

const Entry kPaths[] = {
    {"path_name", F_path_get_name, 1},
    ENTRY(path_exists, 1),
    ENTRY(path_get_name, 1),
    ENTRY(path_get_length, 1),
    ENTRY(path_get_kind, 1),
    ENTRY(path_get_closed, 1),
    ENTRY(path_get_precision, 1),
    ENTRY(path_get_number, 1),
    ENTRY(path_get_point_x, 2),
    ENTRY(path_get_point_y, 2),
    ENTRY(path_get_point_speed, 2),
    ENTRY(path_get_x, 2),
    ENTRY(path_get_y, 2),
    ENTRY(path_get_speed, 2),
    ENTRY(path_set_kind, 2),
    ENTRY(path_set_closed, 2),
    ENTRY(path_set_precision, 2),
    ENTRY(path_add, 0),
    ENTRY(path_duplicate, 1),
    ENTRY(path_assign, 2),
    ENTRY(path_append, 2),
    ENTRY(path_delete, 1),
    ENTRY(path_add_point, 4),
    ENTRY(path_insert_point, 5),
    ENTRY(path_change_point, 5),
    ENTRY(path_delete_point, 2),
    ENTRY(path_clear_points, 1),
    ENTRY(path_reverse, 1),
    ENTRY(path_mirror, 1),
    ENTRY(path_flip, 1),
    ENTRY(path_rotate, 2),
    ENTRY(path_rescale, 3),
    ENTRY(path_shift, 3),
};

const Entry kTimeLines[] = {
    {"timeline_name", F_timeline_get_name, 1},
    ENTRY(timeline_exists, 1),
    ENTRY(timeline_get_name, 1),
    ENTRY(timeline_add, 0),
    ENTRY(timeline_delete, 1),
    ENTRY(timeline_moment_clear, 2),
    ENTRY(timeline_moment_add, 3),
};

const Entry kObjects[] = {
    {"object_name", F_object_get_name, 1},
    ENTRY(object_exists, 1),
    ENTRY(object_get_name, 1),
    ENTRY(object_get_sprite, 1),
    ENTRY(object_get_solid, 1),
    ENTRY(object_get_visible, 1),
    ENTRY(object_get_depth, 1),
    ENTRY(object_get_persistent, 1),
    ENTRY(object_get_mask, 1),
    ENTRY(object_get_parent, 1),
    ENTRY(object_is_ancestor, 2),
    ENTRY(object_set_sprite, 2),
    ENTRY(object_set_solid, 2),
    ENTRY(object_set_visible, 2),
    ENTRY(object_set_depth, 2),
    ENTRY(object_set_persistent, 2),
    ENTRY(object_set_mask, 2),
    ENTRY(object_set_parent, 2),
    ENTRY(object_add, 0),
    ENTRY(object_delete, 1),
    ENTRY(object_event_clear, 3),
    ENTRY(object_event_add, 4),
};

const Entry kRooms[] = {
    {"room_name", F_room_get_name, 1},
    ENTRY(room_exists, 1),
    ENTRY(room_get_name, 1),
    ENTRY(room_set_width, 2),
    ENTRY(room_set_height, 2),
    ENTRY(room_set_caption, 2),
    ENTRY(room_set_persistent, 2),
    ENTRY(room_set_code, 2),
    ENTRY(room_set_background_color, 3),
    ENTRY(room_set_background, 12),
    ENTRY(room_set_view, 16),
    ENTRY(room_set_view_enabled, 2),
    ENTRY(room_add, 0),
    ENTRY(room_duplicate, 1),
    ENTRY(room_assign, 2),
    ENTRY(room_instance_add, 4),
    ENTRY(room_instance_clear, 1),
    ENTRY(room_tile_add, 9),
    ENTRY(room_tile_add_ext, 12),
    ENTRY(room_tile_clear, 1),
};

#undef VERSIONED
#undef ENTRY

template <size_t N>
void AddVersioned(const Versioned (&section)[N])
{
    bool current = GameFileVersion >= 800;
    for (const Versioned& e : section) {
        int argc = current ? e.current : e.older;
        if (argc != NONE) Function_Add(e.name, e.handler, argc);
    }
}

}  // namespace

void Function_Resource_Init()
{
    Function_AddTable(kSprites);
    AddVersioned(kSpritesVersioned);
    Function_AddTable(kSpritesRest);
    Function_AddTable(kBackgrounds);
    AddVersioned(kBackgroundsVersioned);
    Function_AddTable(kBackgroundsRest);
    Function_AddTable(kSounds);
    Function_AddTable(kFonts);
    Function_AddTable(kScripts);
    Function_AddTable(kPaths);
    Function_AddTable(kTimeLines);
    Function_AddTable(kObjects);
    Function_AddTable(kRooms);
}
