#include "Function/Function_Game.h"

#include "Code/Arguments.h"
#include "Code/Function.h"
#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Instance_Ops.h"
#include "Object/Object_Class.h"
#include "Path/Path_Main.h"
#include "Room/Room_Main.h"

void F_instance_create(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    CInstance* inst = Instance_Create(Arg_T(args[2]), Arg_F(args[0]), Arg_F(args[1]));
    result->SetReal(inst ? inst->id : -4);
}

void F_instance_destroy(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_Destroy(self);
}

void F_instance_change(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_ChangeObject(self, Arg_T(args[0]), Arg_B(args[1]));
}

void F_instance_number(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(Instance_Number(Arg_T(args[0])));
}

void F_room_goto(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Room_Goto(Arg_T(args[0]));
}

void F_room_goto_previous(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Room_GotoPrevious();
}

void F_room_goto_next(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Room_GotoNext();
}

void F_room_restart(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Room_Restart();
}

void F_game_end(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args) { Game_End(); }
void F_game_restart(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args) { Game_Restart(); }

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

void F_path_start(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (self) self->StartPath(Arg_T(args[0]), Arg_F(args[1]), 1.0f, 0.0f, !Arg_B(args[3]), Arg_I(args[2]));
}

void F_path_end(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (self) self->StartPath(-1, 0.0f, 1.0f, 0.0f, false, 0);
}

void Function_Game_Init()
{
    Function_Add("instance_create", F_instance_create, 3);
    Function_Add("instance_destroy", F_instance_destroy, 0);
    Function_Add("instance_change", F_instance_change, 2);
    Function_Add("instance_number", F_instance_number, 1);
    Function_Add("room_goto", F_room_goto, 1);
    Function_Add("room_goto_previous", F_room_goto_previous, 0);
    Function_Add("room_goto_next", F_room_goto_next, 0);
    Function_Add("room_restart", F_room_restart, 0);
    Function_Add("game_end", F_game_end, 0);
    Function_Add("game_restart", F_game_restart, 0);
    Function_Add("event_inherited", F_event_inherited, 0);
    Function_Add("event_perform", F_event_perform, 2);
    Function_Add("event_user", F_event_user, 1);
    Function_Add("path_start", F_path_start, 4);
    Function_Add("path_end", F_path_end, 0);
}
