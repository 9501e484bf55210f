// The compiler: lexer, name resolution, parser and folding pass, from source text to a tree.
#pragma once
#include "Code/Code_Tree.h"

#include <string>

// The deepest nesting of statements and parentheses, and the tallest tree, the compiler accepts.
constexpr int CODE_MAX_NESTING = 200;
constexpr int CODE_MAX_TREE_DEPTH = 1000;
// Stack the compiler and interpreter keep free; deeper recursion is an error.
constexpr size_t CODE_STACK_RESERVE = 512 * 1024;

// Compiles text (a program, or one expression) into a tree; null with *error set (the message
// names the code, line and position) when it does not compile. A program made of actions gives
// the first line of each (in order): the tree marks where each begins, for the error reports.
CodeTree* Code_Parse(const char* text, bool expression, const char* name, std::string* error,
                     const std::vector<int>* actionLines = nullptr);
// Folds constant sub-expressions of a tree in place.
void Code_Fold(CodeTree* tree);
// Forgets the names declared with globalvar.
void Code_Globalvar_Clear();
