// Scripts (their text and running them), paths (queries and edits) and time lines.
#include "Function/Function_Resource_Internal.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Variable/Arguments.h"
#include "Function/Function_Misc.h"
#include "Path/Path_Main.h"
#include "Script/Script_Main.h"
#include "TimeLine/TimeLine_Main.h"
#include "Variable/Variable_Main.h"

#include <algorithm>

#define PATH_BUILTIN(name) void F_##name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)

namespace {

CPath* PathAt(const TaggedValue& a)
{
    return Path_Get(Arg_I(a));
}

// An edit of an existing path; one that finds no memory for a point leaves the path as it was
// (and the call reports it).
template <class F>
void EditPath(const TaggedValue* args, F edit)
{
    if (CPath* path = PathAt(args[0])) MemoryManager_Try([&] { edit(*path); });
}

// A point field: point n, a zero point out of range.
template <class F>
void PointField(TaggedValue* result, const TaggedValue* args, F field)
{
    int n = Arg_I(args[1]);
    Resource_Field(result, PathAt(args[0]), [&](const CPath& p) { return field(p.GetPoint(n)); });
}

// A field of the position at the fraction pos (0..1) along the path.
template <class F>
void PositionField(TaggedValue* result, const TaggedValue* args, F field)
{
    float pos = Arg_F(args[1]);
    Resource_Field(result, PathAt(args[0]), [&](const CPath& p) { return field(p.GetPointAt(pos)); });
}

}  // namespace

PATH_BUILTIN(script_exists) { Resource_SetFlag(result, Script_Exists(Arg_I(args[0]))); }
PATH_BUILTIN(script_get_name) { result->SetString(Script_GetName(Arg_I(args[0]))); }

PATH_BUILTIN(script_get_text)
{
    const CScript* script = Script_GetScript(Arg_I(args[0]));
    result->SetString(script ? script->GetText() : "");
}

// (ind, arg0, ...): at most 15 values after the index reach the script; the rest are dropped.
void F_script_execute(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (!Resource_Require(argc >= 1 && Script_Exists(Arg_I(args[0])), "Trying to execute non-existing script.")) return;
    Function_ExecuteScript(Arg_I(args[0]), self, other, std::min(argc, ARGUMENT_SLOTS) - 1, args + 1, result);
}

PATH_BUILTIN(path_exists) { Resource_SetFlag(result, Path_Exists(Arg_I(args[0]))); }
PATH_BUILTIN(path_get_name) { result->SetString(Path_GetName(Arg_I(args[0]))); }
PATH_BUILTIN(path_get_length) { Resource_Field(result, PathAt(args[0]), [](const CPath& p) { return p.GetLength(); }); }
PATH_BUILTIN(path_get_kind) { Resource_Field(result, PathAt(args[0]), [](const CPath& p) { return p.GetKind(); }); }
PATH_BUILTIN(path_get_closed) { Resource_Field(result, PathAt(args[0]), [](const CPath& p) { return p.GetClosed(); }); }
PATH_BUILTIN(path_get_precision) { Resource_Field(result, PathAt(args[0]), [](const CPath& p) { return p.GetPrecision(); }); }
PATH_BUILTIN(path_get_number) { Resource_Field(result, PathAt(args[0]), [](const CPath& p) { return p.GetCount(); }); }
PATH_BUILTIN(path_get_point_x) { PointField(result, args, [](const PathPoint& p) { return p.x; }); }
PATH_BUILTIN(path_get_point_y) { PointField(result, args, [](const PathPoint& p) { return p.y; }); }
PATH_BUILTIN(path_get_point_speed) { PointField(result, args, [](const PathPoint& p) { return p.speed; }); }
PATH_BUILTIN(path_get_x) { PositionField(result, args, [](const PathPoint& p) { return p.x; }); }
PATH_BUILTIN(path_get_y) { PositionField(result, args, [](const PathPoint& p) { return p.y; }); }
PATH_BUILTIN(path_get_speed) { PositionField(result, args, [](const PathPoint& p) { return p.speed; }); }

// Kinds other than 0 and 1 become 0; precisions are kept within 0..8.
PATH_BUILTIN(path_set_kind) { EditPath(args, [&](CPath& p) { p.SetKind(Arg_I(args[1])); }); }
PATH_BUILTIN(path_set_closed) { EditPath(args, [&](CPath& p) { p.SetClosed(Arg_BD(args[1])); }); }
PATH_BUILTIN(path_set_precision) { EditPath(args, [&](CPath& p) { p.SetPrecision(Arg_I(args[1])); }); }

PATH_BUILTIN(path_add) { result->SetReal(Path_Add()); }

PATH_BUILTIN(path_duplicate)
{
    if (Resource_Require(Path_Exists(Arg_I(args[0])), "Trying to duplicate non-existing path."))
        result->SetReal(Path_Duplicate(Arg_I(args[0])));
}

// A path assigned to itself is refused (with its own message first).
PATH_BUILTIN(path_assign)
{
    Resource_Require(Path_Assign(Arg_I(args[0]), Arg_I(args[1])), "Error assigning a path.");
}

// A path appended to itself gets its points twice.
PATH_BUILTIN(path_append)
{
    CPath* path = PathAt(args[0]);
    if (!Resource_Require(path, "Appending to non-existing path.")) return;
    const CPath* other = PathAt(args[1]);
    if (Resource_Require(other, "Appending a non-existing path.")) path->Append(*other);
}

// Instances that follow a deleted path stop following it at their next step.
PATH_BUILTIN(path_delete)
{
    if (Resource_Require(Path_Exists(Arg_I(args[0])), "Trying to delete non-existing path."))
        Resource_SetFlag(result, Path_Delete(Arg_I(args[0])));
}

// Points: inserting before a point number outside the path puts the point at the nearer end;
// changing or deleting one outside it does nothing.
PATH_BUILTIN(path_add_point) { EditPath(args, [&](CPath& p) { p.AddPoint(Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3])); }); }
PATH_BUILTIN(path_insert_point)
{
    EditPath(args, [&](CPath& p) { p.InsertPoint(Arg_I(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4])); });
}
PATH_BUILTIN(path_change_point)
{
    EditPath(args, [&](CPath& p) { p.ChangePoint(Arg_I(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4])); });
}
PATH_BUILTIN(path_delete_point) { EditPath(args, [&](CPath& p) { p.DeletePoint(Arg_I(args[1])); }); }
PATH_BUILTIN(path_clear_points) { EditPath(args, [](CPath& p) { p.Clear(); }); }
PATH_BUILTIN(path_reverse) { EditPath(args, [](CPath& p) { p.Reverse(); }); }

// Mirroring, flipping, turning and scaling work about the centre of the points' bounding box.
PATH_BUILTIN(path_mirror) { EditPath(args, [](CPath& p) { p.MirrorX(); }); }
PATH_BUILTIN(path_flip) { EditPath(args, [](CPath& p) { p.FlipY(); }); }
PATH_BUILTIN(path_rotate) { EditPath(args, [&](CPath& p) { p.Rotate(Arg_F(args[1])); }); }
PATH_BUILTIN(path_rescale) { EditPath(args, [&](CPath& p) { p.Rescale(Arg_F(args[1]), Arg_F(args[2])); }); }
PATH_BUILTIN(path_shift) { EditPath(args, [&](CPath& p) { p.Shift(Arg_F(args[1]), Arg_F(args[2])); }); }

PATH_BUILTIN(timeline_exists) { Resource_SetFlag(result, TimeLine_Exists(Arg_I(args[0]))); }
PATH_BUILTIN(timeline_get_name) { result->SetString(TimeLine_GetName(Arg_I(args[0]))); }
PATH_BUILTIN(timeline_add) { result->SetReal(TimeLine_Add()); }

// Instances running a deleted time line find no moment in it from then on.
PATH_BUILTIN(timeline_delete)
{
    if (Resource_Require(TimeLine_Exists(Arg_I(args[0])), "Trying to delete non-existing timeline."))
        Resource_SetFlag(result, TimeLine_Delete(Arg_I(args[0])));
}

// (ind, step): removes the moment at exactly that step, if there is one.
PATH_BUILTIN(timeline_moment_clear)
{
    if (CTimeLine* line = TimeLine_Get(Arg_I(args[0]))) line->ClearMoment(Arg_I(args[1]));
}

PATH_BUILTIN(timeline_moment_add)
{
    Console_Debug->Output("timeline_moment_add :: deprecated function\n");
}
