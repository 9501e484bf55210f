// The windowed runner in-process: SDL events through the pump into the step's events, input
// recorded and played back, and rooms drawn through their views into the window.
#include "Background/Background_Main.h"
#include "Base/Clock.h"
#include "Base/Console.h"
#include "Base/Random.h"
#include "Code/Function.h"
#include "Function/Function_Math.h"
#include "Function/Function_Misc.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Surface.h"
#include "IO/IO.h"
#include "IO/IO_Joystick.h"
#include "IO/IO_Record.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"
#include "Object/Object_Main.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"
#include "StartUp.h"
#include "Room/View.h"
#include "IO/Window.h"
#include "Platform/TBitmap.h"
#include "Sprite/Sprite_Main.h"
#include "Sprite/Sprite_Class.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

// A hidden game window (with the graphics device when asked) and a one-room game whose events
// log on the debug console.
class Shell : public ::testing::Test {
protected:
    static constexpr int W = 64, H = 48;
    void SetUp() override
    {
        ASSERT_NE(getenv("DISPLAY"), nullptr) << "no DISPLAY: window tests need an X display (Xvfb)";
        int id;
        if (!Function_Find("show_debug_message", &id)) Function_Misc_Init();
        if (!Function_Find("irandom", &id)) Function_Math_Init();
        StartUp_Variables();
        saved = Console_Debug;
        Console_Debug = &log;
        Object_Clear();
        Room_Clear();
        IO_Clear();
        ASSERT_TRUE(Window_Create(W, H, true));
        object = Object_Add();
        room = Room_Add();
        Run_NoWait = true;
    }
    void TearDown() override
    {
        Run_EndGame();
        Clock_Run();  // recorded and replayed steps leave it standing
        Run_NoWait = false;
        Room_Clear();
        Object_Clear();
        Background_Clear();
        Sprite_Clear();
        GR_D3D_Shutdown();
        IO_Joystick_Close();
        Window_Destroy();
        IO_Clear();
        Console_Debug = saved;
    }
    void Event(int type, int number, const char* code) { Object_Find(object)->AddEvent(type, number, code); }
    void Start()
    {
        ASSERT_TRUE(Object_LinkParents());
        ASSERT_TRUE(Object_Prepare());
        Room_Get(room)->AddInstance(30, 20, object);
        ASSERT_TRUE(Run_StartGame());
    }
    // Pumps what was pushed, runs a frame and returns what it logged.
    std::string Frame()
    {
        PumpMessages();
        log.text.clear();
        Run_Frame();
        return log.text;
    }
    static void Key(SDL_Keycode key, bool down)
    {
        SDL_Event e = {};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.keysym.sym = key;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    }
    static void Mouse(int x, int y, int button = 0, bool down = false)
    {
        SDL_Event e = {};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = x, e.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
        if (!button) return;
        e = {};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.button = (Uint8)button;
        e.button.x = x, e.button.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    static void Wheel(int steps)
    {
        SDL_Event e = {};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = steps;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    // Starts the game of the events so far with its input recorded into a new file.
    void StartRecorded(std::string* path, uint32_t gameId)
    {
        Start();
        Run_EndGame();
        *path = TempFile("runner_recording");
        ASSERT_FALSE(path->empty());
        ASSERT_TRUE(IO_Record_Start(path->c_str(), gameId, Clock_StartTime()));
        ASSERT_TRUE(Run_StartGame());
    }
    // A new empty file in /tmp for a recording ("" when none can be made).
    static std::string TempFile(const char* stem)
    {
        std::string path = std::string("/tmp/") + stem + "XXXXXX";
        int fd = mkstemp(path.data());
        if (fd < 0) return "";
        close(fd);
        return path;
    }
    TCaptureConsole log;
    tagIConsole* saved = nullptr;
    int object = -1, room = -1;
};

TEST_F(Shell, SDLEventsReachTheStepEventsInOrder)
{
    // The room is seen at twice its size: window (20, 10) is room (110, 5).
    CRoom* r = Room_Get(room);
    r->enable_views = true;
    r->views[0].visible = true;
    r->views[0].xview = 100, r->views[0].yview = 0, r->views[0].wview = 32, r->views[0].hview = 24;
    r->views[0].xport = 0, r->views[0].yport = 0, r->views[0].wport = 64, r->views[0].hport = 48;
    Event(3, 1, "show_debug_message('begin step');");
    Event(5, 37, "show_debug_message('left held');");
    Event(9, 37, "show_debug_message('left pressed');");
    Event(10, 37, "show_debug_message('left released');");
    Event(9, 65, "show_debug_message('A pressed');");
    Event(6, 53, "show_debug_message('global left press at ' + string(mouse_x) + ',' + string(mouse_y));");
    Event(6, 56, "show_debug_message('global left release');");
    Event(6, 60, "show_debug_message('wheel up');");
    Event(3, 0, "show_debug_message('step');");
    Start();
    EXPECT_EQ(Frame(), "begin step\nstep\n");
    Key(SDLK_LEFT, true);
    Key(SDLK_a, true);
    Mouse(20, 10, SDL_BUTTON_LEFT, true);
    EXPECT_EQ(Frame(), "begin step\nleft held\nleft pressed\nA pressed\nglobal left press at 110,5\nstep\n");
    Key(SDLK_a, false);
    Wheel(1);
    EXPECT_EQ(Frame(), "begin step\nleft held\nwheel up\nstep\n");
    Key(SDLK_LEFT, false);
    Mouse(20, 10, SDL_BUTTON_LEFT, false);
    EXPECT_EQ(Frame(), "begin step\nleft released\nglobal left release\nstep\n");
    // Closing the window is noticed by the pump.
    EXPECT_FALSE(Window_Quit);
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    PumpMessages();
    EXPECT_TRUE(Window_Quit);
}

TEST_F(Shell, PlaybackRepeatsTheRecordedGame)
{
    std::string file = TempFile("runner_record");
    ASSERT_FALSE(file.empty());
    const char* path = file.c_str();
    // The generator is seeded from the clock, so only the recording can make the runs agree.
    Event(0, 0, "randomize();");
    Event(3, 0, "show_debug_message('roll ' + string(irandom(1000000)));");
    Event(9, 32, "show_debug_message('space at ' + string(irandom(1000000)));");
    Event(6, 53, "show_debug_message('click ' + string(mouse_x) + ',' + string(mouse_y));");
    // The room of 640 x 480 fills the window of 64 x 48: window (7, 9) is room (70, 90).
    Start();
    Run_EndGame();
    auto play = [&](bool live) {
        std::string all;
        EXPECT_TRUE(Run_StartGame());
        for (int i = 0; i < 8; i++) {
            // Live input during playback must not reach the game.
            if (i == 2) Key(SDLK_SPACE, true);
            if (i == 3) Key(SDLK_SPACE, false);
            if (i == 5) Mouse(live ? 7 : 40, live ? 9 : 30, SDL_BUTTON_LEFT, true);
            if (i == 6) Mouse(live ? 7 : 40, live ? 9 : 30, SDL_BUTTON_LEFT, false);
            all += Frame();
        }
        Run_EndGame();
        return all;
    };
    ASSERT_TRUE(IO_Record_Start(path, 42, Clock_StartTime()));
    std::string recorded = play(true);
    IO_Record_Stop();
    EXPECT_NE(recorded.find("space at"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("click 70,90"), std::string::npos) << recorded;
    ASSERT_TRUE(IO_Playback_Start(path, 42));
    Random_Seed(12345);
    std::string replayed = play(false);
    EXPECT_FALSE(IO_PlaybackActive() && IO_Playback_Step(nullptr));
    IO_Playback_Stop();
    EXPECT_EQ(replayed, recorded);
    // Without the recording the rolls differ.
    Random_Seed(12345);
    EXPECT_NE(play(true), recorded);
    EXPECT_FALSE(IO_Playback_Start(path, 43));  // another game's recording is refused
    unlink(path);
}

TEST_F(Shell, JoystickEventsComeBetweenKeysAndMouseAndAreRecorded)
{
    // The hidden window never has the focus; SDL drops joystick changes of unfocused programs.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    if (SDL_NumJoysticks() > 0) GTEST_SKIP() << "a real joystick is attached";
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 8, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* device = SDL_JoystickOpen(index);
    ASSERT_NE(device, nullptr);
    Event(9, 32, "show_debug_message('space');");
    Event(6, 16, "show_debug_message('stick left');");
    Event(6, 19, "show_debug_message('stick down');");
    Event(6, 22, "show_debug_message('button 2');");
    Event(6, 28, "show_debug_message('button 8');");
    Event(6, 53, "show_debug_message('click');");
    std::string file;
    ASSERT_NO_FATAL_FAILURE(StartRecorded(&file, 1));
    const char* path = file.c_str();
    EXPECT_EQ(Frame(), "");
    SDL_JoystickSetVirtualAxis(device, 0, -32768);
    SDL_JoystickSetVirtualButton(device, 1, 1);
    Key(SDLK_SPACE, true);
    Mouse(5, 5, SDL_BUTTON_LEFT, true);
    std::string pressed = Frame();
    EXPECT_EQ(pressed, "space\nstick left\nbutton 2\nclick\n");
    SDL_JoystickSetVirtualAxis(device, 0, 0);
    SDL_JoystickSetVirtualAxis(device, 1, 32767);
    SDL_JoystickSetVirtualButton(device, 1, 0);
    SDL_JoystickSetVirtualButton(device, 7, 1);
    std::string moved = Frame();
    EXPECT_EQ(moved, "stick down\nbutton 8\n");
    Run_EndGame();
    IO_Record_Stop();
    // Played back with the joystick at rest, the recorded state raises the same events.
    SDL_JoystickSetVirtualAxis(device, 1, 0);
    SDL_JoystickSetVirtualButton(device, 7, 0);
    ASSERT_TRUE(IO_Playback_Start(path, 1));
    ASSERT_TRUE(Run_StartGame());
    EXPECT_EQ(Frame(), "");
    EXPECT_EQ(Frame(), pressed);
    EXPECT_EQ(Frame(), moved);
    IO_Playback_Stop();
    unlink(path);
    SDL_JoystickClose(device);
    SDL_JoystickDetachVirtual(index);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

// Gives the object a sprite: a green square of 4 x 4 with its origin in the middle.
void GiveMarkerSprite(int object)
{
    TBitmap image(4, 4, 24);
    uint8_t* p = image.Lock();
    for (int i = 0; i < 16; i++) p[i * 3] = 0, p[i * 3 + 1] = 255, p[i * 3 + 2] = 0;
    int index = Sprite_AddNew();
    ASSERT_TRUE(Sprite_Get(index)->CreateFromBitmap(&image, false, false, false, false, 2, 2, false));
    Object_Find(object)->AddEvent(0, 0, ("sprite_index = " + std::to_string(index) + ";").c_str());
}

TEST_F(Shell, MouseEventsOfInstanceShapes)
{
    CRoom* r = Room_Get(room);
    r->enable_views = true;
    r->views[0].visible = true;
    r->views[0].wview = r->views[0].wport = W;
    r->views[0].hview = r->views[0].hport = H;
    GiveMarkerSprite(object);  // covers 28..31 x 18..21 around the instance at (30, 20)
    Event(6, 0, "show_debug_message('left held');");
    Event(6, 3, "show_debug_message('no button');");
    Event(6, 4, "show_debug_message('left pressed');");
    Event(6, 7, "show_debug_message('left released');");
    Event(6, 10, "show_debug_message('enter');");
    Event(6, 11, "show_debug_message('leave');");
    Event(6, 53, "show_debug_message('global left pressed');");
    Event(6, 56, "show_debug_message('global left released');");
    Event(6, 60, "show_debug_message('wheel up');");
    std::string file;
    ASSERT_NO_FATAL_FAILURE(StartRecorded(&file, 5));
    const char* path = file.c_str();
    std::string all;
    auto expect = [&all](const std::string& frame, const char* wanted) {
        EXPECT_EQ(frame, wanted);
        all += frame;
    };
    Mouse(5, 5);
    expect(Frame(), "");
    // The order of a step: the shape's buttons, the global ones, enter and leave, the wheel.
    Mouse(31, 21, SDL_BUTTON_LEFT, true);
    Wheel(1);
    expect(Frame(), "left held\nleft pressed\nglobal left pressed\nenter\nwheel up\n");
    // Held outside the shape: only held events of the shape under the mouse count.
    Mouse(33, 20);
    expect(Frame(), "leave\n");
    Mouse(30, 20, SDL_BUTTON_LEFT, false);
    expect(Frame(), "left released\nno button\nglobal left released\nenter\n");
    Mouse(33, 20, SDL_BUTTON_LEFT, true);
    Wheel(1);
    expect(Frame(), "global left pressed\nleave\nwheel up\n");
    Run_EndGame();
    IO_Record_Stop();
    // The recording plays the same events in the same order.
    ASSERT_TRUE(IO_Playback_Start(path, 5));
    ASSERT_TRUE(Run_StartGame());
    std::string replayed;
    for (int i = 0; i < 5; i++) replayed += Frame();
    IO_Playback_Stop();
    EXPECT_EQ(replayed, all);
    unlink(path);
}

TEST_F(Shell, RoomsAreDrawnThroughTheirViewPorts)
{
    ASSERT_TRUE(GR_D3D_Init(MainWindow));
    const uint32_t RED = 0x0000FF, BLUE = 0xFF0000, GREEN = 0x00FF00;
    Window_SetColor(BLUE);
    CRoom* r = Room_Get(room);
    r->colour = RED;
    r->enable_views = true;
    RoomView& v = r->views[0];
    v.visible = true;
    v.xview = 0, v.yview = 0, v.wview = 40, v.hview = 40;
    v.xport = 4, v.yport = 2, v.wport = 40, v.hport = 40;
    v.angle = 90;
    GiveMarkerSprite(object);
    Start();
    Frame();
    EXPECT_EQ(GR_Screen_Get_Pixel(1, 1), BLUE);    // outside the port: the window colour
    EXPECT_EQ(GR_Screen_Get_Pixel(50, 30), BLUE);
    EXPECT_EQ(GR_Screen_Get_Pixel(8, 4), RED);     // inside: the room colour
    EXPECT_EQ(GR_Screen_Get_Pixel(43, 41), RED);
    // The instance at room (30, 20) is drawn where the view mapping puts it.
    int wx, wy;
    View_RoomToWindow(0, 30, 20, &wx, &wy);
    EXPECT_EQ(wx, 24);
    EXPECT_EQ(wy, 32);
    EXPECT_EQ(GR_Screen_Get_Pixel(wx, wy), GREEN);
    EXPECT_EQ(GR_Screen_Get_Pixel(24, 12), RED);  // where the opposite turn would have put it
    // Without the room colour shown, the port keeps what was there; with views off the whole
    // window shows the room.
    r = Run_Room;
    r->show_colour = false;
    Run_Room->active.front()->visible = false;
    Window_SetColor(GREEN);
    Frame();
    EXPECT_EQ(GR_Screen_Get_Pixel(1, 1), GREEN);
    EXPECT_EQ(GR_Screen_Get_Pixel(8, 4), GREEN);
    r->show_colour = true;
    r->enable_views = false;
    Frame();
    EXPECT_EQ(GR_Screen_Get_Pixel(1, 1), RED);
    EXPECT_EQ(GR_Screen_Get_Pixel(63, 47), RED);
}

}  // namespace

namespace {

TEST_F(Shell, LayersTilesAndInstancesDrawFromTheGreatestDepth)
{
    ASSERT_TRUE(GR_D3D_Init(MainWindow));
    const uint32_t RED = 0x0000FF, BLUE = 0xFF0000, GREEN = 0x00FF00, WHITE = 0xFFFFFF, BLACK = 0;
    int field = Background_AddEmpty(), deep = Background_AddEmpty(), shallow = Background_AddEmpty(), front = Background_AddEmpty();
    Background_Get(field)->CreateColor(8, 8, WHITE, false);
    Background_Get(deep)->CreateColor(10, 10, BLUE, false);
    Background_Get(shallow)->CreateColor(2, 2, RED, false);
    Background_Get(front)->CreateColor(4, 4, BLACK, false);
    CRoom* r = Room_Get(room);
    r->width = W, r->height = H;
    r->backgrounds[0].visible = true;
    r->backgrounds[0].index = field;
    r->backgrounds[1].visible = r->backgrounds[1].foreground = true;
    r->backgrounds[1].index = front;
    r->backgrounds[1].htiled = r->backgrounds[1].vtiled = false;
    r->backgrounds[1].x = 50, r->backgrounds[1].y = 40;
    r->CreateTile(deep, 0, 0, 10, 10, 25, 15, 100, 1, 1, 0xFFFFFF);
    r->CreateTile(shallow, 0, 0, 2, 2, 30, 20, -100, 1, 1, 0xFFFFFF);
    GiveMarkerSprite(object);  // green, 28..31 x 18..21
    Start();
    Frame();
    EXPECT_EQ(GR_Screen_Get_Pixel(5, 5), WHITE);    // the background layer, tiled
    EXPECT_EQ(GR_Screen_Get_Pixel(60, 44), WHITE);
    EXPECT_EQ(GR_Screen_Get_Pixel(26, 16), BLUE);   // the deep tile over the layer
    EXPECT_EQ(GR_Screen_Get_Pixel(28, 18), GREEN);  // the instance over the deep tile
    EXPECT_EQ(GR_Screen_Get_Pixel(30, 20), RED);    // the shallow tile over the instance
    EXPECT_EQ(GR_Screen_Get_Pixel(51, 41), BLACK);  // the foreground over everything
}

}  // namespace
