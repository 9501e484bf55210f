#include "Function/Function_Game.h"

#include "Code/Arguments.h"
#include "Code/Function.h"
#include "Function/Function_Game_Internal.h"
#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"

void F_event_inherited(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Event_Inherited(self, other);
}

void F_event_perform(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (self) Event_Perform(self, other, self->object_index, Arg_I(args[0]), Arg_I(args[1]));
}

void F_event_user(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    int n = Arg_I(args[0]);
    if (self && n >= 0 && n <= 15) Event_Perform(self, other, self->object_index, EVENT_OTHER, OTHER_USER0 + n);
}

void Function_Game_Init()
{
    Function_Game_Motion_Add();
    Function_Game_Instance_Add();
    Function_Game_Room_Add();
    // The event built-ins, until the family that performs events by name registers them.
    Function_Add("event_inherited", F_event_inherited, 0);
    Function_Add("event_perform", F_event_perform, 2);
    Function_Add("event_user", F_event_user, 1);
}
