#include "Code/Code_Parse.h"

namespace {

bool IsConst(const Node* n) { return n->kind == N_CONST; }

void FoldNode(Node* n)
{
    for (Node* k : n->kids) FoldNode(k);
    TaggedValue v;
    std::string error;
    switch (n->kind) {
    case N_UNARY:
        if (!IsConst(n->kids[0]) || !Code_ApplyUnary(n->op, n->kids[0]->value, &v, &error)) return;
        break;
    case N_BINARY:
        if (!IsConst(n->kids[0]) || !IsConst(n->kids[1]) ||
            !Code_ApplyBinary(n->op, n->kids[0]->value, n->kids[1]->value, &v, &error))
            return;
        break;
    case N_AND:
    case N_OR: {
        const Node* a = n->kids[0];
        const Node* b = n->kids[1];
        // Kind errors are left for the run, where they are reported with the line.
        if (!IsConst(a) || !IsConst(b) || !a->value.IsReal() || !b->value.IsReal()) return;
        bool x = a->value.val > 0.5, y = b->value.val > 0.5;
        v.SetReal(n->kind == N_AND ? (x && y) : (x || y));
        break;
    }
    default:
        return;
    }
    // The folded node keeps its place, line and position; its operands stay owned by the tree.
    n->kind = N_CONST;
    n->op = OP_NONE;
    n->value = v;
    n->kids.clear();
    n->depth = 1;
}

}  // namespace

void Code_Fold(CodeTree* tree)
{
    if (tree && tree->root) FoldNode(tree->root);
}
