// Program entry of the runner: the switches, the start-up list, the game, the window and the
// graphics device, the main loop, and the shut-down.
#include "Background/Background_Main.h"
#include "Base/Clock.h"
#include "Base/Console.h"
#include "Font/Font_Main.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "Base/MemoryManager.h"
#include "Base/Random.h"
#include "Base/Stop.h"
#include "Base/Timer.h"
#include "Code/Code_Class.h"
#include "Code/Error.h"
#include "Debug/Dialog.h"
#include "Extension/Extension_Main.h"
#include "Function/Function_Init.h"
#include "Function/Function_Misc.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics_Text.h"
#include "Graphics_API/GR_Device.h"
#include "IO/IO_Record.h"
#include "Option/Option_Main.h"
#include "Particle/Particle_Main.h"
#include "Physics/Physics_Main.h"
#include "Room/Room_Main.h"
#include "Run/CommandLine.h"
#include "Run/HighScore.h"
#include "Run/Run_Main.h"
#include "IO/Window.h"
#include "Run/GameFile_Chunks.h"
#include "Runner/GameFile.h"
#include "Support/LoadSave.h"
#include "Support/Support_DLL.h"
#include "StartUp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

// Exit codes.
enum { EXIT_OK = 0, EXIT_FAILED = 1, EXIT_USAGE = 2, EXIT_ERROR = 3, EXIT_FRAME_LIMIT = 4 };

// The number of images of a sprite, for animation ends.
static int SpriteImageCount(int sprite)
{
    const CSprite* s = Sprite_Get(sprite);
    return s ? s->m_numb : 0;
}

static void PrintUsage()
{
    printf("usage: runner [-game FILE] [-debug] [-trace] [-ext] [-oldexec] [-noaudio] [-inawindow]\n"
           "              [-record FILE] [-playback FILE] [-steam] [-bp NAME@LINE]\n"
           "RUNNER_HEADLESS=1 runs without a window.\n");
}

// The folder of the program, for the default game data file beside it.
static std::string ProgramFolder(const char* argv0)
{
    std::string path = argv0;
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

static bool IsFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

static bool EnvOn(const char* name)
{
    const char* value = getenv(name);
    return value && *value && strcmp(value, "0");
}

// The window with the header's size and the graphics device on it. Without a display the game
// runs headless; a window whose graphics fail ends the program.
static bool OpenWindow(bool* failed)
{
    *failed = false;
    if (EnvOn("RUNNER_HEADLESS")) return false;
    if ((Option_Flags & OPTION_FULLSCREEN) && !CommandLine.inAWindow) Window_SetFullscreen(true);
    if (!Window_Create(Game_Header.windowWidth, Game_Header.windowHeight, false)) {
        Console_Warnings->Output("Running without a window.\n");
        return false;
    }
    if (!GR_D3D_Init(MainWindow)) {
        Console_Warnings->Output("The graphics could not be started.\n");
        *failed = true;
        return false;
    }
    Sprite_InitTextures();
    Background_InitTextures();
    Font_InitTextures();
    Particle_InitShapeTextures();
    return true;
}

// The game's clock starts, with input recording or playback of the switches; false (with a
// message) when the file is unusable. A recorded game's clock stands still at each step's time,
// from its start on.
static bool StartReplay()
{
    Clock_Start();
    if (CommandLine.recordFile) {
        Clock_HoldAt(Clock_StartTime());
        return IO_Record_Start(CommandLine.recordFile, Game_Header.gameId, Clock_StartTime());
    }
    int64_t start;
    if (CommandLine.playbackFile) {
        if (!IO_Playback_Start(CommandLine.playbackFile, Game_Header.gameId)) return false;
        if (IO_Playback_StartTime(&start)) Clock_HoldFromStart(start);
    }
    return true;
}

// Without a game data file the player picks one in the file prompt, shown in a window of its own
// (or answered from RUNNER_DIALOGS); without a display the usage is printed. False, with the exit
// code, when no game was chosen.
static bool ChooseGame(std::string* game, int* status)
{
    Dialog_Init();
    bool window = false;
    if (!Dialog_Scripted()) {
        window = !EnvOn("RUNNER_HEADLESS") && Window_Create(640, 480, false) && GR_D3D_Init(MainWindow);
        if (!window) {
            Window_Destroy();
            printf("No game data file: data.win is not beside the program and -game names none.\n");
            PrintUsage();
            *status = EXIT_FAILED;
            return false;
        }
        Window_SetCaption("Choose a game");
        Draw_Clear(0);
    }
    char* name = nullptr;
    bool chosen = Dialog_FileName(false, "Game data files|*.win|All files|*", "", "", "Choose a game to play", &name);
    if (window) {
        GR_Text_Free();
        GR_D3D_Shutdown();
        Window_Destroy();
    }
    if (chosen) *game = name;
    else Console_Warnings->Output("No game was chosen.\n");
    MemFree(name);
    *status = EXIT_OK;
    return chosen;
}

// Loads, prepares and plays the game; the exit code.
static int Play(const std::string& game)
{
    // RUNNER_NO_WAIT runs frames back to back; RUNNER_MAX_FRAMES ends the game after that many.
    Run_NoWait = EnvOn("RUNNER_NO_WAIT");
    const char* maxFrames = getenv("RUNNER_MAX_FRAMES");
    long frameLimit = maxFrames ? strtol(maxFrames, nullptr, 10) : 0;

    std::string folder = game.substr(0, game.find_last_of('/') + 1);
    LoadSave_SetProgramFolder(folder.empty() ? "./" : folder.c_str());
    StartUp_ReadOptions();
    if (CommandLine.debug) Physics_InstallLogHook();
    GameFile_RegisterFunctions = Function_Init;
    Function_Misc_Steam = CommandLine.steam;
    Run_SpriteImageCount = SpriteImageCount;
    Random_Seed(0);
    if (!GameFile_Load(game.c_str())) return EXIT_FAILED;
    LoadSave_SetGameName(Game_Header.name);
    LoadSave_RemoveTemporaries();
    HighScore_Load();
    Window_SetBaseSize(Game_Header.windowWidth, Game_Header.windowHeight);

    bool failed = false;
    if (OpenWindow(&failed)) Stop_Install(true);
    if (failed) return EXIT_FAILED;
    Dialog_Init();
    Dialog_CaptionHook = Window_GetCaption;
    Error_Display_Hook = Dialog_ErrorReported;
    Timer_PumpHook = PumpMessages;
    if (!StartReplay()) return EXIT_FAILED;

    // The error dialog shows the errors of the game's start and of each frame; the player's choice
    // to end there ends the game as a fatal error does.
    int status = EXIT_OK;
    auto errorDialog = [&status] {
        if (Dialog_ErrorsOfStep(MainWindow != nullptr, !Run_NoWait) || !Run_Running) return;
        Run_EndGame();
        status = EXIT_ERROR;
    };
    if (!Run_Prepare()) return EXIT_FAILED;
    if (!Extension_Initialise()) {
        errorDialog();
        return EXIT_ERROR;
    }
    if (!Run_StartGame()) return EXIT_FAILED;
    errorDialog();
    bool closed = false;
    while (Run_Running) {
        Run_Frame();
        PumpMessages();
        errorDialog();
        if (Stop_Requested()) {
            // The game ends without its end events; the shut-down writes what it keeps.
            Console_Warnings->Output("Stopped by signal %d.\n", (int)Stop_Signal);
            Run_EndGame();
            break;
        }
        // Closing the window ends the game with its end events.
        if (Window_Quit && !closed && Run_Running) {
            closed = true;
            Game_End();
        }
        if (frameLimit > 0 && Run_Frames >= frameLimit && Run_Running) {
            Console_Warnings->Output("Stopped after %ld frames.\n", frameLimit);
            Run_EndGame();
            status = EXIT_FRAME_LIMIT;
        }
    }
    if (Error_FatalPending) status = EXIT_ERROR;
    return status;
}

int main(int argc, char** argv)
{
    // "data.win" beside the program is the game, whatever the command line says.
    std::string game = ProgramFolder(argv[0]) + "/data.win";
    bool besideProgram = IsFile(game), choose = false;
    if (!besideProgram) {
        for (int i = 1; i < argc; i++) {
            if (!strcmp(argv[i], "-help") || !strcmp(argv[i], "--help")) {
                PrintUsage();
                return EXIT_OK;
            }
        }
        if (!CommandLine_Parse(argc, argv)) {
            PrintUsage();
            return EXIT_USAGE;
        }
        if (CommandLine.gameFile) game = CommandLine.gameFile;
        else choose = true;
    } else {
        CommandLine_Parse(1, argv);
    }
    StartUp_Trace = CommandLine.trace;
    Code_KeepTrees = !Code_UseVM;
    Stop_Install(false);

    // Memory that runs out where nothing expected it ends the game (or its end) here, and the
    // shut-down list still writes the game's files.
    int status = EXIT_FAILED;
    auto outOfMemory = [&] {
        Console_Warnings->Output("Out of memory: the game ends.\n");
        status = EXIT_ERROR;
    };
    if (!MemoryManager_Try([&] {
            if (StartUp_Run() && (!choose || ChooseGame(&game, &status))) status = Play(game);
        }))
        outOfMemory();
    // Shut-down: the end of the game (with the extensions' finalisation), recorded input, then the
    // shut-down list.
    if (!MemoryManager_Try([&] {
            Run_EndGame();
            if (!Extension_Finalise() && status == EXIT_OK) status = EXIT_ERROR;
            IO_Record_Stop();
            IO_Playback_Stop();
            DLL_FreeAll();
        }))
        outOfMemory();
    FiniRunner();
    Stop_Finish();
    return status;
}
