// The tree interpreter: runs compiled code without reporting its failures.
#pragma once
#include "Variable/Value.h"

#include <cstdint>
#include <string>
#include <vector>

class CInstance;
class CCode;
class CVariableList;

// Runs the code with self and other; the code's result goes to result (the real 0 when it
// returns none). false on a run-time error: LastErrorText holds its message ("In NAME, line L:
// ...") and Code_RunErrorFatal says whether it must end the game.
bool Code_Run(CInstance* self, CInstance* other, CCode* code, TaggedValue* result);
extern bool Code_RunErrorFatal;

// Reports, without ending the run, a read of an array element past those stored (which reads 0)
// or a write past a built-in array's elements (which goes nowhere): "In NAME, line L: Array index
// out of bounds: a[i]" with the running action's context.
void Code_ReportElementAccess(const std::string& codeName, int line, const std::string& element);

// A budget of steps shared by every run of code (negative: none). The tree interpreter spends one
// a statement, the machine one a backward jump or call; when it is spent the running code fails
// with a fatal "Step limit reached." so that no program can run forever.
extern int64_t Code_StepBudget;
#define CODE_STEP_LIMIT_MESSAGE "Step limit reached."

// Hooks the extension module installs: its function lookup by name, the call of function
// `index`, and the function's name for listings.
extern bool (*Code_Extension_FindHook)(const char* name, int* index);
extern bool (*Code_Extension_CallHook)(int index, CInstance* self, CInstance* other, int argc, TaggedValue* args, TaggedValue* result);
extern const char* (*Code_Extension_NameHook)(int index);

// What running code needs of instances; the object table installs it at start-up (until then
// code finds no instance).
struct CodeInstances {
    CVariableList* (*variables)(CInstance* inst);  // the instance's own variables
    // The instance of an id with its own variables, when it takes part (neither marked destroyed
    // nor deactivated); else null. One call for each instance a `with` walks to.
    CInstance* (*usable)(int id, CVariableList** variables);
    // The first instance a target names (what a dotted read reads), every one of them (for dotted
    // writes), and their ids (for `with`, whose body may destroy them); see
    // Instance_CollectTargets.
    CInstance* (*firstTarget)(int target, CInstance* self, CInstance* other);
    void (*collectTargets)(int target, CInstance* self, CInstance* other, std::vector<CInstance*>& out);
    void (*collectTargetIds)(int target, CInstance* self, CInstance* other, std::vector<int>& out);
};
extern CodeInstances Code_Instances;
