// What external functions need of their platform half: loading shared libraries (dlopen) and
// calling their functions (libffi), whatever the argument shape.
#pragma once

#include <string>

// Null when the library does not load; *error then tells why.
void* DLLPlatform_Open(const char* path, std::string* error);
// The same for the file open on the descriptor, which it closes.
void* DLLPlatform_OpenFile(int file, std::string* error);
void* DLLPlatform_Symbol(void* library, const char* name);
void DLLPlatform_Close(void* library);

// A prepared call shape: argc arguments (0 to 16) of the given kinds (0 real, 1 string) and a
// real or string result. Shapes are made once and shared; null for an argc outside 0 to 16.
struct DLLShape;
const DLLShape* DLLPlatform_Shape(int argc, const int* kinds, bool stringResult);
// Calls entry with reals[i] or strings[i] as argument i, by the shape's kinds; the result lands
// in *real or *text.
void DLLPlatform_Call(const DLLShape* shape, void* entry, const double* reals, const char* const* strings,
                      double* real, const char** text);
