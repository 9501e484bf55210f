// The action table, hostile arguments over every action, what the drawing actions draw, and the
// actions that reach outside the room: messages and questions, the web page, saving and snapshots.
#include "Function/Function_Action.h"
#include "../Base/CapturedWarnings.h"
#include "../Graphics_API/GfxTest.h"
#include "BuiltinCall.h"

#include "Background/Background_Main.h"
#include "Base/MemoryManager.h"
#include "Debug/Dialog.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics_Text.h"
#include "Graphics_API/DrawRegion.h"
#include "IO/IO.h"
#include "IO/Window.h"
#include "Object/Instance_Class.h"
#include "Particle/Particle_Main.h"
#include "Platform/TBitmap.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Run/HighScore.h"
#include "Run/Run_Main.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "Support/LoadSave.h"
#include "Variable/Variable_Main.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A save folder of its own, and dialogs answered from a script (none by default: each fails at
// once) and logged.
class ActionOutside : public BuiltinTest {
protected:
    void Register() override { Function_Action_Init(); }
    void SetUp() override
    {
        BuiltinTest::SetUp();
        data = fs::temp_directory_path() / ("actions_" + std::to_string(getpid()));
        fs::create_directories(data);
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        LoadSave_SetGameName("actions");
        Dialog_Init();
        Answer("");
    }
    void TearDown() override
    {
        Dialog_SetProvider(nullptr);
        ShowMessage_Hook = nullptr;
        Room_NewRoom = ROOM_CHANGE_NONE;
        unsetenv("XDG_DATA_HOME");
        fs::remove_all(data);
        BuiltinTest::TearDown();
    }
    void Answer(const char* lines)
    {
        script.reset(Dialog_CreateScripted(lines));
        Dialog_SetProvider(script.get());
    }
    bool Logged(const std::string& text) { return log.text.find(text) != std::string::npos; }

    fs::path data;
    TCapturedWarnings log;
    std::unique_ptr<TDialogProvider> script;
};

// Drawing on the test device, in a room of its size, with an instance at (10, 8).
class ActionDrawing : public BuiltinTestOn<GfxTest> {
protected:
    void Register() override { Function_Action_Init(); }
    void SetUp() override
    {
        BuiltinTestOn<GfxTest>::SetUp();
        Draw_Init();
        Draw_SetColor(WHITE);
        saved = DrawRegion;
        DrawRegion = {0, 0, W - 1, H - 1};
        room.width = W;
        room.height = H;
        Run_Room = &room;
        Argument_Relative = 0;
        // Sprite 0: a white frame and a red one, 4 x 3; background 0: 2 x 2 white.
        TBitmap white(4, 3, 24), red(4, 3, 24);
        memset(white.Lock(), 255, 4 * 3 * 3);
        for (int i = 0; i < 4 * 3; i++) {
            red.Lock()[3 * i] = red.Lock()[3 * i + 1] = 0;
            red.Lock()[3 * i + 2] = 255;
        }
        CSprite* sprite = Sprite_Get(Sprite_AddNew());
        ASSERT_TRUE(sprite->CreateFromBitmap(&white, false, false, false, true, 0, 0, false));
        ASSERT_TRUE(sprite->AddFromBitmap(&red, false));
        ASSERT_GE(Background_Get(Background_AddEmpty())->CreateColor(2, 2, WHITE, false), 0);
    }
    void TearDown() override
    {
        Run_Room = nullptr;
        DrawRegion = saved;
        Argument_Relative = 0;
        lives = -1;
        health = 100;
        Sprite_Free();
        Background_Free();
        GR_Text_Free();
        BuiltinTestOn<GfxTest>::TearDown();
    }
    void Act(const char* name, std::vector<TaggedValue> args, bool relative = false)
    {
        Argument_Relative = relative;
        Call(name, std::move(args), &self);
        Argument_Relative = 0;
        GR_Batch_Flush();
    }
    static void Clear() { Graphics::Clear(0xFF000000u, 1, 0, 7); }
    // How many pixels of a row span are lit.
    static int LitInRow(int y, int x1, int x2)
    {
        int n = 0;
        for (int x = x1; x <= x2; x++) n += Pixel(x, y) != 0;
        return n;
    }
    static std::vector<uint32_t> Region(int x, int y, int w, int h)
    {
        std::vector<uint32_t> out;
        for (int j = 0; j < h; j++)
            for (int i = 0; i < w; i++) out.push_back(Pixel(x + i, y + j));
        return out;
    }

    CRoom room;
    CInstance self{INSTANCE_ID_FIRST, 0, 10.0f, 8.0f};
    TDrawRegion saved;
};

}  // namespace

TEST_F(ActionOutside, RegistersEveryNameInOrderWithItsCount)
{
    const std::pair<const char*, int> names[] = {
        {"action_path_old", 3}, {"action_set_sprite", 2}, {"action_draw_font", 1}, {"action_draw_font_old", 6},
        {"action_fill_color", 1}, {"action_line_color", 1}, {"action_highscore", 0}, {"action_set_relative", 1},
        {"action_move", 2}, {"action_set_motion", 2}, {"action_set_hspeed", 1}, {"action_set_vspeed", 1},
        {"action_set_gravity", 2}, {"action_set_friction", 1}, {"action_move_point", 3}, {"action_move_to", 2},
        {"action_move_start", 0}, {"action_move_random", 2}, {"action_snap", 2}, {"action_wrap", 1},
        {"action_reverse_xdir", 0}, {"action_reverse_ydir", 0}, {"action_move_contact", 3}, {"action_bounce", 2},
        {"action_path", 4}, {"action_path_end", 0}, {"action_path_position", 1}, {"action_path_speed", 1},
        {"action_linear_step", 4}, {"action_potential_step", 4}, {"action_kill_object", 0},
        {"action_create_object", 3}, {"action_create_object_motion", 5}, {"action_create_object_random", 6},
        {"action_change_object", 2}, {"action_kill_position", 2}, {"action_sprite_set", 3},
        {"action_sprite_transform", 4}, {"action_sprite_color", 2}, {"action_sound", 2}, {"action_end_sound", 1},
        {"action_if_sound", 1}, {"action_another_room", 2}, {"action_current_room", 1}, {"action_previous_room", 1},
        {"action_next_room", 1}, {"action_if_previous_room", 0}, {"action_if_next_room", 0}, {"action_set_alarm", 2},
        {"action_sleep", 2}, {"action_set_timeline", 2}, {"action_set_timeline_position", 1},
        {"action_set_timeline_speed", 1}, {"action_timeline_set", 4}, {"action_timeline_start", 0},
        {"action_timeline_pause", 0}, {"action_timeline_stop", 0}, {"action_message", 1}, {"action_show_info", 0},
        {"action_show_video", 3}, {"action_end_game", 0}, {"action_restart_game", 0}, {"action_save_game", 1},
        {"action_load_game", 1}, {"action_replace_sprite", 3}, {"action_replace_sound", 2},
        {"action_replace_background", 2}, {"action_if_empty", 3}, {"action_if_collision", 3}, {"action_if", 1},
        {"action_if_number", 3}, {"action_if_object", 3}, {"action_if_question", 1}, {"action_if_dice", 1},
        {"action_if_mouse", 1}, {"action_if_aligned", 2}, {"action_execute_script", 6}, {"action_inherited", 0},
        {"action_if_variable", 3}, {"action_draw_variable", 3}, {"action_set_score", 1}, {"action_if_score", 2},
        {"action_draw_score", 3}, {"action_highscore_show", 11}, {"action_highscore_clear", 0},
        {"action_set_life", 1}, {"action_if_life", 2}, {"action_draw_life", 3}, {"action_draw_life_images", 3},
        {"action_set_health", 1}, {"action_if_health", 2}, {"action_draw_health", 6}, {"action_set_caption", 6},
        {"action_partsyst_create", 1}, {"action_partsyst_destroy", 0}, {"action_partsyst_clear", 0},
        {"action_parttype_create_old", 6}, {"action_parttype_create", 6}, {"action_parttype_color", 6},
        {"action_parttype_life", 3}, {"action_parttype_speed", 6}, {"action_parttype_gravity", 3},
        {"action_parttype_secondary", 5}, {"action_partemit_create", 6}, {"action_partemit_destroy", 1},
        {"action_partemit_burst", 3}, {"action_partemit_stream", 3}, {"action_cd_play", 2}, {"action_cd_stop", 0},
        {"action_cd_pause", 0}, {"action_cd_resume", 0}, {"action_cd_present", 0}, {"action_cd_playing", 0},
        {"action_set_cursor", 2}, {"action_webpage", 1}, {"action_draw_sprite", 4}, {"action_draw_background", 4},
        {"action_draw_text", 3}, {"action_draw_text_transformed", 6}, {"action_draw_rectangle", 5},
        {"action_draw_gradient_hor", 6}, {"action_draw_gradient_vert", 6}, {"action_draw_ellipse", 5},
        {"action_draw_ellipse_gradient", 6}, {"action_draw_line", 4}, {"action_draw_arrow", 5}, {"action_color", 1},
        {"action_font", 2}, {"action_fullscreen", 1}, {"action_snapshot", 1}, {"action_effect", 6},
    };
    ASSERT_EQ(std::size(names), 131u);
    ASSERT_EQ(Function_Count(), 131);
    for (int id = 0; id < Function_Count(); id++) {
        EXPECT_STREQ(Function_Get(id)->name, names[id].first);
        EXPECT_EQ(Function_Get(id)->argc, names[id].second) << names[id].first;
    }
    // The six names that do nothing share one handler; saving is not among them.
    for (int id : {2, 3, 4, 5, 6}) EXPECT_EQ(Function_Get(id)->handler, Function_Get(0)->handler);
    EXPECT_NE(Function_Get(62)->handler, Function_Get(0)->handler);
}

// A real is shown in exponent form and a string as it stands; input is cleared after each.
TEST_F(ActionOutside, MessagesAndQuestionsGoThroughTheDialogs)
{
    IO_Event_Key('A', true);
    EXPECT_EQ(Real("action_message", {2.5}), 1);
    EXPECT_FALSE(IO_KeyDown('A'));
    Call("action_message", {S("a#b")});
    EXPECT_TRUE(Logged(": 2.500000e+00\n"));
    EXPECT_TRUE(Logged(": a#b\n"));
    Answer("yes\nno");
    EXPECT_EQ(Real("action_if_question", {S("Again?")}), 1);
    IO_Event_Key('A', true);
    EXPECT_EQ(Real("action_if_question", {S("Again?")}), 0);
    EXPECT_FALSE(IO_KeyDown('A'));
    EXPECT_TRUE(Logged("dialog question \"\": Again? -> yes"));
    EXPECT_EQ(Real("action_if_question", {S("Once more?")}), 0) << "no answer left: fails at once";
}

// A video shows nothing here: the action keeps the full-screen choice and clears input, and a
// missing file is reported as show_video reports it.
TEST_F(ActionOutside, VideoKeepsItsFullScreenChoiceAndClearsInput)
{
    ASSERT_TRUE(LoadSave_WriteFile("intro.avi", "x", 1));
    IO_Event_Key('A', true);
    Call("action_show_video", {S("intro.avi"), 1, 0});
    EXPECT_TRUE(VideoFullscreen);
    EXPECT_FALSE(IO_KeyDown('A'));
    EXPECT_TRUE(Errors().empty());
    Call("action_show_video", {S("missing.avi"), 0, 1});
    EXPECT_FALSE(VideoFullscreen);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("Video file not found"), std::string::npos);
}

// The save action writes the game into the save folder at once; the load waits for the frame.
TEST_F(ActionOutside, SaveWritesAtOnceAndLoadWaitsForTheFrame)
{
    Call("action_save_game", {S("slot1.sav")});
    EXPECT_TRUE(LoadSave_SaveFileExists("slot1.sav"));
    Call("action_save_game", {S("")});
    Call("action_save_game", {S("../../outside.sav")});
    EXPECT_FALSE(fs::exists(data / ".." / "outside.sav"));
    EXPECT_EQ(Errors().size(), 2u);
    Call("action_load_game", {S("slot1.sav")});
    EXPECT_EQ(Room_NewRoom, ROOM_CHANGE_LOAD);
}

// The address goes to the desktop's opener as one argument: never through a shell, never as an
// option; without an opener the action says it failed.
TEST_F(ActionOutside, TheWebPageGoesToTheOpenerAsOneArgument)
{
    fs::path bin = data / "bin";
    fs::create_directories(bin);
    fs::path opened = data / "opened.txt";
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\nprintf '%s|' \"$@\" >> '" << opened.string() << "'\n";
    chmod((bin / "xdg-open").c_str(), 0755);
    std::string path = getenv("PATH");
    setenv("PATH", bin.c_str(), 1);
    Call("action_webpage", {S("http://example.com/a b;touch x")});
    auto read = [&] {
        std::string text;
        for (int i = 0; i < 300; i++) {
            std::ifstream f(opened);
            std::stringstream s;
            s << f.rdbuf();
            text = s.str();
            if (!text.empty()) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        fs::remove(opened);
        return text;
    };
    EXPECT_EQ(read(), "http://example.com/a b;touch x|");
    Call("action_webpage", {S("-v")});
    EXPECT_EQ(read(), "./-v|");
    EXPECT_TRUE(Errors().empty());
    fs::remove(bin / "xdg-open");
    Call("action_webpage", {S("http://example.com")});
    setenv("PATH", path.c_str(), 1);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("Failed to open the webpage."), std::string::npos);
}

TEST_F(ActionDrawing, SpritesBackgroundsAndTextMoveWithTheRelativeFlag)
{
    // A subimage below 0 is the instance's own image; the sprite is white, unscaled.
    Clear();
    self.image_index = 1.7f;
    Act("action_draw_sprite", {0, 0, 0, -1}, true);
    EXPECT_EQ(LitInRow(9, 0, W - 1), 4);
    EXPECT_EQ(Pixel(10, 8), RED);
    EXPECT_EQ(Pixel(13, 10), RED);
    EXPECT_EQ(Pixel(14, 8), BLACK);
    Act("action_draw_sprite", {0, 0, 0, 2.9});
    EXPECT_EQ(Pixel(0, 0), WHITE) << "frame 2 wraps to 0";
    Act("action_draw_sprite", {5, 0, 0, 0});
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("Trying to draw a non-existing sprite."), std::string::npos);

    // Tiled, the background covers the room from the relative point on in both directions.
    Clear();
    Act("action_draw_background", {0, 1, 1, 1}, true);
    EXPECT_EQ(LitInRow(0, 0, W - 1), W);
    EXPECT_EQ(LitInRow(H - 1, 0, W - 1), W);
    Clear();
    Act("action_draw_background", {0, 1, 1, 0}, true);
    EXPECT_EQ(LitInRow(9, 0, W - 1), 2);
    EXPECT_EQ(Pixel(11, 9), WHITE);

    // Text: whole numbers without decimals, others in a field of ten with two; as draw_text does.
    auto drawn = [&](const char* action, std::vector<TaggedValue> args, const char* text) {
        Clear();
        Act(action, std::move(args), true);
        std::vector<uint32_t> a = Region(0, 0, W, 20);
        Clear();
        GR_Text_Draw(0, 0, text, -1, -1);
        GR_Batch_Flush();
        return a == Region(0, 0, W, 20) && LitInRow(8, 0, W - 1) + LitInRow(10, 0, W - 1) > 0;
    };
    EXPECT_TRUE(drawn("action_draw_variable", {3.0, -10, -8}, "3"));
    EXPECT_TRUE(drawn("action_draw_variable", {-0.0, -10, -8}, "0"));
    EXPECT_TRUE(drawn("action_draw_variable", {2.5, -10, -8}, "      2.50"));
    EXPECT_TRUE(drawn("action_draw_variable", {S("a#b"), -10, -8}, "a#b"));
    EXPECT_FALSE(drawn("action_draw_variable", {2.5, -10, -8}, "2.5"));
    score = 42;
    EXPECT_TRUE(drawn("action_draw_score", {-10, -8, S("Score: ")}, "Score: 42"));
    score = 0;
}

// One frame a life, side by side, unscaled; only the images in the region are drawn, so that a
// count in the billions still takes no time.
TEST_F(ActionDrawing, LifeImagesOneALifeWithinTheRegion)
{
    Clear();
    lives = 3;
    Act("action_draw_life_images", {0, 0, 0}, true);
    EXPECT_EQ(LitInRow(8, 0, W - 1), 12);
    EXPECT_EQ(Pixel(21, 8), WHITE);
    EXPECT_EQ(Pixel(22, 8), BLACK);
    Clear();
    lives = 2147483647;
    auto start = std::chrono::steady_clock::now();
    Act("action_draw_life_images", {-1e6, 0, 0});
    Act("action_draw_life_images", {-1e30, 0, 0});
    Act("action_draw_life_images", {NAN, 0, 0});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(LitInRow(1, 0, W - 1), W) << "images cover the whole row";
    Clear();
    lives = 0;
    Act("action_draw_life_images", {0, 0, 0});
    Act("action_draw_life_images", {0, 0, 7});
    EXPECT_EQ(LitInRow(1, 0, W - 1), 0);
    EXPECT_TRUE(Errors().empty());
}

// The bar shows the health over the colour lists; an index outside them is black, a background
// of 0 is not drawn.
TEST_F(ActionDrawing, HealthBarColoursFromTheLists)
{
    Clear();
    health = 100;
    Act("action_draw_health", {0, 0, 19, 9, 0, 0}, true);
    EXPECT_EQ(Pixel(20, 12), GREEN) << "full: the maximum, lime";
    health = 0;
    Clear();
    Act("action_draw_health", {0, 0, 19, 9, 4, 1}, true);
    EXPECT_EQ(Pixel(20, 12), WHITE) << "empty: the white background";
    EXPECT_EQ(Pixel(29, 12), BLACK) << "the border";
    health = 50;
    Graphics::Clear(0xFFFFFFFFu, 1, 0, 7);
    Act("action_draw_health", {0, 0, 19, 9, 99, 14}, true);
    EXPECT_EQ(Pixel(12, 12), 0x00FFFFu) << "bar 14: yellow throughout";
    EXPECT_EQ(Pixel(26, 12), BLACK) << "background 99: black";
    Graphics::Clear(0xFFFFFFFFu, 1, 0, 7);
    Act("action_draw_health", {0, 0, 19, 9, 0, -1}, true);
    EXPECT_EQ(Pixel(12, 12), BLACK) << "bar -1: black";
    EXPECT_EQ(Pixel(26, 12), WHITE) << "background 0: none";
}

// The screen at the game's size as a BMP image in the save folder.
TEST_F(ActionDrawing, SnapshotSavesTheScreen)
{
    fs::path data = fs::temp_directory_path() / ("snapshot_" + std::to_string(getpid()));
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    LoadSave_SetGameName("snap");
    Window_SetBaseSize(W, H);
    Clear();
    Act("action_snapshot", {S("shot.png")});
    int64_t size = 0;
    unsigned char* bytes = LoadSave_ReadSaveFile("shot.png", &size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(size, 54 + W * H * 3);
    MemFree(bytes);
    Act("action_snapshot", {S("")});
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("Trying to save screen to empty image file name."), std::string::npos);
    unsetenv("XDG_DATA_HOME");
    fs::remove_all(data);
}

// Every action with every kind of bad value: nothing crashes, hangs or reaches outside its tables.
TEST_F(ActionDrawing, HostileArgumentsAreHarmless)
{
    fs::path data = fs::temp_directory_path() / ("hostile_actions_" + std::to_string(getpid()));
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    std::string path = getenv("PATH");
    setenv("PATH", data.c_str(), 1);  // no opener to start
    LoadSave_SetGameName("hostile");
    Dialog_Init();
    std::unique_ptr<TDialogProvider> dialogs(Dialog_CreateScripted(""));
    Dialog_SetProvider(dialogs.get());
    Particle_Init();
    Function_Action_ResetParticles();
    TCapturedWarnings warnings;
    self.image_index = NAN;
    const TaggedValue patterns[] = {TaggedValue(0.0), TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(-1.0), TaggedValue(16.0), S(""), S("#\\#\n../..\\x|*.")};
    for (const TaggedValue& p : patterns) {
        // Relative or not, with self in a room, and with neither (code run outside any room).
        for (int pass = 0; pass < 3; pass++) {
            Run_Room = pass < 2 ? &room : nullptr;
            for (int id = 0; id < Function_Count(); id++) {
                const RFunction* f = Function_Get(id);
                // Sleeping is bounded to 3 seconds: long waits would only slow the test.
                if (std::string(f->name) == "action_sleep" && p.GetReal() > 100) continue;
                Argument_Relative = pass == 1;
                Call(f->name, std::vector<TaggedValue>((size_t)f->argc, p), pass < 2 ? &self : nullptr);
                Error_FatalPending = false;
            }
        }
        Run_Room = &room;
        Draw_SetAlpha(1);
        Draw_SetColor(WHITE);
    }
    Dialog_SetProvider(nullptr);
    ShowMessage_Hook = nullptr;
    setenv("PATH", path.c_str(), 1);
    Argument_Relative = 0;
    Room_NewRoom = ROOM_CHANGE_NONE;
    Window_SetFullscreen(false);
    Window_SetCursor(0);
    GR_Text_Set_Font(-1);
    GR_Text_Set_HAlign(0);
    score = 0;
    lives = -1;
    health = 100;
    Particle_Init();
    Function_Action_ResetParticles();
    HighScore_SetEmptyName("<nobody>");
    unsetenv("XDG_DATA_HOME");
    fs::remove_all(data);
    Clear();
    Act("action_draw_rectangle", {0, 0, 3, 3, 0});
    EXPECT_EQ(Pixel(2, 2), WHITE);
}
