// Conversion of built-in arguments. Every handler converts each argument with one of these marks:
//   i  nearest integer, ties to even          fi  narrowed to single precision, then i
//   t  truncated toward zero                  f   narrowed to single precision
//   b  single precision at least 0.5          s   the text ("" for a real or no text)
// A real that is NaN or out of the 32-bit range converts to -2147483648, as the processor does.
#pragma once
#include "Variable/Value.h"

int RealToInt(double v);
int TruncToInt(double v);

inline int Arg_I(const TaggedValue& a) { return RealToInt(a.GetReal()); }
inline int Arg_FI(const TaggedValue& a) { return RealToInt((double)(float)a.GetReal()); }
inline int Arg_T(const TaggedValue& a) { return TruncToInt(a.GetReal()); }
inline float Arg_F(const TaggedValue& a) { return (float)a.GetReal(); }
inline bool Arg_B(const TaggedValue& a) { return (float)a.GetReal() >= 0.5f; }
// The "greater than 0.5" flag test that some handlers use (0.5 itself is false).
inline bool Arg_Above(const TaggedValue& a) { return a.GetReal() > 0.5; }
inline const char* Arg_S(const TaggedValue& a) { return a.GetString(); }
