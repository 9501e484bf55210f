// The actions of rooms and the game, messages, files and the web page, the questions, scripts,
// and the score, lives and health with the window caption.
#include "Function/Function_Action_Internal.h"

#include "Background/Background_Main.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Base/Random.h"
#include "Code/Error.h"
#include "Debug/Dialog.h"
#include "Function/Function_Game.h"
#include "Function/Function_Interaction.h"
#include "Function/Function_Misc.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Surface.h"
#include "Graphics_API/Image.h"
#include "IO/IO.h"
#include "IO/Window.h"
#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"
#include "Option/Option_Main.h"
#include "Room/Room_Collision.h"
#include "Room/Room_Draw.h"
#include "Room/Room_Main.h"
#include "Run/HighScore.h"
#include "Run/Process.h"
#include "Run/Run_Main.h"
#include "Run/Run_Save.h"
#include "Script/Script_Main.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "Support/LoadSave.h"
#include "Variable/Arguments.h"
#include "Variable/Variable_Main.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The answer of the counter questions: op 1 below, op 2 above, any other op equal.
double Compare(double counter, double value, const TaggedValue& op)
{
    switch (Arg_I(op)) {
    case 1: return counter < value ? 1 : 0;
    case 2: return counter > value ? 1 : 0;
    default: return counter == value ? 1 : 0;
    }
}

}  // namespace

bool Action_CanReplace(bool exists, const char* file)
{
    if (!exists) {
        Error_Show_Action("Trying to replace non-existing resource.", false);
        return false;
    }
    if (LoadSave_SaveFileExists(file) || LoadSave_BundleFileExists(file)) return true;
    Error_Show_Action("File does not exist.", false);
    return false;
}

void F_action_if_previous_room(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Room_Previous(Run_RoomIndex) >= 0 ? 1 : 0);
}

void F_action_if_next_room(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(Room_Next(Run_RoomIndex) >= 0 ? 1 : 0);
}

// The redraw shows the room at once. A draw event only sleeps: drawing the room from inside its
// own drawing would run that draw event again, without end.
void F_action_sleep(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    if (Arg_B(args[1]) && Run_Room && event_type != EVENT_DRAW) {
        Room_Draw(Run_Room);
        if (GR_D3D_HasDevice()) {
            GR_D3D_Finish_Frame(true);
            GR_D3D_Start_Frame();
        }
    }
    F_sleep(result, self, other, 1, args);
}

// A real is shown in exponent form, a string as it stands.
void F_action_message(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(1);
    char number[63];
    if (args[0].IsReal()) snprintf(number, sizeof number, "%e", args[0].GetReal());
    ShowMessage(args[0].IsReal() ? number : Arg_S(args[0]));
    IO_Clear();
}

// No game information is kept to show.
void F_action_show_info(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    IO_Clear();
}

void F_action_show_video(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    VideoFullscreen = args[1].GetReal() > 0;
    F_show_video(result, self, other, argc, args);
}

// The file is not looked at here: the load at the end of the frame reports a missing or damaged
// one and changes nothing then.
void F_action_load_game(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    LoadGame_Pending(args[0].IsString() ? Arg_S(args[0]) : "");
}

// The sprite keeps its own flags and origin.
void F_action_replace_sprite(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = Arg_I(args[0]);
    const char* file = Arg_S(args[1]);
    if (!Action_CanReplace(Sprite_Exists(index), file)) return;
    const CSprite* s = Sprite_Get(index);
    Sprite_Replace(index, file, Arg_I(args[2]), s->m_precise, s->m_transparent, s->m_smooth, s->m_preload, s->m_xorigin,
                   s->m_yorigin);
}

void F_action_replace_background(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = Arg_I(args[0]);
    const char* file = Arg_S(args[1]);
    if (!Action_CanReplace(Background_Exists(index), file)) return;
    const CBackground* b = Background_Get(index);
    Background_Replace(index, file, b->GetTransparent(), b->GetSmooth(), b->GetPreload());
}

// objects non-zero: free of every instance; otherwise free of solid ones.
void F_action_if_empty(TaggedValue* result, CInstance* self, CInstance*, int, TaggedValue* args)
{
    float x = Action_X(args[0], self), y = Action_Y(args[1], self);
    bool empty = args[2].GetReal() != 0 ? Instance_PlaceEmpty(self, x, y) : Instance_PlaceFree(self, x, y);
    result->SetReal(empty ? 1 : 0);
}

void F_action_if_collision(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    F_action_if_empty(result, self, other, argc, args);
    result->SetReal(result->GetReal() != 0 ? 0 : 1);
}

void F_action_if(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    *result = args[0];
}

void F_action_if_number(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    TaggedValue count;
    F_instance_number(&count, self, other, 1, args);
    result->SetReal(Compare(count.GetReal(), args[1].GetReal(), args[2]));
}

void F_action_if_object(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    TaggedValue place[3] = {TaggedValue((double)Action_X(args[1], self)), TaggedValue((double)Action_Y(args[2], self)),
                            args[0]};
    F_place_meeting(result, self, other, 3, place);
}

void F_action_if_question(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(InputQuery_Question("", Arg_S(args[0])) ? 1 : 0);
    IO_Clear();
}

// True for one draw in round(sides x 1000) that falls below 1001; a die of 1 side or less (or
// not a number) always answers 1.
void F_action_if_dice(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    double sides = args[0].GetReal();
    if (!(sides > 1)) {
        result->SetReal(1);
        return;
    }
    double faces = std::min(std::nearbyint(sides * 1000.0), (double)INT_MAX);
    result->SetReal(Random_Int((int)faces) < 1001 ? 1 : 0);
}

// Buttons 1 to 3 (left, right, middle): held or released this step; any other: no button held.
void F_action_if_mouse(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    int button = Arg_I(args[0]);
    bool yes;
    if (button >= 1 && button <= 3) yes = IO_MouseDown(button, 0) || IO_MouseReleased(button, 0);
    else yes = !IO_MouseDown(1, 0) && !IO_MouseDown(2, 0) && !IO_MouseDown(3, 0);
    result->SetReal(yes ? 1 : 0);
}

// Five arguments, whatever the script reads; a missing script does nothing.
void F_action_execute_script(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    int index = Arg_I(args[0]);
    if (Script_Exists(index)) Function_ExecuteScript(index, self, other, 5, args + 1, result);
}

// Two strings compare byte by byte, two reals by their difference; op 1 <, 2 >, 3 <=, 4 >=, any
// other =.
void F_action_if_variable(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    const TaggedValue &a = args[0], &b = args[1];
    if (a.IsString() != b.IsString()) {
        Error_Show_Action("Cannot compare arguments.", false);
        return;
    }
    double d;
    if (a.IsString()) {
        size_t la = a.GetLength(), lb = b.GetLength();
        int c = memcmp(a.GetString(), b.GetString(), std::min(la, lb));
        d = c != 0 ? c : (la < lb ? -1 : (la > lb ? 1 : 0));
    } else {
        d = a.GetReal() - b.GetReal();
    }
    bool yes;
    switch (Arg_I(args[2])) {
    case 1: yes = d < 0; break;
    case 2: yes = d > 0; break;
    case 3: yes = d <= 0; break;
    case 4: yes = d >= 0; break;
    default: yes = d == 0; break;
    }
    result->SetReal(yes ? 1 : 0);
}

void F_action_set_score(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    score = Action_Counter(score, Arg_I(args[0]));
}

void F_action_if_score(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(Compare(score, args[0].GetReal(), args[1]));
}

void F_action_highscore_clear(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    HighScore_Clear();
}

void F_action_set_life(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Run_SetLives(Action_Counter(lives, Arg_I(args[0])));
}

void F_action_if_life(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(Compare(lives, args[0].GetReal(), args[1]));
}

void F_action_set_health(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Run_SetHealth(Argument_Relative ? health + args[0].GetReal() : args[0].GetReal());
}

void F_action_if_health(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(Compare(health, args[0].GetReal(), args[1]));
}

// Each counter is shown when its flag is exactly 1; a caption given as no string is none.
void F_action_set_caption(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    show_score = args[0].GetReal() == 1.0;
    show_lives = args[2].GetReal() == 1.0;
    show_health = args[4].GetReal() == 1.0;
    Run_SetCaptionText(&caption_score, args[1].IsString() ? Arg_S(args[1]) : nullptr);
    Run_SetCaptionText(&caption_lives, args[3].IsString() ? Arg_S(args[3]) : nullptr);
    Run_SetCaptionText(&caption_health, args[5].IsString() ? Arg_S(args[5]) : nullptr);
}

void F_action_set_cursor(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    cursor_sprite = Arg_I(args[0]);
    bool show = Arg_B(args[1]);
    Window_SetCursor(show ? 0 : -1);
    Option_ShowCursor = show ? 1 : 0;
}

// The desktop opens the address or document (docs/programs.md); a program is never started.
void F_action_webpage(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (!Execute_OpenWebpage(Arg_S(args[0]))) Error_Show_Action("Failed to open the webpage.", false);
}

// 1 windowed, 2 full screen, anything else switches.
void F_action_fullscreen(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    switch (Arg_I(args[0])) {
    case 1: Window_SetFullscreen(false); break;
    case 2: Window_SetFullscreen(true); break;
    default: Window_SetFullscreen(!Window_GetFullscreen()); break;
    }
}

// The screen at the game's size, as a 24-bit BMP image in the save folder whatever the name's
// extension.
void F_action_snapshot(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* name = Arg_S(args[0]);
    if (!*name) {
        Error_Show_Action("Trying to save screen to empty image file name.", false);
        return;
    }
    int width = Window_GetBaseWidth(), height = Window_GetBaseHeight();
    uint32_t* pixels = GR_Screen_Read_Pixels(width, height, 0, 0, width, height);
    size_t size = 0;
    uint8_t* image = pixels ? Image_CreateBMP((const uint8_t*)pixels, width, height, &size, 4) : nullptr;
    if (image) LoadSave_WriteFile(name, image, (int64_t)size);
    MemFree(image);
    MemFree(pixels);
}
