// Named constants of the language: the engine's (colours, keys, events...), the game's resource
// names and the constants of extension packages. The compiler replaces each by its value.
#pragma once

void Code_Constant_AddReal(const char* name, double value);
// Adds a constant of that name holding 0; an invalid name is reported and gives false.
bool Code_Constant_AddName(const char* name);
bool Code_Constant_Find(const char* name, double* value);
// Whether a name has the form of an identifier: a letter or _, then letters, digits and _.
bool Code_NameIsValid(const char* name);
// Registers the engine's constants.
void Code_Constant_Init();
