// Conversion of built-in arguments. Every handler converts each argument with one of these marks:
//   i  nearest integer, ties to even          fi  narrowed to single precision, then i
//   t  truncated toward zero                  f   narrowed to single precision
//   b  single precision at least 0.5          s   the text ("" for a real or no text)
//   t64 truncated toward zero to 64 bits
// A real that is NaN or out of the 32-bit range converts to -2147483648, as the processor does
// (out of the 64-bit range: -9223372036854775808).
#pragma once
#include "Variable/Value.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <type_traits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The processor's own conversions give exactly these results (the rounding ones round as the
// current mode does, ties to even by default); elsewhere the checks are spelled out.
inline int RealToInt(double v)
{
#if defined(__SSE2__)
    return _mm_cvtsd_si32(_mm_set_sd(v));
#else
    if (!(v >= -2147483648.5 && v < 2147483647.5)) return INT_MIN;
    double r = std::nearbyint(v);
    if (r > 2147483647.0 || r < -2147483648.0) return INT_MIN;
    return (int)r;
#endif
}

inline int TruncToInt(double v)
{
#if defined(__SSE2__)
    return _mm_cvttsd_si32(_mm_set_sd(v));
#else
    if (!(v > -2147483649.0 && v < 2147483648.0)) return INT_MIN;
    return (int)v;
#endif
}

// Rounded to the nearest 64-bit integer, ties to even.
inline int64_t RealToInt64(double v)
{
#if defined(__SSE2__) && defined(__x86_64__)
    return _mm_cvtsd_si64(_mm_set_sd(v));
#else
    if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0)) return INT64_MIN;
    return (int64_t)std::nearbyint(v);
#endif
}

inline int64_t TruncToInt64(double v)
{
#if defined(__SSE2__) && defined(__x86_64__)
    return _mm_cvttsd_si64(_mm_set_sd(v));
#else
    if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0)) return INT64_MIN;
    return (int64_t)v;
#endif
}

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

// A value for a field of type T, converted as a built-in argument: flags b, integers and colours
// i, single precision f, doubles unchanged. The setters of built-in variables store through it.
template <class T>
T Arg_As(const TaggedValue& a)
{
    if constexpr (std::is_same_v<T, bool>) return Arg_B(a);
    else if constexpr (std::is_integral_v<T>) return (T)Arg_I(a);
    else if constexpr (std::is_same_v<T, float>) return Arg_F(a);
    else return a.GetReal();
}
