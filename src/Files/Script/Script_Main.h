// The game's scripts: a table indexed by script number.
#pragma once
#include "Code/Error.h"
#include "Variable/Value.h"

#include <string>

class CInstance;
class CCode;

class CScript {
public:
    CScript(const char* name, const char* text);
    ~CScript();
    const char* GetName() const { return m_name; }
    const char* GetText() const { return m_text ? m_text : ""; }
    CCode* GetCode() const { return m_code; }
    bool Compile();  // compiles the text; false with LastErrorText set on failure
private:
    char* m_name;
    char* m_text;
    CCode* m_code = nullptr;
};

// Changes whenever a script is added, compiled or removed, so that callers may keep what they
// looked up until it changes.
extern int Script_Generation;

// Appends a script to the table and returns its index.
int Script_Add(const char* name, const char* text);
void Script_Clear();
int Script_Count();
bool Script_Exists(int index);
const char* Script_GetName(int index);  // "<undefined>" when missing
CScript* Script_GetScript(int index);   // null when missing
int Script_Find(const char* name);      // -1 when no script has exactly that name
// Compiles every script; false (LastErrorText set) at the first that fails.
bool Script_Prepare();
// Runs a script: saves the 16 argument slots, fills them, runs, restores them. A run-time error
// sets PendingScriptError with "In script %s:\n%s" (a fatal one with its own message alone).
bool Script_Execute(int index, CInstance* self, CInstance* other, int argc, TaggedValue* result, const TaggedValue* args);
// The script's code, compiled now when it is not yet; null for a missing script, or with
// LastErrorText set for one that does not compile.
CCode* Script_Compiled(int index);

