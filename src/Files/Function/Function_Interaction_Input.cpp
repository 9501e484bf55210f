// The high-score, keyboard, mouse and joystick built-ins. Keys outside 0..255, buttons outside
// the rules and places outside 1..10 read as nothing and change nothing.
#include "Function/Function_Interaction_Internal.h"

#include "Base/Console.h"
#include "Base/Stop.h"
#include "Graphics/Graphics_Text.h"
#include "IO/IO.h"
#include "IO/IO_Joystick.h"
#include "IO/IO_Record.h"
#include "IO/Window.h"
#include "Run/HighScore.h"
#include "Run/Run_Main.h"
#include "Variable/Arguments.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <string>
#include <thread>

namespace {

// A wait for a key or button handles the window's messages every 50 ms. It ends early when the
// player closes the window, when there is no window to bring input, during playback, whose
// input comes from the recording step by step, and at a stop signal.
void WaitFor(bool (*arrived)())
{
    PumpMessages();
    while (!arrived() && !Window_Quit && MainWindow && !IO_PlaybackActive() && !Stop_Requested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        PumpMessages();
    }
}

// The joystick argument: exactly 2 is the second device, anything else the first.
int Joystick(const TaggedValue& value) { return value.GetReal() == 2.0 ? 1 : 0; }

void Axis(TaggedValue* result, const TaggedValue* args, int axis)
{
    int position = 0;
    if (IO_Joystick_Axis(Joystick(args[0]), axis, &position)) result->SetReal(position / 32767.0 - 1);
}

}  // namespace

void F_highscore_clear(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { HighScore_Clear(); }

void F_highscore_add(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    HighScore_Add(Arg_S(args[0]), Arg_I(args[1]));
}

void F_highscore_add_current(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    HighScore_Add("DEFAULT", score);
    IO_Clear();
}

void F_highscore_value(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(HighScore_GetValue(Arg_I(args[0])));
}

void F_highscore_name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* name = nullptr;
    HighScore_GetName(&name, Arg_I(args[0]));
    result->SetString(name ? name : "");
}

void F_draw_highscore(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int x = Arg_I(args[0]), y = Arg_I(args[1]);
    int width = RealToInt(args[2].GetReal() - args[0].GetReal());
    int step = RealToInt((args[3].GetReal() - args[1].GetReal()) / 10);
    for (int place = 1; place <= HIGHSCORE_PLACES; place++) {
        const char* name = nullptr;
        if (HighScore_GetName(&name, place) && name) GR_Text_Draw((float)x, (float)y, name, -1, -1);
        std::string value = std::to_string(HighScore_GetValue(place));
        GR_Text_Draw((float)((double)x + width - GR_Text_Width(value.c_str(), -1, -1)), (float)y, value.c_str(), -1, -1);
        y = (int)std::clamp((long long)y + step, (long long)INT32_MIN, (long long)INT32_MAX);
    }
}

void F_highscore_show(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    HighScore_Show(Arg_I(args[0]));
    IO_Clear();
}

// The look of the window is kept as the setters below keep it (the back colour stays).
void F_highscore_show_ext(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    HighScore_SetBackground(Arg_I(args[1]));
    HighScore_SetBorder(Arg_B(args[2]));
    HighScore_SetColours(HighScore_Look().back_colour, Arg_I(args[3]), Arg_I(args[4]));
    HighScore_SetFont(Arg_S(args[5]), Arg_I(args[6]));
    F_highscore_show(result, self, other, argc, args);
}

// The empty-place name is what highscore_clear writes (and so what draw_highscore draws).
void F_highscore_set_strings(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    HighScore_SetStrings(Arg_S(args[0]), Arg_S(args[1]), Arg_S(args[2]));
}

void F_highscore_set_background(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    HighScore_SetBackground(Arg_I(args[0]));
}

void F_highscore_set_border(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    HighScore_SetBorder(Arg_BD(args[0]));
}

void F_highscore_set_colors(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    HighScore_SetColours(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]));
}

// The style is not kept.
void F_highscore_set_font(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    HighScore_SetFont(Arg_S(args[0]), Arg_I(args[1]));
    Console_Debug->Output("Function F_HighscoreSetFont has no implementation.\n\n");
}

void F_keyboard_check(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(IO_KeyCheck(Arg_I(args[0]), IO_DOWN));
}

void F_keyboard_check_pressed(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(IO_KeyCheck(Arg_I(args[0]), IO_PRESSED));
}

void F_keyboard_check_released(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(IO_KeyCheck(Arg_I(args[0]), IO_RELEASED));
}

void F_keyboard_set_map(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    IO_KeyMap_Set(Arg_I(args[0]), Arg_I(args[1]));
}

void F_keyboard_get_map(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(IO_KeyMap_Get(Arg_I(args[0])));
}

void F_keyboard_unset_map(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { IO_KeyMap_Reset(); }

void F_keyboard_clear(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    PumpMessages();
    IO_KeyClear(Arg_I(args[0]));
}

void F_keyboard_wait(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    IO_SetLastKey(0);
    WaitFor([] { return IO_GetLastKey() != 0; });
}

void F_io_clear(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    PumpMessages();
    IO_Clear();
}

void F_io_handle(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { PumpMessages(); }

void F_mouse_check_button(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(IO_MouseCheck(Arg_I(args[0]), 0, IO_DOWN));
}

void F_mouse_check_button_pressed(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(IO_MouseCheck(Arg_I(args[0]), 0, IO_PRESSED));
}

void F_mouse_check_button_released(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(IO_MouseCheck(Arg_I(args[0]), 0, IO_RELEASED));
}

void F_mouse_wheel_up(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*) { result->SetReal(IO_MouseWheelUp(0)); }
void F_mouse_wheel_down(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*) { result->SetReal(IO_MouseWheelDown(0)); }

void F_mouse_clear(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    PumpMessages();
    IO_MouseClear(Arg_I(args[0]), 0);
}

void F_mouse_wait(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    IO_SetMouseLastButton(0, 0);
    WaitFor([] { return IO_GetMouseLastButton(0) != 0; });
}

// Double clicks need no switching on here.
void F_device_mouse_dbclick_enable(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) {}

void F_joystick_exists(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(IO_Joystick_Exists(Joystick(args[0])));
}

void F_joystick_direction(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    // The numeric-keypad key of the stick's direction, laid out as on the keypad (101 centred).
    result->SetReal(101);
    int j = Joystick(args[0]), x = 0, y = 0;
    if (!IO_Joystick_Axis(j, 0, &x) || !IO_Joystick_Axis(j, 1, &y)) return;
    int row = y < 20000 ? 6 : y > 44000 ? 0 : 3;
    int column = x < 20000 ? 97 : x > 44000 ? 99 : 98;
    result->SetReal(column + row);
}

void F_joystick_name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    IO_JoystickInfo info;
    result->SetString(IO_Joystick_GetInfo(Joystick(args[0]), &info) ? info.name : "");
}

void F_joystick_axes(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    IO_JoystickInfo info;
    if (IO_Joystick_GetInfo(Joystick(args[0]), &info)) result->SetReal(info.axes);
}

void F_joystick_buttons(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    IO_JoystickInfo info;
    if (IO_Joystick_GetInfo(Joystick(args[0]), &info)) result->SetReal(info.buttons);
}

void F_joystick_has_pov(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    IO_JoystickInfo info;
    result->SetReal(IO_Joystick_GetInfo(Joystick(args[0]), &info) && info.hasPov);
}

void F_joystick_check_button(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    int button = Arg_I(args[1]);
    uint32_t bits = 0;
    if (button >= 1 && button <= 32 && IO_Joystick_Buttons(Joystick(args[0]), &bits)) result->SetReal(bits >> (button - 1) & 1);
}

void F_joystick_xpos(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args) { Axis(result, args, 0); }
void F_joystick_ypos(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args) { Axis(result, args, 1); }
void F_joystick_zpos(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args) { Axis(result, args, 2); }
void F_joystick_rpos(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args) { Axis(result, args, 3); }
void F_joystick_upos(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args) { Axis(result, args, 4); }
void F_joystick_vpos(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args) { Axis(result, args, 5); }

void F_joystick_pov(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(-1);
    int hundredths = 0;
    if (IO_Joystick_Pov(Joystick(args[0]), &hundredths) && hundredths / 100.0 <= 360) result->SetReal(hundredths / 100.0);
}
