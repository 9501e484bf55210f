#include "Base/Number.h"

#include <clocale>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

TEST(Number, FormatsFixed)
{
    struct Case { double value; int decimals; const char* text; };
    const Case cases[] = {
        {2.5, 2, "2.50"},   {-0.004, 2, "-0.00"}, {1e10, 2, "10000000000.00"}, {0.125, 2, "0.12"},
        {3.14159, 0, "3"},  {3.5, -3, "4"},        {NAN, 2, "nan"},             {-INFINITY, 2, "-inf"},
    };
    char buffer[NUMBER_FIXED_SIZE];
    for (const Case& c : cases) {
        Number_FormatFixed(buffer, c.value, c.decimals);
        EXPECT_STREQ(buffer, c.text) << c.value;
    }
    // The largest doubles with the most decimals fit the buffer.
    size_t n = Number_FormatFixed(buffer, -1.7976931348623157e308, 1000);
    EXPECT_EQ(n, 1 + 309 + 1 + (size_t)NUMBER_MAX_DECIMALS);
    EXPECT_EQ(strlen(buffer), n);
}

TEST(Number, ParsesTheLeadingDecimal)
{
    struct Case { const char* text; double value; };
    const Case cases[] = {
        {"12.5abc", 12.5}, {" \t-3", -3.0},   {"+.5", 0.5},   {"1.", 1.0},       {"2e3x", 2000.0},
        {"2e", 2.0},       {"2e+", 2.0},      {"abc", 0.0},   {"", 0.0},         {"-", 0.0},
        {".", 0.0},        {"0x10", 0.0},     {"inf", 0.0},   {"nan", 0.0},      {"1,5", 1.0},
        {"1e-400", 0.0},   {"-0.0000000000000000000001e-400", 0.0},
    };
    for (const Case& c : cases) EXPECT_EQ(Number_Parse(c.text), c.value) << c.text;
    EXPECT_EQ(Number_Parse("1e400"), HUGE_VAL);
    EXPECT_EQ(Number_Parse("-123456789e305"), -HUGE_VAL);
    EXPECT_EQ(Number_Parse(nullptr), 0.0);
}
