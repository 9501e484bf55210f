#include "Code/Code_VM.h"
#include "Code/Code_Builtins.h"
#include "Code/Code_Class.h"
#include "Code/Code_Interp.h"
#include "Code/Code_Opcodes.h"
#include "Code/Code_Parse.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Platform/Stack.h"
#include "Support/DS_Fast.h"
#include "Variable/Arguments.h"
#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_Main.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

bool (*Code_Extension_CallDLLHook)(int index, int argc, TaggedValue* args, TaggedValue* result) = nullptr;

namespace {

// The kind of a plain local's value before the run first sets it. Only local slots hold it:
// every read checks for it, so it never reaches a value the code sees.
constexpr uint32_t VALUE_UNSET = 2;

constexpr size_t STACK_VALUES = (size_t)1 << 20;
const char* const STACK_OVERFLOW = "Stack overflow: the code recurses too deeply.";

// One running piece of code: the entry code of a run or a script called from it. A script's
// frame starts with its argument slots, the values its caller pushed (and the real 0 in the
// slots it did not fill), which ArgumentSlots points at while it runs when other code may see
// them (ByteCode::argSlots). A power of two in size, so that the frame of a depth is found by a
// shift.
struct alignas(128) Frame {
    const ByteCode* bc;
    const TaggedValue* consts;  // bc's constants
    const VMIns* ret;     // where the caller goes on
    TaggedValue* base;    // the frame's first value (a script's argument slots)
    TaggedValue* locals;  // the values of its plain `var` locals
    TaggedValue* stack;   // the bottom of an entry frame's operand stack, above the locals
    TaggedValue* slots;   // its argument slots
    TaggedValue* savedSlots;  // the caller's ArgumentSlots (with FRAME_SLOTS)
    CInstance* self;      // self and other of the running code (with changes them)
    CInstance* other;
    CVariableList* selfVariables;  // self's own variables (null without self)
    CVariable* arrays;    // its indexed `var` locals (with FRAME_ARRAYS)
    size_t arrayBlock, arrayUsed;  // the local pool's mark before the frame took its arrays
    int savedCount;       // the caller's argument_count
    int script;           // the script's index, -1 for the entry code
    int work;             // what its end must undo besides its values (FRAME_...), mostly none
};
static_assert(sizeof(Frame) == 128, "a frame is found by a shift");

enum : int {
    FRAME_SLOTS = 1,   // it set ArgumentSlots and argument_count, which its end gives back
    FRAME_ARRAYS = 2,  // it took arrays from the local pool
    FRAME_WALKS = 4,   // it began a with walk, which may still run when it ends
};

// A with statement's walk over the instances of its target.
struct WithWalk {
    std::vector<int> ids;
    size_t next;
    CInstance* self;
    CInstance* other;
    const Frame* frame;  // the frame running it
    CVariableList* selfVariables;
};

// The indexed `var` locals of running frames: blocks that never move, taken and given back in
// order.
class LocalPool {
public:
    CVariable* Take(int n, size_t* block, size_t* used)
    {
        *block = m_block;
        *used = m_used;
        if (n == 0) return nullptr;
        if (m_block < m_blocks.size() && m_used + (size_t)n <= m_sizes[m_block]) {
            CVariable* p = &m_blocks[m_block][m_used];
            m_used += (size_t)n;
            return p;
        }
        return Grow(n);
    }

    void Give(CVariable* p, int n, size_t block, size_t used)
    {
        for (int k = 0; k < n; k++) {
            CVariable& v = p[k];
            v.defined = false;
            v.value.SetReal(0.0);
            if (!v.rows.empty()) v.rows.clear();
        }
        m_block = block;
        m_used = used;
    }

private:
    CVariable* Grow(int n)
    {
        while (m_block < m_blocks.size() && m_used + (size_t)n > m_sizes[m_block]) {
            m_block++;
            m_used = 0;
        }
        if (m_block == m_blocks.size()) {
            size_t size = (size_t)n > 4096 ? (size_t)n : 4096;
            m_blocks.push_back(std::make_unique<CVariable[]>(size));
            m_sizes.push_back(size);
            m_used = 0;
        }
        CVariable* p = &m_blocks[m_block][m_used];
        m_used += (size_t)n;
        return p;
    }

    std::vector<std::unique_ptr<CVariable[]>> m_blocks;
    std::vector<size_t> m_sizes;
    size_t m_block = 0, m_used = 0;
};

// The machine's state, shared by nested runs (a built-in that runs code starts a run on top).
TaggedValue* g_stack = nullptr;
TaggedValue* g_top = nullptr;  // the first free value
TaggedValue* g_end = nullptr;
Frame g_frames[CODE_MAX_CALL_DEPTH + 1];
Frame* g_cur = nullptr;  // the top frame, null outside any run
// The number of running frames.
inline int Depth()
{
    return g_cur ? (int)(g_cur - g_frames) + 1 : 0;
}
std::vector<WithWalk> g_withs;
LocalPool g_locals;
// The byte code of each script by index (null: not looked up yet), valid while
// the scripts' generation is g_scriptsSeen.
std::vector<const ByteCode*> g_scriptCode;
int g_scriptsSeen = -1;

// The failure of the running instruction: its message, whether it is whole (already names its
// code) and whether it ends the game.
struct Failure {
    std::string message;
    bool whole = false;
    bool fatal = false;
    int line = 0;  // 0: the line of the failing instruction
};
Failure g_fail;

bool Fail(std::string message, int line = 0, bool fatal = false)
{
    g_fail.message = std::move(message);
    g_fail.whole = false;
    g_fail.fatal = fatal;
    g_fail.line = line;
    return false;
}

bool FailWhole(std::string message, bool fatal)
{
    g_fail.message = std::move(message);
    g_fail.whole = true;
    g_fail.fatal = fatal;
    return false;
}

// The steps of the instructions' fast paths: inlined even where the loop is too large for the
// compiler to choose it.
#define VALUE_STEP __attribute__((always_inline)) inline

VALUE_STEP void Drop(TaggedValue* v)
{
    if (v->str) v->SetReal(0.0);
}

// Copies into a free value (one without text). A copy of a text is the rare case: the hint lays
// the reals' path out straight, without a taken jump. (Drop has none: code that handles texts
// releases one at most steps, and the hinted release is laid out worse, 7% slower there.)
VALUE_STEP void CopyTo(TaggedValue* dst, const TaggedValue& src)
{
    if (__builtin_expect(!src.str, 1)) {
        dst->kind = src.kind;
        dst->val = src.val;
    } else {
        *dst = src;
    }
}

// A map read's result in the place of its plain real key: the value found, or the real 0 (the
// key's place holds no text to release, nor does its kind change).
VALUE_STEP void PutFound(TaggedValue* key, const CDS_Map::Entry* e)
{
    if (e) {
        CopyTo(key, e->value);
        key->kind &= VALUE_KIND_MASK;
    } else {
        key->val = 0.0;
    }
}

// Moves into a free value; src is left free (its text gone: a free value's kind is written by
// whatever takes it next).
VALUE_STEP void MoveTo(TaggedValue* dst, TaggedValue* src)
{
    dst->kind = src->kind;
    dst->str = src->str;
    dst->val = src->val;
    src->str = nullptr;
}

// Moves a value into a place that holds one: a plain real (which has no text) over a value
// without text, the common case of a write, in two stores laid out straight; anything else with
// the place's text released first.
VALUE_STEP void MoveOver(TaggedValue* dst, TaggedValue* src)
{
    if (__builtin_expect(((uintptr_t)dst->str | src->kind) == VALUE_REAL, 1)) {
        dst->kind = VALUE_REAL;
        dst->val = src->val;
        return;
    }
    Drop(dst);
    MoveTo(dst, src);
}

// After something the code called (a built-in, a setter) met a fatal error, which it has
// reported, the run stops at once.
// A write that found no memory for the element it would store.
__attribute__((noinline, cold)) bool OutOfMemory(int line = 0)
{
    MemoryManager_TakeFailure();
    return Fail(ERROR_OUT_OF_MEMORY, line);
}

// A join of two texts that could not be made: too long, or no memory.
__attribute__((noinline, cold)) bool JoinFailed(const TaggedValue& a, const TaggedValue& b, int line = 0)
{
    return Fail(Code_JoinError(a.GetLength(), b.GetLength()), line);
}

bool GoesOn()
{
    return !Error_FatalPending || FailWhole("", true);
}

// Counts a step of a limited budget; true when none was left.
__attribute__((noinline)) bool BudgetSpent()
{
    if (Code_StepBudget-- > 0) return false;
    Code_StepBudget = 0;
    return true;
}

// Games run without a budget (-1): that test is all a jump back and a call pay.
VALUE_STEP bool StepSpent()
{
    return __builtin_expect(Code_StepBudget >= 0, 0) && BudgetSpent();
}

// Whether (x op y) holds for two reals: the fast path of the fused compare-and-jump opcodes.
inline bool RealHolds(int op, double x, double y)
{
    switch (op) {
    case OP_LT: return x < y;
    case OP_LE: return x <= y;
    case OP_GT: return x > y;
    case OP_GE: return x >= y;
    case OP_EQ: return std::fabs(x - y) <= MathEpsilon;
    default: return std::fabs(x - y) > MathEpsilon;
    }
}

// n mod d with the sign of n, for d neither 0 nor -1; a power of two without a division.
inline int32_t WholeRemainder(int32_t n, int32_t d)
{
    if (d > 0 && (d & (d - 1)) == 0) {
        int32_t r = n & (d - 1);
        return n < 0 && r != 0 ? r - d : r;
    }
    return n % d;
}

// ---- variables ----

struct Access {
    const ByteCode* bc;
    int kind;   // the opcode family: local, array, self, global, builtin, dot
    int id;
    int count;  // number of indexes
    const VMIns* pc;  // the instruction, for the line of a report
};

std::string VariableName(const Access& a)
{
    if (a.kind == OPC_GET_LOCAL) return a.bc->localNames[(size_t)a.id];
    if (a.kind == OPC_GET_ARRAY) return a.bc->arrayNames[(size_t)a.id];
    return Code_Variable_GetName(a.id);
}

std::string ElementName(const Access& a, int index)
{
    std::string name = VariableName(a);
    if (a.count == 0) return name;
    char buf[48];
    if (a.count == 1) snprintf(buf, sizeof buf, "[%d]", index % ARRAY_DIMENSION);
    else snprintf(buf, sizeof buf, "[%d, %d]", index / ARRAY_DIMENSION, index % ARRAY_DIMENSION);
    return name + buf;
}

// Whether a value is an array index as it stands: a whole number in range.
// (NaN and values out of 32 bits truncate to the lowest integer, which is out of range.)
VALUE_STEP bool IndexReady(const TaggedValue& v)
{
    int whole = TruncToInt(v.val);
    return v.kind == VALUE_REAL && (unsigned)whole < (unsigned)ARRAY_DIMENSION && (double)whole == v.val;
}

bool IndexFailed(TaggedValue* v)
{
    if (!v->IsReal()) return Fail("Array index is not a number.");
    int x = RealToInt(v->val);
    if (x < 0) return Fail("Negative array index.");
    if (x >= ARRAY_DIMENSION) return Fail("Array index >= 32000");
    v->kind = VALUE_REAL;
    v->val = x;
    return true;
}

// Checks and rounds an array index in place.
inline bool CheckIndex(TaggedValue* v)
{
    return IndexReady(*v) || IndexFailed(v);
}

// The element index of checked indexes (already whole numbers in range).
VALUE_STEP int ElementIndex(const TaggedValue* idx, int count)
{
    if (count == 0) return 0;
    if (count == 1) return (int)idx[0].val;
    return (int)idx[0].val * ARRAY_DIMENSION + (int)idx[1].val;
}

// The stored element `index` of row 0 (the one-dimensional arrays; not [0, 0]) of a variable
// into *e; false when it is not stored.
VALUE_STEP bool FirstRowElement(const CVariable* v, int index, TaggedValue** e)
{
    if (__builtin_expect(v->rows.empty(), 0)) return false;
    // Bounded by address, which needs no division by the size of a value; worked out as
    // integers, as the row may be empty, without storage.
    const std::vector<TaggedValue>& row = v->rows[0];
    uintptr_t at = (uintptr_t)row.data() + (uintptr_t)index * sizeof(TaggedValue);
    *e = (TaggedValue*)at;
    return __builtin_expect(at < (uintptr_t)(row.data() + row.size()), 1);
}

// Element `index` (below ARRAY_DIMENSION) of an array of one index into *e; false when it is
// not stored.
VALUE_STEP bool OneIndexElement(const CVariable* v, int index, TaggedValue** e)
{
    if (__builtin_expect(index == 0, 0)) {
        *e = const_cast<TaggedValue*>(&v->value);
        return true;
    }
    return FirstRowElement(v, index, e);
}

// The stored element `index` (not [0, 0]) of a variable, or null.
VALUE_STEP TaggedValue* StoredElement(const CVariable* v, int index)
{
    if (__builtin_expect(index < ARRAY_DIMENSION, 1)) {  // row 0: no division
        TaggedValue* e;
        return FirstRowElement(v, index, &e) ? e : nullptr;
    }
    size_t i = (size_t)(index / ARRAY_DIMENSION), j = (size_t)(index % ARRAY_DIMENSION);
    if (i >= v->rows.size() || j >= v->rows[i].size()) return nullptr;
    return const_cast<TaggedValue*>(&v->rows[i][j]);
}

// The stored element [i, j] (checked indexes) of a variable, or null: found by the two indexes,
// without the division of an element index, and bounded by address (worked out as integers, as
// the rows may have no storage).
VALUE_STEP TaggedValue* StoredAt(const CVariable* v, int i, int j)
{
    if (__builtin_expect((i | j) == 0, 0)) return const_cast<TaggedValue*>(&v->value);
    using Row = std::vector<TaggedValue>;
    uintptr_t row = (uintptr_t)v->rows.data() + (uintptr_t)(unsigned)i * sizeof(Row);
    if (__builtin_expect(row >= (uintptr_t)(v->rows.data() + v->rows.size()), 0)) return nullptr;
    const Row& r = *(const Row*)row;
    uintptr_t at = (uintptr_t)r.data() + (uintptr_t)(unsigned)j * sizeof(TaggedValue);
    return __builtin_expect(at < (uintptr_t)(r.data() + r.size()), 1) ? (TaggedValue*)at : nullptr;
}

// Element `index` of a variable, or null when it is not stored.
VALUE_STEP const TaggedValue* FastElement(const CVariable* v, int index)
{
    return index == 0 ? &v->value : StoredElement(v, index);
}

VALUE_STEP TaggedValue* FastElementForWrite(CVariable* v, int index)
{
    if (index == 0) return &v->value;
    TaggedValue* e = StoredElement(v, index);
    return e ? e : v->ElementForWrite(index / ARRAY_DIMENSION, index % ARRAY_DIMENSION);
}

// The value of a built-in that is a plain field of the instance (RVariable), read in place;
// false for any other.
VALUE_STEP bool FieldValue(const RVariable* b, CInstance* self, double* out)
{
    switch (b->fieldKind) {
    case RVariable::FLOAT_FIELD: *out = self->*b->floatField; return true;
    case RVariable::OWN_FLOAT_FIELD: *out = self->*b->ownFloatField; return true;
    case RVariable::INT_FIELD: *out = self->*b->intField; return true;
    case RVariable::OWN_INT_FIELD: *out = self->*b->ownIntField; return true;
    case RVariable::BOOL_FIELD: *out = self->*b->boolField ? 1.0 : 0.0; return true;
    default: return false;
    }
}
#undef VALUE_STEP

// A variable never set stops the run; an element past those stored reads as 0 and is reported
// while the code goes on.
bool ReadFailed(const Access& a, VariableStatus status, int index, TaggedValue* out)
{
    if (!Variable_UnsetReadsZero && status == VARIABLE_MISSING) return Fail("Unknown variable " + VariableName(a));
    if (!Variable_UnsetReadsZero)
        Code_ReportElementAccess(a.bc->name, a.bc->lines[(size_t)(a.pc - a.bc->code.data())], ElementName(a, index));
    out->SetReal(0.0);
    return true;
}

// A plain local read before the run set it: the error, or the real 0 into *out when unset
// variables read as 0.
bool ReadUnset(const ByteCode* bc, int slot, const VMIns* pc, TaggedValue* out)
{
    return ReadFailed(Access{bc, OPC_GET_LOCAL, slot, 0, pc}, VARIABLE_MISSING, 0, out);
}

// A compound assignment to a plain local that the inline path left: a text, an unset local or
// an error of the operator.
bool UpdateLocal(const Access& a, TaggedValue* v, int op, int assignLine, const TaggedValue* value)
{
    TaggedValue current;
    if (v->kind == VALUE_UNSET) {
        if (!ReadFailed(a, VARIABLE_MISSING, 0, &current)) return false;
    } else if (op == OP_ADD && v->IsString() && value->IsString()) {
        return v->Append(value->GetString(), value->GetLength()) || JoinFailed(*v, *value, assignLine);
    }
    TaggedValue combined;
    std::string error;
    if (!Code_ApplyBinary(op, v->kind == VALUE_UNSET ? current : *v, *value, &combined, &error))
        return Fail(error, assignLine);
    *v = std::move(combined);
    return true;
}

// Marks the plain locals of a new frame unset; returns the end of them.
inline TaggedValue* StartLocals(TaggedValue* locals, int count)
{
    for (int k = 0; k < count; k++) locals[k].kind = VALUE_UNSET;
    return locals + count;
}

bool NoInstance(const Access& a, int target)
{
    return Fail("No instance found for target " + std::to_string(target) + " (variable " + VariableName(a) + ").");
}

bool ReadElement(const Access& a, const CVariable* v, int index, TaggedValue* out)
{
    if (!v || !v->defined) return ReadFailed(a, VARIABLE_MISSING, index, out);
    const TaggedValue* e = v->Element(index / ARRAY_DIMENSION, index % ARRAY_DIMENSION);
    if (!e) return ReadFailed(a, VARIABLE_RANGE, index, out);
    *out = *e;
    return true;
}

bool ReadBuiltin(const Access& a, CInstance* inst, int index, TaggedValue* out)
{
    if (!inst) return NoInstance(a, -1);
    const RVariable* b = Variable_BuiltIn_Get(a.id);
    if (b && !Variable_BuiltIn_HasElement(b, index)) return ReadFailed(a, VARIABLE_RANGE, index, out);
    if (b && b->getter && b->getter(inst, index, out)) return true;
    if (a.count > 0) return Fail("Array index out of bounds: " + ElementName(a, index));
    return Fail("Cannot read the variable " + VariableName(a) + ".");
}

// Where a write goes: a local, a list (instance or global) or a built-in of an instance.
struct Place {
    CVariable* local = nullptr;
    CVariableList* list = nullptr;
    int* hint = nullptr;  // for a list: where the instruction last found its variable
    CInstance* inst = nullptr;
};

CVariable* FindIn(const Place& p, int id)
{
    int ignored = 0;
    return p.list->Find(id, p.hint ? p.hint : &ignored);
}

bool ReadPlace(const Access& a, const Place& p, int index, TaggedValue* out)
{
    if (p.local) return ReadElement(a, p.local, index, out);
    if (p.list) return ReadElement(a, FindIn(p, a.id), index, out);
    return ReadBuiltin(a, p.inst, index, out);
}

// Writes value (combined with the current value by op for a compound assignment).
bool Store(const Access& a, const Place& p, int index, int op, int assignLine, TaggedValue* value)
{
    if (p.inst && Variable_BuiltIn_WritesNowhere(a.id, index)) {  // reported as such a read is
        Code_ReportElementAccess(a.bc->name, a.bc->lines[(size_t)(a.pc - a.bc->code.data())], ElementName(a, index));
        return true;
    }
    TaggedValue combined;
    if (op != OP_SET) {
        TaggedValue current;
        if (!ReadPlace(a, p, index, &current)) return false;
        // Joining onto a text only this variable holds appends in place.
        if (op == OP_ADD && current.IsString() && value->IsString() && (p.local || p.list)) {
            current.Free();
            CVariable* v = p.local ? p.local : FindIn(p, a.id);
            TaggedValue* e = v->ElementForWrite(index / ARRAY_DIMENSION, index % ARRAY_DIMENSION);
            if (!e) return OutOfMemory(assignLine);
            return e->Append(value->GetString(), value->GetLength()) || JoinFailed(*e, *value, assignLine);
        }
        // Reals combine here; anything else, and the errors, as the tree interpreter does.
        if (current.IsReal() && value->IsReal() && Code_RealBinary(op, current.val, value->val, &combined.val)) {
            value = &combined;
        } else {
            std::string error;
            if (!Code_ApplyBinary(op, current, *value, &combined, &error)) return Fail(error, assignLine);
            value = &combined;
        }
    }
    if (p.local) {
        TaggedValue* e = p.local->ElementForWrite(index / ARRAY_DIMENSION, index % ARRAY_DIMENSION);
        if (!e) return OutOfMemory(assignLine);
        p.local->defined = true;
        *e = *value;
        return true;
    }
    if (p.list) {
        int ignored = 0;
        TaggedValue* e = p.list->ElementForWrite(a.id, index, p.hint ? p.hint : &ignored);
        if (!e) return OutOfMemory(assignLine);
        *e = *value;
        return true;
    }
    if (!p.inst) return NoInstance(a, -1);
    const RVariable* b = Variable_BuiltIn_Get(a.id);
    if (b && b->canSet && b->setter && b->setter(p.inst, index, value)) return true;
    return Fail("Cannot assign to the variable " + ElementName(a, index) + ".");
}

Place InstancePlace(const Access& a, CInstance* inst)
{
    Place p;
    if (a.id < VARIABLE_USER_BASE) p.inst = inst;
    else p.list = Code_Instances.variables(inst);
    return p;
}

// Reads the variable of the target's first instance.
bool ReadDot(const Access& a, const TaggedValue& t, int index, CInstance* self, CInstance* other, TaggedValue* out)
{
    int target;
    bool global;
    if (!Code_DotTarget(t, &target, &global)) return Fail(CODE_DOT_NOT_A_NUMBER);
    if (global) {
        if (a.id < VARIABLE_USER_BASE) return ReadBuiltin(a, self, index, out);
        return ReadElement(a, Variable_Globals.Find(a.id), index, out);
    }
    CInstance* inst = Code_Instances.firstTarget(target, self, other);
    if (!inst) return NoInstance(a, target);
    if (a.id < VARIABLE_USER_BASE) return ReadBuiltin(a, inst, index, out);
    return ReadElement(a, Code_Instances.variables(inst)->Find(a.id), index, out);
}

// Writes the variable of every instance of the target, in the order they had before the first
// write (a write to depth may reorder them).
bool WriteDot(const Access& a, const TaggedValue& t, int index, int op, int assignLine, CInstance* self,
              CInstance* other, TaggedValue* value)
{
    int target;
    bool global;
    if (!Code_DotTarget(t, &target, &global)) return Fail(CODE_DOT_NOT_A_NUMBER);
    std::vector<CInstance*> insts;
    if (!global) Code_Instances.collectTargets(target, self, other, insts);
    if (!global && insts.empty()) return NoInstance(a, target);
    if (global) {
        Place p;
        if (a.id < VARIABLE_USER_BASE) p.inst = self;
        else p.list = &Variable_Globals;
        return Store(a, p, index, op, assignLine, value);
    }
    for (CInstance* inst : insts)
        if (!Store(a, InstancePlace(a, inst), index, op, assignLine, value)) return false;
    return true;
}

// ---- frames ----

// The frame's work beyond its values: the argument slots other code may see and the arrays it
// takes when it starts (with f.bc, f.base set; argc values passed), their return when it ends.
__attribute__((noinline)) void StartFrameWork(Frame& f, int argc)
{
    const ByteCode* bc = f.bc;
    f.work = 0;
    if (f.script < 0 || bc->argSlots == ARGUMENT_SLOTS) {
        f.work |= FRAME_SLOTS;
        f.savedSlots = ArgumentSlots;
        f.savedCount = argument_count;
        if (f.script >= 0) {
            ArgumentSlots = f.base;
            argument_count = argc > ARGUMENT_SLOTS ? ARGUMENT_SLOTS : argc;
        }
    }
    if (bc->arrayCount) {
        f.work |= FRAME_ARRAYS;
        f.arrays = g_locals.Take(bc->arrayCount, &f.arrayBlock, &f.arrayUsed);
    }
}

__attribute__((noinline)) void EndFrameWork(Frame& f)
{
    if (f.work & FRAME_WALKS)
        while (!g_withs.empty() && g_withs.back().frame == &f) g_withs.pop_back();
    if (f.work & FRAME_ARRAYS) g_locals.Give(f.arrays, f.bc->arrayCount, f.arrayBlock, f.arrayUsed);
    if (f.work & FRAME_SLOTS) {
        ArgumentSlots = f.savedSlots;
        argument_count = f.savedCount;
    }
}

// Frees the values of [from, to). Reals, the common case, have no text: the texts of all are
// looked at together first, without a branch for each value.
__attribute__((always_inline)) inline void DropValues(TaggedValue* from, TaggedValue* to)
{
    uintptr_t texts = 0;
    for (TaggedValue* v = from; v < to; v++) texts |= (uintptr_t)v->str;
    if (__builtin_expect(texts != 0, 0))
        for (TaggedValue* v = from; v < to; v++) Drop(v);
}

// Ends a frame: frees its values (arguments, locals, operands) below sp, and its arrays and
// walks, and gives the caller back its argument slots. A free value needs no text; its kind is
// written by whatever takes it next.
__attribute__((always_inline)) inline void EndFrame(Frame& f, TaggedValue* sp)
{
    DropValues(f.base, sp);
    if (__builtin_expect(f.work != 0, 0)) EndFrameWork(f);
}

// The frame below f, null below the first.
inline Frame* Below(Frame* f)
{
    return f == g_frames ? nullptr : f - 1;
}

// Ends the top frame.
__attribute__((always_inline)) inline void PopFrame(TaggedValue* sp)
{
    EndFrame(*g_cur, sp);
    g_cur = Below(g_cur);
}

// ---- slow paths ----
// The loop does the common case of an instruction inline and leaves the rest to one of these:
// each does the whole instruction from the stack top it is given and returns the new top, or
// null when the instruction failed (g_fail set, nothing left above the old top). They keep
// objects with destructors out of the loop, where the computed goto would skip them, and keep
// its registers free.
#define SLOW_PATH __attribute__((noinline)) TaggedValue*
#define BC (g_cur->bc)
#define ACCESS(kind) Access{BC, kind, pc->a, pc->x, pc}

__attribute__((noinline)) bool FailNow(const char* message, int line = 0, bool fatal = false)
{
    return Fail(message, line, fatal);
}

// Replaces the `pops` values below top with out.
TaggedValue* Put(TaggedValue* top, int pops, TaggedValue* out)
{
    for (int k = 0; k < pops; k++) Drop(--top);
    MoveTo(top, out);
    return top + 1;
}

SLOW_PATH GetUnsetLocal(const VMIns* pc, TaggedValue* sp)
{
    return ReadUnset(BC, pc->a, pc, sp) ? sp + 1 : nullptr;
}

// The reads of an element of an indexed local and of an instance or global variable, with count
// indexes on the stack.
TaggedValue* ReadArray(const VMIns* pc, TaggedValue* sp, int count)
{
    if (count && !CheckIndex(&sp[-1])) return nullptr;
    TaggedValue out;
    Access a{BC, OPC_GET_ARRAY, pc->a, count, pc};
    if (!ReadElement(a, &g_cur->arrays[pc->a], ElementIndex(sp - count, count), &out)) return nullptr;
    return Put(sp, count, &out);
}

SLOW_PATH GetArray(const VMIns* pc, TaggedValue* sp)
{
    return ReadArray(pc, sp, pc->x);
}

CVariableList* ListOf(const VMIns* pc)
{
    if (pc->op == OPC_GET_GLOBAL || pc->op == OPC_GET_GLOBAL_AT || pc->op == OPC_SET_GLOBAL) return &Variable_Globals;
    return g_cur->selfVariables;
}

TaggedValue* ReadVariable(const VMIns* pc, TaggedValue* sp, int count)
{
    Access a{BC, OPC_GET_SELF, pc->a, count, pc};
    CVariableList* list = ListOf(pc);
    if (!list) return NoInstance(a, -1), nullptr;
    if (count && !CheckIndex(&sp[-1])) return nullptr;
    TaggedValue out;
    if (!ReadElement(a, list->Find(pc->a, &BC->hints[(size_t)pc->b]), ElementIndex(sp - count, count), &out)) return nullptr;
    return Put(sp, count, &out);
}

SLOW_PATH GetVariable(const VMIns* pc, TaggedValue* sp)
{
    return ReadVariable(pc, sp, pc->x);
}

// Pushes plain local `slot` as the code reads it: unset, it is the error (or 0).
bool PushLocal(const VMIns* pc, int slot, TaggedValue* sp)
{
    const TaggedValue& v = g_cur->locals[slot];
    if (v.kind == VALUE_UNSET) return ReadUnset(BC, slot, pc, sp);
    CopyTo(sp, v);
    return true;
}

// The reads whose last index is a plain local: the local pushed, then the read of x + 1 indexes.
SLOW_PATH GetAtLocal(const VMIns* pc, TaggedValue* sp)
{
    if (!PushLocal(pc, pc->c, sp)) return nullptr;
    TaggedValue* top = Code_GenericOf(pc->op) == OPC_GET_ARRAY_AT ? ReadArray(pc, sp + 1, pc->x + 1) : ReadVariable(pc, sp + 1, pc->x + 1);
    if (!top) Drop(sp);
    return top;
}

SLOW_PATH IndexLocal(const VMIns* pc, TaggedValue* sp)
{
    if (!PushLocal(pc, pc->a, sp)) return nullptr;
    if (CheckIndex(sp)) return sp + 1;
    Drop(sp);
    return nullptr;
}

SLOW_PATH GetBuiltin(const VMIns* pc, TaggedValue* sp)
{
    int count = pc->x;
    if (count && !CheckIndex(&sp[-1])) return nullptr;
    g_top = sp;
    TaggedValue out;
    if (!ReadBuiltin(ACCESS(OPC_GET_BUILTIN), g_cur->self, ElementIndex(sp - count, count), &out)) return nullptr;
    return Put(sp, count, &out);
}

SLOW_PATH GetDot(const VMIns* pc, TaggedValue* sp)
{
    int count = pc->x;
    if (count && !CheckIndex(&sp[-1])) return nullptr;
    g_top = sp;
    TaggedValue out;
    if (!ReadDot(ACCESS(OPC_GET_DOT), sp[-count - 1], ElementIndex(sp - count, count), g_cur->self, g_cur->other, &out))
        return nullptr;
    return Put(sp, count + 1, &out);
}

// The read or write of argument slot a without an instance.
SLOW_PATH NoSelf(const VMIns* pc, TaggedValue*)
{
    Fail("No instance found for target -1 (variable argument" + std::to_string(pc->a) + ").");
    return nullptr;
}

SLOW_PATH SetLocal(const VMIns* pc, TaggedValue* sp)
{
    if (!UpdateLocal(ACCESS(OPC_GET_LOCAL), &g_cur->locals[pc->a], pc->y, pc->c, &sp[-1])) return nullptr;
    Drop(--sp);
    return sp;
}

// Drops the value and the indexes of an assignment.
TaggedValue* DropAssigned(TaggedValue* sp, int count)
{
    for (int k = 0; k <= count; k++) Drop(--sp);
    return sp;
}

SLOW_PATH SetArray(const VMIns* pc, TaggedValue* sp)
{
    int count = pc->x;
    Place p;
    p.local = &g_cur->arrays[pc->a];
    if (!Store(ACCESS(OPC_GET_ARRAY), p, ElementIndex(sp - count - 1, count), pc->y, pc->c, &sp[-1])) return nullptr;
    return DropAssigned(sp, count);
}

SLOW_PATH SetVariable(const VMIns* pc, TaggedValue* sp)
{
    int count = pc->x;
    Place p;
    p.list = ListOf(pc);
    if (!p.list) return NoInstance(ACCESS(OPC_GET_SELF), -1), nullptr;
    p.hint = &BC->hints[(size_t)pc->b];
    if (!Store(ACCESS(OPC_GET_SELF), p, ElementIndex(sp - count - 1, count), pc->y, pc->c, &sp[-1])) return nullptr;
    return DropAssigned(sp, count);
}

SLOW_PATH SetBuiltin(const VMIns* pc, TaggedValue* sp)
{
    int count = pc->x;
    Place p;
    p.inst = g_cur->self;
    g_top = sp;
    if (!Store(ACCESS(OPC_GET_BUILTIN), p, ElementIndex(sp - count - 1, count), pc->y, pc->c, &sp[-1])) return nullptr;
    sp = DropAssigned(sp, count);
    return GoesOn() ? sp : nullptr;
}

// An assignment to a built-in of the running instance without indexes, the common case: a
// compound one reads a plain field in place and combines reals here, and the setter takes the
// value without the general store's steps. Anything else by SetBuiltin.
SLOW_PATH SetBuiltinPlain(const VMIns* pc, TaggedValue* sp)
{
    CInstance* self = g_cur->self;
    const RVariable* b = Variable_BuiltIn_Get(pc->a);
    if (pc->x || !self || !b || !b->canSet || !b->setter) return SetBuiltin(pc, sp);
    TaggedValue* value = &sp[-1];
    TaggedValue combined;
    if (pc->y != OP_SET) {
        double current;
        if (value->kind != VALUE_REAL || !FieldValue(b, self, &current) ||
            !Code_RealBinary(pc->y, current, value->val, &combined.val))
            return SetBuiltin(pc, sp);
        value = &combined;
    }
    g_top = sp;
    if (!b->setter(self, 0, value)) return Fail("Cannot assign to the variable " + VariableName(ACCESS(OPC_GET_BUILTIN)) + "."), nullptr;
    Drop(--sp);
    return GoesOn() ? sp : nullptr;
}

SLOW_PATH SetDot(const VMIns* pc, TaggedValue* sp)
{
    int count = pc->x;
    g_top = sp;
    if (!WriteDot(ACCESS(OPC_GET_DOT), sp[-count - 2], ElementIndex(sp - count - 1, count), pc->y, pc->c, g_cur->self,
                  g_cur->other, &sp[-1]))
        return nullptr;
    sp = DropAssigned(sp, count + 1);
    return GoesOn() ? sp : nullptr;
}

SLOW_PATH SetArgument(const VMIns* pc, TaggedValue* sp)
{
    if (!g_cur->self) return NoSelf(pc, sp);
    TaggedValue& slot = g_cur->slots[pc->a];
    if (pc->y == OP_SET) {
        Drop(&slot);
        MoveTo(&slot, --sp);
        return sp;
    }
    if (pc->y == OP_ADD && slot.IsString() && sp[-1].IsString()) {
        if (!slot.Append(sp[-1].GetString(), sp[-1].GetLength())) return JoinFailed(slot, sp[-1], pc->c), nullptr;
    } else {
        TaggedValue out;
        std::string error;
        if (!Code_ApplyBinary(pc->y, slot, sp[-1], &out, &error)) return Fail(error, pc->c), nullptr;
        slot = std::move(out);
    }
    Drop(--sp);
    return sp;
}

SLOW_PATH Unary(const VMIns* pc, TaggedValue* sp)
{
    TaggedValue out;
    std::string error;
    if (!Code_ApplyUnary(pc->y, sp[-1], &out, &error)) return Fail(error), nullptr;
    sp[-1] = std::move(out);
    return sp;
}

// The operator of the instruction on the two values on top.
TaggedValue* Binary(int op, TaggedValue* sp)
{
    // Joining onto a text only the stack holds (a join's own result) appends in place; else a
    // text only the stack holds (a built-in's result) may take the first in front of it.
    if (op == OP_ADD && sp[-2].kind == VALUE_STRING && sp[-1].kind == VALUE_STRING) {
        if (!sp[-2].HasRoomFor(sp[-1].GetLength()) && sp[-1].PrependInPlace(sp[-2].GetString(), sp[-2].GetLength())) {
            Drop(&sp[-2]);
            MoveTo(&sp[-2], &sp[-1]);
            return sp - 1;
        }
        if (!sp[-2].Append(sp[-1].GetString(), sp[-1].GetLength())) return JoinFailed(sp[-2], sp[-1]), nullptr;
        Drop(--sp);
        return sp;
    }
    TaggedValue out;
    std::string error;
    if (!Code_ApplyBinary(op, sp[-2], sp[-1], &out, &error)) return Fail(error), nullptr;
    Drop(--sp);
    sp[-1] = std::move(out);
    return sp;
}

SLOW_PATH BinaryOp(const VMIns* pc, TaggedValue* sp)
{
    return Binary(pc->y, sp);
}

SLOW_PATH BinaryConst(const VMIns* pc, TaggedValue* sp)
{
    CopyTo(sp, BC->constants[(size_t)pc->a]);
    TaggedValue* top = Binary(pc->y, sp + 1);
    if (!top) Drop(sp);
    return top;
}

SLOW_PATH BinaryLocal(const VMIns* pc, TaggedValue* sp)
{
    const TaggedValue& v = g_cur->locals[pc->b];
    if (v.kind == VALUE_UNSET) {
        if (!ReadUnset(BC, pc->b, pc, sp)) return Fail(g_fail.message, pc->c), nullptr;
    } else {
        CopyTo(sp, v);
    }
    TaggedValue* top = Binary(pc->y, sp + 1);
    if (!top) Drop(sp);
    return top;
}

// Whether (a op b) holds, for a comparison.
bool Holds(int op, const TaggedValue& a, const TaggedValue& b, bool* holds)
{
    if (op == OP_EQ || op == OP_NE) {  // never an error
        *holds = Value_Equal(a, b) == (op == OP_EQ);
        return true;
    }
    TaggedValue out;
    std::string error;
    if (!Code_ApplyBinary(op, a, b, &out, &error)) return Fail(error);
    *holds = out.val > 0.5;
    return true;
}

// Operator y of the value an instruction pushed at sp and `right`.
TaggedValue* WithOperand(const VMIns* pc, TaggedValue* sp, const TaggedValue& right)
{
    CopyTo(sp + 1, right);
    TaggedValue* top = Binary(pc->y, sp + 2);
    if (!top) {
        Drop(sp + 1);
        Drop(sp);
    }
    return top;
}

SLOW_PATH LocalBinaryConst(const VMIns* pc, TaggedValue* sp)
{
    if (!PushLocal(pc, pc->a, sp)) return nullptr;
    return WithOperand(pc, sp, BC->constants[(size_t)pc->b]);
}

// The step of a for loop on a local that is not a real.
__attribute__((noinline)) bool Step(const VMIns* pc)
{
    TaggedValue by = BC->constants[(size_t)pc->b];
    return UpdateLocal(Access{BC, OPC_GET_LOCAL, pc->a, 0, pc}, &g_cur->locals[pc->a],
                       (pc->y & STEP_SUBTRACT) ? OP_SUB : OP_ADD, 0, &by);
}

// The test of a for loop that is not between two reals.
__attribute__((noinline)) bool StepTest(const VMIns* pc, bool* holds)
{
    TaggedValue limit;
    if (pc->y & STEP_LOCAL_LIMIT) {
        if (!PushLocal(pc, pc->x, &limit)) return false;
    } else {
        limit = BC->constants[(size_t)pc->x];
    }
    return Holds(pc->y & STEP_COMPARE, g_cur->locals[pc->a], limit, holds);
}

SLOW_PATH AddLocalConst(const VMIns* pc, TaggedValue* sp)
{
    CopyTo(sp, BC->constants[(size_t)pc->b]);
    bool ok = UpdateLocal(Access{BC, OPC_GET_LOCAL, pc->a, 0, pc}, &g_cur->locals[pc->a], pc->y, pc->c, sp);
    Drop(sp);
    return ok ? sp : nullptr;
}

// The compare-and-jump instructions: whether the comparison holds, the compared value popped.
__attribute__((noinline)) TaggedValue* CompareConst(const VMIns* pc, TaggedValue* sp, bool* holds)
{
    if (!Holds(pc->y, sp[-1], BC->constants[(size_t)pc->a], holds)) return nullptr;
    Drop(--sp);
    return sp;
}

__attribute__((noinline)) TaggedValue* CompareLocal(const VMIns* pc, TaggedValue* sp, bool* holds)
{
    const TaggedValue& r = g_cur->locals[pc->a];
    TaggedValue zero;
    if (r.kind == VALUE_UNSET && !ReadUnset(BC, pc->a, pc, &zero)) return Fail(g_fail.message, pc->b), nullptr;
    if (!Holds(pc->y, sp[-1], r.kind == VALUE_UNSET ? zero : r, holds)) return nullptr;
    Drop(--sp);
    return sp;
}

// The fused reads of an argument slot off their fast path.
SLOW_PATH ArgBinaryConst(const VMIns* pc, TaggedValue* sp)
{
    if (!g_cur->self) return NoSelf(pc, sp);
    CopyTo(sp, g_cur->slots[pc->a]);
    return WithOperand(pc, sp, BC->constants[(size_t)pc->b]);
}

SLOW_PATH BinaryArg(const VMIns* pc, TaggedValue* sp)
{
    if (!g_cur->self) return NoSelf(pc, sp);
    CopyTo(sp, g_cur->slots[pc->a]);
    TaggedValue* top = Binary(pc->y, sp + 1);
    if (!top) Drop(sp);
    return top;
}

SLOW_PATH ArgBinaryArg(const VMIns* pc, TaggedValue* sp)
{
    if (!g_cur->self) return NoSelf(pc, sp);
    CopyTo(sp, g_cur->slots[pc->a]);
    return WithOperand(pc, sp, g_cur->slots[pc->b]);
}

// The local read first, as the code reads it (unset, its error), then the argument.
SLOW_PATH LocalBinaryArg(const VMIns* pc, TaggedValue* sp)
{
    if (!PushLocal(pc, pc->b, sp)) return nullptr;
    if (!g_cur->self) {
        Drop(sp);
        return NoSelf(pc, sp);
    }
    return WithOperand(pc, sp, g_cur->slots[pc->a]);
}

// Both locals read in order, as the code reads them (unset, its error).
SLOW_PATH LocalBinaryLocal(const VMIns* pc, TaggedValue* sp)
{
    TaggedValue right;
    if (!PushLocal(pc, pc->a, sp)) return nullptr;
    if (!PushLocal(pc, pc->b, &right)) {
        Drop(sp);
        return nullptr;
    }
    return WithOperand(pc, sp, right);
}

__attribute__((noinline)) bool ArgCompare(const VMIns* pc, bool* holds)
{
    if (!g_cur->self) return NoSelf(pc, nullptr) != nullptr;
    return Holds(pc->y, g_cur->slots[pc->a], BC->constants[(size_t)pc->b], holds);
}

__attribute__((noinline)) bool LocalLess(const VMIns* pc, bool* holds)
{
    const TaggedValue& v = g_cur->locals[pc->a];
    TaggedValue zero;
    if (v.kind == VALUE_UNSET && !ReadUnset(BC, pc->a, pc, &zero)) return false;
    return Holds(OP_LT, v.kind == VALUE_UNSET ? zero : v, BC->constants[(size_t)pc->b], holds);
}

void BeginWith(int target, CInstance* self, CInstance* other)
{
    // Ids, not pointers: the body may destroy instances; those not yet run are then skipped.
    WithWalk w{{}, 0, self, other, g_cur, g_cur->selfVariables};
    g_cur->work |= FRAME_WALKS;
    Code_Instances.collectTargetIds(target, self, other, w.ids);
    g_withs.push_back(std::move(w));
}

// Makes the walk's next instance self; false when none is left, with the walk ended.
bool WithNext()
{
    WithWalk& w = g_withs.back();
    while (w.next < w.ids.size()) {
        CVariableList* variables;
        CInstance* inst = Code_Instances.usable(w.ids[w.next++], &variables);
        if (!inst) continue;
        g_cur->self = inst;
        g_cur->other = w.self;
        g_cur->selfVariables = variables;
        return true;
    }
    g_cur->self = w.self;
    g_cur->other = w.other;
    g_cur->selfVariables = w.selfVariables;
    g_withs.pop_back();
    return false;
}

void WithEnd()
{
    WithWalk& w = g_withs.back();
    g_cur->self = w.self;
    g_cur->other = w.other;
    g_cur->selfVariables = w.selfVariables;
    g_withs.pop_back();
}

// Calls replace their arguments below top with the result.
TaggedValue* CallBuiltinWith(const VMIns* pc, TaggedValue* sp, int argc)
{
    const RFunction* f = Function_Get(pc->a);
    if (!f) return FailNow("Unknown function."), nullptr;
    Error_Context.line = BC->lines[(size_t)(pc - BC->code.data())];
    g_top = sp;
    TaggedValue out;
    Function_Call(f, &out, g_cur->self, g_cur->other, argc, sp - argc);
    for (int k = 0; k < argc; k++) Drop(--sp);
    MoveTo(sp++, &out);
    if (GoesOn()) return sp;
    Drop(sp - 1);
    return nullptr;
}

TaggedValue* CallBuiltin(const VMIns* pc, TaggedValue* sp)
{
    return CallBuiltinWith(pc, sp, pc->x);
}

// A data-structure call that the machine leaves to the built-in: its operands spread onto the
// stack in order (those on it move up to their places, the last first), then the call.
SLOW_PATH CallSpread(const VMIns* pc, TaggedValue* sp)
{
    int count = Code_OperandCount(pc->op);
    TaggedValue* args = sp - pc->x;
    for (int k = count; k-- > 0;) {
        int from = Code_OperandIndex(*pc, k);
        if (Code_OperandSource(*pc, k) == OPERAND_STACK && from != k) MoveTo(&args[k], &args[from]);
    }
    for (int k = 0; k < count; k++) {
        int source = Code_OperandSource(*pc, k), index = Code_OperandIndex(*pc, k);
        if (source == OPERAND_CONSTANT) {
            CopyTo(&args[k], BC->constants[(size_t)index]);
        } else if (source == OPERAND_LOCAL && !PushLocal(pc, index, &args[k])) {
            for (int j = 0; j < count; j++) Drop(&args[j]);
            return nullptr;
        }
    }
    return CallBuiltinWith(pc, args + count, count);
}

SLOW_PATH CallExtension(const VMIns* pc, TaggedValue* sp)
{
    if (!Code_Extension_CallDLLHook) return FailNow("Extension functions are not available."), nullptr;
    Error_Context.line = BC->lines[(size_t)(pc - BC->code.data())];
    g_top = sp;
    int argc = pc->x;
    TaggedValue out;
    bool called = Code_Extension_CallDLLHook(pc->a, argc, sp - argc, &out);
    if (!called) return FailWhole(LastErrorText, false), nullptr;
    for (int k = 0; k < argc; k++) Drop(--sp);
    MoveTo(sp++, &out);
    if (GoesOn()) return sp;
    Drop(sp - 1);
    return nullptr;
}

// The byte code of a script about to be called, compiled when it is not yet and kept for the
// next call; null on failure.
__attribute__((noinline)) const ByteCode* ScriptCode(int index)
{
    if (index < 0 || index >= Code_Scripts.count()) return FailNow("Trying to execute non-existing script."), nullptr;
    CCode* callee = Code_Scripts.compile(index);
    if (!callee) return FailWhole(std::string("In script ") + Code_Scripts.name(index) + ":\n" + LastErrorText, false), nullptr;
    if (g_scriptsSeen != *Code_Scripts.generation) {
        g_scriptCode.assign((size_t)Code_Scripts.count(), nullptr);
        g_scriptsSeen = *Code_Scripts.generation;
    }
    g_scriptCode[(size_t)index] = callee->GetByteCode();
    return callee->GetByteCode();
}

// Ends the frames of a failed run down to entryDepth and sets LastErrorText; returns the new
// top of the stack.
__attribute__((noinline)) TaggedValue* Unwind(int entryDepth, const VMIns* pc, TaggedValue* sp)
{
    int line = g_fail.line ? g_fail.line : BC->lines[(size_t)(pc - BC->code.data())];
    std::string message = g_fail.message;
    if (!g_fail.whole) {
        char head[48];
        snprintf(head, sizeof head, ", line %d: ", line);
        message = "In " + BC->name + head + message;
    }
    while (Depth() > entryDepth) {
        TaggedValue* base = g_cur->base;
        int script = g_cur->script;
        PopFrame(sp);
        sp = base;
        // A fatal error (the recursion that went too deep, say) names only the code it stopped in.
        if (script >= 0 && !g_fail.fatal) message = std::string("In script ") + Code_Scripts.name(script) + ":\n" + message;
    }
    LastErrorText = message;
    Code_RunErrorFatal = g_fail.fatal;
    return sp;
}

#undef SLOW_PATH
#undef BC
#undef ACCESS

// Runs frames from the top one until the frame at entryDepth ends. Only pc, sp, the locals and
// the constants of the running frame live in variables of the loop; the rest is read through
// g_cur.
bool Execute(int entryDepth, TaggedValue* result)
{
    const Frame* const entry = &g_frames[entryDepth];
    static void* const labels[] = {
        &&L_PUSH, &&L_POP, &&L_INDEX, &&L_INDEX_LOCAL,
        &&L_GET_LOCAL, &&L_GET_SELF, &&L_GET_GLOBAL, &&L_GET_BUILTIN, &&L_GET_DOT, &&L_GET_ARG, &&L_GET_ARRAY,
        &&L_GET_SELF_AT, &&L_GET_GLOBAL_AT, &&L_GET_ARRAY_AT,
        &&L_SET_LOCAL, &&L_SET_SELF, &&L_SET_GLOBAL, &&L_SET_BUILTIN, &&L_SET_DOT, &&L_SET_ARG, &&L_SET_ARRAY,
        &&L_UNARY, &&L_BINARY, &&L_ADD, &&L_SUB, &&L_MUL, &&L_LT, &&L_LE, &&L_GT, &&L_GE, &&L_EQ, &&L_NE,
        &&L_AND_JUMP, &&L_TO_BOOL, &&L_JUMP, &&L_JUMP_IF, &&L_CASE_JUMP, &&L_REPEAT_INIT, &&L_REPEAT_NEXT,
        &&L_WITH_BEGIN, &&L_WITH_NEXT, &&L_WITH_END, &&L_CALL, &&L_CALL_SCRIPT, &&L_CALL_EXT, &&L_RETURN,
        &&L_EXIT, &&L_FAIL, &&L_LOCAL_LT_JUMP_IF, &&L_ADD_LOCAL_CONST, &&L_BINARY_CONST, &&L_BINARY_LOCAL,
        &&L_COMPARE_JUMP_IF, &&L_COMPARE_LOCAL_JUMP_IF, &&L_ADD_CONST, &&L_SUB_CONST, &&L_MUL_CONST, &&L_MOD_CONST,
        &&L_LOCAL_BINARY_CONST, &&L_STEP_JUMP_IF,
        &&L_MAP_FIND_VALUE, &&L_MAP_REPLACE, &&L_LIST_FIND_VALUE, &&L_GRID_GET, &&L_GRID_SET,
        &&L_ARG_BINARY_CONST, &&L_ARG_COMPARE_JUMP_IF, &&L_BINARY_ARG,
        &&L_STEP_LT, &&L_STEP_LT_LOCAL, &&L_ADD_TO_LOCAL, &&L_MOD_INT_CONST,
        &&L_LOCAL_MOD_INT_CONST, &&L_MAP_REPLACE_DROP, &&L_GRID_SET_DROP, &&L_EQ_JUMP_IF,
#define LABEL(o, name) &&L_LOCAL_CONST_##o,
        CODE_OPERATORS(LABEL)
#undef LABEL
#define LABEL(o, name) &&L_STACK_LOCAL_##o,
        CODE_OPERATORS(LABEL)
#undef LABEL
#define LABEL(o, name) &&L_STACK_CONST_##o,
        CODE_OPERATORS_FROM_DIV(LABEL)
#undef LABEL
        &&L_CALL_DROP, &&L_MAP_FIND_LOCAL_CONST, &&L_MAP_FIND_LOCAL_STACK, &&L_GRID_GET_LOCALS,
        &&L_GRID_SET_LOCALS_DROP, &&L_ACTION,
#define LABEL(o, name) &&L_ARG_CONST_##o,
        CODE_OPERATORS(LABEL)
#undef LABEL
#define LABEL(o, name) &&L_STACK_ARG_##o,
        CODE_OPERATORS(LABEL)
#undef LABEL
        &&L_MAP_REPLACE_LOCAL_CONST_DROP, &&L_STRING_CHAR_AT,
#define LABEL(o, name) &&L_COMPARE_CONST_##o,
        CODE_COMPARISONS(LABEL)
#undef LABEL
        &&L_GET_SELF_VALUE, &&L_SET_SELF_VALUE,
#define LABEL(o, name) &&L_ARG_COMPARE_##o,
        CODE_COMPARISONS(LABEL)
#undef LABEL
        &&L_RETURN_CONST, &&L_RETURN_LOCAL, &&L_RETURN_ARG, &&L_ARG_BINARY_ARG,
#define LABEL(o, name) &&L_ARG_ARG_##o,
        CODE_OPERATORS(LABEL)
#undef LABEL
        &&L_LOCAL_BINARY_ARG,
#define LABEL(o, name) &&L_LOCAL_ARG_##o,
        CODE_OPERATORS(LABEL)
#undef LABEL
        &&L_SET_ARRAY_ELEMENT, &&L_GET_ARRAY_ELEMENT_AT, &&L_MAP_FIND_LOCAL_TEXT, &&L_MAP_REPLACE_LOCAL_TEXT_DROP,
        &&L_LOCAL_BINARY_LOCAL,
#define LABEL(o, name) &&L_LOCAL_LOCAL_##o,
        CODE_OPERATORS(LABEL)
#undef LABEL
        &&L_ELEMENT_ADD_TO_LOCAL, &&L_LOCAL_MOD_INT_EQ_JUMP_IF, &&L_ADD_TO_LOCAL_STEP_LT, &&L_ADD_TO_LOCAL_STEP_LT_LOCAL,
        &&L_SET_ELEMENT_STEP_LT, &&L_SET_ELEMENT_STEP_LT_LOCAL, &&L_MAP_FIND_ADD_TO_LOCAL, &&L_MAP_FIND_ADD_STEP_LT,
        &&L_MAP_FIND_ADD_STEP_LT_LOCAL, &&L_MOD_MAP_FIND, &&L_MOD_MAP_FIND_ADD_TO_LOCAL, &&L_MOD_MAP_FIND_ADD_STEP_LT,
        &&L_MOD_MAP_FIND_ADD_STEP_LT_LOCAL, &&L_LOCAL_MUL_CONST_ADD_LOCAL,
        &&L_LOCAL_MUL_LOCAL_ADD_LOCAL, &&L_SET_SELF_ELEMENT, &&L_SET_SELF_ELEMENT_STEP_LT,
        &&L_SET_SELF_ELEMENT_STEP_LT_LOCAL, &&L_ELEMENT_ADD_STEP_LT, &&L_ELEMENT_ADD_STEP_LT_LOCAL,
        &&L_SELF_ELEMENT_ADD_STEP_LT, &&L_SELF_ELEMENT_ADD_STEP_LT_LOCAL,
    };
    static_assert(sizeof labels / sizeof labels[0] == OPC_COUNT, "one label for every opcode");
    // GCC spills pc and sp of so large a loop to memory unless told where to keep them: each
    // instruction then waits on a load and a store.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define VM_REGISTER(declaration, name) register declaration asm(name)
#else
#define VM_REGISTER(declaration, name) declaration
#endif
    VM_REGISTER(const VMIns* pc, "r12") = g_cur->bc->code.data();
    VM_REGISTER(TaggedValue* sp, "r13") = g_cur->stack;
    VM_REGISTER(TaggedValue* locals, "r14") = g_cur->locals;
    VM_REGISTER(const TaggedValue* consts, "r15") = g_cur->consts;
    // The running frame's argument slots; null while it has no instance, where reading them is
    // an error.
    VM_REGISTER(const TaggedValue* slots, "rbx") = g_cur->self ? g_cur->slots : nullptr;
#undef VM_REGISTER
    // The dispatch table at hand: one address computation less for each instruction. Not where
    // the frame pointer keeps rbp (the sanitizers' build).
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__)
    register void* const* table asm("rbp") = labels;
#else
    void* const* table = labels;
#endif
    bool holds;

#define DISPATCH() goto* table[pc->op]
#define NEXT() \
    do { \
        pc++; \
        DISPATCH(); \
    } while (0)
#define CHECK(ok) \
    do { \
        if (__builtin_expect(!(ok), 0)) goto fail; \
    } while (0)
// The instruction's slow path, then the next instruction.
#define SLOW(path) \
    do { \
        TaggedValue* top = path(pc, sp); \
        CHECK(top); \
        sp = top; \
        NEXT(); \
    } while (0)
// A jump back counts as a step.
// (The offset, an operand, is read again after the count rather than kept across its call: kept,
// it may go to memory, and the jump then waits on it.)
#define GOTO(offset) \
    do { \
        if ((offset) <= 0 && StepSpent()) CHECK(FailNow(CODE_STEP_LIMIT_MESSAGE, 0, true)); \
        pc += (offset); \
        DISPATCH(); \
    } while (0)
// The jump back of a for loop's step, always a step.
#define LOOP_BACK(offset) \
    do { \
        if (StepSpent()) CHECK(FailNow(CODE_STEP_LIMIT_MESSAGE, 0, true)); \
        pc += (offset); \
        DISPATCH(); \
    } while (0)
#define JUMP_WHEN(condition) \
    do { \
        if ((condition) != (pc->x != 0)) NEXT(); \
        GOTO(pc->c); \
    } while (0)
// The variable of an instance or global access, or null when not where its hint says.
#define HINTED(list) \
    ({ \
        const auto& items = (list)->Items(); \
        size_t at = (size_t)g_cur->bc->hints[(size_t)pc->b]; \
        at < items.size() && items[at].first == pc->a ? const_cast<CVariable*>(&items[at].second) : nullptr; \
    })

    DISPATCH();

L_PUSH:
    CopyTo(sp++, consts[pc->a]);
    NEXT();
L_POP:
    Drop(--sp);
    NEXT();
L_INDEX:
    CHECK(CheckIndex(&sp[-1]));
    NEXT();
L_INDEX_LOCAL: {
    const TaggedValue& v = locals[pc->a];
    if (!IndexReady(v)) SLOW(IndexLocal);
    sp->kind = VALUE_REAL;
    sp->val = v.val;
    sp++;
    NEXT();
}

L_GET_LOCAL: {
    const TaggedValue& v = locals[pc->a];
    if (v.kind == VALUE_UNSET) SLOW(GetUnsetLocal);
    CopyTo(sp++, v);
    NEXT();
}
L_GET_ARRAY: {
    const CVariable& v = g_cur->arrays[pc->a];
    int count = pc->x;
    if (!v.defined || (count && !IndexReady(sp[-1]))) SLOW(GetArray);
    const TaggedValue* e = FastElement(&v, ElementIndex(sp - count, count));
    if (!e) SLOW(GetArray);
    sp -= count;
    CopyTo(sp++, *e);
    NEXT();
}
L_GET_SELF: {
    if (!g_cur->selfVariables) SLOW(GetVariable);
    CVariable* v = HINTED(g_cur->selfVariables);
    int count = pc->x;
    if (!v || (count && !IndexReady(sp[-1]))) SLOW(GetVariable);
    const TaggedValue* e = FastElement(v, ElementIndex(sp - count, count));
    if (!e) SLOW(GetVariable);
    sp -= count;
    CopyTo(sp++, *e);
    NEXT();
}
L_GET_GLOBAL: {
    CVariable* v = HINTED(&Variable_Globals);
    int count = pc->x;
    if (!v || (count && !IndexReady(sp[-1]))) SLOW(GetVariable);
    const TaggedValue* e = FastElement(v, ElementIndex(sp - count, count));
    if (!e) SLOW(GetVariable);
    sp -= count;
    CopyTo(sp++, *e);
    NEXT();
}
// The reads whose last index is local c: the element of variable v (null or not ready: the slow path).
#define READ_AT(v, ready)                                                                                  \
    {                                                                                                      \
        const TaggedValue& at = locals[pc->c];                                                             \
        if (!(ready) || !IndexReady(at)) SLOW(GetAtLocal);                                                 \
        const TaggedValue* e = StoredAt(v, pc->x ? (int)sp[-1].val : 0, (int)at.val);                        \
        if (!e) SLOW(GetAtLocal);                                                                          \
        sp -= pc->x;                                                                                       \
        CopyTo(sp++, *e);                                                                                  \
        NEXT();                                                                                            \
    }
L_GET_SELF_AT: {
    if (!g_cur->selfVariables) SLOW(GetAtLocal);
    CVariable* v = HINTED(g_cur->selfVariables);
    READ_AT(v, v)
}
L_GET_GLOBAL_AT: {
    CVariable* v = HINTED(&Variable_Globals);
    READ_AT(v, v)
}
L_GET_ARRAY_AT: {
    const CVariable& v = g_cur->arrays[pc->a];
    READ_AT(&v, v.defined)
}
#undef READ_AT
L_GET_ARRAY_ELEMENT_AT: {
    const CVariable& v = g_cur->arrays[pc->a];
    const TaggedValue& at = locals[pc->c];
    TaggedValue* e;
    if (__builtin_expect(!v.defined || !IndexReady(at) || !OneIndexElement(&v, (int)at.val, &e), 0)) goto L_GET_ARRAY_AT;
    CopyTo(sp++, *e);
    NEXT();
}
// The pairs: both instructions at once in the common case, else the first alone. The second's
// operands are read where it stays, and its jump is made from there.
// An element read at local c (found: whether it is stored, at e) added to the local of the
// add_to_local that follows, when both are plain reals; else the read alone. A read of two
// indexes pops the first.
#define ADD_ELEMENT(found, Alone, then) \
    { \
        const TaggedValue& at = locals[pc->c]; \
        TaggedValue& sum = locals[pc[1].a]; \
        TaggedValue* e; \
        if (__builtin_expect(!IndexReady(at) || !(found) || (e->kind | sum.kind) != VALUE_REAL, 0)) goto Alone; \
        sum.val += e->val; \
        then; \
    }
#define ADD_ARRAY_ELEMENT(then) \
    { \
        const CVariable& v = g_cur->arrays[pc->a]; \
        ADD_ELEMENT(v.defined && OneIndexElement(&v, (int)at.val, &e), L_GET_ARRAY_ELEMENT_AT, then) \
    }
#define ADD_SELF_ELEMENT(then) \
    { \
        CVariableList* list = g_cur->selfVariables; \
        CVariable* v = list ? HINTED(list) : nullptr; \
        ADD_ELEMENT(v && (e = StoredAt(v, pc->x ? (int)sp[-1].val : 0, (int)at.val)), L_GET_SELF_AT, sp -= pc->x; then) \
    }
L_ELEMENT_ADD_TO_LOCAL:
    ADD_ARRAY_ELEMENT(pc += 2; DISPATCH())
L_LOCAL_MOD_INT_EQ_JUMP_IF: {
    const TaggedValue& v = locals[pc->a];
    const TaggedValue& k = consts[pc[1].a];
    double x = v.val;
    int32_t n = TruncToInt(x);
    if (__builtin_expect((v.kind | k.kind) != VALUE_REAL || (double)n != x, 0)) goto L_LOCAL_MOD_INT_CONST;
    double r = (double)WholeRemainder(n, pc->c);
    pc++;
    JUMP_WHEN(std::fabs(r - k.val) <= MathEpsilon);
}
L_GET_BUILTIN: {
    // A plain field of the running instance is read in place; the rest through its getter.
    CInstance* self = g_cur->self;
    const RVariable* b = Variable_BuiltIn_Get(pc->a);
    if (pc->x || !self || !b || !FieldValue(b, self, &sp->val)) SLOW(GetBuiltin);
    sp->kind = VALUE_REAL;
    sp++;
    NEXT();
}
L_GET_DOT:
    SLOW(GetDot);
L_GET_ARG:
    if (!slots) SLOW(NoSelf);
    CopyTo(sp++, slots[pc->a]);
    NEXT();

L_SET_LOCAL: {
    TaggedValue& v = locals[pc->a];
    if (__builtin_expect(pc->y == OP_SET, 1)) {
        Drop(&v);
        MoveTo(&v, --sp);
        NEXT();
    }
    if ((v.kind | sp[-1].kind) == VALUE_REAL && Code_RealBinary(pc->y, v.val, sp[-1].val, &v.val)) {
        sp--;
        NEXT();
    }
    SLOW(SetLocal);
}
L_SET_ARRAY: {
    CVariable& v = g_cur->arrays[pc->a];
    if (pc->y != OP_SET) SLOW(SetArray);
    int count = pc->x;
    TaggedValue* e = FastElementForWrite(&v, ElementIndex(sp - count - 1, count));
    CHECK(e || OutOfMemory());
    v.defined = true;
    Drop(e);
    MoveTo(e, &sp[-1]);
    sp -= count + 1;
    NEXT();
}
// The index checked below the value; then `then`.
#define SET_ARRAY_ELEMENT(then) \
    { \
        CVariable& v = g_cur->arrays[pc->a]; \
        int index = (int)sp[-2].val; \
        TaggedValue* e; \
        if (__builtin_expect(!OneIndexElement(&v, index, &e), 0)) { \
            e = v.ElementForWrite(0, index); \
            CHECK(e || OutOfMemory()); \
        } \
        v.defined = true; \
        MoveOver(e, &sp[-1]); \
        sp -= 2; \
        then; \
    }
L_SET_ARRAY_ELEMENT:
    SET_ARRAY_ELEMENT(NEXT())
// An element of the instance's variable already stored, where the hint says; a new one (the
// array grows) by the general write.
#define SET_SELF_ELEMENT(then) \
    { \
        CVariableList* list = g_cur->selfVariables; \
        CVariable* v; \
        TaggedValue* e; \
        if (__builtin_expect(!list || !(v = HINTED(list)) || !(e = StoredAt(v, pc->x > 1 ? (int)sp[-3].val : 0, (int)sp[-2].val)), 0)) \
            goto L_SET_SELF; \
        MoveOver(e, &sp[-1]); \
        sp -= pc->x + 1; \
        then; \
    }
L_SET_SELF_ELEMENT:
    SET_SELF_ELEMENT(NEXT())
L_SET_SELF:
L_SET_GLOBAL: {
    CVariableList* list = pc->op == OPC_SET_GLOBAL ? &Variable_Globals : g_cur->selfVariables;
    if (!list) SLOW(SetVariable);
    CVariable* v = HINTED(list);
    int count = pc->x;
    TaggedValue* e;
    if (!v) {
        if (pc->y != OP_SET) SLOW(SetVariable);
        e = list->ElementForWrite(pc->a, ElementIndex(sp - count - 1, count), &g_cur->bc->hints[(size_t)pc->b]);
    } else {
        if (pc->y != OP_SET) {
            if (count || (v->value.kind | sp[-1].kind) != VALUE_REAL || !Code_RealBinary(pc->y, v->value.val, sp[-1].val, &v->value.val))
                SLOW(SetVariable);
            sp--;
            NEXT();
        }
        e = FastElementForWrite(v, ElementIndex(sp - count - 1, count));
    }
    CHECK(e || OutOfMemory());
    Drop(e);
    MoveTo(e, &sp[-1]);
    sp -= count + 1;
    NEXT();
}
// The variable of the instance without indexes, where its hint says.
L_GET_SELF_VALUE: {
    CVariableList* list = g_cur->selfVariables;
    const CVariable* v;
    if (!list || !(v = HINTED(list))) goto L_GET_SELF;
    CopyTo(sp++, v->value);
    NEXT();
}
L_SET_SELF_VALUE: {
    CVariableList* list = g_cur->selfVariables;
    CVariable* v;
    if (!list || !(v = HINTED(list))) goto L_SET_SELF;
    if (pc->y == OP_SET) {
        Drop(&v->value);
        MoveTo(&v->value, --sp);
        NEXT();
    }
    if ((v->value.kind | sp[-1].kind) != VALUE_REAL || !Code_RealBinary(pc->y, v->value.val, sp[-1].val, &v->value.val))
        goto L_SET_SELF;
    sp--;
    NEXT();
}
L_SET_BUILTIN:
    SLOW(SetBuiltinPlain);
L_SET_DOT:
    SLOW(SetDot);
L_SET_ARG:
    SLOW(SetArgument);

L_UNARY:
    if (sp[-1].kind == VALUE_REAL && pc->y == OP_NEG) {
        sp[-1].val = -sp[-1].val;
        NEXT();
    }
    SLOW(Unary);
L_BINARY:
    if ((sp[-2].kind | sp[-1].kind) == VALUE_REAL && Code_RealBinary(pc->y, sp[-2].val, sp[-1].val, &sp[-2].val)) {
        sp--;
        NEXT();
    }
    SLOW(BinaryOp);

#define ARITH(expr) \
    if ((sp[-2].kind | sp[-1].kind) == VALUE_REAL) { \
        double x = sp[-2].val, y = sp[-1].val; \
        sp[-2].val = (expr); \
        sp--; \
        NEXT(); \
    } \
    SLOW(BinaryOp);

L_ADD:
    ARITH(x + y);
L_SUB:
    ARITH(x - y);
L_MUL:
    ARITH(x * y);
L_LT:
    ARITH(x < y ? 1.0 : 0.0);
L_LE:
    ARITH(x <= y ? 1.0 : 0.0);
L_GT:
    ARITH(x > y ? 1.0 : 0.0);
L_GE:
    ARITH(x >= y ? 1.0 : 0.0);
L_EQ:
    ARITH(std::fabs(x - y) <= MathEpsilon ? 1.0 : 0.0);
L_NE:
    ARITH(std::fabs(x - y) <= MathEpsilon ? 0.0 : 1.0);
#undef ARITH

L_AND_JUMP: {
    TaggedValue& v = sp[-1];
    if (!v.IsReal()) CHECK(FailNow(pc->x ? "Wrong type of arguments to ||." : "Wrong type of arguments to &&."));
    holds = v.val > 0.5;
    if (holds == (pc->x != 0)) {
        v.kind = VALUE_REAL;
        v.val = holds ? 1.0 : 0.0;
        pc += pc->a;
        DISPATCH();
    }
    sp--;
    NEXT();
}
L_TO_BOOL: {
    TaggedValue& v = sp[-1];
    if (!v.IsReal()) CHECK(FailNow(pc->x ? "Wrong type of arguments to ||." : "Wrong type of arguments to &&."));
    v.kind = VALUE_REAL;
    v.val = v.val > 0.5 ? 1.0 : 0.0;
    NEXT();
}

L_JUMP:
    GOTO(pc->a);
L_JUMP_IF: {
    if (!sp[-1].IsReal()) CHECK(FailNow("A string cannot be used as a condition."));
    sp--;
    if ((sp->val > 0.5) != (pc->x != 0)) NEXT();
    GOTO(pc->a);
}
L_CASE_JUMP: {
    bool equal = Value_Equal(sp[-2], sp[-1]);
    Drop(--sp);
    if (!equal) NEXT();
    Drop(--sp);
    pc += pc->a;
    DISPATCH();
}
L_REPEAT_INIT:
    if (!sp[-1].IsReal()) CHECK(FailNow("The repeat count is not a number."));
    sp[-1].kind = VALUE_REAL;
    sp[-1].val = RealToInt(sp[-1].val);
    NEXT();
L_REPEAT_NEXT:
    if (sp[-1].val >= 1.0) {
        sp[-1].val -= 1.0;
        GOTO(pc->a);
    }
    sp--;
    NEXT();

L_WITH_BEGIN: {
    if (!sp[-1].IsReal()) CHECK(FailNow("The target of with is not a number."));
    int target = RealToInt((--sp)->val);
    BeginWith(target == -7 ? -1 : target, g_cur->self, g_cur->other);
    NEXT();
}
L_WITH_NEXT:
    if (WithNext()) {
        slots = g_cur->slots;
        GOTO(pc->a);
    }
    slots = g_cur->self ? g_cur->slots : nullptr;
    NEXT();
L_WITH_END:
    WithEnd();
    slots = g_cur->self ? g_cur->slots : nullptr;
    NEXT();

L_CALL:
    SLOW(CallBuiltin);
L_CALL_DROP: {
    TaggedValue* top = CallBuiltin(pc, sp);
    CHECK(top);
    Drop(--top);
    sp = top;
    NEXT();
}
L_CALL_EXT:
    SLOW(CallExtension);
L_CALL_SCRIPT: {
    const ByteCode* target = nullptr;
    if (__builtin_expect(g_scriptsSeen == *Code_Scripts.generation && (size_t)pc->a < g_scriptCode.size(), 1))
        target = g_scriptCode[(size_t)pc->a];
    if (__builtin_expect(!target, 0)) {
        target = ScriptCode(pc->a);
        CHECK(target);
    }
    // The arguments stay where the caller pushed them: they are the callee's argument slots.
    TaggedValue* base = sp - pc->x;
    TaggedValue* first = base + (pc->x > target->argSlots ? pc->x : target->argSlots);
    // Too deep or too little stack: the frame's values, named by the caller, or its operands
    // (or one call too many), named by the script.
    bool tight = __builtin_expect(first + target->localCount + target->maxStack >= g_end || g_cur >= &g_frames[CODE_MAX_CALL_DEPTH - 1], 0);
    if (tight && first + target->localCount >= g_end) CHECK(FailNow(STACK_OVERFLOW, 0, true));
    if (StepSpent()) CHECK(FailNow(CODE_STEP_LIMIT_MESSAGE, 0, true));
    for (; __builtin_expect(sp < first, 0); sp++) {  // free values: no text
        sp->kind = VALUE_REAL;
        sp->val = 0.0;
    }
    Frame* caller = g_cur;
    Frame& f = caller[1];
    f.bc = target;
    f.consts = target->constants.data();
    f.ret = pc + 1;
    f.base = base;
    f.locals = first;
    sp = StartLocals(first, target->localCount);
    f.self = caller->self;
    f.other = caller->other;
    f.selfVariables = caller->selfVariables;
    f.script = pc->a;
    f.slots = base;
    slots = f.self ? base : nullptr;
    // Slots that only the script's own code sees stay out of the built-ins' sight.
    f.work = 0;
    if (__builtin_expect(target->argSlots == ARGUMENT_SLOTS || target->arrayCount != 0, 0)) StartFrameWork(f, pc->x);
    g_cur = &f;
    pc = target->code.data();
    locals = first;
    consts = f.consts;
    if (__builtin_expect(tight, 0)) CHECK(FailNow(STACK_OVERFLOW, target->firstLine, true));
    DISPATCH();
}

// The result on top goes to the frame's first value.
L_RETURN:
    goto leave;
L_RETURN_CONST:
    CopyTo(sp++, consts[pc->a]);
    goto leave;
L_RETURN_LOCAL:
    if (locals[pc->a].kind == VALUE_UNSET) {
        TaggedValue* top = GetUnsetLocal(pc, sp);
        CHECK(top);
        sp = top;
        goto leave;
    }
    CopyTo(sp++, locals[pc->a]);
    goto leave;
L_RETURN_ARG:
    if (!slots) CHECK(NoSelf(pc, sp));
    CopyTo(sp++, slots[pc->a]);
    goto leave;
L_EXIT:
    sp->kind = VALUE_REAL;
    sp->str = nullptr;
    sp->val = 0.0;
    sp++;
    goto leave;
L_FAIL:
    CHECK(FailNow(consts[pc->a].GetString()));
L_ACTION:
    Error_Context.actionNumber = pc->a;
    NEXT();

L_LOCAL_LT_JUMP_IF: {
    const TaggedValue& v = locals[pc->a];
    if (v.kind == VALUE_REAL) JUMP_WHEN(v.val < consts[pc->b].val);
    CHECK(LocalLess(pc, &holds));
    JUMP_WHEN(holds);
}
L_ADD_LOCAL_CONST: {
    TaggedValue& v = locals[pc->a];
    const TaggedValue& k = consts[pc->b];
    if ((v.kind | k.kind) != VALUE_REAL) SLOW(AddLocalConst);
    v.val = pc->y == OP_ADD ? v.val + k.val : v.val - k.val;
    NEXT();
}

#define ARITH_CONST(expr) \
    { \
        const TaggedValue& k = consts[pc->a]; \
        if ((sp[-1].kind | k.kind) == VALUE_REAL) { \
            double x = sp[-1].val, y = k.val; \
            sp[-1].val = (expr); \
            NEXT(); \
        } \
        SLOW(BinaryConst); \
    }
L_ADD_CONST:
    ARITH_CONST(x + y);
L_SUB_CONST:
    ARITH_CONST(x - y);
L_MUL_CONST:
    ARITH_CONST(x * y);
#undef ARITH_CONST
L_MOD_CONST: {
    const TaggedValue& k = consts[pc->a];
    if ((sp[-1].kind | k.kind) != VALUE_REAL || k.val == 0.0) SLOW(BinaryConst);
    sp[-1].val = Code_Remainder(sp[-1].val, k.val);
    NEXT();
}
L_BINARY_CONST: {
    const TaggedValue& k = consts[pc->a];
    if ((sp[-1].kind | k.kind) == VALUE_REAL && Code_RealBinary(pc->y, sp[-1].val, k.val, &sp[-1].val)) NEXT();
    SLOW(BinaryConst);
}
L_BINARY_LOCAL: {
    const TaggedValue& v = locals[pc->b];
    if ((sp[-1].kind | v.kind) == VALUE_REAL && Code_RealBinary(pc->y, sp[-1].val, v.val, &sp[-1].val)) NEXT();
    SLOW(BinaryLocal);
}
// The top of the stack compared with an operand, and a jump when the comparison holds.
#define COMPARE_JUMP(operand, Slow) \
    { \
        const TaggedValue& r = (operand); \
        if ((sp[-1].kind | r.kind) == VALUE_REAL) { \
            sp--; \
            JUMP_WHEN(RealHolds(pc->y, sp->val, r.val)); \
        } \
        TaggedValue* top = Slow(pc, sp, &holds); \
        CHECK(top); \
        sp = top; \
        JUMP_WHEN(holds); \
    }
L_COMPARE_JUMP_IF:
    COMPARE_JUMP(consts[pc->a], CompareConst);
L_COMPARE_LOCAL_JUMP_IF:
    COMPARE_JUMP(locals[pc->a], CompareLocal);
#undef COMPARE_JUMP

L_LOCAL_BINARY_CONST: {
    const TaggedValue& v = locals[pc->a];
    const TaggedValue& k = consts[pc->b];
    if ((v.kind | k.kind) != VALUE_REAL || !Code_RealBinary(pc->y, v.val, k.val, &sp->val)) SLOW(LocalBinaryConst);
    sp->kind = VALUE_REAL;
    sp++;
    NEXT();
}
// The faster forms: the common case here, anything else by the instruction they stand for.
#define STEP_LT(limits) \
    { \
        TaggedValue& v = locals[pc->a]; \
        const TaggedValue& limit = (limits)[pc->x]; \
        if ((v.kind | limit.kind) != VALUE_REAL) goto L_STEP_JUMP_IF; \
        v.val += consts[pc->b].val; \
        if (v.val < limit.val) LOOP_BACK(pc->c); \
        NEXT(); \
    }
L_STEP_LT:
    STEP_LT(consts);
L_STEP_LT_LOCAL:
    STEP_LT(locals);
#define ADD_TO_LOCAL(then) \
    { \
        TaggedValue& v = locals[pc->a]; \
        if ((v.kind | sp[-1].kind) != VALUE_REAL) goto L_SET_LOCAL; \
        v.val += (--sp)->val; \
        then; \
    }
L_ADD_TO_LOCAL:
    ADD_TO_LOCAL(NEXT())
// The pairs that end a loop's body: its step made here, without a dispatch.
L_ADD_TO_LOCAL_STEP_LT:
    ADD_TO_LOCAL(pc++; STEP_LT(consts))
L_ADD_TO_LOCAL_STEP_LT_LOCAL:
    ADD_TO_LOCAL(pc++; STEP_LT(locals))
L_SET_ELEMENT_STEP_LT:
    SET_ARRAY_ELEMENT(pc++; STEP_LT(consts))
L_SET_ELEMENT_STEP_LT_LOCAL:
    SET_ARRAY_ELEMENT(pc++; STEP_LT(locals))
// The map read of map_find_local_stack at pc by the key on top, a plain real, given its value
// narrowed; a map that is not a plain real goes the general way.
#define MAP_FIND_BY(narrowed) \
    const TaggedValue& map = locals[Code_OperandIndex(*pc, 0)]; \
    TaggedValue* key = &sp[-1]; \
    if (__builtin_expect(map.kind != VALUE_REAL, 0)) goto L_MAP_FIND_LOCAL_STACK; \
    const CDS_Map* m = DS_Map_Find(RealToInt(map.val)); \
    if (!m) goto L_MAP_FIND_VALUE; \
    const CDS_Map::Entry* e = m->FindReal(*key, (narrowed));
// A map read whose real value is added to a real local, without the stack; anything else leaves
// the result there for the sum, as the read alone does.
#define MAP_FIND_ADD(narrowed, then) \
    { \
        MAP_FIND_BY(narrowed) \
        TaggedValue& sum = locals[pc[1].a]; \
        if (__builtin_expect(!e || (e->value.kind | sum.kind) != VALUE_REAL, 0)) { \
            PutFound(key, e); \
            NEXT(); \
        } \
        sum.val += e->value.val; \
        sp--; \
        pc++; \
        then; \
    }
#define FIND_ADD_BY_KEY(then) \
    { \
        if (__builtin_expect(sp[-1].kind != VALUE_REAL, 0)) goto L_MAP_FIND_LOCAL_STACK; \
        MAP_FIND_ADD(DS_Narrow(sp[-1].val), then) \
    }
L_MAP_FIND_ADD_TO_LOCAL:
    FIND_ADD_BY_KEY(NEXT())
L_MAP_FIND_ADD_STEP_LT:
    FIND_ADD_BY_KEY(pc++; STEP_LT(consts))
L_MAP_FIND_ADD_STEP_LT_LOCAL:
    FIND_ADD_BY_KEY(pc++; STEP_LT(locals))
// A remainder by a whole constant read from a map: the key, a whole number in 32 bits, narrowed
// from the integer (one rounding, as from the real). It is on the stack too, for the general way.
#define MOD_THEN(find) \
    { \
        double x = sp[-1].val; \
        int32_t n = TruncToInt(x); \
        if (__builtin_expect(sp[-1].kind != VALUE_REAL || (double)n != x, 0)) goto L_MOD_CONST; \
        int32_t r = WholeRemainder(n, pc->b); \
        sp[-1].val = __builtin_expect(r == 0, 0) ? std::copysign(0.0, x) : (double)r; \
        pc++; \
        find; \
    }
L_MOD_MAP_FIND:
    MOD_THEN(MAP_FIND_BY((float)r) PutFound(key, e); NEXT())
L_MOD_MAP_FIND_ADD_TO_LOCAL:
    MOD_THEN(MAP_FIND_ADD((float)r, NEXT()))
L_MOD_MAP_FIND_ADD_STEP_LT:
    MOD_THEN(MAP_FIND_ADD((float)r, pc++; STEP_LT(consts)))
L_MOD_MAP_FIND_ADD_STEP_LT_LOCAL:
    MOD_THEN(MAP_FIND_ADD((float)r, pc++; STEP_LT(locals)))
#undef MOD_THEN
#undef FIND_ADD_BY_KEY
#undef MAP_FIND_BY
#undef MAP_FIND_ADD
L_SET_SELF_ELEMENT_STEP_LT:
    SET_SELF_ELEMENT(pc++; STEP_LT(consts))
L_SET_SELF_ELEMENT_STEP_LT_LOCAL:
    SET_SELF_ELEMENT(pc++; STEP_LT(locals))
// Chains of three: an element added to a local, then the loop's step.
// A loop whose whole body is the chain (its step jumps back to it) and which reads at its own
// counter into the sum of another local (neither the limit) runs its iterations here, the counter
// and the sum in registers, each checked as the chain checks it and worked out in the same order,
// each jump back counted against a step budget as the chain counts it. It stops when the loop
// ends, or before an iteration that needs more (an element not stored or not a real, an index not
// whole, the budget's last step), which the chain then runs.
// `find` sets `found` and element(n), the stored element n or null.
#define SUM_LOOP(find, limits, limitLocal) \
    { \
        const VMIns& step = pc[2]; \
        int counter = pc->c, total = pc[1].a; \
        if (step.c == -2 && step.a == counter && total != counter && \
            !((limitLocal) && (step.x == counter || step.x == total))) { \
            find; \
            TaggedValue& iv = locals[counter]; \
            TaggedValue& sv = locals[total]; \
            const TaggedValue& lv = (limits)[step.x]; \
            if (found && (iv.kind | sv.kind | lv.kind) == VALUE_REAL) { \
                double i = iv.val, sum = sv.val, by = consts[step.b].val, limit = lv.val; \
                int64_t steps = Code_StepBudget; \
                bool ended = false; \
                /* Made twice, so that turns without a budget count nothing. */ \
                auto turns = [&](auto counted) { \
                    while (!ended && (!counted || steps > 0)) { \
                        int n = TruncToInt(i); \
                        if ((unsigned)n >= (unsigned)ARRAY_DIMENSION || (double)n != i) break; \
                        const TaggedValue* e = element(n); \
                        if (!e || e->kind != VALUE_REAL) break; \
                        sum += e->val; \
                        i += by; \
                        ended = !(i < limit); \
                        if (counted) steps -= !ended; \
                    } \
                }; \
                if (steps < 0) { \
                    turns(std::false_type()); \
                } else { \
                    turns(std::true_type()); \
                    Code_StepBudget = steps; \
                } \
                iv.val = i; \
                sv.val = sum; \
                if (ended) { \
                    pc += 3; \
                    DISPATCH(); \
                } \
            } \
        } \
    }
#define ARRAY_SUM_LOOP(limits, limitLocal) \
    SUM_LOOP(const CVariable& a = g_cur->arrays[pc->a]; bool found = a.defined; \
             auto element = [&a](int n) -> const TaggedValue* { \
                 TaggedValue* e; \
                 return OneIndexElement(&a, n, &e) ? e : nullptr; \
             }, \
             limits, limitLocal)
#define SELF_SUM_LOOP(limits, limitLocal) \
    SUM_LOOP(CVariableList* list = g_cur->selfVariables; const CVariable* a = list && pc->x == 0 ? HINTED(list) : nullptr; \
             bool found = a != nullptr; auto element = [a](int n) -> const TaggedValue* { return StoredAt(a, 0, n); }, \
             limits, limitLocal)
#define SUM_CHAIN(Loop, Add, limits, limitLocal) \
    Loop(limits, limitLocal) \
    Add(pc += 2; STEP_LT(limits))
L_ELEMENT_ADD_STEP_LT:
    SUM_CHAIN(ARRAY_SUM_LOOP, ADD_ARRAY_ELEMENT, consts, false)
L_ELEMENT_ADD_STEP_LT_LOCAL:
    SUM_CHAIN(ARRAY_SUM_LOOP, ADD_ARRAY_ELEMENT, locals, true)
L_SELF_ELEMENT_ADD_STEP_LT:
    SUM_CHAIN(SELF_SUM_LOOP, ADD_SELF_ELEMENT, consts, false)
L_SELF_ELEMENT_ADD_STEP_LT_LOCAL:
    SUM_CHAIN(SELF_SUM_LOOP, ADD_SELF_ELEMENT, locals, true)
#undef SUM_CHAIN
#undef SUM_LOOP
#undef ARRAY_SUM_LOOP
#undef SELF_SUM_LOOP
#undef ADD_ELEMENT
#undef ADD_ARRAY_ELEMENT
#undef ADD_SELF_ELEMENT
#undef ADD_TO_LOCAL
#undef SET_ARRAY_ELEMENT
#undef SET_SELF_ELEMENT
#undef STEP_LT
// The forms for one operator: the operator known here, its switch folds away. A division by
// zero (false, the value untouched) is reported by the instruction they stand for.
#define LOCAL_CONST(o, name) \
    L_LOCAL_CONST_##o: { \
        const TaggedValue& v = locals[pc->a]; \
        const TaggedValue& k = consts[pc->b]; \
        if ((v.kind | k.kind) != VALUE_REAL || !Code_RealBinary(OP_##o, v.val, k.val, &sp->val)) goto L_LOCAL_BINARY_CONST; \
        sp->kind = VALUE_REAL; \
        sp++; \
        NEXT(); \
    }
#define STACK_WITH(o, Generic, operand) \
    { \
        const TaggedValue& r = (operand); \
        if ((sp[-1].kind | r.kind) != VALUE_REAL || !Code_RealBinary(OP_##o, sp[-1].val, r.val, &sp[-1].val)) goto Generic; \
        NEXT(); \
    }
#define STACK_LOCAL(o, name) L_STACK_LOCAL_##o: STACK_WITH(o, L_BINARY_LOCAL, locals[pc->b])
#define STACK_CONST(o, name) L_STACK_CONST_##o: STACK_WITH(o, L_BINARY_CONST, consts[pc->a])
    CODE_OPERATORS(LOCAL_CONST)
    CODE_OPERATORS(STACK_LOCAL)
    CODE_OPERATORS_FROM_DIV(STACK_CONST)
#undef LOCAL_CONST
#undef STACK_WITH
#undef STACK_LOCAL
#undef STACK_CONST
L_EQ_JUMP_IF: {
    const TaggedValue& k = consts[pc->a];
    if ((sp[-1].kind | k.kind) == VALUE_REAL) {
        sp--;
        JUMP_WHEN(std::fabs(sp->val - k.val) <= MathEpsilon);
    }
    if (sp[-1].kind != VALUE_STRING || k.kind != VALUE_STRING) goto L_COMPARE_JUMP_IF;
    holds = Value_SameText(sp[-1], k);
    Drop(--sp);
    JUMP_WHEN(holds);
}
// One form for each other comparison with a constant: its operator known here.
#define COMPARE_CONST(o, name) \
    L_COMPARE_CONST_##o: { \
        const TaggedValue& k = consts[pc->a]; \
        if ((sp[-1].kind | k.kind) != VALUE_REAL) goto L_COMPARE_JUMP_IF; \
        sp--; \
        JUMP_WHEN(RealHolds(OP_##o, sp->val, k.val)); \
    }
    CODE_COMPARISONS(COMPARE_CONST)
#undef COMPARE_CONST
// The remainder of a whole number in 32 bits by a whole constant (b or c) in integers.
L_MOD_INT_CONST: {
    double x = sp[-1].val;
    int32_t n = TruncToInt(x);
    if (__builtin_expect(sp[-1].kind != VALUE_REAL || (double)n != x, 0)) goto L_MOD_CONST;
    int32_t r = WholeRemainder(n, pc->b);
    sp[-1].val = __builtin_expect(r == 0, 0) ? std::copysign(0.0, x) : (double)r;
    NEXT();
}
L_LOCAL_MOD_INT_CONST: {
    const TaggedValue& v = locals[pc->a];
    double x = v.val;
    int32_t n = TruncToInt(x);
    if (__builtin_expect(v.kind != VALUE_REAL || (double)n != x, 0)) goto L_LOCAL_BINARY_CONST;
    int32_t r = WholeRemainder(n, pc->c);
    sp->kind = VALUE_REAL;
    sp->val = __builtin_expect(r == 0, 0) ? std::copysign(0.0, x) : (double)r;
    sp++;
    NEXT();
}

L_STEP_JUMP_IF: {
    TaggedValue& v = locals[pc->a];
    if (v.kind == VALUE_REAL) {
        double by = consts[pc->b].val;
        v.val = (pc->y & STEP_SUBTRACT) ? v.val - by : v.val + by;
    } else {
        CHECK(Step(pc));
    }
    const TaggedValue& limit = (pc->y & STEP_LOCAL_LIMIT) ? locals[pc->x] : consts[pc->x];
    if ((v.kind | limit.kind) == VALUE_REAL) holds = RealHolds(pc->y & STEP_COMPARE, v.val, limit.val);
    else CHECK(StepTest(pc, &holds));
    if (holds) GOTO(pc->c);
    NEXT();
}

// The data-structure calls the machine makes itself: the common case by the built-in's fast
// form, which leaves the result in place of the first operand on the stack (or on top when none
// is); anything else (and its report) through the built-in. A local read here is never unset
// unless the compiler is wrong; the built-in's path then reports it.
// The forms that drop the result (kept = 0) leave nothing.
#define OPERAND(k) (&from[Code_OperandSource(*pc, k)][Code_OperandIndex(*pc, k)])
#define OWN_CALL(count, call, kept) \
    { \
        TaggedValue* args = sp - pc->x; \
        const TaggedValue* from[3] = {args, locals, consts}; \
        const TaggedValue* o[4] = {OPERAND(0), OPERAND(1), (count) > 2 ? OPERAND(2) : args, (count) > 3 ? OPERAND(3) : args}; \
        if (((o[0]->kind | o[1]->kind | o[2]->kind | o[3]->kind) & VALUE_UNSET) || !(call)) { \
            TaggedValue* top = CallSpread(pc, sp); \
            CHECK(top); \
            if (!(kept)) Drop(--top); \
            sp = top; \
            NEXT(); \
        } \
        while (sp > args + (kept)) Drop(--sp); \
        sp = args + (kept); \
        NEXT(); \
    }
L_MAP_FIND_VALUE:
    OWN_CALL(2, DS_Fast_MapFindValue(*o[0], *o[1], args), 1);
// The grid and the cell in locals (operands 0 to 2).
#define GRID_LOCALS \
    const TaggedValue& grid = locals[Code_OperandIndex(*pc, 0)]; \
    const TaggedValue& cx = locals[Code_OperandIndex(*pc, 1)]; \
    const TaggedValue& cy = locals[Code_OperandIndex(*pc, 2)]; \
    bool unset = (grid.kind | cx.kind | cy.kind) & VALUE_UNSET;
L_GRID_GET_LOCALS: {
    GRID_LOCALS
    if (unset || !DS_Fast_GridGet(grid, cx, cy, sp)) goto L_GRID_GET;
    sp++;
    NEXT();
}
L_GRID_SET_LOCALS_DROP: {
    GRID_LOCALS
    if (unset || !DS_Fast_GridSet(grid, cx, cy, sp[-1])) goto L_GRID_SET_DROP;
    Drop(--sp);
    NEXT();
}
#undef GRID_LOCALS
// The key on top is read before the result takes its place. A plain real map index and key (the
// common case: the key's place then holds no text to release, nor does its kind change when the
// key is missing) skip the checks of kind; anything else takes the general path.
L_MAP_FIND_LOCAL_STACK: {
    const TaggedValue& map = locals[Code_OperandIndex(*pc, 0)];
    TaggedValue* key = &sp[-1];
    if (__builtin_expect((map.kind | key->kind) == VALUE_REAL, 1)) {
        const CDS_Map* m = DS_Map_Find(RealToInt(map.val));
        if (!m) goto L_MAP_FIND_VALUE;
        PutFound(key, m->FindReal(*key));
        NEXT();
    }
    if (((map.kind | key->kind) & VALUE_UNSET) || !DS_Fast_MapFindValue(map, *key, key)) goto L_MAP_FIND_VALUE;
    NEXT();
}
L_MAP_FIND_LOCAL_CONST: {
    const TaggedValue& map = locals[Code_OperandIndex(*pc, 0)];
    if ((map.kind & VALUE_UNSET) || !DS_Fast_MapFindValue(map, consts[Code_OperandIndex(*pc, 1)], sp)) goto L_MAP_FIND_VALUE;
    sp++;
    NEXT();
}
// The value on top takes the result, which is dropped.
L_MAP_REPLACE_LOCAL_CONST_DROP: {
    const TaggedValue& map = locals[Code_OperandIndex(*pc, 0)];
    if ((map.kind & VALUE_UNSET) || !DS_Fast_MapReplace(map, consts[Code_OperandIndex(*pc, 1)], sp[-1], &sp[-1]))
        goto L_MAP_REPLACE_DROP;
    sp--;
    NEXT();
}
// The same by a text, through the instruction's cache. A map index that is not a plain real (an
// unset local among them) or names no map takes the built-in's path.
#define CACHED_MAP() \
    ({ \
        const TaggedValue& map = locals[Code_OperandIndex(*pc, 0)]; \
        map.kind == VALUE_REAL ? DS_Map_Find(RealToInt(map.val)) : nullptr; \
    })
#define CACHED_ENTRY(m) DS_Fast_MapEntry(m, consts[Code_OperandIndex(*pc, 1)], &g_cur->bc->mapCaches[(size_t)Code_CacheOf(*pc)])
L_MAP_FIND_LOCAL_TEXT: {
    CDS_Map* m = CACHED_MAP();
    if (!m) goto L_MAP_FIND_VALUE;
    const CDS_Map::Entry* e = CACHED_ENTRY(m);
    if (e) {
        CopyTo(sp, e->value);
        sp->kind &= VALUE_KIND_MASK;
    } else {
        sp->kind = VALUE_REAL;
        sp->val = 0.0;
    }
    sp++;
    NEXT();
}
// The value on top moves into the entry; a key new to the map takes the built-in's path.
L_MAP_REPLACE_LOCAL_TEXT_DROP: {
    CDS_Map* m = CACHED_MAP();
    CDS_Map::Entry* e = m ? CACHED_ENTRY(m) : nullptr;
    if (!e) goto L_MAP_REPLACE_DROP;
    Drop(&e->value);
    MoveTo(&e->value, --sp);
    NEXT();
}
#undef CACHED_MAP
#undef CACHED_ENTRY
L_MAP_REPLACE:
    OWN_CALL(3, DS_Fast_MapReplace(*o[0], *o[1], *o[2], args), 1);
L_MAP_REPLACE_DROP:
    OWN_CALL(3, DS_Fast_MapReplace(*o[0], *o[1], *o[2], args), 0);
L_LIST_FIND_VALUE:
    OWN_CALL(2, DS_Fast_ListFindValue(*o[0], *o[1], args), 1);
L_STRING_CHAR_AT:
    OWN_CALL(2, Code_Fast_StringCharAt(*o[0], *o[1], args), 1);
L_GRID_GET:
    OWN_CALL(3, DS_Fast_GridGet(*o[0], *o[1], *o[2], args), 1);
L_GRID_SET:
    OWN_CALL(4, DS_Fast_GridSet(*o[0], *o[1], *o[2], *o[3]) && (args->SetReal(0.0), true), 1);
L_GRID_SET_DROP:
    OWN_CALL(4, DS_Fast_GridSet(*o[0], *o[1], *o[2], *o[3]), 0);
#undef OPERAND
#undef OWN_CALL

// The operator of two reals pushed; anything else by `otherwise`.
#define PUSH_BINARY(op, left, right, otherwise) \
    { \
        const TaggedValue& l = (left); \
        const TaggedValue& r = (right); \
        if ((l.kind | r.kind) != VALUE_REAL || !Code_RealBinary(op, l.val, r.val, &sp->val)) otherwise; \
        sp->kind = VALUE_REAL; \
        sp++; \
        NEXT(); \
    }
// The reads of an argument slot by name combined with a constant, another slot or a local.
#define PUSH_WITH_ARG(op, left, right, otherwise) \
    { \
        if (!slots) otherwise; \
        PUSH_BINARY(op, left, right, otherwise) \
    }
L_ARG_BINARY_CONST:
    PUSH_WITH_ARG(pc->y, slots[pc->a], consts[pc->b], SLOW(ArgBinaryConst))
L_ARG_COMPARE_JUMP_IF:
    if (slots && (slots[pc->a].kind | consts[pc->b].kind) == VALUE_REAL)
        JUMP_WHEN(RealHolds(pc->y, slots[pc->a].val, consts[pc->b].val));
    CHECK(ArgCompare(pc, &holds));
    JUMP_WHEN(holds);
L_BINARY_ARG: {
    if (!slots) SLOW(BinaryArg);
    const TaggedValue& v = slots[pc->a];
    if ((sp[-1].kind | v.kind) != VALUE_REAL || !Code_RealBinary(pc->y, sp[-1].val, v.val, &sp[-1].val)) SLOW(BinaryArg);
    NEXT();
}
#define ARG_COMPARE(o, name) \
    L_ARG_COMPARE_##o: \
        if (!slots || (slots[pc->a].kind | consts[pc->b].kind) != VALUE_REAL) goto L_ARG_COMPARE_JUMP_IF; \
        JUMP_WHEN(RealHolds(OP_##o, slots[pc->a].val, consts[pc->b].val));
    CODE_COMPARISONS(ARG_COMPARE)
#undef ARG_COMPARE
// The forms for one operator of the argument reads.
#define ARG_CONST(o, name) L_ARG_CONST_##o: PUSH_WITH_ARG(OP_##o, slots[pc->a], consts[pc->b], goto L_ARG_BINARY_CONST)
#define STACK_ARG(o, name) \
    L_STACK_ARG_##o: { \
        if (!slots) goto L_BINARY_ARG; \
        const TaggedValue& r = slots[pc->a]; \
        if ((sp[-1].kind | r.kind) != VALUE_REAL || !Code_RealBinary(OP_##o, sp[-1].val, r.val, &sp[-1].val)) goto L_BINARY_ARG; \
        NEXT(); \
    }
    CODE_OPERATORS(ARG_CONST)
    CODE_OPERATORS(STACK_ARG)
#undef ARG_CONST
#undef STACK_ARG
L_ARG_BINARY_ARG:
    PUSH_WITH_ARG(pc->y, slots[pc->a], slots[pc->b], SLOW(ArgBinaryArg))
L_LOCAL_BINARY_ARG:
    PUSH_WITH_ARG(pc->y, locals[pc->b], slots[pc->a], SLOW(LocalBinaryArg))
#define ARG_ARG(o, name) L_ARG_ARG_##o: PUSH_WITH_ARG(OP_##o, slots[pc->a], slots[pc->b], goto L_ARG_BINARY_ARG)
#define LOCAL_ARG(o, name) L_LOCAL_ARG_##o: PUSH_WITH_ARG(OP_##o, locals[pc->b], slots[pc->a], goto L_LOCAL_BINARY_ARG)
    CODE_OPERATORS(ARG_ARG)
    CODE_OPERATORS(LOCAL_ARG)
#undef ARG_ARG
#undef LOCAL_ARG
#undef PUSH_WITH_ARG
L_LOCAL_BINARY_LOCAL:
    PUSH_BINARY(pc->y, locals[pc->a], locals[pc->b], SLOW(LocalBinaryLocal))
#define LOCAL_LOCAL(o, name) L_LOCAL_LOCAL_##o: PUSH_BINARY(OP_##o, locals[pc->a], locals[pc->b], goto L_LOCAL_BINARY_LOCAL)
    CODE_OPERATORS(LOCAL_LOCAL)
#undef LOCAL_LOCAL
// The product and the sum of plain reals pushed at once; anything else by the product alone.
#define MUL_ADD_LOCAL(right, First) \
    { \
        const TaggedValue& l = locals[pc->a]; \
        const TaggedValue& r = (right); \
        const TaggedValue& b = locals[pc[1].b]; \
        if (__builtin_expect((l.kind | r.kind | b.kind) != VALUE_REAL, 0)) goto First; \
        double product = l.val * r.val; \
        sp->kind = VALUE_REAL; \
        sp->val = product + b.val; \
        sp++; \
        pc += 2; \
        DISPATCH(); \
    }
L_LOCAL_MUL_CONST_ADD_LOCAL:
    MUL_ADD_LOCAL(consts[pc->b], L_LOCAL_CONST_MUL)
L_LOCAL_MUL_LOCAL_ADD_LOCAL:
    MUL_ADD_LOCAL(locals[pc->b], L_LOCAL_LOCAL_MUL)
#undef MUL_ADD_LOCAL
#undef PUSH_BINARY

leave : {
    Frame* ending = g_cur;
    TaggedValue* base = ending->base;
    EndFrame(*ending, --sp);
    if (__builtin_expect(sp != base, 1)) MoveTo(base, sp);
    if (__builtin_expect(ending == entry, 0)) {
        g_cur = Below(ending);
        g_top = base;
        if (result) *result = std::move(*base);
        else Drop(base);
        return true;
    }
    // A script's frame: its caller's lies below.
    const Frame& caller = ending[-1];
    g_cur = ending - 1;
    sp = base + 1;
    consts = caller.consts;
    locals = caller.locals;
    slots = caller.self ? caller.slots : nullptr;
    pc = ending->ret;
    DISPATCH();
}

fail:
    g_top = Unwind(entryDepth, pc, sp);
    return false;
#undef DISPATCH
#undef NEXT
#undef CHECK
#undef SLOW
#undef GOTO
#undef LOOP_BACK
#undef JUMP_WHEN
#undef HINTED
}

}  // namespace

namespace {
// The fatal error of a run that finds the stack too short to start; out of line, so that every
// run that starts does not set up the message's buffers.
__attribute__((noinline, cold)) bool Overflow(const ByteCode* bc)
{
    char head[48];
    snprintf(head, sizeof head, ", line %d: ", bc->firstLine);
    LastErrorText = "In " + bc->name + head + STACK_OVERFLOW;
    Code_RunErrorFatal = true;
    return false;
}
}  // namespace

void Code_VM_Abandon()
{
    // Each frame's values end where the next frame's begin; the top frame's at the top last
    // published (the values above it keep their texts, which is only a leak).
    TaggedValue* end = g_top;
    while (g_cur) {
        TaggedValue* base = g_cur->base;
        PopFrame(end > base ? end : base);
        end = base;
    }
    g_top = g_stack;
}

bool Code_VM_Run(CInstance* self, CInstance* other, CCode* code, TaggedValue* result)
{
    if (result) result->SetReal(0.0);
    Code_RunErrorFatal = false;
    if (!code || !code->IsCompiled() || !code->GetByteCode()) {
        LastErrorText = "The code is not compiled.";
        return false;
    }
    const ByteCode* bc = code->GetByteCode();
    if (!g_stack) {
        // Zeroed bytes are free reals. The stack lives as long as the process, like the tables
        // of the engine, so it stays out of the memory manager's count of live blocks; pages
        // the code never reaches are never touched.
        g_stack = (TaggedValue*)calloc(STACK_VALUES, sizeof(TaggedValue));
        if (!g_stack) {
            LastErrorText = "Out of memory for the code's stack.";
            return false;
        }
        g_top = g_stack;
        g_end = g_stack + STACK_VALUES;
    }
    // Where this thread's stack gets too short to go on: found once, then one comparison a run.
    static thread_local const char* stackLimit = nullptr;
    if (!stackLimit) stackLimit = Stack_Limit(CODE_STACK_RESERVE);
    if (Depth() >= CODE_MAX_CALL_DEPTH || g_end - g_top <= bc->localCount + bc->maxStack || Stack_Below(stackLimit))
        return Overflow(bc);
    int line = Error_Context.line;
    int entry = Depth();
    Frame& f = g_frames[entry];
    f.bc = bc;
    f.consts = bc->constants.data();
    f.ret = nullptr;
    f.base = g_top;
    f.locals = g_top;
    f.stack = StartLocals(f.locals, bc->localCount);
    f.slots = ArgumentSlots;
    f.self = self;
    f.other = other;
    f.selfVariables = self ? Code_Instances.variables(self) : nullptr;
    f.script = -1;
    StartFrameWork(f, 0);
    g_cur = &f;
    bool ok = Execute(entry, result);
    Error_Context.line = line;
    return ok;
}
