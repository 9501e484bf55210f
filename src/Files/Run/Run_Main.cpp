#include "Run/Run_Main.h"

#include "Background/Background_Main.h"
#include "Base/Clock.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Base/Random.h"
#include "Base/Timer.h"
#include "Code/Code_Class.h"
#include "Code/Code_Constant.h"
#include "Code/Error.h"
#include "Extension/Extension_Main.h"
#include "Font/Font_Main.h"
#include "Graphics_API/GR_Device.h"
#include "IO/IO.h"
#include "IO/IO_Joystick.h"
#include "IO/IO_Record.h"
#include "IO/Window.h"
#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Option/Option_Main.h"
#include "Particle/Particle_Main.h"
#include "Path/Path_Main.h"
#include "Physics/Physics_Main.h"
#include "Room/Instance_Ops.h"
#include "Room/Room_Collision.h"
#include "Room/Room_Draw.h"
#include "Room/Room_Main.h"
#include "Room/View.h"
#include "Run/Run_Save.h"
#include "Runner/GameFile.h"
#include "Script/Script_Main.h"
#include "Sound/Audio_Main.h"
#include "Sound/Sound_Main.h"
#include "Sprite/Sprite_Main.h"
#include "TimeLine/TimeLine_Main.h"
#include "Variable/Arguments.h"
#include "Variable/Variable_Main.h"

#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

bool Run_Running = false;
int Run_FPS = 0;
int64_t Run_Frames = 0;
bool Run_NoWait = false;
bool Run_AutoDraw = true;
int (*Run_SpriteImageCount)(int sprite) = nullptr;
void (*Run_PerFrameHook)() = nullptr;

int score = 0, lives = -1;
double health = 100.0;
bool show_score = true, show_lives = false, show_health = false;
char* caption_score = nullptr;
char* caption_lives = nullptr;
char* caption_health = nullptr;
int cursor_sprite = -1;
int async_load = -1;

namespace {
using Clock = std::chrono::steady_clock;
Clock::time_point NextFrame, FpsSecond;
int FpsCount = 0;
std::vector<CInstance*> Carried;  // persistent instances between two rooms
CInstance* RoomSelf = nullptr;    // self of room creation code, in no room

void ResetGameState()
{
    score = 0;
    lives = -1;
    health = 100.0;
    show_score = true;
    show_lives = show_health = false;
    Run_SetCaptionText(&caption_score, "Score: ");
    Run_SetCaptionText(&caption_lives, "Lives: ");
    Run_SetCaptionText(&caption_health, "Health: ");
    cursor_sprite = -1;
    async_load = -1;
    transition_kind = 0;
    Room_LastInstanceId = Game_Header.lastInstanceId;
    Room_LastTileId = Game_Header.lastTileId;
}

void RunCode(CInstance* self, CCode* code, const char* objectName, const char* what)
{
    if (!code) return;
    ErrorContext saved = Error_Context;
    Error_Context = ErrorContext();
    Error_Context.objectName = objectName;
    Error_Context.eventName = what;
    TaggedValue result;
    RelativeFlagScope relative;
    Code_Execute_ShowError(self, self, code, &result);
    Error_Context = saved;
}

void DrawPass();

void RoomStart(int index, bool gameStart)
{
    CRoom* resource = Room_Get(index);
    IO_Clear();
    Effect_Clear();
    CRoom* room = Room_TakeKept(index);
    struct Fresh { CInstance* inst; CCode* code; };
    std::vector<Fresh> fresh;
    Run_RoomIndex = index;
    if (room) {
        Run_Room = room;
        room->Resume();
    } else {
        room = new CRoom();
        room->CopyFrom(*resource);
        room->tiles = room->entry_tiles;
        Run_Room = room;
        Physics_RoomStart(room);
        for (const RoomInstanceEntry& e : resource->entries) {
            if (!Object_Exists(e.object) || (e.id >= INSTANCE_ID_FIRST && Instance_Find(e.id))) continue;
            CInstance* inst = room->CreateInstance((float)e.x, (float)e.y, e.object, e.id);
            if (!inst) break;
            inst->SetImageXScale(e.xscale);
            inst->SetImageYScale(e.yscale);
            inst->SetImageAngle(e.rotation);
            inst->image_blend = (int)(e.colour & 0xFFFFFF);
            inst->image_alpha = (float)((e.colour >> 24) & 0xFF) / 255.0f;
            Physics_InstanceCreated(room, inst);
            fresh.push_back({inst, e.compiled});
        }
    }
    for (CInstance* inst : Carried) room->LinkInstance(inst);
    Carried.clear();
    Run_UpdateCaption();  // before the events, which may set a caption of their own

    bool createFirst = (Option_Flags & OPTION_CREATE_EVENT_FIRST) != 0;
    for (const Fresh& f : fresh) {
        if (Room_ChangePending()) break;
        if (f.inst->marked) continue;
        if (createFirst) Event_Perform_Instance(f.inst, f.inst, EVENT_CREATE, 0);
        RunCode(f.inst, f.code, Object_GetName(f.inst->object_index), "Instance Creation Code");
        if (!createFirst) Event_Perform_Instance(f.inst, f.inst, EVENT_CREATE, 0);
        f.inst->created = true;
    }
    if (gameStart) Event_Other_PerformAll(OTHER_GAME_START);
    if (!Room_ChangePending()) RunCode(RoomSelf, resource->creation_compiled, resource->name.c_str(), "Room Creation Code");
    Event_Other_PerformAll(OTHER_ROOM_START);
    if (Run_AutoDraw) DrawPass();
}

void RoomEnd(bool gameEnds)
{
    CRoom* room = Run_Room;
    if (!room) return;
    room->FreeMarked();
    Room_Ending = true;
    Event_Other_PerformAll(OTHER_ROOM_END);
    if (gameEnds) Event_Other_PerformAll(OTHER_GAME_END);
    Room_Ending = false;
    room->FreeMarked();
    if (!gameEnds) {
        std::vector<CInstance*> list = room->active.Snapshot();
        for (CInstance* inst : list)
            if (inst->persistent) {
                room->UnlinkInstance(inst);
                Physics_RemoveBody(inst);  // its world stays behind
                Carried.push_back(inst);
            }
    }
    Run_Room = nullptr;
    if (room->persistent && !gameEnds) {
        room->Suspend();
        Room_Keep(Run_RoomIndex, room);
    } else {
        delete room;
    }
}

void FreeCarried()
{
    for (CInstance* inst : Carried) delete inst;
    Carried.clear();
}

// Runs a pass over the live active instances; the body gets each instance.
template <class Body>
void InstancePass(Body body)
{
    if (!Run_Room || Room_ChangePending()) return;
    int64_t stamp = Event_BeginPass();
    std::vector<CInstance*> list = Run_Room->active.Snapshot();
    CInstance* const* items = list.data();
    for (size_t i = 0, count = list.size(); i < count; i++) {
        Instance_Prefetch(items, count, i);
        CInstance* inst = items[i];
        if (Room_ChangePending()) return;
        if (Event_InPass(inst, stamp)) body(inst);
    }
}

// Keyboard events: held, pressed, released.
void KeyboardPass()
{
    static const struct { int type; uint8_t state; } Keys[] = {
        {EVENT_KEYBOARD, IO_DOWN}, {EVENT_KEYPRESS, IO_PRESSED}, {EVENT_KEYRELEASE, IO_RELEASED}};
    for (const auto& k : Keys)
        for (int key = 0; key < IO_KEY_COUNT; key++)
            if (!Object_EventList(k.type, key).empty() && IO_KeyCheck(key, k.state))
                Event_PerformForObjects(k.type, key);
}

// The global button events of the first mouse: held 50-52, pressed 53-55, released 56-58 (left,
// right, middle).
void GlobalMousePass()
{
    static const uint8_t States[] = {IO_DOWN, IO_PRESSED, IO_RELEASED};
    for (int s = 0; s < 3; s++)
        for (int button = 1; button <= IO_MOUSE_BUTTONS; button++) {
            int number = 50 + s * 3 + (button - 1);
            if (!Object_EventList(EVENT_MOUSE, number).empty() && IO_MouseCheck(button, 0, States[s]))
                Event_PerformForObjects(EVENT_MOUSE, number);
        }
}

void WheelPass()
{
    if (IO_MouseWheelUp(0)) Event_PerformForObjects(EVENT_MOUSE, 60);
    if (IO_MouseWheelDown(0)) Event_PerformForObjects(EVENT_MOUSE, 61);
}

// A pass over the instances whose objects have one of the mouse events first..last; the body gets
// each with whether its shape covers the first mouse's position in the room.
template <class Body>
void MouseShapePass(int first, int last, Body body)
{
    bool any = false;
    for (int number = first; number <= last && !any; number++) any = !Object_EventList(EVENT_MOUSE, number).empty();
    if (!any) return;  // most games have none: no work in their steps
    std::vector<bool> hasEvent((size_t)Object_Count(), false);
    for (int number = first; number <= last; number++)
        for (int object : Object_EventList(EVENT_MOUSE, number))
            if (object >= 0 && object < (int)hasEvent.size()) hasEvent[(size_t)object] = true;
    float mx = Mouse_GetRoomX(0), my = Mouse_GetRoomY(0);
    InstancePass([&](CInstance* inst) {
        if (inst->object_index < 0 || inst->object_index >= (int)hasEvent.size() || !hasEvent[(size_t)inst->object_index])
            return;
        body(inst, Collision_InstanceCoversPoint(inst, mx, my, true));
    });
}

void RaiseMouseEvent(CInstance* inst, int number)
{
    if (Event_Takes(inst) && !Room_ChangePending()) Event_Perform_Instance(inst, inst, EVENT_MOUSE, number);
}

// The button events of instance shapes under the first mouse: held, pressed and released (0-2,
// 4-6, 7-9) and no button (3).
void LocalMousePass()
{
    static const uint8_t States[] = {IO_DOWN, IO_PRESSED, IO_RELEASED};
    MouseShapePass(0, 9, [](CInstance* inst, bool over) {
        if (!over) return;
        for (int s = 0; s < 3; s++)
            for (int button = 1; button <= IO_MOUSE_BUTTONS; button++)
                if (IO_MouseCheck(button, 0, States[s])) RaiseMouseEvent(inst, (s == 0 ? 0 : s == 1 ? 4 : 7) + button - 1);
        if (IO_GetMouseButton(0) == 0) RaiseMouseEvent(inst, 3);
    });
}

// The first mouse entering (10) and leaving (11) instance shapes, after the global events.
void EnterLeavePass()
{
    MouseShapePass(10, 11, [](CInstance* inst, bool over) {
        // A deactivated instance's enter or leave waits until it is back.
        if (!Event_Takes(inst)) return;
        bool wasOver = inst->mouse_over;
        inst->mouse_over = over;
        if (over && !wasOver) RaiseMouseEvent(inst, 10);
        if (!over && wasOver) RaiseMouseEvent(inst, 11);
    });
}

void TimeLinePass()
{
    if (TimeLine_Count() == 0) return;  // no instance can run one
    InstancePass([](CInstance* inst) {
        if (!inst->timeline_running) return;
        CTimeLine* line = TimeLine_Get(inst->timeline_index);
        if (!line) return;
        float from = inst->timeline_position, to = from + inst->timeline_speed;
        std::vector<int> due;
        for (int i = 0; i < line->GetCount(); i++) {
            int t = line->GetMoment(i).time;
            if (to >= from ? (t >= from && t < to) : (t <= from && t > to)) due.push_back(i);
        }
        if (to < from) std::reverse(due.begin(), due.end());
        inst->timeline_position = to;
        int timeline = inst->timeline_index;
        for (int i : due) {
            CTimeLine* current = TimeLine_Get(timeline);
            if (!current || current != line || i >= current->GetCount() || Room_ChangePending()) break;
            const TimeLineMoment& m = current->GetMoment(i);
            if (!Event_Takes(inst)) {
                // An earlier moment deactivated the instance: the rest wait for it, unless a
                // moment moved the position itself.
                if (inst->timeline_index == timeline && inst->timeline_position == to) inst->timeline_position = (float)m.time;
                break;
            }
            ErrorContext saved = Error_Context;
            Error_Context = ErrorContext();
            Error_Context.timeLineName = TimeLine_GetName(timeline);
            Error_Context.moment = m.time;
            TaggedValue result;
            if (m.code) {
                RelativeFlagScope relative;
                Code_Execute_ShowError(inst, inst, m.code, &result);
            }
            Error_Context = saved;
        }
        CTimeLine* after = TimeLine_Get(inst->timeline_index);
        if (after && inst->timeline_loop && inst->timeline_speed > 0 && inst->timeline_position > after->MaxTime())
            inst->timeline_position = 0;
    });
}

void AlarmPass()
{
    InstancePass([](CInstance* inst) {
        // Most instances have no alarm set: one look at all twelve (the compiler does it at once).
        int highest = 0;
        for (int value : inst->alarm) highest = std::max(highest, value);
        if (highest <= 0) return;
        // Alarms of an instance that an alarm event deactivated wait, not ring unseen.
        for (int a = 0; a < ALARM_COUNT; a++) {
            if (inst->alarm[a] <= 0) continue;
            if (!Event_Takes(inst) || Room_ChangePending()) return;
            if (--inst->alarm[a] > 0) continue;
            inst->alarm[a] = -1;
            Event_Perform_Instance(inst, inst, EVENT_ALARM, a);
        }
    });
}

void MotionPass()
{
    InstancePass([](CInstance* inst) {
        if (inst->friction != 0.0f && inst->speed != 0.0f) {
            float s = inst->speed > 0 ? std::max(0.0f, inst->speed - inst->friction)
                                      : std::min(0.0f, inst->speed + inst->friction);
            inst->SetSpeed(s);
        }
        if (inst->gravity != 0.0f) inst->AddMotion(inst->gravity_direction, inst->gravity);
        if (inst->path_index >= 0 && inst->AdvancePath())
            Event_Perform_Instance(inst, inst, EVENT_OTHER, OTHER_END_OF_PATH);
        if (inst->hspeed != 0.0f || inst->vspeed != 0.0f) inst->SetPosition(inst->x + inst->hspeed, inst->y + inst->vspeed);
    });
}

// Whether a box lies wholly outside a rectangle, and whether it crosses the rectangle's edge.
bool BoxOutside(const CInstance* i, int left, int top, int right, int bottom)
{
    return i->bbox_right < left || i->bbox_left > right || i->bbox_bottom < top || i->bbox_top > bottom;
}

bool BoxCrosses(const CInstance* i, int left, int top, int right, int bottom)
{
    return i->bbox_left < left || i->bbox_right > right || i->bbox_top < top || i->bbox_bottom > bottom;
}

// Outside and boundary events of the room, then of each visible view (other 40 + v, 50 + v).
void BoundaryPass()
{
    // Most games have none of these events: the pass then costs nothing, and an instance whose
    // object has none needs no box.
    auto used = [](int number) { return Object_EventUsed(EVENT_OTHER, number); };
    bool any = used(OTHER_OUTSIDE) || used(OTHER_BOUNDARY);
    for (int v = 0; v < ROOM_SLOTS && !any; v++) any = used(40 + v) || used(50 + v);
    if (!any) return;
    InstancePass([](CInstance* inst) {
        // Asked as each check comes: an earlier event may have changed the instance's object.
        auto has = [inst](int number) { return Event_Has(inst, EVENT_OTHER, number); };
        auto raise = [inst](int number) {
            if (Event_Takes(inst) && !Room_ChangePending()) Event_Perform_Instance(inst, inst, EVENT_OTHER, number);
        };
        CRoom* room = Run_Room;
        bool watched = has(OTHER_OUTSIDE) || has(OTHER_BOUNDARY);
        for (int v = 0; v < ROOM_SLOTS && room->enable_views && !watched; v++)
            watched = room->views[v].visible && (has(40 + v) || has(50 + v));
        if (!watched) return;
        inst->Compute_BoundingBox();
        if (has(OTHER_OUTSIDE) && BoxOutside(inst, 0, 0, room->width, room->height)) raise(OTHER_OUTSIDE);
        if (has(OTHER_BOUNDARY) && BoxCrosses(inst, 0, 0, room->width, room->height)) raise(OTHER_BOUNDARY);
        if (!room->enable_views) return;
        for (int v = 0; v < ROOM_SLOTS; v++) {
            const RoomView& view = room->views[v];
            if (!view.visible) continue;
            long long right = (long long)view.xview + view.wview, bottom = (long long)view.yview + view.hview;
            int r = (int)std::min<long long>(right, INT32_MAX), b = (int)std::min<long long>(bottom, INT32_MAX);
            if (has(40 + v) && BoxOutside(inst, view.xview, view.yview, r, b)) raise(40 + v);
            if (has(50 + v) && BoxCrosses(inst, view.xview, view.yview, r, b)) raise(50 + v);
        }
    });
}

// Instances marked destroyed have gone; with automatic drawing the room is drawn.
void DrawPass()
{
    if (Run_Room && !Room_ChangePending()) Room_Draw(Run_Room);
}

// Joystick events: per joystick, held left, right, up, down (16..19) and buttons 1..8 (21..28),
// the second joystick 15 further on.
constexpr int JOYSTICK_EVENT_FIRST = 16, JOYSTICK_EVENT_STRIDE = 15;
uint32_t StepJoystick = 0;  // the step's joystick state: 12 bits a joystick, see JoystickState

bool JoystickEventsWanted()
{
    for (int j = 0; j < IO_JOYSTICKS; j++)
        for (int n = 0; n < 13; n++)
            if (!Object_EventList(EVENT_MOUSE, JOYSTICK_EVENT_FIRST + j * JOYSTICK_EVENT_STRIDE + n).empty()) return true;
    return false;
}

// Bits 0..3 left, right, up, down (the stick beyond a quarter of its travel), bits 4..11 buttons
// 1..8; the second joystick 16 bits higher.
uint32_t JoystickState()
{
    uint32_t state = 0;
    for (int j = 0; j < IO_JOYSTICKS; j++) {
        if (!IO_Joystick_Exists(j)) continue;
        uint32_t bits = 0, buttons = 0;
        int x = 32768, y = 32768;
        IO_Joystick_Axis(j, 0, &x);
        IO_Joystick_Axis(j, 1, &y);
        if (x < 16384) bits |= 1;
        if (x > 49152) bits |= 2;
        if (y < 16384) bits |= 4;
        if (y > 49152) bits |= 8;
        if (IO_Joystick_Buttons(j, &buttons)) bits |= (buttons & 0xFF) << 4;
        state |= bits << (16 * j);
    }
    return state;
}

void JoystickPass()
{
    for (int j = 0; j < IO_JOYSTICKS; j++) {
        uint32_t bits = StepJoystick >> (16 * j) & 0xFFF;
        int first = JOYSTICK_EVENT_FIRST + j * JOYSTICK_EVENT_STRIDE;
        for (int d = 0; d < 4; d++)
            if (bits & (1u << d)) Event_PerformForObjects(EVENT_MOUSE, first + d);
        for (int b = 0; b < 8; b++)
            if (bits & (16u << b)) Event_PerformForObjects(EVENT_MOUSE, first + 5 + b);
    }
}

// Recording keeps, and playback restores, the input, the random generator and the clock of each
// step: the generator restarts each step from a seed drawn from its own sequence, so a played-back
// game repeats the recorded one even when it was seeded from the clock; the clock stands at the
// time read at the step.
void ReplayStep()
{
    IO_ReplayValues values = {};
    int64_t start;
    if (IO_PlaybackActive() && IO_Playback_Step(&values)) {
        Random_Seed((uint32_t)values.value[IO_REPLAY_SEED]);
        StepJoystick = (uint32_t)values.value[IO_REPLAY_JOYSTICK];
        if (IO_Playback_StartTime(&start)) Clock_HoldAt(values.value[IO_REPLAY_TIME]);
        return;
    }
    StepJoystick = JoystickEventsWanted() ? JoystickState() : 0;
    if (!IO_Recording()) {
        Clock_Run();  // after a replay the clock goes on from the last replayed step's time
        return;
    }
    uint32_t seed = Random_Next();
    Random_Seed(seed);
    values.value[IO_REPLAY_SEED] = seed;
    values.value[IO_REPLAY_TIME] = Clock_Hold();
    values.value[IO_REPLAY_JOYSTICK] = StepJoystick;
    IO_Record_Step(values);
}

void ScrollPass()
{
    if (!Run_Room || Room_ChangePending()) return;
    for (RoomBackground& b : Run_Room->backgrounds) {
        b.x += b.hspeed;
        b.y += b.vspeed;
    }
    // Images advance; passing the last image (or the first, backwards) wraps and ends the animation.
    CEventLookup animationEnd(EVENT_OTHER, OTHER_ANIMATION_END);
    InstancePass([&animationEnd](CInstance* inst) {
        inst->image_index += inst->image_speed;
        int count = Run_SpriteImageCount ? Run_SpriteImageCount(inst->sprite_index) : 0;
        if (count <= 0 || !std::isfinite(inst->image_index)) return;
        if (inst->image_index >= count) inst->image_index -= count * floorf(inst->image_index / count);
        else if (inst->image_index < 0) inst->image_index += count * ceilf(-inst->image_index / count);
        else return;
        if (animationEnd.For(inst).event) Event_Perform_Instance(inst, inst, EVENT_OTHER, OTHER_ANIMATION_END);
    });
}
}

void Run_SetCaptionText(char** slot, const char* text)
{
    if (*slot) MemFree(*slot);
    *slot = MemStrDup(text);
}

// Every resource is a constant holding its index.
static void RegisterResourceNames()
{
    struct Kind {
        int (*count)();
        bool (*exists)(int);
        const char* (*name)(int);
    };
    static const Kind kinds[] = {
        {Object_Count, Object_Exists, Object_GetName},     {Room_Count, Room_Exists, Room_GetName},
        {Script_Count, Script_Exists, Script_GetName},     {Path_Count, Path_Exists, Path_GetName},
        {TimeLine_Count, TimeLine_Exists, TimeLine_GetName}, {Sprite_Count, Sprite_Exists, Sprite_GetName},
        {Background_Count, Background_Exists, Background_GetName}, {Font_Count, Font_Exists, Font_GetName},
        {Sound_Count, Sound_Exists, Sound_GetName},         {Audio_Count, Audio_Exists, Audio_GetName},
    };
    for (const Kind& k : kinds)
        for (int i = 0; i < k.count(); i++)
            if (k.exists(i)) Code_Constant_AddReal(k.name(i), i);
}

bool Run_Prepare()
{
    RegisterResourceNames();
    Extension_Prepare();
    if (!Script_Prepare() || !TimeLine_Prepare() || !Object_Prepare() || !Room_Prepare()) {
        Console_Warnings->Output("%s\n", LastErrorText.c_str());
        return false;
    }
    Sound_Prepare();
    Audio_Prepare();
    Sound_PrepareAll();
    return true;
}

bool Run_StartGame()
{
    int first = Room_GetFirst();
    if (!Room_Exists(first)) {
        Console_Warnings->Output("The game has no rooms.\n");
        return false;
    }
    Run_Running = true;
    Run_Frames = 0;
    Room_NewRoom = ROOM_CHANGE_NONE;
    ResetGameState();
    // The cursor of the game's option, at the first start and at each restart.
    Window_SetCursor(Option_ShowCursor ? 0 : -1);
    Object_Lists_Build();
    delete RoomSelf;  // a fresh one each start: code may have changed or destroyed the last
    RoomSelf = new CInstance(0, -1, 0.0f, 0.0f);
    NextFrame = FpsSecond = Clock::now();
    FpsCount = 0;
    RoomStart(first, true);
    return true;
}

namespace {
// Appends "  <label><value>" for a shown game-state value.
void AppendState(std::string& out, const char* label, const char* value)
{
    if (!out.empty()) out += "  ";
    out += label ? label : "";
    out += value;
}
}  // namespace

void Run_UpdateCaption()
{
    std::string text = Run_Room && Run_Room->caption ? Run_Room->caption : "";
    std::string state;
    char number[64];
    if (show_score) {
        snprintf(number, sizeof number, "%d", score);
        AppendState(state, caption_score, number);
    }
    if (show_lives) {
        snprintf(number, sizeof number, "%d", lives);
        AppendState(state, caption_lives, number);
    }
    if (show_health) {
        snprintf(number, sizeof number, "%d", std::isfinite(health) ? RealToInt(health) : 0);
        AppendState(state, caption_health, number);
    }
    if (!state.empty()) text += text.empty() ? state : "  " + state;
    Window_UpdateCaption(text.c_str());
}

bool Run_EffectRoom(EffectRoom* out)
{
    if (!Run_Room) return false;
    *out = {Run_Room->width, Run_Room->height, Run_Room->speed, Run_FPS};
    return true;
}

void Run_Step()
{
    if (!Run_Room) return;
    IO_Start_Step();
    ReplayStep();
    if (Run_PerFrameHook) Run_PerFrameHook();
    if ((Option_Flags & OPTION_FREEZE_INACTIVE) && MainWindow && !WindowFocus) return;
    std::vector<CInstance*> active = Run_Room->active.Snapshot();
    CInstance* const* items = active.data();
    for (size_t i = 0, count = active.size(); i < count; i++) {
        Instance_Prefetch(items, count, i);
        CInstance* inst = items[i];
        inst->xprevious = inst->x;
        inst->yprevious = inst->y;
        inst->path_positionprevious = inst->path_position;
    }
    Event_Perform_All(EVENT_STEP, STEP_BEGIN);
    TimeLinePass();
    AlarmPass();
    KeyboardPass();
    JoystickPass();
    LocalMousePass();
    GlobalMousePass();
    EnterLeavePass();
    WheelPass();
    Event_Perform_All(EVENT_STEP, STEP_NORMAL);
    if (Run_Room && Run_Room->physics_world) Physics_Step(Run_Room);
    else MotionPass();
    BoundaryPass();
    Run_AsyncPass();
    if (Run_Room && !Run_Room->physics_world) Collision_StepEvents();
    Event_Perform_All(EVENT_STEP, STEP_END);
    if (!Room_ChangePending()) Particle_UpdateAutomatic();
    if (Run_Room) Run_Room->FreeMarked();
    if (Run_AutoDraw) DrawPass();
    ScrollPass();
}

void Run_Frame()
{
    int speed = Run_Room ? std::max(1, Run_Room->speed) : 30;
    Clock::time_point now = Clock::now();
    if (!Run_NoWait) {
        NextFrame += std::chrono::microseconds(1000000 / speed);
        auto wait = NextFrame - now;
        if (wait > std::chrono::seconds(1) || wait < std::chrono::seconds(-1)) NextFrame = now;
        else if (wait > Clock::duration::zero())
            Timer_Sleep(std::chrono::duration_cast<std::chrono::microseconds>(wait).count());
        now = Clock::now();
    }
    FpsCount++;
    if (now - FpsSecond >= std::chrono::seconds(1)) {
        Run_FPS = FpsCount;
        FpsCount = 0;
        FpsSecond = now;
    }
    Sound_Tick();
    Window_ApplyDisplayReset();
    if (GR_Display_Reset_Pending && GR_D3D_HasDevice()) GR_D3D_Reset_Device();
    bool device = GR_D3D_Start_Frame();
    Run_Step();
    if (device) IO_VirtualButtons_Draw();
    if (device) GR_D3D_Finish_Frame(!Room_ChangePending() && Run_AutoDraw);
    Run_UpdateCaption();
    Run_Frames++;
    if (Error_FatalPending) Room_NewRoom = ROOM_CHANGE_ERROR_END;
    if (Room_ChangePending()) Run_DoRoomChange();
}

void Run_DoRoomChange()
{
    int target = Room_NewRoom;
    Room_NewRoom = ROOM_CHANGE_NONE;
    if (target == ROOM_CHANGE_NONE) return;
    if (target == ROOM_CHANGE_ERROR_END) {
        Run_EndGame();
        return;
    }
    if (target == ROOM_CHANGE_LOAD) {
        // Without events: the saved rooms replace the running ones, or nothing changes.
        Game_LoadPending();
        return;
    }
    RoomEnd(target == ROOM_CHANGE_END);
    // A change asked for during the room end is not carried out.
    Room_NewRoom = ROOM_CHANGE_NONE;
    if (target == ROOM_CHANGE_END) {
        Run_EndGame();
        return;
    }
    if (target == ROOM_CHANGE_RESTART) {
        FreeCarried();
        Room_FreeKept();
        if (!Run_StartGame()) Run_EndGame();
        return;
    }
    RoomStart(target, false);
}

void Run_EndGame()
{
    Run_Running = false;
    if (Run_Room) {
        delete Run_Room;
        Run_Room = nullptr;
    }
    Run_RoomIndex = -1;
    FreeCarried();
    Room_FreeKept();
    delete RoomSelf;
    RoomSelf = nullptr;
    Room_NewRoom = ROOM_CHANGE_NONE;
    for (char** slot : {&caption_score, &caption_lives, &caption_health}) {
        if (*slot) MemFree(*slot);
        *slot = nullptr;
    }
}
