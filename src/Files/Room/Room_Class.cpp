#include "Room/Room_Class.h"

#include "Base/MemoryManager.h"
#include "Code/Code_Class.h"
#include "Code/Error.h"
#include "Object/Instance_Class.h"
#include "Room/Instance_Ops.h"
#include "Object/Object_Main.h"
#include "Object/Event_Main.h"

#include <algorithm>
#include <unordered_set>
#include <cmath>

int Room_LastInstanceId = INSTANCE_ID_FIRST;
int Room_LastTileId = 10000000;

CRoom::~CRoom()
{
    if (Instance_Bodies.roomFreed) Instance_Bodies.roomFreed(this);
    FreeAllInstances();
    SetCaption(nullptr);
    delete creation_compiled;
    for (RoomInstanceEntry& e : entries) delete e.compiled;
    for (CCode* code : m_retired) delete code;
}

void CRoom::CopyFrom(const CRoom& other)
{
    name = other.name;
    SetCaption(other.caption);
    speed = other.speed;
    width = other.width;
    height = other.height;
    persistent = other.persistent;
    colour = other.colour;
    show_colour = other.show_colour;
    std::copy(other.backgrounds, other.backgrounds + ROOM_SLOTS, backgrounds);
    enable_views = other.enable_views;
    std::copy(other.views, other.views + ROOM_SLOTS, views);
    SetCreationCode(other.creation_code.c_str());
    physics = other.physics;
    physics_scale = other.physics_scale;
    physics_gravity_x = other.physics_gravity_x;
    physics_gravity_y = other.physics_gravity_y;
    for (RoomInstanceEntry& e : entries)
        if (e.compiled) m_retired.push_back(e.compiled);
    entries = other.entries;
    for (RoomInstanceEntry& e : entries) e.compiled = nullptr;
    entry_tiles = other.entry_tiles;
}

void CRoom::SetCaption(const char* text)
{
    if (caption) MemFree(caption);
    caption = text ? MemStrDup(text) : nullptr;
}

void CRoom::SetCreationCode(const char* text)
{
    if (creation_compiled) m_retired.push_back(creation_compiled);
    creation_compiled = nullptr;
    creation_code = text ? text : "";
}

// The next id of a counter (which stays within lowest..last), or 0 once it has reached last.
static int NextId(int& counter, int lowest, int last)
{
    if (counter < lowest) counter = lowest;
    if (counter >= last) return 0;
    return ++counter;
}

static int NextInstanceId() { return NextId(Room_LastInstanceId, INSTANCE_ID_FIRST - 1, INSTANCE_ID_LAST); }
static int NextTileId() { return NextId(Room_LastTileId, 0, TILE_ID_LAST); }

int CRoom::AddTile(const RoomTile& tile)
{
    int id = NextTileId();
    if (!id) return -1;
    if (tiles.size() == tiles.capacity()) tiles.reserve(tiles.size() + 10);
    tiles.push_back(tile);
    tiles.back().id = id;
    return (int)tiles.size() - 1;
}

int CRoom::CreateTile(int background, int left, int top, int w, int h, float x, float y, float depth,
                      float xscale, float yscale, uint32_t blend)
{
    int id = NextTileId();
    if (!id) return -1;
    RoomTile t;
    t.background = background;
    t.left = left; t.top = top; t.width = w; t.height = h;
    t.x = x; t.y = y; t.depth = depth;
    t.xscale = xscale; t.yscale = yscale; t.blend = blend;
    t.id = id;
    entry_tiles.push_back(t);
    return t.id;
}

int CRoom::FindTile(int id)
{
    if (m_lastFound >= 0 && m_lastFound < (int)tiles.size() && tiles[m_lastFound].id == id) return m_lastFound;
    for (size_t i = 0; i < tiles.size(); i++)
        if (tiles[i].id == id) return m_lastFound = (int)i;
    return -1;
}

void CRoom::SetTile(int index, const RoomTile& tile)
{
    if (index >= 0 && index < (int)tiles.size()) tiles[(size_t)index] = tile;
}

// Half-open bounds: x <= px < x + width * xscale.
static bool TileContains(const RoomTile& t, float px, float py)
{
    return t.x <= px && px < t.x + t.width * t.xscale && t.y <= py && py < t.y + t.height * t.yscale;
}

int CRoom::FindTileAt(float x, float y, bool foreground) const
{
    for (size_t i = 0; i < tiles.size(); i++)
        if (TileContains(tiles[i], x, y) && (tiles[i].depth < 0) == foreground) return (int)i;
    return -1;
}

int CRoom::FindLayerTileAt(float depth, float x, float y)
{
    for (size_t i = 0; i < tiles.size(); i++)
        if (tiles[i].depth == depth && TileContains(tiles[i], x, y)) return m_lastFound = (int)i;
    return -1;
}

void CRoom::DeleteTile(int index)
{
    if (index < 0 || index >= (int)tiles.size()) return;
    tiles.erase(tiles.begin() + index);
}

template <class Pred>
static void RemoveTiles(std::vector<RoomTile>& tiles, Pred pred)
{
    tiles.erase(std::remove_if(tiles.begin(), tiles.end(), pred), tiles.end());
}

void CRoom::DeleteTilesAt(float x, float y, bool foreground)
{
    RemoveTiles(tiles, [&](const RoomTile& t) {
        bool inside = t.x <= x && x <= t.x + t.width * t.xscale && t.y <= y && y <= t.y + t.height * t.yscale;
        return inside && (foreground ? t.depth <= 0 : t.depth >= 0);
    });
}

void CRoom::DeleteLayer(float depth)
{
    RemoveTiles(tiles, [&](const RoomTile& t) { return t.depth == depth; });
}

void CRoom::DeleteLayerTilesAt(float depth, float x, float y)
{
    RemoveTiles(tiles, [&](const RoomTile& t) { return t.depth == depth && TileContains(t, x, y); });
}

void CRoom::HideLayer(float depth)
{
    for (RoomTile& t : tiles)
        if (t.depth == depth) t.visible = 0;
}

void CRoom::ShowLayer(float depth)
{
    for (RoomTile& t : tiles)
        if (t.depth == depth) t.visible = 1;
}

void CRoom::SetLayerDepth(float depth, float newDepth)
{
    for (RoomTile& t : tiles)
        if (t.depth == depth) t.depth = newDepth;
}

void CRoom::ShiftLayer(float depth, float dx, float dy)
{
    for (RoomTile& t : tiles)
        if (t.depth == depth) { t.x += dx; t.y += dy; }
}

void CRoom::ClearTiles()
{
    tiles.clear();
    tiles.shrink_to_fit();
    m_lastFound = -1;
}

int CRoom::AddInstance(int x, int y, int object)
{
    int id = NextInstanceId();
    if (!id) return -1;
    RoomInstanceEntry e;
    e.x = x;
    e.y = y;
    e.object = object;
    e.id = id;
    entries.push_back(e);
    return e.id;
}

void CRoom::ClearInstances()
{
    for (RoomInstanceEntry& e : entries)
        if (e.compiled) m_retired.push_back(e.compiled);
    entries.clear();
}

// The sequence numbers of list entries, shared by every list: each new entry takes the next.
static uint64_t LastSequence = 0;

// A key of the next sequence number.
static InstanceKey NextKey(uint32_t order)
{
    InstanceKey key;
    key.order = order;
    key.seq = ++LastSequence;
    return key;
}

// An instance joins the lists of its object and of the object's ancestors under one key.
static InstanceKey ObjectKey(const CInstance* inst)
{
    InstanceKey key;
    key.seq = inst->object_seq;
    return key;
}

static void ObjectListsAdd(CInstance* inst)
{
    inst->object_seq = NextKey(0).seq;
    int guard = Object_Count() + 1;
    for (CObject* o = Object_Find(inst->object_index); o && guard-- > 0; o = o->parent) {
        InstanceKey key = ObjectKey(inst);
        o->instances.Insert(inst, key);
    }
}

static void ObjectListsRemove(CInstance* inst)
{
    int guard = Object_Count() + 1;
    for (CObject* o = Object_Find(inst->object_index); o && guard-- > 0; o = o->parent)
        o->instances.Remove(inst, ObjectKey(inst));
}

// Takes a set of instances out of the room's lists and every object's list in one pass each.
static void RemoveAll(CInstanceList& active, CInstanceList& deactivated, const std::unordered_set<CInstance*>& gone)
{
    auto isGone = [&](CInstance* i) { return gone.count(i) != 0; };
    active.RemoveIf(isGone);
    deactivated.RemoveIf(isGone);
    for (int i = 0; i < Object_Count(); i++)
        if (CObject* o = Object_Find(i)) o->instances.RemoveIf(isGone);
}

CInstance* CRoom::CreateInstance(float x, float y, int object, int id)
{
    if (id < INSTANCE_ID_FIRST || id > INSTANCE_ID_LAST) {
        id = NextInstanceId();
        if (!id) {
            Error_Show_Action("No instance can be made: every instance id has been used.", false);
            return nullptr;
        }
    } else if (id > Room_LastInstanceId) {
        Room_LastInstanceId = id;
    }
    CInstance* inst = new CInstance(id, object, x, y);
    CObject* o = Object_Find(object);
    inst->object = o;
    if (o) Instance_TakeObjectDefaults(inst, o);
    inst->creation_stamp = EventStamp;
    LinkInstance(inst);
    return inst;
}

// Into the active list after the instances of its depth, or at the end of the deactivated list.
static void PlaceInRoom(CRoom* room, CInstance* inst)
{
    inst->room_key = NextKey(inst->deactivated ? 0 : InstanceKey_Order(inst->depth));
    (inst->deactivated ? room->deactivated : room->active).Insert(inst, inst->room_key);
}

void CRoom::LinkInstance(CInstance* inst)
{
    PlaceInRoom(this, inst);
    if (!inst->deactivated) ObjectListsAdd(inst);
}

bool CRoom::UnlinkInstance(CInstance* inst)
{
    if (active.Remove(inst, inst->room_key)) {
        ObjectListsRemove(inst);
        return true;
    }
    return deactivated.Remove(inst, inst->room_key);
}

void CRoom::ChangeDepth(CInstance* inst)
{
    uint32_t order = InstanceKey_Order(inst->depth);
    if (order != inst->room_key.order) active.Move(inst, inst->room_key, NextKey(order));
}

bool CRoom::LeaveObjectLists(CInstance* inst)
{
    if (!active.Contains(inst, inst->room_key)) return false;
    ObjectListsRemove(inst);
    return true;
}

void CRoom::JoinObjectLists(CInstance* inst) { ObjectListsAdd(inst); }

void CRoom::UpdateActivation()
{
    std::vector<CInstance*> moving;
    for (CInstance* i : active)
        if (i->deactivated) moving.push_back(i);
    for (CInstance* i : deactivated)
        if (!i->deactivated) moving.push_back(i);
    for (CInstance* i : moving) {
        UnlinkInstance(i);
        LinkInstance(i);
    }
}

// Objects' lists run in creation order, which ids follow; the active list runs by depth.
static std::vector<CInstance*> ByCreation(std::vector<CInstance*> list)
{
    std::sort(list.begin(), list.end(), [](const CInstance* a, const CInstance* b) { return a->id < b->id; });
    return list;
}

void CRoom::LinkInstances(const std::vector<CInstance*>& listed)
{
    for (CInstance* i : listed) PlaceInRoom(this, i);
    std::vector<CInstance*> placed;
    for (CInstance* i : listed)
        if (!i->deactivated) placed.push_back(i);
    for (CInstance* i : ByCreation(placed)) ObjectListsAdd(i);
}

void CRoom::RelinkObjects()
{
    for (int i = 0; i < Object_Count(); i++)
        if (CObject* o = Object_Find(i)) o->instances.Clear();
    for (CInstance* i : ByCreation(active.Snapshot())) ObjectListsAdd(i);
}

void CRoom::Suspend()
{
    for (CInstance* i : active) {
        ObjectListsRemove(i);
        Instance_Unregister(i);
    }
    for (CInstance* i : deactivated) Instance_Unregister(i);
}

void CRoom::Resume()
{
    for (CInstance* i : ByCreation(active.Snapshot())) {
        ObjectListsAdd(i);
        Instance_Register(i);
    }
    for (CInstance* i : deactivated) Instance_Register(i);
}

int CRoom::FreeMarked()
{
    std::unordered_set<CInstance*> dead;
    for (CInstance* i : active)
        if (i->marked) dead.insert(i);
    for (CInstance* i : deactivated)
        if (i->marked) dead.insert(i);
    if (dead.empty()) return 0;
    RemoveAll(active, deactivated, dead);
    for (CInstance* i : dead) delete i;
    return (int)dead.size();
}

void CRoom::FreeAllInstances()
{
    std::unordered_set<CInstance*> all(active.begin(), active.end());
    all.insert(deactivated.begin(), deactivated.end());
    if (all.empty()) return;
    RemoveAll(active, deactivated, all);
    for (CInstance* i : all) delete i;
}

// One axis of a view following a point: the new view start. Worked in 64 bits, since views and
// borders are set by scripts.
static int FollowAxis(int start, int size, int border, int speed, float target, int roomSize)
{
    long long want = start, t = (long long)floorf(target);
    if (target - start < border) want = t - border;
    else if ((long long)start + size - target < border) want = (long long)ceilf(target) + border - size;
    if (want > (long long)roomSize - size) want = (long long)roomSize - size;
    if (want < 0 && roomSize >= size) want = 0;
    if (speed >= 0) want = std::clamp(want, (long long)start - speed, (long long)start + speed);
    return (int)std::clamp(want, (long long)INT32_MIN, (long long)INT32_MAX);
}

void CRoom::FollowViews()
{
    if (!enable_views) return;
    for (RoomView& v : views) {
        if (!v.visible || v.object < 0) continue;
        CInstance* target = nullptr;
        if (v.object >= INSTANCE_ID_FIRST) {
            target = Instance_Find(v.object);
        } else if (CObject* o = Object_Find(v.object)) {
            for (CInstance* i : o->instances)
                if (!i->marked) { target = i; break; }
        }
        if (!target || target->marked || target->deactivated || !(fabsf(target->x) < 1e9f) || !(fabsf(target->y) < 1e9f))
            continue;
        v.xview = FollowAxis(v.xview, v.wview, v.hborder, v.hspeed, target->x, width);
        v.yview = FollowAxis(v.yview, v.hview, v.vborder, v.vspeed, target->y, height);
    }
}
