// Calls built-ins the way compiled code does, in a running game without a window: by id through
// the built-in table, a fixed count padded with the real 0, any count for the others. The input
// is a list of calls (a built-in, a self, arguments) and frames, so what one call makes the next
// can misuse: an argument may be an earlier call's result. Nothing may crash, hang, or touch a
// file outside the game's two folders (a sentinel folder beside them must stay as it is, and its
// full name is among the texts tried).
//
// The seeds in corpus/builtins/ are named after a built-in that makes something (a list, a file,
// a particle system, a joint...); each makes it, uses it through its family's built-ins, destroys
// it and uses it again. They pick built-ins by id, so a table that grows shifts them to other
// built-ins: they stay valid inputs.
#include "../unit/Sound/WaveMaker.h"

#include "Background/Background_Class.h"
#include "Background/Background_Main.h"
#include "Base/Console.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Debug/Dialog.h"
#include "Function/Function_Action.h"
#include "Function/Function_File.h"
#include "Function/Function_Init.h"
#include "Graphics/Graphics_3D_Model.h"
#include "Motion/Motion_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"
#include "Object/Object_Main.h"
#include "Option/Option_Main.h"
#include "Particle/Particle_Main.h"
#include "Path/Path_Class.h"
#include "Path/Path_Main.h"
#include "Physics/Physics_Fixture.h"
#include "Platform/TBitmap.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"
#include "Script/Script_Main.h"
#include "Sound/Sound_Main.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "StartUp.h"
#include "Support/DataStructures.h"
#include "Support/LoadSave.h"
#include "Support/LoadSave_Http.h"
#include "Support/Support_DLL.h"
#include "TimeLine/TimeLine_Class.h"
#include "TimeLine/TimeLine_Main.h"
#include "Variable/Value.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Kept out by name: what sleeps (sleep, action_sleep), starts programs (execute_program,
// execute_shell, action_webpage, the url_open forms), opens network connections (http_get,
// http_post_string), runs code given as text, which may loop for ever or call the others
// (execute_string, execute_file), or changes the priority of the fuzzing process itself
// (set_program_priority). A download that another built-in starts goes to a proxy on 127.0.0.1
// that is not there. External definitions stay in: "-ext" is on, so no library is loaded.
// Without a window the dialogs and the waits for input return at once, and no built-in opens
// one. Ending or restarting the game stays in: game_end ends the input's calls and the next input
// starts the game afresh. Files are written in a save folder under the temporary folder, which the
// next input finds empty again.
const char* const kLeftOut[] = {"sleep",          "action_sleep",       "execute_program",      "execute_shell",
                                "action_webpage", "url_open",           "url_open_ext",         "url_open_full",
                                "Quenby_OpenURL", "Quenby_OpenURL_ext", "Quenby_OpenURL_full",  "http_get",
                                "http_post_string", "execute_string",   "execute_file",         "set_program_priority"};

const double kInf = std::numeric_limits<double>::infinity();
const double kReals[] = {0.0, -0.0, 1.0, -1.0, 0.5, 2.0, 3.0, 7.0, 15.0, 16.0, 31.0, 32.0, 255.0, 256.0, 360.0,
                         65536.0, std::nan(""), -std::nan(""), kInf, -kInf, 1e300, -1e300, 1e-300, 1e10,
                         2147483647.0, 2147483648.0, -2147483648.0, 4294967296.0, 9007199254740993.0,
                         99999.0, 100000.0, 100001.0, 100002.0, 100003.0, 199999.0, 200000.0, 200001.0,
                         500000.0, 1048575.0, 1048576.0, 1048577.0, 16777216.0, 1e6, -100000.0, 0.1, -0.5};
const char* const kTexts[] = {"", "a", "0", "12.5", "-3", "1e999", "nan", "#", "\\", "..", ".", "/", "*", "*.*",
                              "../x", "../sentinel/secret.txt", "../../sentinel/secret.txt", "/etc/passwd", "C:\\x", "\\\\srv\\x",
                              "a/b/c.txt", "data.txt", "save.ini", "game.sav", "model.d3d", "list.txt",
                              "http://127.0.0.1:1/", "https://localhost/x?y=1", "ftp://a",
                              "{\"a\":[1,2,{\"b\":null}],\"c\":\"d\"}", "[1,[2,[3]]]", "{", "%s%n%d",
                              "section", "key", "obj0", "spr0", "scr0", "snd0", "x", "image_index",
                              "ABC\r\nDEF", "\xc3\xbcn\xc3\xaf", "\xff\xfe\x80", "true", "beep.wav", "song.mp3"};

std::vector<bool> g_leftOut;
fs::path g_root, g_prog, g_save, g_sentinel;
std::string g_outside;  // the sentinel file's full name, which no built-in may reach
CInstance* g_global = nullptr;  // self of code that runs in no instance
std::vector<int> g_fixtures;     // made by the input, deleted after it
TCaptureConsole g_quiet;

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool More() const { return at < size; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    uint16_t Word() { return (uint16_t)(Byte() | Byte() << 8); }
    double Raw()
    {
        uint64_t bits = 0;
        for (int i = 0; i < 8; i++) bits |= (uint64_t)Byte() << (8 * i);
        double v;
        memcpy(&v, &bits, sizeof v);
        return v;
    }
};

void Write(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The program folder as the game ships it, a fresh save folder, and the sentinel beside them.
void ResetFolders()
{
    std::error_code e;
    fs::remove_all(g_prog, e);
    fs::remove_all(g_save, e);
    fs::create_directories(g_save);
    std::vector<uint8_t> wave = WaveMaker::Tone(440, 0.01);
    Write(g_prog / "beep.wav", std::string(wave.begin(), wave.end()));
    Write(g_prog / "data.txt", "12.5 hello\r\nsecond line\n3\n");
    Write(g_prog / "save.ini", "[section]\nkey=value\nnumber=2.5\n");
    Write(g_prog / "list.txt", "not a structure");
    Write(g_prog / "model.d3d", "100\n2\n0 4 0 0 0 0 0 0 0 0 0\n1 0 0 0 0 0 0 0 0 0 0\n");
    Write(g_prog / "sub" / "a.txt", "a");
}

void CheckSentinel()
{
    std::error_code e;
    size_t entries = 0;
    for (auto it = fs::recursive_directory_iterator(g_sentinel, e); !e && it != fs::recursive_directory_iterator();
         it.increment(e))
        entries++;
    if (entries != 1 || Read(g_sentinel / "secret.txt") != "SENTINEL") {
        fprintf(stderr, "a built-in reached outside the game's folders\n");
        abort();
    }
}

// A game of three objects (the second a child of the first), a sprite, a background, a path, a
// script, a time line, a sound and two rooms; the game starts afresh for every input.
void MakeGame()
{
    TBitmap image(8, 8, 24);
    memset(image.Lock(), 200, 8 * 8 * 3);
    Sprite_Get(Sprite_AddNew())->CreateFromBitmap(&image, true, false, false, true, 4, 4, false);
    Background_Get(Background_AddEmpty())->CreateColor(16, 16, 0xFF00FF, false);
    CPath* path = Path_Get(Path_Add());
    path->AddPoint(0, 0, 100);
    path->AddPoint(64, 32, 50);
    Script_Add("scr0", "var s; s = argument0; if (is_real(s)) return s + argument_count; return string(s);");
    TimeLine_Get(TimeLine_Add())->AddMoment(2, "x += 1;");
    Sound_AddFromFile("beep.wav", 0, true);

    int a = Object_Add(), b = Object_Add(), c = Object_Add();
    CObject* first = Object_Find(a);
    first->name = "obj0";
    first->sprite = 0;
    first->AddEvent(0, 0, "hits = 0; alarm[0] = 2; speed = 1; direction = 45;");
    first->AddEvent(2, 0, "alarm[0] = 3; instance_create(x + 8, y, obj2);");
    first->AddEvent(3, 0, "image_angle += 5; if (x > room_width) x = 0;");
    first->AddEvent(4, c, "hits += 1; with (other) instance_destroy();");
    first->AddEvent(7, 10, "show_debug_message('user ' + string(hits));");
    first->AddEvent(8, 0, "draw_self(); draw_text(x, y, string(hits)); draw_circle(x, y, 4, true);");
    Object_Find(b)->parent_index = a;
    Object_Find(b)->AddEvent(1, 0, "event_inherited();");
    CObject* third = Object_Find(c);
    third->name = "obj2";
    third->sprite = 0;
    third->flags |= OBJECT_SOLID;
    third->physics = std::make_unique<ObjectPhysics>();
    Object_LinkParents();

    for (int r = 0; r < 2; r++) {
        CRoom* room = Room_Get(Room_Add());
        room->width = 320;
        room->height = 240;
        room->physics = r == 1;
        room->AddInstance(16, 16, a);
        room->AddInstance(40, 20, b);
        room->AddInstance(20, 40, c);
        room->AddInstance(200, 100, c);
    }
    if (!Run_Prepare()) abort();
}

void Start()
{
    setenv("ALSOFT_DRIVERS", "null", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    for (const char* proxy : {"http_proxy", "HTTPS_PROXY", "ALL_PROXY"}) setenv(proxy, "http://127.0.0.1:1", 1);
    setenv("NO_PROXY", "", 1);
    Console_Warnings = Console_Debug = &g_quiet;
    ShowMessage_Hook = [](const char*) {};
    Error_Display_Hook = [](const char*, bool) {};
    ExternalCallsDisabled = true;
    DLL_LoadingRefused = true;  // no library its input names is loaded

    g_root = fs::temp_directory_path() / ("fuzz_builtins_" + std::to_string(getpid()));
    g_prog = g_root / "prog";
    g_save = g_root / "xdg" / "game";
    g_sentinel = g_root / "sentinel";
    g_outside = (g_sentinel / "secret.txt").string();
    fs::remove_all(g_root);
    Write(g_sentinel / "secret.txt", "SENTINEL");
    atexit([] {
        Run_EndGame();
        delete g_global;
        FiniRunner();
        std::error_code e;
        fs::remove_all(g_root, e);
    });
    setenv("XDG_DATA_HOME", (g_root / "xdg").c_str(), 1);
    LoadSave_SetGameName("game");
    LoadSave_SetProgramFolder(g_prog.c_str());
    ResetFolders();

    if (!StartUp_Run()) abort();
    Function_Init();
    Dialog_Init();
    g_leftOut.assign((size_t)Function_Count(), false);
    for (const char* name : kLeftOut) {
        int id;
        if (Function_Find(name, &id)) g_leftOut[(size_t)id] = true;
    }
    MakeGame();
    Run_NoWait = true;
    g_global = new CInstance(0, -1, 0.0f, 0.0f);
}

// What an input leaves behind that outlives the game, put back.
void EndInput()
{
    Run_EndGame();
    RequestList_Free();
    DS_FreeAll();
    Function_File_Free();
    D3DModel_Free();
    Motion_Grid_DestroyAll();
    Particle_Free();
    Particle_Init();
    Function_Action_ResetParticles();
    DLL_FreeAll();
    Sound_StopAll();
    for (int id : g_fixtures) PhysicsFixture_Delete(id);
    g_fixtures.clear();
    Error_FatalPending = false;
    g_quiet.text.clear();
    ResetFolders();
}

TaggedValue Text(Input& in)
{
    switch (in.Byte() % 4) {
    case 0: {
        size_t pick = in.Byte() % (sizeof kTexts / sizeof kTexts[0] + 1);
        return TaggedValue(pick < sizeof kTexts / sizeof kTexts[0] ? kTexts[pick] : g_outside.c_str());
    }
    case 1: {
        // Bytes of the input, without NUL.
        std::string s;
        for (int n = in.Byte(); n > 0 && in.More(); n--) s += (char)(in.Byte() | (s.size() % 7 == 6 ? 0x80 : 0));
        for (char& ch : s)
            if (!ch) ch = 1;
        return TaggedValue(s.c_str());
    }
    case 2: {
        // A long run of one character, up to 256 KiB.
        size_t n = ((size_t)in.Byte() + 1) * 1024;
        char c = (char)(in.Byte() | 1);
        return TaggedValue(std::string(n, c).c_str());
    }
    default: {
        // A path or URL made of pieces.
        static const char* const pieces[] = {"../", "./", "/", "\\", "a", "b.txt", "sub/", "C:", "//", "%00",
                                              "http://", "127.0.0.1", ":80", "?q=", "#", "~", "*", ".ini"};
        std::string s;
        for (int n = in.Byte() % 8 + 1; n > 0; n--) s += pieces[in.Byte() % (sizeof pieces / sizeof pieces[0])];
        return TaggedValue(s.c_str());
    }
    }
}

TaggedValue Argument(Input& in, const std::vector<TaggedValue>& earlier)
{
    switch (in.Byte() % 8) {
    case 0: return TaggedValue(kReals[in.Byte() % (sizeof kReals / sizeof kReals[0])]);
    case 1: return TaggedValue((double)(int8_t)in.Byte());
    case 2: return TaggedValue(in.Raw());
    case 3: return TaggedValue((double)(INSTANCE_ID_FIRST + in.Byte() % 16));
    case 4:
        if (earlier.empty()) return TaggedValue(0.0);
        return earlier[in.Byte() % earlier.size()];
    case 5: return TaggedValue((double)(in.Byte() % 4));
    case 6: return TaggedValue((double)(int8_t)in.Byte() / 4.0);
    default: return Text(in);
    }
}

CInstance* Pick(uint8_t which)
{
    if (!Run_Room || Run_Room->active.empty() || which % 4 == 0) return g_global;
    return Run_Room->active.Snapshot()[which % Run_Room->active.size()];
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in{data, size};
    Option_NewAudio = in.Byte() & 1;
    if (!Run_StartGame()) abort();
    std::vector<TaggedValue> earlier;
    static int fixtureCreate = -1;
    if (fixtureCreate < 0) Function_Find("physics_fixture_create", &fixtureCreate);
    for (int calls = 0; calls < 64 && in.More() && Run_Running && !Error_FatalPending; calls++) {
        uint8_t op = in.Byte();
        if (op < 12) {
            Run_Frame();
            continue;
        }
        int id = in.Word() % Function_Count();
        if (g_leftOut[(size_t)id]) continue;
        const RFunction* f = Function_Get(id);
        CInstance* self = Pick(in.Byte());
        CInstance* other = Pick(in.Byte());
        int given = f->argc >= 0 ? f->argc : in.Byte() % 20;
        std::vector<TaggedValue> args;
        for (int i = 0; i < given; i++) args.push_back(Argument(in, earlier));
        TaggedValue result;
        f->handler(&result, self, other, given, args.data());
        if (id == fixtureCreate) g_fixtures.push_back((int)result.GetReal());
        if (earlier.size() < 16) earlier.push_back(result);
        else earlier[(size_t)calls % 16] = result;
    }
    EndInput();
    CheckSentinel();
    return 0;
}
