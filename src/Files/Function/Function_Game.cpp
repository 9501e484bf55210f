#include "Function/Function_Game.h"

#include "Base/Console.h"
#include "Code/Arguments.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Instance_Ops.h"
#include "Object/Object_Class.h"
#include "Motion/Motion_Main.h"
#include "Path/Path_Main.h"
#include "Room/Room_Collision.h"
#include "Room/Room_Main.h"
#include "Run/Run_Save.h"
#include "Support/LoadSave.h"

#include <string>
#include <vector>

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

// The instance that a target of -1 or -2 stands for where a handler allows them, else the target.
static int SelfOrOther(int target, CInstance* self, CInstance* other)
{
    if (target == -1 && self) return self->id;
    if (target == -2 && other) return other->id;
    return target;
}

static void SetInstance(TaggedValue* result, CInstance* inst) { result->SetReal(inst ? inst->id : -4); }

void F_place_free(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(Instance_PlaceFree(self, Arg_F(args[0]), Arg_F(args[1])) ? 1 : 0);
}

void F_place_empty(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(Instance_PlaceEmpty(self, Arg_F(args[0]), Arg_F(args[1])) ? 1 : 0);
}

void F_place_meeting(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    int target = SelfOrOther(Arg_I(args[2]), self, other);
    result->SetReal(Instance_PlaceMeeting(self, Arg_F(args[0]), Arg_F(args[1]), target) ? 1 : 0);
}

void F_move_snap(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_MoveSnap(self, Arg_F(args[0]), Arg_F(args[1]));
}

void F_move_towards_point(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_MoveTowardsPoint(self, Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]));
}

void F_move_contact(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!self) return;
    if (Instance_PlaceFree(self, self->x, self->y)) Instance_MoveContact(self, Arg_F(args[0]), -1, true);
    else Instance_MoveOutside(self, Arg_F(args[0]), -1, true);
}

void F_move_contact_solid(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_MoveContact(self, Arg_F(args[0]), Arg_F(args[1]), true);
}

void F_move_contact_all(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_MoveContact(self, Arg_F(args[0]), Arg_F(args[1]), false);
}

void F_move_outside_solid(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_MoveOutside(self, Arg_F(args[0]), Arg_F(args[1]), true);
}

void F_move_outside_all(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_MoveOutside(self, Arg_F(args[0]), Arg_F(args[1]), false);
}

void F_move_bounce(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_Bounce(self, Arg_B(args[0]), true);
}

void F_move_bounce_all(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_Bounce(self, Arg_B(args[0]), false);
}

void F_move_wrap(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Instance_MoveWrap(self, Arg_B(args[0]), Arg_B(args[1]), Arg_F(args[2]));
}

// The path handlers refuse a path that does not exist before planning.
static bool PathGiven(const TaggedValue& arg)
{
    if (Path_Exists(Arg_I(arg))) return true;
    Error_Show("Trying to assign to a non-existing path.", false);
    return false;
}

void F_mp_linear_step(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(Motion_Linear_Step(self, Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), -3, Arg_B(args[3])));
}

void F_mp_linear_path(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!PathGiven(args[0])) return;
    result->SetReal(Motion_Linear_Path(self, Arg_I(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), -3,
                                       Arg_B(args[4])));
}

void F_mp_linear_step_object(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(Motion_Linear_Step(self, Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_I(args[3]), true));
}

void F_mp_linear_path_object(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!PathGiven(args[0])) return;
    result->SetReal(Motion_Linear_Path(self, Arg_I(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]),
                                       Arg_I(args[4]), true));
}

void F_mp_potential_settings(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Motion_Potential_Settings(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_B(args[3]));
}

void F_mp_potential_step(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(Motion_Potential_Step(self, Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), -3, Arg_B(args[3])));
}

void F_mp_potential_path(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!PathGiven(args[0])) return;
    result->SetReal(Motion_Potential_Path(self, Arg_I(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]),
                                          Arg_F(args[4]), -3, Arg_B(args[5])));
}

void F_mp_potential_step_object(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(
        Motion_Potential_Step(self, Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_I(args[3]), true));
}

void F_mp_potential_path_object(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!PathGiven(args[0])) return;
    result->SetReal(Motion_Potential_Path(self, Arg_I(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]),
                                          Arg_F(args[4]), Arg_I(args[5]), true));
}

void F_mp_grid_create(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(Motion_Grid_Create(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]),
                                       Arg_I(args[4]), Arg_I(args[5])));
}

void F_mp_grid_destroy(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Motion_Grid_Destroy(Arg_I(args[0]));
}

void F_mp_grid_clear_all(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Motion_Grid_ClearAll(Arg_I(args[0]));
}

void F_mp_grid_clear_cell(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Motion_Grid_ClearCell(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]));
}

void F_mp_grid_clear_rectangle(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Motion_Grid_ClearRectangle(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4]));
}

void F_mp_grid_add_cell(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Motion_Grid_AddCell(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]));
}

void F_mp_grid_add_rectangle(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Motion_Grid_AddRectangle(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4]));
}

void F_mp_grid_add_instances(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    int id = Arg_I(args[0]), target = Arg_I(args[1]);
    bool precise = Arg_B(args[2]);
    if (target == -3 || target >= 0) {
        std::vector<CInstance*> list;
        Instance_CollectTargets(target, self, other, list);
        for (CInstance* inst : list) Motion_Grid_AddInstance(id, inst, precise);
    } else if (target == -1 || target == -2) {
        Motion_Grid_AddInstance(id, target == -1 ? self : other, precise);
    }
}

void F_mp_grid_path(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!PathGiven(args[1])) return;
    result->SetReal(Motion_Grid_Path(Arg_I(args[0]), Arg_I(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]),
                                     Arg_F(args[5]), Arg_B(args[6])) ? 1 : 0);
}

void F_collision_point(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    SetInstance(result, Collision_AtPoint(self, Arg_F(args[0]), Arg_F(args[1]), Arg_I(args[2]), Arg_B(args[3]),
                                          Arg_B(args[4])));
}

void F_collision_rectangle(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    SetInstance(result, Collision_Rectangle(self, Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]),
                                            Arg_I(args[4]), Arg_B(args[5]), Arg_B(args[6])));
}

void F_collision_circle(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    float x = Arg_F(args[0]), y = Arg_F(args[1]), r = Arg_F(args[2]);
    SetInstance(result, Collision_Ellipse(self, x - r, y - r, x + r, y + r, Arg_I(args[3]), Arg_B(args[4]), Arg_B(args[5])));
}

void F_collision_ellipse(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    SetInstance(result, Collision_Ellipse(self, Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]),
                                          Arg_I(args[4]), Arg_B(args[5]), Arg_B(args[6])));
}

void F_collision_line(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    SetInstance(result, Collision_Line(self, Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]),
                                       Arg_I(args[4]), Arg_B(args[5]), Arg_B(args[6])));
}

void F_instance_position(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    SetInstance(result, Instance_AtPosition(Arg_F(args[0]), Arg_F(args[1]), Arg_T(args[2])));
}

void F_instance_nearest(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    SetInstance(result, Instance_Nearest(Arg_F(args[0]), Arg_F(args[1]), Arg_T(args[2])));
}

void F_instance_furthest(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    SetInstance(result, Instance_Furthest(Arg_F(args[0]), Arg_F(args[1]), Arg_T(args[2])));
}

void F_instance_place(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    SetInstance(result, Instance_Place(self, Arg_F(args[0]), Arg_F(args[1]), Arg_T(args[2])));
}

void F_position_empty(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(Collision_PositionMeeting(Arg_F(args[0]), Arg_F(args[1]), -3) ? 0 : 1);
}

void F_position_meeting(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    int target = SelfOrOther(Arg_T(args[2]), self, other);
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

void F_game_load(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(-1);
    if (argc != 1 || !args[0].IsString()) return;
    const char* name = Arg_S(args[0]);
    char path[1024];
    bool found = (LoadSave_SaveFileExists(name) && LoadSave_SavePath(path, sizeof path, name)) ||
                 (LoadSave_BundleFileExists(name) && LoadSave_BundlePath(path, sizeof path, name));
    result->SetReal(found ? 1 : 0);
    if (found) LoadGame_Pending(path);
    else Console_Debug->Output("game_load - unable to find file %s\n", name);
}

void F_game_save(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    result->SetReal(-1);
    if (argc != 1 || !args[0].IsString()) return;
    char path[1024];
    if (LoadSave_SavePath(path, sizeof path, Arg_S(args[0]))) Game_Save(path);
    else Error_Show((std::string("Unable to save the game to file ") + Arg_S(args[0])).c_str(), false);
}

void Function_Game_Init()
{
    Function_Add("place_free", F_place_free, 2);
    Function_Add("place_empty", F_place_empty, 2);
    Function_Add("place_meeting", F_place_meeting, 3);
    Function_Add("move_snap", F_move_snap, 2);
    Function_Add("move_towards_point", F_move_towards_point, 3);
    Function_Add("move_contact", F_move_contact, 1);
    Function_Add("move_contact_solid", F_move_contact_solid, 2);
    Function_Add("move_contact_all", F_move_contact_all, 2);
    Function_Add("move_outside_solid", F_move_outside_solid, 2);
    Function_Add("move_outside_all", F_move_outside_all, 2);
    Function_Add("move_bounce", F_move_bounce, 1);
    Function_Add("move_bounce_solid", F_move_bounce, 1);
    Function_Add("move_bounce_all", F_move_bounce_all, 1);
    Function_Add("move_wrap", F_move_wrap, 3);
    Function_Add("path_start", F_path_start, 4);
    Function_Add("path_end", F_path_end, 0);
    Function_Add("mp_linear_step", F_mp_linear_step, 4);
    Function_Add("mp_linear_path", F_mp_linear_path, 5);
    Function_Add("mp_linear_step_object", F_mp_linear_step_object, 4);
    Function_Add("mp_linear_path_object", F_mp_linear_path_object, 5);
    Function_Add("mp_potential_settings", F_mp_potential_settings, 4);
    Function_Add("mp_potential_step", F_mp_potential_step, 4);
    Function_Add("mp_potential_path", F_mp_potential_path, 6);
    Function_Add("mp_potential_step_object", F_mp_potential_step_object, 4);
    Function_Add("mp_potential_path_object", F_mp_potential_path_object, 6);
    Function_Add("mp_grid_create", F_mp_grid_create, 6);
    Function_Add("mp_grid_destroy", F_mp_grid_destroy, 1);
    Function_Add("mp_grid_clear_all", F_mp_grid_clear_all, 1);
    Function_Add("mp_grid_clear_cell", F_mp_grid_clear_cell, 3);
    Function_Add("mp_grid_clear_rectangle", F_mp_grid_clear_rectangle, 5);
    Function_Add("mp_grid_add_cell", F_mp_grid_add_cell, 3);
    Function_Add("mp_grid_add_rectangle", F_mp_grid_add_rectangle, 5);
    Function_Add("mp_grid_add_instances", F_mp_grid_add_instances, 3);
    Function_Add("mp_grid_path", F_mp_grid_path, 7);
    Function_Add("collision_point", F_collision_point, 5);
    Function_Add("collision_rectangle", F_collision_rectangle, 7);
    Function_Add("collision_circle", F_collision_circle, 6);
    Function_Add("collision_ellipse", F_collision_ellipse, 7);
    Function_Add("collision_line", F_collision_line, 7);
    Function_Add("instance_number", F_instance_number, 1);
    Function_Add("instance_position", F_instance_position, 3);
    Function_Add("instance_nearest", F_instance_nearest, 3);
    Function_Add("instance_furthest", F_instance_furthest, 3);
    Function_Add("instance_place", F_instance_place, 3);
    Function_Add("instance_create", F_instance_create, 3);
    Function_Add("instance_change", F_instance_change, 2);
    Function_Add("instance_destroy", F_instance_destroy, 0);
    Function_Add("position_empty", F_position_empty, 2);
    Function_Add("position_meeting", F_position_meeting, 3);
    Function_Add("position_destroy", F_position_destroy, 2);
    Function_Add("position_change", F_position_change, 4);
    Function_Add("room_goto", F_room_goto, 1);
    Function_Add("room_goto_previous", F_room_goto_previous, 0);
    Function_Add("room_goto_next", F_room_goto_next, 0);
    Function_Add("room_restart", F_room_restart, 0);
    Function_Add("game_end", F_game_end, 0);
    Function_Add("game_restart", F_game_restart, 0);
    Function_Add("game_load", F_game_load, 1);
    Function_Add("game_save", F_game_save, 1);
    Function_Add("event_inherited", F_event_inherited, 0);
    Function_Add("event_perform", F_event_perform, 2);
    Function_Add("event_user", F_event_user, 1);
}
