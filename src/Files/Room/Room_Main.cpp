#include "Room/Room_Main.h"

#include "Base/Console.h"
#include "Code/Code_Class.h"
#include "Code/Error.h"
#include "Object/Instance_Class.h"
#include "Runner/GameFile.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

CRoom* Run_Room = nullptr;
int Run_RoomIndex = -1;
int transition_kind = 0;

namespace {
std::vector<std::unique_ptr<CRoom>> Rooms;
std::vector<int> Order;
std::map<int, CRoom*> Kept;
}

bool Room_RunningSpeed(int* speed)
{
    if (!Run_Room) return false;
    *speed = Run_Room->speed;
    return true;
}

CInstanceList* Room_RunningActive() { return Run_Room ? &Run_Room->active : nullptr; }

bool Room_Exists(int index) { return index >= 0 && index < (int)Rooms.size() && Rooms[index]; }
CRoom* Room_Get(int index) { return Room_Exists(index) ? Rooms[index].get() : nullptr; }
const char* Room_GetName(int index) { return Room_Exists(index) ? Rooms[index]->name.c_str() : "<undefined>"; }
int Room_Count() { return (int)Rooms.size(); }

int Room_Add()
{
    int index = (int)Rooms.size();
    Rooms.push_back(std::make_unique<CRoom>());
    Rooms.back()->name = "__newroom" + std::to_string(index);
    Order.push_back(index);
    return index;
}

int Room_Duplicate(int index)
{
    if (!Room_Exists(index)) return -1;
    int copy = Room_Add();
    std::string name = Rooms[copy]->name;
    Rooms[copy]->CopyFrom(*Rooms[index]);
    Rooms[copy]->name = name;
    Room_PrepareRoom(*Rooms[copy]);
    return copy;
}

bool Room_Assign(int target, int source)
{
    if (!Room_Exists(target) || !Room_Exists(source)) return false;
    if (target == source) return true;
    std::string name = Rooms[target]->name;
    Rooms[target]->CopyFrom(*Rooms[source]);
    Rooms[target]->name = name;
    Room_PrepareRoom(*Rooms[target]);
    return true;
}

void Room_FreeKept()
{
    for (auto& k : Kept) delete k.second;
    Kept.clear();
}

void Room_Clear()
{
    Room_FreeKept();
    Rooms.clear();
    Order.clear();
}

CRoom* Room_TakeKept(int index)
{
    auto it = Kept.find(index);
    if (it == Kept.end()) return nullptr;
    CRoom* room = it->second;
    Kept.erase(it);
    return room;
}

const std::map<int, CRoom*>& Room_Kept() { return Kept; }

void Room_Keep(int index, CRoom* room)
{
    delete Kept[index];
    Kept[index] = room;
}

int Room_GetFirst() { return Order.empty() ? -1 : Order.front(); }
int Room_GetLast() { return Order.empty() ? -1 : Order.back(); }

static int OrderPosition(int index)
{
    for (size_t i = 0; i < Order.size(); i++)
        if (Order[i] == index) return (int)i;
    return -1;
}

int Room_Previous(int index)
{
    int p = OrderPosition(index);
    return p > 0 ? Order[p - 1] : -1;
}

int Room_Next(int index)
{
    int p = OrderPosition(index);
    return (p >= 0 && p + 1 < (int)Order.size()) ? Order[p + 1] : -1;
}

void Room_SetOrder(const int* rooms, int count) { Order.assign(rooms, rooms + count); }

bool Room_CheckOrder()
{
    for (int r : Order)
        if (!Room_Exists(r)) {
            Console_Warnings->Output("The room order names room %d, which does not exist.\n", r);
            return false;
        }
    return true;
}

void Room_Goto(int index)
{
    if (!Room_Exists(index)) {
        Error_Show_Action(("Unexisting room number: " + std::to_string(index)).c_str(), true);
        Room_NewRoom = ROOM_CHANGE_ERROR_END;
        return;
    }
    Room_NewRoom = index;
    transition_kind = 0;
}

void Room_GotoPrevious()
{
    int r = Room_Previous(Run_RoomIndex);
    if (r < 0) {
        Error_Show_Action("Moving to previous room before the first room.", true);
        Room_NewRoom = ROOM_CHANGE_ERROR_END;
        return;
    }
    Room_Goto(r);
}

void Room_GotoNext()
{
    int r = Room_Next(Run_RoomIndex);
    if (r < 0) {
        Error_Show_Action("Moving to next room after the last room.", true);
        Room_NewRoom = ROOM_CHANGE_ERROR_END;
        return;
    }
    Room_Goto(r);
}

void Room_Restart() { Room_Goto(Run_RoomIndex); }
void Game_End() { Room_NewRoom = ROOM_CHANGE_END; }
void Game_Restart() { Room_NewRoom = ROOM_CHANGE_RESTART; }

// Compiled code that failed is deleted, so that nothing runs half-made code.
static bool CompileInto(CCode** slot, const std::string& text, const std::string& label)
{
    if (text.empty() || *slot) return true;
    CCode* code = new CCode(text.c_str(), false);
    if (!code->Compile(label.c_str())) {
        delete code;
        return false;
    }
    *slot = code;
    return true;
}

bool Room_PrepareRoom(CRoom& room)
{
    if (!CompileInto(&room.creation_compiled, room.creation_code, room.name + ", creation code")) return false;
    for (RoomInstanceEntry& e : room.entries)
        if (!CompileInto(&e.compiled, e.code, room.name + ", creation code of instance " + std::to_string(e.id))) return false;
    return true;
}

bool Room_Prepare()
{
    for (auto& r : Rooms)
        if (r && !Room_PrepareRoom(*r)) return false;
    return true;
}

static void ReadBackground(GameFileReader& r, RoomBackground& b)
{
    b.visible = r.Bool();
    b.foreground = r.Bool();
    b.index = r.I32();
    b.x = r.F32();
    b.y = r.F32();
    b.htiled = r.Bool();
    b.vtiled = r.Bool();
    b.hspeed = r.F32();
    b.vspeed = r.F32();
    b.xscale = r.F32();
    b.yscale = r.F32();
    b.blend = r.U32();
    b.alpha = r.F32();
}

static void ReadView(GameFileReader& r, RoomView& v)
{
    v.visible = r.Bool();
    v.xview = r.I32(); v.yview = r.I32(); v.wview = r.I32(); v.hview = r.I32();
    v.xport = r.I32(); v.yport = r.I32(); v.wport = r.I32(); v.hport = r.I32();
    v.angle = r.F32();
    v.hborder = r.I32(); v.vborder = r.I32(); v.hspeed = r.I32(); v.vspeed = r.I32();
    v.object = r.I32();
}

static bool ReadRoom(GameFileReader r, CRoom& room)
{
    const char* name = r.Str();
    const char* caption = r.Str();
    room.width = r.I32();
    room.height = r.I32();
    room.speed = r.I32();
    room.persistent = r.Bool();
    room.colour = r.U32();
    room.show_colour = r.Bool();
    const char* code = r.Str();
    room.enable_views = r.Bool();
    for (RoomBackground& b : room.backgrounds) ReadBackground(r, b);
    for (RoomView& v : room.views) ReadView(r, v);
    room.physics = r.Bool();
    room.physics_scale = r.F32();
    room.physics_gravity_x = r.F32();
    room.physics_gravity_y = r.F32();
    uint32_t count;
    if (!r.Count(&count, 36) || !name) return false;
    room.name = name;
    room.SetCaption(caption);
    room.creation_code = code ? code : "";
    room.entries.resize(count);
    for (RoomInstanceEntry& e : room.entries) {
        e.x = r.I32();
        e.y = r.I32();
        e.object = r.I32();
        e.id = r.I32();
        const char* text = r.Str();
        e.code = text ? text : "";
        e.xscale = r.F32();
        e.yscale = r.F32();
        e.colour = r.U32();
        e.rotation = r.F32();
    }
    if (!r.Count(&count, 52)) return false;
    room.entry_tiles.resize(count);
    for (RoomTile& t : room.entry_tiles) {
        t.x = r.F32(); t.y = r.F32();
        t.background = r.I32();
        t.left = r.I32(); t.top = r.I32(); t.width = r.I32(); t.height = r.I32();
        t.depth = r.F32();
        t.id = r.I32();
        t.xscale = r.F32(); t.yscale = r.F32();
        t.blend = r.U32();
        t.alpha = r.F32();
        if (t.id < 0 || t.id > TILE_ID_LAST) return false;
    }
    for (const RoomInstanceEntry& e : room.entries)
        if (e.id > INSTANCE_ID_LAST) return false;
    return r.ok;
}

bool Room_Load(GameFileReader chunk)
{
    uint32_t count;
    if (!chunk.Count(&count, 4)) return false;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t offset = chunk.U32();
        if (offset == 0) { Rooms.push_back(nullptr); continue; }
        auto room = std::make_unique<CRoom>();
        if (!ReadRoom(chunk.At(offset), *room)) return false;
        Rooms.push_back(std::move(room));
    }
    return chunk.ok;
}
