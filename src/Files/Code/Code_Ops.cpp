#include "Code/Code_Tree.h"
#include "Base/MemoryManager.h"
#include "Code/Error.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

bool WrongType(int op, std::string* error)
{
    *error = std::string("Wrong type of arguments to ") + Code_OpName(op) + ".";
    return false;
}

bool Truth(double v) { return v > 0.5; }

}  // namespace

const char* Code_OpName(int op)
{
    switch (op) {
    case OP_SET: return "=";
    case OP_ADD: case OP_PLUS: return "+";
    case OP_SUB: case OP_NEG: return "-";
    case OP_MUL: return "*";
    case OP_DIV: return "/";
    case OP_IDIV: return "div";
    case OP_MOD: return "mod";
    case OP_LT: return "<";
    case OP_LE: return "<=";
    case OP_EQ: return "==";
    case OP_NE: return "!=";
    case OP_GE: return ">=";
    case OP_GT: return ">";
    case OP_BITOR: return "|";
    case OP_BITAND: return "&";
    case OP_BITXOR: return "^";
    case OP_SHL: return "<<";
    case OP_SHR: return ">>";
    case OP_XOR: return "^^";
    case OP_NOT: return "!";
    case OP_BITNOT: return "~";
    default: return "?";
    }
}

bool Code_ApplyUnary(int op, const TaggedValue& a, TaggedValue* out, std::string* error)
{
    if (!a.IsReal()) return WrongType(op, error);
    double v = a.val;
    switch (op) {
    case OP_NEG: out->SetReal(-v); return true;
    case OP_PLUS: out->SetReal(v); return true;
    case OP_NOT: out->SetReal(Truth(v) ? 0.0 : 1.0); return true;
    case OP_BITNOT: out->SetReal((double)~RealToInt64(v)); return true;
    default: return WrongType(op, error);
    }
}

static_assert(VALUE_STRING_MAX == 268435456, "CODE_STRING_TOO_LONG names the bound");

const char* Code_JoinError(size_t la, size_t lb)
{
    if (la > VALUE_STRING_MAX || lb > VALUE_STRING_MAX - la) return CODE_STRING_TOO_LONG;
    MemoryManager_TakeFailure();
    return ERROR_OUT_OF_MEMORY;
}

bool Code_ApplyBinary(int op, const TaggedValue& a, const TaggedValue& b, TaggedValue* out, std::string* error)
{
    switch (op) {
    case OP_EQ: out->SetReal(Value_Equal(a, b) ? 1.0 : 0.0); return true;
    case OP_NE: out->SetReal(Value_Equal(a, b) ? 0.0 : 1.0); return true;
    default: break;
    }
    if (a.IsString() || b.IsString()) {
        if (!a.IsString() || !b.IsString()) return WrongType(op, error);
        if (op == OP_ADD) {
            size_t la = a.GetLength(), lb = b.GetLength();
            if (out->SetJoined(a.GetString(), la, b.GetString(), lb)) return true;
            *error = Code_JoinError(la, lb);
            return false;
        }
        int c = strcmp(a.GetString(), b.GetString());
        switch (op) {
        case OP_LT: out->SetReal(c < 0); return true;
        case OP_LE: out->SetReal(c <= 0); return true;
        case OP_GE: out->SetReal(c >= 0); return true;
        case OP_GT: out->SetReal(c > 0); return true;
        default: return WrongType(op, error);
        }
    }
    double r;
    if (Code_RealBinary(op, a.val, b.val, &r)) {
        out->SetReal(r);
        return true;
    }
    if (op == OP_DIV || op == OP_IDIV || op == OP_MOD) {
        *error = "Division by zero.";
        return false;
    }
    return WrongType(op, error);
}
