#include "Script/Script_Main.h"
#include "Base/MemoryManager.h"
#include "Code/Code_Class.h"
#include "Code/Code_Interp.h"
#include "Code/Error.h"
#include "Variable/Variable_Main.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

int Script_Generation = 0;

namespace {
std::vector<std::unique_ptr<CScript>> g_scripts;
std::unordered_map<std::string, int> g_byName;
}

CScript::CScript(const char* name, const char* text) : m_name(MemStrDup(name ? name : "")), m_text(text ? MemStrDup(text) : nullptr) {}

CScript::~CScript()
{
    delete m_code;
    MemFree(m_name);
    MemFree(m_text);
}

bool CScript::Compile()
{
    if (!m_code) m_code = new CCode(GetText(), false);
    Script_Generation++;
    return m_code->Compile(m_name);
}

int Script_Add(const char* name, const char* text)
{
    int index = (int)g_scripts.size();
    Script_Generation++;
    g_scripts.push_back(std::make_unique<CScript>(name, text));
    g_byName.emplace(g_scripts.back()->GetName(), index);  // the first script of a name is the one found
    return index;
}

void Script_Clear()
{
    Script_Generation++;
    g_scripts.clear();
    g_byName.clear();
}

int Script_Count() { return (int)g_scripts.size(); }

bool Script_Exists(int index) { return index >= 0 && index < (int)g_scripts.size(); }

const char* Script_GetName(int index) { return Script_Exists(index) ? g_scripts[(size_t)index]->GetName() : "<undefined>"; }

CScript* Script_GetScript(int index) { return Script_Exists(index) ? g_scripts[(size_t)index].get() : nullptr; }

int Script_Find(const char* name)
{
    if (!name) return -1;
    auto it = g_byName.find(name);
    return it == g_byName.end() ? -1 : it->second;
}

bool Script_Prepare()
{
    for (auto& s : g_scripts)
        if (!s->Compile()) return false;
    return true;
}

CCode* Script_Compiled(int index)
{
    CScript* s = Script_GetScript(index);
    if (!s) return nullptr;
    CCode* code = s->GetCode();
    if (code && code->IsCompiled()) return code;
    return s->Compile() ? s->GetCode() : nullptr;
}

bool Script_Execute(int index, CInstance* self, CInstance* other, int argc, TaggedValue* result, const TaggedValue* args)
{
    CScript* s = Script_GetScript(index);
    if (!s) return false;
    CCode* code = Script_Compiled(index);
    if (!code) {
        PendingScriptError.pending = true;
        PendingScriptError.fatal = false;
        PendingScriptError.message = std::string("In script ") + s->GetName() + ":\n" + LastErrorText;
        return false;
    }
    argc = std::clamp(argc, 0, ARGUMENT_SLOTS);
    bool ok;
    {
        ArgumentSlotsScope slots(argc, args);
        int savedCount = argument_count;
        argument_count = argc;
        ok = Code_Run_Selected(self, other, code, result);
        argument_count = savedCount;
    }
    if (!ok) {
        // A fatal error (the recursion that went too deep, say) names only the code it stopped in.
        PendingScriptError.pending = true;
        PendingScriptError.fatal = Code_RunErrorFatal;
        PendingScriptError.message = Code_RunErrorFatal ? LastErrorText : std::string("In script ") + s->GetName() + ":\n" + LastErrorText;
    }
    return ok;
}
