// Objects (their fields, parents and events) and rooms (the room resources and their creation
// records). Rooms edit the resource: the running room is a copy of it, so a change shows the
// next time the room is made.
#include "Function/Function_Resource_Internal.h"
#include "Background/Background_Main.h"
#include "Base/Console.h"
#include "Variable/Arguments.h"
#include "Code/Error.h"
#include "Object/Object_Main.h"
#include "Room/Room_Main.h"

#include <string>

#define ROOM_BUILTIN(name) void F_##name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)

namespace {

CObject* ObjectAt(const TaggedValue& a)
{
    return Object_Find(Arg_I(a));
}

template <class F>
void EditObject(const TaggedValue* args, F edit)
{
    if (CObject* object = ObjectAt(args[0])) edit(*object);
}

void SetObjectFlag(const TaggedValue* args, unsigned bit)
{
    EditObject(args, [&](CObject& o) { o.flags = Arg_BD(args[1]) ? o.flags | bit : o.flags & ~bit; });
}

// Parent chains or the object table changed: the per-event lists and the instance lists of
// every object follow.
void ObjectsChanged()
{
    Object_Lists_Build();
    if (Run_Room) Run_Room->RelinkObjects();
}

CRoom* RoomAt(const TaggedValue& a)
{
    return Room_Get(Arg_I(a));
}

template <class F>
void EditRoom(const TaggedValue* args, F edit)
{
    if (CRoom* room = RoomAt(args[0])) edit(*room);
}

// A background slot or view slot number: 0..7, else nothing.
bool Slot(const TaggedValue& a, int* n)
{
    *n = Arg_I(a);
    return *n >= 0 && *n < ROOM_SLOTS;
}

void ReportMissingBackground(const TaggedValue& a)
{
    Resource_Require(Background_Exists(Arg_I(a)), "Background does not exist.");
}

}  // namespace

ROOM_BUILTIN(object_exists) { Resource_SetFlag(result, Object_Exists(Arg_I(args[0]))); }
ROOM_BUILTIN(object_get_name) { result->SetString(Object_GetName(Arg_I(args[0]))); }
ROOM_BUILTIN(object_get_sprite) { Resource_Field(result, ObjectAt(args[0]), [](const CObject& o) { return o.sprite; }); }
ROOM_BUILTIN(object_get_solid) { Resource_Field(result, ObjectAt(args[0]), [](const CObject& o) { return (o.flags & OBJECT_SOLID) != 0; }); }
ROOM_BUILTIN(object_get_visible) { Resource_Field(result, ObjectAt(args[0]), [](const CObject& o) { return (o.flags & OBJECT_VISIBLE) != 0; }); }
ROOM_BUILTIN(object_get_depth) { Resource_Field(result, ObjectAt(args[0]), [](const CObject& o) { return o.depth; }); }
ROOM_BUILTIN(object_get_persistent) { Resource_Field(result, ObjectAt(args[0]), [](const CObject& o) { return (o.flags & OBJECT_PERSISTENT) != 0; }); }
ROOM_BUILTIN(object_get_mask) { Resource_Field(result, ObjectAt(args[0]), [](const CObject& o) { return o.mask; }); }
ROOM_BUILTIN(object_get_parent) { Resource_Field(result, ObjectAt(args[0]), [](const CObject& o) { return o.parent_index; }); }

// 1 when the second object is the first's parent, grandparent and so on.
ROOM_BUILTIN(object_is_ancestor)
{
    int ancestor = Arg_I(args[1]);
    Resource_Field(result, ObjectAt(args[0]), [&](const CObject& o) { return o.IsDescendant(ancestor); });
}

// The setters change the object for instances made from now on.
ROOM_BUILTIN(object_set_sprite) { EditObject(args, [&](CObject& o) { o.sprite = Arg_I(args[1]); }); }
ROOM_BUILTIN(object_set_solid) { SetObjectFlag(args, OBJECT_SOLID); }
ROOM_BUILTIN(object_set_visible) { SetObjectFlag(args, OBJECT_VISIBLE); }
ROOM_BUILTIN(object_set_depth) { EditObject(args, [&](CObject& o) { o.depth = Arg_I(args[1]); }); }
ROOM_BUILTIN(object_set_persistent) { SetObjectFlag(args, OBJECT_PERSISTENT); }
ROOM_BUILTIN(object_set_mask) { EditObject(args, [&](CObject& o) { o.mask = Arg_I(args[1]); }); }

// (ind, parent), both truncated; a negative parent clears it. Existing instances join the lists
// of their new ancestors and leave those of their old ones.
ROOM_BUILTIN(object_set_parent)
{
    int index = Arg_T(args[0]), parent = Arg_T(args[1]);
    CObject* object = Object_Find(index);
    if (!object) return;
    if (parent < 0) {
        object->parent_index = -1;
        object->parent = nullptr;
        ObjectsChanged();
        return;
    }
    CObject* p = Object_Find(parent);
    if (!p) {
        Error_Show_Action("Setting a non-existing parent.", false);
        return;
    }
    if (parent == index || p->IsDescendant(index)) {
        Error_Show_Action("Creating a cycle in the parent relation.", false);
        return;
    }
    object->parent_index = parent;
    object->parent = parent <= 999999 ? p : nullptr;
    ObjectsChanged();
}

ROOM_BUILTIN(object_add) { result->SetReal(Object_Add()); }

// Instances of a deleted object stay in their room without events; its children lose their
// parent.
ROOM_BUILTIN(object_delete)
{
    if (!Resource_Require(Object_Exists(Arg_I(args[0])), "Trying to delete non-existing object.")) return;
    Object_Delete(Arg_I(args[0]));
    ObjectsChanged();
    result->SetReal(1.0);
}

// The event itself stays: only the lists of objects having each event are made again.
ROOM_BUILTIN(object_event_clear)
{
    const CObject* object = ObjectAt(args[0]);
    const CEvent* event = object ? object->GetEvent(Arg_I(args[1]), Arg_I(args[2])) : nullptr;
    if (event && event->GetCode()) Object_Lists_Build();
}

ROOM_BUILTIN(object_event_add)
{
    Console_Debug->Output("object_event_add :: deprecated function\n");
}

ROOM_BUILTIN(room_exists) { Resource_SetFlag(result, Room_Exists(Arg_I(args[0]))); }
ROOM_BUILTIN(room_get_name) { result->SetString(Room_GetName(Arg_I(args[0]))); }
ROOM_BUILTIN(room_set_width) { EditRoom(args, [&](CRoom& r) { r.width = Arg_I(args[1]); }); }
ROOM_BUILTIN(room_set_height) { EditRoom(args, [&](CRoom& r) { r.height = Arg_I(args[1]); }); }
ROOM_BUILTIN(room_set_caption) { EditRoom(args, [&](CRoom& r) { r.SetCaption(Arg_S(args[1])); }); }
ROOM_BUILTIN(room_set_persistent) { EditRoom(args, [&](CRoom& r) { r.persistent = Arg_BD(args[1]); }); }

// The new creation code is compiled now; code that does not compile is reported and not run.
ROOM_BUILTIN(room_set_code)
{
    EditRoom(args, [&](CRoom& r) {
        r.SetCreationCode(Arg_S(args[1]));
        if (!Room_PrepareRoom(r)) Error_Show_Action(("Room creation code does not compile:\n" + LastErrorText).c_str(), false);
    });
}

ROOM_BUILTIN(room_set_background_color)
{
    EditRoom(args, [&](CRoom& r) {
        r.colour = (uint32_t)Arg_I(args[1]);
        r.show_colour = Arg_BD(args[2]);
    });
}

// (ind, n, visible, fore, back, x, y, htiled, vtiled, hspeed, vspeed, alpha); the scales go back
// to 1, the blend stays.
ROOM_BUILTIN(room_set_background)
{
    int n;
    if (!Slot(args[1], &n)) return;
    EditRoom(args, [&](CRoom& r) {
        RoomBackground& b = r.backgrounds[n];
        b.visible = Arg_BD(args[2]);
        b.foreground = Arg_BD(args[3]);
        b.index = Arg_I(args[4]);
        b.x = Arg_F(args[5]);
        b.y = Arg_F(args[6]);
        b.htiled = Arg_BD(args[7]);
        b.vtiled = Arg_BD(args[8]);
        b.hspeed = Arg_F(args[9]);
        b.vspeed = Arg_F(args[10]);
        b.alpha = Arg_F(args[11]);
        b.xscale = b.yscale = 1.0f;
    });
}

// (ind, vind, visible, xview, yview, wview, hview, xport, yport, wport, hport, hborder, vborder,
// hspeed, vspeed, obj); the angle and surface stay.
ROOM_BUILTIN(room_set_view)
{
    int n;
    if (!Slot(args[1], &n)) return;
    EditRoom(args, [&](CRoom& r) {
        RoomView& v = r.views[n];
        v.visible = Arg_BD(args[2]);
        int* fields[] = {&v.xview, &v.yview, &v.wview, &v.hview, &v.xport, &v.yport, &v.wport, &v.hport,
                         &v.hborder, &v.vborder, &v.hspeed, &v.vspeed, &v.object};
        for (int i = 0; i < 13; i++) *fields[i] = Arg_I(args[3 + i]);
    });
}

ROOM_BUILTIN(room_set_view_enabled) { EditRoom(args, [&](CRoom& r) { r.enable_views = Arg_BD(args[1]); }); }

ROOM_BUILTIN(room_add) { result->SetReal(Room_Add()); }

ROOM_BUILTIN(room_duplicate)
{
    if (Resource_Require(Room_Exists(Arg_I(args[0])), "Trying to duplicate non-existing room."))
        result->SetReal(Room_Duplicate(Arg_I(args[0])));
}

// Assigning a room to itself changes nothing.
ROOM_BUILTIN(room_assign)
{
    Resource_Require(Room_Assign(Arg_I(args[0]), Arg_I(args[1])), "Error assigning a room.");
}

// (ind, x, y, obj): the id of the instance the room will make, -1 for a missing room.
ROOM_BUILTIN(room_instance_add)
{
    result->SetReal(-1.0);
    EditRoom(args, [&](CRoom& r) { result->SetReal(r.AddInstance(Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]))); });
}

ROOM_BUILTIN(room_instance_clear) { EditRoom(args, [](CRoom& r) { r.ClearInstances(); }); }

// (ind, back, left, top, width, height, x, y, depth): the new tile's id, -1 for a missing room.
ROOM_BUILTIN(room_tile_add)
{
    ReportMissingBackground(args[1]);
    result->SetReal(-1.0);
    EditRoom(args, [&](CRoom& r) {
        result->SetReal(r.CreateTile(Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4]), Arg_I(args[5]), Arg_F(args[6]),
                                     Arg_F(args[7]), Arg_F(args[8]), 1.0f, 1.0f, 0xFFFFFFFFu));
    });
}

// (ind, back, left, top, width, height, x, y, depth, xscale, yscale, alpha): the tile's place in
// the room's list of tiles. A room resource keeps one list, the tiles it is made with.
ROOM_BUILTIN(room_tile_add_ext)
{
    ReportMissingBackground(args[1]);
    EditRoom(args, [&](CRoom& r) {
        if (r.CreateTile(Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4]), Arg_I(args[5]), Arg_F(args[6]),
                         Arg_F(args[7]), Arg_F(args[8]), Arg_F(args[9]), Arg_F(args[10]), 0xFFFFFFFFu) < 0)
            return;
        r.entry_tiles.back().alpha = Arg_F(args[11]);
        result->SetReal((double)r.entry_tiles.size() - 1);
    });
}

ROOM_BUILTIN(room_tile_clear)
{
    EditRoom(args, [](CRoom& r) {
        r.ClearTiles();
        r.entry_tiles.clear();
    });
}
