// packer GAME_FOLDER OUT_FILE: builds a game data file from a game folder (docs/gamefolder.md
// describes the folder, docs/gamefile.md the file).
#include <json-c/json.h>
#include <png.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Folder;
bool Failed = false;

void Error(const std::string& message)
{
    fprintf(stderr, "packer: %s\n", message.c_str());
    Failed = true;
}

// The output: the file bytes, with string fields patched once the string table is written.
struct Writer {
    std::vector<uint8_t> bytes;
    std::vector<std::pair<size_t, std::string>> strings;

    size_t Pos() const { return bytes.size(); }
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; i++) bytes.push_back((uint8_t)(v >> (8 * i)));
    }
    void I32(int32_t v) { U32((uint32_t)v); }
    void F32(float f)
    {
        uint32_t v;
        memcpy(&v, &f, 4);
        U32(v);
    }
    void Str(const std::string& s)
    {
        strings.push_back({Pos(), s});
        U32(0);
    }
    void Patch(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; i++) bytes[at + i] = (uint8_t)(v >> (8 * i));
    }
    size_t BeginChunk(const char* tag)
    {
        bytes.insert(bytes.end(), tag, tag + 4);
        U32(0);
        return Pos();
    }
    void EndChunk(size_t start) { Patch(start - 4, (uint32_t)(Pos() - start)); }
    // A list: the count and a table of offsets, filled by Entry as each record begins.
    size_t BeginList(size_t count)
    {
        U32((uint32_t)count);
        size_t table = Pos();
        for (size_t i = 0; i < count; i++) U32(0);
        return table;
    }
    void Entry(size_t table, size_t i) { Patch(table + 4 * i, (uint32_t)Pos()); }
};

Writer Out;

json_object* Get(json_object* o, const char* key)
{
    json_object* v = nullptr;
    return (o && json_object_object_get_ex(o, key, &v)) ? v : nullptr;
}

std::string GetString(json_object* o, const char* key, const std::string& fallback = "")
{
    json_object* v = Get(o, key);
    return v && json_object_is_type(v, json_type_string) ? json_object_get_string(v) : fallback;
}

double GetNumber(json_object* o, const char* key, double fallback)
{
    json_object* v = Get(o, key);
    if (!v) return fallback;
    if (json_object_is_type(v, json_type_int) || json_object_is_type(v, json_type_double) ||
        json_object_is_type(v, json_type_boolean))
        return json_object_get_double(v);
    Error(std::string("\"") + key + "\" must be a number");
    return fallback;
}

// Numbers become 32-bit fields only when they fit (a colour may use all 32 bits).
int GetInt(json_object* o, const char* key, int fallback)
{
    double v = GetNumber(o, key, fallback);
    if (!(v >= INT32_MIN && v <= INT32_MAX)) {
        Error(std::string("\"") + key + "\" is out of range");
        return fallback;
    }
    return (int)v;
}

uint32_t GetU32(json_object* o, const char* key, double fallback)
{
    double v = GetNumber(o, key, fallback);
    if (!(v >= INT32_MIN && v <= UINT32_MAX)) {
        Error(std::string("\"") + key + "\" is out of range");
        return 0;
    }
    return v < 0 ? (uint32_t)(int32_t)v : (uint32_t)v;
}
bool GetBool(json_object* o, const char* key, bool fallback) { return GetNumber(o, key, fallback) != 0; }

size_t Length(json_object* array) { return array && json_object_is_type(array, json_type_array) ? json_object_array_length(array) : 0; }
json_object* At(json_object* array, size_t i) { return json_object_array_get_idx(array, i); }

std::string ReadText(const std::string& relative)
{
    std::ifstream f(Folder + "/" + relative, std::ios::binary);
    if (!f) {
        Error("cannot read " + Folder + "/" + relative);
        return "";
    }
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// Code given inline ("code") or in a file of the folder (the key names it).
std::string Code(json_object* o, const char* fileKey)
{
    if (Get(o, "code")) return GetString(o, "code");
    std::string file = GetString(o, fileKey);
    return file.empty() ? "" : ReadText(file);
}

// Actions (docs/gamefolder.md) become ZUZ statements: each action first sets the relative flag it
// carries, then calls its built-in; a question governs the entry after it (an action, a block or
// code), and "else" after that entry brings the one that runs when the answer is no.
bool IsQuestion(const std::string& name)
{
    return name.rfind("action_if", 0) == 0 || name == "action_cd_present" || name == "action_cd_playing";
}

bool IsActionName(const std::string& name)
{
    if (name.rfind("action_", 0) != 0) return false;
    for (char c : name)
        if (!isalnum((unsigned char)c) && c != '_') return false;
    return true;
}

bool IsElse(json_object* e) { return json_object_is_type(e, json_type_string) && std::string(json_object_get_string(e)) == "else"; }

// Every key of the entry must be one of the allowed ones.
void CheckKeys(json_object* e, std::initializer_list<const char*> allowed, const std::string& where)
{
    json_object_object_foreach(e, key, value) {
        (void)value;
        bool known = false;
        for (const char* a : allowed) known = known || strcmp(a, key) == 0;
        if (!known) Error(where + " has an unknown key \"" + key + "\"");
    }
}

// A number as a literal (the language has no exponent form), a boolean as 1 or 0, a string as the
// expression it holds.
std::string ActionArgument(json_object* v, const std::string& where)
{
    if (json_object_is_type(v, json_type_boolean)) return json_object_get_boolean(v) ? "1" : "0";
    if (json_object_is_type(v, json_type_int) || json_object_is_type(v, json_type_double)) {
        double d = json_object_get_double(v);
        char text[1100];
        std::to_chars_result r = std::to_chars(text, text + sizeof text, d, std::chars_format::fixed);
        if (std::isfinite(d) && r.ec == std::errc()) return "(" + std::string(text, r.ptr) + ")";
    } else if (json_object_is_type(v, json_type_string) && *json_object_get_string(v)) {
        return std::string("(") + json_object_get_string(v) + ")";
    }
    Error(where + " has an argument that is neither a finite number, a boolean nor an expression");
    return "0";
}

// The code of an action list, cut where each action (or code entry) begins: each part becomes an
// entry of the event, so that the runner numbers the actions as they are written. Braces and
// "else" go with the part before them (before the first action: with the first).
struct ActionParts {
    std::vector<std::string> parts;
    std::string before;  // text ahead of the first action
    void Begin()
    {
        parts.push_back(before);
        before.clear();
    }
    void Add(const std::string& text) { (parts.empty() ? before : parts.back()) += text; }
};

void ActionList(json_object* list, const std::string& where, ActionParts& out);

// The statements of the entry at *i (with what a question governs), moving *i past them.
void ActionStatement(json_object* list, size_t* i, const std::string& where, ActionParts& out)
{
    json_object* e = At(list, (*i)++);
    std::string at = where + ", action " + std::to_string(*i);
    if (IsElse(e)) return Error(at + ": \"else\" follows no question and what it governs");
    if (!json_object_is_type(e, json_type_object)) return Error(at + " is not an action, a block, code or \"else\"");
    if (Get(e, "block")) {
        CheckKeys(e, {"block"}, at);
        if (!json_object_is_type(Get(e, "block"), json_type_array)) Error(at + ": \"block\" must be a list of actions");
        out.Add("{\n");
        ActionList(Get(e, "block"), at, out);
        return out.Add("}\n");
    }
    if (Get(e, "code") || Get(e, "file")) {
        CheckKeys(e, {"code", "file"}, at);
        out.Begin();
        return out.Add("action_set_relative(0);\n{\n" + Code(e, "file") + "\n}\n");
    }
    CheckKeys(e, {"action", "args", "relative", "not"}, at);
    std::string name = GetString(e, "action");
    if (!IsActionName(name)) return Error(at + " names no action (\"" + name + "\")");
    std::string call = name + "(";
    json_object* args = Get(e, "args");
    if (args && !json_object_is_type(args, json_type_array)) Error(at + ": \"args\" must be a list");
    for (size_t k = 0; k < Length(args); k++) call += (k ? ", " : "") + ActionArgument(At(args, k), at);
    call += ")";
    out.Begin();
    out.Add(std::string("action_set_relative(") + (GetBool(e, "relative", false) ? "1" : "0") + ");\n");
    if (!IsQuestion(name)) {
        if (Get(e, "not")) Error(at + ": only a question can be negated");
        return out.Add(call + ";\n");
    }
    auto governed = [&](const char* what) {
        if (*i < Length(list) && !IsElse(At(list, *i))) return ActionStatement(list, i, where, out);
        Error(at + ": " + what + " of the question " + name + " is missing");
    };
    out.Add(std::string("if (") + (GetBool(e, "not", false) ? "!" : "") + call + ") {\n");
    governed("what runs on yes");
    out.Add("}\n");
    if (*i < Length(list) && IsElse(At(list, *i))) {
        (*i)++;
        out.Add("else {\n");
        governed("what runs after \"else\"");
        out.Add("}\n");
    }
}

void ActionList(json_object* list, const std::string& where, ActionParts& out)
{
    for (size_t i = 0; i < Length(list);) ActionStatement(list, &i, where, out);
}

// The code of an event or a moment, as the entries to write for it: its own code, or the code of
// its actions, one entry an action.
std::vector<std::string> EventCode(json_object* o, const std::string& where)
{
    json_object* actions = Get(o, "actions");
    if (!actions) return {Code(o, "file")};
    if (Get(o, "code") || Get(o, "file")) Error(where + " has both code and actions");
    if (!json_object_is_type(actions, json_type_array)) Error(where + ": \"actions\" must be a list");
    ActionParts out;
    ActionList(actions, where, out);
    if (out.parts.empty()) return {out.before};
    out.parts.back() += out.before;
    return out.parts;
}

std::map<std::string, std::map<std::string, int>> Names;  // kind -> name -> index

void IndexNames(json_object* game, const char* kind)
{
    json_object* list = Get(game, kind);
    for (size_t i = 0; i < Length(list); i++) {
        std::string name = GetString(At(list, i), "name");
        if (name.empty()) Error(std::string("an entry of \"") + kind + "\" has no name");
        else if (Names[kind].count(name)) Error(std::string("two ") + kind + " are named " + name);
        else Names[kind][name] = (int)i;
    }
}

// A reference to a resource: a number, a name of that kind, or absent (-1).
int Ref(json_object* o, const char* key, const char* kind)
{
    json_object* v = Get(o, key);
    if (!v || json_object_is_type(v, json_type_null)) return -1;
    if (!json_object_is_type(v, json_type_string)) return GetInt(o, key, -1);
    std::string name = json_object_get_string(v);
    auto it = Names[kind].find(name);
    if (it != Names[kind].end()) return it->second;
    Error(std::string("\"") + key + "\" names " + name + ", which is not among the " + kind);
    return -1;
}

// A list of `count` records, each found through the offset table; record(i) writes record i.
template <class Record>
void WriteList(size_t count, Record record)
{
    size_t table = Out.BeginList(count);
    for (size_t i = 0; i < count; i++) {
        Out.Entry(table, i);
        record(i);
    }
}

// A chunk holding a record for each member of the game's list `key`.
template <class Record>
void WriteListChunk(const char* tag, json_object* game, const char* key, Record record)
{
    json_object* list = Get(game, key);
    size_t c = Out.BeginChunk(tag);
    WriteList(Length(list), [&](size_t i) { record(At(list, i), i); });
    Out.EndChunk(c);
}

void WriteHeader(json_object* game)
{
    size_t c = Out.BeginChunk("GEN8");
    Out.Str(GetString(game, "name", "game"));
    Out.U32(GetU32(game, "id", 0));
    json_object* window = Get(game, "window");
    Out.I32(GetInt(window, "width", 640));
    Out.I32(GetInt(window, "height", 480));
    Out.U32(0);
    Out.I32(100000);
    Out.I32(10000000);
    std::vector<int> order;
    json_object* list = Get(game, "room_order");
    if (list) {
        for (size_t i = 0; i < Length(list); i++) {
            json_object* item = At(list, i);
            std::string name = json_object_is_type(item, json_type_string) ? json_object_get_string(item) : "";
            auto it = Names["rooms"].find(name);
            if (it == Names["rooms"].end()) Error("\"room_order\" names " + name + ", which is not a room");
            else order.push_back(it->second);
        }
    } else {
        for (size_t i = 0; i < Length(Get(game, "rooms")); i++) order.push_back((int)i);
    }
    Out.U32((uint32_t)order.size());
    for (int r : order) Out.I32(r);
    Out.EndChunk(c);
}

void WriteOptions(json_object* game)
{
    json_object* o = Get(game, "options");
    uint32_t flags = 0;
    if (GetBool(o, "fullscreen", false)) flags |= 1;
    if (GetBool(o, "interpolate", false)) flags |= 2;
    if (GetBool(o, "show_cursor", true)) flags |= 4;
    if (GetBool(o, "freeze_inactive", false)) flags |= 8;
    if (GetBool(o, "create_event_first", false)) flags |= 16;
    if (GetBool(o, "unset_reads_zero", false)) flags |= 32;
    size_t c = Out.BeginChunk("OPTN");
    Out.U32(flags);
    Out.U32(0);
    Out.U32(GetBool(o, "new_audio", false) ? 1 : 0);
    Out.EndChunk(c);
}

void WriteScripts(json_object* game)
{
    WriteListChunk("SCPT", game, "scripts", [](json_object* s, size_t) {
        Out.Str(GetString(s, "name"));
        Out.Str(Code(s, "file"));
    });
}

void WritePaths(json_object* game)
{
    WriteListChunk("PATH", game, "paths", [](json_object* p, size_t) {
        Out.Str(GetString(p, "name"));
        Out.I32(GetString(p, "kind") == "smooth" ? 1 : 0);
        Out.U32(GetBool(p, "closed", false) ? 1 : 0);
        Out.I32(GetInt(p, "precision", 4));
        json_object* points = Get(p, "points");
        Out.U32((uint32_t)Length(points));
        for (size_t k = 0; k < Length(points); k++) {
            json_object* pt = At(points, k);
            if (Length(pt) < 2) Error("a point of path " + GetString(p, "name") + " needs [x, y] or [x, y, speed]");
            Out.F32(Length(pt) > 0 ? (float)json_object_get_double(At(pt, 0)) : 0);
            Out.F32(Length(pt) > 1 ? (float)json_object_get_double(At(pt, 1)) : 0);
            Out.F32(Length(pt) > 2 ? (float)json_object_get_double(At(pt, 2)) : 100);
        }
    });
}

void WriteTimeLines(json_object* game)
{
    WriteListChunk("TMLN", game, "timelines", [](json_object* t, size_t) {
        Out.Str(GetString(t, "name"));
        json_object* moments = Get(t, "moments");
        std::vector<std::pair<int, std::string>> entries;  // a moment of actions is an entry for each
        for (size_t k = 0; k < Length(moments); k++) {
            json_object* m = At(moments, k);
            for (const std::string& code : EventCode(m, "time line " + GetString(t, "name") + ", moment " + std::to_string(k + 1)))
                entries.push_back({GetInt(m, "time", 0), code});
        }
        Out.U32((uint32_t)entries.size());
        for (const auto& [time, code] : entries) {
            Out.I32(time);
            Out.Str(code);
        }
    });
}

const std::map<std::string, int> EventTypes = {
    {"create", 0}, {"destroy", 1}, {"alarm", 2}, {"step", 3}, {"collision", 4}, {"keyboard", 5}, {"mouse", 6},
    {"other", 7}, {"draw", 8}, {"keypress", 9}, {"keyrelease", 10}, {"trigger", 11}};
const std::map<std::string, int> EventNumbers = {
    {"normal", 0}, {"begin", 1}, {"end", 2}, {"outside", 0}, {"boundary", 1}, {"game_start", 2},
    {"game_end", 3}, {"room_start", 4}, {"room_end", 5}, {"no_more_lives", 6}, {"animation_end", 7},
    {"end_of_path", 8}, {"no_more_health", 9}};

// The entries of an event: its type and number, and an entry's code for each of its actions.
struct EventEntries {
    int type = -1, number = 0;
    std::vector<std::string> codes;
};

EventEntries EventOf(json_object* e, const std::string& objectName)
{
    EventEntries out;
    std::string typeName = GetString(e, "type");
    auto t = EventTypes.find(typeName);
    if (t == EventTypes.end()) Error("object " + objectName + " has an event of unknown type \"" + typeName + "\"");
    else out.type = t->second;
    json_object* number = Get(e, "number");
    int n = 0;
    if (number && json_object_is_type(number, json_type_string)) {
        std::string name = json_object_get_string(number);
        if (t != EventTypes.end() && t->second == 4) n = Ref(e, "number", "objects");
        else if (name.rfind("user", 0) == 0) n = 10 + atoi(name.c_str() + 4);
        else if (EventNumbers.count(name)) n = EventNumbers.at(name);
        else Error("object " + objectName + " has an event numbered \"" + name + "\", which is unknown");
    } else if (number) {
        n = json_object_get_int(number);
    }
    out.number = n;
    out.codes = EventCode(e, "object " + objectName + ", event " + typeName);
    return out;
}

// An object's physics properties (flag 8 of its record): shape, its sizes and material.
void WriteObjectPhysics(json_object* p, const std::string& objectName)
{
    static const std::map<std::string, int> Shapes = {{"circle", 0}, {"box", 1}, {"polygon", 2}};
    std::string shape = GetString(p, "shape", "circle");
    auto kind = Shapes.find(shape);
    if (kind == Shapes.end()) Error("object " + objectName + " has a physics shape \"" + shape + "\", which is unknown");
    Out.I32(kind == Shapes.end() ? 0 : kind->second);
    Out.F32((float)GetNumber(p, "radius", 16));
    Out.F32((float)GetNumber(p, "half_width", 16));
    Out.F32((float)GetNumber(p, "half_height", 16));
    json_object* points = Get(p, "points");
    if (Length(points) > 8 || (kind != Shapes.end() && kind->second == 2 && Length(points) < 3))
        Error("object " + objectName + " has a physics polygon of " + std::to_string(Length(points)) + " points (3 to 8)");
    size_t count = std::min<size_t>(Length(points), 8);
    Out.U32((uint32_t)count);
    for (size_t k = 0; k < count; k++) {
        json_object* pt = At(points, k);
        if (Length(pt) != 2) Error("a physics point of object " + objectName + " needs [x, y]");
        Out.F32(Length(pt) > 0 ? (float)json_object_get_double(At(pt, 0)) : 0);
        Out.F32(Length(pt) > 1 ? (float)json_object_get_double(At(pt, 1)) : 0);
    }
    Out.U32(GetBool(p, "sensor", false));
    Out.F32((float)GetNumber(p, "density", 0.5));
    Out.F32((float)GetNumber(p, "restitution", 0.1));
    Out.F32((float)GetNumber(p, "friction", 0.2));
    Out.F32((float)GetNumber(p, "linear_damping", 0.1));
    Out.F32((float)GetNumber(p, "angular_damping", 0.1));
    Out.I32(GetInt(p, "group", 0));
    Out.U32(GetBool(p, "awake", true));
    Out.U32(GetBool(p, "kinematic", false));
}

void WriteObjects(json_object* game)
{
    WriteListChunk("OBJT", game, "objects", [](json_object* o, size_t) {
        std::string name = GetString(o, "name");
        Out.Str(name);
        Out.I32(Ref(o, "sprite", "sprites"));
        json_object* physics = Get(o, "physics");
        uint32_t flags = (GetBool(o, "solid", false) ? 1 : 0) | (GetBool(o, "visible", true) ? 2 : 0) |
                         (GetBool(o, "persistent", false) ? 4 : 0) | (physics ? 8 : 0);
        Out.U32(flags);
        Out.I32(GetInt(o, "depth", 0));
        Out.I32(Ref(o, "parent", "objects"));
        Out.I32(Ref(o, "mask", "sprites"));
        json_object* events = Get(o, "events");
        std::vector<EventEntries> entries;
        size_t count = 0;
        for (size_t k = 0; k < Length(events); k++) {
            entries.push_back(EventOf(At(events, k), name));
            count += entries.back().codes.size();
        }
        Out.U32((uint32_t)count);
        for (const EventEntries& e : entries)
            for (const std::string& code : e.codes) {
                Out.I32(e.type);
                Out.I32(e.number);
                Out.Str(code);
            }
        if (physics) WriteObjectPhysics(physics, name);
    });
}

void WriteRoom(json_object* r)
{
    Out.Str(GetString(r, "name"));
    Out.Str(GetString(r, "caption"));
    Out.I32(GetInt(r, "width", 640));
    Out.I32(GetInt(r, "height", 480));
    Out.I32(GetInt(r, "speed", 30));
    Out.U32(GetBool(r, "persistent", false));
    Out.U32(GetU32(r, "colour", 0xC0C0C0));
    Out.U32(GetBool(r, "show_colour", true));
    Out.Str(Code(r, "creation_file"));
    Out.U32(GetBool(r, "views_enabled", false));
    json_object* backgrounds = Get(r, "backgrounds");
    for (size_t i = 0; i < 8; i++) {
        json_object* b = i < Length(backgrounds) ? At(backgrounds, i) : nullptr;
        Out.U32(GetBool(b, "visible", false));
        Out.U32(GetBool(b, "foreground", false));
        Out.I32(Ref(b, "background", "backgrounds"));
        Out.F32((float)GetNumber(b, "x", 0));
        Out.F32((float)GetNumber(b, "y", 0));
        Out.U32(GetBool(b, "htiled", true));
        Out.U32(GetBool(b, "vtiled", true));
        Out.F32((float)GetNumber(b, "hspeed", 0));
        Out.F32((float)GetNumber(b, "vspeed", 0));
        Out.F32((float)GetNumber(b, "xscale", 1));
        Out.F32((float)GetNumber(b, "yscale", 1));
        Out.U32(GetU32(b, "blend", 0xFFFFFF));
        Out.F32((float)GetNumber(b, "alpha", 1));
    }
    json_object* views = Get(r, "views");
    for (size_t i = 0; i < 8; i++) {
        json_object* v = i < Length(views) ? At(views, i) : nullptr;
        Out.U32(GetBool(v, "visible", false));
        Out.I32(GetInt(v, "xview", 0));
        Out.I32(GetInt(v, "yview", 0));
        Out.I32(GetInt(v, "wview", 640));
        Out.I32(GetInt(v, "hview", 480));
        Out.I32(GetInt(v, "xport", 0));
        Out.I32(GetInt(v, "yport", 0));
        Out.I32(GetInt(v, "wport", 640));
        Out.I32(GetInt(v, "hport", 480));
        Out.F32((float)GetNumber(v, "angle", 0));
        Out.I32(GetInt(v, "hborder", 32));
        Out.I32(GetInt(v, "vborder", 32));
        Out.I32(GetInt(v, "hspeed", -1));
        Out.I32(GetInt(v, "vspeed", -1));
        Out.I32(Ref(v, "object", "objects"));
    }
    json_object* physics = Get(r, "physics");
    Out.U32(physics && GetBool(physics, "world", true));
    Out.F32((float)GetNumber(physics, "scale", 0.1));
    Out.F32((float)GetNumber(physics, "gravity_x", 0));
    Out.F32((float)GetNumber(physics, "gravity_y", 10));
    json_object* instances = Get(r, "instances");
    Out.U32((uint32_t)Length(instances));
    for (size_t i = 0; i < Length(instances); i++) {
        json_object* in = At(instances, i);
        Out.I32(GetInt(in, "x", 0));
        Out.I32(GetInt(in, "y", 0));
        Out.I32(Ref(in, "object", "objects"));
        Out.I32(GetInt(in, "id", 0));  // 0: the runner gives the next id
        Out.Str(Code(in, "creation_file"));
        Out.F32((float)GetNumber(in, "xscale", 1));
        Out.F32((float)GetNumber(in, "yscale", 1));
        Out.U32(GetU32(in, "colour", 4294967295.0));
        Out.F32((float)GetNumber(in, "rotation", 0));
    }
    json_object* tiles = Get(r, "tiles");
    Out.U32((uint32_t)Length(tiles));
    for (size_t i = 0; i < Length(tiles); i++) {
        json_object* t = At(tiles, i);
        Out.F32((float)GetNumber(t, "x", 0));
        Out.F32((float)GetNumber(t, "y", 0));
        Out.I32(Ref(t, "background", "backgrounds"));
        Out.I32(GetInt(t, "left", 0));
        Out.I32(GetInt(t, "top", 0));
        Out.I32(GetInt(t, "width", 16));
        Out.I32(GetInt(t, "height", 16));
        Out.F32((float)GetNumber(t, "depth", 1000000));
        Out.I32(10000001 + (int)i);
        Out.F32((float)GetNumber(t, "xscale", 1));
        Out.F32((float)GetNumber(t, "yscale", 1));
        Out.U32(GetU32(t, "blend", 0xFFFFFF));
        Out.F32((float)GetNumber(t, "alpha", 1));
    }
}

void WriteRooms(json_object* game)
{
    WriteListChunk("ROOM", game, "rooms", [](json_object* r, size_t) { WriteRoom(r); });
}

// Texture pages: each image is a page of its own (TXTR); entries (TPAG) name rectangles of them.
struct PageImage {
    std::string png;
    int width, height;
};
std::vector<PageImage> Pages;
struct PageRect {
    int page, x, y, w, h;
};
std::vector<PageRect> Entries;
std::vector<uint32_t> PageEntryOffsets;  // file offset of each TPAG record, once written

// Reads a PNG file of the folder onto a page of its own: the page's index, or -1 (with an
// error) when it is not a PNG image whose sides fit a page (1..16384 pixels).
int AddPage(const std::string& relative)
{
    std::string png = ReadText(relative);
    static const unsigned char Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto BigEndian = [&](size_t at) {
        return (uint32_t)(uint8_t)png[at] << 24 | (uint32_t)(uint8_t)png[at + 1] << 16 |
               (uint32_t)(uint8_t)png[at + 2] << 8 | (uint8_t)png[at + 3];
    };
    if (png.size() < 24 || memcmp(png.data(), Signature, 8) || png.compare(12, 4, "IHDR")) {
        Error(relative + " is not a PNG image");
        return -1;
    }
    uint32_t w = BigEndian(16), h = BigEndian(20);
    if (w < 1 || h < 1 || w > 16384 || h > 16384) {
        Error(relative + " is larger than 16384 pixels on a side");
        return -1;
    }
    Pages.push_back({png, (int)w, (int)h});
    return (int)Pages.size() - 1;
}

// A rectangle of a page as a page entry: the entry's index.
int AddEntry(int page, int x, int y, int w, int h)
{
    Entries.push_back({page, x, y, w, h});
    return (int)Entries.size() - 1;
}

// The RGBA pixels of a page (rows top first); false when the PNG does not decode.
bool PagePixels(int page, std::vector<uint8_t>* rgba)
{
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    const std::string& png = Pages[page].png;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return false;
    image.format = PNG_FORMAT_RGBA;
    rgba->resize(PNG_IMAGE_SIZE(image));
    bool ok = png_image_finish_read(&image, nullptr, rgba->data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok && (int)image.width == Pages[page].width && (int)image.height == Pages[page].height;
}

void WritePages()
{
    size_t c = Out.BeginChunk("TXTR");
    WriteList(Pages.size(), [](size_t i) {
        Out.U32((uint32_t)Pages[i].png.size());
        Out.bytes.insert(Out.bytes.end(), Pages[i].png.begin(), Pages[i].png.end());
        while (Out.Pos() % 4) Out.bytes.push_back(0);
    });
    Out.EndChunk(c);
    c = Out.BeginChunk("TPAG");
    WriteList(Entries.size(), [](size_t i) {
        PageEntryOffsets.push_back((uint32_t)Out.Pos());
        const PageRect& e = Entries[i];
        uint16_t x = (uint16_t)e.x, y = (uint16_t)e.y, w = (uint16_t)e.w, h = (uint16_t)e.h;
        // x, y, w, h on the page; no trim; crop, untrimmed size; the page.
        for (uint16_t f : {x, y, w, h, (uint16_t)0, (uint16_t)0, w, h, w, h, (uint16_t)e.page}) {
            Out.bytes.push_back((uint8_t)f);
            Out.bytes.push_back((uint8_t)(f >> 8));
        }
        Out.bytes.push_back(0);
        Out.bytes.push_back(0);
    });
    Out.EndChunk(c);
}

// An image file (optional) on a page of its own, as one entry covering it: the entry's index, or
// -1 without a file or when the file is not an image.
int AddWholeImage(const std::string& file)
{
    int page = file.empty() ? -1 : AddPage(file);
    return page < 0 ? -1 : AddEntry(page, 0, 0, Pages[page].width, Pages[page].height);
}

// The field naming an entry: its record's file offset, or 0 for none.
void EntryField(int entry) { Out.U32(entry >= 0 ? PageEntryOffsets[entry] : 0); }

// Each background's image goes on a page before the pages are written.
std::vector<int> BackgroundEntries;

void CollectBackgrounds(json_object* game)
{
    json_object* list = Get(game, "backgrounds");
    for (size_t i = 0; i < Length(list); i++) {
        json_object* b = At(list, i);
        std::string file = GetString(b, "file");
        if (file.empty()) Error("background " + GetString(b, "name") + " names no image \"file\"");
        BackgroundEntries.push_back(AddWholeImage(file));
    }
}

void WriteBackgrounds(json_object* game)
{
    WriteListChunk("BGND", game, "backgrounds", [](json_object* b, size_t i) {
        Out.Str(GetString(b, "name"));
        Out.U32(GetBool(b, "transparent", false));
        Out.U32(GetBool(b, "smooth", false));
        Out.U32(GetBool(b, "preload", true));
        EntryField(BackgroundEntries[i]);
    });
}

// A sprite: a PNG strip cut into equal frames, each a page entry; the image's alpha gives the
// masks and the automatic box.
struct SpriteImage {
    int width = 1, height = 1;
    int left = 0, top = 0, right = 0, bottom = 0;
    int mode = 0;
    std::vector<int> entries;
    std::vector<std::vector<uint8_t>> masks;  // packed rows, one mask a frame
};
std::vector<SpriteImage> SpriteImages;

const std::map<std::string, int> BoxModes = {{"automatic", 0}, {"full", 1}, {"manual", 2}};

void CollectSprite(json_object* s)
{
    SpriteImage out;
    std::string name = GetString(s, "name");
    std::string file = GetString(s, "file");
    std::string mode = GetString(s, "bbox_mode", "automatic");
    if (!BoxModes.count(mode)) Error("sprite " + name + " has an unknown \"bbox_mode\" " + mode);
    else out.mode = BoxModes.at(mode);
    int page = file.empty() ? -1 : AddPage(file);
    std::vector<uint8_t> rgba;
    if (file.empty()) Error("sprite " + name + " names no image \"file\"");
    else if (page >= 0 && !PagePixels(page, &rgba)) Error(file + " does not decode as a PNG image");
    if (rgba.empty()) {
        SpriteImages.push_back(out);
        return;
    }
    int frames = GetInt(s, "frames", 1), w = Pages[page].width, h = Pages[page].height;
    if (frames < 1 || frames > w) {
        Error("sprite " + name + ": " + std::to_string(frames) + " frames do not fit its " + std::to_string(w) + " pixels");
        SpriteImages.push_back(out);
        return;
    }
    out.width = w / frames;
    out.height = h;
    // The box of the visible pixels over every frame; without any, it stays inverted.
    int l = out.width - 1, t = h - 1, r = 0, b = 0;
    size_t rowBytes = ((size_t)out.width + 7) / 8;
    for (int f = 0; f < frames; f++) {
        out.entries.push_back(AddEntry(page, f * out.width, 0, out.width, h));
        std::vector<uint8_t> mask(rowBytes * h, 0);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < out.width; x++) {
                if (!rgba[((size_t)y * w + f * out.width + x) * 4 + 3]) continue;
                mask[y * rowBytes + x / 8] |= (uint8_t)(0x80 >> (x % 8));
                l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
            }
        if (GetBool(s, "precise", true)) out.masks.push_back(mask);
    }
    json_object* box = Get(s, "bbox");
    if (out.mode == 2) {
        if (Length(box) != 4) Error("sprite " + name + " needs \"bbox\": [left, top, right, bottom] with a manual box");
        else l = json_object_get_int(At(box, 0)), t = json_object_get_int(At(box, 1)),
             r = json_object_get_int(At(box, 2)), b = json_object_get_int(At(box, 3));
    } else if (out.mode == 1 || !GetBool(s, "transparent", true)) {
        l = 0, t = 0, r = out.width - 1, b = h - 1;
    }
    out.left = l, out.top = t, out.right = r, out.bottom = b;
    SpriteImages.push_back(out);
}

void CollectSprites(json_object* game)
{
    json_object* list = Get(game, "sprites");
    for (size_t i = 0; i < Length(list); i++) CollectSprite(At(list, i));
}

void WriteSprites(json_object* game)
{
    WriteListChunk("SPRT", game, "sprites", [](json_object* s, size_t i) {
        const SpriteImage& im = SpriteImages[i];
        Out.Str(GetString(s, "name"));
        // The box goes left, right, bottom, top.
        for (int v : {im.width, im.height, im.left, im.right, im.bottom, im.top}) Out.I32(v);
        Out.U32(GetBool(s, "transparent", true));
        Out.U32(GetBool(s, "smooth", false));
        Out.U32(GetBool(s, "preload", true));
        Out.I32(im.mode);
        Out.U32(GetBool(s, "precise", true));
        Out.I32(GetInt(s, "xorig", 0));
        Out.I32(GetInt(s, "yorig", 0));
        Out.U32((uint32_t)im.entries.size());
        for (int e : im.entries) EntryField(e);
        Out.U32((uint32_t)im.masks.size());
        for (const std::vector<uint8_t>& m : im.masks) Out.bytes.insert(Out.bytes.end(), m.begin(), m.end());
    });
}

// Each font's glyph image (optional) goes on a page before the pages are written.
std::vector<int> FontEntries;

void CollectFonts(json_object* game)
{
    json_object* list = Get(game, "fonts");
    for (size_t i = 0; i < Length(list); i++) FontEntries.push_back(AddWholeImage(GetString(At(list, i), "image")));
}

// FONT: the font records, then the code table of 256 characters (entry i is character i).
void WriteFonts(json_object* game)
{
    size_t c = Out.BeginChunk("FONT");
    json_object* list = Get(game, "fonts");
    WriteList(Length(list), [&](size_t i) {
        json_object* f = At(list, i);
        Out.Str(GetString(f, "name"));
        Out.Str(GetString(f, "face", "Arial"));
        Out.I32(GetInt(f, "size", 12));
        Out.U32(GetBool(f, "bold", false));
        Out.U32(GetBool(f, "italic", false));
        int first = GetInt(f, "first", 32), charset = GetInt(f, "charset", 0), antialias = GetInt(f, "antialias", 3);
        if (first < 0 || first > 65535 || charset < 0 || charset > 255 || antialias < 0 || antialias > 254)
            Error("font " + GetString(f, "name") + ": \"first\", \"charset\" or \"antialias\" is out of range");
        Out.U32((uint32_t)(first & 0xFFFF) | (uint32_t)(charset & 0xFF) << 16 | (uint32_t)((antialias + 1) & 0xFF) << 24);
        Out.I32(GetInt(f, "last", 127));
        EntryField(FontEntries[i]);
        Out.F32((float)GetNumber(f, "xscale", 1));
        Out.F32((float)GetNumber(f, "yscale", 1));
        // Glyphs: [character, x, y, w, h, advance, offset], 16 bits each.
        json_object* glyphs = Get(f, "glyphs");
        WriteList(Length(glyphs), [&](size_t g) {
            json_object* row = At(glyphs, g);
            int v[8] = {0};
            bool good = Length(row) == 7;
            for (size_t k = 0; good && k < 7; k++) {
                json_object* n = At(row, k);
                good = json_object_is_type(n, json_type_int);
                v[k] = good ? json_object_get_int(n) : 0;
                good = good && (k == 0 ? v[k] >= 0 && v[k] <= 65535 : v[k] >= -32768 && v[k] <= 32767);
            }
            if (!good) Error("font " + GetString(f, "name") + ": a glyph must be 7 integers of 16 bits");
            for (int k = 0; k < 8; k += 2) Out.U32((uint32_t)(v[k] & 0xFFFF) | (uint32_t)(v[k + 1] & 0xFFFF) << 16);
        });
    });
    for (uint32_t code = 0; code < 256; code += 2) Out.U32(code | (code + 1) << 16);
    Out.EndChunk(c);
}

// Sounds: WAV samples go into AUDO; music (MP3, or a MIDI name whose MP3 twin plays) is copied
// beside the game data file, where the runner looks for it, and gets no AUDO entry.
std::string OutFolder;

bool EndsWith(const std::string& name, const char* ending)
{
    size_t n = strlen(ending);
    if (name.size() < n) return false;
    for (size_t i = 0; i < n; i++)
        if (tolower((unsigned char)name[name.size() - n + i]) != ending[i]) return false;
    return true;
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of("/\\") + 1); }

// Music files to copy beside the game data file once everything else has been packed.
std::vector<std::pair<std::string, std::string>> MusicFiles;  // file name, bytes

void CopyBeside(const std::string& relative)
{
    std::string bytes = ReadText(relative);
    if (!Failed) MusicFiles.push_back({BaseName(relative), bytes});
}

bool WriteMusic()
{
    for (const auto& [name, bytes] : MusicFiles) {
        std::ofstream f(OutFolder + name, std::ios::binary);
        if (!f.write(bytes.data(), (std::streamsize)bytes.size())) {
            fprintf(stderr, "packer: cannot write %s\n", (OutFolder + name).c_str());
            return false;
        }
    }
    return true;
}

void WriteSounds(json_object* game)
{
    json_object* list = Get(game, "sounds");
    std::vector<std::string> samples;
    std::vector<int> entries;
    for (size_t i = 0; i < Length(list); i++) {
        json_object* s = At(list, i);
        std::string file = GetString(s, "file");
        bool midi = EndsWith(file, ".mid") || EndsWith(file, ".midi");
        bool music = midi || EndsWith(file, ".mp3");
        int entry = -1;
        if (file.empty()) {
            Error("sound " + GetString(s, "name") + " names no \"file\"");
        } else if (midi) {
            // A MIDI name plays the MP3 file of the same stem: name.mid plays name.mp3.
            CopyBeside(file.substr(0, file.size() - 3) + "mp3");
        } else if (music) {
            CopyBeside(file);
        } else {
            std::string wav = ReadText(file);
            if (!Failed && (wav.size() < 12 || wav.compare(0, 4, "RIFF") || wav.compare(8, 4, "WAVE")))
                Error(file + " is not a WAV file");
            entry = (int)samples.size();
            samples.push_back(wav);
        }
        entries.push_back(entry);
    }
    WriteListChunk("SOND", game, "sounds", [&](json_object* s, size_t i) {
        std::string file = GetString(s, "file");
        size_t dot = file.find_last_of('.');
        Out.Str(GetString(s, "name"));
        Out.I32(GetInt(s, "kind", entries[i] < 0 ? 1 : 0));
        Out.Str(dot == std::string::npos ? "" : file.substr(dot));
        Out.Str(BaseName(file));
        Out.I32(GetInt(s, "effects", 0));
        Out.F32((float)GetNumber(s, "volume", 1));
        Out.F32((float)GetNumber(s, "pan", 0));
        Out.U32(GetBool(s, "preload", true));
        Out.I32(entries[i]);
    });
    size_t c = Out.BeginChunk("AUDO");
    WriteList(samples.size(), [&](size_t i) {
        Out.U32((uint32_t)samples[i].size());
        Out.bytes.insert(Out.bytes.end(), samples[i].begin(), samples[i].end());
        while (Out.Pos() % 4) Out.bytes.push_back(0);
    });
    Out.EndChunk(c);
}

// A kind of extension argument or result: "real" (2, also when absent) or "string" (1).
int ExtensionKind(json_object* v, const std::string& where)
{
    if (!v) return 2;
    std::string kind = v && json_object_is_type(v, json_type_string) ? json_object_get_string(v) : "";
    if (kind == "string") return 1;
    if (kind != "real") Error(where + ": a kind is \"real\" or \"string\"");
    return 2;
}

// EXTN: the extension packages, each with its files, each file with its functions. Function ids
// count on from the largest given so far unless given.
void WriteExtensions(json_object* game)
{
    if (!Get(game, "extensions")) return;
    int nextId = 1;
    WriteListChunk("EXTN", game, "extensions", [&](json_object* package, size_t) {
        Out.Str(GetString(package, "folder", GetString(package, "name")));
        Out.Str(GetString(package, "name"));
        json_object* files = Get(package, "files");
        WriteList(Length(files), [&](size_t i) {
            json_object* file = At(files, i);
            std::string fileName = GetString(file, "file");
            static const std::map<std::string, int> Kinds = {{"library", 1}, {"script", 2}, {"other", 3}};
            std::string kind = GetString(file, "kind", "library");
            if (!Kinds.count(kind)) Error("extension file " + fileName + " has the kind \"" + kind + "\", which is unknown");
            Out.Str(fileName);
            Out.Str(GetString(file, "final"));
            Out.Str(GetString(file, "init"));
            Out.I32(Kinds.count(kind) ? Kinds.at(kind) : 1);
            json_object* functions = Get(file, "functions");
            WriteList(Length(functions), [&](size_t k) {
                json_object* f = At(functions, k);
                std::string name = GetString(f, "name");
                int id = GetInt(f, "id", nextId);
                nextId = std::max(nextId, id + 1);
                Out.Str(name);
                Out.I32(id);
                Out.I32(GetString(f, "convention", "stdcall") == "cdecl" ? 12 : 11);
                Out.I32(ExtensionKind(Get(f, "result"), name));
                Out.Str(GetString(f, "external", name));
                json_object* args = Get(f, "args");
                if (args && json_object_is_type(args, json_type_string) && GetString(f, "args") == "any") {
                    Out.I32(-1);
                    return;
                }
                Out.I32((int)Length(args));
                for (size_t a = 0; a < Length(args); a++) Out.I32(ExtensionKind(At(args, a), name));
            });
        });
    });
}

void WriteEmpty(const char* tag)
{
    size_t c = Out.BeginChunk(tag);
    Out.U32(0);
    Out.EndChunk(c);
}

// The string table, then every string field patched to its text.
void WriteStrings()
{
    std::map<std::string, uint32_t> placed;
    std::vector<std::string> unique;
    for (auto& s : Out.strings)
        if (!placed.count(s.second)) {
            placed[s.second] = 0;
            unique.push_back(s.second);
        }
    size_t c = Out.BeginChunk("STRG");
    WriteList(unique.size(), [&](size_t i) {
        Out.U32((uint32_t)unique[i].size());
        placed[unique[i]] = (uint32_t)Out.Pos();
        Out.bytes.insert(Out.bytes.end(), unique[i].begin(), unique[i].end());
        Out.bytes.push_back(0);
    });
    Out.EndChunk(c);
    for (auto& s : Out.strings) Out.Patch(s.first, placed[s.second]);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: packer GAME_FOLDER OUT_FILE\n");
        return 2;
    }
    Folder = argv[1];
    std::string descriptionPath = Folder + "/game.json";
    json_object* game = json_object_from_file(descriptionPath.c_str());
    if (!game || !json_object_is_type(game, json_type_object)) {
        fprintf(stderr, "packer: %s is missing or is not a JSON object: %s\n", descriptionPath.c_str(),
                json_util_get_last_err() ? json_util_get_last_err() : "");
        return 1;
    }
    std::string out = argv[2];
    OutFolder = out.substr(0, out.find_last_of('/') + 1);
    for (const char* kind : {"sounds", "sprites", "backgrounds", "fonts", "objects", "rooms", "scripts", "paths", "timelines"}) IndexNames(game, kind);

    Out.bytes.insert(Out.bytes.end(), {'F', 'O', 'R', 'M'});
    Out.U32(0);
    WriteHeader(game);
    WriteOptions(game);
    WriteScripts(game);
    WritePaths(game);
    WriteTimeLines(game);
    WriteObjects(game);
    WriteRooms(game);
    CollectBackgrounds(game);
    CollectSprites(game);
    CollectFonts(game);
    WritePages();
    WriteBackgrounds(game);
    WriteSprites(game);
    WriteFonts(game);
    WriteSounds(game);
    WriteExtensions(game);
    WriteEmpty("DAFL");
    WriteEmpty("CODE");
    WriteEmpty("FUNC");
    WriteEmpty("VARI");
    WriteStrings();
    Out.Patch(4, (uint32_t)(Out.Pos() - 8));
    if (Length(Get(game, "rooms")) == 0) fprintf(stderr, "packer: warning: the game has no rooms\n");
    json_object_put(game);
    if (Failed || !WriteMusic()) return 1;

    FILE* f = fopen(argv[2], "wb");
    if (!f || fwrite(Out.bytes.data(), 1, Out.bytes.size(), f) != Out.bytes.size() || fclose(f) != 0) {
        fprintf(stderr, "packer: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
