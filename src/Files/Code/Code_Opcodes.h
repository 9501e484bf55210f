// The byte code of the stack machine: its instructions, the table of their stack effects, and the
// verifier that checks generated code against that table.
#pragma once
#include "Support/DataStructures.h"
#include "Variable/Value.h"

#include <cstdint>
#include <string>
#include <vector>

class CVariable;
struct ByteCode;

// The operators that have forms of their own, in the order of their forms.
// X(operator, name in listings)
#define CODE_OPERATORS_FROM_DIV(X) X(DIV, div) X(IDIV, idiv) X(BITOR, or) X(BITAND, and) X(BITXOR, xor) X(SHL, shl) X(SHR, shr)
#define CODE_OPERATORS(X) X(ADD, add) X(SUB, sub) X(MUL, mul) CODE_OPERATORS_FROM_DIV(X)
// The comparisons with forms of their own (== has its own instruction).
#define CODE_COMPARISONS(X) X(LT, lt) X(LE, le) X(GT, gt) X(GE, ge) X(NE, ne)

enum Opcode : uint8_t {
    OPC_PUSH,         // a = constant
    OPC_POP,
    OPC_INDEX,        // checks and rounds the array index on top
    OPC_INDEX_LOCAL,  // pushes plain local a as a checked array index
    // Variable reads: x = number of indexes on the stack (all but the last already checked by
    // OPC_INDEX; the read checks the last itself).
    OPC_GET_LOCAL,    // a = slot of a `var` local never indexed (x = 0)
    OPC_GET_SELF,     // a = variable id, b = cache
    OPC_GET_GLOBAL,   // a = variable id, b = cache
    OPC_GET_BUILTIN,  // a = built-in index
    OPC_GET_DOT,      // a = variable id; the target lies below the indexes
    OPC_GET_ARG,      // a = argument slot
    OPC_GET_ARRAY,    // a = slot of a `var` local that the code indexes
    // The same reads with their last index the value of the plain local c (checked by the read);
    // x = the indexes on the stack before it.
    OPC_GET_SELF_AT, OPC_GET_GLOBAL_AT, OPC_GET_ARRAY_AT,
    // Variable writes: the value is on top; y = the operator of a compound assignment (OP_SET
    // for a plain one); c = the line of the assignment, for errors of the operator.
    OPC_SET_LOCAL,
    OPC_SET_SELF,
    OPC_SET_GLOBAL,
    OPC_SET_BUILTIN,
    OPC_SET_DOT,
    OPC_SET_ARG,
    OPC_SET_ARRAY,
    // Operators: y = the NodeOp.
    OPC_UNARY,
    OPC_BINARY,
    OPC_ADD, OPC_SUB, OPC_MUL, OPC_LT, OPC_LE, OPC_GT, OPC_GE, OPC_EQ, OPC_NE,
    OPC_AND_JUMP,     // x = 1 for ||: a truth value that decides the result jumps to a with it
    OPC_TO_BOOL,      // x = 1 for ||: the second operand as 1 or 0
    // Control flow: a = the target's offset from the jumping instruction (c in those marked
    // jumpInC).
    OPC_JUMP,
    OPC_JUMP_IF,      // pops a condition; jumps when whether it holds is x (1 or 0)
    OPC_CASE_JUMP,    // compares the case value on top with the switch value below; equal jumps
    OPC_REPEAT_INIT,  // the repeat count on top becomes a whole number
    OPC_REPEAT_NEXT,  // while the count on top is 1 or more takes one from it and jumps; else pops it
    OPC_WITH_BEGIN,   // pops the target, starts the walk over its instances
    OPC_WITH_NEXT,    // makes the next instance self and jumps, or ends the walk
    OPC_WITH_END,     // ends the walk early (break)
    // Calls: a = id, x = argument count (built-ins padded to their registered count).
    OPC_CALL,
    OPC_CALL_SCRIPT,
    OPC_CALL_EXT,
    OPC_RETURN,       // pops the result and ends the code
    OPC_EXIT,         // ends the code with the real 0
    OPC_FAIL,         // a = constant: the message of a run-time error
    // Fused forms of common sequences.
    OPC_LOCAL_LT_JUMP_IF,     // jumps to c when whether local a < constant b is x
    OPC_ADD_LOCAL_CONST,      // local a += constant b (c = line of the assignment)
    OPC_BINARY_CONST,         // the value on top, operator y, constant a
    OPC_BINARY_LOCAL,         // the value on top, operator y, local b (c = the local's line)
    OPC_COMPARE_JUMP_IF,      // pops a value; jumps to c when whether (value y constant a) is x
    OPC_COMPARE_LOCAL_JUMP_IF,  // likewise with local a (b = the local's line)
    // OPC_BINARY_CONST for one operator each (y is that operator too).
    OPC_ADD_CONST, OPC_SUB_CONST, OPC_MUL_CONST, OPC_MOD_CONST,
    OPC_LOCAL_BINARY_CONST,   // pushes local a, operator y, constant b
    // The step and test of a for loop: local a += constant b (-= when y has STEP_SUBTRACT), then
    // jumps to c when local a compares (y & STEP_COMPARE) with constant x (local x when y has
    // STEP_LOCAL_LIMIT).
    OPC_STEP_JUMP_IF,
    // Calls of the data-structure built-ins that code calls most (a = id), which the machine
    // makes itself in the common case; their operands are described by y, b and c (see
    // Code_OperandSource), x of them on the stack.
    OPC_MAP_FIND_VALUE, OPC_MAP_REPLACE, OPC_LIST_FIND_VALUE, OPC_GRID_GET, OPC_GRID_SET,
    // An argument slot read by name and used at once, as get_arg followed by the instruction
    // each replaces.
    OPC_ARG_BINARY_CONST,     // pushes argument a, operator y, constant b
    OPC_ARG_COMPARE_JUMP_IF,  // jumps to c when whether (argument a, operator y, constant b) is x
    OPC_BINARY_ARG,           // the value on top, operator y, argument a
    // Faster forms of the commonest cases (see Code_Specialize), with the operands of the
    // instruction in brackets, which they fall back on for anything but reals:
    OPC_STEP_LT,              // [step_jump_if] adding, while below constant x
    OPC_STEP_LT_LOCAL,        // [step_jump_if] adding, while below local x
    OPC_ADD_TO_LOCAL,         // [set_local] +=
    OPC_MOD_INT_CONST,        // [mod_const] by a whole constant, b = that constant
    OPC_LOCAL_MOD_INT_CONST,  // [local_binary_const] mod a whole constant, c = that constant
    // The built-in calls made as statements: the result is dropped.
    OPC_MAP_REPLACE_DROP, OPC_GRID_SET_DROP,
    OPC_EQ_JUMP_IF,           // [compare_jump_if] ==
    // One form for each operator of [local_binary_const] (OPC_LOCAL_CONST_ADD...), of
    // [binary_local] (OPC_STACK_LOCAL_ADD...) and, from DIV on, of [binary_const]
    // (OPC_STACK_CONST_DIV...): each its own dispatch, which the processor predicts.
#define CODE_FORM(family, o) OPC_##family##_##o,
#define CODE_LOCAL_CONST_FORM(o, name) CODE_FORM(LOCAL_CONST, o)
#define CODE_STACK_LOCAL_FORM(o, name) CODE_FORM(STACK_LOCAL, o)
#define CODE_STACK_CONST_FORM(o, name) CODE_FORM(STACK_CONST, o)
    CODE_OPERATORS(CODE_LOCAL_CONST_FORM)
    CODE_OPERATORS(CODE_STACK_LOCAL_FORM)
    CODE_OPERATORS_FROM_DIV(CODE_STACK_CONST_FORM)
    OPC_CALL_DROP,            // [call] made as a statement
    OPC_MAP_FIND_LOCAL_CONST, // [map_find_value] of the map in a local by a constant key
    OPC_MAP_FIND_LOCAL_STACK, // [map_find_value] of the map in a local by the key on top
    OPC_GRID_GET_LOCALS,      // [grid_get] grid and cell from locals
    OPC_GRID_SET_LOCALS_DROP, // [grid_set_drop] grid and cell from locals, the value on top
    OPC_ACTION,               // action a of the event or moment begins (its number for errors)
    // One form for each operator of [arg_binary_const] (OPC_ARG_CONST_ADD...) and of
    // [binary_arg] (OPC_STACK_ARG_ADD...).
#define CODE_ARG_CONST_FORM(o, name) CODE_FORM(ARG_CONST, o)
#define CODE_STACK_ARG_FORM(o, name) CODE_FORM(STACK_ARG, o)
    CODE_OPERATORS(CODE_ARG_CONST_FORM)
    CODE_OPERATORS(CODE_STACK_ARG_FORM)
    OPC_MAP_REPLACE_LOCAL_CONST_DROP,  // [map_replace_drop] of the map in a local by a constant
                                       // key, the value on top
    OPC_STRING_CHAR_AT,  // a call of string_char_at the machine makes itself (operands as above)
    // One form for each comparison of [compare_jump_if] but == (OPC_COMPARE_CONST_LT...).
#define CODE_COMPARE_CONST_FORM(o, name) OPC_COMPARE_CONST_##o,
    CODE_COMPARISONS(CODE_COMPARE_CONST_FORM)
#undef CODE_COMPARE_CONST_FORM
    OPC_GET_SELF_VALUE,       // [get_self] without indexes
    OPC_SET_SELF_VALUE,       // [set_self] without indexes
    // One form for each comparison of [arg_compare_jump_if] but == (OPC_ARG_COMPARE_LT...).
#define CODE_ARG_COMPARE_FORM(o, name) OPC_ARG_COMPARE_##o,
    CODE_COMPARISONS(CODE_ARG_COMPARE_FORM)
#undef CODE_ARG_COMPARE_FORM
    // return of constant a, of plain local a, of argument slot a: the push and the return.
    OPC_RETURN_CONST, OPC_RETURN_LOCAL, OPC_RETURN_ARG,
    OPC_ARG_BINARY_ARG,       // pushes argument a, operator y, argument b
    // One form for each operator of [arg_binary_arg] (OPC_ARG_ARG_ADD...).
#define CODE_ARG_ARG_FORM(o, name) CODE_FORM(ARG_ARG, o)
    CODE_OPERATORS(CODE_ARG_ARG_FORM)
#undef CODE_ARG_ARG_FORM
    OPC_LOCAL_BINARY_ARG,     // pushes plain local b, operator y, argument a
    // One form for each operator of [local_binary_arg] (OPC_LOCAL_ARG_ADD...).
#define CODE_LOCAL_ARG_FORM(o, name) CODE_FORM(LOCAL_ARG, o)
    CODE_OPERATORS(CODE_LOCAL_ARG_FORM)
#undef CODE_LOCAL_ARG_FORM
    OPC_SET_ARRAY_ELEMENT,    // [set_array] = of one index
    OPC_GET_ARRAY_ELEMENT_AT, // [get_array_at] of one index
    // [map_find_local_const] and [map_replace_local_const_drop] by a text, through the cache
    // Code_CacheOf names.
    OPC_MAP_FIND_LOCAL_TEXT, OPC_MAP_REPLACE_LOCAL_TEXT_DROP,
    OPC_LOCAL_BINARY_LOCAL,   // pushes plain local a, operator y, plain local b
    // One form for each operator of [local_binary_local] (OPC_LOCAL_LOCAL_ADD...).
#define CODE_LOCAL_LOCAL_FORM(o, name) CODE_FORM(LOCAL_LOCAL, o)
    CODE_OPERATORS(CODE_LOCAL_LOCAL_FORM)
#undef CODE_LOCAL_LOCAL_FORM
    // Pairs of instructions run as one (see Code_JoinPairs): the first takes the pair's opcode,
    // the second stays where it was, for the jumps to it and for the pair's slow path, which is
    // the first instruction alone.
    OPC_ELEMENT_ADD_TO_LOCAL,      // [get_array_element_at] then add_to_local
    OPC_LOCAL_MOD_INT_EQ_JUMP_IF,  // [local_mod_int_const] then eq_jump_if
    // A loop body's last statement then the loop's step: [add_to_local] or [set_array_element]
    // then step_lt or step_lt_local.
    OPC_ADD_TO_LOCAL_STEP_LT, OPC_ADD_TO_LOCAL_STEP_LT_LOCAL, OPC_SET_ELEMENT_STEP_LT, OPC_SET_ELEMENT_STEP_LT_LOCAL,
    // A map read added to a local: [map_find_local_stack] then add_to_local, add_to_local_step_lt
    // or add_to_local_step_lt_local (a pair itself, whose step is made too).
    OPC_MAP_FIND_ADD_TO_LOCAL, OPC_MAP_FIND_ADD_STEP_LT, OPC_MAP_FIND_ADD_STEP_LT_LOCAL,
    // A remainder by a whole constant that is a map's key: [mod_int_const] then
    // map_find_local_stack or one of the three pairs above.
    OPC_MOD_MAP_FIND, OPC_MOD_MAP_FIND_ADD_TO_LOCAL, OPC_MOD_MAP_FIND_ADD_STEP_LT, OPC_MOD_MAP_FIND_ADD_STEP_LT_LOCAL,
    // Index arithmetic, x * k + b and x * y + b: [local_mul_const] or [local_mul_local] then
    // add_local.
    OPC_LOCAL_MUL_CONST_ADD_LOCAL, OPC_LOCAL_MUL_LOCAL_ADD_LOCAL,
    OPC_SET_SELF_ELEMENT,     // [set_self] = of one or two indexes
    // [set_self_element] then step_lt or step_lt_local.
    OPC_SET_SELF_ELEMENT_STEP_LT, OPC_SET_SELF_ELEMENT_STEP_LT_LOCAL,
    // Chains of three, a pair whose second is a pair: [get_array_element_at] or [get_self_at] then
    // add_to_local_step_lt or add_to_local_step_lt_local (s += a[i] ending a loop's body).
    OPC_ELEMENT_ADD_STEP_LT, OPC_ELEMENT_ADD_STEP_LT_LOCAL, OPC_SELF_ELEMENT_ADD_STEP_LT, OPC_SELF_ELEMENT_ADD_STEP_LT_LOCAL,
#undef CODE_FORM
#undef CODE_LOCAL_CONST_FORM
#undef CODE_STACK_LOCAL_FORM
#undef CODE_STACK_CONST_FORM
#undef CODE_ARG_CONST_FORM
#undef CODE_STACK_ARG_FORM
    OPC_COUNT
};

enum : uint8_t {
    STEP_COMPARE = 0x1F,
    STEP_SUBTRACT = 0x40,
    STEP_LOCAL_LIMIT = 0x80,
};

enum OpcodeFlow : uint8_t {
    FLOW_NEXT,    // goes on with the next instruction
    FLOW_GOTO,    // always jumps to a
    FLOW_BRANCH,  // jumps to a or goes on
    FLOW_STOP,    // ends the code
};

// What an instruction does with the argument slots. A script's frame holds only the slots its
// code names when every instruction of the code leaves the others alone (ByteCode::argSlots), so
// every opcode must say; a test holds the table to that.
enum OpcodeArgs : uint8_t {
    ARGS_UNDECIDED,  // an entry that forgot to say (taken as ARGS_SHARED)
    ARGS_UNTOUCHED,  // leaves them alone
    ARGS_NAMED,      // reads or writes argument slot a (and b of arg_binary_arg), by name
    ARGS_SHARED,     // may let other code see every slot: it calls a built-in (which may run code
                     // or an extension), or reaches a built-in variable (argument[i] among them)
};

struct OpcodeInfo {
    const char* name;
    int8_t pops;       // values taken, plus x when perX
    int8_t pushes;     // values left when it goes on
    bool perX;         // also takes x values (indexes or arguments)
    OpcodeFlow flow;
    int8_t jumpDelta;  // for a branch: the change of height when it jumps
    bool jumpInC;      // the target is in c instead of a
    OpcodeArgs args;
};

extern const OpcodeInfo Code_Opcodes[OPC_COUNT];

struct VMIns {
    uint8_t op;
    uint8_t y = 0;
    uint16_t x = 0;
    int32_t a = 0;
    int32_t b = 0;
    int32_t c = 0;
};

// Operand k of the data-structure calls comes from the source in bits 2k and 2k + 1 of y, at the
// 16-bit index k of b (operands 0 and 1) and c (operands 2 and 3): its place among the operands
// on the stack, the slot of a plain local (one the code has surely set by then) or a constant.
enum : uint8_t { OPERAND_STACK, OPERAND_LOCAL, OPERAND_CONSTANT };
inline int Code_OperandSource(const VMIns& i, int k)
{
    return (i.y >> (2 * k)) & 3;
}
inline int Code_OperandIndex(const VMIns& i, int k)
{
    return (int)(((uint32_t)(k < 2 ? i.b : i.c) >> (16 * (k & 1))) & 0xFFFF);
}
// The argument count of those calls; 0 for any other opcode.
int Code_OperandCount(int op);
// The instruction a faster form stands for (op itself for any other).
int Code_GenericOf(int op);
// The form of a call instruction that drops its result (op itself when it has none).
int Code_Dropping(int op);
// Gives a generated instruction its faster form when it has one for its operator and operands.
void Code_Specialize(const ByteCode& bc, VMIns* i);
// The cache of a map call by a text (OPC_MAP_FIND_LOCAL_TEXT...): its index among the code's,
// in the upper half of c, where a fourth operand would be.
inline int Code_CacheOf(const VMIns& i)
{
    return (int)((uint32_t)i.c >> 16);
}
// A map call by a constant text (of those Code_Specialize gives) takes its form with a new cache
// of the code's, while the code has fewer than 65536.
void Code_GiveCache(ByteCode* bc, VMIns* i);
// The instruction a form with a cache stands for, without it (i itself for any other).
VMIns Code_Uncached(const VMIns& i);
// Gives each instruction that a pair begins the pair's opcode; after Code_Specialize. The second
// of a pair may be a pair itself, never the first of another.
void Code_JoinPairs(ByteCode* bc);
// The first instruction of pair op and the second it relies on; false for any other opcode.
bool Code_PairOf(int op, int* first, int* second);

struct ByteCode {
    std::vector<VMIns> code;
    std::vector<int> lines;  // the source line of each instruction
    std::vector<TaggedValue> constants;
    std::vector<std::string> localNames;  // `var` locals never indexed: values in the frame
    std::vector<std::string> arrayNames;  // `var` locals the code indexes: whole variables
    // For each instance or global variable access, where its variable was last found in its
    // list (CVariableList::Find); updated as the code runs.
    mutable std::vector<int> hints;
    // What each map call by a constant text found last (Code_CacheOf); updated as the code runs.
    mutable std::vector<DS_MapCache> mapCaches;
    int maxStack = 0;        // the highest the operand stack grows
    int firstLine = 0;       // the line of the code's start, for errors raised on entry
    int localCount = 0;      // localNames.size(), read on every call
    int arrayCount = 0;      // arrayNames.size()
    // The argument slots a call must give the code as a script: those it names, or all 16 when
    // something else may see them (a built-in, code run from one, argument[i]).
    int argSlots = 16;
    std::string name;
};

// Checks code against the opcode table: operands in range, every jump to an instruction, the
// same stack height on every path into an instruction, no pop below the frame, and the stack
// never above maxStack. false with *error naming the instruction.
bool Code_Verify(const ByteCode& bc, std::string* error);
// A readable listing of byte code, one instruction a line.
std::string Code_ListByteCode(const ByteCode& bc);
