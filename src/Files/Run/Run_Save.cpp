// Writing and reading saved games. One list of fields per record serves writing, reading and
// restoring, so the three cannot drift apart.
#include "Run/Run_Save.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Code/Error.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Physics/Physics_Main.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"
#include "Runner/GameFile.h"
#include "Support/LoadSave.h"
#include "Support/Stream.h"
#include "Variable/Variable_List.h"
#include "Variable/Variable_Main.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {
std::string PendingFile;

constexpr int SAVE_END = 0x45564153;  // "SAVE", closing the file
constexpr int MAX_NAME = 4096;

// The instance fields a save holds, applied to a pair of records (destination first when
// copying; the same record twice when writing or reading).
template <class A, class B, class F>
void InstanceFields(A& a, B& b, F f)
{
    f(a.object_index, b.object_index);
    f(a.x, b.x), f(a.y, b.y), f(a.xprevious, b.xprevious), f(a.yprevious, b.yprevious);
    f(a.xstart, b.xstart), f(a.ystart, b.ystart);
    f(a.sprite_index, b.sprite_index), f(a.mask_index, b.mask_index);
    f(a.image_index, b.image_index), f(a.image_speed, b.image_speed);
    f(a.image_xscale, b.image_xscale), f(a.image_yscale, b.image_yscale);
    f(a.image_angle, b.image_angle), f(a.image_alpha, b.image_alpha), f(a.image_blend, b.image_blend);
    f(a.speed, b.speed), f(a.direction, b.direction), f(a.hspeed, b.hspeed), f(a.vspeed, b.vspeed);
    f(a.friction, b.friction), f(a.gravity, b.gravity), f(a.gravity_direction, b.gravity_direction);
    f(a.path_index, b.path_index), f(a.path_position, b.path_position);
    f(a.path_positionprevious, b.path_positionprevious), f(a.path_speed, b.path_speed);
    f(a.path_scale, b.path_scale), f(a.path_orientation, b.path_orientation), f(a.path_endaction, b.path_endaction);
    f(a.path_xstart, b.path_xstart), f(a.path_ystart, b.path_ystart);
    f(a.timeline_index, b.timeline_index), f(a.timeline_position, b.timeline_position);
    f(a.timeline_speed, b.timeline_speed), f(a.timeline_running, b.timeline_running), f(a.timeline_loop, b.timeline_loop);
    for (int i = 0; i < ALARM_COUNT; i++) f(a.alarm[i], b.alarm[i]);
    f(a.depth, b.depth), f(a.visible, b.visible), f(a.solid, b.solid), f(a.persistent, b.persistent);
    f(a.deactivated, b.deactivated), f(a.created, b.created), f(a.destroy_guard, b.destroy_guard);
}

template <class A, class B, class F>
void BackgroundFields(A& a, B& b, F f)
{
    f(a.visible, b.visible), f(a.foreground, b.foreground), f(a.index, b.index), f(a.x, b.x), f(a.y, b.y);
    f(a.htiled, b.htiled), f(a.vtiled, b.vtiled), f(a.hspeed, b.hspeed), f(a.vspeed, b.vspeed);
    f(a.xscale, b.xscale), f(a.yscale, b.yscale), f(a.blend, b.blend), f(a.alpha, b.alpha);
}

template <class A, class B, class F>
void ViewFields(A& a, B& b, F f)
{
    f(a.visible, b.visible), f(a.xview, b.xview), f(a.yview, b.yview), f(a.wview, b.wview), f(a.hview, b.hview);
    f(a.xport, b.xport), f(a.yport, b.yport), f(a.wport, b.wport), f(a.hport, b.hport), f(a.angle, b.angle);
    f(a.hborder, b.hborder), f(a.vborder, b.vborder), f(a.hspeed, b.hspeed), f(a.vspeed, b.vspeed);
    f(a.object, b.object), f(a.surface, b.surface);
}

template <class A, class B, class F>
void TileFields(A& a, B& b, F f)
{
    f(a.x, b.x), f(a.y, b.y), f(a.background, b.background), f(a.left, b.left), f(a.top, b.top);
    f(a.width, b.width), f(a.height, b.height), f(a.depth, b.depth), f(a.id, b.id), f(a.xscale, b.xscale);
    f(a.yscale, b.yscale), f(a.blend, b.blend), f(a.alpha, b.alpha), f(a.visible, b.visible);
}

template <class A, class B, class F>
void RoomFields(A& a, B& b, F f)
{
    f(a.speed, b.speed), f(a.width, b.width), f(a.height, b.height), f(a.persistent, b.persistent);
    f(a.colour, b.colour), f(a.show_colour, b.show_colour), f(a.enable_views, b.enable_views);
    for (int i = 0; i < ROOM_SLOTS; i++) BackgroundFields(a.backgrounds[i], b.backgrounds[i], f);
    for (int i = 0; i < ROOM_SLOTS; i++) ViewFields(a.views[i], b.views[i], f);
}

// What the instance's shape depends on is written through its setters, after the copy.
struct Copy {
    template <class T, class U>
    void operator()(T& to, const U& from) const { to = from; }
    template <class T, class U>
    void operator()(CInstanceField<T>&, const U&) const {}
};

// Writing: integers, unsigned colours and bytes as 32-bit integers, floats as doubles (exact).
struct Writer {
    CStream& s;
    void operator()(const int& v, const int&) const { s.WriteInteger(v); }
    void operator()(const uint32_t& v, const uint32_t&) const { s.WriteInteger((int)v); }
    void operator()(const uint8_t& v, const uint8_t&) const { s.WriteInteger(v); }
    void operator()(const bool& v, const bool&) const { s.WriteBoolean(v); }
    void operator()(const float& v, const float&) const { s.WriteReal(v); }
    // Strings with their length: a value may hold NUL bytes.
    void Value(const TaggedValue& v) const
    {
        s.WriteInteger(v.IsString() ? 1 : 0);
        if (!v.IsString()) {
            s.WriteReal(v.val);
            return;
        }
        size_t length = v.GetLength();
        s.WriteInteger((int)length);
        s.WriteBytes(v.GetString(), (int64_t)length);
    }
    void Variable(const char* name, const CVariable& v) const
    {
        s.WriteString(name);
        Value(v.value);
        s.WriteInteger((int)v.rows.size());
        for (const auto& row : v.rows) {
            s.WriteInteger((int)row.size());
            for (const TaggedValue& e : row) Value(e);
        }
    }
    // By name, so that the same state always gives the same file.
    void Variables(const CVariableList& list) const
    {
        std::map<std::string, const CVariable*> byName;
        for (const auto& item : list.Items()) byName[Code_Variable_GetName(item.first)] = &item.second;
        s.WriteInteger((int)byName.size());
        for (const auto& v : byName) Variable(v.first.c_str(), *v.second);
    }
};

// Reading: every read is checked; the first failure ends the load. A float that does not fit
// single precision, a boolean other than 0 or 1, or a count beyond what the file can hold makes
// the file damaged.
struct Reader {
    CStream& s;
    bool ok = true;
    int64_t Left() const { return s.GetSize() - s.GetPosition(); }
    bool Check(bool condition) { return ok = ok && condition && !s.IsOverrun(); }
    void operator()(int& v, int&) { v = s.ReadInteger(); Check(true); }
    void operator()(uint32_t& v, uint32_t&) { v = (uint32_t)s.ReadInteger(); Check(true); }
    void operator()(uint8_t& v, uint8_t&) { int n = s.ReadInteger(); Check(n >= 0 && n <= 255); v = (uint8_t)n; }
    void operator()(bool& v, bool&)
    {
        int64_t at = s.GetPosition();
        int n = s.ReadInteger();
        s.Seek(at);
        v = s.ReadBoolean();
        Check(n == 0 || n == 1);
    }
    void operator()(float& v, float&)
    {
        double d = s.ReadReal();
        bool fits = !std::isfinite(d) || std::fabs(d) <= FLT_MAX;
        v = fits ? (float)d : 0.0f;
        Check(fits && (d != d || (double)v == d));
    }
    int Count(int minBytes)
    {
        int n = s.ReadInteger();
        Check(n >= 0 && (int64_t)n * minBytes <= Left());
        return ok ? n : 0;
    }
    std::string String(int limit)
    {
        char* text = nullptr;
        int64_t at = s.GetPosition();
        int length = s.ReadInteger();
        s.Seek(at);
        Check(length >= 0 && length <= limit && s.ReadStringTo(&text));
        std::string result = text ? text : "";
        if (text) MemFree(text);
        Check(result.size() == (size_t)length || !ok);
        return result;
    }
    TaggedValue Value()
    {
        TaggedValue v;
        int kind = s.ReadInteger();
        if (!Check(kind == 0 || kind == 1)) return v;
        if (kind == 0) {
            v.SetReal(s.ReadReal());
        } else {
            int length = s.ReadInteger();
            const unsigned char* bytes = Check(length >= 0) ? s.ReadInPlace(length) : nullptr;
            if (bytes) v.SetString((const char*)bytes, (size_t)length);
        }
        Check(true);
        return v;
    }
};

struct SavedVariable {
    std::string name;
    CVariable var;
};

bool ReadVariables(Reader& r, std::vector<SavedVariable>& out)
{
    int count = r.Count(16);
    for (int i = 0; i < count && r.ok; i++) {
        SavedVariable v;
        v.name = r.String(MAX_NAME);
        r.Check(!v.name.empty());
        v.var.value = r.Value();
        int rows = r.Count(4);
        r.Check(rows <= ARRAY_DIMENSION);
        for (int j = 0; j < rows && r.ok; j++) {
            int n = r.Count(8);
            r.Check(n <= ARRAY_DIMENSION);
            std::vector<TaggedValue> row;
            for (int k = 0; k < n && r.ok; k++) row.push_back(r.Value());
            v.var.rows.push_back(std::move(row));
        }
        v.var.defined = true;
        out.push_back(std::move(v));
    }
    return r.ok;
}

void RestoreVariables(const std::vector<SavedVariable>& saved, CVariableList& list)
{
    list.Clear();
    for (const SavedVariable& v : saved) *list.FindOrAdd(Code_Variable_FindOrAdd(v.name.c_str())) = v.var;
}

// An instance as read from the file: the same fields as CInstance.
struct SavedInstance {
    int id = 0, object_index = -1;
    float x = 0, y = 0, xprevious = 0, yprevious = 0, xstart = 0, ystart = 0;
    int sprite_index = -1, mask_index = -1;
    float image_index = 0, image_speed = 0, image_xscale = 1, image_yscale = 1, image_angle = 0, image_alpha = 1;
    int image_blend = 0;
    float speed = 0, direction = 0, hspeed = 0, vspeed = 0, friction = 0, gravity = 0, gravity_direction = 0;
    int path_index = -1;
    float path_position = 0, path_positionprevious = 0, path_speed = 0, path_scale = 1, path_orientation = 0;
    int path_endaction = 0;
    float path_xstart = 0, path_ystart = 0;
    int timeline_index = -1;
    float timeline_position = 0, timeline_speed = 0;
    bool timeline_running = false, timeline_loop = false;
    int alarm[ALARM_COUNT] = {};
    float depth = 0;
    bool visible = true, solid = false, persistent = false, deactivated = false, created = false, destroy_guard = false;
    std::vector<SavedVariable> variables;
};

struct SavedRoom {
    int index = -1;
    int speed = 0, width = 0, height = 0;
    bool persistent = false, show_colour = false, enable_views = false;
    uint32_t colour = 0;
    RoomBackground backgrounds[ROOM_SLOTS];
    RoomView views[ROOM_SLOTS];
    std::string caption;
    bool hasCaption = false;
    std::vector<RoomTile> tiles;
    std::vector<SavedInstance> instances;  // the active list in order, then the deactivated list
};

struct SavedGame {
    int score = 0, lives = 0;
    double health = 0;
    bool show_score = false, show_lives = false, show_health = false;
    std::string caption_score, caption_lives, caption_health;
    int cursor_sprite = -1, transition_kind = 0, lastInstanceId = 0, lastTileId = 0;
    std::vector<SavedVariable> globals;
    int current = -1;
    std::vector<SavedRoom> rooms;
};

void WriteRoom(Writer& w, int index, CRoom* room)
{
    w.s.WriteInteger(index);
    RoomFields(*room, *room, w);
    w.s.WriteBoolean(room->caption != nullptr);
    w.s.WriteString(room->caption);
    w.s.WriteInteger((int)room->tiles.size());
    for (RoomTile& t : room->tiles) TileFields(t, t, w);
    std::vector<CInstance*> list;
    for (const CInstanceList* l : {&room->active, &room->deactivated})
        for (CInstance* i : *l)
            if (!i->marked) list.push_back(i);
    w.s.WriteInteger((int)list.size());
    for (CInstance* i : list) {
        w.s.WriteInteger(i->id);
        InstanceFields(*i, *i, w);
        w.Variables(*i->variables);
    }
}

bool ReadRoom(Reader& r, SavedRoom& room, std::set<int>& ids)
{
    room.index = r.s.ReadInteger();
    r.Check(Room_Exists(room.index));
    RoomFields(room, room, r);
    bool hasCaption = false;
    r(hasCaption, hasCaption);
    room.hasCaption = hasCaption;
    room.caption = r.String(1 << 20);
    int tiles = r.Count(56);
    for (int i = 0; i < tiles && r.ok; i++) {
        RoomTile t;
        TileFields(t, t, r);
        r.Check(t.id >= 0 && t.id <= TILE_ID_LAST);
        room.tiles.push_back(t);
    }
    int count = r.Count(64);
    for (int i = 0; i < count && r.ok; i++) {
        SavedInstance inst;
        inst.id = r.s.ReadInteger();
        r.Check(inst.id >= INSTANCE_ID_FIRST && inst.id <= INSTANCE_ID_LAST && ids.insert(inst.id).second);
        InstanceFields(inst, inst, r);
        r.Check(Object_Exists(inst.object_index));
        ReadVariables(r, inst.variables);
        room.instances.push_back(std::move(inst));
    }
    return r.ok;
}

bool ReadGame(CStream& s, SavedGame& g, std::string& why)
{
    Reader r{s};
    int version = s.ReadInteger();
    if (s.IsOverrun() || version != SAVE_VERSION) {
        why = "not a saved game of this version";
        return false;
    }
    uint32_t id = (uint32_t)s.ReadInteger();
    if (s.IsOverrun() || id != Game_Header.gameId) {
        why = "saved by another game";
        return false;
    }
    r(g.score, g.score);
    r(g.lives, g.lives);
    g.health = s.ReadReal();
    r(g.show_score, g.show_score);
    r(g.show_lives, g.show_lives);
    r(g.show_health, g.show_health);
    g.caption_score = r.String(1 << 20);
    g.caption_lives = r.String(1 << 20);
    g.caption_health = r.String(1 << 20);
    r(g.cursor_sprite, g.cursor_sprite);
    r(g.transition_kind, g.transition_kind);
    r(g.lastInstanceId, g.lastInstanceId);
    r(g.lastTileId, g.lastTileId);
    r.Check(g.lastInstanceId >= 0 && g.lastInstanceId <= INSTANCE_ID_LAST && g.lastTileId >= 0 &&
            g.lastTileId <= TILE_ID_LAST);
    ReadVariables(r, g.globals);
    r(g.current, g.current);
    int rooms = r.Count(8);
    std::set<int> ids, indexes;
    for (int i = 0; i < rooms && r.ok; i++) {
        SavedRoom room;
        if (ReadRoom(r, room, ids)) r.Check(indexes.insert(room.index).second);
        g.rooms.push_back(std::move(room));
    }
    r.Check(indexes.count(g.current) == 1);
    // New ids continue after every id in the file, whatever the counters say.
    for (const SavedRoom& room : g.rooms) {
        for (const SavedInstance& i : room.instances) g.lastInstanceId = std::max(g.lastInstanceId, i.id);
        for (const RoomTile& t : room.tiles) g.lastTileId = std::max(g.lastTileId, t.id);
    }
    int end = s.ReadInteger();
    if (!r.Check(end == SAVE_END && s.GetPosition() == s.GetSize())) {
        why = "the file is damaged or incomplete";
        return false;
    }
    return true;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.compare(0, strlen(prefix), prefix) == 0; }

// The pending file, found by game_load in the save folder or the program folder (a file the file
// dialogs returned otherwise), read through the folder mapping of the folder that holds it.
unsigned char* ReadPending(const std::string& file, int64_t* size)
{
    const char* save = LoadSave_GetSaveFolder();
    const char* program = LoadSave_GetProgramFolder();
    bool inSave = *save && StartsWith(file, save), inProgram = StartsWith(file, program);
    if (inSave && (!inProgram || strlen(save) >= strlen(program))) return LoadSave_ReadSaveFile(file.c_str(), size);
    if (inProgram) return LoadSave_ReadBundleFile(file.c_str(), size);
    unsigned char* bytes = LoadSave_ReadSaveFile(file.c_str(), size);
    return bytes ? bytes : LoadSave_ReadBundleFile(file.c_str(), size);
}

CRoom* BuildRoom(const SavedRoom& saved)
{
    CRoom* room = new CRoom();
    room->CopyFrom(*Room_Get(saved.index));
    RoomFields(*room, saved, Copy());
    room->SetCaption(saved.hasCaption ? saved.caption.c_str() : nullptr);
    room->tiles = saved.tiles;
    // Made in creation (id) order; the room's lists take the saved order, the objects' lists
    // creation order.
    std::vector<const SavedInstance*> byId;
    for (const SavedInstance& s : saved.instances) byId.push_back(&s);
    std::sort(byId.begin(), byId.end(), [](auto* a, auto* b) { return a->id < b->id; });
    std::map<int, CInstance*> made;
    for (const SavedInstance* s : byId) {
        CInstance* inst = new CInstance(s->id, s->object_index, s->x, s->y);
        InstanceFields(*inst, *s, Copy());
        inst->SetSprite(s->sprite_index);
        inst->SetMask(s->mask_index);
        inst->SetImageXScale(s->image_xscale);
        inst->SetImageYScale(s->image_yscale);
        inst->SetImageAngle(s->image_angle);
        inst->object = Object_Find(s->object_index);
        RestoreVariables(s->variables, *inst->variables);
        made[s->id] = inst;
    }
    std::vector<CInstance*> listed;
    for (const SavedInstance& s : saved.instances) listed.push_back(made[s.id]);
    room->LinkInstances(listed);
    // Bodies are not saved: a room with physics starts its world again from the instances.
    Physics_RoomStart(room);
    for (const auto& [id, inst] : made) Physics_InstanceCreated(room, inst);
    return room;
}
}  // namespace

bool Game_Save(const char* fileName)
{
    CStream s;
    Writer w{s};
    s.WriteInteger(SAVE_VERSION);
    s.WriteInteger((int)Game_Header.gameId);
    s.WriteInteger(score);
    s.WriteInteger(lives);
    s.WriteReal(health);
    s.WriteBoolean(show_score);
    s.WriteBoolean(show_lives);
    s.WriteBoolean(show_health);
    s.WriteString(caption_score);
    s.WriteString(caption_lives);
    s.WriteString(caption_health);
    s.WriteInteger(cursor_sprite);
    s.WriteInteger(transition_kind);
    s.WriteInteger(Room_LastInstanceId);
    s.WriteInteger(Room_LastTileId);
    w.Variables(Variable_Globals);
    s.WriteInteger(Run_Room ? Run_RoomIndex : -1);
    const std::map<int, CRoom*>& kept = Room_Kept();
    s.WriteInteger((Run_Room ? 1 : 0) + (int)kept.size());
    if (Run_Room) WriteRoom(w, Run_RoomIndex, Run_Room);
    for (auto& k : kept) WriteRoom(w, k.first, k.second);
    s.WriteInteger(SAVE_END);
    // Through the folder mapping, which makes the save folder on first use.
    if (!fileName || !*fileName || !LoadSave_WriteFile(fileName, s.GetBuffer(), s.GetPosition())) {
        Error_Show_Action((std::string("Unable to save the game to file ") + (fileName ? fileName : "")).c_str(), false);
        return false;
    }
    return true;
}

void LoadGame_Pending(const char* fileName)
{
    PendingFile = fileName ? fileName : "";
    Room_NewRoom = ROOM_CHANGE_LOAD;
}

bool Game_LoadPending()
{
    std::string file = PendingFile;
    PendingFile.clear();
    std::string why = "the file cannot be read";
    int64_t size = 0;
    unsigned char* bytes = ReadPending(file, &size);
    bool loaded = bytes && Game_LoadBytes(bytes, size, &why);
    MemFree(bytes);
    if (!loaded) Error_Show(("Unable to load the game from " + file + ": " + why + ".").c_str(), false);
    return loaded;
}

bool Game_LoadBytes(const unsigned char* bytes, int64_t size, std::string* why)
{
    CStream s;
    if (size > 0) s.WriteBytes(bytes, size);
    s.Seek(0);
    SavedGame g;
    if (!ReadGame(s, g, *why)) return false;
    // The file is whole: the running rooms go without events and the saved ones take their place.
    delete Run_Room;
    Run_Room = nullptr;
    Room_FreeKept();
    for (const SavedRoom& r : g.rooms) {
        if (r.index == g.current) continue;
        CRoom* room = BuildRoom(r);
        room->Suspend();
        Room_Keep(r.index, room);
    }
    for (const SavedRoom& r : g.rooms)
        if (r.index == g.current) Run_Room = BuildRoom(r);
    Run_RoomIndex = g.current;
    score = g.score;
    lives = g.lives;
    health = g.health;
    show_score = g.show_score;
    show_lives = g.show_lives;
    show_health = g.show_health;
    Run_SetCaptionText(&caption_score, g.caption_score.c_str());
    Run_SetCaptionText(&caption_lives, g.caption_lives.c_str());
    Run_SetCaptionText(&caption_health, g.caption_health.c_str());
    cursor_sprite = g.cursor_sprite;
    transition_kind = g.transition_kind;
    Room_LastInstanceId = g.lastInstanceId;
    Room_LastTileId = g.lastTileId;
    RestoreVariables(g.globals, Variable_Globals);
    why->clear();
    return true;
}
