// The registrar of the action built-ins, and what every action shares: the relative flag.
//
// The event executor clears the flag before an event's code runs and restores it after; the code
// the packer makes of an action list sets it before each action (action_set_relative).
#include "Function/Function_Action.h"
#include "Function/Function_Action_Internal.h"

#include "Code/Error.h"
#include "Function/Function_Game.h"
#include "Function/Function_Graphics_Internal.h"
#include "Function/Function_Misc.h"
#include "Object/Instance_Class.h"
#include "Run/Run_Save.h"
#include "Support/LoadSave.h"
#include "Variable/Arguments.h"
#include "Variable/Variable_Main.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

float Action_X(const TaggedValue& a, const CInstance* self)
{
    double v = a.GetReal();
    if (Argument_Relative && self) v += self->x;
    return (float)v;
}

float Action_Y(const TaggedValue& a, const CInstance* self)
{
    double v = a.GetReal();
    if (Argument_Relative && self) v += self->y;
    return (float)v;
}

void Action_CallRelative(BuiltinHandler handler, TaggedValue* result, CInstance* self, CInstance* other, int argc,
                         const TaggedValue* args, std::initializer_list<int> points)
{
    std::vector<TaggedValue> shifted(args, args + argc);
    for (int i : points) {
        if (i + 1 >= argc) continue;
        shifted[i] = TaggedValue((double)Action_X(args[i], self));
        shifted[i + 1] = TaggedValue((double)Action_Y(args[i + 1], self));
    }
    handler(result, self, other, argc, shifted.data());
}

int Action_Counter(int current, int value)
{
    int64_t v = Argument_Relative ? (int64_t)current + value : value;
    return (int)std::clamp<int64_t>(v, INT_MIN, INT_MAX);
}

void F_action_nothing(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) {}

// The game is saved at once into the save folder, as game_save does: a save action that saved
// nothing would lose the player's progress without a word.
void F_action_save_game(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* name = Arg_S(args[0]);
    char path[1024];
    if (*name && LoadSave_SavePath(path, sizeof path, name)) Game_Save(path);
    else Error_Show_Action((std::string("Unable to save the game to file ") + name).c_str(), false);
}

namespace {

#define ENTRY FUNCTION_ENTRY

const FunctionEntry kActions[] = {
    {"action_path_old", F_action_nothing, 3},
    ENTRY(action_set_sprite, 2),
    {"action_draw_font", F_action_nothing, 1},
    {"action_draw_font_old", F_action_nothing, 6},
    {"action_fill_color", F_action_nothing, 1},
    {"action_line_color", F_action_nothing, 1},
    {"action_highscore", F_action_nothing, 0},
    ENTRY(action_set_relative, 1),
    ENTRY(action_move, 2),
    ENTRY(action_set_motion, 2),
    ENTRY(action_set_hspeed, 1),
    ENTRY(action_set_vspeed, 1),
    ENTRY(action_set_gravity, 2),
    ENTRY(action_set_friction, 1),
    ENTRY(action_move_point, 3),
    ENTRY(action_move_to, 2),
    ENTRY(action_move_start, 0),
    ENTRY(action_move_random, 2),
    {"action_snap", F_move_snap, 2},
    ENTRY(action_wrap, 1),
    ENTRY(action_reverse_xdir, 0),
    ENTRY(action_reverse_ydir, 0),
    ENTRY(action_move_contact, 3),
    ENTRY(action_bounce, 2),
    {"action_path", F_path_start, 4},
    {"action_path_end", F_path_end, 0},
    ENTRY(action_path_position, 1),
    ENTRY(action_path_speed, 1),
    ENTRY(action_linear_step, 4),
    ENTRY(action_potential_step, 4),
    ENTRY(action_kill_object, 0),
    ENTRY(action_create_object, 3),
    ENTRY(action_create_object_motion, 5),
    ENTRY(action_create_object_random, 6),
    {"action_change_object", F_instance_change, 2},
    ENTRY(action_kill_position, 2),
    ENTRY(action_sprite_set, 3),
    ENTRY(action_sprite_transform, 4),
    ENTRY(action_sprite_color, 2),
    ENTRY(action_sound, 2),
    ENTRY(action_end_sound, 1),
    ENTRY(action_if_sound, 1),
    // The transition argument of the room actions is not used.
    {"action_another_room", F_room_goto, 2},
    {"action_current_room", F_room_restart, 1},
    {"action_previous_room", F_room_goto_previous, 1},
    {"action_next_room", F_room_goto_next, 1},
    ENTRY(action_if_previous_room, 0),
    ENTRY(action_if_next_room, 0),
    ENTRY(action_set_alarm, 2),
    ENTRY(action_sleep, 2),
    ENTRY(action_set_timeline, 2),
    ENTRY(action_set_timeline_position, 1),
    ENTRY(action_set_timeline_speed, 1),
    ENTRY(action_timeline_set, 4),
    ENTRY(action_timeline_start, 0),
    ENTRY(action_timeline_pause, 0),
    ENTRY(action_timeline_stop, 0),
    ENTRY(action_message, 1),
    ENTRY(action_show_info, 0),
    ENTRY(action_show_video, 3),
    {"action_end_game", F_game_end, 0},
    {"action_restart_game", F_game_restart, 0},
    ENTRY(action_save_game, 1),
    ENTRY(action_load_game, 1),
    ENTRY(action_replace_sprite, 3),
    ENTRY(action_replace_sound, 2),
    ENTRY(action_replace_background, 2),
    ENTRY(action_if_empty, 3),
    ENTRY(action_if_collision, 3),
    ENTRY(action_if, 1),
    ENTRY(action_if_number, 3),
    ENTRY(action_if_object, 3),
    ENTRY(action_if_question, 1),
    ENTRY(action_if_dice, 1),
    ENTRY(action_if_mouse, 1),
    {"action_if_aligned", F_place_snapped, 2},
    ENTRY(action_execute_script, 6),
    {"action_inherited", F_event_inherited, 0},
    ENTRY(action_if_variable, 3),
    ENTRY(action_draw_variable, 3),
    ENTRY(action_set_score, 1),
    ENTRY(action_if_score, 2),
    ENTRY(action_draw_score, 3),
    ENTRY(action_highscore_show, 11),
    ENTRY(action_highscore_clear, 0),
    ENTRY(action_set_life, 1),
    ENTRY(action_if_life, 2),
    ENTRY(action_draw_life, 3),
    ENTRY(action_draw_life_images, 3),
    ENTRY(action_set_health, 1),
    ENTRY(action_if_health, 2),
    ENTRY(action_draw_health, 6),
    ENTRY(action_set_caption, 6),
    ENTRY(action_partsyst_create, 1),
    ENTRY(action_partsyst_destroy, 0),
    ENTRY(action_partsyst_clear, 0),
    ENTRY(action_parttype_create_old, 6),
    ENTRY(action_parttype_create, 6),
    ENTRY(action_parttype_color, 6),
    ENTRY(action_parttype_life, 3),
    ENTRY(action_parttype_speed, 6),
    ENTRY(action_parttype_gravity, 3),
    ENTRY(action_parttype_secondary, 5),
    ENTRY(action_partemit_create, 6),
    ENTRY(action_partemit_destroy, 1),
    ENTRY(action_partemit_burst, 3),
    ENTRY(action_partemit_stream, 3),
    ENTRY(action_cd_play, 2),
    ENTRY(action_cd_stop, 0),
    ENTRY(action_cd_pause, 0),
    ENTRY(action_cd_resume, 0),
    ENTRY(action_cd_present, 0),
    ENTRY(action_cd_playing, 0),
    ENTRY(action_set_cursor, 2),
    ENTRY(action_webpage, 1),
    ENTRY(action_draw_sprite, 4),
    ENTRY(action_draw_background, 4),
    ENTRY(action_draw_text, 3),
    ENTRY(action_draw_text_transformed, 6),
    ENTRY(action_draw_rectangle, 5),
    ENTRY(action_draw_gradient_hor, 6),
    ENTRY(action_draw_gradient_vert, 6),
    ENTRY(action_draw_ellipse, 5),
    ENTRY(action_draw_ellipse_gradient, 6),
    ENTRY(action_draw_line, 4),
    ENTRY(action_draw_arrow, 5),
    {"action_color", F_draw_set_color, 1},
    ENTRY(action_font, 2),
    ENTRY(action_fullscreen, 1),
    ENTRY(action_snapshot, 1),
    ENTRY(action_effect, 6),
};

#undef ENTRY

}  // namespace

void Function_Action_Init()
{
    Function_AddTable(kActions);
}
