// Program entry of the runner.
#include "Base/Console.h"
#include "Code/Code_Constant.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Function/Function_Game.h"
#include "Function/Function_Graphics.h"
#include "Function/Function_Misc.h"
#include "Run/CommandLine.h"
#include "Run/Run_Main.h"
#include "Run/Run_Variables.h"
#include "Runner/GameFile.h"
#include "Variable/Variable_Main.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// The built-in function families, registered when the game data file's header is read.
static void RegisterFunctions()
{
    static bool done = false;
    if (done) return;
    done = true;
    Function_Misc_Init();
    Function_Game_Init();
    Function_Graphics_Init();
}

static void PrintUsage()
{
    printf("usage: runner [-game FILE] [-debug] [-trace] [-ext] [-oldexec] [-noaudio] [-inawindow]\n"
           "              [-record FILE] [-playback FILE] [-steam] [-bp NAME@LINE]\n");
}

// The folder of the program, for the default game data file beside it.
static std::string ProgramFolder(const char* argv0)
{
    std::string path = argv0;
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "-help") || !strcmp(argv[i], "--help")) {
            PrintUsage();
            return 0;
        }
    }
    if (!CommandLine_Parse(argc, argv)) {
        PrintUsage();
        return 2;
    }
    std::string game = CommandLine.gameFile ? CommandLine.gameFile : ProgramFolder(argv[0]) + "/data.win";
    // RUNNER_NO_WAIT runs frames back to back; RUNNER_MAX_FRAMES ends the game after that many.
    const char* noWait = getenv("RUNNER_NO_WAIT");
    Run_NoWait = noWait && *noWait && strcmp(noWait, "0");
    const char* maxFrames = getenv("RUNNER_MAX_FRAMES");
    long frameLimit = maxFrames ? strtol(maxFrames, nullptr, 10) : 0;

    // Start-up: constants and built-in variables, then the game data file (which registers the
    // built-in functions at its header), then the game is prepared and started.
    Code_Constant_Init();
    Variable_BuiltIn_Init();
    Run_Variables_Init();
    GameFile_RegisterFunctions = RegisterFunctions;

    if (!GameFile_Load(game.c_str())) {
        GameFile_Free();
        return 1;
    }
    int status = 0;
    if (!Run_Prepare() || !Run_StartGame()) {
        status = 1;
    } else {
        while (Run_Running) {
            Run_Frame();
            if (frameLimit > 0 && Run_Frames >= frameLimit && Run_Running) {
                Console_Warnings->Output("Stopped after %ld frames.\n", frameLimit);
                Run_EndGame();
                status = 4;
            }
        }
        if (Error_FatalPending) status = 3;
    }
    // Shut-down: the end of the game, then every table the game data file filled.
    Run_EndGame();
    GameFile_Free();
    Function_Clear();
    CommandLine_Reset();
    return status;
}
