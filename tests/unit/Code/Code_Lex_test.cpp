#include "Code/Code_Lex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<Token> Lex(const char* text)
{
    std::vector<Token> tokens;
    LexError error;
    EXPECT_TRUE(Code_Lex(text, tokens, error)) << text << ": " << error.message;
    return tokens;
}

// The symbols of a text, as their numbers, up to the end token.
std::vector<int> Symbols(const char* text)
{
    std::vector<int> subs;
    for (const Token& t : Lex(text)) {
        if (t.kind == T_END) break;
        EXPECT_EQ(t.kind, T_SYMBOL) << text << ": " << t.text;
        subs.push_back(t.sub);
    }
    return subs;
}

}  // namespace

TEST(Lexer, OperatorsTakeTheLongestSpelling)
{
    EXPECT_EQ(Symbols("|| && ^^ << >> <= >= == != <> := += -= *= /= |= &= ^= ++ --"),
              (std::vector<int>{S_OROR, S_ANDAND, S_XORXOR, S_SHL, S_SHR, S_LE, S_GE, S_EQ, S_NE, S_NE,
                                S_COLONEQ, S_PLUSEQ, S_MINUSEQ, S_STAREQ, S_SLASHEQ, S_BAREQ, S_AMPEQ,
                                S_CARETEQ, S_INC, S_DEC}));
    EXPECT_EQ(Symbols("{}()[],;:.=<>+-*/%|&^!~"),
              (std::vector<int>{S_LBRACE, S_RBRACE, S_LPAREN, S_RPAREN, S_LBRACK, S_RBRACK, S_COMMA, S_SEMI,
                                S_COLON, S_DOT, S_ASSIGN, S_NE, S_PLUS, S_MINUS, S_STAR, S_SLASH, S_MOD,
                                S_BAR, S_AMP, S_CARET, S_BANG, S_TILDE}));
    // Written together, two characters pair up from the left.
    EXPECT_EQ(Symbols("<<=>>=!==+++"), (std::vector<int>{S_SHL, S_ASSIGN, S_SHR, S_ASSIGN, S_NE, S_ASSIGN,
                                                        S_INC, S_PLUS}));
    std::vector<Token> last = Lex("a<");
    ASSERT_EQ(last.size(), 3u);  // a symbol's second character may be the end of the text
    EXPECT_EQ(last[1].sub, S_LT);
    EXPECT_EQ(last[1].text, "<");
}

TEST(Lexer, WordsAreKeywordsOnlyWhenWhole)
{
    std::vector<Token> t = Lex("if iff do done end ending mod modx div not noone all allx var var_ _if");
    ASSERT_EQ(t.size(), 17u);
    EXPECT_EQ(t[0].kind, T_KEYWORD);
    EXPECT_EQ(t[0].sub, K_IF);
    EXPECT_EQ(t[1].kind, T_NAME);
    EXPECT_EQ(t[2].sub, K_DO);
    EXPECT_EQ(t[3].kind, T_NAME);
    EXPECT_EQ(t[4].kind, T_SYMBOL);
    EXPECT_EQ(t[4].sub, S_RBRACE);
    EXPECT_EQ(t[5].kind, T_NAME);
    EXPECT_EQ(t[6].sub, S_MOD);
    EXPECT_EQ(t[7].kind, T_NAME);
    EXPECT_EQ(t[8].sub, S_DIV);
    EXPECT_EQ(t[9].sub, S_BANG);
    EXPECT_EQ(t[10].kind, T_CONST);
    EXPECT_EQ(t[10].number, -4);
    EXPECT_EQ(t[11].number, -3);
    EXPECT_EQ(t[12].kind, T_NAME);
    EXPECT_EQ(t[13].sub, K_VAR);
    EXPECT_EQ(t[14].kind, T_NAME);
    EXPECT_EQ(t[15].kind, T_NAME);
    EXPECT_EQ(t[15].text, "_if");
    EXPECT_EQ(t[16].kind, T_END);
}

TEST(Lexer, StrayCharactersFailWithTheirPlace)
{
    for (const char* text : {"x = 1;\n  y @ 2", "x = 1;\n  y # 2", "x = 1;\n  y ` 2", "x = 1;\n  y \x80 2"}) {
        std::vector<Token> tokens;
        LexError error;
        EXPECT_FALSE(Code_Lex(text, tokens, error)) << text;
        EXPECT_EQ(error.message, "Unexpected character.");
        EXPECT_EQ(error.line, 2);
        EXPECT_EQ(error.pos, 5);
    }
}
