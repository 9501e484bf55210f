// The actions of motion, instances and sprites, alarms and time lines. Each acts on self and
// does nothing without it.
#include "Function/Function_Action_Internal.h"

#include "Base/Random.h"
#include "Code/Error.h"
#include "Function/Function_Game_Internal.h"
#include "Motion/Motion_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Room/Instance_Ops.h"
#include "Room/Room_Collision.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "Variable/Arguments.h"
#include "Variable/Variable_Main.h"

#include <cstring>

namespace {

// A value of the running action: the argument, or current + the argument when relative.
float Relative(float current, const TaggedValue& a)
{
    return Argument_Relative ? current + Arg_F(a) : Arg_F(a);
}

// The object a create action names (truncated): reported and -1 when it does not exist, so that
// the existence test and the creation use the same index.
int CreatedObject(const TaggedValue& a)
{
    int object = Arg_T(a);
    if (Object_Exists(object)) return object;
    Error_Show_Action(("Creating instance for non-existing object: " + std::to_string(object)).c_str(), false);
    return -1;
}

}  // namespace

void F_action_set_relative(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Argument_Relative = Arg_B(args[0]) ? 1 : 0;
}

// The nine characters lie as on a numeric keypad, from the bottom row up; the middle one stops.
void F_action_move(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    static const float kDirections[9] = {225, 270, 315, 180, 0, 0, 135, 90, 45};
    const char* directions = Arg_S(args[0]);
    if (!args[0].IsString() || args[0].GetLength() != 9 || strlen(directions) != 9) {
        Error_Show_Action("Wrong argument to action_move().", false);
        return;
    }
    if (!self || !strchr(directions, '1')) return;
    self->SetSpeed(Relative(self->speed, args[1]));
    int index;
    do index = Random_Int(9);
    while (directions[index] != '1');
    if (index == 4) self->SetSpeed(0.0f);
    self->SetDirection(kDirections[index]);
}

void F_action_set_motion(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (!self) return;
    if (Argument_Relative) {
        self->AddMotion(Arg_F(args[0]), Arg_F(args[1]));
    } else {
        self->SetDirection(Arg_F(args[0]));
        self->SetSpeed(Arg_F(args[1]));
    }
}

void F_action_set_hspeed(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self) self->SetHSpeed(Relative(self->hspeed, args[0]));
}

void F_action_set_vspeed(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self) self->SetVSpeed(Relative(self->vspeed, args[0]));
}

void F_action_set_gravity(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (!self) return;
    self->gravity_direction = Relative(self->gravity_direction, args[0]);
    self->gravity = Relative(self->gravity, args[1]);
}

void F_action_set_friction(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self) self->friction = Relative(self->friction, args[0]);
}

void F_action_move_point(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self) Instance_MoveTowardsPoint(self, Action_X(args[0], self), Action_Y(args[1], self), Arg_F(args[2]));
}

void F_action_move_to(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self) self->SetPosition(Action_X(args[0], self), Action_Y(args[1], self));
}

void F_action_move_start(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue*)
{
    if (self) self->SetPosition(self->xstart, self->ystart);
}

void F_action_move_random(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    Function_Game_MoveRandom(self, Arg_I(args[0]), Arg_I(args[1]), 99);
}

// Wraps once the sprite has left the room: the margin is its width horizontally and its height
// vertically (0 without a sprite).
void F_action_wrap(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (!self) return;
    int direction = Arg_I(args[0]);
    const CSprite* sprite = Sprite_Get(self->sprite_index);
    if (direction == 0 || direction == 2) Instance_MoveWrap(self, true, false, sprite ? (float)sprite->m_width : 0.0f);
    if (direction == 1 || direction == 2) Instance_MoveWrap(self, false, true, sprite ? (float)sprite->m_height : 0.0f);
}

void F_action_reverse_xdir(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue*)
{
    if (self) self->SetHSpeed(-self->hspeed);
}

void F_action_reverse_ydir(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue*)
{
    if (self) self->SetVSpeed(-self->vspeed);
}

void F_action_move_contact(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self) Instance_MoveContact(self, Arg_F(args[0]), Arg_F(args[1]), !Arg_B(args[2]));
}

// Against all instances only when the flag is exactly 1.
void F_action_bounce(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self) Instance_Bounce(self, Arg_B(args[0]), args[1].GetReal() != 1.0);
}

void F_action_path_position(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self) self->SetPathPosition(Relative(self->path_position, args[0]));
}

void F_action_path_speed(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self) self->SetPathSpeed(Relative(self->path_speed, args[0]));
}

void F_action_linear_step(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self) Motion_Linear_Step(self, Action_X(args[0], self), Action_Y(args[1], self), Arg_F(args[2]), -3, Arg_B(args[3]));
}

void F_action_potential_step(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self)
        Motion_Potential_Step(self, Action_X(args[0], self), Action_Y(args[1], self), Arg_F(args[2]), -3, Arg_B(args[3]));
}

void F_action_kill_object(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue*)
{
    if (self) Instance_Destroy(self);
}

void F_action_create_object(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    int object = CreatedObject(args[0]);
    if (object >= 0) Instance_Create(object, Action_X(args[1], self), Action_Y(args[2], self));
}

// The speed, then the direction, are set before the create event runs.
void F_action_create_object_motion(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    int object = CreatedObject(args[0]);
    if (object < 0) return;
    CInstance* inst = Instance_Make(object, Action_X(args[1], self), Action_Y(args[2], self));
    if (!inst) return;
    inst->SetSpeed(Arg_F(args[3]));
    inst->SetDirection(Arg_F(args[4]));
    Instance_RunCreate(inst);
}

// One of the four objects that exist, drawn at random; nothing when none does.
void F_action_create_object_random(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    int objects[4];
    bool any = false;
    for (int i = 0; i < 4; i++) {
        objects[i] = Arg_T(args[i]);
        any = any || Object_Exists(objects[i]);
    }
    if (!any) return;
    int object;
    do object = objects[Random_Int(4)];
    while (!Object_Exists(object));
    Instance_Create(object, Action_X(args[4], self), Action_Y(args[5], self));
}

void F_action_kill_position(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    Instance_DestroyAtPosition(Action_X(args[0], self), Action_Y(args[1], self));
}

void F_action_set_sprite(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (!self) return;
    Instance_SetSprite(self, Arg_I(args[0]));
    float scale = Arg_F(args[1]);
    if (scale > 0) {
        self->SetImageXScale(scale);
        self->SetImageYScale(scale);
    }
}

void F_action_sprite_set(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (!self) return;
    self->SetSprite(Arg_I(args[0]));
    if (Arg_F(args[1]) >= 0) self->image_index = Arg_F(args[1]);
    self->image_speed = Arg_F(args[2]);
}

// Mirror 1 flips horizontally, 2 vertically, 3 both.
void F_action_sprite_transform(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (!self) return;
    float xscale = Arg_F(args[0]), yscale = Arg_F(args[1]);
    int mirror = Arg_I(args[3]);
    if (mirror == 1 || mirror == 3) xscale = -xscale;
    if (mirror == 2 || mirror == 3) yscale = -yscale;
    self->SetImageXScale(xscale);
    self->SetImageYScale(yscale);
    self->SetImageAngle(Arg_F(args[2]));
}

void F_action_sprite_color(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (!self) return;
    self->image_blend = Arg_I(args[0]);
    self->image_alpha = Arg_F(args[1]);
}

// Relative adds to an alarm that is set (0 or more); an unset one takes the value.
void F_action_set_alarm(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    int alarm = Arg_I(args[1]);
    if (!self || alarm < 0 || alarm >= ALARM_COUNT) return;
    int current = self->GetAlarm(alarm);
    int value = Arg_I(args[0]);
    self->SetAlarm(alarm, current >= 0 ? Action_Counter(current, value) : value);
}

void F_action_set_timeline(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (!self) return;
    self->timeline_index = Arg_I(args[0]);
    self->timeline_position = Arg_F(args[1]);
    self->timeline_running = true;
}

void F_action_set_timeline_position(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self) self->timeline_position = Relative(self->timeline_position, args[0]);
}

void F_action_set_timeline_speed(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (self) self->timeline_speed = Relative(self->timeline_speed, args[0]);
}

// start 0 starts the time line at once; loop 1 loops it.
void F_action_timeline_set(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    if (!self) return;
    self->timeline_index = Arg_I(args[0]);
    self->timeline_position = Arg_F(args[1]);
    self->timeline_running = args[2].GetReal() == 0.0;
    self->timeline_loop = args[3].GetReal() == 1.0;
}

void F_action_timeline_start(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue*)
{
    if (self) self->timeline_running = true;
}

void F_action_timeline_pause(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue*)
{
    if (self) self->timeline_running = false;
}

void F_action_timeline_stop(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue*)
{
    if (!self) return;
    self->timeline_position = 0.0f;
    self->timeline_running = false;
}
