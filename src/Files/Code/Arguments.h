// Conversion of built-in arguments. Every handler converts each argument with one of these marks:
//   i  nearest integer, ties to even          fi  narrowed to single precision, then i
//   t  truncated toward zero                  f   narrowed to single precision
//   b  single precision at least 0.5          s   the text ("" for a real or no text)
//   t64 truncated toward zero to 64 bits
// A real that is NaN or out of the 32-bit range converts to -2147483648, as the processor does
// (out of the 64-bit range: -9223372036854775808).
#pragma once
#include "Variable/Value.h"

#include <cstdint>

int RealToInt(double v);
int TruncToInt(double v);
int64_t TruncToInt64(double v);

inline int Arg_I(const TaggedValue& a) { return RealToInt(a.GetReal()); }
inline int Arg_FI(const TaggedValue& a) { return RealToInt((double)(float)a.GetReal()); }
inline int Arg_T(const TaggedValue& a) { return TruncToInt(a.GetReal()); }
inline int64_t Arg_T64(const TaggedValue& a) { return TruncToInt64(a.GetReal()); }
inline float Arg_F(const TaggedValue& a) { return (float)a.GetReal(); }
inline bool Arg_B(const TaggedValue& a) { return (float)a.GetReal() >= 0.5f; }
// The "at least 0.5" flag test on the double itself (0.49999999 is false).
inline bool Arg_BD(const TaggedValue& a) { return a.GetReal() >= 0.5; }
// The "greater than 0.5" flag test that some handlers use (0.5 itself is false).
inline bool Arg_Above(const TaggedValue& a) { return a.GetReal() > 0.5; }
inline const char* Arg_S(const TaggedValue& a) { return a.GetString(); }
