#include "Function/Function_Math.h"
#include "BuiltinCall.h"

#include <climits>
#include <cmath>
#include <set>

namespace {

class MathBuiltins : public BuiltinTest {
protected:
    void Register() override { Function_Math_Init(); }
};

}  // namespace

TEST_F(MathBuiltins, RegistersBothFamiliesInOrder)
{
    ASSERT_EQ(Function_Count(), 75);
    struct Entry { int id; const char* name; int argc; };
    const Entry entries[] = {
        {0, "is_real", 1},          {8, "randomize", 0},        {32, "min", -1},
        {38, "choose", -1},         {41, "real", 1},            {43, "string_format", 3},
        {64, "string_count", 2},    {65, "point_distance", 4},  {69, "point_distance_3d", 6},
        {74, "math_set_epsilon", 1},
    };
    for (const Entry& e : entries) {
        const RFunction* f = Function_Get(e.id);
        ASSERT_NE(f, nullptr);
        EXPECT_STREQ(f->name, e.name);
        EXPECT_EQ(f->argc, e.argc) << e.name;
    }
}

TEST_F(MathBuiltins, SeededSequencesRepeat)
{
    Real("random_set_seed", {12345.0});
    EXPECT_EQ(Real("random_get_seed"), 12345.0);
    double first[6];
    for (int i = 0; i < 3; i++) first[i] = Real("irandom", {1000.0});
    for (int i = 3; i < 6; i++) first[i] = Real("random", {1.0});
    Real("random_set_seed", {12345.0});
    for (int i = 0; i < 3; i++) EXPECT_EQ(Real("irandom", {1000.0}), first[i]);
    for (int i = 3; i < 6; i++) EXPECT_EQ(Real("random", {1.0}), first[i]);

    // The seed is truncated to 64 bits and its low 32 bits are kept.
    Real("random_set_seed", {-1.0});
    EXPECT_EQ(Real("random_get_seed"), 4294967295.0);
    Real("random_set_seed", {4294967296.0 + 5.9});
    EXPECT_EQ(Real("random_get_seed"), 5.0);
    Real("random_set_seed", {NAN});
    EXPECT_EQ(Real("random_get_seed"), 0.0);
    Real("random_set_seed", {1e30});
    EXPECT_EQ(Real("random_get_seed"), 0.0);

    double seed = Real("randomize");
    EXPECT_EQ(seed, std::trunc(seed));
    EXPECT_GE(seed, -2147483648.0);
    EXPECT_LE(seed, 2147483647.0);
    EXPECT_EQ(Real("random_get_seed"), (double)(uint32_t)(int32_t)seed);
}

TEST_F(MathBuiltins, RandomRanges)
{
    Real("random_set_seed", {3.0});
    std::set<double> seen;
    for (int i = 0; i < 400; i++) {
        double r = Real("random", {5.0});
        EXPECT_TRUE(r >= 0.0 && r < 5.0) << r;
        r = Real("random_range", {5.0, 2.0});
        EXPECT_TRUE(r >= 2.0 && r < 5.0) << r;
        r = Real("irandom", {5.0});
        EXPECT_TRUE(r >= 0.0 && r <= 5.0 && r == std::trunc(r)) << r;
        seen.insert(r);
        r = Real("irandom_range", {3.0, -2.0});
        EXPECT_TRUE(r >= -2.0 && r <= 3.0 && r == std::trunc(r)) << r;
    }
    EXPECT_EQ(seen.size(), 6u);  // both ends are reachable
    // An empty range gives 0 (or its low end) instead of a division by zero.
    EXPECT_EQ(Real("irandom", {-1.0}), 0.0);
    EXPECT_EQ(Real("irandom", {0.0}), 0.0);
    EXPECT_EQ(Real("irandom_range", {7.5, 6.6}), 6.0);
    // Values beyond the 64-bit range neither trap nor overflow.
    double r = Real("irandom", {NAN});
    EXPECT_TRUE(r >= 0.0 && r < 9.3e18) << r;
    r = Real("irandom_range", {1e18, 1e19});
    EXPECT_TRUE(r >= 1e18 && r <= 1e19) << r;
    r = Real("irandom_range", {-1e300, 1e300});
    EXPECT_FALSE(std::isnan(r));
}

TEST_F(MathBuiltins, Rounding)
{
    EXPECT_EQ(Real("abs", {-0.1}), (double)0.1f);
    EXPECT_EQ(Real("abs", {-0.1}), 0.100000001490116119384765625);
    EXPECT_EQ(Real("round", {2.5}), 2.0);
    EXPECT_EQ(Real("round", {3.5}), 4.0);
    EXPECT_EQ(Real("round", {-2.5}), -2.0);
    EXPECT_EQ(Real("floor", {-0.5}), -1.0);
    EXPECT_EQ(Real("ceil", {-0.5}), 0.0);
    EXPECT_EQ(Real("sign", {0.0}), 0.0);
    EXPECT_EQ(Real("sign", {-3.0}), -1.0);
    EXPECT_EQ(Real("sign", {NAN}), -1.0);
    EXPECT_EQ(Real("sign", {1e-300}), 1.0);
    EXPECT_EQ(Real("frac", {-2.75}), -0.75);
    EXPECT_EQ(Real("frac", {2.75}), 0.75);
    EXPECT_EQ(Real("logn", {8.0, 2.0}), 3.0);
    EXPECT_EQ(Real("degtorad", {180.0}), 3.1415927410125732);
    // Values beyond 32 bits keep their whole value; NaN and infinities stay as they are.
    EXPECT_EQ(Real("round", {2147483647.4}), 2147483647.0);
    EXPECT_EQ(Real("round", {2147483648.5}), 2147483648.0);
    EXPECT_EQ(Real("round", {-6e9 - 1.5}), -6000000002.0);
    EXPECT_EQ(Real("floor", {-5e9 - 0.5}), -5000000001.0);
    EXPECT_EQ(Real("ceil", {1e10 + 0.25}), 10000000001.0);
    EXPECT_EQ(Real("floor", {1e300}), 1e300);
    EXPECT_EQ(Real("ceil", {-INFINITY}), -INFINITY);
    EXPECT_TRUE(std::isnan(Real("round", {NAN})));
    EXPECT_FALSE(std::signbit(Real("round", {-0.4})));
    EXPECT_FALSE(std::signbit(Real("ceil", {-0.5})));
}

TEST_F(MathBuiltins, TrigonometryIsSingleAndSnapped)
{
    EXPECT_EQ(Real("sin", {3.14159265}), 0.0);
    EXPECT_EQ(Real("cos", {1.5707963267948966}), 0.0);
    EXPECT_EQ(Real("tan", {3.14159265}), 0.0);
    EXPECT_EQ(Real("sin", {0.5}), (double)(float)std::sin((double)0.5f));
    EXPECT_EQ(Real("cos", {0.0}), 1.0);
    EXPECT_EQ(Real("arcsin", {1.0}), (double)(float)(M_PI / 2));
    EXPECT_EQ(Real("arccos", {1.0}), 0.0);
    EXPECT_EQ(Real("arctan", {1.0}), (double)(float)(M_PI / 4));
    EXPECT_EQ(Real("arctan2", {1.0, 0.0}), (double)(float)(M_PI / 2));
    EXPECT_EQ(Real("arctan2", {0.0, -1.0}), (double)(float)M_PI);
    EXPECT_TRUE(Errors().empty());

    EXPECT_EQ(Real("arcsin", {2.0}), 0.0);
    EXPECT_EQ(Real("arccos", {-1.5}), 0.0);
    EXPECT_EQ(Real("arcsin", {NAN}), 0.0);
    ASSERT_EQ(Errors().size(), 3u);
    EXPECT_EQ(Errors()[0], "Error in function arcsin().");
    EXPECT_EQ(Errors()[1], "Error in function arccos().");
    EXPECT_FALSE(Error_FatalPending);
}

TEST_F(MathBuiltins, MinMaxMeanMedianChoose)
{
    EXPECT_EQ(Real("min", {3.0, -1.0, 2.0}), -1.0);
    EXPECT_EQ(Real("max", {3.0, -1.0, 7.0}), 7.0);
    EXPECT_EQ(Real("min3", {3.0, 1.0, 2.0}), 1.0);
    EXPECT_EQ(Real("max3", {3.0, 1.0, 2.0}), 3.0);
    EXPECT_EQ(Real("min"), 0.0);
    // Among equal values the first wins: 0 and -0 tell which.
    EXPECT_FALSE(std::signbit(Real("min", {0.0, -0.0})));
    EXPECT_TRUE(std::signbit(Real("max", {-0.0, 0.0})));
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(Real("min", {1.0, S("a"), -5.0}), 0.0);
    EXPECT_EQ(Real("max", {S("a")}), 0.0);
    ASSERT_EQ(Errors().size(), 2u);
    EXPECT_EQ(Errors()[0], "Error min(): illegal argument; strings not permitted");
    EXPECT_EQ(Errors()[1], "Error max(): illegal argument; strings not permitted");
    EXPECT_FALSE(Error_FatalPending);

    EXPECT_EQ(Real("mean", {1.0, 2.0, 3.0, 4.0}), 2.5);
    EXPECT_EQ(Real("mean"), 0.0);

    EXPECT_EQ(Real("median", {1.0, 2.0, 3.0, 4.0}), 3.0);
    EXPECT_EQ(Real("median", {9.0, 1.0, 5.0}), 5.0);
    EXPECT_EQ(Real("median", {-4.0}), -4.0);
    EXPECT_EQ(Real("median"), 0.0);
    // Values beyond 2147483647 are values, not marks, and the arguments stay as they were.
    std::vector<TaggedValue> big = {5e9, 3e9, 4e9};
    int id = -1;
    ASSERT_TRUE(Function_Find("median", &id));
    TaggedValue result;
    Function_Get(id)->handler(&result, nullptr, nullptr, 3, big.data());
    EXPECT_EQ(result.GetReal(), 4e9);
    EXPECT_EQ(big[0].GetReal(), 5e9);
    EXPECT_EQ(big[1].GetReal(), 3e9);
    EXPECT_EQ(big[2].GetReal(), 4e9);

    Real("random_set_seed", {1.0});
    std::set<std::string> chosen;
    for (int i = 0; i < 200; i++) {
        TaggedValue r = Call("choose", {S("x"), 2.0, S("z")});
        chosen.insert(r.IsString() ? r.GetString() : "real");
    }
    EXPECT_EQ(chosen, (std::set<std::string>{"x", "real", "z"}));
    EXPECT_EQ(Real("choose"), 0.0);
}

TEST_F(MathBuiltins, ClampAndGeometry)
{
    EXPECT_EQ(Real("clamp", {5.0, 0.0, 3.0}), 3.0);
    EXPECT_EQ(Real("clamp", {-5.0, 0.0, 3.0}), 0.0);
    EXPECT_EQ(Real("point_distance", {1.0, 1.0, 4.0, 5.0}), 5.0);
    EXPECT_EQ(Real("point_distance", {0.0, 0.0, 0.1, 0.0}), (double)0.1f);
    EXPECT_EQ(Real("point_distance_3d", {0.0, 0.0, 0.0, 1.0, 2.0, 2.0}), 3.0);
    EXPECT_EQ(Real("point_direction", {0.0, 0.0, 0.0, 10.0}), 270.0);
    EXPECT_EQ(Real("point_direction", {0.0, 0.0, 0.0, -10.0}), 90.0);
    EXPECT_EQ(Real("point_direction", {0.0, 0.0, -1.0, 0.0}), 180.0);
    EXPECT_EQ(Real("point_direction", {0.0, 0.0, 1.0, 0.0}), 0.0);
    EXPECT_EQ(Real("point_direction", {0.0, 0.0, 0.0, 0.0}), 0.0);
    EXPECT_NEAR(Real("point_direction", {0.0, 0.0, 1.0, -1.0}), 45.0, 1e-4);
    EXPECT_NEAR(Real("point_direction", {0.0, 0.0, 1.0, 1.0}), 315.0, 1e-4);
    EXPECT_EQ(Real("lengthdir_x", {10.0, 90.0}), 0.0);
    EXPECT_EQ(Real("lengthdir_y", {10.0, 90.0}), -10.0);
    EXPECT_EQ(Real("lengthdir_x", {10.0, 180.0}), -10.0);
    EXPECT_NEAR(Real("lengthdir_x", {10.0, 60.0}), 5.0, 1e-5);
    EXPECT_NEAR(Real("lengthdir_y", {10.0, 45.0}), -7.0710678, 1e-5);
    EXPECT_EQ(Real("dot_product_normalised", {2.0, 0.0, 3.0, 0.0}), 1.0);
    EXPECT_EQ(Real("dot_product_normalised", {1.0, 0.0, 0.0, 1.0}), 0.0);
    EXPECT_FLOAT_EQ((float)Real("dot_product_3d_normalised", {1.0, 1.0, 0.0, 1.0, 0.0, 0.0}), 0.70710677f);
}

TEST_F(MathBuiltins, MathSetEpsilon)
{
    const double saved = MathEpsilon;
    EXPECT_EQ(Real("math_set_epsilon", {0.25}), 0.0);
    EXPECT_EQ(MathEpsilon, 0.25);
    EXPECT_TRUE(Errors().empty());
    Real("math_set_epsilon", {S("0.5")});
    EXPECT_EQ(MathEpsilon, 0.25);
    EXPECT_TRUE(Errors().empty());
    for (double bad : {1.0, -0.001, (double)NAN}) {
        Errors().clear();
        Error_FatalPending = false;
        Real("math_set_epsilon", {bad});
        EXPECT_EQ(MathEpsilon, 0.25);
        ASSERT_EQ(Errors().size(), 1u) << bad;
        EXPECT_EQ(Errors()[0], "math_set_epsilon :: value should be between 0 and 1 [fatal]");
        EXPECT_TRUE(Error_FatalPending);
    }
    MathEpsilon = saved;
}
