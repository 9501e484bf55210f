// SDL keyboard, text and mouse events into the input state.
#include "IO/Linux/IO_SDL.h"

#include "IO/IO.h"

namespace {

enum : int { VK_SHIFT = 16, VK_CONTROL = 17, VK_ALT = 18, VK_NUMLOCK = 144, VK_LSHIFT = 160, VK_RALT = 165 };

// Which of the six side-specific modifiers (160..165) are held, to derive the generic 16/17/18.
bool sideHeld[6];

struct KeyPair {
    SDL_Keycode sdl;
    int vk;
};

// Keys whose SDL code is not a letter, digit or function-key range.
const KeyPair KEYS[] = {
    {SDLK_BACKSPACE, 8}, {SDLK_TAB, 9}, {SDLK_RETURN, 13}, {SDLK_KP_ENTER, 13}, {SDLK_PAUSE, 19},
    {SDLK_CAPSLOCK, 20}, {SDLK_ESCAPE, 27}, {SDLK_SPACE, 32}, {SDLK_PAGEUP, 33}, {SDLK_PAGEDOWN, 34},
    {SDLK_END, 35}, {SDLK_HOME, 36}, {SDLK_LEFT, 37}, {SDLK_UP, 38}, {SDLK_RIGHT, 39}, {SDLK_DOWN, 40},
    {SDLK_PRINTSCREEN, 44}, {SDLK_INSERT, 45}, {SDLK_DELETE, 46}, {SDLK_LGUI, 91}, {SDLK_RGUI, 92},
    {SDLK_APPLICATION, 93}, {SDLK_KP_MULTIPLY, 106}, {SDLK_KP_PLUS, 107}, {SDLK_KP_MINUS, 109},
    {SDLK_KP_PERIOD, 110}, {SDLK_KP_DIVIDE, 111}, {SDLK_NUMLOCKCLEAR, 144}, {SDLK_SCROLLLOCK, 145},
    {SDLK_LSHIFT, 160}, {SDLK_RSHIFT, 161}, {SDLK_LCTRL, 162}, {SDLK_RCTRL, 163}, {SDLK_LALT, 164},
    {SDLK_RALT, 165}, {SDLK_SEMICOLON, 186}, {SDLK_EQUALS, 187}, {SDLK_COMMA, 188}, {SDLK_MINUS, 189},
    {SDLK_PERIOD, 190}, {SDLK_SLASH, 191}, {SDLK_BACKQUOTE, 192}, {SDLK_LEFTBRACKET, 219},
    {SDLK_BACKSLASH, 220}, {SDLK_RIGHTBRACKET, 221}, {SDLK_QUOTE, 222},
};

void Modifier(int vk, bool down)
{
    int side = vk - VK_LSHIFT;
    sideHeld[side] = down;
    IO_Event_Key(vk, down);
    // The generic code stays held while either side is.
    int generic = VK_SHIFT + side / 2;
    IO_Event_Key(generic, sideHeld[side & ~1] || sideHeld[side | 1]);
}

int MouseButton(Uint8 sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
    }
}

}  // namespace

int IO_SDL_KeyToVirtual(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 112 + (key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24) return 124 + (key - SDLK_F13);
    if (key == SDLK_KP_0) return 96;
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 97 + (key - SDLK_KP_1);
    for (const KeyPair& p : KEYS)
        if (p.sdl == key) return p.vk;
    return 0;
}

SDL_Keycode IO_SDL_VirtualToKey(int vk)
{
    if (vk >= VK_SHIFT && vk <= VK_ALT) vk = VK_LSHIFT + 2 * (vk - VK_SHIFT);
    if (vk >= 'A' && vk <= 'Z') return SDLK_a + (vk - 'A');
    if (vk >= '0' && vk <= '9') return SDLK_0 + (vk - '0');
    if (vk >= 112 && vk <= 123) return SDLK_F1 + (vk - 112);
    if (vk >= 124 && vk <= 135) return SDLK_F13 + (vk - 124);
    if (vk == 96) return SDLK_KP_0;
    if (vk >= 97 && vk <= 105) return SDLK_KP_1 + (vk - 97);
    for (const KeyPair& p : KEYS)
        if (p.vk == vk) return p.sdl;
    return SDLK_UNKNOWN;
}

bool IO_SDL_HandleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        bool down = event.type == SDL_KEYDOWN;
        int vk = IO_SDL_KeyToVirtual(event.key.keysym.sym);
        if (down && vk == 8) IO_Event_Backspace();
        if (vk == 0) return true;
        if (down && vk == VK_NUMLOCK && !event.key.repeat) IO_SDL_NumLockPressed();
        if (down && event.key.repeat) IO_Event_KeyRepeat(vk);
        else if (vk >= VK_LSHIFT && vk <= VK_RALT) Modifier(vk, down);
        else IO_Event_Key(vk, down);
        return true;
    }
    case SDL_TEXTINPUT:
        IO_Event_Text(event.text.text);
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        IO_Event_MouseMove(0, event.button.x, event.button.y);
        IO_Event_MouseButton(0, MouseButton(event.button.button), event.type == SDL_MOUSEBUTTONDOWN);
        return true;
    case SDL_MOUSEMOTION:
        IO_Event_MouseMove(0, event.motion.x, event.motion.y);
        return true;
    case SDL_MOUSEWHEEL: {
        int steps = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) steps = -steps;
        IO_Event_MouseWheel(0, steps);
        return true;
    }
    default:
        return false;
    }
}
