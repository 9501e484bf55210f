// The interaction built-ins that read the keyboard as SDL sees it and make key events. Keys
// outside 0..255 are ignored.
#include "Function/Function_Interaction_Internal.h"

#include "Code/Arguments.h"
#include "IO/IO.h"
#include "IO/Linux/IO_SDL.h"

#include <SDL2/SDL.h>

namespace {

constexpr int VK_NUMLOCK = 144;

bool KeyValid(int key) { return key >= 0 && key < IO_KEY_COUNT; }

// A key event for our own window: through SDL's queue when SDL runs and knows the key, so it
// arrives as a real one would; straight into the input state otherwise (no window).
void SyntheticKey(int key, bool down)
{
    if (!KeyValid(key)) return;
    SDL_Keycode sym = IO_SDL_VirtualToKey(key);
    if (sym == SDLK_UNKNOWN || !SDL_WasInit(SDL_INIT_EVENTS)) return IO_Event_Key(key, down);
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = sym;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
    if (SDL_PushEvent(&event) != 1) IO_Event_Key(key, down);
}

bool NumLockOn() { return (SDL_GetModState() & KMOD_NUM) != 0; }

}  // namespace

void F_keyboard_check_direct(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    int key = Arg_I(args[0]);
    result->SetReal(KeyValid(key) && IO_SDL_KeyHeldNow(key));
}

void F_keyboard_get_numlock(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(NumLockOn() && !IO_SDL_KeyHeldNow(VK_NUMLOCK));
}

void F_keyboard_set_numlock(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    bool wanted = args[0].GetReal() >= 0.5;
    if (NumLockOn() == wanted) return;
    SDL_SetModState((SDL_Keymod)(SDL_GetModState() ^ KMOD_NUM));
    SyntheticKey(VK_NUMLOCK, true);
    SyntheticKey(VK_NUMLOCK, false);
}

void F_keyboard_key_press(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args) { SyntheticKey(Arg_I(args[0]), true); }
void F_keyboard_key_release(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args) { SyntheticKey(Arg_I(args[0]), false); }
