#include "Code/Code_Class.h"
#include "Base/MemoryManager.h"
#include "Code/Code_Gen.h"
#include "Code/Code_Interp.h"
#include "Code/Code_VM.h"
#include "Code/Code_Parse.h"
#include "Code/Error.h"

#include <algorithm>
#include <string>
#include <string_view>

bool Code_KeepTrees = true;
bool Code_UseVM = true;

void CodeActions::Append(const char* code)
{
    // The lexer counts lines by their line feeds; the join adds one.
    if (!firstLines.empty()) {
        text += "\n";
        lineFeeds++;
    }
    firstLines.push_back(lineFeeds + 1);
    std::string_view added = code ? code : "";
    lineFeeds += (int)std::count(added.begin(), added.end(), '\n');
    text += added;
}

CCode::CCode(const char* text, bool expression) : m_text(MemStrDup(text ? text : "")), m_expression(expression) {}

CCode::CCode(const CodeActions& actions) : m_text(MemStrDup(actions.text.c_str())), m_expression(false)
{
    if (actions.firstLines.size() > 1) m_actionLines = actions.firstLines;
}

CCode::~CCode()
{
    delete m_byteCode;
    delete m_tree;
    MemFree(m_text);
    MemFree(m_name);
}

bool CCode::Compile(const char* name)
{
    delete m_byteCode;
    m_byteCode = nullptr;
    delete m_tree;
    m_tree = nullptr;
    MemFree(m_name);
    m_name = MemStrDup(name ? name : "");
    std::string error;
    m_tree = Code_Parse(m_text, m_expression, m_name, &error, m_actionLines.empty() ? nullptr : &m_actionLines);
    if (m_tree) m_byteCode = Code_Generate(m_tree, m_expression, &error);
    if (!m_byteCode) {
        delete m_tree;
        m_tree = nullptr;
        LastErrorText = error;
        return false;
    }
    if (!Code_KeepTrees) {
        delete m_tree;
        m_tree = nullptr;
    }
    return true;
}

namespace {
bool RunOnSelected(CInstance* self, CInstance* other, CCode* code, TaggedValue* result)
{
    if (Code_UseVM) return Code_VM_Run(self, other, code, result);
    return Code_Run(self, other, code, result);
}
}  // namespace

bool Code_Run_Selected(CInstance* self, CInstance* other, CCode* code, TaggedValue* result)
{
    // The last line of defence of the code the game runs: memory that ran out where no change
    // expected it (each change that adds expects it and reports it) ends the outermost run as a
    // fatal error, so the game ends as after any fatal error, its files written.
    static bool running = false;
    if (running) return RunOnSelected(self, other, code, result);
    running = true;
    MemoryManager_TakeFailure();  // a failure elsewhere is not one of this code's
    bool ok = false;
    if (!MemoryManager_Try([&] { ok = RunOnSelected(self, other, code, result); })) {
        if (Code_UseVM) Code_VM_Abandon();
        MemoryManager_TakeFailure();
        LastErrorText = ERROR_OUT_OF_MEMORY;
        Code_RunErrorFatal = true;
    }
    running = false;
    return ok;
}

namespace {
// Shows the error a run left; out of line, so that every event and action that runs without one
// does not pay for the message's copy.
__attribute__((noinline, cold)) bool ShowRunError()
{
    std::string message = LastErrorText;
    Error_Show_Action(message.c_str(), Code_RunErrorFatal);
    return false;
}
}  // namespace

bool Code_Execute_ShowError(CInstance* self, CInstance* other, CCode* code, TaggedValue* result)
{
    if (!code || !code->IsCompiled()) return false;
    return Code_Run_Selected(self, other, code, result) || ShowRunError();
}

bool Code_Execute_ErrorResult(CInstance* self, CInstance* other, CCode* code, TaggedValue* result)
{
    if (Code_Run_Selected(self, other, code, result)) return true;
    if (result) result->SetString("ERROR");
    return false;
}
