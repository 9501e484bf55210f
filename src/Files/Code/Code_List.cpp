#include "Code/Code_Interp.h"
#include "Code/Code_Tree.h"
#include "Code/Function.h"
#include "Variable/Variable_Main.h"

#include <cstdio>

namespace {

const char* KindName(NodeKind k)
{
    static const char* const names[] = {
        "const", "local", "self", "global", "builtin", "dot", "unary", "binary", "and", "or", "call",
        "script", "extension", "block", "assign", "callstmt", "if", "while", "do", "for", "repeat",
        "switch", "case", "default", "break", "continue", "exit", "return", "with",
    };
    return (size_t)k < sizeof names / sizeof names[0] ? names[k] : "?";
}

void ListNode(const CodeTree* tree, const Node* n, int indent, std::string& out)
{
    char line[32];
    snprintf(line, sizeof line, "%4d ", n->line);
    out += line;
    out.append((size_t)indent * 2, ' ');
    out += KindName(n->kind);
    switch (n->kind) {
    case N_CONST:
        if (n->value.IsString()) out += " \"" + std::string(n->value.GetString()) + "\"";
        else {
            snprintf(line, sizeof line, " %.17g", n->value.val);
            out += line;
        }
        break;
    case N_LOCAL: out += " " + tree->locals[(size_t)n->id]; break;
    case N_SELF: case N_GLOBAL: case N_BUILTIN: case N_DOT: out += " " + std::string(Code_Variable_GetName(n->id)); break;
    case N_UNARY: case N_BINARY: case N_ASSIGN: out += " " + std::string(Code_OpName(n->op)); break;
    case N_CALL: {
        const RFunction* f = Function_Get(n->id);
        out += " " + std::string(f ? f->name : "?");
        break;
    }
    case N_SCRIPT: out += " " + std::string(Code_Scripts.name(n->id)); break;
    case N_EXTENSION: {
        const char* name = Code_Extension_NameHook ? Code_Extension_NameHook(n->id) : nullptr;
        out += " " + std::string(name ? name : "?");
        break;
    }
    default: break;
    }
    out += "\n";
    for (const Node* k : n->kids) ListNode(tree, k, indent + 1, out);
}

}  // namespace

std::string Code_List(const CodeTree* tree)
{
    std::string out;
    if (tree && tree->root) ListNode(tree, tree->root, 0, out);
    return out;
}
