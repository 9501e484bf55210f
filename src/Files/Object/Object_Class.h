// CObject, the template of instances, and CEvent, one event of an object.
#pragma once
#include "Code/Code_Class.h"
#include "Object/Instance_List.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CInstance;

// Event types.
enum {
    EVENT_CREATE = 0, EVENT_DESTROY = 1, EVENT_ALARM = 2, EVENT_STEP = 3, EVENT_COLLISION = 4,
    EVENT_KEYBOARD = 5, EVENT_MOUSE = 6, EVENT_OTHER = 7, EVENT_DRAW = 8, EVENT_KEYPRESS = 9,
    EVENT_KEYRELEASE = 10, EVENT_TRIGGER = 11, EVENT_TYPE_COUNT = 12
};
enum { STEP_NORMAL = 0, STEP_BEGIN = 1, STEP_END = 2 };
enum {
    OTHER_OUTSIDE = 0, OTHER_BOUNDARY = 1, OTHER_GAME_START = 2, OTHER_GAME_END = 3, OTHER_ROOM_START = 4,
    OTHER_ROOM_END = 5, OTHER_NO_MORE_LIVES = 6, OTHER_ANIMATION_END = 7, OTHER_END_OF_PATH = 8,
    OTHER_NO_MORE_HEALTH = 9, OTHER_USER0 = 10
};

// Whether (type, number) names an event an object can have (collision numbers are checked
// against the object table separately).
bool Event_IsValid(int type, int number);
// "Create Event", "Step Event"...: the name used in error messages.
const char* Event_GetName(int type, int number);

// An event: its code is a list of actions, one for each entry of the event in the game data file,
// joined in order and compiled as one code object.
class CEvent {
public:
    explicit CEvent(const char* text);
    explicit CEvent(const CodeActions& actions);
    ~CEvent();
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;
    // Empties the event's source text; the compiled code stays.
    void Clear();
    // Adds an action's code to an event not yet compiled.
    void AppendText(const char* text);
    const char* GetText() const { return m_actions.text.c_str(); }
    const CodeActions& GetActions() const { return m_actions; }
    CCode* GetCode() const { return m_code; }
    // Compiles the text under the label; false with LastErrorText on failure.
    bool Compile(const char* label);

private:
    CodeActions m_actions;
    CCode* m_code = nullptr;
};

constexpr unsigned OBJECT_SOLID = 1, OBJECT_VISIBLE = 2, OBJECT_PERSISTENT = 4;
// In a game data file's object record: physics properties follow the events.
constexpr unsigned OBJECT_HAS_PHYSICS = 8;

// An object's physics properties: an instance made in a room with a physics world gets a body with
// one fixture of this shape and material. Sizes are pixels around the instance's origin.
struct ObjectPhysics {
    enum { CIRCLE = 0, BOX = 1, POLYGON = 2 };
    int shape = CIRCLE;
    float radius = 16.0f;                         // circle
    float half_width = 16.0f, half_height = 16.0f;  // box
    std::vector<std::pair<float, float>> points;  // polygon, 3 to 8
    bool sensor = false;
    float density = 0.5f, restitution = 0.1f, friction = 0.2f;
    float linear_damping = 0.1f, angular_damping = 0.1f;
    int group = 0;
    bool awake = true, kinematic = false;
};

class CObject;

// The event an instance of an object runs for one (type, number): the object's own or its
// nearest ancestor's, and that object; both null when no object of the chain has it.
struct EventOwner {
    const CObject* object = nullptr;
    CEvent* event = nullptr;
};

// Advanced whenever events or parent links change: every object's table of the events its
// instances run is made again on its next use.
extern uint64_t Object_EventsGeneration;
inline void Object_EventsChanged() { Object_EventsGeneration++; }

class CObject {
public:
    CObject() = default;
    ~CObject();
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    std::string name;
    unsigned flags = OBJECT_VISIBLE;  // bit 0 solid, 1 visible, 2 persistent
    int sprite = -1;
    int depth = 0;
    int parent_index = -1;
    int mask = -1;
    // Set for parent indexes 0..999999 that name an object; whoever changes it calls
    // Object_EventsChanged (Object_LinkParents and Object_Lists_Build do).
    CObject* parent = nullptr;
    int index = -1;
    std::unique_ptr<ObjectPhysics> physics;  // null: instances get no body of their own

    // The active instances of this object and of its descendants, in the order they joined
    // (creation order, save for instances changed into the object, which join at the end).
    CInstanceList instances;

    // The object's own event, or null.
    CEvent* GetEvent(int type, int number) const;
    // The event an instance of the object runs for (type, number), own or inherited. Looked up
    // in a table made once for the object (the passes over instances ask it for each instance).
    EventOwner FindEvent(int type, int number) const
    {
        if (type < 0 || type >= EVENT_TYPE_COUNT || number < 0) return {};
        if (number >= EVENT_TABLE_NUMBERS) return FindInChain(type, number);
        if (m_chainGeneration != Object_EventsGeneration) BuildChain();
        const std::vector<EventOwner>& row = m_chain[type];
        return (size_t)number < row.size() ? row[(size_t)number] : EventOwner{};
    }
    // Adds code to (type, number); a second piece of code for the same event is appended.
    void AddEvent(int type, int number, const char* text);
    bool IsDescendant(int ancestor) const;
    const std::map<std::pair<int, int>, CEvent*>& Events() const { return m_events; }

private:
    std::map<std::pair<int, int>, CEvent*> m_events;
    // Events replaced by AddEvent, kept until the object goes: their code may be running.
    std::vector<CEvent*> m_retired;
    // FindEvent's table: per event type, by number; valid while m_chainGeneration is current.
    // Numbers from EVENT_TABLE_NUMBERS on (collisions with objects of high indexes) are looked
    // up along the parent chain, so that no table grows with the number an event names.
    static constexpr int EVENT_TABLE_NUMBERS = 256;
    mutable std::vector<EventOwner> m_chain[EVENT_TYPE_COUNT];
    mutable uint64_t m_chainGeneration = 0;
    void BuildChain() const;
    EventOwner FindInChain(int type, int number) const;
};
