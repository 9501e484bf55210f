// The interaction handlers defined outside the registrar's file.
#pragma once
#include "Code/Function.h"

#define INTERACTION_BUILTIN(name) \
    void F_##name(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)

// High scores, keyboard, mouse and joysticks (Function_Interaction_Input.cpp).
INTERACTION_BUILTIN(highscore_clear);
INTERACTION_BUILTIN(highscore_add);
INTERACTION_BUILTIN(highscore_add_current);
INTERACTION_BUILTIN(highscore_value);
INTERACTION_BUILTIN(highscore_name);
INTERACTION_BUILTIN(draw_highscore);
INTERACTION_BUILTIN(highscore_show);
INTERACTION_BUILTIN(highscore_set_strings);
INTERACTION_BUILTIN(highscore_show_ext);
INTERACTION_BUILTIN(highscore_set_background);
INTERACTION_BUILTIN(highscore_set_border);
INTERACTION_BUILTIN(highscore_set_colors);
INTERACTION_BUILTIN(highscore_set_font);
INTERACTION_BUILTIN(keyboard_check);
INTERACTION_BUILTIN(keyboard_check_pressed);
INTERACTION_BUILTIN(keyboard_check_released);
INTERACTION_BUILTIN(keyboard_set_map);
INTERACTION_BUILTIN(keyboard_get_map);
INTERACTION_BUILTIN(keyboard_unset_map);
INTERACTION_BUILTIN(keyboard_clear);
INTERACTION_BUILTIN(keyboard_wait);
INTERACTION_BUILTIN(io_clear);
INTERACTION_BUILTIN(io_handle);
INTERACTION_BUILTIN(mouse_check_button);
INTERACTION_BUILTIN(mouse_check_button_pressed);
INTERACTION_BUILTIN(mouse_check_button_released);
INTERACTION_BUILTIN(mouse_wheel_up);
INTERACTION_BUILTIN(mouse_wheel_down);
INTERACTION_BUILTIN(mouse_clear);
INTERACTION_BUILTIN(mouse_wait);
INTERACTION_BUILTIN(device_mouse_dbclick_enable);
INTERACTION_BUILTIN(joystick_exists);
INTERACTION_BUILTIN(joystick_direction);
INTERACTION_BUILTIN(joystick_name);
INTERACTION_BUILTIN(joystick_axes);
INTERACTION_BUILTIN(joystick_buttons);
INTERACTION_BUILTIN(joystick_has_pov);
INTERACTION_BUILTIN(joystick_check_button);
INTERACTION_BUILTIN(joystick_xpos);
INTERACTION_BUILTIN(joystick_ypos);
INTERACTION_BUILTIN(joystick_zpos);
INTERACTION_BUILTIN(joystick_rpos);
INTERACTION_BUILTIN(joystick_upos);
INTERACTION_BUILTIN(joystick_vpos);
INTERACTION_BUILTIN(joystick_pov);

// The system's own key state and synthetic keys (Linux/Function_Interaction_Linux.cpp).
INTERACTION_BUILTIN(keyboard_check_direct);
INTERACTION_BUILTIN(keyboard_get_numlock);
INTERACTION_BUILTIN(keyboard_set_numlock);
INTERACTION_BUILTIN(keyboard_key_press);
INTERACTION_BUILTIN(keyboard_key_release);
