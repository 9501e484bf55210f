// The stack machine: runs the byte code of compiled code. Calls of scripts continue in the same
// loop, the arguments left on the stack as the callee's argument slots; built-ins and extension
// functions are called through their tables.
#pragma once
#include "Variable/Value.h"

class CInstance;
class CCode;

// The deepest nesting of script calls (and runs of code inside built-ins) the machine allows;
// deeper calls end with the stack-overflow error.
constexpr int CODE_MAX_CALL_DEPTH = 4096;

// Runs the code as Code_Run does: the code's result goes to result; false on a run-time error,
// with LastErrorText holding its message and Code_RunErrorFatal set when it must end the game.
bool Code_VM_Run(CInstance* self, CInstance* other, CCode* code, TaggedValue* result);

// Ends every run of the machine at once, after memory ran out in one where nothing expected it
// (the exception left the runs' frames behind): their frames are popped and their values dropped.
void Code_VM_Abandon();

// The extension module's call of function `index` for the machine (null: none are available);
// false when the call failed, with LastErrorText describing it.
extern bool (*Code_Extension_CallDLLHook)(int index, int argc, TaggedValue* args, TaggedValue* result);
