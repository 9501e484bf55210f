// The built-in variables of the player's input, the clock, the game and its folders, and errors.
#include "Run/Run_Variables.h"

#include "Base/Clock.h"
#include "Base/MemoryManager.h"
#include "Code/Error.h"
#include "IO/IO.h"
#include "Room/View.h"
#include "Run/CommandLine.h"
#include "Runner/GameFile.h"
#include "Support/File.h"
#include "Support/LoadSave.h"
#include "Support/Support_DLL.h"
#include "Variable/Arguments.h"
#include "Variable/Variable_BuiltIn.h"

#include <string>

namespace {

template <auto Read>
bool GetNumber(CInstance*, int, TaggedValue* out)
{
    out->SetReal((double)Read());
    return true;
}

template <void (*Write)(int)>
bool SetInt(CInstance*, int, const TaggedValue* v)
{
    Write(Arg_I(*v));
    return true;
}

template <const char* (*Read)()>
bool GetText(CInstance*, int, TaggedValue* out)
{
    out->SetString(Read());
    return true;
}

template <void (*Write)(const char*)>
bool SetText(CInstance*, int, const TaggedValue* v)
{
    Write(Arg_S(*v));
    return true;
}

float MouseX() { return Mouse_GetRoomX(0); }
float MouseY() { return Mouse_GetRoomY(0); }
int MouseButton() { return IO_GetMouseButton(0); }
int MouseLastButton() { return IO_GetMouseLastButton(0); }
void SetMouseLastButton(int button) { IO_SetMouseLastButton(0, button); }

// Milliseconds since the game's start, on the clock get_timer reads.
bool GetCurrentTime(CInstance*, int, TaggedValue* out)
{
    out->SetReal((double)(Clock_SinceStart() / 1000));
    return true;
}

bool GetGameId(CInstance*, int, TaggedValue* out)
{
    out->SetReal(Game_Header.gameId);
    return true;
}

// A folder as games name it: without the trailing separator ("" when there is none).
void SetFolder(TaggedValue* out, const char* path)
{
    std::string folder = path ? path : "";
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    out->SetString(folder.c_str());
}

bool GetWorkingDirectory(CInstance*, int, TaggedValue* out)
{
    char* cwd = File_CurrentDirectory();
    SetFolder(out, cwd);
    MemFree(cwd);
    return true;
}

bool GetTempDirectory(CInstance*, int, TaggedValue* out)
{
    char* temp = File_TempDirectory();
    SetFolder(out, temp);
    MemFree(temp);
    return true;
}

template <const char* (*Folder)()>
bool GetFolder(CInstance*, int, TaggedValue* out)
{
    SetFolder(out, Folder());
    return true;
}

bool DebugMode() { return CommandLine.debug; }

template <bool* Flag>
bool GetFlag(CInstance*, int, TaggedValue* out)
{
    out->SetReal(*Flag ? 1.0 : 0.0);
    return true;
}

template <bool* Flag>
bool SetFlag(CInstance*, int, const TaggedValue* v)
{
    *Flag = Arg_B(*v);
    return true;
}

bool GetErrorLast(CInstance*, int, TaggedValue* out)
{
    out->SetString(Error_Last.c_str());
    return true;
}

bool SetErrorLast(CInstance*, int, const TaggedValue* v)
{
    Error_Last = Arg_S(*v);
    return true;
}

}  // namespace

void Run_Variables_Program_Init()
{
    Variable_BuiltIn_Add("keyboard_key", GetNumber<IO_GetKey>, nullptr, false);
    Variable_BuiltIn_Add("keyboard_lastkey", GetNumber<IO_GetLastKey>, SetInt<IO_SetLastKey>, true);
    Variable_BuiltIn_Add("keyboard_lastchar", GetText<IO_GetLastChar>, SetText<IO_SetLastChar>, true);
    Variable_BuiltIn_Add("keyboard_string", GetText<IO_GetTypedText>, SetText<IO_SetTypedText>, true);
    Variable_BuiltIn_Add("mouse_x", GetNumber<MouseX>, nullptr, false);
    Variable_BuiltIn_Add("mouse_y", GetNumber<MouseY>, nullptr, false);
    Variable_BuiltIn_Add("mouse_button", GetNumber<MouseButton>, nullptr, false);
    Variable_BuiltIn_Add("mouse_lastbutton", GetNumber<MouseLastButton>, SetInt<SetMouseLastButton>, true);
    Variable_BuiltIn_Add("current_time", GetCurrentTime, nullptr, false);
    Variable_BuiltIn_Add("game_id", GetGameId, nullptr, false);
    Variable_BuiltIn_Add("working_directory", GetWorkingDirectory, nullptr, false);
    Variable_BuiltIn_Add("program_directory", GetFolder<LoadSave_GetProgramFolder>, nullptr, false);
    Variable_BuiltIn_Add("temp_directory", GetTempDirectory, nullptr, false);
    Variable_BuiltIn_Add("game_save_id", GetFolder<LoadSave_GetSaveFolder>, nullptr, false);
    Variable_BuiltIn_Add("debug_mode", GetNumber<DebugMode>, nullptr, false);
    Variable_BuiltIn_Add("secure_mode", GetFlag<&ExternalCallsDisabled>, nullptr, false);
    Variable_BuiltIn_Add("error_occurred", GetFlag<&Error_Occurred>, SetFlag<&Error_Occurred>, true);
    Variable_BuiltIn_Add("error_last", GetErrorLast, SetErrorLast, true);
}
