#include "Code/Code_Lex.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string_view>

namespace {

struct Word {
    std::string_view text;
    TokenKind kind;
    int sub;
    double value;
};

const Word kWords[] = {
    {"var", T_KEYWORD, K_VAR, 0}, {"globalvar", T_KEYWORD, K_GLOBALVAR, 0}, {"if", T_KEYWORD, K_IF, 0},
    {"then", T_KEYWORD, K_THEN, 0}, {"else", T_KEYWORD, K_ELSE, 0}, {"while", T_KEYWORD, K_WHILE, 0},
    {"do", T_KEYWORD, K_DO, 0}, {"until", T_KEYWORD, K_UNTIL, 0}, {"for", T_KEYWORD, K_FOR, 0},
    {"repeat", T_KEYWORD, K_REPEAT, 0}, {"with", T_KEYWORD, K_WITH, 0}, {"switch", T_KEYWORD, K_SWITCH, 0},
    {"case", T_KEYWORD, K_CASE, 0}, {"default", T_KEYWORD, K_DEFAULT, 0}, {"break", T_KEYWORD, K_BREAK, 0},
    {"continue", T_KEYWORD, K_CONTINUE, 0}, {"exit", T_KEYWORD, K_EXIT, 0}, {"return", T_KEYWORD, K_RETURN, 0},
    {"begin", T_SYMBOL, S_LBRACE, 0}, {"end", T_SYMBOL, S_RBRACE, 0}, {"and", T_SYMBOL, S_ANDAND, 0},
    {"or", T_SYMBOL, S_OROR, 0}, {"xor", T_SYMBOL, S_XORXOR, 0}, {"not", T_SYMBOL, S_BANG, 0},
    {"div", T_SYMBOL, S_DIV, 0}, {"mod", T_SYMBOL, S_MOD, 0},
    {"true", T_CONST, 0, 1}, {"false", T_CONST, 0, 0}, {"self", T_CONST, 0, -1}, {"other", T_CONST, 0, -2},
    {"all", T_CONST, 0, -3}, {"noone", T_CONST, 0, -4}, {"global", T_CONST, 0, -5}, {"local", T_CONST, 0, -7},
};

struct Punct {
    std::string_view text;
    int sub;
};

// Longest first, so that "<<" wins over "<".
const Punct kPuncts[] = {
    {"||", S_OROR}, {"&&", S_ANDAND}, {"^^", S_XORXOR}, {"<<", S_SHL}, {">>", S_SHR}, {"<=", S_LE},
    {">=", S_GE}, {"==", S_EQ}, {"!=", S_NE}, {"<>", S_NE}, {":=", S_COLONEQ}, {"+=", S_PLUSEQ},
    {"-=", S_MINUSEQ}, {"*=", S_STAREQ}, {"/=", S_SLASHEQ}, {"|=", S_BAREQ}, {"&=", S_AMPEQ},
    {"^=", S_CARETEQ}, {"++", S_INC}, {"--", S_DEC},
    {"{", S_LBRACE}, {"}", S_RBRACE}, {"(", S_LPAREN}, {")", S_RPAREN}, {"[", S_LBRACK}, {"]", S_RBRACK},
    {",", S_COMMA}, {";", S_SEMI}, {":", S_COLON}, {".", S_DOT}, {"=", S_ASSIGN}, {"<", S_LT}, {">", S_GT},
    {"+", S_PLUS}, {"-", S_MINUS}, {"*", S_STAR}, {"/", S_SLASH}, {"%", S_MOD}, {"|", S_BAR},
    {"&", S_AMP}, {"^", S_CARET}, {"!", S_BANG}, {"~", S_TILDE},
};

// The entries of a table of words or symbols by their first character, each character's entries in
// the table's order.
template <typename T, size_t N>
class ByFirstChar {
public:
    explicit ByFirstChar(const T (&table)[N])
    {
        size_t count[256] = {};
        for (const T& e : table) count[(unsigned char)e.text[0]]++;
        m_start[0] = 0;
        for (size_t c = 0; c < 256; c++) m_start[c + 1] = m_start[c] + count[c];
        size_t next[256];
        std::copy(m_start, m_start + 256, next);
        for (const T& e : table) m_entries[next[(unsigned char)e.text[0]]++] = &e;
    }
    const T* const* begin(char c) const { return m_entries + m_start[(unsigned char)c]; }
    const T* const* end(char c) const { return m_entries + m_start[(unsigned char)c + 1]; }

private:
    const T* m_entries[N];
    size_t m_start[257];
};

const ByFirstChar<Word, std::size(kWords)> kWordsByFirst(kWords);
const ByFirstChar<Punct, std::size(kPuncts)> kPunctsByFirst(kPuncts);

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }
int HexValue(char c)
{
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Whether a '.' after this token is member access rather than the start of a number.
bool EndsOperand(const std::vector<Token>& tokens)
{
    if (tokens.empty()) return false;
    const Token& t = tokens.back();
    return t.kind == T_NAME || t.kind == T_NUMBER || t.kind == T_STRING || t.kind == T_CONST ||
           (t.kind == T_SYMBOL && (t.sub == S_RPAREN || t.sub == S_RBRACK));
}

}  // namespace

bool Code_Lex(const char* text, std::vector<Token>& tokens, LexError& error)
{
    tokens.clear();
    const char* p = text ? text : "";
    const char* lineStart = p;
    int line = 1;
    auto fail = [&](const char* at, const char* message) {
        error.message = message;
        error.line = line;
        error.pos = (int)(at - lineStart) + 1;
        return false;
    };
    auto newline = [&](const char* at) {
        line++;
        lineStart = at + 1;
    };
    for (;;) {
        char c = *p;
        if (c == '\n') { newline(p); p++; continue; }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') { p++; continue; }
        if (c == '/' && p[1] == '/') {
            while (*p && *p != '\n') p++;
            continue;
        }
        if (c == '/' && p[1] == '*') {
            const char* start = p;
            int startLine = line;
            const char* startLineStart = lineStart;
            p += 2;
            while (*p && !(p[0] == '*' && p[1] == '/')) {
                if (*p == '\n') newline(p);
                p++;
            }
            if (!*p) {
                line = startLine;
                lineStart = startLineStart;
                return fail(start, "Unterminated comment.");
            }
            p += 2;
            continue;
        }
        Token t;
        t.line = line;
        t.pos = (int)(p - lineStart) + 1;
        if (!c) {
            tokens.push_back(t);
            return true;
        }
        if (IsNameStart(c)) {
            const char* s = p;
            while (IsNameChar(*p)) p++;
            t.text.assign(s, (size_t)(p - s));
            t.kind = T_NAME;
            for (auto w = kWordsByFirst.begin(c); w != kWordsByFirst.end(c); ++w) {
                if (t.text == (*w)->text) {
                    t.kind = (*w)->kind;
                    t.sub = (*w)->sub;
                    t.number = (*w)->value;
                    break;
                }
            }
        } else if (IsDigit(c) || (c == '.' && IsDigit(p[1]) && !EndsOperand(tokens))) {
            const char* s = p;
            while (IsDigit(*p)) p++;
            if (*p == '.' && IsDigit(p[1])) {
                p++;
                while (IsDigit(*p)) p++;
            }
            t.kind = T_NUMBER;
            t.text.assign(s, (size_t)(p - s));
            // Out of range: too large is infinite, too small is 0, as the arithmetic would make them.
            if (std::from_chars(s, p, t.number).ec == std::errc::result_out_of_range)
                t.number = strspn(s, "0") < strcspn(s, ".") ? HUGE_VAL : 0.0;
        } else if (c == '$') {
            const char* s = p++;
            if (HexValue(*p) < 0) return fail(s, "Hexadecimal number expected.");
            double v = 0.0;
            while (HexValue(*p) >= 0) v = v * 16.0 + HexValue(*p++);
            t.kind = T_NUMBER;
            t.number = v;
            t.text.assign(s, (size_t)(p - s));
        } else if (c == '"' || c == '\'') {
            const char* s = p++;
            int startLine = line;
            const char* startLineStart = lineStart;
            while (*p && *p != c) {
                if (*p == '\n') newline(p);
                p++;
            }
            if (!*p) {
                line = startLine;
                lineStart = startLineStart;
                return fail(s, "Unterminated string.");
            }
            t.kind = T_STRING;
            t.text.assign(s + 1, (size_t)(p - s - 1));
            p++;
        } else {
            const Punct* found = nullptr;
            for (auto q = kPunctsByFirst.begin(c); q != kPunctsByFirst.end(c); ++q) {
                // p[1] is there to read: c is not the terminating zero.
                if ((*q)->text.size() == 1 || (*q)->text[1] == p[1]) {
                    found = *q;
                    break;
                }
            }
            if (!found) return fail(p, "Unexpected character.");
            t.kind = T_SYMBOL;
            t.sub = found->sub;
            t.text = found->text;
            p += found->text.size();
        }
        tokens.push_back(std::move(t));
    }
}
