// The in-window prompts: editing, the file prompts' folders, and the real prompt in a window
// driven by SDL key events, seen through the pixels it draws.
#include "../Base/CapturedWarnings.h"
#include "Base/MemoryManager.h"
#include "Debug/Dialog.h"
#include "Debug/Prompt.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics_Text.h"
#include "Graphics_API/Image.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Surface.h"
#include "IO/Window.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

enum { BACKSPACE = 8, TAB = 9, ENTER = 13, ESCAPE = 27, PAGE_DOWN = 34, END = 35, HOME = 36, LEFT = 37, UP = 38, RIGHT = 39, DOWN = 40, DELETE = 46 };

TEST(PromptField, EditsWholeCharactersAndMasks)
{
    TPromptField f;
    f.Set("h\xC3\xA9llo");  // "héllo"
    EXPECT_EQ(f.Caret(), f.Text().size());
    f.Home();
    f.Right();
    f.Right();
    EXPECT_EQ(f.Caret(), 3u) << "the caret steps over both bytes of the accented letter";
    f.Backspace();
    EXPECT_EQ(f.Text(), "hllo");
    f.Insert("\xE2\x82\xAC\n\t!");  // a euro sign; control characters are dropped
    EXPECT_EQ(f.Text(), "h\xE2\x82\xAC!llo");
    f.Left();
    f.Left();
    f.Delete();
    EXPECT_EQ(f.Text(), "h!llo");
    EXPECT_EQ(f.Shown(true), "*****");
    EXPECT_EQ(f.ShownCaret(true), 1u);
    f.Insert("\x80\x80x");  // stray continuation bytes cannot split a character
    EXPECT_EQ(f.Text(), "hx!llo");

    f.Set(std::string(TPromptField::MAX_CHARACTERS + 50, 'a'));
    EXPECT_EQ(f.Text().size(), TPromptField::MAX_CHARACTERS);
    f.Insert("b");
    EXPECT_EQ(f.Text().size(), TPromptField::MAX_CHARACTERS) << "a full field takes nothing more";
}

TEST(PromptFilter, PairsAndDefaultExtension)
{
    std::vector<TPromptFilter> f = Prompt_ParseFilter("Text|*.txt; *.log|All files|*.*|Orphan");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].description, "Text");
    EXPECT_EQ(f[0].patterns, (std::vector<std::string>{"*.txt", "*.log"}));
    EXPECT_EQ(f[1].patterns, (std::vector<std::string>{"*.*"}));
    EXPECT_TRUE(Prompt_ParseFilter("*.txt").empty());
    EXPECT_TRUE(Prompt_ParseFilter(nullptr).empty());
    EXPECT_EQ(Prompt_DefaultExtensionText("Text|*.txt;*.log|All|*.*"), "txt;*.log");
    EXPECT_EQ(Prompt_DefaultExtensionText("Saves|*.sav"), "sav");
    // Filters without a '|', or without a '.' after it, have none.
    EXPECT_EQ(Prompt_DefaultExtensionText("*.txt"), "");
    EXPECT_EQ(Prompt_DefaultExtensionText("All|*"), "");
    EXPECT_EQ(Prompt_DefaultExtensionText(""), "");
    EXPECT_EQ(Prompt_DefaultExtensionText(nullptr), "");
}

TEST(Prompt, TextAndLoginKeys)
{
    CPrompt text = CPrompt::Text("Game", "Name?", "anon");
    text.Key(BACKSPACE);
    text.Type("ymous");
    EXPECT_EQ(text.Field(0).Text(), "anoymous");
    text.Key(UP);
    text.Key(TAB);
    EXPECT_EQ(text.Outcome(), PROMPT_OPEN);
    text.Key(ENTER);
    EXPECT_EQ(text.Outcome(), PROMPT_ACCEPTED);
    text.Type("late");
    EXPECT_EQ(text.Field(0).Text(), "anoymous") << "a closed prompt takes nothing";

    CPrompt login = CPrompt::Login("Game", "ann", "");
    EXPECT_EQ(login.Focus(), 0);
    login.Key(ENTER);
    EXPECT_EQ(login.Outcome(), PROMPT_OPEN) << "Enter in the user name moves to the password";
    EXPECT_EQ(login.Focus(), 1);
    EXPECT_TRUE(login.Masked(1));
    login.Type("s3cret");
    login.Key(TAB);
    login.Type("e");
    login.Key(DOWN);
    login.Key(ENTER);
    EXPECT_EQ(login.Outcome(), PROMPT_ACCEPTED);
    EXPECT_EQ(login.Field(0).Text(), "anne");
    EXPECT_EQ(login.Field(1).Text(), "s3cret");

    CPrompt cancelled = CPrompt::Text("", "", "x");
    cancelled.Key(ESCAPE);
    EXPECT_EQ(cancelled.Outcome(), PROMPT_CANCELLED);
}

TEST(Prompt, ErrorDialogKeys)
{
    CPrompt error = CPrompt::Error("Game", "ERROR in\nsomething", 0, false);
    EXPECT_EQ(error.FieldCount(), 0);
    EXPECT_EQ(error.Note(), "");
    error.Type("typed");
    error.Key(TAB);
    EXPECT_EQ(error.Outcome(), PROMPT_OPEN);
    error.Key(ENTER);
    EXPECT_EQ(error.Outcome(), PROMPT_ACCEPTED) << "Enter goes on";
    CPrompt ended = CPrompt::Error("Game", "ERROR in", 1, false);
    EXPECT_EQ(ended.Note(), "1 more error in this step is on standard error.");
    ended.Key(ESCAPE);
    EXPECT_EQ(ended.Outcome(), PROMPT_CANCELLED) << "Escape ends the game";
    CPrompt fatal = CPrompt::Error("Game", "FATAL ERROR in", 4, true);
    EXPECT_EQ(fatal.Note(), "4 more errors in this step are on standard error.");
    fatal.Key(ENTER);
    EXPECT_EQ(fatal.Outcome(), PROMPT_CANCELLED) << "a fatal error only ends the game";
}

class FilePrompt : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = (fs::temp_directory_path() / ("prompt_" + std::to_string(getpid()))).string();
        fs::remove_all(root);
        fs::create_directories(root + "/Saves/deep");
        fs::create_directories(root + "/art");
        for (const char* name : {"b.txt", "A.TXT", "c.png", ".hidden.txt", "Saves/one.sav", "Saves/notes.txt"})
            std::ofstream(root + "/" + name) << "x";
    }
    void TearDown() override { fs::remove_all(root); }
    std::vector<std::string> Names(const CPrompt& p)
    {
        std::vector<std::string> out;
        for (const TPromptEntry& e : p.Entries()) out.push_back(e.folder ? e.name + "/" : e.name);
        return out;
    }
    static void Type(CPrompt& p, const std::string& text)
    {
        while (!p.Field(0).Text().empty()) p.Key(BACKSPACE);
        p.Type(text.c_str());
    }
    std::string root;
};

TEST_F(FilePrompt, ListsFoldersFirstThroughTheFilter)
{
    CPrompt p = CPrompt::File(false, "", "Text|*.txt|Everything|*", "", root.c_str());
    EXPECT_EQ(p.Caption(), "Open");
    EXPECT_EQ(p.Folder(), root + "/");
    EXPECT_EQ(Names(p), (std::vector<std::string>{"art/", "Saves/", "A.TXT", "b.txt"}));
    p.Key(TAB);
    EXPECT_EQ(p.CurrentFilter()->description, "Everything");
    EXPECT_EQ(Names(p), (std::vector<std::string>{"art/", "Saves/", "A.TXT", "b.txt", "c.png"}));
    p.Key(TAB, true);
    EXPECT_EQ(p.CurrentFilter()->description, "Text");

    // Arrows choose an entry into the name; Enter on a folder opens it.
    p.Key(DOWN);
    p.Key(DOWN);
    EXPECT_EQ(p.Field(0).Text(), "Saves/");
    p.Key(ENTER);
    EXPECT_EQ(p.Folder(), root + "/Saves/");
    EXPECT_EQ(Names(p), (std::vector<std::string>{"deep/", "notes.txt"}));
    EXPECT_EQ(p.Field(0).Text(), "");
    // Backspace on an empty name climbs; ".." does too.
    p.Key(BACKSPACE);
    EXPECT_EQ(p.Folder(), root + "/");
    Type(p, "Saves/deep/../../..");
    p.Key(ENTER);
    EXPECT_EQ(p.Folder(), fs::path(root).parent_path().string() + "/");
    Type(p, root + "/Saves");
    p.Key(ENTER);
    EXPECT_EQ(p.Folder(), root + "/Saves/");

    // Opening needs an existing file.
    Type(p, "missing.txt");
    p.Key(ENTER);
    EXPECT_EQ(p.Outcome(), PROMPT_OPEN);
    EXPECT_NE(p.Message().find("missing.txt"), std::string::npos);
    Type(p, "./deep/../one.sav");
    p.Key(ENTER);
    EXPECT_EQ(p.Outcome(), PROMPT_ACCEPTED);
    EXPECT_EQ(p.Chosen(), root + "/Saves/one.sav");
}

TEST_F(FilePrompt, SavingAddsTheExtensionAndAsksBeforeReplacing)
{
    CPrompt p = CPrompt::File(true, "Keep", "Saves|*.sav", "Saves/slot", root.c_str());
    EXPECT_EQ(p.Caption(), "Keep");
    EXPECT_EQ(p.Folder(), root + "/Saves/") << "the default name's folder is the start";
    EXPECT_EQ(p.Field(0).Text(), "slot");
    Type(p, "nowhere/slot");
    p.Key(ENTER);
    EXPECT_EQ(p.Outcome(), PROMPT_OPEN) << "a save needs an existing folder";
    Type(p, "one");
    p.Key(ENTER);
    ASSERT_TRUE(p.Confirming()) << "one.sav exists";
    p.Type("ignored");
    p.Key(ESCAPE);
    EXPECT_FALSE(p.Confirming());
    EXPECT_EQ(p.Outcome(), PROMPT_OPEN) << "Escape only leaves the question";
    EXPECT_EQ(p.Field(0).Text(), "one");
    p.Key(ENTER);
    p.Key(ENTER);
    EXPECT_EQ(p.Outcome(), PROMPT_ACCEPTED);
    EXPECT_EQ(p.Chosen(), root + "/Saves/one.sav");

    CPrompt fresh = CPrompt::File(true, "", "All|*.*", "new.dat", (root + "/missing").c_str());
    EXPECT_EQ(fresh.Folder(), fs::current_path().string() + "/") << "a missing folder starts in the current one";
    Type(fresh, root + "/deep.name");
    fresh.Key(ENTER);
    EXPECT_EQ(fresh.Outcome(), PROMPT_ACCEPTED);
    EXPECT_EQ(fresh.Chosen(), root + "/deep.name") << "no extension for a filter of *.*";
}

// The real prompt in a hidden window over a game frame of one colour.
class WindowPrompt : public ::testing::Test {
protected:
    static constexpr int W = 320, H = 240;
    static constexpr uint32_t GAME = 0x2040C0;  // 0xBBGGRR
    void SetUp() override
    {
        ASSERT_NE(getenv("DISPLAY"), nullptr) << "window tests need an X display (Xvfb)";
        ASSERT_TRUE(Window_Create(W, H, true));
        ASSERT_TRUE(GR_D3D_Init(MainWindow));
        unsetenv("RUNNER_DIALOGS");
        Dialog_Init();
        Dialog_PromptFrameHook = OnFrame;
        Window_Quit = false;
        frames = 0;
        Draw_Clear(GAME);
        Draw_SetColor(0x00FF00);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override
    {
        Dialog_PromptFrameHook = nullptr;
        onFrame = nullptr;
        GR_Text_Free();
        GR_D3D_Shutdown();
        Window_Destroy();
        Window_Quit = false;
    }
    // A prompt that a test leaves open is cancelled, and the test fails, rather than hanging.
    static void OnFrame()
    {
        frames++;
        if (frames == 50) {
            ADD_FAILURE() << "the prompt is still open";
            Key(SDLK_ESCAPE);
        }
        if (onFrame) onFrame(frames);
    }
    // Runs one prompt with a fresh frame count.
    template <class F>
    static auto Prompt(std::function<void(int)> hook, F run)
    {
        frames = 0;
        onFrame = std::move(hook);
        return run();
    }
    static void Key(SDL_Keycode key)
    {
        SDL_Event e = {};
        e.type = SDL_KEYDOWN;
        e.key.state = SDL_PRESSED;
        e.key.keysym.sym = key;
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    }
    static void Text(const char* text)
    {
        SDL_Event e = {};
        e.type = SDL_TEXTINPUT;
        snprintf(e.text.text, sizeof e.text.text, "%s", text);
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    // With RUNNER_TEST_SCREENSHOTS naming a folder, the frame shown is saved there as a PNG.
    static void Screenshot(const char* name)
    {
        const char* folder = getenv("RUNNER_TEST_SCREENSHOTS");
        if (!folder) return;
        uint32_t* pixels = GR_Screen_Read_Pixels(W, H, 0, 0, W, H);
        ASSERT_NE(pixels, nullptr);
        std::vector<uint8_t> rgba((size_t)W * H * 4);
        for (size_t i = 0; i < (size_t)W * H; i++)
            rgba[4 * i] = (uint8_t)(pixels[i] >> 16), rgba[4 * i + 1] = (uint8_t)(pixels[i] >> 8),
            rgba[4 * i + 2] = (uint8_t)pixels[i], rgba[4 * i + 3] = 255;
        MemFree(pixels);
        size_t size = 0;
        uint8_t* png = PNG_Encode(rgba.data(), W, H, &size);
        ASSERT_NE(png, nullptr);
        std::ofstream((std::string(folder) + "/" + name).c_str(), std::ios::binary).write((const char*)png, (std::streamsize)size);
        MemFree(png);
    }
    // Pixels of the field's text and caret: no channel above 0x18 (the box and the darkened game
    // are lighter).
    static int NearBlack()
    {
        int n = 0;
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) {
                uint32_t p = Pixel(x, y);
                n += (p & 0xFF) < 0x18 && (p >> 8 & 0xFF) < 0x18 && (p >> 16) < 0x18;
            }
        return n;
    }
    // Pixels of the back buffer as 0xBBGGRR.
    static uint32_t Pixel(int x, int y) { return GR_Screen_Get_Pixel(x, y); }
    static inline int frames = 0;
    static inline std::function<void(int)> onFrame;
};

TEST_F(WindowPrompt, TypedTextComesBackAndThePromptIsDrawnOverTheFrame)
{
    // The game was drawing into a surface set inside another, with its own blending, when it asked.
    int outer = GR_Surface_Create(8, 8), surface = GR_Surface_Create(16, 16);
    ASSERT_GE(surface, 0);
    ASSERT_TRUE(GR_Surface_Set_Target(outer));
    ASSERT_TRUE(GR_Surface_Set_Target(surface));
    GR_D3D_Set_Blend_Mode(1);
    uint32_t dest = GR_D3D_Get_Render_State(GR_RS_DESTBLEND);
    uint32_t corner = 0, centre = 0;
    int black = 0;
    char* text = nullptr;
    bool accepted = Prompt(
        [&](int frame) {
            if (frame != 1) return;
            // The game shows darkened around the box; the field's text is dark on white.
            corner = Pixel(2, 2);
            centre = Pixel(W / 2, H / 2);
            black = NearBlack();
            Screenshot("prompt_text.png");
            Text("Zed");
            Key(SDLK_BACKSPACE);
            Text("!");
            Key(SDLK_RETURN);
        },
        [&] { return InputQuery_Modal("Caption", "Who goes there?", "Ann ", &text); });
    ASSERT_TRUE(accepted);
    EXPECT_STREQ(text, "Ann Ze!");
    MemFree(text);
    EXPECT_NE(corner, GAME);
    EXPECT_LT(corner & 0xFF, GAME & 0xFF) << "the game shows darkened around the box";
    EXPECT_NE(centre, GAME);
    EXPECT_GT(black, 20) << "the default text and the caret are drawn";
    // The frame under the prompt is back as it was, and so is every drawing setting.
    EXPECT_EQ(SurfaceTarget, surface);
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_DESTBLEND), dest);
    EXPECT_EQ(Draw_GetColor() & 0xFFFFFF, 0x00FF00u);
    GR_Surface_Reset_Target();
    EXPECT_EQ(SurfaceTarget, outer);
    GR_Surface_Reset_Target();
    GR_Surface_Free(surface);
    GR_Surface_Free(outer);
    EXPECT_EQ(Pixel(2, 2), GAME);
    EXPECT_EQ(Pixel(W / 2, H / 2), GAME);
}

TEST_F(WindowPrompt, ATextTallerThanTheWindowIsCutAndTheFieldStays)
{
    std::string essay;
    for (int i = 0; i < 400; i++) essay += "Many words make a long prompt. ";
    int black = 0;
    char* text = nullptr;
    EXPECT_TRUE(Prompt(
        [&](int frame) {
            if (frame != 1) return;
            black = NearBlack();
            Key(SDLK_RETURN);
        },
        [&] { return InputQuery_Modal("", essay.c_str(), "Ann", &text); }));
    MemFree(text);
    EXPECT_GT(black, 20) << "the field is in the window";
}

TEST_F(WindowPrompt, EscapeCancelsAndClosingTheWindowEndsTheGame)
{
    char* text = nullptr;
    EXPECT_FALSE(Prompt([](int frame) { if (frame == 1) Key(SDLK_ESCAPE); },
                        [&] { return InputQuery_Modal("", "Name", "x", &text); }));
    EXPECT_EQ(text, nullptr);
    EXPECT_FALSE(Window_Quit);

    char *user = nullptr, *password = nullptr;
    auto quit = [](int frame) {
        SDL_Event e = {};
        e.type = SDL_QUIT;
        if (frame == 1) SDL_PushEvent(&e);
    };
    EXPECT_FALSE(Prompt(quit, [&] { return InputQuery_Login("", "u", "p", &user, &password); }));
    EXPECT_TRUE(Window_Quit);
    // Once the window is closing no prompt opens.
    EXPECT_FALSE(Prompt([](int) { ADD_FAILURE() << "a prompt was drawn after the window closed"; },
                        [&] { return InputQuery_Modal("", "Again", "", &text); }));
}

TEST_F(WindowPrompt, LoginMasksThePasswordAndFilesComeBackFull)
{
    std::string folder = (fs::temp_directory_path() / ("winprompt_" + std::to_string(getpid()))).string();
    fs::create_directories(folder + "/sub");
    std::ofstream(folder + "/level.txt") << "1";
    char *user = nullptr, *password = nullptr;
    ASSERT_TRUE(Prompt(
        [](int frame) {
            if (frame != 1) return;
            Key(SDLK_RETURN);
            Text("pw");
            Key(SDLK_RETURN);
        },
        [&] { return InputQuery_Login("", "ann", "", &user, &password); }));
    EXPECT_STREQ(user, "ann");
    EXPECT_STREQ(password, "pw");
    MemFree(user), MemFree(password);

    char* name = nullptr;
    ASSERT_TRUE(Prompt(
        [](int frame) {
            if (frame != 1) return;
            Screenshot("prompt_file.png");
            Key(SDLK_DOWN), Key(SDLK_DOWN), Key(SDLK_RETURN);
        },
        [&] { return Dialog_FileName(false, "Text|*.txt", "", folder.c_str(), "Pick", &name); }));
    EXPECT_EQ(std::string(name), folder + "/level.txt");
    MemFree(name);
    fs::remove_all(folder);
}

TEST_F(WindowPrompt, TheErrorDialogShowsTheReportOverTheFrame)
{
    const uint32_t TITLE = 0x2830A8;  // the error dialog's title bar, 0xBBGGRR
    auto titlePixels = [] {
        int n = 0;
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) n += Pixel(x, y) == TITLE;
        return n;
    };
    Window_SetCaption("Space Rocks");
    Dialog_CaptionHook = Window_GetCaption;
    const char* report = "ERROR in\naction number 3\nof Step Event\nfor object obj_ship:\n\n\n"
                         "In obj_ship, Step Event, line 12: Division by zero.";
    int title = 0, black = 0;
    bool goesOn = Prompt(
        [&](int frame) {
            if (frame != 1) return;
            title = titlePixels();
            black = NearBlack();
            Screenshot("error.png");
            Text("ignored");
            Key(SDLK_RETURN);
        },
        [&] {
            Dialog_ErrorReported(report, false);
            Dialog_ErrorReported("ERROR in\nanother", false);
            Dialog_ErrorReported("ERROR in\nand another", false);
            return Dialog_ErrorsOfStep(true, true);
        });
    EXPECT_TRUE(goesOn);
    EXPECT_GT(title, 1000) << "the title bar is drawn";
    EXPECT_EQ(black, 0) << "no field";
    EXPECT_EQ(Pixel(2, 2), GAME) << "the frame is back";
    EXPECT_EQ(Pixel(W / 2, H / 2), GAME);

    // Escape ends the game; so does Enter after a fatal error. A report taller than the window is
    // cut so that the hints still show.
    std::string tall = "ERROR in\n";
    for (int i = 0; i < 60; i++) tall += "line " + std::to_string(i) + "\n";
    EXPECT_FALSE(Prompt([](int frame) { if (frame == 1) Key(SDLK_ESCAPE); },
                        [&] {
                            Dialog_ErrorReported(tall.c_str(), false);
                            return Dialog_ErrorsOfStep(true, true);
                        }));
    int edges = 0;
    EXPECT_FALSE(Prompt(
        [&](int frame) {
            if (frame != 1) return;
            // Rows mostly of the box's edge colour: its top and, when it fits, its bottom.
            for (int y = 0; y < H; y++) {
                int n = 0;
                for (int x = 0; x < W; x++) n += Pixel(x, y) == 0xC0B0A0;
                edges += n > W / 2;
            }
            Key(SDLK_RETURN);
        },
        [&] {
            Dialog_ErrorReported(("FATAL " + tall).c_str(), true);
            return Dialog_ErrorsOfStep(true, true);
        }));
    EXPECT_EQ(edges, 2) << "the cut report's box, hints and all, fits in the window";
    Window_SetCaption("");
    Dialog_CaptionHook = [] { return ""; };
}

// Without the game's window nothing waits for a player: prompts are cancelled, questions
// answered no and messages written to the console.
TEST(DialogsWithoutWindow, NeverWait)
{
    TCapturedWarnings log;
    unsetenv("RUNNER_DIALOGS");
    Dialog_Init();
    char* text = nullptr;
    EXPECT_FALSE(InputQuery_Modal("", "Name", "x", &text));
    EXPECT_EQ(text, nullptr);
    EXPECT_FALSE(InputQuery_Question("", "Quit?"));
    Dialog_ShowMessage("just so#you know");
    EXPECT_NE(log.text.find("No window to show the prompt"), std::string::npos);
    EXPECT_NE(log.text.find("Cannot show the question \"Quit?\" (no window); answered no"), std::string::npos);
    EXPECT_NE(log.text.find("just so#you know\n"), std::string::npos);
}

}  // namespace
