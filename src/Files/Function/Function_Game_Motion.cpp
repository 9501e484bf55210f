// The motion built-ins: moving self at random, to free places, into contact or out of
// collisions, bouncing and wrapping, motion and distances, paths, planners and motion grids.
#include "Function/Function_Game_Internal.h"

#include "Base/Random.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Motion/Motion_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Path/Path_Main.h"
#include "Room/Instance_Ops.h"
#include "Room/Room_Collision.h"
#include "Room/Room_Main.h"
#include "Sprite/Sprite_Main.h"
#include "Variable/Arguments.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

// Whether the instance's shape comes from a sprite (its sprite or its mask exists).
static bool HasShape(const CInstance* inst) { return Sprite_Exists(inst->sprite_index) || Sprite_Exists(inst->mask_index); }

// One axis of move_random: a random position in [low, high) on the snap grid.
static int64_t RandomCoordinate(int low, int high, int snap)
{
    int64_t span = std::clamp<int64_t>((int64_t)high - low, INT_MIN, INT_MAX);
    int64_t v = low + (int64_t)Random_Int((int)span);
    if (snap > 0) v = (int64_t)std::floor((double)v / snap) * snap;
    return v;
}

void Function_Game_MoveRandom(CInstance* self, int hsnap, int vsnap, int attempts)
{
    if (!self || !Run_Room) return;
    int xmin = 0, xmax = Run_Room->width, ymin = 0, ymax = Run_Room->height;
    if (HasShape(self)) {
        // The whole box stays inside the room.
        self->Compute_BoundingBox();
        xmin = RealToInt((double)self->x - self->bbox_left);
        xmax = RealToInt((double)Run_Room->width + self->x - self->bbox_right);
        ymin = RealToInt((double)self->y - self->bbox_top);
        ymax = RealToInt((double)Run_Room->height + self->y - self->bbox_bottom);
    }
    for (int attempt = 0; attempt < attempts; attempt++) {
        float x = (float)RandomCoordinate(xmin, xmax, hsnap);
        float y = (float)RandomCoordinate(ymin, ymax, vsnap);
        if (Instance_PlaceFree(self, x, y)) {
            self->SetPosition(x, y);
            return;
        }
    }
}

void F_move_random(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Function_Game_MoveRandom(self, Arg_I(args[0]), Arg_I(args[1]), 100);
}

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
    int target = Function_Game_SelfOrOther(Arg_I(args[2]), self, other);
    result->SetReal(Instance_PlaceMeeting(self, Arg_F(args[0]), Arg_F(args[1]), target) ? 1 : 0);
}

void F_place_snapped(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!self) return;
    double hsnap = Arg_F(args[0]), vsnap = Arg_F(args[1]);
    bool onGrid = true;
    if (hsnap > 0) onGrid = onGrid && std::fabs(self->x - std::round(self->x / hsnap) * hsnap) < 0.001;
    if (vsnap > 0) onGrid = onGrid && std::fabs(self->y - std::round(self->y / vsnap) * vsnap) < 0.001;
    result->SetReal(onGrid ? 1 : 0);
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

void F_motion_set(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!self) return;
    self->SetDirection(Arg_F(args[0]));
    self->SetSpeed(Arg_F(args[1]));
}

void F_motion_add(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (self) self->AddMotion(Arg_F(args[0]), Arg_F(args[1]));
}

// The gap from v to the span [low, high] along one axis (0 inside it).
static double Gap(double v, double low, double high) { return v > high ? v - high : (v < low ? v - low : 0.0); }

void F_distance_to_point(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!self) return;
    self->Compute_BoundingBox();
    double dx = Gap(Arg_F(args[0]), self->bbox_left, self->bbox_right);
    double dy = Gap(Arg_F(args[1]), self->bbox_top, self->bbox_bottom);
    result->SetReal(std::sqrt(dx * dx + dy * dy));
}

constexpr double FAR_AWAY = 1000000.0;

// The distance between the bounding boxes of two instances, FAR_AWAY for one instance or a
// destroyed other; in 64-bit integers, as boxes far apart would overflow 32 bits.
static double BoxDistance(CInstance* a, CInstance* b)
{
    if (!a || !b || a == b || b->marked) return FAR_AWAY;
    a->Compute_BoundingBox();
    b->Compute_BoundingBox();
    auto gap = [](int64_t lowA, int64_t highA, int64_t lowB, int64_t highB) -> int64_t {
        if (lowA > highB) return lowA - highB;
        if (highA < lowB) return highA - lowB;
        return 0;
    };
    int64_t dx = gap(a->bbox_left, a->bbox_right, b->bbox_left, b->bbox_right);
    int64_t dy = gap(a->bbox_top, a->bbox_bottom, b->bbox_top, b->bbox_bottom);
    return std::min(FAR_AWAY, std::sqrt((double)dx * dx + (double)dy * dy));
}

void F_distance_to_object(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    int target = Arg_T(args[0]);
    double best = FAR_AWAY;
    if (target == -2) {
        best = BoxDistance(self, other);
    } else {
        for (CInstance* inst : Function_Game_Targets(target)) best = std::min(best, BoxDistance(self, inst));
    }
    result->SetReal(best);
}

void F_path_start(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (self) self->StartPath(Arg_I(args[0]), Arg_F(args[1]), 1.0f, 0.0f, !Arg_B(args[3]), Arg_I(args[2]));
}

void F_path_end(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (self) self->StartPath(-1, 0.0f, 1.0f, 0.0f, false, 0);
}

// The path handlers refuse a path that does not exist before planning.
static bool PathGiven(const TaggedValue& arg)
{
    if (Path_Exists(Arg_I(arg))) return true;
    Error_Show_Action("Trying to assign to a non-existing path.", false);
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
    if (target == -1 || target == -2) Motion_Grid_AddInstance(id, target == -1 ? self : other, precise);
    else
        for (CInstance* inst : Function_Game_Targets(target)) Motion_Grid_AddInstance(id, inst, precise);
}

void F_mp_grid_path(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!PathGiven(args[1])) return;
    result->SetReal(Motion_Grid_Path(Arg_I(args[0]), Arg_I(args[1]), (float)Arg_I(args[2]), (float)Arg_I(args[3]),
                                     (float)Arg_I(args[4]), (float)Arg_I(args[5]), Arg_B(args[6])) ? 1 : 0);
}

void F_mp_grid_draw(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Motion_Grid_Draw(Arg_I(args[0]));
}

void Function_Game_Motion_Add()
{
    Function_Add("move_random", F_move_random, 2);
    Function_Add("place_free", F_place_free, 2);
    Function_Add("place_empty", F_place_empty, 2);
    Function_Add("place_meeting", F_place_meeting, 3);
    Function_Add("place_snapped", F_place_snapped, 2);
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
    Function_Add("motion_set", F_motion_set, 2);
    Function_Add("motion_add", F_motion_add, 2);
    Function_Add("distance_to_point", F_distance_to_point, 2);
    Function_Add("distance_to_object", F_distance_to_object, 1);
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
    Function_Add("mp_grid_draw", F_mp_grid_draw, 1);
}
