// Functions of external shared libraries. A function is defined once, by library name, exported
// name, calling convention, argument count and kinds, and result kind; the definition gives an id
// (ids count up from 0 and are never reused), by which scripts call it with their values.
#pragma once
#include "Variable/Value.h"

#include <string>

constexpr int DLL_MAX_ARGUMENTS = 16;
// Calling conventions (dll_cdecl, dll_stdcall): both call the platform's one convention.
// Argument and result kinds: 0 a real (ty_real), any other value a string (ty_string).

// The new id, or -1: more than 16 arguments, a string among 5 or more arguments, a library that
// does not load, or a function that it does not export (neither plainly nor in the decorated
// form "_name@bytes"). A library loaded for a definition stays loaded even when that definition
// fails, and later definitions share it. While external calls are disabled ("-ext") libraries
// are still loaded (their own start-up code runs) but never called.
int DLL_Define(const char* dll, const char* name, int convention, int argc, const int* kinds, int resultKind);
// Calls function id with argc values. The result is the real 0 unless the call reaches the
// library: an unknown id, another argument count than defined, a freed library or disabled
// external calls leave it so. A string result is copied (a null one reads as "").
void DLL_Call(int id, int argc, const TaggedValue* args, TaggedValue* result);
// Releases the library loaded under that name (as given to DLL_Define, or its resolved path);
// every function defined from it then does nothing. A later definition loads it anew.
void DLL_Free(const char* dll);
// Releases every loaded library.
void DLL_FreeAll();

// -ext: calls into external code are refused (set by the command line).
extern bool ExternalCallsDisabled;

// Set by fuzz targets, which must not load the libraries their input names: every definition
// then fails as for a missing library.
extern bool DLL_LoadingRefused;

// The stdcall-decorated form of an exported name: "_name@N", N counting 8 bytes for each real
// and 4 for each string argument.
std::string DLL_DecoratedName(const char* name, int argc, const int* kinds);
