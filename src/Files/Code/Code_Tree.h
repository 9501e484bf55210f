// The compiled form of code: a tree of nodes with explicit kinds, names resolved to ids and a
// source line on every node. The interpreter walks it; a byte-code generator can walk it too.
#pragma once
#include "Variable/Arguments.h"
#include "Variable/Value.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

enum NodeKind : uint8_t {
    // Expressions.
    N_CONST,      // value
    N_LOCAL,      // a `var` local: id = slot; kids = 0 to 2 indexes
    N_SELF,       // a variable of self: id = variable id; kids = indexes
    N_GLOBAL,     // a global variable (global.v or a globalvar name): id; kids = indexes
    N_BUILTIN,    // a built-in variable of self: id = its index; kids = indexes
    N_DOT,        // t.v: kids[0] = t, then the indexes; id = variable id (built-in or user)
    N_UNARY,      // op; kids[0]
    N_BINARY,     // op; kids[0], kids[1]
    N_AND,        // short-circuit && and ||
    N_OR,
    N_CALL,       // a built-in: id = its index; kids = arguments
    N_SCRIPT,     // a script: id = its index
    N_EXTENSION,  // an extension function: id = its index
    // Statements.
    N_BLOCK,      // kids in order (an empty block is the empty statement)
    N_ASSIGN,     // op (OP_SET or the compound operator); kids[0] = a variable node, kids[1] = value
    N_CALLSTMT,   // kids[0] = a call node whose value is dropped
    N_IF,         // kids: condition, then, optional else
    N_WHILE,      // condition, body
    N_DO,         // body, condition (until)
    N_FOR,        // init, condition, step, body
    N_REPEAT,     // count, body
    N_SWITCH,     // kids[0] = value, then the body's statements with N_CASE and N_DEFAULT marks
    N_CASE,       // kids[0] = the case value
    N_DEFAULT,
    N_BREAK,
    N_CONTINUE,
    N_EXIT,
    N_RETURN,     // kids[0] = value
    N_WITH,       // target, body
    N_ACTION,     // an action of an event or moment begins: id = its number, which errors name
};

enum NodeOp : uint8_t {
    OP_NONE,
    OP_SET,
    OP_ADD, OP_SUB, OP_MUL, OP_DIV, OP_IDIV, OP_MOD,
    OP_LT, OP_LE, OP_EQ, OP_NE, OP_GE, OP_GT,
    OP_BITOR, OP_BITAND, OP_BITXOR, OP_SHL, OP_SHR,
    OP_XOR,
    OP_NEG, OP_PLUS, OP_NOT, OP_BITNOT,
};

struct Node;

// The kids of a node: most nodes have at most two, held in the node itself; more go to the heap.
class NodeList {
public:
    NodeList() = default;
    NodeList(const NodeList&) = delete;
    NodeList& operator=(const NodeList&) = delete;
    ~NodeList()
    {
        if (m_data != m_inline) delete[] m_data;
    }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    Node*& operator[](size_t i) { return m_data[i]; }
    Node* operator[](size_t i) const { return m_data[i]; }
    Node** begin() { return m_data; }
    Node** end() { return m_data + m_size; }
    Node* const* begin() const { return m_data; }
    Node* const* end() const { return m_data + m_size; }
    void clear() { m_size = 0; }
    void push_back(Node* n)
    {
        if (m_size == m_capacity) Grow();
        m_data[m_size++] = n;
    }

private:
    void Grow()
    {
        uint32_t capacity = m_capacity * 2;
        Node** data = new Node*[capacity];
        std::copy(m_data, m_data + m_size, data);
        if (m_data != m_inline) delete[] m_data;
        m_data = data;
        m_capacity = capacity;
    }

    Node* m_inline[2];
    Node** m_data = m_inline;
    uint32_t m_size = 0;
    uint32_t m_capacity = 2;
};

struct Node {
    NodeKind kind;
    uint8_t op = OP_NONE;
    int id = 0;
    int line = 0;
    int pos = 0;
    int depth = 1;  // height of the subtree, bounded by the compiler
    TaggedValue value;
    NodeList kids;

    // Variable nodes: where the index expressions start among the kids.
    int FirstIndex() const { return kind == N_DOT ? 1 : 0; }
    int IndexCount() const { return (int)kids.size() - FirstIndex(); }
};

struct CodeTree {
    std::deque<Node> nodes;  // owns every node, a block of them to an allocation
    Node* root = nullptr;                      // a statement, or an expression for expression code
    std::vector<std::string> locals;           // names of the `var` slots
    std::string name;
};

// The symbol of an operator, for messages and listings.
const char* Code_OpName(int op);
// Applies a unary or binary operator to values; false with *error set when the kinds do not fit
// or a division is by zero. Shared by the folding pass and the interpreter.
bool Code_ApplyUnary(int op, const TaggedValue& a, TaggedValue* out, std::string* error);
bool Code_ApplyBinary(int op, const TaggedValue& a, const TaggedValue& b, TaggedValue* out, std::string* error);
// The target of a dotted access: the global scope (-5), or an instance, object or -1..-3 (-7,
// self, as -1); false when the value is not a number.
inline bool Code_DotTarget(const TaggedValue& t, int* target, bool* global)
{
    if (!t.IsReal()) return false;
    *target = RealToInt(t.val);
    *global = *target == -5;
    if (*target == -7) *target = -1;
    return true;
}
#define CODE_DOT_NOT_A_NUMBER "The target of . is not a number."
// The error of a + or += whose text would pass VALUE_STRING_MAX bytes.
#define CODE_STRING_TOO_LONG "Result of + too long: strings hold at most 268435456 bytes."
// The error of a + or += of texts of these lengths that could not be made: too long, or no memory
// (which the error reports, taking MemoryManager_Failed).
const char* Code_JoinError(size_t la, size_t lb);
// x mod y with the sign of x, as fmod gives it. fmod is exact but slow: whole numbers take the
// integer route (32 bits when they fit, the faster division), which gives the same result.
inline double Code_Remainder(double x, double y)
{
    int32_t a = TruncToInt(x), b = TruncToInt(y);
    if ((double)a == x && (double)b == y && b != 0 && b != -1) {
        int32_t r = a % b;
        return r == 0 ? std::copysign(0.0, x) : (double)r;
    }
    int64_t c = TruncToInt64(x), d = TruncToInt64(y);
    if ((double)c == x && (double)d == y && d != 0 && d != -1) {
        int64_t r = c % d;
        return r == 0 ? std::copysign(0.0, x) : (double)r;
    }
    return std::fmod(x, y);
}
// Applies a binary operator to two reals: false for a division by zero and for an operator that
// does not apply to reals. The bitwise operators work on the reals rounded to 64-bit integers;
// NaN and values out of range give the lowest integer, as the processor's conversion does.
// Inline everywhere: it is the machine's fast path for operators on reals.
__attribute__((always_inline)) inline bool Code_RealBinary(int op, double x, double y, double* out)
{
    switch (op) {
    case OP_ADD: *out = x + y; return true;
    case OP_SUB: *out = x - y; return true;
    case OP_MUL: *out = x * y; return true;
    case OP_DIV:
        if (y == 0.0) return false;
        *out = x / y;
        return true;
    case OP_IDIV:
        if (y == 0.0) return false;
        *out = std::trunc(x / y);
        return true;
    case OP_MOD:
        if (y == 0.0) return false;
        *out = Code_Remainder(x, y);
        return true;
    // Ordering compares plainly; only equality uses the epsilon.
    case OP_LT: *out = x < y; return true;
    case OP_LE: *out = x <= y; return true;
    case OP_GE: *out = x >= y; return true;
    case OP_GT: *out = x > y; return true;
    case OP_EQ: *out = std::fabs(x - y) <= MathEpsilon; return true;
    case OP_NE: *out = !(std::fabs(x - y) <= MathEpsilon); return true;
    case OP_BITOR: *out = (double)(RealToInt64(x) | RealToInt64(y)); return true;
    case OP_BITAND: *out = (double)(RealToInt64(x) & RealToInt64(y)); return true;
    case OP_BITXOR: *out = (double)(RealToInt64(x) ^ RealToInt64(y)); return true;
    case OP_SHL:
    case OP_SHR: {
        int64_t v = RealToInt64(x), n = RealToInt64(y);
        int64_t r;
        if (n < 0 || n > 63) r = (op == OP_SHR && v < 0) ? -1 : 0;
        else if (op == OP_SHL) r = (int64_t)((uint64_t)v << n);
        else r = v >> n;
        *out = (double)r;
        return true;
    }
    case OP_XOR: *out = (x > 0.5) != (y > 0.5); return true;
    default: return false;
    }
}
// A readable dump of a compiled tree (one node a line, indented by depth).
std::string Code_List(const CodeTree* tree);
