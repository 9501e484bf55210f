#include "Code/Code_Gen.h"
#include "Code/Function.h"
#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_Main.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

// Instructions of more than this many arguments are not representable.
constexpr int MAX_ARGUMENTS = 65535;

// A loop, with or switch being generated: where break and continue go.
struct Target {
    bool isSwitch;           // catches break only
    int height;              // stack height of the body
    std::vector<size_t> breaks;     // jumps to patch to the break label
    std::vector<size_t> continues;  // jumps to patch to the continue label
};

// The built-in ids of argument0 to argument15: looked up by name when the table no longer holds
// them where they were (the table is built again when the engine starts again), so that each
// piece of code compiled does not hash sixteen names.
const int* ArgumentIds()
{
    static int ids[ARGUMENT_SLOTS];
    static char names[ARGUMENT_SLOTS][16];
    if (!names[0][0])
        for (int k = 0; k < ARGUMENT_SLOTS; k++) snprintf(names[k], sizeof names[k], "argument%d", k);
    for (int k = 0; k < ARGUMENT_SLOTS; k++) {
        const RVariable* v = Variable_BuiltIn_Get(ids[k]);
        if (!v || strcmp(v->name, names[k]) != 0) ids[k] = Variable_BuiltIn_Find(names[k]);
    }
    return ids;
}

class Generator {
public:
    Generator(const CodeTree* tree, ByteCode* bc) : m_tree(tree), m_bc(bc)
    {
        // A local the code indexes anywhere is a whole variable with its array; the others are
        // plain values in the frame.
        std::vector<bool> indexed(tree->locals.size(), false);
        size_t constants = 1;  // and the 0 that pads calls
        for (const Node& n : tree->nodes) {
            if (n.kind == N_LOCAL && n.IndexCount() > 0) indexed[(size_t)n.id] = true;
            constants += n.kind == N_CONST;
        }
        // Grown once: a value moved at each growth of the table is a text's count touched.
        bc->constants.reserve(constants);
        for (size_t k = 0; k < tree->locals.size(); k++) {
            std::vector<std::string>& names = indexed[k] ? bc->arrayNames : bc->localNames;
            m_slot.push_back(indexed[k] ? ~(int)names.size() : (int)names.size());
            names.push_back(tree->locals[k]);
        }
        bc->localCount = (int)bc->localNames.size();
        m_sure.assign(bc->localNames.size(), false);
        bc->arrayCount = (int)bc->arrayNames.size();
    }

    std::string error;
    bool mapCalls = false;  // whether the code calls ds_map_find_value or ds_map_replace itself

    void Program(const Node* root)
    {
        Statement(root);
        Emit(OPC_EXIT, root->line);
    }

    void Expression(const Node* root)
    {
        Value(root);
        Emit(OPC_RETURN, root->line);
    }

private:
    const CodeTree* m_tree;
    ByteCode* m_bc;
    int m_height = 0;
    std::vector<Target> m_targets;
    // The argument slots read and written by name go straight to the slots.
    const int* m_argumentIds = ArgumentIds();
    std::vector<int> m_slot;  // of each local: its value slot, or ~ its array slot
    // The plain locals surely set where code is being generated: assigned by a statement that
    // runs whenever the code gets there. A local is never unset again, and nothing an
    // expression runs writes this code's locals.
    std::vector<bool> m_sure;
    // Constants by text (a view of the constant's own text) and by the bits of a real.
    std::unordered_map<std::string_view, int> m_texts;
    std::unordered_map<uint64_t, int> m_reals;

    // The value slot of a plain local read or written without indexes, else -1.
    int ValueSlot(const Node* n) const
    {
        if (n->kind != N_LOCAL || n->IndexCount() != 0) return -1;
        int slot = m_slot[(size_t)n->id];
        return slot >= 0 ? slot : -1;
    }

    size_t Emit(Opcode op, int line, int a = 0, int x = 0, int y = 0, int b = 0, int c = 0)
    {
        VMIns i;
        i.op = op;
        i.a = a;
        i.x = (uint16_t)x;
        i.y = (uint8_t)y;
        i.b = b;
        i.c = c;
        m_bc->code.push_back(i);
        m_bc->lines.push_back(line);
        const OpcodeInfo& info = Code_Opcodes[op];
        m_height += info.pushes - info.pops - (info.perX ? x : 0);
        if (m_height > m_bc->maxStack) m_bc->maxStack = m_height;
        return m_bc->code.size() - 1;
    }

    size_t Here() const { return m_bc->code.size(); }

    void Patch(size_t at, size_t target)
    {
        VMIns& i = m_bc->code[at];
        if (Code_Opcodes[i.op].jumpInC) i.c = (int)target;
        else i.a = (int)target;
    }

    // Each distinct constant once: equal texts of one piece of code share their text, which a
    // map compares by address before it compares bytes.
    int Constant(const TaggedValue& v)
    {
        int next = (int)m_bc->constants.size();
        int at = next;
        if (v.kind == VALUE_STRING) {
            at = m_texts.try_emplace(std::string_view(v.GetString(), v.GetLength()), next).first->second;
        } else if (v.kind == VALUE_REAL) {
            uint64_t bits;
            memcpy(&bits, &v.val, sizeof bits);
            at = m_reals.try_emplace(bits, next).first->second;
        }
        if (at == next) m_bc->constants.push_back(v);
        return at;
    }
    int Real(double v) { return Constant(TaggedValue(v)); }

    // A runtime error in place of code that cannot run; expression code still expects a value.
    void Failure(const char* message, int line, bool value)
    {
        Emit(OPC_FAIL, line, Constant(TaggedValue(message)));
        if (value) m_height++;
        if (m_height > m_bc->maxStack) m_bc->maxStack = m_height;
    }

    int Hint()
    {
        m_bc->hints.push_back(0);
        return (int)m_bc->hints.size() - 1;
    }

    static bool IsVariable(const Node* n)
    {
        return n->kind == N_LOCAL || n->kind == N_SELF || n->kind == N_GLOBAL || n->kind == N_BUILTIN ||
               n->kind == N_DOT;
    }

    // argumentN without indexes: its slot, else -1.
    int ArgumentSlot(const Node* n) const
    {
        if (n->kind != N_BUILTIN || n->IndexCount() != 0) return -1;
        for (int k = 0; k < ARGUMENT_SLOTS; k++)
            if (m_argumentIds[k] == n->id) return k;
        return -1;
    }

    // Index k of a variable node, checked.
    void Index(const Node* n, int k)
    {
        const Node* index = n->kids[(size_t)(n->FirstIndex() + k)];
        if (ValueSlot(index) >= 0 && index->line == n->line) {
            Emit(OPC_INDEX_LOCAL, n->line, ValueSlot(index));
            return;
        }
        Value(index);
        Emit(OPC_INDEX, n->line);
    }

    // The target (for t.v) and the indexes of a variable node, each checked as soon as it is
    // known; a read checks its last index itself.
    void Operands(const Node* n, bool read)
    {
        if (n->kind == N_DOT) Value(n->kids[0]);
        for (int k = 0; k < n->IndexCount(); k++) {
            if (read && k + 1 == n->IndexCount()) Value(n->kids[(size_t)(n->FirstIndex() + k)]);
            else Index(n, k);
        }
    }

    // A read whose last index is a plain local, read by the instruction itself; false when the
    // read is not of that form.
    bool ReadAtLocal(const Node* n)
    {
        int count = n->IndexCount();
        if (count == 0 || (n->kind != N_SELF && n->kind != N_GLOBAL && n->kind != N_LOCAL)) return false;
        const Node* last = n->kids[(size_t)(count - 1)];
        if (ValueSlot(last) < 0 || last->line != n->line) return false;
        if (count == 2) Index(n, 0);
        int at = ValueSlot(last);
        if (n->kind == N_SELF) Emit(OPC_GET_SELF_AT, n->line, n->id, count - 1, 0, Hint(), at);
        else if (n->kind == N_GLOBAL) Emit(OPC_GET_GLOBAL_AT, n->line, n->id, count - 1, 0, Hint(), at);
        else Emit(OPC_GET_ARRAY_AT, n->line, ~m_slot[(size_t)n->id], count - 1, 0, 0, at);
        return true;
    }

    void Read(const Node* n)
    {
        int slot = ArgumentSlot(n);
        if (slot >= 0) {
            Emit(OPC_GET_ARG, n->line, slot);
            return;
        }
        if (ReadAtLocal(n)) return;
        Operands(n, true);
        int x = n->IndexCount();
        switch (n->kind) {
        case N_LOCAL:
            if (m_slot[(size_t)n->id] >= 0) Emit(OPC_GET_LOCAL, n->line, m_slot[(size_t)n->id]);
            else Emit(OPC_GET_ARRAY, n->line, ~m_slot[(size_t)n->id], x);
            break;
        case N_SELF: Emit(OPC_GET_SELF, n->line, n->id, x, 0, Hint()); break;
        case N_GLOBAL: Emit(OPC_GET_GLOBAL, n->line, n->id, x, 0, Hint()); break;
        case N_BUILTIN: Emit(OPC_GET_BUILTIN, n->line, n->id, x); break;
        default: Emit(OPC_GET_DOT, n->line, n->id, x); break;
        }
    }

    void Assign(const Node* a)
    {
        const Node* n = a->kids[0];
        const Node* v = a->kids[1];
        if (!IsVariable(n)) {
            Failure("Statement used as an expression.", a->line, false);
            return;
        }
        if (ValueSlot(n) >= 0 && (a->op == OP_ADD || a->op == OP_SUB) && v->kind == N_CONST) {
            Emit(OPC_ADD_LOCAL_CONST, n->line, ValueSlot(n), 0, a->op, Constant(v->value), a->line);
            return;
        }
        int slot = ArgumentSlot(n);
        if (slot >= 0) {
            Value(v);
            Emit(OPC_SET_ARG, n->line, slot, 0, a->op, 0, a->line);
            return;
        }
        Operands(n, false);
        Value(v);
        int x = n->IndexCount();
        if (ValueSlot(n) >= 0 && a->op == OP_SET) m_sure[(size_t)ValueSlot(n)] = true;
        switch (n->kind) {
        case N_LOCAL:
            if (m_slot[(size_t)n->id] >= 0) Emit(OPC_SET_LOCAL, n->line, m_slot[(size_t)n->id], 0, a->op, 0, a->line);
            else Emit(OPC_SET_ARRAY, n->line, ~m_slot[(size_t)n->id], x, a->op, 0, a->line);
            break;
        case N_SELF: Emit(OPC_SET_SELF, n->line, n->id, x, a->op, Hint(), a->line); break;
        case N_GLOBAL: Emit(OPC_SET_GLOBAL, n->line, n->id, x, a->op, Hint(), a->line); break;
        case N_BUILTIN: Emit(OPC_SET_BUILTIN, n->line, n->id, x, a->op, 0, a->line); break;
        default: Emit(OPC_SET_DOT, n->line, n->id, x, a->op, 0, a->line); break;
        }
    }

    // The instruction that calls built-in f with `slots` arguments: one of those the machine
    // makes itself, or the plain call.
    static Opcode BuiltinCall(const RFunction* f, int slots)
    {
        static const struct {
            const char* name;
            int argc;
            Opcode op;
        } own[] = {
            {"ds_map_find_value", 2, OPC_MAP_FIND_VALUE}, {"ds_map_replace", 3, OPC_MAP_REPLACE},
            {"ds_list_find_value", 2, OPC_LIST_FIND_VALUE}, {"ds_grid_get", 3, OPC_GRID_GET},
            {"ds_grid_set", 4, OPC_GRID_SET}, {"string_char_at", 2, OPC_STRING_CHAR_AT},
        };
        if (f->name[0] != 'd' && f->name[0] != 's') return OPC_CALL;
        for (const auto& o : own)
            if (f->argc == o.argc && slots == o.argc && strcmp(f->name, o.name) == 0) return o.op;
        return OPC_CALL;
    }

    void Call(const Node* n)
    {
        int argc = (int)n->kids.size();
        int slots = argc;
        const RFunction* f = nullptr;
        if (n->kind == N_CALL) {
            f = Function_Get(n->id);
            if (!f) {
                Failure("Unknown function.", n->line, true);
                return;
            }
            if (f->argc > slots) slots = f->argc;
        }
        if (slots > MAX_ARGUMENTS) {
            error = "Too many arguments in a call.";
            slots = argc = 0;
        }
        Opcode op = f ? BuiltinCall(f, slots) : n->kind == N_SCRIPT ? OPC_CALL_SCRIPT : OPC_CALL_EXT;
        if (Code_OperandCount(op)) {
            OwnCall(n, op, argc, slots);
            return;
        }
        for (int k = 0; k < argc; k++) Value(n->kids[(size_t)k]);
        for (int k = argc; k < slots; k++) Emit(OPC_PUSH, n->line, Real(0.0));
        Emit(op, n->line, n->id, slots);
    }

    // A data-structure call the machine makes itself: the operands that are constants or plain
    // locals surely set are read by the instruction (no later operand can change them), the
    // others pushed in order.
    void OwnCall(const Node* n, Opcode op, int argc, int slots)
    {
        uint32_t sources = 0, index[4] = {0, 0, 0, 0};
        int stacked = 0;
        for (int k = 0; k < slots; k++) {
            const Node* operand = k < argc ? n->kids[(size_t)k] : nullptr;
            int at = operand ? ValueSlot(operand) : -1;
            int source = OPERAND_STACK;
            if (!operand || operand->kind == N_CONST) {
                at = operand ? Constant(operand->value) : Real(0.0);
                source = OPERAND_CONSTANT;
            } else if (at >= 0 && m_sure[(size_t)at]) {
                source = OPERAND_LOCAL;
            }
            if (source == OPERAND_STACK || at > 0xFFFF) {
                if (operand) Value(operand);
                else Emit(OPC_PUSH, n->line, at);
                source = OPERAND_STACK;
                at = stacked++;
            }
            sources |= (uint32_t)source << (2 * k);
            index[k] = (uint32_t)at;
        }
        Emit(op, n->line, n->id, stacked, (int)sources, (int)(index[0] | index[1] << 16), (int)(index[2] | index[3] << 16));
        mapCalls = mapCalls || op == OPC_MAP_FIND_VALUE || op == OPC_MAP_REPLACE;
        // Room for the operands spread onto the stack when the built-in makes the call.
        if (m_height - 1 + slots > m_bc->maxStack) m_bc->maxStack = m_height - 1 + slots;
    }

    void Value(const Node* n)
    {
        switch (n->kind) {
        case N_CONST: Emit(OPC_PUSH, n->line, Constant(n->value)); return;
        case N_LOCAL:
        case N_SELF:
        case N_GLOBAL:
        case N_BUILTIN:
        case N_DOT: Read(n); return;
        case N_UNARY:
            Value(n->kids[0]);
            Emit(OPC_UNARY, n->line, 0, 0, n->op);
            return;
        case N_BINARY: {
            const Node* l = n->kids[0];
            const Node* r = n->kids[1];
            if (r->kind == N_CONST && ValueSlot(l) >= 0 && l->line == n->line) {
                Emit(OPC_LOCAL_BINARY_CONST, n->line, ValueSlot(l), 0, n->op, Constant(r->value));
                return;
            }
            if (r->kind == N_CONST && ArgumentSlot(l) >= 0 && l->line == n->line) {
                Emit(OPC_ARG_BINARY_CONST, n->line, ArgumentSlot(l), 0, n->op, Constant(r->value));
                return;
            }
            if (ArgumentSlot(l) >= 0 && ArgumentSlot(r) >= 0 && l->line == n->line && r->line == n->line) {
                Emit(OPC_ARG_BINARY_ARG, n->line, ArgumentSlot(l), 0, n->op, ArgumentSlot(r));
                return;
            }
            if (ValueSlot(l) >= 0 && ArgumentSlot(r) >= 0 && l->line == n->line && r->line == n->line) {
                Emit(OPC_LOCAL_BINARY_ARG, n->line, ArgumentSlot(r), 0, n->op, ValueSlot(l));
                return;
            }
            if (ValueSlot(l) >= 0 && ValueSlot(r) >= 0 && l->line == n->line && r->line == n->line) {
                Emit(OPC_LOCAL_BINARY_LOCAL, n->line, ValueSlot(l), 0, n->op, ValueSlot(r));
                return;
            }
            Value(l);
            if (r->kind == N_CONST) {
                Opcode op = n->op == OP_ADD ? OPC_ADD_CONST : n->op == OP_SUB ? OPC_SUB_CONST :
                            n->op == OP_MUL ? OPC_MUL_CONST : n->op == OP_MOD ? OPC_MOD_CONST : OPC_BINARY_CONST;
                Emit(op, n->line, Constant(r->value), 0, n->op);
                return;
            }
            if (ValueSlot(r) >= 0) {
                Emit(OPC_BINARY_LOCAL, n->line, 0, 0, n->op, ValueSlot(r), r->line);
                return;
            }
            if (ArgumentSlot(r) >= 0 && r->line == n->line) {
                Emit(OPC_BINARY_ARG, n->line, ArgumentSlot(r), 0, n->op);
                return;
            }
            Value(n->kids[1]);
            Opcode op;
            switch (n->op) {
            case OP_ADD: op = OPC_ADD; break;
            case OP_SUB: op = OPC_SUB; break;
            case OP_MUL: op = OPC_MUL; break;
            case OP_LT: op = OPC_LT; break;
            case OP_LE: op = OPC_LE; break;
            case OP_GT: op = OPC_GT; break;
            case OP_GE: op = OPC_GE; break;
            case OP_EQ: op = OPC_EQ; break;
            case OP_NE: op = OPC_NE; break;
            default: op = OPC_BINARY; break;
            }
            Emit(op, n->line, 0, 0, n->op);
            return;
        }
        case N_AND:
        case N_OR: {
            int isOr = n->kind == N_OR;
            Value(n->kids[0]);
            size_t jump = Emit(OPC_AND_JUMP, n->line, 0, isOr);
            Value(n->kids[1]);
            Emit(OPC_TO_BOOL, n->line, 0, isOr);
            Patch(jump, Here());
            return;
        }
        case N_CALL:
        case N_SCRIPT:
        case N_EXTENSION: Call(n); return;
        default: Failure("Statement used as an expression.", n->line, true); return;
        }
    }

    static bool IsComparison(int op) { return op >= OP_LT && op <= OP_GT; }

    // A condition that is a comparison, or comparisons joined by && and ||: its value is always
    // 1 or 0, so it can be tested without being made.
    static bool IsTest(const Node* n)
    {
        if (n->kind == N_BINARY) return IsComparison(n->op);
        return (n->kind == N_AND || n->kind == N_OR) && IsTest(n->kids[0]) && IsTest(n->kids[1]);
    }

    // Jumps when whether the condition holds is `when`; returns the jumps to patch. A test joined
    // by && or || jumps on each comparison in turn, as far as the value would have been made.
    std::vector<size_t> JumpIf(const Node* cond, bool when)
    {
        if ((cond->kind == N_AND || cond->kind == N_OR) && IsTest(cond)) {
            // The first operand decides the whole when it holds for || and fails for &&.
            bool decides = cond->kind == N_OR;
            std::vector<size_t> first = JumpIf(cond->kids[0], decides);
            std::vector<size_t> second = JumpIf(cond->kids[1], when);
            if (decides == when) {
                second.insert(second.end(), first.begin(), first.end());
            } else {
                PatchAll(first, Here());
            }
            return second;
        }
        return {JumpIfOne(cond, when)};
    }

    size_t JumpIfOne(const Node* cond, bool when)
    {
        if (cond->kind == N_BINARY && IsComparison(cond->op) && cond->kids[1]->kind == N_CONST) {
            const Node* l = cond->kids[0];
            const Node* r = cond->kids[1];
            if (cond->op == OP_LT && ValueSlot(l) >= 0 && r->value.IsReal() && l->line == cond->line)
                return Emit(OPC_LOCAL_LT_JUMP_IF, cond->line, ValueSlot(l), when, 0, Constant(r->value));
            if (ArgumentSlot(l) >= 0 && l->line == cond->line)
                return Emit(OPC_ARG_COMPARE_JUMP_IF, cond->line, ArgumentSlot(l), when, cond->op, Constant(r->value));
            Value(l);
            return Emit(OPC_COMPARE_JUMP_IF, cond->line, Constant(r->value), when, cond->op);
        }
        if (cond->kind == N_BINARY && IsComparison(cond->op) && ValueSlot(cond->kids[1]) >= 0) {
            const Node* r = cond->kids[1];
            Value(cond->kids[0]);
            return Emit(OPC_COMPARE_LOCAL_JUMP_IF, cond->line, ValueSlot(r), when, cond->op, r->line);
        }
        Value(cond);
        return Emit(OPC_JUMP_IF, cond->line, 0, when);
    }

    void PatchAll(const std::vector<size_t>& jumps, size_t target)
    {
        for (size_t j : jumps) Patch(j, target);
    }

    // Runs a loop body with break and continue collected in a new target.
    Target Body(const Node* body, bool isSwitch = false)
    {
        m_targets.push_back(Target{isSwitch, m_height, {}, {}});
        MayNotRun(body);
        Target t = std::move(m_targets.back());
        m_targets.pop_back();
        return t;
    }

    // The breaks of a repeat or with run `ending` (the pop of the count, the end of the walk),
    // which the loop's own way out has already done.
    void Leave(const std::vector<size_t>& breaks, Opcode ending, int line)
    {
        if (breaks.empty()) return;
        size_t over = Emit(OPC_JUMP, line);
        PatchAll(breaks, Here());
        if (ending == OPC_POP) m_height++;  // the breaks arrive with the count still there
        Emit(ending, line);
        Patch(over, Here());
    }

    // A for loop whose step is `local += constant` (or -=) and whose condition compares that
    // local with a constant or another plain local, all on one line: the step and the test
    // become one instruction at the bottom, the test is also made once on the way in.
    bool StepLoop(const Node* n)
    {
        const Node* cond = n->kids[1];
        const Node* step = n->kids[2];
        if (step->kind != N_ASSIGN || (step->op != OP_ADD && step->op != OP_SUB)) return false;
        const Node* var = step->kids[0];
        const Node* by = step->kids[1];
        int slot = ValueSlot(var);
        if (slot < 0 || by->kind != N_CONST || !by->value.IsReal()) return false;
        if (cond->kind != N_BINARY || !IsComparison(cond->op) || ValueSlot(cond->kids[0]) != slot) return false;
        const Node* limit = cond->kids[1];
        int limitIndex;
        uint8_t flags = (uint8_t)cond->op;
        if (limit->kind == N_CONST) {
            limitIndex = Constant(limit->value);
        } else if (ValueSlot(limit) >= 0) {
            limitIndex = ValueSlot(limit);
            flags |= STEP_LOCAL_LIMIT;
        } else {
            return false;
        }
        int line = cond->line;
        if (limitIndex > 0xFFFF || step->line != line || var->line != line || cond->kids[0]->line != line ||
            limit->line != line)
            return false;
        if (step->op == OP_SUB) flags |= STEP_SUBTRACT;
        std::vector<size_t> skip = JumpIf(cond, false);
        size_t top = Here();
        Target t = Body(n->kids[3]);
        PatchAll(t.continues, Here());
        Patch(Emit(OPC_STEP_JUMP_IF, line, slot, limitIndex, flags, Constant(by->value)), top);
        PatchAll(skip, Here());
        PatchAll(t.breaks, Here());
        return true;
    }

    // A call just made as a statement: the built-in calls that have a form dropping their result
    // take it instead of a pop.
    bool DropResult()
    {
        VMIns& last = m_bc->code.back();
        int dropping = Code_Dropping(last.op);
        if (dropping == last.op) return false;
        last.op = (uint8_t)dropping;
        m_height--;
        return true;
    }

    void Jump(size_t target, int line) { Emit(OPC_JUMP, line, (int)target); }

    void Switch(const Node* n)
    {
        Value(n->kids[0]);
        std::vector<std::pair<size_t, size_t>> cases;  // (jump, kid)
        for (size_t k = 1; k < n->kids.size(); k++) {
            const Node* c = n->kids[k];
            if (c->kind != N_CASE) continue;
            Value(c->kids[0]);
            cases.emplace_back(Emit(OPC_CASE_JUMP, c->line), k);
        }
        Emit(OPC_POP, n->line);
        size_t noMatch = Emit(OPC_JUMP, n->line);
        m_targets.push_back(Target{true, m_height, {}, {}});
        size_t fallback = 0;
        bool hasDefault = false;
        // A label is entered from the switch, past the statements before it.
        std::vector<bool> sure = m_sure;
        for (size_t k = 1; k < n->kids.size(); k++) {
            const Node* c = n->kids[k];
            if (c->kind == N_CASE || c->kind == N_DEFAULT) m_sure = sure;
            if (c->kind == N_CASE) {
                for (auto& [jump, kid] : cases)
                    if (kid == k) Patch(jump, Here());
            } else if (c->kind == N_DEFAULT) {
                if (!hasDefault) fallback = Here();
                hasDefault = true;
            } else {
                Statement(c);
            }
        }
        m_sure = std::move(sure);
        Target t = std::move(m_targets.back());
        m_targets.pop_back();
        size_t end = Here();
        Patch(noMatch, hasDefault ? fallback : end);
        PatchAll(t.breaks, end);
    }

    void AddContinue(size_t jump)
    {
        for (size_t k = m_targets.size(); k-- > 0;) {
            if (m_targets[k].isSwitch) continue;
            m_targets[k].continues.push_back(jump);
            return;
        }
        m_bc->code[jump].op = OPC_EXIT;  // outside any loop continue ends the code
    }

    // A statement that may not run, or may be entered part way (the body of a condition or a
    // loop, the step of a for): what it sets is not surely set after it.
    void MayNotRun(const Node* n)
    {
        std::vector<bool> sure = m_sure;
        Statement(n);
        m_sure = std::move(sure);
    }

    void Statement(const Node* n)
    {
        switch (n->kind) {
        case N_BLOCK:
            for (const Node* k : n->kids) Statement(k);
            return;
        case N_ASSIGN: Assign(n); return;
        case N_CALLSTMT:
            Value(n->kids[0]);
            if (!DropResult()) Emit(OPC_POP, n->line);
            return;
        case N_IF: {
            std::vector<size_t> skip = JumpIf(n->kids[0], false);
            MayNotRun(n->kids[1]);
            if (n->kids.size() > 2) {
                size_t over = Emit(OPC_JUMP, n->line);
                PatchAll(skip, Here());
                MayNotRun(n->kids[2]);
                Patch(over, Here());
            } else {
                PatchAll(skip, Here());
            }
            return;
        }
        // Loops test their condition at the bottom: one jump an iteration.
        case N_WHILE: {
            size_t enter = Emit(OPC_JUMP, n->line);
            size_t top = Here();
            Target t = Body(n->kids[1]);
            PatchAll(t.continues, Here());
            Patch(enter, Here());
            PatchAll(JumpIf(n->kids[0], true), top);
            PatchAll(t.breaks, Here());
            return;
        }
        case N_DO: {
            size_t top = Here();
            Target t = Body(n->kids[0]);
            PatchAll(t.continues, Here());
            PatchAll(JumpIf(n->kids[1], false), top);
            PatchAll(t.breaks, Here());
            return;
        }
        case N_FOR: {
            Statement(n->kids[0]);
            if (StepLoop(n)) return;
            size_t enter = Emit(OPC_JUMP, n->line);
            size_t top = Here();
            Target t = Body(n->kids[3]);
            PatchAll(t.continues, Here());
            MayNotRun(n->kids[2]);
            Patch(enter, Here());
            PatchAll(JumpIf(n->kids[1], true), top);
            PatchAll(t.breaks, Here());
            return;
        }
        // repeat and with count or walk at the bottom, jumping back while they go on; a break
        // leaves through the pop or the end of the walk that going on would have done.
        case N_REPEAT: {
            Value(n->kids[0]);
            Emit(OPC_REPEAT_INIT, n->line);
            size_t enter = Emit(OPC_JUMP, n->line);
            size_t top = Here();
            Target t = Body(n->kids[1]);
            PatchAll(t.continues, Here());
            Patch(enter, Here());
            Patch(Emit(OPC_REPEAT_NEXT, n->line), top);
            Leave(t.breaks, OPC_POP, n->line);
            return;
        }
        case N_WITH: {
            Value(n->kids[0]);
            Emit(OPC_WITH_BEGIN, n->line);
            size_t enter = Emit(OPC_JUMP, n->line);
            size_t top = Here();
            Target t = Body(n->kids[1]);
            PatchAll(t.continues, Here());
            Patch(enter, Here());
            Patch(Emit(OPC_WITH_NEXT, n->line), top);
            Leave(t.breaks, OPC_WITH_END, n->line);
            return;
        }
        case N_SWITCH: Switch(n); return;
        case N_BREAK:
            if (m_targets.empty()) Emit(OPC_EXIT, n->line);
            else m_targets.back().breaks.push_back(Emit(OPC_JUMP, n->line));
            return;
        case N_CONTINUE: AddContinue(Emit(OPC_JUMP, n->line)); return;
        case N_EXIT: Emit(OPC_EXIT, n->line); return;
        case N_ACTION: Emit(OPC_ACTION, n->line, n->id); return;
        case N_RETURN: {
            // A constant, a plain local or an argument is pushed by the return itself (which
            // reports a read's error with its line).
            const Node* v = n->kids[0];
            if (v->kind == N_CONST) Emit(OPC_RETURN_CONST, n->line, Constant(v->value));
            else if (ValueSlot(v) >= 0 && v->line == n->line) Emit(OPC_RETURN_LOCAL, n->line, ValueSlot(v));
            else if (ArgumentSlot(v) >= 0 && v->line == n->line) Emit(OPC_RETURN_ARG, n->line, ArgumentSlot(v));
            else {
                Value(v);
                Emit(OPC_RETURN, n->line);
                return;
            }
            m_height--;  // what it pushed has left with it, as after a return of a value
            return;
        }
        default: Failure("Expression used as a statement.", n->line, false); return;
        }
    }
};

// The argument slots a script's frame must give the code: those it names, or all of them when
// an instruction may let other code see them (or does not say).
int ArgumentSlotsUsed(const ByteCode& bc)
{
    int slots = 0;
    for (const VMIns& i : bc.code) {
        OpcodeArgs args = Code_Opcodes[i.op].args;
        if (args != ARGS_UNTOUCHED && args != ARGS_NAMED) return ARGUMENT_SLOTS;
        if (args == ARGS_NAMED && i.a >= slots) slots = i.a + 1;
        if (Code_GenericOf(i.op) == OPC_ARG_BINARY_ARG && i.b >= slots) slots = i.b + 1;
    }
    return slots;
}

}  // namespace

ByteCode* Code_Generate(const CodeTree* tree, bool expression, std::string* error)
{
    if (!tree || !tree->root) {
        *error = "The code is not compiled.";
        return nullptr;
    }
    auto bc = std::make_unique<ByteCode>();
    bc->name = tree->name;
    bc->firstLine = tree->root->line;
    // About an instruction a node: grown once rather than step by step.
    bc->code.reserve(tree->nodes.size() + 2);
    bc->lines.reserve(tree->nodes.size() + 2);
    Generator g(tree, bc.get());
    if (expression) g.Expression(tree->root);
    else g.Program(tree->root);
    if (!g.error.empty()) {
        *error = "In " + tree->name + ": " + g.error;
        return nullptr;
    }
    bc->argSlots = ArgumentSlotsUsed(*bc);
    // The machine jumps by offsets from the jumping instruction.
    for (size_t k = 0; k < bc->code.size(); k++) {
        VMIns& i = bc->code[k];
        const OpcodeInfo& info = Code_Opcodes[i.op];
        if (info.flow == FLOW_BRANCH || info.flow == FLOW_GOTO) (info.jumpInC ? i.c : i.a) -= (int)k;
        Code_Specialize(*bc, &i);
    }
    if (g.mapCalls)
        for (VMIns& i : bc->code) Code_GiveCache(bc.get(), &i);
    Code_JoinPairs(bc.get());
#ifndef NDEBUG
    std::string problem;
    if (!Code_Verify(*bc, &problem)) {
        *error = "In " + tree->name + ": byte code fails verification: " + problem;
        return nullptr;
    }
#endif
    return bc.release();
}
