#include "Variable/Arguments.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>

TEST(Arguments, ConversionMarks)
{
    struct Row { double in; int i; int fi; int t; };
    const Row rows[] = {
        {2.5, 2, 2, 2},       {-2.5, -2, -2, -2},  {3.5, 4, 4, 3},  {-1.7, -2, -2, -1},
        {16777217.0, 16777217, 16777216, 16777217},
        {1e10, INT_MIN, INT_MIN, INT_MIN},          {NAN, INT_MIN, INT_MIN, INT_MIN},
        {2147483647.0, INT_MAX, INT_MIN, INT_MAX},  {-2147483648.0, INT_MIN, INT_MIN, INT_MIN},
    };
    for (const Row& r : rows) {
        TaggedValue v(r.in);
        EXPECT_EQ(Arg_I(v), r.i) << r.in;
        EXPECT_EQ(Arg_FI(v), r.fi) << r.in;
        EXPECT_EQ(Arg_T(v), r.t) << r.in;
    }
}

TEST(Arguments, FlagsAndText)
{
    EXPECT_FALSE(Arg_B(TaggedValue(0.49)));
    EXPECT_TRUE(Arg_B(TaggedValue(0.5)));
    // 0.49999999 narrows to 0.5 in single precision.
    EXPECT_TRUE(Arg_B(TaggedValue(0.49999999)));
    EXPECT_FALSE(Arg_Above(TaggedValue(0.5)));
    EXPECT_TRUE(Arg_Above(TaggedValue(0.5000001)));
    EXPECT_STREQ(Arg_S(TaggedValue(3.0)), "");
    EXPECT_STREQ(Arg_S(TaggedValue("abc")), "abc");
    EXPECT_EQ(Arg_I(TaggedValue("12")), 0);
}
