// The math built-ins and the registrar of the math and string families.
#include "Function/Function_Math.h"
#include "Function/Function_String.h"
#include "Base/MemoryManager.h"
#include "Base/Random.h"
#include "Base/Clock.h"
#include "Variable/Arguments.h"
#include "Code/Error.h"
#include "Code/Function.h"

#include <cmath>

namespace {

constexpr double kPi = 3.1415927410125732;  // pi in single precision, as angles of games use it

// The 63-bit random number of irandom: the first word low, the second without its top bit high.
int64_t Random63()
{
    uint64_t low = Random_Next();
    uint64_t high = Random_Next() & 0x7FFFFFFFu;
    return (int64_t)((high << 32) | low);
}

// r mod n by signed remainder; an empty range (n = 0) gives 0.
int64_t Remainder(int64_t r, int64_t n)
{
    return n == 0 ? 0 : r % n;
}

// Trigonometric results very close to zero are zero, so that sin(pi) is 0.
double Snap(float r)
{
    return std::fabs(r) < 1e-5f ? 0.0 : (double)r;
}

double Single(double (*f)(double), double x)
{
    return Snap((float)f((double)(float)x));
}

bool AnyString(int argc, const TaggedValue* args)
{
    for (int i = 0; i < argc; i++) {
        if (!args[i].IsReal()) return true;
    }
    return false;
}

// min and max: the first argument, replaced by each later one strictly beyond it.
void MinMax(TaggedValue* result, int argc, const TaggedValue* args, bool wantMax)
{
    result->SetReal(0.0);
    if (argc <= 0) return;
    if (AnyString(argc, args)) {
        Error_Show_Action(wantMax ? "Error max(): illegal argument; strings not permitted"
                                  : "Error min(): illegal argument; strings not permitted",
                          false);
        return;
    }
    double best = args[0].val;
    for (int i = 1; i < argc; i++) {
        double v = args[i].val;
        if (wantMax ? v > best : v < best) best = v;
    }
    result->SetReal(best);
}

// lengthdir_x and lengthdir_y: a component that is an integer within 0.0001 is that integer.
double LengthDir(double length, double direction, bool vertical)
{
    float angle = (float)((double)(float)direction * kPi / 180.0);
    float v = vertical ? -(float)((float)std::sin((double)angle) * (float)length)
                       : (float)((float)std::cos((double)angle) * (float)length);
    float whole;
    float frac = std::modf(v, &whole);
    return std::fabs(frac) < 1e-4f ? (double)whole : (double)v;
}

double NormalisedDot(int n, const TaggedValue* args)
{
    float dot = 0.0f, a2 = 0.0f, b2 = 0.0f;
    for (int i = 0; i < n; i++) {
        float a = (float)args[i].GetReal();
        float b = (float)args[n + i].GetReal();
        dot += a * b;
        a2 += a * a;
        b2 += b * b;
    }
    return (double)(dot / (std::sqrt(a2) * std::sqrt(b2)));
}

}  // namespace

void F_is_real(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    // A value carrying a nesting mark (a map or list index from JSON) is neither.
    result->SetReal(argc >= 1 && args[0].kind == VALUE_REAL ? 1.0 : 0.0);
}

void F_is_string(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(argc >= 1 && args[0].kind == VALUE_STRING ? 1.0 : 0.0);
}

void F_random(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(Random_Real(1.0) * args[0].GetReal());
}

void F_random_range(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    double lo = std::fmin(args[0].GetReal(), args[1].GetReal());
    double hi = std::fmax(args[0].GetReal(), args[1].GetReal());
    result->SetReal(lo + Random_Real(1.0) * (hi - lo));
}

void F_irandom(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    int64_t n = Arg_T64(args[0]) + 1;  // at most 2^63 - 1024: no overflow
    result->SetReal((double)Remainder(Random63(), n));
}

void F_irandom_range(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    double a = args[0].GetReal(), b = args[1].GetReal();
    double lo = a < b ? a : b, hi = a < b ? b : a;
    int64_t n = TruncToInt64(hi - lo + 1.0);
    // Added as reals: lo plus the offset can leave the 64-bit range.
    result->SetReal((double)TruncToInt64(lo) + (double)Remainder(Random63(), n));
}

void F_random_set_seed(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    Random_Seed((uint32_t)(uint64_t)Arg_T64(args[0]));
}

void F_random_get_seed(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal((double)Random_GetSeed());
}

void F_randomize(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    uint64_t t = (uint64_t)Clock_SinceStart();
    uint32_t low = (uint32_t)t, high = (uint32_t)(t >> 32);
    uint32_t seed = (high + low) ^ (uint32_t)((t >> 16) & 0xFFFF) ^ (low << 16);
    Random_Seed(seed);
    result->SetReal((double)(int32_t)seed);
}

void F_abs(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal((double)std::fabs((float)args[0].GetReal()));
}

// A whole number as a real of its own, however far beyond 32 bits (-0 reads as 0).
static void SetWhole(TaggedValue* result, double v)
{
    result->SetReal(v == 0 ? 0.0 : v);
}

void F_round(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    SetWhole(result, std::nearbyint(args[0].GetReal()));  // ties to even
}

void F_floor(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    SetWhole(result, std::floor(args[0].GetReal()));
}

void F_ceil(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    SetWhole(result, std::ceil(args[0].GetReal()));
}

void F_sign(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    double x = args[0].GetReal();
    result->SetReal(x == 0.0 ? 0.0 : x > 0.0 ? 1.0 : -1.0);
}

void F_frac(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    double x = args[0].GetReal();
    result->SetReal(x - std::trunc(x));
}

void F_sqrt(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(std::sqrt(args[0].GetReal()));
}

void F_sqr(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    double x = args[0].GetReal();
    result->SetReal(x * x);
}

void F_exp(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(std::exp(args[0].GetReal()));
}

void F_ln(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(std::log(args[0].GetReal()));
}

void F_log2(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(std::log(args[0].GetReal()) / std::log(2.0));
}

void F_log10(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(std::log10(args[0].GetReal()));
}

void F_sin(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(Single(std::sin, args[0].GetReal()));
}

void F_cos(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(Single(std::cos, args[0].GetReal()));
}

void F_tan(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(Single(std::tan, args[0].GetReal()));
}

void F_arcsin(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    float x = (float)args[0].GetReal();
    if (!(x >= -1.0f && x <= 1.0f)) {
        Error_Show_Action("Error in function arcsin().", false);
        return;
    }
    result->SetReal(Single(std::asin, x));
}

void F_arccos(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    float x = (float)args[0].GetReal();
    if (!(x >= -1.0f && x <= 1.0f)) {
        Error_Show_Action("Error in function arccos().", false);
        return;
    }
    result->SetReal(Single(std::acos, x));
}

void F_arctan(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(Single(std::atan, args[0].GetReal()));
}

void F_arctan2(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    float y = (float)args[0].GetReal(), x = (float)args[1].GetReal();
    result->SetReal(Snap((float)std::atan2((double)y, (double)x)));
}

void F_degtorad(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(args[0].GetReal() * kPi / 180.0);
}

void F_radtodeg(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(args[0].GetReal() * 180.0 / kPi);
}

void F_power(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(std::pow(args[0].GetReal(), args[1].GetReal()));
}

void F_logn(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(std::log(args[0].GetReal()) / std::log(args[1].GetReal()));
}

void F_min(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    MinMax(result, argc, args, false);
}

void F_max(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    MinMax(result, argc, args, true);
}

void F_min3(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    MinMax(result, argc, args, false);
}

void F_max3(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    MinMax(result, argc, args, true);
}

void F_mean(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    if (argc <= 0) return result->SetReal(0.0);
    double sum = 0.0;
    for (int i = 0; i < argc; i++) sum += args[i].GetReal();
    result->SetReal(sum / argc);
}

void F_median(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(0.0);
    if (argc <= 0) return;
    // Take the first smallest of the values not yet taken until the middle one (the upper of two)
    // is reached. Taken values are flagged in a work array, so no value can be mistaken for a
    // taken mark and the arguments stay as they are.
    bool* taken = (bool*)MemAllocClear((size_t)argc);
    if (!taken) return;
    double value = 0.0;
    for (int round = 0; round <= argc / 2; round++) {
        int pick = -1;
        for (int i = 0; i < argc; i++) {
            if (taken[i]) continue;
            if (pick < 0 || args[i].GetReal() < args[pick].GetReal()) pick = i;
        }
        taken[pick] = true;
        value = args[pick].GetReal();
    }
    MemFree(taken);
    result->SetReal(value);
}

void F_choose(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    if (argc <= 0) return result->SetReal(0.0);
    int i = Random_Int(argc);
    if (i > argc - 1) i = argc - 1;
    *result = args[i];
}

void F_clamp(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    double v = args[0].GetReal(), lo = args[1].GetReal(), hi = args[2].GetReal();
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    result->SetReal(v);
}

void F_lerp(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    double a = args[0].GetReal(), b = args[1].GetReal(), t = args[2].GetReal();
    result->SetReal((b - a) * t + a);
}

void F_point_distance(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    float dx = Arg_F(args[2]) - Arg_F(args[0]);
    float dy = Arg_F(args[3]) - Arg_F(args[1]);
    result->SetReal((double)std::sqrt(dx * dx + dy * dy));
}

void F_point_distance_3d(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    float dx = Arg_F(args[3]) - Arg_F(args[0]);
    float dy = Arg_F(args[4]) - Arg_F(args[1]);
    float dz = Arg_F(args[5]) - Arg_F(args[2]);
    result->SetReal((double)std::sqrt(dx * dx + dy * dy + dz * dz));
}

void F_point_direction(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    float dx = Arg_F(args[2]) - Arg_F(args[0]);
    float dy = Arg_F(args[3]) - Arg_F(args[1]);
    if (dx == 0.0f) {
        result->SetReal(dy > 0.0f ? 270.0 : dy < 0.0f ? 90.0 : 0.0);
        return;
    }
    float a = (float)((double)(float)std::atan2((double)dy, (double)dx) * 180.0 / kPi);
    result->SetReal(a > 0.0f ? (double)(360.0f - a) : (double)-a);
}

void F_lengthdir_x(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(LengthDir(args[0].GetReal(), args[1].GetReal(), false));
}

void F_lengthdir_y(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(LengthDir(args[0].GetReal(), args[1].GetReal(), true));
}

void F_dot_product(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(args[0].GetReal() * args[2].GetReal() + args[1].GetReal() * args[3].GetReal());
}

void F_dot_product_3d(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(args[0].GetReal() * args[3].GetReal() + args[1].GetReal() * args[4].GetReal() +
                    args[2].GetReal() * args[5].GetReal());
}

void F_dot_product_normalised(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(NormalisedDot(2, args));
}

void F_dot_product_3d_normalised(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(NormalisedDot(3, args));
}

void F_math_set_epsilon(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(0.0);
    if (argc != 1 || !args[0].IsReal()) return;
    double x = args[0].val;
    if (x >= 0.0 && x < 1.0) MathEpsilon = x;
    else Error_Show_Action("math_set_epsilon :: value should be between 0 and 1", true);
}

void Function_Math_Init()
{
    Function_Add("is_real", F_is_real, 1);
    Function_Add("is_string", F_is_string, 1);
    Function_Add("random", F_random, 1);
    Function_Add("random_range", F_random_range, 2);
    Function_Add("irandom", F_irandom, 1);
    Function_Add("irandom_range", F_irandom_range, 2);
    Function_Add("random_set_seed", F_random_set_seed, 1);
    Function_Add("random_get_seed", F_random_get_seed, 0);
    Function_Add("randomize", F_randomize, 0);
    Function_Add("abs", F_abs, 1);
    Function_Add("round", F_round, 1);
    Function_Add("floor", F_floor, 1);
    Function_Add("ceil", F_ceil, 1);
    Function_Add("sign", F_sign, 1);
    Function_Add("frac", F_frac, 1);
    Function_Add("sqrt", F_sqrt, 1);
    Function_Add("sqr", F_sqr, 1);
    Function_Add("exp", F_exp, 1);
    Function_Add("ln", F_ln, 1);
    Function_Add("log2", F_log2, 1);
    Function_Add("log10", F_log10, 1);
    Function_Add("sin", F_sin, 1);
    Function_Add("cos", F_cos, 1);
    Function_Add("tan", F_tan, 1);
    Function_Add("arcsin", F_arcsin, 1);
    Function_Add("arccos", F_arccos, 1);
    Function_Add("arctan", F_arctan, 1);
    Function_Add("arctan2", F_arctan2, 2);
    Function_Add("degtorad", F_degtorad, 1);
    Function_Add("radtodeg", F_radtodeg, 1);
    Function_Add("power", F_power, 2);
    Function_Add("logn", F_logn, 2);
    Function_Add("min", F_min, -1);
    Function_Add("max", F_max, -1);
    Function_Add("min3", F_min3, 3);
    Function_Add("max3", F_max3, 3);
    Function_Add("mean", F_mean, -1);
    Function_Add("median", F_median, -1);
    Function_Add("choose", F_choose, -1);
    Function_Add("clamp", F_clamp, 3);
    Function_Add("lerp", F_lerp, 3);
    Function_Add("real", F_real, 1);
    Function_Add("string", F_string, 1);
    Function_Add("string_format", F_string_format, 3);
    Function_Add("chr", F_chr, 1);
    Function_Add("ansi_char", F_ansi_char, 1);
    Function_Add("ord", F_ord, 1);
    Function_Add("string_length", F_string_length, 1);
    Function_Add("string_pos", F_string_pos, 2);
    Function_Add("string_copy", F_string_copy, 3);
    Function_Add("string_char_at", F_string_char_at, 2);
    Function_Add("string_byte_length", F_string_byte_length, 1);
    Function_Add("string_byte_at", F_string_byte_at, 2);
    Function_Add("string_set_byte_at", F_string_set_byte_at, 3);
    Function_Add("string_delete", F_string_delete, 3);
    Function_Add("string_insert", F_string_insert, 3);
    Function_Add("string_lower", F_string_lower, 1);
    Function_Add("string_upper", F_string_upper, 1);
    Function_Add("string_repeat", F_string_repeat, 2);
    Function_Add("string_letters", F_string_letters, 1);
    Function_Add("string_digits", F_string_digits, 1);
    Function_Add("string_lettersdigits", F_string_lettersdigits, 1);
    Function_Add("string_replace", F_string_replace, 3);
    Function_Add("string_replace_all", F_string_replace_all, 3);
    Function_Add("string_count", F_string_count, 2);
    Function_Add("point_distance", F_point_distance, 4);
    Function_Add("point_direction", F_point_direction, 4);
    Function_Add("lengthdir_x", F_lengthdir_x, 2);
    Function_Add("lengthdir_y", F_lengthdir_y, 2);
    Function_Add("point_distance_3d", F_point_distance_3d, 6);
    Function_Add("dot_product", F_dot_product, 4);
    Function_Add("dot_product_normalised", F_dot_product_normalised, 4);
    Function_Add("dot_product_3d", F_dot_product_3d, 6);
    Function_Add("dot_product_3d_normalised", F_dot_product_3d_normalised, 6);
    Function_Add("math_set_epsilon", F_math_set_epsilon, 1);
}
