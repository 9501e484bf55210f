// The interaction built-ins called by name: dialogs answered by the scripted provider, the file
// dialogs' admissions to the folder mapping, console stubs, splash files, high scores, keyboard,
// mouse, waits and virtual joysticks.
#include "Function/Function_Interaction.h"
#include "../Base/CapturedWarnings.h"
#include "../Graphics_API/GfxTest.h"
#include "BuiltinCall.h"

#include "Base/MemoryManager.h"
#include "Debug/Dialog.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics_Text.h"
#include "IO/IO.h"
#include "IO/IO_Joystick.h"
#include "IO/Window.h"
#include "Run/HighScore.h"
#include "Run/Run_Main.h"
#include "StartUp.h"
#include "Support/LoadSave.h"
#include "Variable/Arguments.h"
#include "Variable/Variable_BuiltIn.h"

#include <SDL2/SDL.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Dialogs answer from a script; warnings (the dialog log) and the debug console are kept.
class Interaction : public BuiltinTest {
protected:
    void Register() override { Function_Interaction_Init(); }
    void SetUp() override
    {
        BuiltinTest::SetUp();
        savedDebug = Console_Debug;
        Console_Debug = &debug;
        IO_Clear();
        unsetenv("RUNNER_DIALOGS");
        Dialog_Init();
        Answer("");
    }
    void TearDown() override
    {
        Dialog_SetProvider(nullptr);
        ShowMessage_Hook = nullptr;
        Console_Debug = savedDebug;
        IO_KeyMap_Reset();
        IO_Clear();
        BuiltinTest::TearDown();
    }
    void Answer(const char* lines)
    {
        script.reset(Dialog_CreateScripted(lines));
        Dialog_SetProvider(script.get());
    }
    bool Logged(const std::string& text) { return log.text.find(text) != std::string::npos; }
    // Holds a key, a mouse button and typed text, as the step sees them.
    static void HoldInput()
    {
        IO_Event_Key('A', true);
        IO_Event_MouseButton(0, 1, true);
        IO_Event_Text("typed");
        IO_Start_Step();
    }
    static bool InputCleared() { return !IO_KeyDown('A') && !IO_MouseDown(1, 0) && !*IO_GetTypedText(); }

    TCapturedWarnings log;
    TCaptureConsole debug;
    tagIConsole* savedDebug = nullptr;
    std::unique_ptr<TDialogProvider> script;
};

TEST_F(Interaction, RegistersEveryNameInOrderWithItsCount)
{
    const std::pair<const char*, int> names[] = {
        {"show_message", 1}, {"show_message_async", 1}, {"show_question", 1}, {"show_question_async", 1},
        {"show_error", 2}, {"get_string", 2}, {"get_integer", 2}, {"get_string_async", 2}, {"get_integer_async", 2},
        {"get_login_async", 2}, {"show_message_ext", 4}, {"show_menu", 2}, {"show_menu_pos", 4}, {"get_color", 1},
        {"get_directory", 1}, {"get_directory_alt", 2}, {"show_info", 0}, {"load_info", 1},
        {"message_background", 1}, {"message_button", 1}, {"message_alpha", 1}, {"message_text_font", 4},
        {"message_button_font", 4}, {"message_input_font", 4}, {"message_mouse_color", 1},
        {"message_input_color", 1}, {"message_position", 2}, {"message_size", 2}, {"message_caption", 2},
        {"get_open_filename", 2}, {"get_save_filename", 2}, {"get_open_filename_ext", 4},
        {"get_save_filename_ext", 4}, {"splash_set_caption", 1}, {"splash_set_fullscreen", 1},
        {"splash_set_border", 1}, {"splash_set_size", 2}, {"splash_set_adapt", 1}, {"splash_set_top", 1},
        {"splash_set_color", 1}, {"splash_set_main", 1}, {"splash_set_scale", 1}, {"splash_set_cursor", 1},
        {"splash_set_interrupt", 1}, {"splash_set_stop_key", 1}, {"splash_set_stop_mouse", 1},
        {"splash_show_video", 2}, {"splash_show_image", 2}, {"splash_show_text", 2}, {"show_image", 3},
        {"show_video", 3}, {"show_text", 4}, {"highscore_clear", 0}, {"highscore_add", 2},
        {"highscore_add_current", 0}, {"highscore_value", 1}, {"highscore_name", 1}, {"draw_highscore", 4},
        {"highscore_show", 1}, {"highscore_show_ext", 7}, {"highscore_set_strings", 3},
        {"highscore_set_background", 1}, {"highscore_set_border", 1}, {"highscore_set_colors", 3},
        {"highscore_set_font", 3}, {"keyboard_check", 1}, {"keyboard_check_pressed", 1},
        {"keyboard_check_released", 1}, {"keyboard_check_direct", 1}, {"keyboard_set_map", 2},
        {"keyboard_get_map", 1}, {"keyboard_unset_map", 0}, {"keyboard_clear", 1}, {"keyboard_get_numlock", 0},
        {"keyboard_set_numlock", 1}, {"keyboard_key_press", 1}, {"keyboard_key_release", 1}, {"keyboard_wait", 0},
        {"io_clear", 0}, {"io_handle", 0}, {"mouse_check_button", 1}, {"mouse_check_button_pressed", 1},
        {"mouse_check_button_released", 1}, {"mouse_wheel_up", 0}, {"mouse_wheel_down", 0}, {"mouse_clear", 1},
        {"mouse_wait", 0}, {"device_mouse_dbclick_enable", 0}, {"joystick_exists", 1}, {"joystick_direction", 1},
        {"joystick_name", 1}, {"joystick_axes", 1}, {"joystick_buttons", 1}, {"joystick_has_pov", 1},
        {"joystick_check_button", 2}, {"joystick_xpos", 1}, {"joystick_ypos", 1}, {"joystick_zpos", 1},
        {"joystick_rpos", 1}, {"joystick_upos", 1}, {"joystick_vpos", 1}, {"joystick_pov", 1},
    };
    ASSERT_EQ(Function_Count(), (int)std::size(names));
    for (int id = 0; id < Function_Count(); id++) {
        EXPECT_STREQ(Function_Get(id)->name, names[id].first);
        EXPECT_EQ(Function_Get(id)->argc, names[id].second) << names[id].first;
    }
}

TEST_F(Interaction, MessagesShowTextAndRealsAndClearInput)
{
    HoldInput();
    EXPECT_EQ(Real("show_message", {S("two#lines \\# here")}), 1.0);
    EXPECT_TRUE(Logged("dialog message \"\": two\rlines # here\n"));
    EXPECT_TRUE(InputCleared());
    Real("show_message", {3.0});
    EXPECT_TRUE(Logged(": 3\n"));
    Real("show_message", {2.5});
    EXPECT_TRUE(Logged(": 2.50\n"));
    // Integers beyond 32 bits keep their value; huge reals fit whole.
    Real("show_message", {1e10});
    EXPECT_TRUE(Logged(": 10000000000.00\n"));
    Real("show_message", {-1e300});
    EXPECT_TRUE(Logged(": -1000000000000000052504760255204420248704468581108159154915854115511802457988908195786371375080447864043704443832883878176942523235360430575644792184786706982848387200926575803737830233794788090059368953234970799945081119038967640880074652742780142494579258788820056842838115669472196386865459400540160.00\n"));
    log.text.clear();
    HoldInput();
    EXPECT_EQ(Real("show_message", {S("")}), 1.0);
    EXPECT_EQ(log.text, "") << "an empty string shows nothing";
    EXPECT_TRUE(InputCleared());
}

TEST_F(Interaction, QuestionsAndPrompts)
{
    Answer("yes\nno\nok\ntext:typed\ncancel\nok\ntext:42\ntext:abc\ncancel\nok\nok\n");
    EXPECT_EQ(Real("show_question", {S("Sure?")}), 1.0);
    EXPECT_EQ(Real("show_question", {S("Really?")}), 0.0);
    EXPECT_EQ(Text("get_string", {S("Name"), 7.0}), "7.00");
    EXPECT_EQ(Text("get_string", {S("Name"), S("anon")}), "typed");
    EXPECT_EQ(Text("get_string", {S("Name"), S("anon")}), "") << "cancelled";
    EXPECT_EQ(Text("get_string", {S("Name"), S("")}), "") << "an empty default still asks";
    EXPECT_TRUE(Logged("dialog prompt \"\": Name [] -> \"\""));
    EXPECT_EQ(Real("get_integer", {S("Lives"), 3.0}), 42.0);
    EXPECT_EQ(Real("get_integer", {S("Lives"), 3.0}), 0.0) << "text that is not a number";
    EXPECT_EQ(Real("get_integer", {S("Lives"), 3.6}), 4.0) << "cancelled: the default";
    EXPECT_TRUE(Logged("dialog prompt \"\": Lives [4] -> cancel"));
    EXPECT_EQ(Real("get_integer", {S("Lives"), S("12")}), 12.0);
    // A huge default prints whole (no fixed buffer to overflow).
    EXPECT_EQ(Text("get_string", {S("Big"), 1e300}).size(), 304u);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(Interaction, FileDialogsAdmitExactlyTheChosenFile)
{
    std::string outside = (fs::temp_directory_path() / ("picked_" + std::to_string(getpid()))).string();
    fs::create_directories(outside);
    std::ofstream(outside + "/level.txt") << "1";
    std::ofstream(outside + "/other.txt") << "2";
    OpenDialogFiles.Clear();
    SaveDialogFiles.Clear();
    setenv("XDG_DATA_HOME", outside.c_str(), 1);
    LoadSave_SetGameName("saves");
    char path[4096];
    ASSERT_FALSE(LoadSave_BundlePath(path, sizeof path, (outside + "/level.txt").c_str()));

    std::string answers = "file:" + outside + "/./sub/../level.txt\ncancel\nfile:" + outside + "//new.sav\n";
    Answer(answers.c_str());
    // Arguments that are not strings open nothing.
    EXPECT_EQ(Text("get_open_filename", {1.0, S("")}), "");
    EXPECT_EQ(CallExact("get_open_filename_ext", {S("a"), S("b"), S("c")}).GetString(), std::string(""));
    EXPECT_EQ(Text("get_open_filename", {S("Text|*.txt"), S("")}), outside + "/level.txt");
    EXPECT_EQ(Text("get_save_filename_ext", {S("Saves|*.sav"), S("x"), S(""), S("Keep")}), "") << "cancelled";
    EXPECT_NE(debug.text.find("pDefExt = sav\n"), std::string::npos);
    EXPECT_EQ(Text("get_save_filename", {S("All|*"), S("")}), outside + "/new.sav");
    ASSERT_EQ(OpenDialogFiles.length, 1);
    ASSERT_EQ(SaveDialogFiles.length, 1);

    EXPECT_TRUE(LoadSave_BundlePath(path, sizeof path, (outside + "/level.txt").c_str()));
    EXPECT_FALSE(LoadSave_BundlePath(path, sizeof path, (outside + "/other.txt").c_str())) << "only the chosen file";
    EXPECT_FALSE(LoadSave_SavePath(path, sizeof path, (outside + "/level.txt").c_str())) << "opened, not saved";
    EXPECT_TRUE(LoadSave_SavePath(path, sizeof path, (outside + "/new.sav").c_str()));
    // Choosing the same file again adds nothing.
    Answer(("file:" + outside + "/level.txt").c_str());
    Text("get_open_filename", {S(""), S("")});
    EXPECT_EQ(OpenDialogFiles.length, 1);
    OpenDialogFiles.Clear();
    SaveDialogFiles.Clear();
    unsetenv("XDG_DATA_HOME");
    fs::remove_all(outside);
}

TEST_F(Interaction, StubsWriteTheirLines)
{
    const std::pair<const char*, const char*> stubs[] = {
        {"show_message_ext", "show_message_ext(str,but1,but2,but3) not impleneted\n"},
        {"show_menu", "show_menu(str,default) not implemented.\n"},
        {"show_menu_pos", "show_menu_pos(X,Y,str,default) not implemented.\n"},
        {"get_color", "get_color(def) is not implemented\n"},
        {"get_directory", "get_directory(dname) not implemented.\n"},
        {"get_directory_alt", "get_directory_alt(capt,root) not implemented.\n"},
        {"show_info", "show_info(str) not supported\n"},
        {"load_info", "load_info(str) not supported\n"},
        {"message_background", "message_background(back) not impleneted\n"},
        {"message_button", "message_button(spr) not impleneted\n"},
        {"message_alpha", "message_alpha(alpha) not impleneted\n"},
        {"message_text_font", "message_text_font(name,size,color,style) not impleneted\n"},
        {"message_button_font", "message_button_font(name,size,color,style) not impleneted\n"},
        {"message_input_font", "message_input_font(name,size,color,style) not impleneted\n"},
        {"message_mouse_color", "message_mouse_color(col) not impleneted\n"},
        {"message_input_color", "message_input_color(col) not impleneted\n"},
        {"message_position", "message_position(x,y) not impleneted\n"},
        {"message_size", "message_size(w,h)not impleneted\n"},
        {"message_caption", "message_caption(show,str) not impleneted\n"},
        {"highscore_set_font", "Function F_HighscoreSetFont has no implementation.\n\n"},
    };
    for (const auto& [name, line] : stubs) {
        debug.text.clear();
        Call(name);
        EXPECT_EQ(debug.text, line) << name;
    }
    EXPECT_EQ(Real("show_message_ext"), 1.0);
    EXPECT_EQ(Text("get_directory"), "");
    HoldInput();
    Call("show_menu");
    EXPECT_TRUE(InputCleared());
}

TEST_F(Interaction, SplashFilesMustExist)
{
    std::string folder = (fs::temp_directory_path() / ("splash_" + std::to_string(getpid()))).string();
    fs::create_directories(folder);
    std::ofstream(folder + "/intro.txt") << "hello";
    LoadSave_SetProgramFolder(folder.c_str());
    for (const char* name : {"splash_show_text", "show_text"}) Call(name, {S("intro.txt")});
    EXPECT_TRUE(Errors().empty());
    Call("splash_show_image", {S("missing.png"), 10.0});
    Call("show_video", {S("../outside.avi")});
    Call("show_text", {S("none.txt")});
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Image file not found.", "Video file not found (or name too long).",
                                                  "Text file not found."}));
    LoadSave_SetProgramFolder(nullptr);
    fs::remove_all(folder);
}

TEST_F(Interaction, HighScoreBoundsAndNames)
{
    std::string data = (fs::temp_directory_path() / ("hiscores_" + std::to_string(getpid()))).string();
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    LoadSave_SetGameName("interaction");
    HighScore_SetEmptyName("<nobody>");
    Call("highscore_clear");
    Call("highscore_add", {S("ann"), 50.0});
    score = 70;
    Call("highscore_add_current");
    Call("highscore_add", {1.0, 60.0});
    EXPECT_EQ(Text("highscore_name", {1.0}), "DEFAULT");
    EXPECT_EQ(Real("highscore_value", {1.0}), 70.0);
    EXPECT_EQ(Text("highscore_name", {2.0}), "") << "a real is no name";
    EXPECT_EQ(Text("highscore_name", {3.0}), "ann");
    EXPECT_EQ(Text("highscore_name", {4.0}), "<nobody>");
    for (double place : {0.0, 11.0, -1.0, (double)NAN, 1e300}) {
        EXPECT_EQ(Real("highscore_value", {place}), 0.0);
        EXPECT_EQ(Text("highscore_name", {place}), "");
    }
    // An empty-place name of "" leaves the places without names.
    Call("highscore_set_strings", {S("Best"), S(""), S("")});
    Call("highscore_clear");
    EXPECT_EQ(Text("highscore_name", {10.0}), "");
    Call("highscore_set_strings", {S("Best"), S("-"), S("")});
    Call("highscore_clear");
    EXPECT_EQ(Text("highscore_name", {10.0}), "-");
    score = 0;
    HighScore_SetEmptyName("<nobody>");
    unsetenv("XDG_DATA_HOME");
    fs::remove_all(data);
}

// The look of the high-score window is kept as games set it, by the setters and by
// highscore_show_ext (which has no back colour and keeps it); texts are copies, and a text that is
// empty or not a text is none. set_border tests the double, show_ext's border the single.
TEST_F(Interaction, HighScoreWindowSettingsAreKept)
{
    auto kept = [] {
        const HighScoreLook& l = HighScore_Look();
        return "background " + std::to_string(l.background) + ", border " + std::to_string(l.border) + ", colours " +
               std::to_string(l.back_colour) + " " + std::to_string(l.new_colour) + " " + std::to_string(l.other_colour) +
               ", font '" + l.font_name + "' " + std::to_string(l.font_size) + ", '" + l.caption + "', '" + l.close_hint + "'";
    };
    Call("highscore_set_background", {3.6});
    Call("highscore_set_border", {0.4999999999});
    Call("highscore_set_colors", {255.0, 65280.0, 16711680.0});
    Call("highscore_set_font", {S("Serif"), 12.4, 1.0});
    Call("highscore_set_strings", {S("Best of all"), S("-"), S("")});
    EXPECT_EQ(kept(), "background 4, border 0, colours 255 65280 16711680, font 'Serif' 12, 'Best of all', ''");
    HoldInput();
    Call("highscore_show_ext", {10.0, 2.0, 0.4999999999, 1.0, 2.0, S("Mono"), 9.0});
    EXPECT_TRUE(InputCleared());
    EXPECT_EQ(kept(), "background 2, border 1, colours 255 1 2, font 'Mono' 9, 'Best of all', ''");
    Call("highscore_set_font", {5.0, 8.0, 0.0});
    Call("highscore_set_strings", {1.0, S("<nobody>"), S("press <Escape> to close")});
    EXPECT_EQ(kept(), "background 2, border 1, colours 255 1 2, font '' 8, '', 'press <Escape> to close'");
    const HighScoreLook defaults;
    HighScore_SetBackground(defaults.background);
    HighScore_SetBorder(defaults.border);
    HighScore_SetColours(defaults.back_colour, defaults.new_colour, defaults.other_colour);
    HighScore_SetFont(defaults.font_name.c_str(), defaults.font_size);
    HighScore_SetStrings(defaults.caption.c_str(), "<nobody>", defaults.close_hint.c_str());
}

TEST_F(Interaction, KeyboardAndMouseRules)
{
    EXPECT_EQ(Real("keyboard_check", {0.0}), 1.0) << "no key held";
    EXPECT_EQ(Real("keyboard_check", {1.0}), 0.0);
    EXPECT_EQ(Real("mouse_check_button", {0.0}), 1.0);
    EXPECT_EQ(Real("mouse_check_button", {-1.0}), 0.0);
    IO_Event_Key(37, true);
    IO_Event_MouseButton(0, 2, true);
    IO_Event_MouseWheel(0, -1);
    IO_Start_Step();
    EXPECT_EQ(Real("keyboard_check", {37.0}), 1.0);
    EXPECT_EQ(Real("keyboard_check_pressed", {37.4}), 1.0);
    EXPECT_EQ(Real("keyboard_check", {1.0}), 1.0);
    EXPECT_EQ(Real("keyboard_check_released", {37.0}), 0.0);
    EXPECT_EQ(Real("mouse_check_button", {2.0}), 1.0);
    EXPECT_EQ(Real("mouse_check_button_pressed", {-1.0}), 1.0);
    EXPECT_EQ(Real("mouse_wheel_down"), 1.0);
    EXPECT_EQ(Real("mouse_wheel_up"), 0.0);
    for (double key : {256.0, -1.0, 1e300, (double)NAN, 65536.0 + 37}) {
        EXPECT_EQ(Real("keyboard_check", {key}), 0.0) << key;
        Call("keyboard_clear", {key});
        Call("keyboard_set_map", {key, 38.0});
        EXPECT_EQ(Real("keyboard_get_map", {key}), RealToInt(key)) << "keys outside the table map to themselves";
    }
    for (double button : {4.0, -2.0, 1e300})
        EXPECT_EQ(Real("mouse_check_button", {button}), 0.0) << button;
    // Devices outside the five read as nothing (the device built-ins share these).
    EXPECT_FALSE(IO_MouseCheck(2, 7, IO_DOWN));
    EXPECT_FALSE(IO_MouseCheck(-1, -1, IO_DOWN));
    EXPECT_FALSE(IO_MouseWheelDown(5));
    IO_MouseClear(2, 9);
    IO_SetMouseLastButton(9, 1);
    EXPECT_EQ(IO_GetMouseLastButton(9), 0);
    Call("mouse_clear", {2.0});
    EXPECT_EQ(Real("mouse_check_button", {2.0}), 0.0);
    Call("keyboard_clear", {37.0});
    EXPECT_EQ(Real("keyboard_check", {37.0}), 0.0);

    // The system's own key state: a key never pressed (J), nothing outside the keys.
    for (double key : {74.0, 256.0, -1.0, (double)NAN}) EXPECT_EQ(Real("keyboard_check_direct", {key}), 0.0) << key;
    Call("keyboard_set_numlock", {1.0});
    EXPECT_EQ(Real("keyboard_get_numlock"), 1.0);
    Call("keyboard_set_numlock", {0.2});
    EXPECT_EQ(Real("keyboard_get_numlock"), 0.0);
    IO_Clear();

    // The key map: 'A' comes in as Left.
    Call("keyboard_set_map", {65.0, 37.0});
    EXPECT_EQ(Real("keyboard_get_map", {65.0}), 37.0);
    IO_Event_Key(65, true);
    IO_Start_Step();
    EXPECT_EQ(Real("keyboard_check", {37.0}), 1.0);
    Call("keyboard_unset_map");
    EXPECT_EQ(Real("keyboard_get_map", {65.0}), 65.0);
    Call("io_clear");
    EXPECT_EQ(Real("keyboard_check", {0.0}), 1.0);
}

TEST_F(Interaction, LastKeyAndButtonVariables)
{
    StartUp_Variables();
    TaggedValue v;
    const RVariable* key = Variable_BuiltIn_Get(Variable_BuiltIn_Find("keyboard_lastkey"));
    const RVariable* button = Variable_BuiltIn_Get(Variable_BuiltIn_Find("mouse_lastbutton"));
    ASSERT_TRUE(key && button);
    IO_Event_Key(70, true);
    IO_Event_MouseButton(0, 3, true);
    ASSERT_TRUE(key->getter(nullptr, 0, &v));
    EXPECT_EQ(v.GetReal(), 70.0);
    ASSERT_TRUE(button->getter(nullptr, 0, &v));
    EXPECT_EQ(v.GetReal(), 3.0);
    TaggedValue zero(0.0);
    EXPECT_TRUE(key->canSet && button->canSet);
    key->setter(nullptr, 0, &zero);
    button->setter(nullptr, 0, &zero);
    EXPECT_EQ(IO_GetLastKey(), 0);
    EXPECT_EQ(IO_GetMouseLastButton(0), 0);
}

TEST_F(Interaction, WaitsEndOnInputOrAQuitAndNeverWithoutAWindow)
{
    // No window: nothing could end the wait, so it does not start.
    IO_SetLastKey(9);
    Call("keyboard_wait");
    EXPECT_EQ(IO_GetLastKey(), 0);
    Call("mouse_wait");

    ASSERT_NE(getenv("DISPLAY"), nullptr) << "window tests need an X display (Xvfb)";
    ASSERT_TRUE(Window_Create(32, 32, true));
    SDL_Event key = {};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_q;
    ASSERT_EQ(SDL_PushEvent(&key), 1);
    Call("keyboard_wait");
    EXPECT_EQ(IO_GetLastKey(), 'Q');
    SDL_Event click = {};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_RIGHT;
    ASSERT_EQ(SDL_PushEvent(&click), 1);
    Call("mouse_wait");
    EXPECT_EQ(IO_GetMouseLastButton(0), 2);
    // Synthetic keys reach the next step as the player's own.
    Call("keyboard_key_press", {38.0});
    Call("keyboard_key_press", {300.0});
    Call("io_handle");
    IO_Start_Step();
    EXPECT_EQ(Real("keyboard_check_pressed", {38.0}), 1.0);
    Call("keyboard_key_release", {38.0});
    Call("io_handle");
    IO_Start_Step();
    EXPECT_EQ(Real("keyboard_check_released", {38.0}), 1.0);
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    Call("keyboard_wait");
    EXPECT_TRUE(Window_Quit);
    EXPECT_EQ(IO_GetLastKey(), 0);
    Call("mouse_wait");
    Window_Destroy();
    Window_Quit = false;
}

// On an X display Num Lock is the display's own: another program sees the change, and the key
// events the game gets do not undo it.
TEST_F(Interaction, NumLockIsTheDisplaysAndStaysSet)
{
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "window tests need an X display (Xvfb)";
    ASSERT_TRUE(Window_Create(32, 32, true));
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    unsigned mask = XkbKeysymToModifiers(other, XK_Num_Lock);
    ASSERT_NE(mask, 0u) << "the display maps no modifier to Num Lock";
    auto displayNumLock = [&] {
        XkbStateRec state;
        EXPECT_EQ(XkbGetState(other, XkbUseCoreKbd, &state), Success);
        return (state.locked_mods & mask) != 0;
    };
    bool initial = Real("keyboard_get_numlock") != 0;
    EXPECT_EQ(displayNumLock(), initial);
    for (bool on : {!initial, initial}) {
        Call("keyboard_set_numlock", {on ? 1.0 : 0.0});
        EXPECT_EQ(Real("keyboard_get_numlock"), on);
        EXPECT_EQ(displayNumLock(), on);
        IO_Start_Step();
        EXPECT_EQ(Real("keyboard_check_pressed", {144.0}), 1.0) << "the change comes as a Num Lock press";
        SDL_Event key = {};
        key.type = SDL_KEYDOWN;
        key.key.keysym.sym = SDLK_q;
        ASSERT_EQ(SDL_PushEvent(&key), 1);
        Call("io_handle");
        EXPECT_EQ(Real("keyboard_get_numlock"), on);
    }
    Call("keyboard_set_numlock", {initial ? 1.0 : 0.0});
    IO_Start_Step();
    EXPECT_EQ(Real("keyboard_check_pressed", {144.0}), 0.0) << "no change, no key";
    XCloseDisplay(other);
    Window_Destroy();
}

TEST_F(Interaction, VirtualJoysticks)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    if (SDL_NumJoysticks() > 0) GTEST_SKIP() << "a real joystick is attached";
    EXPECT_EQ(Real("joystick_direction", {1.0}), 101.0) << "no joystick";
    EXPECT_EQ(Real("joystick_pov", {1.0}), -1.0);
    EXPECT_EQ(Text("joystick_name", {1.0}), "");
    EXPECT_EQ(Real("joystick_exists", {1.0}), 0.0);
    EXPECT_EQ(Real("joystick_xpos", {1.0}), 0.0);

    int first = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 3, 12, 1);
    ASSERT_EQ(first, 0) << SDL_GetError();
    SDL_Joystick* device = SDL_JoystickOpen(first);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(Real("joystick_exists", {1.0}), 1.0);
    EXPECT_EQ(Real("joystick_exists", {2.0}), 0.0) << "exactly 2 is the second joystick";
    EXPECT_EQ(Real("joystick_exists", {2.5}), 1.0);
    EXPECT_EQ(Real("joystick_axes", {1.0}), 3.0);
    EXPECT_EQ(Real("joystick_buttons", {1.0}), 12.0);
    EXPECT_EQ(Real("joystick_has_pov", {1.0}), 1.0);
    EXPECT_NE(Text("joystick_name", {1.0}), "");

    EXPECT_EQ(Real("joystick_direction", {1.0}), 101.0) << "centred";
    EXPECT_EQ(Real("joystick_pov", {1.0}), -1.0) << "centred hat";
    const struct { int x, y, key; } directions[] = {
        {-32768, -32768, 103}, {0, -32768, 104}, {32767, -32768, 105}, {-32768, 0, 100},
        {32767, 0, 102}, {-32768, 32767, 97}, {0, 32767, 98}, {32767, 32767, 99},
    };
    for (const auto& d : directions) {
        SDL_JoystickSetVirtualAxis(device, 0, (Sint16)d.x);
        SDL_JoystickSetVirtualAxis(device, 1, (Sint16)d.y);
        EXPECT_EQ(Real("joystick_direction", {1.0}), d.key) << d.x << "," << d.y;
    }
    EXPECT_NEAR(Real("joystick_xpos", {1.0}), 1.0, 1e-4);
    EXPECT_NEAR(Real("joystick_ypos", {1.0}), 1.0, 1e-4);
    EXPECT_NEAR(Real("joystick_zpos", {1.0}), 1 / 32767.0, 1e-6) << "an axis at rest";
    EXPECT_NEAR(Real("joystick_vpos", {1.0}), 1 / 32767.0, 1e-6) << "an axis the device lacks rests";
    SDL_JoystickSetVirtualAxis(device, 0, -32768);
    EXPECT_EQ(Real("joystick_xpos", {1.0}), -1.0);

    SDL_JoystickSetVirtualButton(device, 0, 1);
    SDL_JoystickSetVirtualButton(device, 11, 1);
    EXPECT_EQ(Real("joystick_check_button", {1.0, 1.0}), 1.0);
    EXPECT_EQ(Real("joystick_check_button", {1.0, 2.0}), 0.0);
    EXPECT_EQ(Real("joystick_check_button", {1.0, 12.0}), 1.0);
    for (double b : {0.0, 33.0, -1.0, 1e300, (double)NAN}) EXPECT_EQ(Real("joystick_check_button", {1.0, b}), 0.0) << b;
    SDL_JoystickSetVirtualHat(device, 0, SDL_HAT_LEFT);
    EXPECT_EQ(Real("joystick_pov", {1.0}), 270.0);

    SDL_JoystickClose(device);
    SDL_JoystickDetachVirtual(first);
    IO_Joystick_Close();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

TEST_F(Interaction, HostileArgumentsAreHarmless)
{
    // Every dialog fails at once (no answers); nothing waits, crashes or leaks.
    std::string data = (fs::temp_directory_path() / ("hostile_" + std::to_string(getpid()))).string();
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    LoadSave_SetGameName("hostile");
    const TaggedValue patterns[] = {TaggedValue(0.0), TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(-1.0), TaggedValue(2.0), TaggedValue(256.0), S(""), S("#\\#\n..\\x|*.")};
    for (const TaggedValue& p : patterns) {
        for (int id = 0; id < Function_Count(); id++) {
            const RFunction* f = Function_Get(id);
            Call(f->name, std::vector<TaggedValue>((size_t)f->argc, p));
        }
    }
    EXPECT_EQ(Real("highscore_value", {1.0}), 0.0);
    IO_KeyMap_Reset();
    HighScore_SetEmptyName("<nobody>");
    unsetenv("XDG_DATA_HOME");
    fs::remove_all(data);
}

// draw_highscore: names at the left, scores right-aligned, one row a tenth of the height.
class HighScoreDrawing : public BuiltinTestOn<GfxTest> {
protected:
    void Register() override { Function_Interaction_Init(); }
};

TEST_F(HighScoreDrawing, NamesLeftScoresRightAndNamelessPlacesSkipped)
{
    std::string data = (fs::temp_directory_path() / ("hidraw_" + std::to_string(getpid()))).string();
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    LoadSave_SetGameName("draw");
    HighScore_SetEmptyName("");
    HighScore_Clear();
    HighScore_Add("WWW", 7);
    GR_Draw_Alpha = 255;
    Draw_SetColor(WHITE);
    Call("draw_highscore", {2.0, 0.0, 62.0, 200.0});
    GR_Batch_Flush();
    // Row 1 (y 0..19) holds the name on the left and 7 on the right; the name half of row 2 is
    // empty (a place without a name), its score 0 is drawn.
    auto lit = [](int x1, int x2, int y1, int y2) {
        int n = 0;
        for (int y = y1; y < y2; y++)
            for (int x = x1; x < x2; x++) n += Pixel(x, y) != 0;
        return n;
    };
    EXPECT_GT(lit(0, 30, 0, 18), 10);
    EXPECT_GT(lit(50, 62, 0, 18), 3);
    EXPECT_EQ(lit(63, 64, 0, H), 0) << "right-aligned at x2";
    EXPECT_EQ(lit(0, 40, 20, 38), 0);
    EXPECT_GT(lit(50, 62, 20, 38), 3);
    GR_Text_Free();
    HighScore_SetEmptyName("<nobody>");
    unsetenv("XDG_DATA_HOME");
    fs::remove_all(data);
}

}  // namespace
