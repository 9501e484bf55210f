#include "Run/Run_Variables.h"

#include "Base/Clock.h"
#include "Base/Console.h"
#include "Code/Arguments.h"
#include "Function/Quenby_Functions.h"
#include "Graphics/Graphics_Transition.h"
#include "IO/IO.h"
#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"
#include "Run/View.h"
#include "Variable/Variable_BuiltIn.h"

#include <cmath>

namespace {

// Instance fields: a plain read and write, or a setter with side effects.
template <class T, T CInstance::*F>
bool GetField(CInstance* s, int, TaggedValue* out)
{
    if (!s) return false;
    out->SetReal((double)(s->*F));
    return true;
}

template <class T, T CInstance::*F>
bool SetField(CInstance* s, int, const TaggedValue* v)
{
    if (!s) return false;
    if constexpr (std::is_same_v<T, bool>) s->*F = (float)v->GetReal() >= 0.5f;
    else if constexpr (std::is_same_v<T, int>) s->*F = (int)lrint(v->GetReal());
    else s->*F = (T)v->GetReal();
    return true;
}

template <void (CInstance::*M)(float)>
bool CallSetter(CInstance* s, int, const TaggedValue* v)
{
    if (!s) return false;
    (s->*M)((float)v->GetReal());
    return true;
}

bool SetX(CInstance* s, int, const TaggedValue* v) { if (!s) return false; s->SetPosition((float)v->GetReal(), s->y); return true; }
bool SetY(CInstance* s, int, const TaggedValue* v) { if (!s) return false; s->SetPosition(s->x, (float)v->GetReal()); return true; }

bool SetDepth(CInstance* s, int, const TaggedValue* v)
{
    if (!s) return false;
    s->depth = (float)v->GetReal();
    if (Run_Room) Run_Room->ChangeDepth(s);
    return true;
}

bool GetAlarm(CInstance* s, int index, TaggedValue* out)
{
    if (!s || index < 0 || index >= ALARM_COUNT) return false;
    out->SetReal(s->alarm[index]);
    return true;
}

bool SetAlarm(CInstance* s, int index, const TaggedValue* v)
{
    if (!s || index < 0 || index >= ALARM_COUNT) return false;
    s->alarm[index] = (int)lrint(v->GetReal());
    return true;
}

bool GetObjectIndex(CInstance* s, int, TaggedValue* out) { if (!s) return false; out->SetReal(s->object_index); return true; }

// The bounding box, brought up to date as it is read.
template <int CInstance::*F>
bool GetBox(CInstance* s, int, TaggedValue* out)
{
    if (!s) return false;
    s->Compute_BoundingBox();
    out->SetReal(s->*F);
    return true;
}

// A new sprite or mask gives the instance another box.
template <int CInstance::*F>
bool SetShape(CInstance* s, int, const TaggedValue* v)
{
    if (!s) return false;
    s->*F = (int)lrint(v->GetReal());
    s->bbox_dirty = true;
    return true;
}

// A field read by GetField, which the code machine may read in place; no setter: read-only.
template <class T, T CInstance::*F>
void AddField(const char* name, BuiltinSetter setter)
{
    Variable_BuiltIn_Add(name, GetField<T, F>, setter, setter != nullptr);
    Variable_BuiltIn_SetField(name, F);
}

#define INSTANCE_FIELD(name, type) AddField<type, &CInstance::name>(#name, SetField<type, &CInstance::name>)
#define INSTANCE_READONLY(name, type) AddField<type, &CInstance::name>(#name, nullptr)
#define INSTANCE_SETTER(name, type, setter) AddField<type, &CInstance::name>(#name, setter)

// Room settings: nothing to read without a room.
bool Fail(TaggedValue*) { return false; }

template <class T, T CRoom::*F, bool Writable>
struct RoomField {
    static bool Get(CInstance*, int, TaggedValue* out)
    {
        if (!Run_Room) return Fail(out);
        out->SetReal((double)(Run_Room->*F));
        return true;
    }
    static bool Set(CInstance*, int, const TaggedValue* v)
    {
        if (!Run_Room || !Writable) return false;
        if constexpr (std::is_same_v<T, bool>) Run_Room->*F = (float)v->GetReal() >= 0.5f;
        else if constexpr (std::is_same_v<T, int>) Run_Room->*F = (int)lrint(v->GetReal());
        else Run_Room->*F = (T)v->GetReal();
        return true;
    }
};

// A slot field of the current room's views or backgrounds, indexed 0..7.
template <class S, S (CRoom::*Slots)[ROOM_SLOTS], class T, T S::*F>
struct SlotField {
    static bool Get(CInstance*, int i, TaggedValue* out)
    {
        if (!Run_Room || i < 0 || i >= ROOM_SLOTS) return false;
        out->SetReal((double)((Run_Room->*Slots)[i].*F));
        return true;
    }
    static bool Set(CInstance*, int i, const TaggedValue* v)
    {
        if (!Run_Room || i < 0 || i >= ROOM_SLOTS) return false;
        T& slot = (Run_Room->*Slots)[i].*F;
        if constexpr (std::is_same_v<T, bool>) slot = (float)v->GetReal() >= 0.5f;
        else if constexpr (std::is_same_v<T, int> || std::is_same_v<T, uint32_t>) slot = (T)lrint(v->GetReal());
        else slot = (T)v->GetReal();
        return true;
    }
};

#define VIEW_FIELD(name, type, field) \
    Variable_BuiltIn_Add(name, SlotField<RoomView, &CRoom::views, type, &RoomView::field>::Get, \
                         SlotField<RoomView, &CRoom::views, type, &RoomView::field>::Set, true)
#define BACKGROUND_FIELD(name, type, field) \
    Variable_BuiltIn_Add(name, SlotField<RoomBackground, &CRoom::backgrounds, type, &RoomBackground::field>::Get, \
                         SlotField<RoomBackground, &CRoom::backgrounds, type, &RoomBackground::field>::Set, true)
#define ROOM_FIELD(name, type, field, writable) \
    Variable_BuiltIn_Add(name, RoomField<type, &CRoom::field, writable>::Get, RoomField<type, &CRoom::field, writable>::Set, writable)

template <auto* G>
bool GetGlobal(CInstance*, int, TaggedValue* out)
{
    out->SetReal((double)*G);
    return true;
}

template <auto* G>
bool SetGlobal(CInstance*, int, const TaggedValue* v)
{
    using T = std::remove_reference_t<decltype(*G)>;
    if constexpr (std::is_same_v<T, bool>) *G = (float)v->GetReal() >= 0.5f;
    else if constexpr (std::is_same_v<T, int>) *G = (int)lrint(v->GetReal());
    else *G = (T)v->GetReal();
    return true;
}

#define GLOBAL_FIELD(name, var) Variable_BuiltIn_Add(name, GetGlobal<&var>, SetGlobal<&var>, true)
#define GLOBAL_READONLY(name, var) Variable_BuiltIn_Add(name, GetGlobal<&var>, nullptr, false)

bool GetRoom(CInstance*, int, TaggedValue* out) { out->SetReal(Run_RoomIndex); return true; }
bool SetRoom(CInstance*, int, const TaggedValue* v) { Room_Goto((int)lrint(v->GetReal())); return true; }
bool GetRoomFirst(CInstance*, int, TaggedValue* out) { out->SetReal(Room_GetFirst()); return true; }
bool GetRoomLast(CInstance*, int, TaggedValue* out) { out->SetReal(Room_GetLast()); return true; }
bool GetMouseX(CInstance*, int, TaggedValue* out) { out->SetReal(Mouse_GetRoomX(0)); return true; }
bool GetMouseY(CInstance*, int, TaggedValue* out) { out->SetReal(Mouse_GetRoomY(0)); return true; }
bool GetLastKey(CInstance*, int, TaggedValue* out) { out->SetReal(IO_GetLastKey()); return true; }
bool SetLastKey(CInstance*, int, const TaggedValue* v) { IO_SetLastKey(RealToInt(v->GetReal())); return true; }
bool GetLastButton(CInstance*, int, TaggedValue* out) { out->SetReal(IO_GetMouseLastButton(0)); return true; }
bool GetCurrentTime(CInstance*, int, TaggedValue* out) { out->SetReal((double)(Clock_SinceStart() / 1000)); return true; }
bool SetLastButton(CInstance*, int, const TaggedValue* v) { IO_SetMouseLastButton(0, RealToInt(v->GetReal())); return true; }

bool GetRoomCaption(CInstance*, int, TaggedValue* out)
{
    if (!Run_Room) return false;
    out->SetString(Run_Room->caption ? Run_Room->caption : "");
    return true;
}

bool SetRoomCaption(CInstance*, int, const TaggedValue* v)
{
    if (!Run_Room) return false;
    Run_Room->SetCaption(v->GetString());
    return true;
}

bool SetLives(CInstance*, int, const TaggedValue* v)
{
    Run_SetLives(RealToInt(v->GetReal()));
    return true;
}

bool SetHealth(CInstance*, int, const TaggedValue* v)
{
    Run_SetHealth(v->GetReal());
    return true;
}

template <char** Slot>
struct CaptionText {
    static bool Get(CInstance*, int, TaggedValue* out) { out->SetString(*Slot ? *Slot : ""); return true; }
    static bool Set(CInstance*, int, const TaggedValue* v);
};

// Room changes play no transition: the kind always reads 0.
bool SetTransitionKind(CInstance*, int, const TaggedValue*)
{
    Console_Warnings->Output("BUG: Room transitions don't function well - setting to 0 - look at Variable_BuiltIn SV_TransitionKind() .\n");
    transition_kind = 0;
    return true;
}

bool GetTransitionSteps(CInstance*, int, TaggedValue* out)
{
    out->SetReal(GR_Transition_Get_Steps());
    return true;
}

// Values below 1 store 1 (NaN too); huge ones the largest count.
bool SetTransitionSteps(CInstance*, int, const TaggedValue* v)
{
    double steps = v->GetReal();
    GR_Transition_Set_Steps(steps >= INT32_MAX ? INT32_MAX : RealToInt(steps));
    return true;
}

bool GetInstanceCount(CInstance*, int, TaggedValue* out)
{
    int n = 0;
    if (Run_Room)
        for (CInstance* i : Run_Room->active)
            if (!i->marked) n++;
    out->SetReal(n);
    return true;
}

bool GetInstanceId(CInstance*, int index, TaggedValue* out)
{
    int n = 0;
    if (Run_Room)
        for (CInstance* i : Run_Room->active)
            if (!i->marked && n++ == index) {
                out->SetReal(i->id);
                return true;
            }
    out->SetReal(-4);
    return true;
}

}  // namespace

void Run_SetLives(int value)
{
    int old = lives;
    lives = value;
    if (old > 0 && lives <= 0) Event_Other_PerformAll(OTHER_NO_MORE_LIVES);
}

void Run_SetHealth(double value)
{
    double old = health;
    health = value;
    if (old > 0 && health <= 0) Event_Other_PerformAll(OTHER_NO_MORE_HEALTH);
}

template <char** Slot>
bool CaptionText<Slot>::Set(CInstance*, int, const TaggedValue* v)
{
    Run_SetCaptionText(Slot, v->GetString());
    return true;
}

void Run_Variables_Init()
{
    INSTANCE_SETTER(x, float, SetX);
    INSTANCE_SETTER(y, float, SetY);
    INSTANCE_FIELD(xprevious, float);
    INSTANCE_FIELD(yprevious, float);
    INSTANCE_FIELD(xstart, float);
    INSTANCE_FIELD(ystart, float);
    INSTANCE_SETTER(speed, float, CallSetter<&CInstance::SetSpeed>);
    INSTANCE_SETTER(direction, float, CallSetter<&CInstance::SetDirection>);
    INSTANCE_SETTER(hspeed, float, CallSetter<&CInstance::SetHSpeed>);
    INSTANCE_SETTER(vspeed, float, CallSetter<&CInstance::SetVSpeed>);
    INSTANCE_FIELD(friction, float);
    INSTANCE_FIELD(gravity, float);
    INSTANCE_FIELD(gravity_direction, float);
    INSTANCE_FIELD(image_index, float);
    INSTANCE_FIELD(image_speed, float);
    INSTANCE_SETTER(image_xscale, float, CallSetter<&CInstance::SetImageXScale>);
    INSTANCE_SETTER(image_yscale, float, CallSetter<&CInstance::SetImageYScale>);
    INSTANCE_SETTER(image_angle, float, CallSetter<&CInstance::SetImageAngle>);
    INSTANCE_FIELD(image_alpha, float);
    INSTANCE_FIELD(image_blend, int);
    INSTANCE_SETTER(sprite_index, int, SetShape<&CInstance::sprite_index>);
    INSTANCE_SETTER(mask_index, int, SetShape<&CInstance::mask_index>);
    INSTANCE_SETTER(depth, float, SetDepth);
    INSTANCE_FIELD(visible, bool);
    INSTANCE_FIELD(solid, bool);
    INSTANCE_FIELD(persistent, bool);
    Variable_BuiltIn_Add("alarm", GetAlarm, SetAlarm, true);
    INSTANCE_READONLY(path_index, int);
    INSTANCE_SETTER(path_position, float, CallSetter<&CInstance::SetPathPosition>);
    INSTANCE_FIELD(path_positionprevious, float);
    INSTANCE_SETTER(path_speed, float, CallSetter<&CInstance::SetPathSpeed>);
    INSTANCE_FIELD(path_scale, float);
    INSTANCE_FIELD(path_orientation, float);
    INSTANCE_FIELD(path_endaction, int);
    INSTANCE_FIELD(timeline_index, int);
    INSTANCE_FIELD(timeline_position, float);
    INSTANCE_FIELD(timeline_speed, float);
    INSTANCE_FIELD(timeline_running, bool);
    INSTANCE_FIELD(timeline_loop, bool);
    INSTANCE_READONLY(id, int);
    Variable_BuiltIn_Add("object_index", GetObjectIndex, nullptr, false);
    Variable_BuiltIn_Add("bbox_left", GetBox<&CInstance::bbox_left>, nullptr, false);
    Variable_BuiltIn_Add("bbox_top", GetBox<&CInstance::bbox_top>, nullptr, false);
    Variable_BuiltIn_Add("bbox_right", GetBox<&CInstance::bbox_right>, nullptr, false);
    Variable_BuiltIn_Add("bbox_bottom", GetBox<&CInstance::bbox_bottom>, nullptr, false);

    Variable_BuiltIn_Add("room", GetRoom, SetRoom, true);
    Variable_BuiltIn_Add("room_first", GetRoomFirst, nullptr, false);
    Variable_BuiltIn_Add("room_last", GetRoomLast, nullptr, false);
    ROOM_FIELD("room_speed", int, speed, true);
    ROOM_FIELD("room_width", int, width, false);
    ROOM_FIELD("room_height", int, height, false);
    ROOM_FIELD("room_persistent", bool, persistent, true);
    Variable_BuiltIn_Add("room_caption", GetRoomCaption, SetRoomCaption, true);
    ROOM_FIELD("background_color", uint32_t, colour, true);
    ROOM_FIELD("background_showcolor", bool, show_colour, true);
    ROOM_FIELD("view_enabled", bool, enable_views, true);
    VIEW_FIELD("view_visible", bool, visible);
    VIEW_FIELD("view_xview", int, xview);
    VIEW_FIELD("view_yview", int, yview);
    VIEW_FIELD("view_wview", int, wview);
    VIEW_FIELD("view_hview", int, hview);
    VIEW_FIELD("view_xport", int, xport);
    VIEW_FIELD("view_yport", int, yport);
    VIEW_FIELD("view_wport", int, wport);
    VIEW_FIELD("view_hport", int, hport);
    VIEW_FIELD("view_angle", float, angle);
    VIEW_FIELD("view_hborder", int, hborder);
    VIEW_FIELD("view_vborder", int, vborder);
    VIEW_FIELD("view_hspeed", int, hspeed);
    VIEW_FIELD("view_vspeed", int, vspeed);
    VIEW_FIELD("view_object", int, object);
    VIEW_FIELD("view_surface_id", int, surface);
    BACKGROUND_FIELD("background_visible", bool, visible);
    BACKGROUND_FIELD("background_foreground", bool, foreground);
    BACKGROUND_FIELD("background_index", int, index);
    BACKGROUND_FIELD("background_x", float, x);
    BACKGROUND_FIELD("background_y", float, y);
    BACKGROUND_FIELD("background_htiled", bool, htiled);
    BACKGROUND_FIELD("background_vtiled", bool, vtiled);
    BACKGROUND_FIELD("background_hspeed", float, hspeed);
    BACKGROUND_FIELD("background_vspeed", float, vspeed);
    BACKGROUND_FIELD("background_xscale", float, xscale);
    BACKGROUND_FIELD("background_yscale", float, yscale);
    BACKGROUND_FIELD("background_blend", uint32_t, blend);
    BACKGROUND_FIELD("background_alpha", float, alpha);

    Variable_BuiltIn_Add("score", GetGlobal<&score>, SetGlobal<&score>, true);
    Variable_BuiltIn_Add("lives", GetGlobal<&lives>, SetLives, true);
    Variable_BuiltIn_Add("health", GetGlobal<&health>, SetHealth, true);
    GLOBAL_FIELD("show_score", show_score);
    GLOBAL_FIELD("show_lives", show_lives);
    GLOBAL_FIELD("show_health", show_health);
    Variable_BuiltIn_Add("caption_score", CaptionText<&caption_score>::Get, CaptionText<&caption_score>::Set, true);
    Variable_BuiltIn_Add("caption_lives", CaptionText<&caption_lives>::Get, CaptionText<&caption_lives>::Set, true);
    Variable_BuiltIn_Add("caption_health", CaptionText<&caption_health>::Get, CaptionText<&caption_health>::Set, true);
    GLOBAL_FIELD("cursor_sprite", cursor_sprite);
    Variable_BuiltIn_Add("transition_kind", GetGlobal<&transition_kind>, SetTransitionKind, true);
    Variable_BuiltIn_Add("transition_steps", GetTransitionSteps, SetTransitionSteps, true);
    GLOBAL_READONLY("event_type", event_type);
    GLOBAL_READONLY("event_number", event_number);
    GLOBAL_READONLY("event_object", event_object);
    GLOBAL_READONLY("fps", Run_FPS);
    GLOBAL_READONLY("view_current", view_current);
    Variable_BuiltIn_Add("mouse_x", GetMouseX, nullptr, false);
    Variable_BuiltIn_Add("mouse_y", GetMouseY, nullptr, false);
    Variable_BuiltIn_Add("mouse_lastbutton", GetLastButton, SetLastButton, true);
    Variable_BuiltIn_Add("keyboard_lastkey", GetLastKey, SetLastKey, true);
    Variable_BuiltIn_Add("current_time", GetCurrentTime, nullptr, false);  // milliseconds since the game's start
    GLOBAL_READONLY("async_load", async_load);
    Variable_BuiltIn_Add("instance_count", GetInstanceCount, nullptr, false);
    Variable_BuiltIn_Add("instance_id", GetInstanceId, nullptr, false);
    Quenby_Variables_Init();
}
