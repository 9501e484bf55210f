// CCode: a compiled code object made from ZUZ source text (a program, an expression or a constant).
#pragma once
#include "Variable/Value.h"

#include <string>
#include <vector>

class CInstance;
struct CodeTree;  // the compiled forms, private to the script engine
struct ByteCode;

// Whether compiled code keeps its tree, which only the tree interpreter runs, beside its byte code.
// A runner that runs the machine alone clears it: the trees are most of a loaded game's code memory.
extern bool Code_KeepTrees;

// Whether code runs on the byte-code machine (the default) or the tree interpreter ("-oldexec").
extern bool Code_UseVM;

// Code made of actions joined in order (the entries of an event or of a time-line moment): its
// text, and the line on which each action begins, so that an error names its action's number.
struct CodeActions {
    std::string text;
    std::vector<int> firstLines;
    int lineFeeds = 0;  // of the text
    // Appends the code of one more action, on the lines after the text so far.
    void Append(const char* code);
};

class CCode {
public:
    // expression false: a program (statements); true: one expression.
    CCode(const char* text, bool expression);
    // A program made of actions.
    explicit CCode(const CodeActions& actions);
    virtual ~CCode();
    CCode(const CCode&) = delete;
    CCode& operator=(const CCode&) = delete;

    // Compiles under the given name (it labels the code in messages); on failure LastErrorText
    // describes the error and false is returned.
    bool Compile(const char* name);
    bool IsCompiled() const { return m_byteCode != nullptr; }
    const char* GetText() const { return m_text; }
    const char* GetName() const { return m_name; }
    bool IsExpression() const { return m_expression; }
    CodeTree* GetTree() const { return m_tree; }  // null when not kept
    const ByteCode* GetByteCode() const { return m_byteCode; }

private:
    char* m_text;
    char* m_name = nullptr;
    std::vector<int> m_actionLines;  // empty for code of one action
    bool m_expression;
    CodeTree* m_tree = nullptr;
    ByteCode* m_byteCode = nullptr;
};

// Runs compiled code on the engine Code_UseVM selects (the machine, or the tree
// interpreter after -oldexec) without reporting a failure: false with LastErrorText set.
bool Code_Run_Selected(CInstance* self, CInstance* other, CCode* code, TaggedValue* result);

// Runs compiled code with self and other; its return value goes to result (the real 0 when it
// returns none). false when the code is not compiled or the run failed; a failure is reported as
// an action error, non-fatal unless it must end the game (the code recursed too deeply, the step
// limit was reached).
bool Code_Execute_ShowError(CInstance* self, CInstance* other, CCode* code, TaggedValue* result);
// Runs the code; on failure the result becomes the string "ERROR" and false is returned.
bool Code_Execute_ErrorResult(CInstance* self, CInstance* other, CCode* code, TaggedValue* result);
