// What the files of the action built-ins share: every handler of their own (the registrar names
// them all) and the relative flag's arithmetic.
#pragma once
#include "Code/Function.h"

#include <initializer_list>

class CInstance;

// A coordinate given to the running action: the argument in single precision, with self's x
// (respectively y) added when the action is relative.
float Action_X(const TaggedValue& a, const CInstance* self);
float Action_Y(const TaggedValue& a, const CInstance* self);
// Calls another built-in with the action's arguments, after adding self's position to each point
// whose x argument index is listed (its y follows it) when the action is relative.
void Action_CallRelative(BuiltinHandler handler, TaggedValue* result, CInstance* self, CInstance* other, int argc,
                         const TaggedValue* args, std::initializer_list<int> points);
// The checks of the replace actions, each failure reported: the resource exists, and the save
// folder or the program folder holds the file.
bool Action_CanReplace(bool exists, const char* file);
// A counter of the running action: value, or current + value when relative, kept in range.
int Action_Counter(int current, int value);

#define ACTION_BUILTIN(name) void F_##name(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)

// The six names that do nothing share one handler; saving has its own (Function_Action.cpp).
ACTION_BUILTIN(action_nothing);
ACTION_BUILTIN(action_save_game);

// Motion, instances, sprites, alarms and time lines (Function_Action_Motion.cpp).
ACTION_BUILTIN(action_set_relative);
ACTION_BUILTIN(action_move);
ACTION_BUILTIN(action_set_motion);
ACTION_BUILTIN(action_set_hspeed);
ACTION_BUILTIN(action_set_vspeed);
ACTION_BUILTIN(action_set_gravity);
ACTION_BUILTIN(action_set_friction);
ACTION_BUILTIN(action_move_point);
ACTION_BUILTIN(action_move_to);
ACTION_BUILTIN(action_move_start);
ACTION_BUILTIN(action_move_random);
ACTION_BUILTIN(action_wrap);
ACTION_BUILTIN(action_reverse_xdir);
ACTION_BUILTIN(action_reverse_ydir);
ACTION_BUILTIN(action_move_contact);
ACTION_BUILTIN(action_bounce);
ACTION_BUILTIN(action_path_position);
ACTION_BUILTIN(action_path_speed);
ACTION_BUILTIN(action_linear_step);
ACTION_BUILTIN(action_potential_step);
ACTION_BUILTIN(action_kill_object);
ACTION_BUILTIN(action_create_object);
ACTION_BUILTIN(action_create_object_motion);
ACTION_BUILTIN(action_create_object_random);
ACTION_BUILTIN(action_kill_position);
ACTION_BUILTIN(action_set_sprite);
ACTION_BUILTIN(action_sprite_set);
ACTION_BUILTIN(action_sprite_transform);
ACTION_BUILTIN(action_sprite_color);
ACTION_BUILTIN(action_set_alarm);
ACTION_BUILTIN(action_set_timeline);
ACTION_BUILTIN(action_set_timeline_position);
ACTION_BUILTIN(action_set_timeline_speed);
ACTION_BUILTIN(action_timeline_set);
ACTION_BUILTIN(action_timeline_start);
ACTION_BUILTIN(action_timeline_pause);
ACTION_BUILTIN(action_timeline_stop);

// Rooms, the game, messages, files, questions, scripts and the counters (Function_Action_Game.cpp).
ACTION_BUILTIN(action_if_previous_room);
ACTION_BUILTIN(action_if_next_room);
ACTION_BUILTIN(action_sleep);
ACTION_BUILTIN(action_message);
ACTION_BUILTIN(action_show_info);
ACTION_BUILTIN(action_show_video);
ACTION_BUILTIN(action_load_game);
ACTION_BUILTIN(action_replace_sprite);
ACTION_BUILTIN(action_replace_background);
ACTION_BUILTIN(action_if_empty);
ACTION_BUILTIN(action_if_collision);
ACTION_BUILTIN(action_if);
ACTION_BUILTIN(action_if_number);
ACTION_BUILTIN(action_if_object);
ACTION_BUILTIN(action_if_question);
ACTION_BUILTIN(action_if_dice);
ACTION_BUILTIN(action_if_mouse);
ACTION_BUILTIN(action_execute_script);
ACTION_BUILTIN(action_if_variable);
ACTION_BUILTIN(action_set_score);
ACTION_BUILTIN(action_if_score);
ACTION_BUILTIN(action_highscore_clear);
ACTION_BUILTIN(action_set_life);
ACTION_BUILTIN(action_if_life);
ACTION_BUILTIN(action_set_health);
ACTION_BUILTIN(action_if_health);
ACTION_BUILTIN(action_set_caption);
ACTION_BUILTIN(action_set_cursor);
ACTION_BUILTIN(action_webpage);
ACTION_BUILTIN(action_fullscreen);
ACTION_BUILTIN(action_snapshot);

// Drawing (Function_Action_Draw.cpp).
ACTION_BUILTIN(action_draw_variable);
ACTION_BUILTIN(action_draw_score);
ACTION_BUILTIN(action_draw_life);
ACTION_BUILTIN(action_draw_life_images);
ACTION_BUILTIN(action_draw_health);
ACTION_BUILTIN(action_highscore_show);
ACTION_BUILTIN(action_draw_sprite);
ACTION_BUILTIN(action_draw_background);
ACTION_BUILTIN(action_draw_text);
ACTION_BUILTIN(action_draw_text_transformed);
ACTION_BUILTIN(action_draw_rectangle);
ACTION_BUILTIN(action_draw_gradient_hor);
ACTION_BUILTIN(action_draw_gradient_vert);
ACTION_BUILTIN(action_draw_ellipse);
ACTION_BUILTIN(action_draw_ellipse_gradient);
ACTION_BUILTIN(action_draw_line);
ACTION_BUILTIN(action_draw_arrow);
ACTION_BUILTIN(action_font);

// The action particle system (Function_Action_Particle.cpp).
ACTION_BUILTIN(action_partsyst_create);
ACTION_BUILTIN(action_partsyst_destroy);
ACTION_BUILTIN(action_partsyst_clear);
ACTION_BUILTIN(action_parttype_create_old);
ACTION_BUILTIN(action_parttype_create);
ACTION_BUILTIN(action_parttype_color);
ACTION_BUILTIN(action_parttype_life);
ACTION_BUILTIN(action_parttype_speed);
ACTION_BUILTIN(action_parttype_gravity);
ACTION_BUILTIN(action_parttype_secondary);
ACTION_BUILTIN(action_partemit_create);
ACTION_BUILTIN(action_partemit_destroy);
ACTION_BUILTIN(action_partemit_burst);
ACTION_BUILTIN(action_partemit_stream);
ACTION_BUILTIN(action_effect);

// Sound, music and CD audio (Function_Action_Sound.cpp).
ACTION_BUILTIN(action_sound);
ACTION_BUILTIN(action_end_sound);
ACTION_BUILTIN(action_if_sound);
ACTION_BUILTIN(action_replace_sound);
ACTION_BUILTIN(action_cd_play);
ACTION_BUILTIN(action_cd_stop);
ACTION_BUILTIN(action_cd_pause);
ACTION_BUILTIN(action_cd_resume);
ACTION_BUILTIN(action_cd_present);
ACTION_BUILTIN(action_cd_playing);

#undef ACTION_BUILTIN
