#include "Object/Object_Class.h"

#include "Code/Code_Class.h"
#include "Object/Object_Main.h"

bool Event_IsValid(int type, int number)
{
    switch (type) {
    case EVENT_CREATE: case EVENT_DESTROY: case EVENT_DRAW: return number == 0;
    case EVENT_ALARM: return number >= 0 && number < 12;
    case EVENT_STEP: return number >= 0 && number <= STEP_END;
    case EVENT_COLLISION: return number >= 0;
    case EVENT_KEYBOARD: case EVENT_KEYPRESS: case EVENT_KEYRELEASE: return number >= 0 && number < 256;
    case EVENT_MOUSE: return number >= 0 && number <= 61;
    case EVENT_OTHER: return number >= 0 && number <= 69;
    case EVENT_TRIGGER: return number >= 0 && number < 256;
    default: return false;
    }
}

const char* Event_GetName(int type, int number)
{
    static const char* const Names[EVENT_TYPE_COUNT] = {
        "Create Event", "Destroy Event", "Alarm Event", "Step Event", "Collision Event", "Keyboard Event",
        "Mouse Event", "Other Event", "Draw Event", "Key Press Event", "Key Release Event", "Trigger Event"};
    if (type == EVENT_STEP && number == STEP_BEGIN) return "Begin Step Event";
    if (type == EVENT_STEP && number == STEP_END) return "End Step Event";
    if (type < 0 || type >= EVENT_TYPE_COUNT) return "Unknown Event";
    return Names[type];
}

CEvent::CEvent(const char* text) { m_actions.Append(text); }
CEvent::CEvent(const CodeActions& actions) : m_actions(actions) {}
CEvent::~CEvent() { delete m_code; }
void CEvent::Clear() { m_actions = CodeActions(); }
void CEvent::AppendText(const char* text) { m_actions.Append(text); }

bool CEvent::Compile(const char* label)
{
    if (m_code) return true;
    m_code = new CCode(m_actions);
    return m_code->Compile(label);
}

uint64_t Object_EventsGeneration = 1;

CObject::~CObject()
{
    for (auto& e : m_events) delete e.second;
    for (CEvent* e : m_retired) delete e;
}

CEvent* CObject::GetEvent(int type, int number) const
{
    auto it = m_events.find({type, number});
    return it == m_events.end() ? nullptr : it->second;
}

// Parent chains are walked at most the object count plus one steps: a chain that loops ends.
EventOwner CObject::FindInChain(int type, int number) const
{
    int guard = Object_Count() + 1;
    for (const CObject* p = this; p && guard-- > 0; p = p->parent)
        if (CEvent* event = p->GetEvent(type, number)) return {p, event};
    return {};
}

void CObject::BuildChain() const
{
    for (std::vector<EventOwner>& row : m_chain) row.clear();
    // Nearest object first: an ancestor fills only what nearer objects left empty.
    int guard = Object_Count() + 1;
    for (const CObject* p = this; p && guard-- > 0; p = p->parent)
        for (const auto& [key, event] : p->m_events) {
            auto [type, number] = key;
            if (type < 0 || type >= EVENT_TYPE_COUNT || number < 0 || number >= EVENT_TABLE_NUMBERS) continue;
            std::vector<EventOwner>& row = m_chain[type];
            if ((size_t)number >= row.size()) row.resize((size_t)number + 1);
            if (!row[(size_t)number].event) row[(size_t)number] = {p, event};
        }
    m_chainGeneration = Object_EventsGeneration;
}

void CObject::AddEvent(int type, int number, const char* text)
{
    Object_EventsChanged();
    CEvent*& slot = m_events[{type, number}];
    if (!slot) {
        slot = new CEvent(text);
        return;
    }
    if (!slot->GetCode()) {
        slot->AppendText(text);
        return;
    }
    CEvent* joined = new CEvent(slot->GetActions());
    joined->AppendText(text);
    m_retired.push_back(slot);
    slot = joined;
}

bool CObject::IsDescendant(int ancestor) const
{
    // Bounded by the object count: a chain that loops ends the walk.
    int guard = Object_Count() + 1;
    for (int p = parent_index; p >= 0 && guard-- > 0;) {
        if (p == ancestor) return true;
        CObject* o = Object_Find(p);
        if (!o) return false;
        p = o->parent_index;
    }
    return false;
}
