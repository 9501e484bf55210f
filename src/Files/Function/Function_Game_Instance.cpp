// The instance built-ins: collision queries, instances by position, counting and finding them,
// creating, copying, changing and destroying them, and deactivating and activating them.
#include "Function/Function_Game_Internal.h"

#include "Code/Error.h"
#include "Code/Function.h"
#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Room/Instance_Ops.h"
#include "Room/Room_Collision.h"
#include "Room/Room_Main.h"
#include "Sprite/Sprite_Main.h"
#include "Variable/Arguments.h"

#include <vector>

void F_collision_point(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Function_Game_SetInstance(result, Collision_AtPoint(self, Arg_F(args[0]), Arg_F(args[1]), Arg_I(args[2]),
                                                        Arg_B(args[3]), Arg_B(args[4])));
}

void F_collision_rectangle(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Function_Game_SetInstance(result, Collision_Rectangle(self, Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]),
                                                          Arg_F(args[3]), Arg_I(args[4]), Arg_B(args[5]),
                                                          Arg_B(args[6])));
}

// A circle is tested as the ellipse of its bounding square.
void F_collision_circle(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    float x = Arg_F(args[0]), y = Arg_F(args[1]), r = Arg_F(args[2]);
    Function_Game_SetInstance(
        result, Collision_Ellipse(self, x - r, y - r, x + r, y + r, Arg_I(args[3]), Arg_B(args[4]), Arg_B(args[5])));
}

void F_collision_ellipse(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Function_Game_SetInstance(result, Collision_Ellipse(self, Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]),
                                                        Arg_F(args[3]), Arg_I(args[4]), Arg_B(args[5]),
                                                        Arg_B(args[6])));
}

void F_collision_line(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Function_Game_SetInstance(result, Collision_Line(self, Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]),
                                                     Arg_F(args[3]), Arg_I(args[4]), Arg_B(args[5]),
                                                     Arg_B(args[6])));
}

// The instance with that id when it is not marked destroyed (also a deactivated one).
static CInstance* LiveById(int id)
{
    CInstance* inst = id >= INSTANCE_ID_FIRST ? Instance_Find(id) : nullptr;
    return inst && !inst->marked ? inst : nullptr;
}

std::vector<CInstance*> Function_Game_Targets(int target)
{
    std::vector<CInstance*> live;
    if (target >= INSTANCE_ID_FIRST) {
        if (CInstance* inst = LiveById(target)) live.push_back(inst);
    } else if (target == -3 || target >= 0) {
        Instance_CollectTargets(target, nullptr, nullptr, live);
    }
    return live;
}

static bool Live(const CInstance* inst) { return inst && !inst->marked; }

void F_instance_find(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(-4);
    int target = Arg_T(args[0]), n = Arg_T(args[1]);
    if (n < 0) return;
    std::vector<CInstance*> live = Function_Game_Targets(target);
    if (n < (int)live.size()) Function_Game_SetInstance(result, live[n]);
}

void F_instance_exists(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    int target = Arg_T(args[0]);
    bool exists;
    if (target == -1) exists = Live(self);
    else if (target == -2) exists = Live(other);
    else exists = !Function_Game_Targets(target).empty();
    result->SetReal(exists ? 1 : 0);
}

void F_instance_number(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    int target = Arg_I(args[0]);
    int n;
    if (target == -1) n = Live(self) ? 1 : 0;
    else if (target == -2) n = Live(other) ? 1 : 0;
    else n = (int)Function_Game_Targets(target).size();
    result->SetReal(n);
}

void F_instance_position(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Function_Game_SetInstance(result, Instance_AtPosition(Arg_F(args[0]), Arg_F(args[1]), Arg_T(args[2])));
}

void F_instance_nearest(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Function_Game_SetInstance(result, Instance_Nearest(Arg_F(args[0]), Arg_F(args[1]), Arg_T(args[2])));
}

void F_instance_furthest(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Function_Game_SetInstance(result, Instance_Furthest(Arg_F(args[0]), Arg_F(args[1]), Arg_T(args[2])));
}

void F_instance_place(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Function_Game_SetInstance(result, Instance_Place(self, Arg_F(args[0]), Arg_F(args[1]), Arg_T(args[2])));
}

void F_instance_create(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(-1);
    if (args[0].IsString() || args[1].IsString() || args[2].IsString()) {
        Error_Show_Action("instance_create( ) error: Illegal type", false);
        return;
    }
    CInstance* inst = Instance_Create(Arg_T(args[2]), Arg_F(args[0]), Arg_F(args[1]));
    if (inst) result->SetReal(inst->id);
}

// The copy takes self's state but keeps its own id, list places, body and life-cycle flags
// (CInstance::Assign), and its own copy of the variables.
void F_instance_copy(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(-4);
    if (!Live(self) || !Run_Room || !Object_Exists(self->object_index)) return;
    CInstance* copy = Run_Room->CreateInstance(self->x, self->y, self->object_index);
    if (!copy) return;
    copy->Assign(self);
    Run_Room->ChangeDepth(copy);  // self's depth may differ from its object's
    if (Arg_B(args[0])) {
        Event_Perform_Instance(copy, copy, EVENT_CREATE, 0);
        copy->created = true;
    }
    result->SetReal(copy->id);
}

void F_instance_change(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_ChangeObject(self, Arg_T(args[0]), Arg_B(args[1]));
}

void F_instance_destroy(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_Destroy(self);
}

void F_instance_sprite(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_SetSprite(self, Arg_T(args[0]));
}

void F_position_empty(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(Collision_PositionMeeting(Arg_F(args[0]), Arg_F(args[1]), -3) ? 0 : 1);
}

void F_position_meeting(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    int target = Function_Game_SelfOrOther(Arg_T(args[2]), self, other);
    result->SetReal(Collision_PositionMeeting(Arg_F(args[0]), Arg_F(args[1]), target) ? 1 : 0);
}

void F_position_destroy(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_DestroyAtPosition(Arg_F(args[0]), Arg_F(args[1]));
}

void F_position_change(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_ChangeAtPosition(Arg_F(args[0]), Arg_F(args[1]), Arg_T(args[2]), Arg_B(args[3]));
}

// Deactivation and activation set or clear the flag of the instances they select, then the room
// moves those whose flag changed between its two lists at once, so no list changes under a walk.

// Sets the flag of every instance given; destroyed instances and those of no room are left.
static void Flag(const std::vector<CInstance*>& list, bool deactivated)
{
    for (CInstance* inst : list)
        if (Live(inst)) inst->deactivated = deactivated;
}

static void Finish()
{
    if (Run_Room) Run_Room->UpdateActivation();
}

// The instances of the active list, without self when notme.
static std::vector<CInstance*> ActiveBut(CInstance* self, bool notme)
{
    std::vector<CInstance*> list;
    if (!Run_Room) return list;
    for (CInstance* inst : Run_Room->active)
        if (!(notme && inst == self)) list.push_back(inst);
    return list;
}

// Whether the instance lies wholly outside the region: by its bounding box when it has a sprite
// or a mask, else by its position.
static bool Outside(CInstance* inst, float left, float top, float right, float bottom)
{
    if (!Sprite_Exists(inst->sprite_index) && !Sprite_Exists(inst->mask_index))
        return inst->x < left || inst->x > right || inst->y < top || inst->y > bottom;
    inst->Compute_BoundingBox();
    return inst->bbox_right < left || inst->bbox_left > right || inst->bbox_bottom < top || inst->bbox_top > bottom;
}

// The instances of the list that inside selects: those touching the region (inside true) or
// those wholly outside it.
static std::vector<CInstance*> InRegion(const std::vector<CInstance*>& from, TaggedValue* args)
{
    float left = Arg_F(args[0]), top = Arg_F(args[1]);
    float right = left + Arg_F(args[2]), bottom = top + Arg_F(args[3]);
    bool inside = Arg_B(args[4]);
    std::vector<CInstance*> list;
    for (CInstance* inst : from)
        if (Outside(inst, left, top, right, bottom) != inside) list.push_back(inst);
    return list;
}

void F_instance_deactivate_all(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Flag(ActiveBut(self, Arg_B(args[0])), true);
    Finish();
}

// The instances of `all` (the list they leave) that a target selects for (de)activation: -1 self,
// -2 other, an id that instance, -3 every one, an object those that are of it or descend from it.
static std::vector<CInstance*> Selected(int target, CInstance* self, CInstance* other,
                                        const std::vector<CInstance*>& all)
{
    std::vector<CInstance*> list;
    CInstance* single = nullptr;
    if (target == -1) single = self;
    else if (target == -2) single = other;
    else if (target >= INSTANCE_ID_FIRST) single = LiveById(target);
    for (CInstance* inst : all) {
        bool of = single ? inst == single
                : target == -3 || (target >= 0 && target < INSTANCE_ID_FIRST &&
                                   (inst->object_index == target ||
                                    (Instance_ObjectIsDescendant && Instance_ObjectIsDescendant(inst->object_index, target))));
        if (of) list.push_back(inst);
    }
    return list;
}

void F_instance_deactivate_object(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!Run_Room) return;
    Flag(Selected(Arg_I(args[0]), self, other, Run_Room->active.Snapshot()), true);
    Finish();
}

void F_instance_deactivate_region(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Flag(InRegion(ActiveBut(self, Arg_B(args[5])), args), true);
    Finish();
}

void F_instance_activate_all(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!Run_Room) return;
    Flag(Run_Room->deactivated.Snapshot(), false);
    Finish();
}

void F_instance_activate_object(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!Run_Room) return;
    Flag(Selected(Arg_I(args[0]), self, other, Run_Room->deactivated.Snapshot()), false);
    Finish();
}

void F_instance_activate_region(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!Run_Room) return;
    Flag(InRegion(Run_Room->deactivated.Snapshot(), args), false);
    Finish();
}

void Function_Game_Instance_Add()
{
    Function_Add("collision_point", F_collision_point, 5);
    Function_Add("collision_rectangle", F_collision_rectangle, 7);
    Function_Add("collision_circle", F_collision_circle, 6);
    Function_Add("collision_ellipse", F_collision_ellipse, 7);
    Function_Add("collision_line", F_collision_line, 7);
    Function_Add("instance_find", F_instance_find, 2);
    Function_Add("instance_exists", F_instance_exists, 1);
    Function_Add("instance_number", F_instance_number, 1);
    Function_Add("instance_position", F_instance_position, 3);
    Function_Add("instance_nearest", F_instance_nearest, 3);
    Function_Add("instance_furthest", F_instance_furthest, 3);
    Function_Add("instance_place", F_instance_place, 3);
    Function_Add("instance_create", F_instance_create, 3);
    Function_Add("instance_copy", F_instance_copy, 1);
    Function_Add("instance_change", F_instance_change, 2);
    Function_Add("instance_destroy", F_instance_destroy, 0);
    Function_Add("instance_sprite", F_instance_sprite, 1);
    Function_Add("position_empty", F_position_empty, 2);
    Function_Add("position_meeting", F_position_meeting, 3);
    Function_Add("position_destroy", F_position_destroy, 2);
    Function_Add("position_change", F_position_change, 4);
    Function_Add("instance_deactivate_all", F_instance_deactivate_all, 1);
    Function_Add("instance_deactivate_object", F_instance_deactivate_object, 1);
    Function_Add("instance_deactivate_region", F_instance_deactivate_region, 6);
    Function_Add("instance_activate_all", F_instance_activate_all, 0);
    Function_Add("instance_activate_object", F_instance_activate_object, 1);
    Function_Add("instance_activate_region", F_instance_activate_region, 5);
}
