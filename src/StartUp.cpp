#include "StartUp.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Code/Code_Constant.h"
#include "Code/Code_Interp.h"
#include "Code/Function.h"
#include "DPlay/DPlay.h"
#include "Function/Function_Date.h"
#include "Function/Function_File.h"
#include "Function/Quenby_Functions.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics_Text.h"
#include "Graphics/Graphics_3D_Model.h"
#include "Graphics_API/GR_Device.h"
#include "IO/IO.h"
#include "IO/IO_Joystick.h"
#include "Object/Instance_Class.h"
#include "Particle/Particle_Main.h"
#include "Path/Path_Main.h"
#include "Physics/Physics_Main.h"
#include "Room/Room_Main.h"
#include "Run/CommandLine.h"
#include "Run/Run_Main.h"
#include "Run/Run_Variables.h"
#include "Room/View.h"
#include "IO/Window.h"
#include "Run/GameFile_Chunks.h"
#include "Script/Script_Main.h"
#include "Sound/Sound_Hardware.h"
#include "Sound/Sound_Main.h"
#include "Support/DataStructures.h"
#include "Support/IniFile.h"
#include "Support/LoadSave_Http.h"
#include "Variable/Variable_Main.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

bool StartUp_Trace = false;

namespace {
struct ListEntry {
    const char* name;
    bool (*run)();
};

bool InitDrawing()
{
    Draw_Init();
    return true;
}

bool InitConstants()
{
    StartUp_Constants();
    return true;
}

bool InitViews()
{
    view_current = 0;
    return true;
}

bool InitParticles()
{
    Particle_Init();
    return true;
}

bool InitRunState()
{
    Run_AutoDraw = true;
    Room_NewRoom = ROOM_CHANGE_NONE;
    Run_Running = false;
    return true;
}

bool InitAudio()
{
    Sound_StartUp(CommandLine.noAudio);
    return true;
}

bool InitVariables()
{
    Variable_BuiltIn_Init();
    StartUp_Variables();
    return true;
}

bool InitPaths()
{
    Path_Clear();
    return true;
}

const ListEntry StartUpList[] = {
    {"Draw_Init", InitDrawing}, {"Code_Constant_Init", InitConstants}, {"View_Init", InitViews},         {"Particle_Init", InitParticles}, {"Run_State_Init", InitRunState},
    {"Audio_Init", InitAudio}, {"Variable_BuiltIn_Init", InitVariables}, {"Path_Init", InitPaths},
};

bool ServicesExit()
{
    Quenby_Exit();
    return true;
}

bool FreeMultiplayer()
{
    DPlay_Reset();
    return true;
}

bool FreeRequests()
{
    RequestList_Free();
    return true;
}

bool FreeGame()
{
    GameFile_Free();
    return true;
}

bool FreeFiles()
{
    Function_File_Free();
    return true;
}

bool FreeDataStructures()
{
    DS_FreeAll();
    return true;
}

bool FreeParticles()
{
    Particle_Free();
    return true;
}

bool FreeText()
{
    GR_Text_Free();
    return true;
}

bool FreeSound()
{
    Sound_Free();
    Sound_Quit();
    return true;
}

bool FreeFunctions()
{
    Function_Clear();
    return true;
}

bool FreeInput()
{
    IO_Clear();
    IO_Joystick_Close();
    return true;
}

bool FreeGraphics()
{
    D3DModel_Free();
    GR_D3D_Shutdown();
    return true;
}

bool FreeWindow()
{
    Window_Destroy();
    return true;
}

bool FreeSwitches()
{
    CommandLine_Reset();
    return true;
}

const ListEntry ShutDownList[] = {
    // Files the game left open are written while the save folder is still known.
    {"Function_File_Free", FreeFiles}, {"Quenby_Exit", ServicesExit}, {"DPlay_Reset", FreeMultiplayer},
    {"RequestList_Free", FreeRequests}, {"GameFile_Free", FreeGame},       {"DS_FreeAll", FreeDataStructures}, {"Function_Clear", FreeFunctions},
    {"IO_Free", FreeInput},            {"GR_Text_Free", FreeText},            {"Particle_Free", FreeParticles},            {"Sound_Free", FreeSound},          {"GR_D3D_Shutdown", FreeGraphics}, {"Window_Destroy", FreeWindow},    {"CommandLine_Reset", FreeSwitches},
};

// Runs the entries in order; a failed one (or one that ran out of memory) ends the start-up list,
// while the shut-down list goes on to its end (wholeList), so that a later entry still writes
// what it keeps.
bool RunList(const ListEntry* list, size_t count, bool wholeList)
{
    bool ok = true;
    for (size_t i = 0; i < count; i++) {
        if (StartUp_Trace) Console_Warnings->Output("%s() \n", list[i].name);
        bool ran = false;
        if (!MemoryManager_Try([&] { ran = list[i].run(); })) Console_Warnings->Output("%s: out of memory\n", list[i].name);
        if (ran) continue;
        Console_Warnings->Output("%s failed\n", list[i].name);
        ok = false;
        if (!wholeList) return false;
    }
    return ok;
}

bool OptionOn(IniFile& ini, const char* key)
{
    IniKey* k = ini.FindKey("DEFAULT", key);
    if (!k || !k->value) return false;
    return !strcasecmp(k->value, "true") || strtol(k->value, nullptr, 10) != 0;
}
}

void StartUp_InstallHooks()
{
    Run_PerFrameHook = Quenby_PerFrame;
    Effect_RoomHook = Run_EffectRoom;
    Sound_RoomSpeedHook = Room_RunningSpeed;
    Window_PauseHook = Quenby_ReportPause;
    Instance_RoomActive = Room_RunningActive;
    Instance_Bodies = {Physics_InstanceCreated, Physics_RemoveBody, Physics_DestroyWorld};
    Code_Instances = {Instance_Variables, Instance_FindUsable, Instance_FirstTarget, Instance_CollectTargets,
                      Instance_CollectTargetIds};
    Code_Scripts = {Script_Find, Script_Count, Script_GetName, Script_Compiled, Script_Execute, &Script_Generation};
}

void StartUp_Constants()
{
    Code_Constant_Init();
    Quenby_Constants_Init();
}

void StartUp_Variables()
{
    Run_Variables_Init();
    Function_Date_Variables_Init();
    Physics_Variables_Init();
    Quenby_Variables_Init();
}

bool StartUp_Run()
{
    StartUp_InstallHooks();
    return RunList(StartUpList, sizeof StartUpList / sizeof StartUpList[0], false);
}

void FiniRunner()
{
    RunList(ShutDownList, sizeof ShutDownList / sizeof ShutDownList[0], true);
#ifndef NDEBUG
    // Debug builds name every block the shut-down left alive.
    if (size_t live = MemoryManager_ReportLive()) Console_Warnings->Output("%zu blocks still live at shut-down\n", live);
#endif
}

void StartUp_ReadOptions()
{
    IniFile ini("options.ini");
    if (OptionOn(ini, "Debug")) CommandLine.debug = true;
    if (OptionOn(ini, "Trace")) CommandLine.trace = StartUp_Trace = true;
    IO_VirtualButton_ReadOptions(ini);
}
