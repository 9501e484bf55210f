// Loads arbitrary bytes as a saved game into a running game: the load may be refused, but must
// never crash, leak or leave the game half replaced; a load that succeeds leaves a game that runs
// and can make new instances and tiles (their ids follow the loaded counters without wrapping).
#include "Base/Console.h"
#include "Code/Error.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"
#include "Object/Object_Main.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"
#include "Run/Run_Save.h"
#include "Runner/GameFile.h"
#include "StartUp.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The game the seeds were saved from (tests/fuzz/corpus/savefile): id 777, three objects (the
// second solid, the third a child of the first) and two rooms, the first persistent.
void StartGame()
{
    static TCaptureConsole quiet;
    StartUp_InstallHooks();
    Console_Warnings = &quiet;
    Console_Debug = &quiet;
    Error_Display_Hook = [](const char*, bool) {};
    Game_Header.gameId = 777;
    for (int i = 0; i < 3; i++) Object_Add();
    Object_Find(1)->flags |= OBJECT_SOLID;
    Object_Find(2)->parent_index = 0;
    if (!Object_LinkParents() || !Object_Prepare()) abort();
    Room_Get(Room_Add())->persistent = true;
    Room_Add();
    Run_NoWait = true;
    if (!Run_StartGame()) abort();
    // The rooms go before the tables that hold them, or the leak check would count them.
    atexit(Run_EndGame);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool started = (StartGame(), true);
    (void)started;
    std::string why;
    if (Game_LoadBytes(data, (int64_t)size, &why)) {
        if (!Run_Room) abort();
        CInstance* made = Run_Room->CreateInstance(0, 0, 0);
        if (made && (made->id < INSTANCE_ID_FIRST || made->id > INSTANCE_ID_LAST)) abort();
        if (Run_Room->AddTile(RoomTile()) >= 0 && (Run_Room->tiles.back().id < 0 || Run_Room->tiles.back().id > TILE_ID_LAST))
            abort();
        Run_Frame();
        Error_FatalPending = false;
        if (!Run_Running && !Run_StartGame()) abort();
    } else if (why.empty()) {
        abort();
    }
    return 0;
}
