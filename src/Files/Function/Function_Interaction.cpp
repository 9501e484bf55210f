// The registrar of the interaction built-ins, and the messages, questions, prompts, file dialogs
// and splash screens. Handlers that the table marks as clearing input call IO_Clear at their end.
#include "Function/Function_Interaction.h"
#include "Function/Function_Interaction_Internal.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Base/String.h"
#include "Code/Error.h"
#include "Debug/Dialog.h"
#include "Function/Function_String.h"
#include "IO/IO.h"
#include "IO/Window.h"
#include "Support/LoadSave.h"
#include "Variable/Arguments.h"

#include <string>

namespace {

// The text of a message: a string with each '#' a line break, a real by the rule of `string`.
std::string MessageText(const TaggedValue& value)
{
    if (!value.IsReal()) {
        char* copy = MemStrDup(Arg_S(value));
        Text_HashToNewline(copy);
        std::string text = copy;
        MemFree(copy);
        return text;
    }
    return String_OfReal(value.GetReal());
}

bool HasText(const TaggedValue& value) { return value.IsReal() || *Arg_S(value); }

// The default text of the synchronous and asynchronous prompts: a string's own text, a real
// printed with the format ("%.2f" for get_string, "%d" of the nearest integer otherwise).
std::string DefaultText(const TaggedValue& value, bool twoDecimals)
{
    if (!value.IsReal()) return Arg_S(value);
    return twoDecimals ? String_TwoDecimals(value.GetReal()) : std::to_string(Arg_I(value));
}

// The open or save dialog: the chosen name, made full and admitted to the folder mapping, is the
// result; anything but string arguments opens nothing.
void FileDialog(TaggedValue* result, int argc, TaggedValue* args, bool save, int wanted)
{
    result->SetString("");
    bool strings = argc == wanted;
    for (int i = 0; i < argc && strings; i++) strings = args[i].IsString();
    if (strings) {
        const char* folder = wanted == 4 ? Arg_S(args[2]) : "";
        const char* title = wanted == 4 ? Arg_S(args[3]) : "";
        char* name = nullptr;
        if (Dialog_FileName(save, Arg_S(args[0]), Arg_S(args[1]), folder, title, &name)) {
            char* full = LoadSave_AdmitDialogFile(save, name);
            if (full) result->SetString(full);
            MemFree(full);
        }
        MemFree(name);
    }
    IO_Clear();
}

// Built-ins that only write their line to the console; some clear input, some give a result.
#define CONSOLE_STUB(name, line, after)                                                          \
    void F_##name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)               \
    {                                                                                            \
        Console_Debug->Output("%s", line);                                                       \
        after;                                                                                   \
    }

}  // namespace

void F_show_message(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(1);
    if (HasText(args[0])) ShowMessage(MessageText(args[0]).c_str());
    IO_Clear();
}

void F_show_message_async(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(1);
    if (HasText(args[0])) result->SetReal(InputQuery_ShowMessageAsync(Window_GetCaption(), MessageText(args[0]).c_str()));
    IO_Clear();
}

void F_show_question(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(InputQuery_Question(Window_GetCaption(), Arg_S(args[0])) ? 1 : 0);
    IO_Clear();
}

void F_show_question_async(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(InputQuery_ShowQuestionAsync(Window_GetCaption(), Arg_S(args[0])));
    IO_Clear();
}

void F_show_error(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    Error_Show_Action(Arg_S(args[0]), args[1].GetReal() >= 0.5);
}

void F_get_string(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetString("");
    char* text = nullptr;
    if (InputQuery_Modal(Window_GetCaption(), Arg_S(args[0]), DefaultText(args[1], true).c_str(), &text))
        result->SetString(text);
    MemFree(text);
    IO_Clear();
}

void F_get_integer(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(Arg_I(args[1]));
    char* text = nullptr;
    if (InputQuery_Modal(Window_GetCaption(), Arg_S(args[0]), DefaultText(args[1], false).c_str(), &text))
        result->SetReal(String_ToReal(text, nullptr));
    MemFree(text);
    IO_Clear();
}

// get_integer_async queues the same text prompt.
void F_get_string_async(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(InputQuery_GetStringAsync(Window_GetCaption(), Arg_S(args[0]), DefaultText(args[1], false).c_str()));
}

void F_get_login_async(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    if (argc != 2 || !args[0].IsString() || !args[1].IsString()) return;
    result->SetReal(InputQuery_GetLoginAsync(Window_GetCaption(), Arg_S(args[0]), Arg_S(args[1])));
}

CONSOLE_STUB(show_message_ext, "show_message_ext(str,but1,but2,but3) not impleneted\n", result->SetReal(1); IO_Clear())
CONSOLE_STUB(show_menu, "show_menu(str,default) not implemented.\n", IO_Clear())
CONSOLE_STUB(show_menu_pos, "show_menu_pos(X,Y,str,default) not implemented.\n", IO_Clear())
CONSOLE_STUB(get_color, "get_color(def) is not implemented\n", IO_Clear())
CONSOLE_STUB(get_directory, "get_directory(dname) not implemented.\n", result->SetString(""); IO_Clear())
CONSOLE_STUB(get_directory_alt, "get_directory_alt(capt,root) not implemented.\n", result->SetString(""); IO_Clear())
CONSOLE_STUB(show_info, "show_info(str) not supported\n", IO_Clear())
CONSOLE_STUB(load_info, "load_info(str) not supported\n", )
CONSOLE_STUB(message_background, "message_background(back) not impleneted\n", )
CONSOLE_STUB(message_button, "message_button(spr) not impleneted\n", )
CONSOLE_STUB(message_alpha, "message_alpha(alpha) not impleneted\n", )
CONSOLE_STUB(message_text_font, "message_text_font(name,size,color,style) not impleneted\n", )
CONSOLE_STUB(message_button_font, "message_button_font(name,size,color,style) not impleneted\n", )
CONSOLE_STUB(message_input_font, "message_input_font(name,size,color,style) not impleneted\n", )
CONSOLE_STUB(message_mouse_color, "message_mouse_color(col) not impleneted\n", )
CONSOLE_STUB(message_input_color, "message_input_color(col) not impleneted\n", )
CONSOLE_STUB(message_position, "message_position(x,y) not impleneted\n", )
CONSOLE_STUB(message_size, "message_size(w,h)not impleneted\n", )
CONSOLE_STUB(message_caption, "message_caption(show,str) not impleneted\n", )

void F_get_open_filename(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    FileDialog(result, argc, args, false, 2);
}

void F_get_save_filename(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    FileDialog(result, argc, args, true, 2);
}

void F_get_open_filename_ext(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    FileDialog(result, argc, args, false, 4);
}

void F_get_save_filename_ext(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    FileDialog(result, argc, args, true, 4);
}

namespace {

// A splash file is looked up as the game's other files are.
bool SplashFileFound(const char* file) { return LoadSave_BundleFileExists(file) || LoadSave_SaveFileExists(file); }

void SplashResult(bool shown, const char* failure)
{
    if (!shown) Error_Show_Action(failure, false);
    IO_Clear();
}

}  // namespace

bool Splash_ShowVideo(const char* file, bool) { return SplashFileFound(file); }
bool Splash_ShowImage(const char* file, int) { return SplashFileFound(file); }
bool Splash_ShowText(const char* file, int) { return SplashFileFound(file); }

// The splash settings have no visible effect on this platform.
void F_splash_set(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) { IO_Clear(); }

void F_splash_show_video(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SplashResult(Splash_ShowVideo(Arg_S(args[0]), Arg_I(args[1]) >= 1), "Video file not found (or name too long).");
}

void F_splash_show_image(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SplashResult(Splash_ShowImage(Arg_S(args[0]), Arg_I(args[1])), "Image file not found.");
}

void F_splash_show_text(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SplashResult(Splash_ShowText(Arg_S(args[0]), Arg_I(args[1])), "Text file not found.");
}

void F_show_image(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SplashResult(Splash_ShowImage(Arg_S(args[0]), Arg_I(args[2])), "Image file not found.");
}

void F_show_video(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SplashResult(Splash_ShowVideo(Arg_S(args[0]), Arg_I(args[2]) > 0), "Video file not found (or name too long).");
}

void F_show_text(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    SplashResult(Splash_ShowText(Arg_S(args[0]), Arg_I(args[3])), "Text file not found.");
}

namespace {

#define ENTRY FUNCTION_ENTRY

const FunctionEntry kInteraction[] = {
    ENTRY(show_message, 1),
    ENTRY(show_message_async, 1),
    ENTRY(show_question, 1),
    ENTRY(show_question_async, 1),
    ENTRY(show_error, 2),
    ENTRY(get_string, 2),
    ENTRY(get_integer, 2),
    ENTRY(get_string_async, 2),
    {"get_integer_async", F_get_string_async, 2},
    ENTRY(get_login_async, 2),
    ENTRY(show_message_ext, 4),
    ENTRY(show_menu, 2),
    ENTRY(show_menu_pos, 4),
    ENTRY(get_color, 1),
    ENTRY(get_directory, 1),
    ENTRY(get_directory_alt, 2),
    ENTRY(show_info, 0),
    ENTRY(load_info, 1),
    ENTRY(message_background, 1),
    ENTRY(message_button, 1),
    ENTRY(message_alpha, 1),
    ENTRY(message_text_font, 4),
    ENTRY(message_button_font, 4),
    ENTRY(message_input_font, 4),
    ENTRY(message_mouse_color, 1),
    ENTRY(message_input_color, 1),
    ENTRY(message_position, 2),
    ENTRY(message_size, 2),
    ENTRY(message_caption, 2),
    ENTRY(get_open_filename, 2),
    ENTRY(get_save_filename, 2),
    ENTRY(get_open_filename_ext, 4),
    ENTRY(get_save_filename_ext, 4),
    {"splash_set_caption", F_splash_set, 1},
    {"splash_set_fullscreen", F_splash_set, 1},
    {"splash_set_border", F_splash_set, 1},
    {"splash_set_size", F_splash_set, 2},
    {"splash_set_adapt", F_splash_set, 1},
    {"splash_set_top", F_splash_set, 1},
    {"splash_set_color", F_splash_set, 1},
    {"splash_set_main", F_splash_set, 1},
    {"splash_set_scale", F_splash_set, 1},
    {"splash_set_cursor", F_splash_set, 1},
    {"splash_set_interrupt", F_splash_set, 1},
    {"splash_set_stop_key", F_splash_set, 1},
    {"splash_set_stop_mouse", F_splash_set, 1},
    ENTRY(splash_show_video, 2),
    ENTRY(splash_show_image, 2),
    ENTRY(splash_show_text, 2),
    ENTRY(show_image, 3),
    ENTRY(show_video, 3),
    ENTRY(show_text, 4),
    ENTRY(highscore_clear, 0),
    ENTRY(highscore_add, 2),
    ENTRY(highscore_add_current, 0),
    ENTRY(highscore_value, 1),
    ENTRY(highscore_name, 1),
    ENTRY(draw_highscore, 4),
    ENTRY(highscore_show, 1),
    ENTRY(highscore_show_ext, 7),
    ENTRY(highscore_set_strings, 3),
    ENTRY(highscore_set_background, 1),
    ENTRY(highscore_set_border, 1),
    ENTRY(highscore_set_colors, 3),
    ENTRY(highscore_set_font, 3),
    ENTRY(keyboard_check, 1),
    ENTRY(keyboard_check_pressed, 1),
    ENTRY(keyboard_check_released, 1),
    ENTRY(keyboard_check_direct, 1),
    ENTRY(keyboard_set_map, 2),
    ENTRY(keyboard_get_map, 1),
    ENTRY(keyboard_unset_map, 0),
    ENTRY(keyboard_clear, 1),
    ENTRY(keyboard_get_numlock, 0),
    ENTRY(keyboard_set_numlock, 1),
    ENTRY(keyboard_key_press, 1),
    ENTRY(keyboard_key_release, 1),
    ENTRY(keyboard_wait, 0),
    ENTRY(io_clear, 0),
    ENTRY(io_handle, 0),
    ENTRY(mouse_check_button, 1),
    ENTRY(mouse_check_button_pressed, 1),
    ENTRY(mouse_check_button_released, 1),
    ENTRY(mouse_wheel_up, 0),
    ENTRY(mouse_wheel_down, 0),
    ENTRY(mouse_clear, 1),
    ENTRY(mouse_wait, 0),
    ENTRY(device_mouse_dbclick_enable, 0),
    ENTRY(joystick_exists, 1),
    ENTRY(joystick_direction, 1),
    ENTRY(joystick_name, 1),
    ENTRY(joystick_axes, 1),
    ENTRY(joystick_buttons, 1),
    ENTRY(joystick_has_pov, 1),
    ENTRY(joystick_check_button, 2),
    ENTRY(joystick_xpos, 1),
    ENTRY(joystick_ypos, 1),
    ENTRY(joystick_zpos, 1),
    ENTRY(joystick_rpos, 1),
    ENTRY(joystick_upos, 1),
    ENTRY(joystick_vpos, 1),
    ENTRY(joystick_pov, 1),
};

#undef ENTRY

}  // namespace

void Function_Interaction_Init()
{
    Function_AddTable(kInteraction);
}
