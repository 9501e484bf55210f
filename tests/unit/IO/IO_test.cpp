// Keyboard, mouse, typing and virtual-button state fed by SDL events over several steps.
#include "IO/IO.h"
#include "IO/Linux/IO_SDL.h"

#include <gtest/gtest.h>
#include <string>

namespace {

SDL_Event KeyEvent(SDL_Keycode sym, bool down, bool repeat = false)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = sym;
    e.key.repeat = repeat;
    return e;
}

SDL_Event ButtonEvent(Uint8 button, bool down, int x, int y)
{
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    return e;
}

void Feed(const SDL_Event& e) { ASSERT_TRUE(IO_SDL_HandleEvent(e)); }

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        IO_SetLiveInput(true);
        IO_KeyMap_Reset();
        IO_Clear();
        IO_SetLastKey(0);
        IO_Start_Step();
    }
};

TEST_F(InputTest, KeyGoesThroughPressedHeldReleased)
{
    EXPECT_TRUE(IO_KeyCheck(0, IO_DOWN));
    EXPECT_FALSE(IO_KeyCheck(1, IO_DOWN));

    Feed(KeyEvent(SDLK_LEFT, true));
    EXPECT_FALSE(IO_KeyDown(37)) << "events only show at the next step";
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyDown(37));
    EXPECT_TRUE(IO_KeyPressed(37));
    EXPECT_FALSE(IO_KeyReleased(37));
    EXPECT_TRUE(IO_KeyCheck(1, IO_DOWN));
    EXPECT_TRUE(IO_KeyCheck(1, IO_PRESSED));
    EXPECT_FALSE(IO_KeyCheck(0, IO_DOWN));
    EXPECT_EQ(IO_GetLastKey(), 37);

    Feed(KeyEvent(SDLK_LEFT, true, true));  // auto-repeat
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyDown(37));
    EXPECT_FALSE(IO_KeyPressed(37));
    EXPECT_TRUE(IO_KeyCheck(0, IO_PRESSED));

    Feed(KeyEvent(SDLK_LEFT, false));
    IO_Start_Step();
    EXPECT_FALSE(IO_KeyDown(37));
    EXPECT_TRUE(IO_KeyReleased(37));
    EXPECT_TRUE(IO_KeyCheck(1, IO_RELEASED));

    IO_Start_Step();
    EXPECT_FALSE(IO_KeyReleased(37));
    EXPECT_TRUE(IO_KeyCheck(0, IO_DOWN));
    EXPECT_TRUE(IO_KeyCheck(0, IO_RELEASED));

    // A tap inside one step is both pressed and released, and not held.
    Feed(KeyEvent(SDLK_SPACE, true));
    Feed(KeyEvent(SDLK_SPACE, false));
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyPressed(32));
    EXPECT_TRUE(IO_KeyReleased(32));
    EXPECT_FALSE(IO_KeyDown(32));
}

TEST_F(InputTest, SdlKeysMapToVirtualKeys)
{
    const std::pair<SDL_Keycode, int> cases[] = {
        {SDLK_LEFT, 37}, {SDLK_DOWN, 40}, {SDLK_a, 65}, {SDLK_z, 90}, {SDLK_0, 48}, {SDLK_9, 57},
        {SDLK_KP_0, 96}, {SDLK_KP_1, 97}, {SDLK_KP_9, 105}, {SDLK_KP_MULTIPLY, 106}, {SDLK_KP_DIVIDE, 111},
        {SDLK_F1, 112}, {SDLK_F12, 123}, {SDLK_RETURN, 13}, {SDLK_ESCAPE, 27}, {SDLK_BACKSPACE, 8},
        {SDLK_SPACE, 32}, {SDLK_PAGEUP, 33}, {SDLK_DELETE, 46}, {SDLK_LSHIFT, 160}, {SDLK_RALT, 165},
        {SDLK_UNKNOWN, 0},
    };
    for (auto [sdl, vk] : cases) {
        EXPECT_EQ(IO_SDL_KeyToVirtual(sdl), vk) << SDL_GetKeyName(sdl);
        if (sdl != SDLK_KP_ENTER) {
            EXPECT_EQ(IO_SDL_VirtualToKey(vk), sdl) << vk;
        }
    }
    // Every code the table gives maps back to a key that gives it again.
    for (int vk = 2; vk < 256; vk++) {
        SDL_Keycode key = IO_SDL_VirtualToKey(vk);
        if (key != SDLK_UNKNOWN && (vk < 16 || vk > 18)) {
            EXPECT_EQ(IO_SDL_KeyToVirtual(key), vk) << vk;
        }
    }
    EXPECT_EQ(IO_SDL_VirtualToKey(17), SDLK_LCTRL);
    EXPECT_EQ(IO_SDL_VirtualToKey(7), SDLK_UNKNOWN);
}

// keyboard_check_direct: held now, or pressed since the key was last asked about.
TEST_F(InputTest, DirectKeysAreHeldOrPressedSinceTheLastQuestion)
{
    Feed(KeyEvent(SDLK_LEFT, true));
    EXPECT_TRUE(IO_KeyDirect(37)) << "at once, before any step";
    EXPECT_TRUE(IO_KeyDirect(37)) << "still held";
    Feed(KeyEvent(SDLK_LEFT, false));
    EXPECT_FALSE(IO_KeyDirect(37)) << "the press was seen while it was held";
    Feed(KeyEvent(SDLK_LEFT, true));
    Feed(KeyEvent(SDLK_LEFT, false));
    EXPECT_TRUE(IO_KeyDirect(37)) << "a tap between two questions";
    EXPECT_FALSE(IO_KeyDirect(37)) << "asked once";
    for (int key : {7, -3, 256}) EXPECT_FALSE(IO_KeyDirect(key)) << key;

    // The keyboard's own key, before the map; the steps see the mapped one.
    IO_KeyMap_Set(65, 37);
    Feed(KeyEvent(SDLK_a, true));
    EXPECT_TRUE(IO_KeyDirectHeld(65));
    EXPECT_FALSE(IO_KeyDirect(37));
    Feed(KeyEvent(SDLK_a, false));
    IO_KeyMap_Reset();

    // A key the game makes is seen at once, and by the next step as a press.
    IO_Event_SyntheticKey(75, true);
    EXPECT_TRUE(IO_KeyDirect(75));
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyPressed(75));
    EXPECT_EQ(IO_GetLastKey(), 75);
    IO_Event_SyntheticKey(75, false);
    EXPECT_FALSE(IO_KeyDirect(75));
    IO_Event_SyntheticKey(300, true);  // no such key: nothing

    // During playback the player's keys are not seen; the game's own and the replayed ones are.
    IO_SetLiveInput(false);
    Feed(KeyEvent(SDLK_b, true));
    EXPECT_FALSE(IO_KeyDirect(66));
    IO_Event_SyntheticKey(67, true);
    EXPECT_TRUE(IO_KeyDirectHeld(67));
    IO_StepState played;
    IO_GetStepState(&played);
    played.key[68] = IO_PRESSED | IO_RELEASED;
    played.key[67] = IO_DOWN;
    IO_SetStepState(played);
    EXPECT_TRUE(IO_KeyDirect(68)) << "tapped in the replayed step";
    EXPECT_FALSE(IO_KeyDirect(68));
    EXPECT_TRUE(IO_KeyDirectHeld(67));
    played.key[67] = IO_RELEASED;
    IO_SetStepState(played);
    EXPECT_FALSE(IO_KeyDirectHeld(67));
    IO_SetLiveInput(true);
}

TEST_F(InputTest, ModifiersSetSideAndGenericCodes)
{
    const struct {
        SDL_Keycode left, right;
        int generic;
    } mods[] = {{SDLK_LSHIFT, SDLK_RSHIFT, 16}, {SDLK_LCTRL, SDLK_RCTRL, 17}, {SDLK_LALT, SDLK_RALT, 18}};
    for (const auto& m : mods) {
        int leftCode = IO_SDL_KeyToVirtual(m.left), rightCode = IO_SDL_KeyToVirtual(m.right);
        Feed(KeyEvent(m.left, true));
        IO_Start_Step();
        EXPECT_TRUE(IO_KeyDown(leftCode));
        EXPECT_TRUE(IO_KeyPressed(m.generic));
        EXPECT_FALSE(IO_KeyDown(rightCode));

        Feed(KeyEvent(m.right, true));
        Feed(KeyEvent(m.left, false));
        IO_Start_Step();
        EXPECT_TRUE(IO_KeyReleased(leftCode));
        EXPECT_TRUE(IO_KeyPressed(rightCode));
        EXPECT_TRUE(IO_KeyDown(m.generic)) << "held while the other side is";
        EXPECT_FALSE(IO_KeyPressed(m.generic));
        EXPECT_FALSE(IO_KeyReleased(m.generic));

        Feed(KeyEvent(m.right, false));
        IO_Start_Step();
        EXPECT_FALSE(IO_KeyDown(m.generic));
        EXPECT_TRUE(IO_KeyReleased(m.generic));
    }
}

TEST_F(InputTest, KeyMapRedirectsEvents)
{
    IO_KeyMap_Set(65, 66);
    EXPECT_EQ(IO_KeyMap_Get(65), 66);
    EXPECT_EQ(IO_KeyMap_Get(67), 67);
    EXPECT_EQ(IO_KeyMap_Get(300), 300);
    Feed(KeyEvent(SDLK_a, true));
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyDown(66));
    EXPECT_FALSE(IO_KeyDown(65));
    Feed(KeyEvent(SDLK_a, false));

    IO_KeyMap_Set(67, 999);  // a target out of range drops the key
    Feed(KeyEvent(SDLK_c, true));
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyCheck(0, IO_PRESSED));

    IO_KeyMap_Set(-5, 70);
    IO_KeyMap_Set(256, 70);
    IO_KeyMap_Reset();
    EXPECT_EQ(IO_KeyMap_Get(65), 65);
    Feed(KeyEvent(SDLK_a, true));
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyPressed(65));
}

TEST_F(InputTest, OutOfRangeKeysButtonsAndDevicesAreIgnored)
{
    IO_Event_Key(-1, true);
    IO_Event_Key(256, true);
    IO_Event_MouseButton(5, 1, true);
    IO_Event_MouseButton(-1, 1, true);
    IO_Event_MouseButton(0, 4, true);
    IO_Event_MouseButton(0, 0, true);
    IO_Event_MouseMove(7, 1, 1);
    IO_Event_MouseWheel(9, 1);
    IO_KeyClear(1000);
    IO_MouseClear(9, 9);
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyCheck(0, IO_PRESSED));
    for (int k : {-1, 256, 100000}) EXPECT_FALSE(IO_KeyDown(k) || IO_KeyPressed(k) || IO_KeyReleased(k) || IO_KeyCheck(k, IO_DOWN));
    for (int d = 0; d < IO_MOUSE_DEVICES; d++) EXPECT_TRUE(IO_MouseCheck(0, d, IO_PRESSED));
    EXPECT_FALSE(IO_MouseDown(4, 0));
    EXPECT_FALSE(IO_MouseDown(1, 5));
    EXPECT_FALSE(IO_MouseCheck(-1, 5, IO_DOWN));
    EXPECT_FALSE(IO_MouseWheelUp(-1));
    EXPECT_EQ(IO_GetMouseLastButton(12), 0);
    IO_SetMouseLastButton(12, 1);
}

TEST_F(InputTest, MouseButtonsPositionAndWheel)
{
    Feed(ButtonEvent(SDL_BUTTON_RIGHT, true, 10, 20));
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 1;
    Feed(wheel);
    IO_Start_Step();
    EXPECT_TRUE(IO_MousePressed(2, 0));
    EXPECT_TRUE(IO_MouseDown(2, 0));
    EXPECT_FALSE(IO_MouseDown(2, 1)) << "SDL's mouse is device 0";
    EXPECT_EQ(IO_GetMouseButton(0), 2);
    EXPECT_EQ(IO_GetMouseLastButton(0), 2);
    EXPECT_TRUE(IO_MouseCheck(-1, 0, IO_DOWN));
    EXPECT_EQ(RawMouse.x[0], 10);
    EXPECT_EQ(RawMouse.y[0], 20);
    EXPECT_TRUE(IO_MouseWheelUp(0));
    EXPECT_FALSE(IO_MouseWheelDown(0));

    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 300;
    motion.motion.y = 5;
    Feed(motion);
    wheel.wheel.y = -2;
    Feed(wheel);
    Feed(ButtonEvent(SDL_BUTTON_MIDDLE, true, 300, 5));
    IO_Start_Step();
    EXPECT_FALSE(IO_MouseWheelUp(0));
    EXPECT_TRUE(IO_MouseWheelDown(0));
    EXPECT_EQ(RawMouse.x[0], 300);
    EXPECT_TRUE(IO_MousePressed(3, 0));
    EXPECT_FALSE(IO_MousePressed(2, 0));

    IO_MouseClear(2, 0);
    EXPECT_FALSE(IO_MouseDown(2, 0));
    Feed(ButtonEvent(SDL_BUTTON_RIGHT, false, 0, 0));
    Feed(ButtonEvent(SDL_BUTTON_MIDDLE, false, 0, 0));
    IO_Start_Step();
    EXPECT_FALSE(IO_MouseReleased(2, 0)) << "a cleared button is not released again";
    EXPECT_TRUE(IO_MouseReleased(3, 0));
    EXPECT_TRUE(IO_MouseCheck(0, 0, IO_DOWN));
    EXPECT_EQ(IO_GetMouseButton(0), 0);
}

TEST_F(InputTest, TypingBufferAndClear)
{
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    strcpy(text.text.text, "h\xC3\xA9");
    Feed(text);
    EXPECT_STREQ(IO_GetTypedText(), "h\xC3\xA9");
    Feed(KeyEvent(SDLK_BACKSPACE, true));
    EXPECT_STREQ(IO_GetTypedText(), "h") << "backspace removes a whole character";
    Feed(KeyEvent(SDLK_BACKSPACE, false));

    std::string many(IO_TYPED_MAX + 10, 'x');
    many[many.size() - 1] = 'y';
    IO_SetTypedText(many.c_str());
    EXPECT_EQ(strlen(IO_GetTypedText()), (size_t)IO_TYPED_MAX);
    EXPECT_EQ(IO_GetTypedText()[IO_TYPED_MAX - 1], 'y') << "the newest characters are kept";
    IO_SetTypedText("a\xFF\xC3(b\xE2\x82\xAC");
    EXPECT_STREQ(IO_GetTypedText(), "a\xEF\xBF\xBD\xEF\xBF\xBD(b\xE2\x82\xAC") << "stray bytes become U+FFFD";

    Feed(KeyEvent(SDLK_b, true));
    Feed(ButtonEvent(SDL_BUTTON_LEFT, true, 1, 1));
    IO_Start_Step();
    IO_Clear();
    EXPECT_STREQ(IO_GetTypedText(), "");
    EXPECT_FALSE(IO_KeyDown(66));
    EXPECT_FALSE(IO_MouseDown(1, 0));
    IO_Start_Step();
    EXPECT_FALSE(IO_KeyDown(66)) << "a cleared key stays up until pressed again";
    Feed(KeyEvent(SDLK_b, false));
    IO_Start_Step();
    EXPECT_FALSE(IO_KeyReleased(66));
}

// keyboard_string takes any text a script makes: the buffer keeps the newest IO_TYPED_MAX
// characters of it, and never more bytes than it holds, stray bytes and texts of millions of
// characters included.
TEST_F(InputTest, TypedTextOfAnyLengthKeepsItsBound)
{
    const std::string stray(20000, '\x80');
    IO_SetTypedText(stray.c_str());
    std::string replaced;
    for (int i = 0; i < IO_TYPED_MAX; i++) replaced += "\xEF\xBF\xBD";
    EXPECT_EQ(IO_GetTypedText(), replaced);

    std::string wide;
    for (int i = 0; i < 3000000; i++) wide += i % 2 ? "\xF0\x9F\x98\x80" : "a";
    wide += "end";
    IO_SetTypedText(wide.c_str());
    std::string kept = IO_GetTypedText();
    std::string tail = wide.substr(wide.size() - 3 - 1021 / 2 * 5 - 4);  // 1,021 characters before "end"
    EXPECT_EQ(kept, tail) << "the newest 1,024 characters, whole";

    IO_Event_Text("!");
    EXPECT_EQ(IO_GetTypedText(), tail.substr(4) + "!") << "a full buffer drops its first character for a new one";

    // keyboard_lastchar keeps the first character of what it is given, a stray byte as U+FFFD, so
    // that a recording of the game plays back.
    IO_SetLastChar("\xC3\xA9t\xC3\xA9");
    EXPECT_STREQ(IO_GetLastChar(), "\xC3\xA9");
    IO_SetLastChar("\xFF\x80x");
    EXPECT_STREQ(IO_GetLastChar(), "\xEF\xBF\xBD");
    IO_SetLastChar("");
    EXPECT_STREQ(IO_GetLastChar(), "");
}

TEST_F(InputTest, VirtualButtonsHoldTheirKey)
{
    IO_VirtualButton* b = IO_VirtualButton_FindFree();
    ASSERT_NE(b, nullptr);
    int index = b->index;
    EXPECT_EQ(b, &IO_VirtualButtons[index]);
    *b = IO_VirtualButton{IO_VB_IN_USE, (uint16_t)index, 100, 100, 150, 120, 50, 20, {0, 0, 0}, 90};

    Feed(ButtonEvent(SDL_BUTTON_LEFT, true, 10, 10));
    IO_Start_Step();
    EXPECT_FALSE(IO_KeyDown(90)) << "outside the button";
    Feed(ButtonEvent(SDL_BUTTON_LEFT, false, 120, 110));
    Feed(ButtonEvent(SDL_BUTTON_LEFT, true, 120, 110));
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyPressed(90));
    EXPECT_TRUE(IO_KeyDown(90));
    EXPECT_EQ(IO_GetLastKey(), 90);
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyDown(90));
    EXPECT_FALSE(IO_KeyPressed(90));
    Feed(ButtonEvent(SDL_BUTTON_LEFT, false, 120, 110));
    IO_Start_Step();
    EXPECT_TRUE(IO_KeyReleased(90));
    EXPECT_FALSE(IO_KeyDown(90));

    IO_VirtualButton_Delete(index);
    EXPECT_EQ(IO_VirtualButtons[index].flags, 0);
    IO_VirtualButton_Delete(-1);
    IO_VirtualButton_Delete(IO_VirtualButtonCount);

    int taken = 0;
    while (IO_VirtualButton* f = IO_VirtualButton_FindFree()) {
        f->flags = IO_VB_IN_USE;
        f->key = -1;  // a bad key code never touches the key table
        taken++;
        ASSERT_LE(taken, IO_VirtualButtonCount);
    }
    EXPECT_EQ(taken, IO_VirtualButtonCount);
    Feed(ButtonEvent(SDL_BUTTON_LEFT, true, 0, 0));
    IO_Start_Step();
    Feed(ButtonEvent(SDL_BUTTON_LEFT, false, 0, 0));
    for (int i = 0; i < IO_VirtualButtonCount; i++) IO_VirtualButton_Delete(i);
    EXPECT_EQ(IO_VirtualButton_FindFree(), &IO_VirtualButtons[0]);
}

}  // namespace
