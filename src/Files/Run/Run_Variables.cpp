#include "Run/Run_Variables.h"

#include "Background/Background_Class.h"
#include "Background/Background_Main.h"
#include "Base/Console.h"
#include "Graphics/Graphics_Transition.h"
#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"
#include "Room/Room_Main.h"
#include "Room/View.h"
#include "Run/Run_Main.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "Variable/Arguments.h"
#include "Variable/Variable_BuiltIn.h"

#include <type_traits>

namespace {

// Instance fields: a plain read and write, or a setter with side effects. Every setter converts
// the value as the built-in arguments are converted (Arg_As).
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
    s->*F = Arg_As<T>(*v);
    return true;
}

template <class T, void (CInstance::*M)(T)>
bool CallSetter(CInstance* s, int, const TaggedValue* v)
{
    if (!s) return false;
    (s->*M)(Arg_As<T>(*v));
    return true;
}

bool SetX(CInstance* s, int, const TaggedValue* v) { if (!s) return false; s->SetPosition(Arg_F(*v), s->y); return true; }
bool SetY(CInstance* s, int, const TaggedValue* v) { if (!s) return false; s->SetPosition(s->x, Arg_F(*v)); return true; }

bool SetDepth(CInstance* s, int, const TaggedValue* v)
{
    if (!s) return false;
    s->depth = Arg_F(*v);
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
    s->alarm[index] = Arg_I(*v);
    return true;
}

bool GetObjectIndex(CInstance* s, int, TaggedValue* out) { if (!s) return false; out->SetReal(s->object_index); return true; }

// The bounding box, brought up to date as it is read.
template <CInstanceField<int> CInstance::*F>
bool GetBox(CInstance* s, int, TaggedValue* out)
{
    if (!s) return false;
    s->Compute_BoundingBox();
    out->SetReal(s->*F);
    return true;
}

// What the instance's sprite gives: its frame count, and its size and origin in the instance's
// scale; 0 without a sprite.
template <double (*Read)(const CSprite&, const CInstance&)>
bool GetSprite(CInstance* s, int, TaggedValue* out)
{
    if (!s) return false;
    const CSprite* sprite = Sprite_Get(s->sprite_index);
    out->SetReal(sprite ? Read(*sprite, *s) : 0.0);
    return true;
}

double ImageCount(const CSprite& sp, const CInstance&) { return sp.m_numb; }
double SpriteWidth(const CSprite& sp, const CInstance& i) { return sp.m_width * (double)i.image_xscale; }
double SpriteHeight(const CSprite& sp, const CInstance& i) { return sp.m_height * (double)i.image_yscale; }
double SpriteXOffset(const CSprite& sp, const CInstance& i) { return sp.m_xorigin * (double)i.image_xscale; }
double SpriteYOffset(const CSprite& sp, const CInstance& i) { return sp.m_yorigin * (double)i.image_yscale; }

// A field read by GetField, which the code machine may read in place; no setter: read-only.
template <class T, T CInstance::*F>
void AddField(const char* name, BuiltinSetter setter)
{
    Variable_BuiltIn_Add(name, GetField<T, F>, setter, setter != nullptr, BUILTIN_INSTANCE);
    Variable_BuiltIn_SetField(name, F);
}

#define INSTANCE_FIELD(name) \
    AddField<decltype(CInstance::name), &CInstance::name>(#name, SetField<decltype(CInstance::name), &CInstance::name>)
#define INSTANCE_READONLY(name) AddField<decltype(CInstance::name), &CInstance::name>(#name, nullptr)
#define INSTANCE_SETTER(name, setter) AddField<decltype(CInstance::name), &CInstance::name>(#name, setter)

// Room settings: nothing to read without a room.
template <class T, T CRoom::*F, bool Writable>
struct RoomField {
    static bool Get(CInstance*, int, TaggedValue* out)
    {
        if (!Run_Room) return false;
        out->SetReal((double)(Run_Room->*F));
        return true;
    }
    static bool Set(CInstance*, int, const TaggedValue* v)
    {
        if (!Run_Room || !Writable) return false;
        Run_Room->*F = Arg_As<T>(*v);
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
        (Run_Room->*Slots)[i].*F = Arg_As<T>(*v);
        return true;
    }
};

constexpr BuiltinShape ROOM_SLOT_ARRAY{false, ROOM_SLOTS};

#define VIEW_FIELD(name, type, field) \
    Variable_BuiltIn_Add(name, SlotField<RoomView, &CRoom::views, type, &RoomView::field>::Get, \
                         SlotField<RoomView, &CRoom::views, type, &RoomView::field>::Set, true, ROOM_SLOT_ARRAY)
#define BACKGROUND_FIELD(name, type, field) \
    Variable_BuiltIn_Add(name, SlotField<RoomBackground, &CRoom::backgrounds, type, &RoomBackground::field>::Get, \
                         SlotField<RoomBackground, &CRoom::backgrounds, type, &RoomBackground::field>::Set, true, \
                         ROOM_SLOT_ARRAY)
#define ROOM_FIELD(name, type, field, writable) \
    Variable_BuiltIn_Add(name, RoomField<type, &CRoom::field, writable>::Get, RoomField<type, &CRoom::field, writable>::Set, writable)

// background_width[i], background_height[i]: the size of the background shown in slot i, 0 when
// the slot shows none.
template <bool Height>
bool GetBackgroundSize(CInstance*, int i, TaggedValue* out)
{
    if (!Run_Room || i < 0 || i >= ROOM_SLOTS) return false;
    const CBackground* b = Background_Get(Run_Room->backgrounds[i].index);
    out->SetReal(!b ? 0 : Height ? b->GetHeight() : b->GetWidth());
    return true;
}

template <auto* G>
bool GetGlobal(CInstance*, int, TaggedValue* out)
{
    out->SetReal((double)*G);
    return true;
}

template <auto* G>
bool SetGlobal(CInstance*, int, const TaggedValue* v)
{
    *G = Arg_As<std::remove_reference_t<decltype(*G)>>(*v);
    return true;
}

#define GLOBAL_FIELD(name, var) Variable_BuiltIn_Add(name, GetGlobal<&var>, SetGlobal<&var>, true)
#define GLOBAL_READONLY(name, var) Variable_BuiltIn_Add(name, GetGlobal<&var>, nullptr, false)

bool GetRoom(CInstance*, int, TaggedValue* out) { out->SetReal(Run_RoomIndex); return true; }
bool SetRoom(CInstance*, int, const TaggedValue* v) { Room_Goto(Arg_I(*v)); return true; }
bool GetRoomFirst(CInstance*, int, TaggedValue* out) { out->SetReal(Room_GetFirst()); return true; }
bool GetRoomLast(CInstance*, int, TaggedValue* out) { out->SetReal(Room_GetLast()); return true; }

bool GetRoomCaption(CInstance*, int, TaggedValue* out)
{
    if (!Run_Room) return false;
    out->SetString(Run_Room->caption ? Run_Room->caption : "");
    return true;
}

bool SetRoomCaption(CInstance*, int, const TaggedValue* v)
{
    if (!Run_Room) return false;
    Run_Room->SetCaption(Arg_S(*v));
    return true;
}

bool SetLives(CInstance*, int, const TaggedValue* v)
{
    Run_SetLives(Arg_I(*v));
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

bool SetTransitionSteps(CInstance*, int, const TaggedValue* v)
{
    GR_Transition_Set_Steps(Arg_I(*v));
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

// instance_id[i]: the id of the room's i-th live instance, noone (-4) past the last.
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
    Run_SetCaptionText(Slot, Arg_S(*v));
    return true;
}

void Run_Variables_Init()
{
    INSTANCE_SETTER(x, SetX);
    INSTANCE_SETTER(y, SetY);
    INSTANCE_FIELD(xprevious);
    INSTANCE_FIELD(yprevious);
    INSTANCE_FIELD(xstart);
    INSTANCE_FIELD(ystart);
    INSTANCE_SETTER(speed, (CallSetter<float, &CInstance::SetSpeed>));
    INSTANCE_SETTER(direction, (CallSetter<float, &CInstance::SetDirection>));
    INSTANCE_SETTER(hspeed, (CallSetter<float, &CInstance::SetHSpeed>));
    INSTANCE_SETTER(vspeed, (CallSetter<float, &CInstance::SetVSpeed>));
    INSTANCE_FIELD(friction);
    INSTANCE_FIELD(gravity);
    INSTANCE_FIELD(gravity_direction);
    INSTANCE_FIELD(image_index);
    INSTANCE_FIELD(image_speed);
    INSTANCE_SETTER(image_xscale, (CallSetter<float, &CInstance::SetImageXScale>));
    INSTANCE_SETTER(image_yscale, (CallSetter<float, &CInstance::SetImageYScale>));
    INSTANCE_SETTER(image_angle, (CallSetter<float, &CInstance::SetImageAngle>));
    INSTANCE_FIELD(image_alpha);
    INSTANCE_FIELD(image_blend);
    Variable_BuiltIn_Add("image_number", GetSprite<ImageCount>, nullptr, false, BUILTIN_INSTANCE);
    INSTANCE_SETTER(sprite_index, (CallSetter<int, &CInstance::SetSprite>));
    Variable_BuiltIn_Add("sprite_width", GetSprite<SpriteWidth>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("sprite_height", GetSprite<SpriteHeight>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("sprite_xoffset", GetSprite<SpriteXOffset>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("sprite_yoffset", GetSprite<SpriteYOffset>, nullptr, false, BUILTIN_INSTANCE);
    INSTANCE_SETTER(mask_index, (CallSetter<int, &CInstance::SetMask>));
    INSTANCE_SETTER(depth, SetDepth);
    INSTANCE_FIELD(visible);
    INSTANCE_FIELD(solid);
    INSTANCE_FIELD(persistent);
    Variable_BuiltIn_Add("alarm", GetAlarm, SetAlarm, true, {true, ALARM_COUNT});
    INSTANCE_READONLY(path_index);
    INSTANCE_SETTER(path_position, (CallSetter<float, &CInstance::SetPathPosition>));
    INSTANCE_FIELD(path_positionprevious);
    INSTANCE_SETTER(path_speed, (CallSetter<float, &CInstance::SetPathSpeed>));
    INSTANCE_FIELD(path_scale);
    INSTANCE_FIELD(path_orientation);
    INSTANCE_FIELD(path_endaction);
    INSTANCE_FIELD(timeline_index);
    INSTANCE_FIELD(timeline_position);
    INSTANCE_FIELD(timeline_speed);
    INSTANCE_FIELD(timeline_running);
    INSTANCE_FIELD(timeline_loop);
    INSTANCE_READONLY(id);
    Variable_BuiltIn_Add("object_index", GetObjectIndex, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("bbox_left", GetBox<&CInstance::bbox_left>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("bbox_top", GetBox<&CInstance::bbox_top>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("bbox_right", GetBox<&CInstance::bbox_right>, nullptr, false, BUILTIN_INSTANCE);
    Variable_BuiltIn_Add("bbox_bottom", GetBox<&CInstance::bbox_bottom>, nullptr, false, BUILTIN_INSTANCE);

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
    Variable_BuiltIn_Add("background_width", GetBackgroundSize<false>, nullptr, false, ROOM_SLOT_ARRAY);
    Variable_BuiltIn_Add("background_height", GetBackgroundSize<true>, nullptr, false, ROOM_SLOT_ARRAY);

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
    GLOBAL_READONLY("async_load", async_load);
    Variable_BuiltIn_Add("instance_count", GetInstanceCount, nullptr, false);
    Variable_BuiltIn_Add("instance_id", GetInstanceId, nullptr, false, {false, BUILTIN_ANY_INDEX});
    Run_Variables_Program_Init();
}
