#include "Code/Code_Parse.h"
#include "Code/Code_Constant.h"
#include "Code/Code_Lex.h"
#include "Code/Function.h"
#include "Platform/Stack.h"
#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_Main.h"

#include <cstdio>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace {

// Names declared with globalvar: they name global variables in all code compiled afterwards.
std::unordered_set<std::string> g_globalvars;

class Parser {
public:
    Parser(CodeTree* tree, std::vector<Token>& tokens, const std::vector<int>* actionLines)
        : m_tree(tree), m_tokens(tokens), m_actionLines(actionLines)
    {
    }

    // The first error ends the parse: the parser then sees only the end of the text, so every
    // rule returns at once, and the tree is dropped.
    bool failed = false;
    std::string error;
    int errorLine = 0, errorPos = 0;

    Node* ParseProgram()
    {
        Node* block = Make(N_BLOCK, Peek());
        while (Peek().kind != T_END) AddStatement(block);
        return block;
    }

    Node* ParseWholeExpression()
    {
        Node* e = ParseExpression();
        if (Peek().kind != T_END) Fail(Peek(), "End of code expected.");
        return e;
    }

private:
    CodeTree* m_tree;
    std::vector<Token>& m_tokens;
    const std::vector<int>* m_actionLines;  // the first line of each action, or null
    size_t m_actionsBegun = 0;
    size_t m_at = 0;
    int m_nesting = 0;
    std::unordered_map<std::string, int> m_locals;

    const Token& Peek(int ahead = 0) const
    {
        if (failed) return m_tokens.back();
        size_t i = m_at + (size_t)ahead;
        return i < m_tokens.size() ? m_tokens[i] : m_tokens.back();
    }
    const Token& Next()
    {
        const Token& t = Peek();
        if (m_at + 1 < m_tokens.size()) m_at++;
        return t;
    }
    bool IsSymbol(int s, int ahead = 0) const { return Peek(ahead).kind == T_SYMBOL && Peek(ahead).sub == s; }
    bool IsKeyword(int k) const { return Peek().kind == T_KEYWORD && Peek().sub == k; }
    bool Accept(int s)
    {
        if (!IsSymbol(s)) return false;
        Next();
        return true;
    }

    // Keeps the first error and gives a stand-in node.
    Node* Fail(const Token& at, const std::string& message)
    {
        if (!failed) {
            error = message;
            errorLine = at.line;
            errorPos = at.pos;
            failed = true;
        }
        return Make(N_CONST, at);
    }
    Node* Unexpected(const char* what)
    {
        if (Peek().kind == T_END) return Fail(Peek(), "Unexpected end of code.");
        return Fail(Peek(), what);
    }
    void Expect(int s, const char* text)
    {
        if (!Accept(s)) Fail(Peek(), std::string("Symbol ") + text + " expected.");
    }

    struct Nest {
        Parser& p;
        Nest(Parser& parser, const Token& at) : p(parser)
        {
            if (++p.m_nesting > CODE_MAX_NESTING || Stack_Remaining() < CODE_STACK_RESERVE)
                p.Fail(at, "Code is nested too deeply.");
        }
        ~Nest() { p.m_nesting--; }
    };

    Node* Make(NodeKind kind, const Token& at)
    {
        Node* n = &m_tree->nodes.emplace_back();
        n->kind = kind;
        n->line = at.line;
        n->pos = at.pos;
        return n;
    }
    void Add(Node* parent, Node* kid)
    {
        parent->kids.push_back(kid);
        if (kid->depth + 1 > parent->depth) {
            parent->depth = kid->depth + 1;
            if (parent->depth > CODE_MAX_TREE_DEPTH) {
                Token at;
                at.line = parent->line;
                at.pos = parent->pos;
                Fail(at, "Code is nested too deeply.");
            }
        }
    }
    Node* MakeConst(const Token& at, double v)
    {
        Node* n = Make(N_CONST, at);
        n->value.SetReal(v);
        return n;
    }

    // ---- statements ----

    // The next statement of a list; when actions have begun since the last one (on its line or
    // before), a mark of the last of them goes first.
    void AddStatement(Node* list)
    {
        if (m_actionLines) {
            const Token& t = Peek();
            size_t begun = m_actionsBegun;
            while (begun < m_actionLines->size() && (*m_actionLines)[begun] <= t.line) begun++;
            if (begun > m_actionsBegun) {
                m_actionsBegun = begun;
                Node* mark = Make(N_ACTION, t);
                mark->id = (int)begun;
                Add(list, mark);
            }
        }
        Add(list, ParseStatement());
    }

    Node* ParseStatement()
    {
        const Token& start = Peek();
        Nest nest(*this, start);
        Node* s = ParseStatementBody();
        while (Accept(S_SEMI)) {
            // A run of semicolons is one statement's end and empty statements.
            if (!IsSymbol(S_SEMI)) break;
        }
        return s;
    }

    Node* ParseStatementBody()
    {
        const Token& t = Peek();
        if (t.kind == T_SYMBOL) {
            switch (t.sub) {
            case S_SEMI: return Make(N_BLOCK, t);
            case S_LBRACE: return ParseBlock();
            case S_INC:
            case S_DEC: {
                Next();
                Node* target = ParsePostfix();
                return MakeIncrement(t, target, t.sub == S_INC);
            }
            default: break;
            }
        }
        if (t.kind == T_KEYWORD) {
            switch (t.sub) {
            case K_VAR: return ParseVar(false);
            case K_GLOBALVAR: return ParseVar(true);
            case K_IF: return ParseIf();
            case K_WHILE: {
                Next();
                Node* n = Make(N_WHILE, t);
                Add(n, ParseExpression());
                Accept(S_SEMI);
                Add(n, ParseStatement());
                return n;
            }
            case K_DO: {
                Next();
                Node* n = Make(N_DO, t);
                Add(n, ParseStatement());
                if (!IsKeyword(K_UNTIL)) Fail(Peek(), "Symbol until expected.");
                Next();
                Add(n, ParseExpression());
                return n;
            }
            case K_FOR: return ParseFor();
            case K_REPEAT:
            case K_WITH: {
                Next();
                Node* n = Make(t.sub == K_REPEAT ? N_REPEAT : N_WITH, t);
                Add(n, ParseExpression());
                Add(n, ParseStatement());
                return n;
            }
            case K_SWITCH: return ParseSwitch();
            case K_BREAK: Next(); return Make(N_BREAK, t);
            case K_CONTINUE: Next(); return Make(N_CONTINUE, t);
            case K_EXIT: Next(); return Make(N_EXIT, t);
            case K_RETURN: {
                Next();
                Node* n = Make(N_RETURN, t);
                if (Peek().kind == T_END || IsSymbol(S_SEMI) || IsSymbol(S_RBRACE)) Add(n, MakeConst(t, 0.0));
                else Add(n, ParseExpression());
                return n;
            }
            case K_CASE:
            case K_DEFAULT: return Fail(t, "case or default outside of a switch.");
            default: return Fail(t, "Statement expected.");
            }
        }
        if (t.kind == T_NAME || t.kind == T_CONST || t.kind == T_NUMBER || IsSymbol(S_LPAREN)) return ParseAssignOrCall();
        return Unexpected("Statement expected.");
    }

    Node* ParseBlock()
    {
        Node* block = Make(N_BLOCK, Next());
        while (!IsSymbol(S_RBRACE)) {
            if (Peek().kind == T_END) return Fail(Peek(), "Symbol } expected.");
            AddStatement(block);
        }
        Next();
        return block;
    }

    Node* ParseVar(bool global)
    {
        const Token& kw = Next();
        Node* empty = Make(N_BLOCK, kw);
        do {
            const Token& name = Peek();
            if (name.kind != T_NAME) return Fail(name, "Variable name expected.");
            Next();
            if (global) {
                g_globalvars.insert(name.text);
                Code_Variable_FindOrAdd(name.text.c_str());
            } else if (!m_locals.count(name.text)) {
                m_locals.emplace(name.text, (int)m_tree->locals.size());
                m_tree->locals.push_back(name.text);
            }
        } while (Accept(S_COMMA));
        return empty;
    }

    Node* ParseIf()
    {
        Node* n = Make(N_IF, Next());
        Add(n, ParseExpression());
        if (IsKeyword(K_THEN)) Next();
        Add(n, ParseStatement());
        if (IsKeyword(K_ELSE)) {
            Next();
            Add(n, ParseStatement());
        }
        return n;
    }

    Node* ParseFor()
    {
        Node* n = Make(N_FOR, Next());
        Expect(S_LPAREN, "(");
        Add(n, ParseSimpleStatement());
        Accept(S_SEMI);
        Add(n, ParseExpression());
        Accept(S_SEMI);
        Add(n, ParseSimpleStatement());
        Accept(S_SEMI);
        Expect(S_RPAREN, ")");
        Add(n, ParseStatement());
        return n;
    }

    // The init and step of a for: an assignment, increment or call.
    Node* ParseSimpleStatement()
    {
        const Token& t = Peek();
        Nest nest(*this, t);
        if (IsSymbol(S_INC) || IsSymbol(S_DEC)) {
            Next();
            return MakeIncrement(t, ParsePostfix(), t.sub == S_INC);
        }
        if (t.kind == T_NAME || t.kind == T_CONST || t.kind == T_NUMBER || IsSymbol(S_LPAREN)) return ParseAssignOrCall();
        return Unexpected("Statement expected.");
    }

    Node* ParseSwitch()
    {
        Node* n = Make(N_SWITCH, Next());
        Add(n, ParseExpression());
        if (!IsSymbol(S_LBRACE)) return Fail(Peek(), "Symbol { expected.");
        Next();
        while (!IsSymbol(S_RBRACE)) {
            const Token& t = Peek();
            if (t.kind == T_END) return Fail(t, "Symbol } expected.");
            if (t.kind == T_KEYWORD && (t.sub == K_CASE || t.sub == K_DEFAULT)) {
                Next();
                Node* mark = Make(t.sub == K_CASE ? N_CASE : N_DEFAULT, t);
                if (t.sub == K_CASE) Add(mark, ParseExpression());
                Expect(S_COLON, ":");
                Add(n, mark);
                continue;
            }
            AddStatement(n);
        }
        Next();
        return n;
    }

    static bool IsVariable(const Node* n)
    {
        return n->kind == N_LOCAL || n->kind == N_SELF || n->kind == N_GLOBAL || n->kind == N_BUILTIN ||
               n->kind == N_DOT;
    }

    void CheckAssignable(const Token& at, const Node* target, const std::string& name)
    {
        if (target->kind == N_CONST && !name.empty()) {
            Fail(at, "Cannot assign to the constant " + name + ".");
            return;
        }
        if (!IsVariable(target)) {
            Fail(at, "Variable name expected.");
            return;
        }
        if (target->kind == N_BUILTIN) {
            const RVariable* b = Variable_BuiltIn_Get(target->id);
            if (b && !b->canSet) Fail(at, std::string("Cannot assign to the variable ") + b->name + ".");
        }
    }

    Node* MakeIncrement(const Token& at, Node* target, bool up)
    {
        CheckAssignable(at, target, "");
        Node* n = Make(N_ASSIGN, at);
        n->op = up ? OP_ADD : OP_SUB;
        Add(n, target);
        Add(n, MakeConst(at, 1.0));
        return n;
    }

    Node* ParseAssignOrCall()
    {
        const Token& start = Peek();
        Node* target = ParsePostfix();
        const Token& t = Peek();
        if (t.kind == T_SYMBOL) {
            int op = OP_NONE;
            switch (t.sub) {
            case S_ASSIGN: case S_COLONEQ: op = OP_SET; break;
            case S_PLUSEQ: op = OP_ADD; break;
            case S_MINUSEQ: op = OP_SUB; break;
            case S_STAREQ: op = OP_MUL; break;
            case S_SLASHEQ: op = OP_DIV; break;
            case S_BAREQ: op = OP_BITOR; break;
            case S_AMPEQ: op = OP_BITAND; break;
            case S_CARETEQ: op = OP_BITXOR; break;
            case S_INC:
            case S_DEC:
                Next();
                return MakeIncrement(t, target, t.sub == S_INC);
            default: break;
            }
            if (op != OP_NONE) {
                CheckAssignable(start, target, start.kind == T_NAME && target->kind == N_CONST ? start.text : "");
                Next();
                Node* n = Make(N_ASSIGN, t);
                n->op = (uint8_t)op;
                Add(n, target);
                Add(n, ParseExpression());
                return n;
            }
        }
        if (target->kind == N_CALL || target->kind == N_SCRIPT || target->kind == N_EXTENSION) {
            Node* n = Make(N_CALLSTMT, start);
            Add(n, target);
            return n;
        }
        return Fail(Peek(), "Assignment operator expected.");
    }

    // ---- expressions ----

    static int Precedence(const Token& t, int* op)
    {
        if (t.kind != T_SYMBOL) return 0;
        switch (t.sub) {
        case S_OROR: *op = OP_NONE; return 1;
        case S_ANDAND: *op = OP_NONE; return 2;
        case S_XORXOR: *op = OP_XOR; return 3;
        case S_LT: *op = OP_LT; return 4;
        case S_LE: *op = OP_LE; return 4;
        case S_EQ: case S_ASSIGN: *op = OP_EQ; return 4;
        case S_NE: *op = OP_NE; return 4;
        case S_GE: *op = OP_GE; return 4;
        case S_GT: *op = OP_GT; return 4;
        case S_BAR: *op = OP_BITOR; return 5;
        case S_AMP: *op = OP_BITAND; return 5;
        case S_CARET: *op = OP_BITXOR; return 5;
        case S_SHL: *op = OP_SHL; return 6;
        case S_SHR: *op = OP_SHR; return 6;
        case S_PLUS: *op = OP_ADD; return 7;
        case S_MINUS: *op = OP_SUB; return 7;
        case S_STAR: *op = OP_MUL; return 8;
        case S_SLASH: *op = OP_DIV; return 8;
        case S_DIV: *op = OP_IDIV; return 8;
        case S_MOD: *op = OP_MOD; return 8;
        default: return 0;
        }
    }

    Node* ParseExpression(int minPrecedence = 1)
    {
        Nest nest(*this, Peek());
        Node* left = ParseUnary();
        for (;;) {
            const Token& t = Peek();
            int op = OP_NONE;
            int prec = Precedence(t, &op);
            if (prec < minPrecedence || prec == 0) return left;
            Next();
            Node* right = ParseExpression(prec + 1);
            Node* n;
            if (prec == 1) n = Make(N_OR, t);
            else if (prec == 2) n = Make(N_AND, t);
            else {
                n = Make(N_BINARY, t);
                n->op = (uint8_t)op;
            }
            Add(n, left);
            Add(n, right);
            left = n;
        }
    }

    Node* ParseUnary()
    {
        const Token& t = Peek();
        int op = OP_NONE;
        if (t.kind == T_SYMBOL) {
            if (t.sub == S_MINUS) op = OP_NEG;
            else if (t.sub == S_PLUS) op = OP_PLUS;
            else if (t.sub == S_BANG) op = OP_NOT;
            else if (t.sub == S_TILDE) op = OP_BITNOT;
        }
        if (op == OP_NONE) return ParsePostfix();
        Next();
        Nest nest(*this, t);
        Node* n = Make(N_UNARY, t);
        n->op = (uint8_t)op;
        Add(n, ParseUnary());
        return n;
    }

    Node* ParsePostfix()
    {
        Node* e = ParsePrimary();
        for (;;) {
            if (IsSymbol(S_LBRACK)) {
                const Token& at = Next();
                if (!IsVariable(e)) Fail(at, "Only variables can be indexed.");
                if (e->IndexCount() > 0) Fail(at, "Unexpected symbol in expression.");
                Add(e, ParseExpression());
                if (Accept(S_COMMA)) Add(e, ParseExpression());
                Expect(S_RBRACK, "]");
            } else if (IsSymbol(S_DOT)) {
                const Token& at = Next();
                const Token& name = Peek();
                if (name.kind != T_NAME) return Fail(name, "Variable name expected.");
                Next();
                int id = Code_Variable_FindOrAdd(name.text.c_str());
                e = MakeDot(at, e, id);
            } else {
                return e;
            }
        }
    }

    // t.v, with the targets known at compile time turned into direct access.
    Node* MakeDot(const Token& at, Node* target, int id)
    {
        if (target->kind == N_CONST && target->value.IsReal()) {
            double t = target->value.val;
            if (t == -5.0 && id >= VARIABLE_USER_BASE) {
                Node* n = Make(N_GLOBAL, at);
                n->id = id;
                return n;
            }
            if (t == -1.0 || t == -7.0) {
                Node* n = Make(id >= VARIABLE_USER_BASE ? N_SELF : N_BUILTIN, at);
                n->id = id;
                return n;
            }
        }
        Node* n = Make(N_DOT, at);
        n->id = id;
        Add(n, target);
        return n;
    }

    Node* ParsePrimary()
    {
        const Token& t = Peek();
        switch (t.kind) {
        case T_NUMBER:
        case T_CONST:
            Next();
            return MakeConst(t, t.number);
        case T_STRING: {
            Next();
            Node* n = Make(N_CONST, t);
            n->value.SetString(t.text.data(), t.text.size());
            return n;
        }
        case T_NAME:
            Next();
            if (IsSymbol(S_LPAREN)) return ParseCall(t);
            return Resolve(t);
        case T_SYMBOL:
            if (t.sub == S_LPAREN) {
                Next();
                Node* e = ParseExpression();
                Expect(S_RPAREN, ")");
                return e;
            }
            break;
        default:
            break;
        }
        return Unexpected("Unexpected symbol in expression.");
    }

    Node* Resolve(const Token& t)
    {
        auto local = m_locals.find(t.text);
        if (local != m_locals.end()) {
            Node* n = Make(N_LOCAL, t);
            n->id = local->second;
            return n;
        }
        int builtin = Variable_BuiltIn_Find(t.text.c_str());
        if (builtin >= 0) {
            Node* n = Make(N_BUILTIN, t);
            n->id = builtin;
            return n;
        }
        if (g_globalvars.count(t.text)) {
            Node* n = Make(N_GLOBAL, t);
            n->id = Code_Variable_FindOrAdd(t.text.c_str());
            return n;
        }
        double value;
        if (Code_Constant_Find(t.text.c_str(), &value)) return MakeConst(t, value);
        Node* n = Make(N_SELF, t);
        n->id = Code_Variable_FindOrAdd(t.text.c_str());
        return n;
    }

    Node* ParseCall(const Token& name)
    {
        Next();  // (
        int id;
        if (!Function_Find(name.text.c_str(), &id)) return Fail(name, "Unknown function or script: " + name.text);
        Node* n;
        if (id >= FUNCTION_EXTENSION_BASE) {
            n = Make(N_EXTENSION, name);
            n->id = id - FUNCTION_EXTENSION_BASE;
        } else if (id >= FUNCTION_SCRIPT_BASE) {
            n = Make(N_SCRIPT, name);
            n->id = id - FUNCTION_SCRIPT_BASE;
        } else {
            n = Make(N_CALL, name);
            n->id = id;
        }
        if (!IsSymbol(S_RPAREN)) {
            do {
                Add(n, ParseExpression());
            } while (Accept(S_COMMA));
        }
        Expect(S_RPAREN, ")");
        int argc = (int)n->kids.size();
        bool countOk = true;
        if (n->kind == N_SCRIPT) countOk = argc <= ARGUMENT_SLOTS;
        else if (n->kind == N_CALL) {
            int wanted = Function_Get(id)->argc;
            countOk = wanted < 0 || wanted == argc;
        }
        if (!countOk) return Fail(name, "Wrong number of arguments to function or script.");
        return n;
    }
};

}  // namespace

void Code_Globalvar_Clear() { g_globalvars.clear(); }

namespace {

// The token list of the last parse, kept for the next one: a game compiles thousands of pieces of
// code as it loads, and a fresh list for each is as many large allocations. A parse started while
// another holds the list (none does now) gets a list of its own.
class TokenList {
public:
    TokenList() { m_tokens.swap(Spare()); }
    ~TokenList()
    {
        m_tokens.clear();
        if (m_tokens.capacity() <= kKeep) m_tokens.swap(Spare());
    }
    std::vector<Token>& Get() { return m_tokens; }

private:
    static constexpr size_t kKeep = 1 << 14;  // tokens; a larger list goes back to the heap
    static std::vector<Token>& Spare()
    {
        static thread_local std::vector<Token> spare;
        return spare;
    }
    std::vector<Token> m_tokens;
};

}  // namespace

CodeTree* Code_Parse(const char* text, bool expression, const char* name, std::string* error,
                     const std::vector<int>* actionLines)
{
    auto tree = std::make_unique<CodeTree>();
    tree->name = name ? name : "";
    TokenList list;
    std::vector<Token>& tokens = list.Get();
    LexError lexError;
    char head[64];
    if (!Code_Lex(text, tokens, lexError)) {
        snprintf(head, sizeof head, ", line %d, position %d: ", lexError.line, lexError.pos);
        *error = "In " + tree->name + head + lexError.message;
        return nullptr;
    }
    Parser parser(tree.get(), tokens, expression ? nullptr : actionLines);
    tree->root = expression ? parser.ParseWholeExpression() : parser.ParseProgram();
    if (parser.failed) {
        snprintf(head, sizeof head, ", line %d, position %d: ", parser.errorLine, parser.errorPos);
        *error = "In " + tree->name + head + parser.error;
        return nullptr;
    }
    Code_Fold(tree.get());
    return tree.release();
}
