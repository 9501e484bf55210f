// The lexer: turns source text into tokens with line and position (both from 1).
#pragma once
#include <string>
#include <vector>

enum TokenKind {
    T_END,     // end of the text
    T_NAME,
    T_NUMBER,
    T_STRING,
    T_SYMBOL,  // punctuation and operators, also the word operators (and, div...) and begin/end
    T_KEYWORD, // statement keywords
    T_CONST,   // true false self other all noone global local: number = its value
};

enum Symbol {
    S_LBRACE, S_RBRACE, S_LPAREN, S_RPAREN, S_LBRACK, S_RBRACK, S_COMMA, S_SEMI, S_COLON, S_DOT,
    S_ASSIGN, S_EQ, S_NE, S_LT, S_LE, S_GT, S_GE,
    S_PLUS, S_MINUS, S_STAR, S_SLASH, S_DIV, S_MOD,
    S_BAR, S_AMP, S_CARET, S_OROR, S_ANDAND, S_XORXOR, S_SHL, S_SHR, S_BANG, S_TILDE,
    S_COLONEQ, S_PLUSEQ, S_MINUSEQ, S_STAREQ, S_SLASHEQ, S_BAREQ, S_AMPEQ, S_CARETEQ, S_INC, S_DEC,
};

enum Keyword {
    K_VAR, K_GLOBALVAR, K_IF, K_THEN, K_ELSE, K_WHILE, K_DO, K_UNTIL, K_FOR, K_REPEAT, K_WITH,
    K_SWITCH, K_CASE, K_DEFAULT, K_BREAK, K_CONTINUE, K_EXIT, K_RETURN,
};

struct Token {
    TokenKind kind = T_END;
    int sub = 0;          // Symbol or Keyword
    double number = 0.0;  // T_NUMBER, T_CONST
    std::string text;     // the spelling (the contents for a string)
    int line = 1;
    int pos = 1;
};

struct LexError {
    std::string message;
    int line = 0;
    int pos = 0;
};

// Splits text into tokens ending with T_END; false with the error filled for text that is not
// made of tokens.
bool Code_Lex(const char* text, std::vector<Token>& tokens, LexError& error);
