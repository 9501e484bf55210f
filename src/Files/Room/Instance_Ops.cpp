#include "Room/Instance_Ops.h"

#include "Code/Error.h"
#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Variable/Variable_List.h"
#include "Room/Room_Main.h"
#include "Sprite/Sprite_Main.h"

#include <string>

CInstance* Instance_Make(int object, float x, float y)
{
    if (!Object_Exists(object)) {
        Error_Show_Action(("Creating instance for non-existing object: " + std::to_string(object)).c_str(), false);
        return nullptr;
    }
    if (!Run_Room) return nullptr;
    CInstance* inst = Run_Room->CreateInstance(x, y, object);
    if (inst && Instance_Bodies.created) Instance_Bodies.created(Run_Room, inst);
    return inst;
}

void Instance_RunCreate(CInstance* inst)
{
    Event_Perform_Instance(inst, inst, EVENT_CREATE, 0);
    inst->created = true;
}

CInstance* Instance_Create(int object, float x, float y)
{
    CInstance* inst = Instance_Make(object, x, y);
    if (inst) Instance_RunCreate(inst);
    return inst;
}

void Instance_Destroy(CInstance* inst)
{
    if (!inst || inst->destroy_guard) return;
    inst->destroy_guard = true;
    Event_Perform_Instance(inst, inst, EVENT_DESTROY, 0);
    inst->marked = true;
    if (Instance_Bodies.removed) Instance_Bodies.removed(inst);
}

void Instance_ChangeObject(CInstance* inst, int object, bool perform)
{
    CObject* o = Object_Find(object);
    if (!o) {
        Error_Show_Action(("Asking to change into non-existing object: " + std::to_string(object)).c_str(), false);
        return;
    }
    if (!inst) return;
    if (perform && !inst->destroy_guard) Event_Perform_Instance(inst, inst, EVENT_DESTROY, 0);
    // Only an active instance of the room moves between objects' lists (not, say, the self of
    // room creation code); its place in the room's list changes only with its depth.
    bool listed = Run_Room && Run_Room->LeaveObjectLists(inst);
    inst->object_index = object;
    inst->object = o;
    Instance_TakeObjectDefaults(inst, o);
    inst->creation_stamp = EventStamp;
    if (listed) Run_Room->JoinObjectLists(inst);
    if (Run_Room) Run_Room->ChangeDepth(inst);
    if (perform) Event_Perform_Instance(inst, inst, EVENT_CREATE, 0);
}

// The live instances of -3 or an object (with descendants); instance ids give none.
static const CInstanceList* TargetList(int target)
{
    if (!Run_Room) return nullptr;
    if (target == -3) return &Run_Room->active;
    CObject* o = target >= 0 && target < INSTANCE_ID_FIRST ? Object_Find(target) : nullptr;
    return o ? &o->instances : nullptr;
}

int Instance_Number(int target)
{
    if (target >= INSTANCE_ID_FIRST) {
        CInstance* inst = Instance_Find(target);
        return inst && !inst->marked && !inst->deactivated ? 1 : 0;
    }
    const CInstanceList* list = TargetList(target);
    int n = 0;
    if (list)
        for (CInstance* i : *list)
            if (!i->marked && !i->deactivated) n++;
    return n;
}

static CInstance* Extreme(float x, float y, int target, bool nearest)
{
    const CInstanceList* list = TargetList(target);
    if (!list) return nullptr;
    double best = nearest ? 100000000.0 : -1.0;
    CInstance* found = nullptr;
    for (CInstance* i : *list) {
        if (i->marked || i->deactivated) continue;
        double dx = (double)i->x - x, dy = (double)i->y - y, d = dx * dx + dy * dy;
        if (nearest ? d < best : d > best) {
            best = d;
            found = i;
        }
    }
    return found;
}

CInstance* Instance_Nearest(float x, float y, int target) { return Extreme(x, y, target, true); }
CInstance* Instance_Furthest(float x, float y, int target) { return Extreme(x, y, target, false); }

// Copies the state of another instance; the copy keeps its own id, body, links and life-cycle
// flags (sharing a body or the destroyed flags would free things twice), and gets its own copy
// of the variables.
void CInstance::Assign(const CInstance* o)
{
    if (!o || o == this) return;
    object_index = o->object_index;
    object = o->object;
    x = o->x; y = o->y;
    xprevious = o->xprevious; yprevious = o->yprevious;
    xstart = o->xstart; ystart = o->ystart;
    sprite_index = o->sprite_index; mask_index = o->mask_index;
    image_index = o->image_index; image_speed = o->image_speed;
    image_xscale = o->image_xscale; image_yscale = o->image_yscale;
    image_angle = o->image_angle; image_alpha = o->image_alpha; image_blend = o->image_blend;
    speed = o->speed; direction = o->direction; hspeed = o->hspeed; vspeed = o->vspeed;
    friction = o->friction; gravity = o->gravity; gravity_direction = o->gravity_direction;
    path_index = o->path_index; path_position = o->path_position;
    path_positionprevious = o->path_positionprevious; path_speed = o->path_speed;
    path_scale = o->path_scale; path_orientation = o->path_orientation; path_endaction = o->path_endaction;
    path_xstart = o->path_xstart; path_ystart = o->path_ystart;
    timeline_index = o->timeline_index; timeline_position = o->timeline_position;
    timeline_speed = o->timeline_speed; timeline_running = o->timeline_running; timeline_loop = o->timeline_loop;
    for (int i = 0; i < ALARM_COUNT; i++) alarm[i] = o->alarm[i];
    depth = o->depth; visible = o->visible; solid = o->solid; persistent = o->persistent;
    bbox_dirty = true;
    *variables = *o->variables;
}

void Instance_SetSprite(CInstance* inst, int sprite)
{
    if (!Sprite_Exists(sprite)) {
        Error_Show_Action(("Setting instance to non-existing sprite: " + std::to_string(sprite)).c_str(), false);
        return;
    }
    if (!inst) return;
    inst->SetSprite(sprite);
}

void Instance_TakeObjectDefaults(CInstance* inst, const CObject* o)
{
    inst->SetSprite(o->sprite);
    inst->SetMask(o->mask);
    inst->depth = (float)o->depth;
    inst->visible = (o->flags & OBJECT_VISIBLE) != 0;
    inst->solid = (o->flags & OBJECT_SOLID) != 0;
    inst->persistent = (o->flags & OBJECT_PERSISTENT) != 0;
}
