// CInstance: one instance of an object in a room.
#pragma once
#include "Object/Instance_List.h"
#include "Variable/InstanceField.h"
#include "Variable/Value.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CVariableList;
class CPhysicsObject;
class CObject;

constexpr int INSTANCE_ID_FIRST = 100000;
// Ids never pass this bound: a file holding a larger one is refused, and once the counter has
// reached it no instance is made (the counter never wraps).
constexpr int INSTANCE_ID_LAST = 1000000000;
constexpr int ALARM_COUNT = 12;

// Aligned to a cache line, so that the leading fields share as few lines as they can.
class alignas(64) CInstance {
public:
    CInstance(int id, int objectIndex, float x, float y);
    ~CInstance();
    CInstance(const CInstance&) = delete;
    CInstance& operator=(const CInstance&) = delete;

    // Every step walks all instances several times; the fields those walks and the default
    // drawing read lie together at the start (motion and life cycle, then the image), so that a
    // walk touches one or two cache lines of each instance.
    int64_t creation_stamp = 0;  // the EventStamp of the pass that made or changed it
    CInstanceField<float> x, y;
    float xprevious, yprevious;
    float hspeed = 0.0f, vspeed = 0.0f, speed = 0.0f;
    float friction = 0.0f, gravity = 0.0f;
    int path_index = -1;
    float path_position = 0.0f, path_positionprevious = 0.0f;
    bool marked = false;  // destroyed: leaves the room at the end of the step
    bool deactivated = false;
    bool visible = true;
    bool timeline_running = false;
    CInstanceField<bool> bbox_dirty{true};  // set by the shape's setters, cleared by Compute_BoundingBox

    int object_index;
    CInstanceField<int> sprite_index{-1};
    float image_index = 0.0f;
    float image_speed = 1.0f;
    CInstanceField<float> image_xscale{1.0f}, image_yscale{1.0f};
    CInstanceField<float> image_angle{0.0f};
    float image_alpha = 1.0f;
    int image_blend = 0xFFFFFF;
    float depth = 0.0f;
    CInstanceField<int> mask_index{-1};
    float direction = 0.0f;
    float gravity_direction = 270.0f;

    alignas(64) int alarm[ALARM_COUNT];  // a line of its own, with the cold fields after it
    int id;
    CObject* object = nullptr;  // the object of object_index, null when it names none
    CVariableList* variables;   // the instance's own variables

    float xstart, ystart;

    float path_speed = 0.0f;
    float path_scale = 1.0f;
    float path_orientation = 0.0f;
    int path_endaction = 0;
    float path_xstart = 0.0f, path_ystart = 0.0f;  // where a relative path began

    int timeline_index = -1;
    float timeline_position = 0.0f;
    float timeline_speed = 1.0f;
    bool timeline_loop = false;

    bool solid = false;
    bool persistent = false;
    bool destroy_guard = false; // the destroy event has run
    bool created = false;       // the create event has run
    bool mouse_over = false;    // the mouse was over the instance's shape last step

    // The bounding box, brought up to date by Compute_BoundingBox when dirty.
    CInstanceField<int> bbox_left{0}, bbox_top{0}, bbox_right{0}, bbox_bottom{0};

    CPhysicsObject* physics = nullptr;  // null without a body

    // The keys of the instance's entries in the room's active or deactivated list and in its
    // objects' lists (kept by CRoom): its entry is found by them even after its depth changed.
    InstanceKey room_key;
    uint64_t object_seq = 0;

    // The shape's setters: each marks the bounding box dirty when the value changes.
    void SetPosition(float nx, float ny);
    void SetImageXScale(float s);
    void SetImageYScale(float s);
    void SetImageAngle(float a);
    void SetSprite(int sprite);
    void SetMask(int mask);
    // A sprite the instance shows or collides with has changed: the box is made again when read.
    void ShapeChanged() { bbox_dirty = true; }
    // Runs f with the instance standing at (x, y), then puts it back exactly as it was, its box
    // included, so that trying a place costs no box at the old one.
    template <class F>
    auto TryAt(float tx, float ty, F f);

    void SetDirection(float d);
    void SetSpeed(float s);
    void SetHSpeed(float h);
    void SetVSpeed(float v);
    void AddMotion(float dir, float sp);
    void SetPathPosition(float p);
    void SetPathSpeed(float s);
    void StartPath(int path, float speed, float scale, float orientation, bool relative, int endAction);
    bool AdvancePath();
    int GetAlarm(int index) const;
    void SetAlarm(int index, int value);
    void Compute_BoundingBox();
    void Assign(const CInstance* other);
};

template <class F>
auto CInstance::TryAt(float tx, float ty, F f)
{
    float ox = x, oy = y;
    bool dirty = bbox_dirty;
    int l = bbox_left, t = bbox_top, r = bbox_right, b = bbox_bottom;
    SetPosition(tx, ty);
    auto result = f();
    x = ox, y = oy;
    bbox_left = l, bbox_top = t, bbox_right = r, bbox_bottom = b;
    bbox_dirty = dirty;
    return result;
}

// Instances lie apart on the heap, so a walk over a list of them waits on memory at each one:
// asking early for the three leading lines (the fields walks read) of the one `ahead` places on
// overlaps those waits. Called with each index of a walk over count instances. Always inlined:
// GCC takes a call that does nothing but prefetch for one without effect, and drops it.
inline __attribute__((always_inline)) void Instance_Prefetch(CInstance* const* list, size_t count, size_t index)
{
    const size_t ahead = 8;
    if (index + ahead >= count) return;
    const char* at = (const char*)list[index + ahead];
    __builtin_prefetch(at);
    __builtin_prefetch(at + 64);
    __builtin_prefetch(at + 128);
}

// The instance with this id (also a deactivated one), or null.
CInstance* Instance_Find(int id);
// An instance's own variables.
CVariableList* Instance_Variables(CInstance* inst);
// The instance of an id with its own variables when it takes part in walks (neither marked
// destroyed nor deactivated), else null.
CInstance* Instance_FindUsable(int id, CVariableList** variables);
// Puts an instance into, or takes it out of, the id hash (an instance enters it when made and
// leaves it when freed; a room kept aside takes its instances out meanwhile).
void Instance_Register(CInstance* inst);
void Instance_Unregister(CInstance* inst);

// Read and write an instance's variable: user ids in its own list, built-in ids through the
// built-in's getter and setter. The get is false when the variable (or element) is missing.
bool Instance_GetVariable(CInstance* inst, int id, int arrayIndex, TaggedValue* value);
bool Instance_SetVariable(CInstance* inst, int id, int arrayIndex, const TaggedValue* value);

// The instances a target names, for `with` and dotted access: -1 self, -2 other, -3 every active
// instance (the room's list, in ascending depth), 100000 and above that instance, otherwise every
// active instance of that object and of its descendants. Instances marked destroyed are left out.
void Instance_CollectTargets(int target, CInstance* self, CInstance* other, std::vector<CInstance*>& out);
// Their ids, in the same order.
void Instance_CollectTargetIds(int target, CInstance* self, CInstance* other, std::vector<int>& out);
// The first of them (what a dotted read reads), found without collecting the others; null when
// there is none.
CInstance* Instance_FirstTarget(int target, CInstance* self, CInstance* other);
// Whether object `object` is `ancestor` or descends from it; the world installs it (null: the
// object itself only).
extern bool (*Instance_ObjectIsDescendant)(int object, int ancestor);

// The running room's active instances, for the target walks and event passes; the room table
// installs it. Null (or no hook) when no room runs.
extern CInstanceList* (*Instance_RoomActive)();
inline CInstanceList* Instance_RunningRoomActive() { return Instance_RoomActive ? Instance_RoomActive() : nullptr; }

class CRoom;
// The physics bodies of instances: made for a new instance in a room, removed with an instance,
// and a freed room's world; the physics world installs them. A null entry does nothing (as in a
// game without physics).
struct InstanceBodies {
    void (*created)(CRoom* room, CInstance* inst);
    void (*removed)(CInstance* inst);
    void (*roomFreed)(CRoom* room);
};
extern InstanceBodies Instance_Bodies;
