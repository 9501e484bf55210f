// The interaction built-ins that read the keyboard as the system sees it and make key events.
// Keys outside 0..255 are ignored.
#include "Function/Function_Interaction_Internal.h"

#include "IO/IO.h"
#include "Variable/Arguments.h"

namespace {

constexpr int VK_NUMLOCK = 144;

}  // namespace

void F_keyboard_check_direct(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(IO_KeyDirect(Arg_I(args[0])));
}

void F_keyboard_get_numlock(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetReal(IO_NumLock_Get() && !IO_KeyDirectHeld(VK_NUMLOCK));
}

void F_keyboard_set_numlock(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    bool wanted = args[0].GetReal() >= 0.5;
    if (IO_NumLock_Get() == wanted) return;
    IO_NumLock_Set(wanted);
    IO_Event_SyntheticKey(VK_NUMLOCK, true);
    IO_Event_SyntheticKey(VK_NUMLOCK, false);
}

void F_keyboard_key_press(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    IO_Event_SyntheticKey(Arg_I(args[0]), true);
}

void F_keyboard_key_release(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    IO_Event_SyntheticKey(Arg_I(args[0]), false);
}
