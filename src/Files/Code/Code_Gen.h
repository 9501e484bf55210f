// The byte-code generator: turns a compiled tree into code for the stack machine.
#pragma once
#include "Code/Code_Opcodes.h"
#include "Code/Code_Tree.h"

#include <string>

// Generates byte code for a tree (a program, or one expression when `expression`); null with
// *error set when the code cannot be represented (too many constants or instructions).
ByteCode* Code_Generate(const CodeTree* tree, bool expression, std::string* error);
