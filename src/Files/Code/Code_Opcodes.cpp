#include "Code/Code_Opcodes.h"
#include "Code/Code_Tree.h"

#include <cstdio>

// name, pops, pushes, perX, flow, jumpDelta, jumpInC, args
const OpcodeInfo Code_Opcodes[OPC_COUNT] = {
    {"push", 0, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"pop", 1, 0, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"index", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"index_local", 0, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"get_local", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"get_self", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"get_global", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"get_builtin", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"get_dot", 1, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"get_arg", 0, 1, false, FLOW_NEXT, 0, false, ARGS_NAMED},
    {"get_array", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"get_self_at", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"get_global_at", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"get_array_at", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"set_local", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"set_self", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"set_global", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"set_builtin", 1, 0, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"set_dot", 2, 0, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"set_arg", 1, 0, false, FLOW_NEXT, 0, false, ARGS_NAMED},
    {"set_array", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"unary", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"binary", 2, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"add", 2, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"sub", 2, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"mul", 2, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"lt", 2, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"le", 2, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"gt", 2, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"ge", 2, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"eq", 2, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"ne", 2, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"and_jump", 1, 0, false, FLOW_BRANCH, 0, false, ARGS_UNTOUCHED},
    {"to_bool", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"jump", 0, 0, false, FLOW_GOTO, 0, false, ARGS_UNTOUCHED},
    {"jump_if", 1, 0, false, FLOW_BRANCH, -1, false, ARGS_UNTOUCHED},
    {"case_jump", 2, 1, false, FLOW_BRANCH, -2, false, ARGS_UNTOUCHED},
    {"repeat_init", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"repeat_next", 1, 0, false, FLOW_BRANCH, 0, false, ARGS_UNTOUCHED},
    {"with_begin", 1, 0, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"with_next", 0, 0, false, FLOW_BRANCH, 0, false, ARGS_UNTOUCHED},
    {"with_end", 0, 0, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"call", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"call_script", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"call_ext", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"return", 1, 0, false, FLOW_STOP, 0, false, ARGS_UNTOUCHED},
    {"exit", 0, 0, false, FLOW_STOP, 0, false, ARGS_UNTOUCHED},
    {"fail", 0, 0, false, FLOW_STOP, 0, false, ARGS_UNTOUCHED},
    {"local_lt_jump_if", 0, 0, false, FLOW_BRANCH, 0, true, ARGS_UNTOUCHED},
    {"add_local_const", 0, 0, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"binary_const", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"binary_local", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"compare_jump_if", 1, 0, false, FLOW_BRANCH, -1, true, ARGS_UNTOUCHED},
    {"compare_local_jump_if", 1, 0, false, FLOW_BRANCH, -1, true, ARGS_UNTOUCHED},
    {"add_const", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"sub_const", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"mul_const", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"mod_const", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"local_binary_const", 0, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"step_jump_if", 0, 0, false, FLOW_BRANCH, 0, true, ARGS_UNTOUCHED},
    {"map_find_value", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"map_replace", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"list_find_value", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"grid_get", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"grid_set", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"arg_binary_const", 0, 1, false, FLOW_NEXT, 0, false, ARGS_NAMED},
    {"arg_compare_jump_if", 0, 0, false, FLOW_BRANCH, 0, true, ARGS_NAMED},
    {"binary_arg", 1, 1, false, FLOW_NEXT, 0, false, ARGS_NAMED},
    {"step_lt", 0, 0, false, FLOW_BRANCH, 0, true, ARGS_UNTOUCHED},
    {"step_lt_local", 0, 0, false, FLOW_BRANCH, 0, true, ARGS_UNTOUCHED},
    {"add_to_local", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"mod_int_const", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"local_mod_int_const", 0, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"map_replace_drop", 0, 0, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"grid_set_drop", 0, 0, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"eq_jump_if", 1, 0, false, FLOW_BRANCH, -1, true, ARGS_UNTOUCHED},
#define LOCAL_CONST(o, name) {"local_" #name "_const", 0, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
#define STACK_LOCAL(o, name) {#name "_local", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
#define STACK_CONST(o, name) {#name "_const", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    CODE_OPERATORS(LOCAL_CONST) CODE_OPERATORS(STACK_LOCAL) CODE_OPERATORS_FROM_DIV(STACK_CONST)
    {"call_drop", 0, 0, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"map_find_local_const", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"map_find_local_stack", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"grid_get_locals", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"grid_set_locals_drop", 0, 0, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"action", 0, 0, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
#define ARG_CONST(o, name) {"arg_" #name "_const", 0, 1, false, FLOW_NEXT, 0, false, ARGS_NAMED},
#define STACK_ARG(o, name) {#name "_arg", 1, 1, false, FLOW_NEXT, 0, false, ARGS_NAMED},
    CODE_OPERATORS(ARG_CONST) CODE_OPERATORS(STACK_ARG)
    {"map_replace_local_const_drop", 0, 0, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"string_char_at", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
#define COMPARE_CONST(o, name) {#name "_jump_if", 1, 0, false, FLOW_BRANCH, -1, true, ARGS_UNTOUCHED},
    CODE_COMPARISONS(COMPARE_CONST)
#undef COMPARE_CONST
    {"get_self_value", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"set_self_value", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
#define ARG_COMPARE(o, name) {"arg_" #name "_jump_if", 0, 0, false, FLOW_BRANCH, 0, true, ARGS_NAMED},
    CODE_COMPARISONS(ARG_COMPARE)
#undef ARG_COMPARE
    {"return_const", 0, 1, false, FLOW_STOP, 0, false, ARGS_UNTOUCHED},
    {"return_local", 0, 1, false, FLOW_STOP, 0, false, ARGS_UNTOUCHED},
    {"return_arg", 0, 1, false, FLOW_STOP, 0, false, ARGS_NAMED},
    {"arg_binary_arg", 0, 1, false, FLOW_NEXT, 0, false, ARGS_NAMED},
#define ARG_ARG(o, name) {"arg_" #name "_arg", 0, 1, false, FLOW_NEXT, 0, false, ARGS_NAMED},
    CODE_OPERATORS(ARG_ARG)
#undef ARG_ARG
    {"local_binary_arg", 0, 1, false, FLOW_NEXT, 0, false, ARGS_NAMED},
#define LOCAL_ARG(o, name) {"local_" #name "_arg", 0, 1, false, FLOW_NEXT, 0, false, ARGS_NAMED},
    CODE_OPERATORS(LOCAL_ARG)
#undef LOCAL_ARG
    {"set_array_element", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"get_array_element_at", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"map_find_local_text", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"map_replace_local_text_drop", 0, 0, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"local_binary_local", 0, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
#define LOCAL_LOCAL(o, name) {"local_" #name "_local", 0, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    CODE_OPERATORS(LOCAL_LOCAL)
#undef LOCAL_LOCAL
    {"element_add_to_local", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"local_mod_int_eq_jump_if", 0, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"add_to_local_step_lt", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"add_to_local_step_lt_local", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"set_element_step_lt", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"set_element_step_lt_local", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"map_find_add_to_local", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"map_find_add_step_lt", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"map_find_add_step_lt_local", 0, 1, true, FLOW_NEXT, 0, false, ARGS_SHARED},
    {"mod_map_find", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"mod_map_find_add_to_local", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"mod_map_find_add_step_lt", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"mod_map_find_add_step_lt_local", 1, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"local_mul_const_add_local", 0, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"local_mul_local_add_local", 0, 1, false, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"set_self_element", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"set_self_element_step_lt", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"set_self_element_step_lt_local", 1, 0, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"element_add_step_lt", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"element_add_step_lt_local", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"self_element_add_step_lt", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
    {"self_element_add_step_lt_local", 0, 1, true, FLOW_NEXT, 0, false, ARGS_UNTOUCHED},
#undef LOCAL_CONST
#undef STACK_LOCAL
#undef STACK_CONST
#undef ARG_CONST
#undef STACK_ARG
};

int Code_OperandCount(int op)
{
    switch (Code_GenericOf(op)) {
    case OPC_MAP_FIND_VALUE:
    case OPC_LIST_FIND_VALUE:
    case OPC_STRING_CHAR_AT: return 2;
    case OPC_MAP_REPLACE:
    case OPC_GRID_GET: return 3;
    case OPC_GRID_SET: return 4;
    default: return 0;
    }
}

int Code_GenericOf(int op)
{
    switch (op) {
    case OPC_STEP_LT:
    case OPC_STEP_LT_LOCAL: return OPC_STEP_JUMP_IF;
    case OPC_ADD_TO_LOCAL:
    case OPC_ADD_TO_LOCAL_STEP_LT:
    case OPC_ADD_TO_LOCAL_STEP_LT_LOCAL: return OPC_SET_LOCAL;
    case OPC_MOD_INT_CONST:
    case OPC_MOD_MAP_FIND:
    case OPC_MOD_MAP_FIND_ADD_TO_LOCAL:
    case OPC_MOD_MAP_FIND_ADD_STEP_LT:
    case OPC_MOD_MAP_FIND_ADD_STEP_LT_LOCAL: return OPC_MOD_CONST;
    case OPC_LOCAL_MOD_INT_CONST: return OPC_LOCAL_BINARY_CONST;
    case OPC_MAP_REPLACE_DROP:
    case OPC_MAP_REPLACE_LOCAL_CONST_DROP:
    case OPC_MAP_REPLACE_LOCAL_TEXT_DROP: return OPC_MAP_REPLACE;
    case OPC_GRID_SET_DROP:
    case OPC_GRID_SET_LOCALS_DROP: return OPC_GRID_SET;
    case OPC_GRID_GET_LOCALS: return OPC_GRID_GET;
    case OPC_EQ_JUMP_IF: return OPC_COMPARE_JUMP_IF;
    case OPC_GET_SELF_VALUE: return OPC_GET_SELF;
#define ARG_COMPARE(o, name) case OPC_ARG_COMPARE_##o:
    CODE_COMPARISONS(ARG_COMPARE)
#undef ARG_COMPARE
        return OPC_ARG_COMPARE_JUMP_IF;
    case OPC_SET_SELF_VALUE:
    case OPC_SET_SELF_ELEMENT:
    case OPC_SET_SELF_ELEMENT_STEP_LT:
    case OPC_SET_SELF_ELEMENT_STEP_LT_LOCAL: return OPC_SET_SELF;
    case OPC_LOCAL_MUL_CONST_ADD_LOCAL: return OPC_LOCAL_BINARY_CONST;
    case OPC_LOCAL_MUL_LOCAL_ADD_LOCAL: return OPC_LOCAL_BINARY_LOCAL;
    case OPC_SET_ARRAY_ELEMENT:
    case OPC_SET_ELEMENT_STEP_LT:
    case OPC_SET_ELEMENT_STEP_LT_LOCAL: return OPC_SET_ARRAY;
    case OPC_GET_ARRAY_ELEMENT_AT:
    case OPC_ELEMENT_ADD_TO_LOCAL:
    case OPC_ELEMENT_ADD_STEP_LT:
    case OPC_ELEMENT_ADD_STEP_LT_LOCAL: return OPC_GET_ARRAY_AT;
    case OPC_SELF_ELEMENT_ADD_STEP_LT:
    case OPC_SELF_ELEMENT_ADD_STEP_LT_LOCAL: return OPC_GET_SELF_AT;
    case OPC_LOCAL_MOD_INT_EQ_JUMP_IF: return OPC_LOCAL_BINARY_CONST;
#define COMPARE_CONST(o, name) case OPC_COMPARE_CONST_##o:
    CODE_COMPARISONS(COMPARE_CONST)
#undef COMPARE_CONST
        return OPC_COMPARE_JUMP_IF;
    case OPC_CALL_DROP: return OPC_CALL;
    case OPC_MAP_FIND_LOCAL_CONST:
    case OPC_MAP_FIND_LOCAL_STACK:
    case OPC_MAP_FIND_LOCAL_TEXT:
    case OPC_MAP_FIND_ADD_TO_LOCAL:
    case OPC_MAP_FIND_ADD_STEP_LT:
    case OPC_MAP_FIND_ADD_STEP_LT_LOCAL: return OPC_MAP_FIND_VALUE;
    default:
        if (op >= OPC_LOCAL_CONST_ADD && op < OPC_STACK_LOCAL_ADD) return OPC_LOCAL_BINARY_CONST;
        if (op >= OPC_STACK_LOCAL_ADD && op < OPC_STACK_CONST_DIV) return OPC_BINARY_LOCAL;
        if (op >= OPC_STACK_CONST_DIV && op <= OPC_STACK_CONST_SHR) return OPC_BINARY_CONST;
        if (op >= OPC_ARG_CONST_ADD && op < OPC_STACK_ARG_ADD) return OPC_ARG_BINARY_CONST;
        if (op >= OPC_STACK_ARG_ADD && op <= OPC_STACK_ARG_SHR) return OPC_BINARY_ARG;
        if (op >= OPC_ARG_ARG_ADD && op <= OPC_ARG_ARG_SHR) return OPC_ARG_BINARY_ARG;
        if (op >= OPC_LOCAL_ARG_ADD && op <= OPC_LOCAL_ARG_SHR) return OPC_LOCAL_BINARY_ARG;
        if (op >= OPC_LOCAL_LOCAL_ADD && op <= OPC_LOCAL_LOCAL_SHR) return OPC_LOCAL_BINARY_LOCAL;
        return op;
    }
}

int Code_Dropping(int op)
{
    switch (op) {
    case OPC_CALL: return OPC_CALL_DROP;
    case OPC_MAP_REPLACE: return OPC_MAP_REPLACE_DROP;
    case OPC_GRID_SET: return OPC_GRID_SET_DROP;
    default: return op;
    }
}

namespace {

// The place of an operator among those with forms of their own, or -1.
int OperatorForm(int op)
{
#define PLACE(o, name) OP_##o,
    static const uint8_t operators[] = {CODE_OPERATORS(PLACE)};
#undef PLACE
    for (size_t k = 0; k < sizeof operators; k++)
        if (operators[k] == op) return (int)k;
    return -1;
}

// A divisor the whole-number remainder takes as it stands: whole, in 32 bits, neither 0 nor -1
// (whose remainder the processor's division cannot make); 0 when it is not one.
int32_t WholeDivisor(const TaggedValue& k)
{
    if (!k.IsReal() || !(k.val >= -2147483648.0 && k.val <= 2147483647.0)) return 0;
    int32_t d = (int32_t)k.val;
    return (double)d == k.val && d != -1 ? d : 0;
}

}  // namespace

void Code_Specialize(const ByteCode& bc, VMIns* i)
{
    switch (i->op) {
    case OPC_STEP_JUMP_IF:
        if ((i->y & (STEP_COMPARE | STEP_SUBTRACT)) == OP_LT) i->op = (i->y & STEP_LOCAL_LIMIT) ? OPC_STEP_LT_LOCAL : OPC_STEP_LT;
        break;
    case OPC_SET_LOCAL:
        if (i->y == OP_ADD) i->op = OPC_ADD_TO_LOCAL;
        break;
    case OPC_GET_SELF:
        if (i->x == 0) i->op = OPC_GET_SELF_VALUE;
        break;
    case OPC_SET_SELF:
        if (i->x == 0) i->op = OPC_SET_SELF_VALUE;
        else if (i->y == OP_SET) i->op = OPC_SET_SELF_ELEMENT;
        break;
    case OPC_SET_ARRAY:
        if (i->x == 1 && i->y == OP_SET) i->op = OPC_SET_ARRAY_ELEMENT;
        break;
    case OPC_GET_ARRAY_AT:
        if (i->x == 0) i->op = OPC_GET_ARRAY_ELEMENT_AT;
        break;
    case OPC_BINARY_LOCAL:
        if (OperatorForm(i->y) >= 0) i->op = (uint8_t)(OPC_STACK_LOCAL_ADD + OperatorForm(i->y));
        break;
    case OPC_BINARY_CONST:
        if (OperatorForm(i->y) >= OperatorForm(OP_DIV)) i->op = (uint8_t)(OPC_STACK_CONST_DIV + OperatorForm(i->y) - OperatorForm(OP_DIV));
        break;
    case OPC_ARG_BINARY_CONST:
        if (OperatorForm(i->y) >= 0) i->op = (uint8_t)(OPC_ARG_CONST_ADD + OperatorForm(i->y));
        break;
    case OPC_BINARY_ARG:
        if (OperatorForm(i->y) >= 0) i->op = (uint8_t)(OPC_STACK_ARG_ADD + OperatorForm(i->y));
        break;
    case OPC_ARG_BINARY_ARG:
        if (OperatorForm(i->y) >= 0) i->op = (uint8_t)(OPC_ARG_ARG_ADD + OperatorForm(i->y));
        break;
    case OPC_LOCAL_BINARY_ARG:
        if (OperatorForm(i->y) >= 0) i->op = (uint8_t)(OPC_LOCAL_ARG_ADD + OperatorForm(i->y));
        break;
    case OPC_LOCAL_BINARY_LOCAL:
        if (OperatorForm(i->y) >= 0) i->op = (uint8_t)(OPC_LOCAL_LOCAL_ADD + OperatorForm(i->y));
        break;
    case OPC_ARG_COMPARE_JUMP_IF:
#define ARG_COMPARE(o, name) if (i->y == OP_##o) i->op = OPC_ARG_COMPARE_##o;
        CODE_COMPARISONS(ARG_COMPARE)
#undef ARG_COMPARE
        break;
    case OPC_MOD_CONST:
        if ((i->b = WholeDivisor(bc.constants[(size_t)i->a])) != 0) i->op = OPC_MOD_INT_CONST;
        break;
    case OPC_LOCAL_BINARY_CONST:
        if (i->y == OP_MOD && (i->c = WholeDivisor(bc.constants[(size_t)i->b])) != 0) i->op = OPC_LOCAL_MOD_INT_CONST;
        else if (OperatorForm(i->y) >= 0) i->op = (uint8_t)(OPC_LOCAL_CONST_ADD + OperatorForm(i->y));
        break;
    case OPC_COMPARE_JUMP_IF:
        if (i->y == OP_EQ) i->op = OPC_EQ_JUMP_IF;
#define COMPARE_CONST(o, name) else if (i->y == OP_##o) i->op = OPC_COMPARE_CONST_##o;
        CODE_COMPARISONS(COMPARE_CONST)
#undef COMPARE_CONST
        break;
    case OPC_GRID_GET:
    case OPC_GRID_SET_DROP: {
        bool locals = true;
        for (int k = 0; k < 3; k++) locals = locals && Code_OperandSource(*i, k) == OPERAND_LOCAL;
        if (!locals) break;
        if (i->op == OPC_GRID_GET) i->op = OPC_GRID_GET_LOCALS;
        else if (Code_OperandSource(*i, 3) == OPERAND_STACK) i->op = OPC_GRID_SET_LOCALS_DROP;
        break;
    }
    case OPC_MAP_REPLACE_DROP:
        if (Code_OperandSource(*i, 0) == OPERAND_LOCAL && Code_OperandSource(*i, 1) == OPERAND_CONSTANT &&
            Code_OperandSource(*i, 2) == OPERAND_STACK)
            i->op = OPC_MAP_REPLACE_LOCAL_CONST_DROP;
        break;
    case OPC_MAP_FIND_VALUE:
        if (Code_OperandSource(*i, 0) != OPERAND_LOCAL) break;
        if (Code_OperandSource(*i, 1) == OPERAND_CONSTANT) i->op = OPC_MAP_FIND_LOCAL_CONST;
        else if (Code_OperandSource(*i, 1) == OPERAND_STACK) i->op = OPC_MAP_FIND_LOCAL_STACK;
        break;
    default: break;
    }
}

namespace {

// The form with a cache of each form that has one.
constexpr struct {
    Opcode form, cached;
} CACHED_FORMS[] = {
    {OPC_MAP_FIND_LOCAL_CONST, OPC_MAP_FIND_LOCAL_TEXT},
    {OPC_MAP_REPLACE_LOCAL_CONST_DROP, OPC_MAP_REPLACE_LOCAL_TEXT_DROP},
};

// The pairs joined in a later pass may take a pair of an earlier one as their second.
constexpr struct {
    Opcode first, second, pair;
    int pass;
} PAIRS[] = {
    {OPC_LOCAL_MOD_INT_CONST, OPC_EQ_JUMP_IF, OPC_LOCAL_MOD_INT_EQ_JUMP_IF, 0},
    {OPC_ADD_TO_LOCAL, OPC_STEP_LT, OPC_ADD_TO_LOCAL_STEP_LT, 0},
    {OPC_ADD_TO_LOCAL, OPC_STEP_LT_LOCAL, OPC_ADD_TO_LOCAL_STEP_LT_LOCAL, 0},
    {OPC_SET_ARRAY_ELEMENT, OPC_STEP_LT, OPC_SET_ELEMENT_STEP_LT, 0},
    {OPC_SET_ARRAY_ELEMENT, OPC_STEP_LT_LOCAL, OPC_SET_ELEMENT_STEP_LT_LOCAL, 0},
    {OPC_LOCAL_CONST_MUL, OPC_STACK_LOCAL_ADD, OPC_LOCAL_MUL_CONST_ADD_LOCAL, 0},
    {OPC_LOCAL_LOCAL_MUL, OPC_STACK_LOCAL_ADD, OPC_LOCAL_MUL_LOCAL_ADD_LOCAL, 0},
    {OPC_SET_SELF_ELEMENT, OPC_STEP_LT, OPC_SET_SELF_ELEMENT_STEP_LT, 0},
    {OPC_SET_SELF_ELEMENT, OPC_STEP_LT_LOCAL, OPC_SET_SELF_ELEMENT_STEP_LT_LOCAL, 0},
    {OPC_GET_ARRAY_ELEMENT_AT, OPC_ADD_TO_LOCAL, OPC_ELEMENT_ADD_TO_LOCAL, 1},
    {OPC_GET_ARRAY_ELEMENT_AT, OPC_ADD_TO_LOCAL_STEP_LT, OPC_ELEMENT_ADD_STEP_LT, 1},
    {OPC_GET_ARRAY_ELEMENT_AT, OPC_ADD_TO_LOCAL_STEP_LT_LOCAL, OPC_ELEMENT_ADD_STEP_LT_LOCAL, 1},
    {OPC_GET_SELF_AT, OPC_ADD_TO_LOCAL_STEP_LT, OPC_SELF_ELEMENT_ADD_STEP_LT, 1},
    {OPC_GET_SELF_AT, OPC_ADD_TO_LOCAL_STEP_LT_LOCAL, OPC_SELF_ELEMENT_ADD_STEP_LT_LOCAL, 1},
    {OPC_MAP_FIND_LOCAL_STACK, OPC_ADD_TO_LOCAL, OPC_MAP_FIND_ADD_TO_LOCAL, 1},
    {OPC_MAP_FIND_LOCAL_STACK, OPC_ADD_TO_LOCAL_STEP_LT, OPC_MAP_FIND_ADD_STEP_LT, 1},
    {OPC_MAP_FIND_LOCAL_STACK, OPC_ADD_TO_LOCAL_STEP_LT_LOCAL, OPC_MAP_FIND_ADD_STEP_LT_LOCAL, 1},
    {OPC_MOD_INT_CONST, OPC_MAP_FIND_LOCAL_STACK, OPC_MOD_MAP_FIND, 2},
    {OPC_MOD_INT_CONST, OPC_MAP_FIND_ADD_TO_LOCAL, OPC_MOD_MAP_FIND_ADD_TO_LOCAL, 2},
    {OPC_MOD_INT_CONST, OPC_MAP_FIND_ADD_STEP_LT, OPC_MOD_MAP_FIND_ADD_STEP_LT, 2},
    {OPC_MOD_INT_CONST, OPC_MAP_FIND_ADD_STEP_LT_LOCAL, OPC_MOD_MAP_FIND_ADD_STEP_LT_LOCAL, 2},
};

constexpr int PAIR_PASSES = [] {
    int passes = 0;
    for (const auto& p : PAIRS) passes = p.pass + 1 > passes ? p.pass + 1 : passes;
    return passes;
}();

}  // namespace

// The second of a pair begins none: the pair relies on its opcode. An element or map read
// before a sum joined with the loop's step takes both, and a remainder before the map read all
// three.
void Code_JoinPairs(ByteCode* bc)
{
    std::vector<bool> second(bc->code.size());
    for (int pass = 0; pass < PAIR_PASSES; pass++) {
        for (size_t k = 0; k + 1 < bc->code.size(); k++) {
            if (second[k]) continue;
            for (const auto& p : PAIRS) {
                if (p.pass != pass || bc->code[k].op != p.first || bc->code[k + 1].op != p.second) continue;
                bc->code[k].op = p.pair;
                second[++k] = true;
                break;
            }
        }
    }
}

bool Code_PairOf(int op, int* first, int* second)
{
    for (const auto& p : PAIRS) {
        if (op != p.pair) continue;
        *first = p.first;
        *second = p.second;
        return true;
    }
    return false;
}

void Code_GiveCache(ByteCode* bc, VMIns* i)
{
    for (const auto& f : CACHED_FORMS) {
        if (i->op != f.form) continue;
        if (bc->mapCaches.size() > 0xFFFF || !bc->constants[(size_t)Code_OperandIndex(*i, 1)].IsString()) return;
        i->op = f.cached;
        i->c |= (int32_t)(bc->mapCaches.size() << 16);
        bc->mapCaches.emplace_back();
        return;
    }
}

VMIns Code_Uncached(const VMIns& i)
{
    VMIns plain = i;
    for (const auto& f : CACHED_FORMS) {
        if (i.op != f.cached) continue;
        plain.op = f.form;
        plain.c &= 0xFFFF;
        break;
    }
    return plain;
}

namespace {

bool Bad(std::string* error, size_t at, const char* what)
{
    char text[160];
    snprintf(text, sizeof text, "instruction %zu: %s", at, what);
    *error = text;
    return false;
}

// The operands that name a constant, a local slot or a cache must be in range.
// A faster form must be the one the compiler gives its instruction: its fast path trusts the
// operator, and a remainder by its divisor (never 0 or -1, which would stop the processor).
bool FormFits(const ByteCode& bc, const VMIns& i)
{
    int generic = Code_GenericOf(i.op);
    if (generic == i.op) return true;
    VMIns made = i;
    made.op = (uint8_t)generic;
    if (Code_Opcodes[i.op].pushes != Code_Opcodes[generic].pushes) {  // a dropped result
        made.op = (uint8_t)Code_Dropping(generic);
        if (made.op == i.op) return true;
    }
    Code_Specialize(bc, &made);
    return made.op == i.op && made.b == i.b && made.c == i.c;
}

bool OperandsFit(const ByteCode& bc, const VMIns& i)
{
    auto constant = [&](int k) { return k >= 0 && (size_t)k < bc.constants.size(); };
    auto local = [&](int k) { return k >= 0 && (size_t)k < bc.localNames.size(); };
    auto array = [&](int k) { return k >= 0 && (size_t)k < bc.arrayNames.size(); };
    switch (Code_GenericOf(i.op)) {
    case OPC_PUSH:
    case OPC_BINARY_CONST:
    case OPC_ADD_CONST:
    case OPC_SUB_CONST:
    case OPC_MUL_CONST:
    case OPC_MOD_CONST:
    case OPC_COMPARE_JUMP_IF:
    case OPC_FAIL: return constant(i.a);
    case OPC_BINARY_LOCAL: return local(i.b);
    case OPC_COMPARE_LOCAL_JUMP_IF: return local(i.a);
    case OPC_INDEX_LOCAL: return local(i.a);
    case OPC_GET_LOCAL:
    case OPC_SET_LOCAL: return local(i.a) && i.x == 0;
    case OPC_GET_ARRAY:
    case OPC_SET_ARRAY: return array(i.a) && i.x <= 2;
    case OPC_GET_ARRAY_AT: return array(i.a) && local(i.c) && i.x <= 1;
    case OPC_GET_SELF_AT:
    case OPC_GET_GLOBAL_AT: return i.b >= 0 && (size_t)i.b < bc.hints.size() && local(i.c) && i.x <= 1;
    case OPC_LOCAL_BINARY_CONST: return local(i.a) && constant(i.b);
    case OPC_STEP_JUMP_IF: {
        int compare = i.y & STEP_COMPARE;
        return local(i.a) && constant(i.b) && bc.constants[(size_t)i.b].IsReal() && compare >= OP_LT &&
               compare <= OP_GT && ((i.y & STEP_LOCAL_LIMIT) ? local(i.x) : constant(i.x));
    }
    case OPC_GET_SELF:
    case OPC_GET_GLOBAL:
    case OPC_SET_SELF:
    case OPC_SET_GLOBAL: return i.b >= 0 && (size_t)i.b < bc.hints.size() && i.x <= 2;
    case OPC_GET_BUILTIN:
    case OPC_GET_DOT:
    case OPC_SET_BUILTIN:
    case OPC_SET_DOT: return i.x <= 2;
    case OPC_GET_ARG:
    case OPC_SET_ARG:
    case OPC_RETURN_ARG: return i.a >= 0 && i.a < 16;
    case OPC_RETURN_CONST: return constant(i.a);
    case OPC_RETURN_LOCAL: return local(i.a);
    case OPC_BINARY_ARG: return i.a >= 0 && i.a < 16;
    case OPC_ARG_BINARY_ARG: return i.a >= 0 && i.a < 16 && i.b >= 0 && i.b < 16;
    case OPC_LOCAL_BINARY_ARG: return i.a >= 0 && i.a < 16 && local(i.b);
    case OPC_LOCAL_BINARY_LOCAL: return local(i.a) && local(i.b);
    case OPC_ARG_BINARY_CONST: return i.a >= 0 && i.a < 16 && constant(i.b);
    case OPC_ARG_COMPARE_JUMP_IF: return i.a >= 0 && i.a < 16 && constant(i.b) && i.y >= OP_LT && i.y <= OP_GT;
    case OPC_LOCAL_LT_JUMP_IF:
    case OPC_ADD_LOCAL_CONST: return local(i.a) && constant(i.b);
    case OPC_MAP_FIND_VALUE:
    case OPC_MAP_REPLACE:
    case OPC_LIST_FIND_VALUE:
    case OPC_GRID_GET:
    case OPC_GRID_SET:
    case OPC_STRING_CHAR_AT: {
        // The operands on the stack in order, the others in range, none past the count.
        int count = Code_OperandCount(i.op), stacked = 0;
        for (int k = 0; k < 4; k++) {
            int source = Code_OperandSource(i, k), index = Code_OperandIndex(i, k);
            if (k >= count) {
                if (source != OPERAND_STACK || index != 0) return false;
            } else if (source == OPERAND_STACK) {
                if (index != stacked++) return false;
            } else if (source == OPERAND_LOCAL ? !local(index) : source != OPERAND_CONSTANT || !constant(index)) {
                return false;
            }
        }
        return i.x == stacked;
    }
    default: return true;
    }
}

}  // namespace

bool Code_Verify(const ByteCode& bc, std::string* error)
{
    size_t n = bc.code.size();
    if (n == 0) return Bad(error, 0, "no code");
    if (bc.lines.size() != n) return Bad(error, 0, "line table size differs");
    if ((size_t)bc.localCount != bc.localNames.size() || (size_t)bc.arrayCount != bc.arrayNames.size())
        return Bad(error, 0, "local count differs");
    std::vector<int> height(n, -1);
    std::vector<size_t> work{0};
    height[0] = 0;
    int highest = 0;
    auto reach = [&](size_t at, int h, size_t from) {
        if (at >= n) return Bad(error, from, "jumps or runs past the end");
        if (height[at] < 0) {
            height[at] = h;
            work.push_back(at);
        } else if (height[at] != h) {
            return Bad(error, at, "reached with different stack heights");
        }
        return true;
    };
    while (!work.empty()) {
        size_t at = work.back();
        work.pop_back();
        const VMIns& i = bc.code[at];
        if (i.op >= OPC_COUNT) return Bad(error, at, "unknown opcode");
        const OpcodeInfo& info = Code_Opcodes[i.op];
        // A form with a cache is checked as the form it stands for, and its cache beside; a
        // pair as its first instruction, followed by the second.
        VMIns plain = Code_Uncached(i);
        bool cached = plain.op != i.op;
        int first, second;
        if (Code_PairOf(i.op, &first, &second)) {
            if (at + 1 >= n || bc.code[at + 1].op != second) return Bad(error, at, "pair without its second instruction");
            plain.op = (uint8_t)first;
        }
        if (!OperandsFit(bc, plain)) return Bad(error, at, "operand out of range");
        if (!FormFits(bc, plain)) return Bad(error, at, "faster form of another case");
        if (cached && ((size_t)Code_CacheOf(i) >= bc.mapCaches.size() ||
                                 !bc.constants[(size_t)Code_OperandIndex(i, 1)].IsString()))
            return Bad(error, at, "cache out of range or key not a text");
        int h = height[at];
        int pops = info.pops + (info.perX ? i.x : 0);
        if (pops > h) return Bad(error, at, "pops below the frame");
        int after = h - pops + info.pushes;
        if (after > highest) highest = after;
        // A data-structure call the machine leaves to the built-in spreads its operands there.
        if (h - pops + Code_OperandCount(i.op) > highest) highest = h - pops + Code_OperandCount(i.op);
        if (info.flow == FLOW_BRANCH || info.flow == FLOW_GOTO) {
            int64_t target = (int64_t)at + (info.jumpInC ? i.c : i.a);
            if (target < 0) return Bad(error, at, "jumps before the start");
            int jumped = info.flow == FLOW_GOTO ? after : h + info.jumpDelta;
            if (jumped < 0) return Bad(error, at, "jump pops below the frame");
            if (!reach((size_t)target, jumped, at)) return false;
        }
        if (info.flow == FLOW_NEXT || info.flow == FLOW_BRANCH)
            if (!reach(at + 1, after, at)) return false;
    }
    // Code after exit or return is never run, so maxStack may be more than is reached.
    if (highest > bc.maxStack) return Bad(error, 0, "maxStack is below the highest stack");
    return true;
}

std::string Code_ListByteCode(const ByteCode& bc)
{
    std::string out;
    char text[200];
    for (size_t k = 0; k < bc.code.size(); k++) {
        const VMIns& i = bc.code[k];
        const char* name = i.op < OPC_COUNT ? Code_Opcodes[i.op].name : "?";
        snprintf(text, sizeof text, "%4d %5zu %-20s x=%d y=%s a=%d b=%d c=%d", k < bc.lines.size() ? bc.lines[k] : 0, k,
                 name, i.x, Code_OpName(i.y), i.a, i.b, i.c);
        out += text;
        if (i.op < OPC_COUNT && (Code_Opcodes[i.op].flow == FLOW_BRANCH || Code_Opcodes[i.op].flow == FLOW_GOTO)) {
            snprintf(text, sizeof text, " -> %lld", (long long)k + (Code_Opcodes[i.op].jumpInC ? i.c : i.a));
            out += text;
        }
        int g = Code_GenericOf(i.op);
        if ((g == OPC_PUSH || g == OPC_FAIL || g == OPC_COMPARE_JUMP_IF || (g >= OPC_ADD_CONST && g <= OPC_MOD_CONST) || g == OPC_BINARY_CONST) && i.a >= 0 && (size_t)i.a < bc.constants.size()) {
            const TaggedValue& v = bc.constants[(size_t)i.a];
            if (v.IsString()) out += std::string(" \"") + v.GetString() + "\"";
            else {
                snprintf(text, sizeof text, " %.17g", v.val);
                out += text;
            }
        }
        // A data-structure call's operands: on the stack, a local or a constant, with its index.
        for (int j = 0; j < Code_OperandCount(i.op); j++) {
            int source = Code_OperandSource(i, j);
            snprintf(text, sizeof text, " %s%d", source == OPERAND_STACK ? "stack" : source == OPERAND_LOCAL ? "local" : "constant",
                     Code_OperandIndex(i, j));
            out += text;
        }
        if (Code_Uncached(i).op != i.op) {
            snprintf(text, sizeof text, " cache%d", Code_CacheOf(i));
            out += text;
        }
        out += "\n";
    }
    return out;
}
