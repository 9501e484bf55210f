#include "Code/Code_Interp.h"
#include "Code/Code_Class.h"
#include "Code/Code_Parse.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Platform/Stack.h"
#include "Variable/Arguments.h"
#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_Main.h"

#include <cstdio>
#include <string>
#include <vector>

bool Code_RunErrorFatal = false;
int64_t Code_StepBudget = -1;
bool (*Code_Extension_FindHook)(const char* name, int* index) = nullptr;
bool (*Code_Extension_CallHook)(int index, CInstance* self, CInstance* other, int argc, TaggedValue* args, TaggedValue* result) = nullptr;
const char* (*Code_Extension_NameHook)(int index) = nullptr;
CodeInstances Code_Instances = {
    [](CInstance*) -> CVariableList* { return nullptr; },
    [](int, CVariableList**) -> CInstance* { return nullptr; },
    [](int, CInstance*, CInstance*) -> CInstance* { return nullptr; },
    [](int, CInstance*, CInstance*, std::vector<CInstance*>& out) { out.clear(); },
    [](int, CInstance*, CInstance*, std::vector<int>& out) { out.clear(); },
};

namespace {

enum Flow { FLOW_NORMAL, FLOW_BREAK, FLOW_CONTINUE, FLOW_EXIT, FLOW_ERROR };

struct Run {
    CInstance* self;
    CInstance* other;
    CVariableList* selfVariables;  // self's own variables (null without self)
    const CodeTree* tree;
    CVariable* locals;
    TaggedValue result;
    const char* stackLimit;  // frames below it mean the stack is nearly used up
};

std::string g_error;  // the message of the failing run, moved to LastErrorText at its end
bool g_errorFatal = false;

bool Fail(const Run& r, const Node* n, const std::string& message, bool fatal = false)
{
    char head[48];
    snprintf(head, sizeof head, ", line %d: ", n->line);
    g_error = "In " + r.tree->name + head + message;
    g_errorFatal = fatal;
    return false;
}

// A write that found no memory for the element it would store.
bool OutOfMemory(const Run& r, const Node* n)
{
    MemoryManager_TakeFailure();
    return Fail(r, n, ERROR_OUT_OF_MEMORY);
}

// A failure that already carries its whole message (a failed script call).
bool FailWith(const std::string& message, bool fatal)
{
    g_error = message;
    g_errorFatal = fatal;
    return false;
}

// After something the code called (a built-in, a setter) met a fatal error, which it has
// reported, the run stops at once.
bool GoesOn()
{
    return !Error_FatalPending || FailWith("", true);
}


bool Eval(const Node* n, Run& r, TaggedValue& out);

std::string VariableName(const Node* n, const Run& r)
{
    if (n->kind == N_LOCAL) return r.tree->locals[(size_t)n->id];
    return Code_Variable_GetName(n->id);
}

std::string ElementName(const Node* n, const Run& r, int index)
{
    std::string name = VariableName(n, r);
    if (n->IndexCount() == 0) return name;
    char buf[48];
    if (n->IndexCount() == 1) snprintf(buf, sizeof buf, "[%d]", index % ARRAY_DIMENSION);
    else snprintf(buf, sizeof buf, "[%d, %d]", index / ARRAY_DIMENSION, index % ARRAY_DIMENSION);
    return name + buf;
}

// The element index of a variable node: [j] is [0, j]; indexes are rounded.
bool EvalIndex(const Node* n, Run& r, int* index)
{
    int count = n->IndexCount();
    *index = 0;
    if (count == 0) return true;
    int first = n->FirstIndex();
    int ij[2] = {0, 0};
    for (int k = 0; k < count; k++) {
        TaggedValue v;
        if (!Eval(n->kids[(size_t)(first + k)], r, v)) return false;
        if (!v.IsReal()) return Fail(r, n, "Array index is not a number.");
        int x = RealToInt(v.val);
        if (x < 0) return Fail(r, n, "Negative array index.");
        if (x >= ARRAY_DIMENSION) return Fail(r, n, "Array index >= 32000");
        ij[count == 1 ? 1 : k] = x;
    }
    *index = ij[0] * ARRAY_DIMENSION + ij[1];
    return true;
}

// A variable never set stops the run; an element past those stored reads as 0 and is reported
// while the code goes on.
bool ReadFailed(const Node* n, Run& r, VariableStatus status, int index, TaggedValue& out)
{
    if (!Variable_UnsetReadsZero && status == VARIABLE_MISSING) return Fail(r, n, "Unknown variable " + VariableName(n, r));
    if (!Variable_UnsetReadsZero) Code_ReportElementAccess(r.tree->name, n->line, ElementName(n, r, index));
    out.SetReal(0.0);
    return true;
}

bool ReadList(const Node* n, Run& r, const CVariableList* list, int index, TaggedValue& out)
{
    VariableStatus status = list->Lookup(n->id, index, &out);
    return status == VARIABLE_OK || ReadFailed(n, r, status, index, out);
}

bool NoInstance(const Node* n, Run& r, int target)
{
    return Fail(r, n, "No instance found for target " + std::to_string(target) + " (variable " + VariableName(n, r) + ").");
}

bool ReadBuiltin(const Node* n, Run& r, CInstance* inst, int index, TaggedValue& out)
{
    if (!inst) return NoInstance(n, r, -1);
    const RVariable* b = Variable_BuiltIn_Get(n->id);
    if (b && !Variable_BuiltIn_HasElement(b, index)) return ReadFailed(n, r, VARIABLE_RANGE, index, out);
    if (b && b->getter && b->getter(inst, index, &out)) return true;
    if (n->IndexCount() > 0) return Fail(r, n, "Array index out of bounds: " + ElementName(n, r, index));
    return Fail(r, n, "Cannot read the variable " + VariableName(n, r) + ".");
}

bool ReadInstance(const Node* n, Run& r, CInstance* inst, int index, TaggedValue& out)
{
    if (n->id < VARIABLE_USER_BASE) return ReadBuiltin(n, r, inst, index, out);
    return ReadList(n, r, Code_Instances.variables(inst), index, out);
}

bool ReadVariable(const Node* n, Run& r, TaggedValue& out)
{
    int index;
    if (n->kind == N_DOT) {
        TaggedValue t;
        if (!Eval(n->kids[0], r, t) || !EvalIndex(n, r, &index)) return false;
        int target;
        bool global;
        if (!Code_DotTarget(t, &target, &global)) return Fail(r, n, CODE_DOT_NOT_A_NUMBER);
        if (global) {
            if (n->id < VARIABLE_USER_BASE) return ReadBuiltin(n, r, r.self, index, out);
            return ReadList(n, r, &Variable_Globals, index, out);
        }
        // The first instance of the target, read without gathering the others.
        CInstance* inst = Code_Instances.firstTarget(target, r.self, r.other);
        if (!inst) return NoInstance(n, r, target);
        return ReadInstance(n, r, inst, index, out);
    }
    if (!EvalIndex(n, r, &index)) return false;
    switch (n->kind) {
    case N_LOCAL: {
        const CVariable& v = r.locals[n->id];
        if (!v.defined) return ReadFailed(n, r, VARIABLE_MISSING, index, out);
        const TaggedValue* e = v.Element(index / ARRAY_DIMENSION, index % ARRAY_DIMENSION);
        if (!e) return ReadFailed(n, r, VARIABLE_RANGE, index, out);
        out = *e;
        return true;
    }
    case N_SELF:
        if (!r.self) return NoInstance(n, r, -1);
        return ReadList(n, r, r.selfVariables, index, out);
    case N_GLOBAL:
        return ReadList(n, r, &Variable_Globals, index, out);
    default:
        return ReadBuiltin(n, r, r.self, index, out);
    }
}

// Where an assignment writes: a local, a list (instance or global) or a built-in of an instance.
struct Place {
    CVariable* local = nullptr;
    CVariableList* list = nullptr;
    CInstance* inst = nullptr;
};

bool ReadPlace(const Node* n, Run& r, const Place& p, int index, TaggedValue& out)
{
    if (p.local) {
        if (!p.local->defined) return ReadFailed(n, r, VARIABLE_MISSING, index, out);
        const TaggedValue* e = p.local->Element(index / ARRAY_DIMENSION, index % ARRAY_DIMENSION);
        if (!e) return ReadFailed(n, r, VARIABLE_RANGE, index, out);
        out = *e;
        return true;
    }
    if (p.list) return ReadList(n, r, p.list, index, out);
    return ReadBuiltin(n, r, p.inst, index, out);
}

bool Store(const Node* assign, const Node* n, Run& r, const Place& p, int index, const TaggedValue& value)
{
    if (p.inst && Variable_BuiltIn_WritesNowhere(n->id, index)) {  // reported as such a read is
        Code_ReportElementAccess(r.tree->name, n->line, ElementName(n, r, index));
        return GoesOn();
    }
    const TaggedValue* v = &value;
    TaggedValue combined;
    if (assign->op != OP_SET) {
        TaggedValue current;
        if (!ReadPlace(n, r, p, index, current)) return false;
        std::string error;
        if (!Code_ApplyBinary(assign->op, current, value, &combined, &error)) return Fail(r, assign, error);
        v = &combined;
    }
    if (p.local) {
        TaggedValue* e = p.local->ElementForWrite(index / ARRAY_DIMENSION, index % ARRAY_DIMENSION);
        if (!e) return OutOfMemory(r, n);
        p.local->defined = true;
        *e = *v;
        return true;
    }
    if (p.list) return p.list->Set(n->id, index, *v) || OutOfMemory(r, n);
    if (!p.inst) return NoInstance(n, r, -1);
    const RVariable* b = Variable_BuiltIn_Get(n->id);
    if (b && b->canSet && b->setter && b->setter(p.inst, index, v)) return GoesOn();
    return Fail(r, n, "Cannot assign to the variable " + ElementName(n, r, index) + ".");
}

Place InstancePlace(const Node* n, CInstance* inst)
{
    Place p;
    if (n->id < VARIABLE_USER_BASE) p.inst = inst;
    else p.list = Code_Instances.variables(inst);
    return p;
}

bool Assign(const Node* a, Run& r)
{
    const Node* n = a->kids[0];
    int index;
    TaggedValue value;
    if (n->kind == N_DOT) {
        TaggedValue t;
        if (!Eval(n->kids[0], r, t) || !EvalIndex(n, r, &index) || !Eval(a->kids[1], r, value)) return false;
        int target;
        bool global;
        if (!Code_DotTarget(t, &target, &global)) return Fail(r, n, CODE_DOT_NOT_A_NUMBER);
        // Every instance of the target, in the order they had before the first write.
        std::vector<CInstance*> insts;
        if (!global) Code_Instances.collectTargets(target, r.self, r.other, insts);
        if (!global && insts.empty()) return NoInstance(n, r, target);
        if (global) {
            Place p;
            if (n->id < VARIABLE_USER_BASE) p.inst = r.self;
            else p.list = &Variable_Globals;
            return Store(a, n, r, p, index, value);
        }
        for (CInstance* inst : insts)
            if (!Store(a, n, r, InstancePlace(n, inst), index, value)) return false;
        return true;
    }
    if (!EvalIndex(n, r, &index) || !Eval(a->kids[1], r, value)) return false;
    Place p;
    switch (n->kind) {
    case N_LOCAL: p.local = &r.locals[n->id]; break;
    case N_SELF:
        if (!r.self) return NoInstance(n, r, -1);
        p.list = r.selfVariables;
        break;
    case N_GLOBAL: p.list = &Variable_Globals; break;
    default: p.inst = r.self; break;
    }
    return Store(a, n, r, p, index, value);
}

bool Call(const Node* n, Run& r, TaggedValue& out)
{
    int argc = (int)n->kids.size();
    int slots = argc;
    const RFunction* f = nullptr;
    if (n->kind == N_CALL) {
        f = Function_Get(n->id);
        if (!f) return Fail(r, n, "Unknown function.");
        if (f->argc > slots) slots = f->argc;
    }
    TaggedValue small[ARGUMENT_SLOTS];
    std::vector<TaggedValue> large;
    TaggedValue* args = small;
    if (slots > ARGUMENT_SLOTS) {
        large.resize((size_t)slots);
        args = large.data();
    }
    for (int i = 0; i < argc; i++)
        if (!Eval(n->kids[(size_t)i], r, args[i])) return false;
    out.SetReal(0.0);
    Error_Context.line = n->line;
    if (n->kind == N_CALL) {
        Function_Call(f, &out, r.self, r.other, slots, args);
        return GoesOn();
    }
    if (n->kind == N_SCRIPT) {
        if (Code_Scripts.execute(n->id, r.self, r.other, argc, &out, args)) return GoesOn();
        if (PendingScriptError.pending) {
            PendingScriptError.pending = false;
            return FailWith(PendingScriptError.message, PendingScriptError.fatal);
        }
        return Fail(r, n, "Trying to execute non-existing script.");
    }
    if (!Code_Extension_CallHook) return Fail(r, n, "Extension functions are not available.");
    if (Code_Extension_CallHook(n->id, r.self, r.other, argc, args, &out)) return GoesOn();
    return FailWith(LastErrorText, false);
}

bool Eval(const Node* n, Run& r, TaggedValue& out)
{
    if (Stack_Below(r.stackLimit)) return Fail(r, n, "Stack overflow: the code recurses too deeply.", true);
    switch (n->kind) {
    case N_CONST:
        out = n->value;
        return true;
    case N_LOCAL:
    case N_SELF:
    case N_GLOBAL:
    case N_BUILTIN:
    case N_DOT:
        return ReadVariable(n, r, out);
    case N_UNARY: {
        TaggedValue a;
        std::string error;
        if (!Eval(n->kids[0], r, a)) return false;
        return Code_ApplyUnary(n->op, a, &out, &error) || Fail(r, n, error);
    }
    case N_BINARY: {
        TaggedValue a, b;
        std::string error;
        if (!Eval(n->kids[0], r, a) || !Eval(n->kids[1], r, b)) return false;
        return Code_ApplyBinary(n->op, a, b, &out, &error) || Fail(r, n, error);
    }
    case N_AND:
    case N_OR: {
        const char* name = n->kind == N_AND ? "&&" : "||";
        TaggedValue a;
        if (!Eval(n->kids[0], r, a)) return false;
        if (!a.IsReal()) return Fail(r, n, std::string("Wrong type of arguments to ") + name + ".");
        bool x = a.val > 0.5;
        if (x == (n->kind == N_OR)) {
            out.SetReal(x ? 1.0 : 0.0);
            return true;
        }
        if (!Eval(n->kids[1], r, a)) return false;
        if (!a.IsReal()) return Fail(r, n, std::string("Wrong type of arguments to ") + name + ".");
        out.SetReal(a.val > 0.5 ? 1.0 : 0.0);
        return true;
    }
    case N_CALL:
    case N_SCRIPT:
    case N_EXTENSION:
        return Call(n, r, out);
    default:
        return Fail(r, n, "Statement used as an expression.");
    }
}

bool Condition(const Node* n, Run& r, bool* holds)
{
    TaggedValue v;
    if (!Eval(n, r, v)) return false;
    if (!v.IsReal()) return Fail(r, n, "A string cannot be used as a condition.");
    *holds = v.val > 0.5;
    return true;
}

Flow Exec(const Node* n, Run& r);

// Runs a loop body; true when the loop goes on, false when it ends with *flow to return.
bool LoopBody(const Node* body, Run& r, Flow* flow)
{
    Flow f = Exec(body, r);
    if (f == FLOW_NORMAL || f == FLOW_CONTINUE) return true;
    *flow = f == FLOW_BREAK ? FLOW_NORMAL : f;
    return false;
}

Flow ExecSwitch(const Node* n, Run& r)
{
    TaggedValue value;
    if (!Eval(n->kids[0], r, value)) return FLOW_ERROR;
    size_t start = 0, fallback = 0;
    for (size_t i = 1; i < n->kids.size() && !start; i++) {
        const Node* k = n->kids[i];
        if (k->kind == N_DEFAULT && !fallback) fallback = i;
        if (k->kind != N_CASE) continue;
        TaggedValue c;
        if (!Eval(k->kids[0], r, c)) return FLOW_ERROR;
        if (Value_Equal(value, c)) start = i;
    }
    if (!start) start = fallback;
    if (!start) return FLOW_NORMAL;
    for (size_t i = start + 1; i < n->kids.size(); i++) {
        const Node* k = n->kids[i];
        if (k->kind == N_CASE || k->kind == N_DEFAULT) continue;
        Flow f = Exec(k, r);
        if (f == FLOW_BREAK) return FLOW_NORMAL;
        if (f != FLOW_NORMAL) return f;
    }
    return FLOW_NORMAL;
}

Flow ExecWith(const Node* n, Run& r)
{
    TaggedValue t;
    if (!Eval(n->kids[0], r, t)) return FLOW_ERROR;
    if (!t.IsReal()) return Fail(r, n, "The target of with is not a number."), FLOW_ERROR;
    int target = RealToInt(t.val);
    if (target == -7) target = -1;
    // Ids, not pointers: the body may destroy instances; those not yet run are then skipped.
    std::vector<int> ids;
    Code_Instances.collectTargetIds(target, r.self, r.other, ids);
    CInstance* self = r.self;
    CInstance* other = r.other;
    CVariableList* selfVariables = r.selfVariables;
    Flow result = FLOW_NORMAL;
    for (int id : ids) {
        CVariableList* variables;
        CInstance* inst = Code_Instances.usable(id, &variables);
        if (!inst) continue;
        r.self = inst;
        r.other = self;
        r.selfVariables = variables;
        Flow f = Exec(n->kids[1], r);
        if (f == FLOW_NORMAL || f == FLOW_CONTINUE) continue;
        if (f != FLOW_BREAK) result = f;
        break;
    }
    r.self = self;
    r.other = other;
    r.selfVariables = selfVariables;
    return result;
}

Flow Exec(const Node* n, Run& r)
{
    if (Stack_Below(r.stackLimit)) return Fail(r, n, "Stack overflow: the code recurses too deeply.", true), FLOW_ERROR;
    Error_Context.line = n->line;
    if (Code_StepBudget >= 0 && Code_StepBudget-- == 0) {
        Code_StepBudget = 0;
        return Fail(r, n, CODE_STEP_LIMIT_MESSAGE, true), FLOW_ERROR;
    }
    bool holds;
    Flow flow = FLOW_NORMAL;
    switch (n->kind) {
    case N_BLOCK:
        for (const Node* k : n->kids) {
            Flow f = Exec(k, r);
            if (f != FLOW_NORMAL) return f;
        }
        return FLOW_NORMAL;
    case N_ASSIGN:
        return Assign(n, r) ? FLOW_NORMAL : FLOW_ERROR;
    case N_CALLSTMT: {
        TaggedValue ignored;
        return Eval(n->kids[0], r, ignored) ? FLOW_NORMAL : FLOW_ERROR;
    }
    case N_IF:
        if (!Condition(n->kids[0], r, &holds)) return FLOW_ERROR;
        if (holds) return Exec(n->kids[1], r);
        return n->kids.size() > 2 ? Exec(n->kids[2], r) : FLOW_NORMAL;
    case N_WHILE:
        for (;;) {
            if (!Condition(n->kids[0], r, &holds)) return FLOW_ERROR;
            if (!holds || !LoopBody(n->kids[1], r, &flow)) return flow;
        }
    case N_DO:
        for (;;) {
            if (!LoopBody(n->kids[0], r, &flow)) return flow;
            if (!Condition(n->kids[1], r, &holds)) return FLOW_ERROR;
            if (holds) return FLOW_NORMAL;
        }
    case N_FOR: {
        Flow f = Exec(n->kids[0], r);
        if (f != FLOW_NORMAL) return f;
        for (;;) {
            if (!Condition(n->kids[1], r, &holds)) return FLOW_ERROR;
            if (!holds || !LoopBody(n->kids[3], r, &flow)) return flow;
            f = Exec(n->kids[2], r);
            if (f != FLOW_NORMAL) return f;
        }
    }
    case N_REPEAT: {
        TaggedValue count;
        if (!Eval(n->kids[0], r, count)) return FLOW_ERROR;
        if (!count.IsReal()) return Fail(r, n, "The repeat count is not a number."), FLOW_ERROR;
        int times = RealToInt(count.val);
        for (int i = 0; i < times; i++)
            if (!LoopBody(n->kids[1], r, &flow)) return flow;
        return FLOW_NORMAL;
    }
    case N_SWITCH:
        return ExecSwitch(n, r);
    case N_BREAK:
        return FLOW_BREAK;
    case N_CONTINUE:
        return FLOW_CONTINUE;
    case N_EXIT:
        return FLOW_EXIT;
    case N_ACTION:
        Error_Context.actionNumber = n->id;
        return FLOW_NORMAL;
    case N_RETURN:
        if (!Eval(n->kids[0], r, r.result)) return FLOW_ERROR;
        return FLOW_EXIT;
    case N_WITH:
        return ExecWith(n, r);
    default:
        return Fail(r, n, "Expression used as a statement."), FLOW_ERROR;
    }
}

}  // namespace

void Code_ReportElementAccess(const std::string& codeName, int line, const std::string& element)
{
    Error_Show_Action(("In " + codeName + ", line " + std::to_string(line) + ": Array index out of bounds: " + element).c_str(),
                      false);
}

bool Code_Run(CInstance* self, CInstance* other, CCode* code, TaggedValue* result)
{
    if (result) result->SetReal(0.0);
    Code_RunErrorFatal = false;
    const CodeTree* tree = code ? code->GetTree() : nullptr;
    if (!tree) {
        LastErrorText = "The code is not compiled.";
        return false;
    }
    std::vector<CVariable> locals(tree->locals.size());
    Run r{self, other, self ? Code_Instances.variables(self) : nullptr, tree, locals.data(), TaggedValue(), Stack_Limit(CODE_STACK_RESERVE)};
    int line = Error_Context.line;
    bool ok;
    if (code->IsExpression()) ok = Eval(tree->root, r, r.result);
    else ok = Exec(tree->root, r) != FLOW_ERROR;
    Error_Context.line = line;
    if (!ok) {
        LastErrorText = g_error;
        Code_RunErrorFatal = g_errorFatal;
        return false;
    }
    if (result) *result = std::move(r.result);
    return true;
}
