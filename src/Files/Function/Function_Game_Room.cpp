// The room and game built-ins: room changes and the room order, ending, restarting, saving and
// loading the game, transitions and sleeping.
#include "Function/Function_Game_Internal.h"

#include "Base/Console.h"
#include "Base/Timer.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Graphics/Graphics_Transition.h"
#include "Room/Room_Main.h"
#include "Run/Run_Save.h"
#include "Support/LoadSave.h"
#include "Variable/Arguments.h"

#include <cmath>
#include <string>

void F_room_goto(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Room_Goto(Arg_I(args[0]));
}

void F_room_goto_previous(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Room_GotoPrevious();
}

void F_room_goto_next(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Room_GotoNext();
}

void F_room_previous(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    int room = Arg_I(args[0]);
    result->SetReal(Room_Exists(room) ? Room_Previous(room) : -1);
}

void F_room_next(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    int room = Arg_I(args[0]);
    result->SetReal(Room_Exists(room) ? Room_Next(room) : -1);
}

void F_room_restart(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Room_Restart();
}

void F_game_end(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args) { Game_End(); }

void F_game_restart(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Game_Restart();
}

// The file is looked for in the save folder, then in the program folder; the load happens at
// the end of the frame.
void F_game_load(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(-1);
    if (argc != 1 || !args[0].IsString()) return;
    const char* name = Arg_S(args[0]);
    char path[1024];
    bool found = (LoadSave_SaveFileExists(name) && LoadSave_SavePath(path, sizeof path, name)) ||
                 (LoadSave_BundleFileExists(name) && LoadSave_BundlePath(path, sizeof path, name));
    result->SetReal(found ? 1 : 0);
    if (found) LoadGame_Pending(path);
    else Console_Debug->Output("game_load - unable to find file %s\n", name);
}

void F_game_save(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(-1);
    if (argc != 1 || !args[0].IsString()) return;
    char path[1024];
    if (LoadSave_SavePath(path, sizeof path, Arg_S(args[0]))) Game_Save(path);
    else Error_Show_Action((std::string("Unable to save the game to file ") + Arg_S(args[0])).c_str(), false);
}

void F_transition_define(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(GR_Transition_Define(Arg_I(args[0]), Arg_S(args[1])) ? 1 : 0);
}

void F_transition_exists(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(GR_Transition_Exists(Arg_I(args[0])) ? 1 : 0);
}

// The wait is bounded before it becomes an integer: NaN, negative and huge values are safe.
void F_sleep(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    constexpr double LONGEST = 3000000.0;  // microseconds
    double us = args[0].GetReal() * 1000.0;
    if (!(us > 0)) return;
    Timer_Sleep((int64_t)std::llround(us < LONGEST ? us : LONGEST));
}

void Function_Game_Room_Add()
{
    Function_Add("room_goto", F_room_goto, 1);
    Function_Add("room_goto_previous", F_room_goto_previous, 0);
    Function_Add("room_goto_next", F_room_goto_next, 0);
    Function_Add("room_previous", F_room_previous, 1);
    Function_Add("room_next", F_room_next, 1);
    Function_Add("room_restart", F_room_restart, 0);
    Function_Add("game_end", F_game_end, 0);
    Function_Add("game_restart", F_game_restart, 0);
    Function_Add("game_load", F_game_load, 1);
    Function_Add("game_save", F_game_save, 1);
    Function_Add("transition_define", F_transition_define, 2);
    Function_Add("transition_exists", F_transition_exists, 1);
    Function_Add("sleep", F_sleep, 1);
}
