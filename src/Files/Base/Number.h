// Reals to text and back in the C locale, whatever locale the process runs in.
#pragma once
#include <cstddef>

// Decimals beyond this are not written by Number_FormatFixed.
constexpr int NUMBER_MAX_DECIMALS = 100;
// A buffer this large holds any double written by Number_FormatFixed, with its NUL.
constexpr size_t NUMBER_FIXED_SIZE = 1 + 309 + 1 + NUMBER_MAX_DECIMALS + 1;

// The value with a fixed number of decimals, as "%.*f" writes it in the C locale ("nan", "inf"
// and a "-" for negative values, "-0.00" included); decimals are clamped to 0..NUMBER_MAX_DECIMALS.
// buffer must hold NUMBER_FIXED_SIZE bytes. Returns the length written.
size_t Number_FormatFixed(char* buffer, double value, int decimals);

// The decimal number at the start of the text, as atof reads it in the C locale: leading white
// space, a sign, digits with an optional "." and an optional exponent; the rest is ignored. No
// number gives 0; hexadecimal, "inf" and "nan" are not numbers. Overflow gives an infinity.
double Number_Parse(const char* text);
